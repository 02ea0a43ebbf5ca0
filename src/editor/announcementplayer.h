#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

namespace tirvela {

class MessageLog;
class SoundSink;
class SoundTable;

// Plays SoundFiles one after another through a sink: the file selected in the sound files
// window, or a stop's announcement as the Announcer would say it for the stop list editor.
class AnnouncementPlayer : public QObject
{
    Q_OBJECT

public:
    // Plays on the system's default audio output.
    explicit AnnouncementPlayer(QObject *parent = nullptr);
    ~AnnouncementPlayer() override;

    // Replaces where the sound goes (a recorder in the tests); what is playing stops.
    void setSink(std::unique_ptr<SoundSink> sink);

    // Plays the SoundFiles the item texts name (announcementItems() gives a stop's); items that
    // name no SoundFile of the table are named in the log and skipped. The table must be listed.
    void play(const QList<QByteArray> &itemTexts, const SoundTable &sounds, MessageLog &log);
    // Plays SoundFiles in order. A file that fails the sound check is named in the log and
    // skipped; when the sound cannot be played at all (no audio device) the log says why once.
    // The log must outlive the playing.
    void playFiles(const QStringList &paths, MessageLog &log);
    // Ends the playing at once, with the rest of the sequence.
    void stop();

    bool isPlaying() const { return mPlaying; }

signals:
    // The playing began, or it ended: after the last file, by stop() or by a failure.
    void playingChanged(bool playing);

private:
    void playNext();
    void setPlaying(bool playing);

    std::unique_ptr<SoundSink> mSink;
    QStringList mQueue;
    MessageLog *mLog = nullptr;
    bool mPlaying = false;
};

} // namespace tirvela
