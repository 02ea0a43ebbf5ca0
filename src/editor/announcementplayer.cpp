#include "editor/announcementplayer.h"

#include "editor/audiodevicesink.h"
#include "common/messagelog.h"
#include "project/announcement.h"
#include "sound/soundsamples.h"

namespace tirvela {

AnnouncementPlayer::AnnouncementPlayer(QObject *parent)
    : QObject(parent)
{
    setSink(std::make_unique<AudioDeviceSink>());
}

AnnouncementPlayer::~AnnouncementPlayer() = default;

void AnnouncementPlayer::setSink(std::unique_ptr<SoundSink> sink)
{
    stop();
    mSink = std::move(sink);
    connect(mSink.get(), &SoundSink::finished, this, &AnnouncementPlayer::playNext);
}

void AnnouncementPlayer::play(const QList<QByteArray> &itemTexts, const SoundTable &sounds, MessageLog &log)
{
    playFiles(announcementFiles(itemTexts, sounds, log), log);
}

void AnnouncementPlayer::playFiles(const QStringList &paths, MessageLog &log)
{
    stop();
    mLog = &log;
    mQueue = paths;
    playNext();
}

void AnnouncementPlayer::stop()
{
    mQueue.clear();
    if (mSink)
        mSink->stop();
    setPlaying(false);
}

void AnnouncementPlayer::playNext()
{
    while (!mQueue.isEmpty()) {
        const Result<QByteArray> sound = readSoundSamples(mQueue.takeFirst());
        if (!sound.ok()) {
            mLog->logMessage(sound.status().message);
            continue;
        }
        QString error;
        if (mSink->start(sound.value(), error)) {
            setPlaying(true);
            return;
        }
        mLog->logMessage(error);
        mQueue.clear();
    }
    setPlaying(false);
}

void AnnouncementPlayer::setPlaying(bool playing)
{
    if (mPlaying == playing)
        return;
    mPlaying = playing;
    emit playingChanged(playing);
}

} // namespace tirvela
