#include "recordingsink.h"
#include "../files/fixtures.h"

#include "editor/announcementplayer.h"
#include "editor/audiodevicesink.h"
#include "sound/soundlibrary.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

// A sink with no device behind it.
class RefusingSink : public SoundSink
{
public:
    int starts = 0;
    bool start(const QByteArray &, QString &error) override
    {
        ++starts;
        error = u"Нет устройства вывода звука"_s;
        return false;
    }
    void stop() override {}
};

template <typename Sink>
Sink *playInto(AnnouncementPlayer &player)
{
    auto *sink = new Sink;
    player.setSink(std::unique_ptr<SoundSink>(sink));
    return sink;
}

} // namespace

class TestAnnouncementPlayer : public QObject
{
    Q_OBJECT

    QTemporaryDir mFolder;
    SoundTable mSounds;

    QList<QByteArray> items(const QStringList &names) const
    {
        QList<QByteArray> texts;
        for (const QString &name : names)
            texts << toCp1251(name);
        return texts;
    }

private slots:
    void initTestCase()
    {
        const QString program = mFolder.path() + u'/';
        QVERIFY(QDir().mkpath(program + u"sounds"_s));
        QVERIFY(writeFile(program + u"sounds/Вокзал.wav"_s, waveFile(samples(100, 1))));
        QVERIFY(writeFile(program + u"sounds/Рынок.wav"_s, waveFile(samples(200, 3))));
        WaveFormat stereo;
        stereo.channels = 2;
        QVERIFY(writeFile(program + u"sounds/stereo.wav"_s, waveFile(samples(100, 2), stereo)));
        ListLog log;
        listSoundsFolder(mSounds, program, log);
        QCOMPARE(mSounds.count(), 3);
    }

    void playsInOrderAndSkipsWhatCannotBePlayed()
    {
        AnnouncementPlayer player;
        auto *sink = playInto<RecordingSink>(player);
        QSignalSpy playing(&player, &AnnouncementPlayer::playingChanged);
        ListLog log;
        player.play(items({u"вокзал.WAV"_s, u"гонг.wav"_s, u"stereo.wav"_s, u"Рынок.wav"_s, u"Вокзал.wav"_s}), mSounds, log);
        QCOMPARE(sink->played, QList<QByteArray>{samples(100, 1)});
        QCOMPARE(log.lines, QStringList{u"Звуковой файл \"гонг.wav\" не найден в каталоге SOUNDS, он пропущен"_s});
        QVERIFY(player.isPlaying());

        sink->finish();
        QCOMPARE(sink->played, (QList<QByteArray>{samples(100, 1), samples(200, 3)}));
        QCOMPARE(log.lines.size(), 2);
        QVERIFY(log.lines[1].endsWith(u"Данные не в формате МОНО!"_s));
        sink->finish();
        QCOMPARE(sink->played.size(), 3);
        sink->finish();
        QVERIFY(!player.isPlaying());
        QCOMPARE(playing.size(), 2);
        QCOMPARE(playing[0][0].toBool(), true);
        QCOMPARE(playing[1][0].toBool(), false);
    }

    void stopAndANewSequenceEndWhatPlays()
    {
        AnnouncementPlayer player;
        auto *sink = playInto<RecordingSink>(player);
        ListLog log;
        player.play(items({u"Вокзал.wav"_s, u"Рынок.wav"_s}), mSounds, log);
        player.play(items({u"Рынок.wav"_s}), mSounds, log);
        QCOMPARE(sink->stops, 1);
        sink->finish();
        QVERIFY(!player.isPlaying());
        QCOMPARE(sink->played, (QList<QByteArray>{samples(100, 1), samples(200, 3)}));

        player.play(items({u"Вокзал.wav"_s, u"Рынок.wav"_s}), mSounds, log);
        player.stop();
        QCOMPARE(sink->stops, 2);
        QVERIFY(!player.isPlaying());
        QCOMPARE(sink->played.size(), 3);
        QVERIFY(log.lines.isEmpty());
    }

    void withoutADeviceTheLogSaysSoOnce()
    {
        AnnouncementPlayer player;
        auto *sink = playInto<RefusingSink>(player);
        QSignalSpy playing(&player, &AnnouncementPlayer::playingChanged);
        ListLog log;
        player.play(items({u"Вокзал.wav"_s, u"Рынок.wav"_s}), mSounds, log);
        QCOMPARE(sink->starts, 1);
        QCOMPARE(log.lines, QStringList{u"Нет устройства вывода звука"_s});
        QVERIFY(!player.isPlaying());
        QCOMPARE(playing.size(), 0);
    }

    void theAudioDeviceIsMissingHere()
    {
        if (!QMediaDevices::audioOutputs().isEmpty())
            QSKIP("this machine has an audio output");
        AudioDeviceSink sink;
        QString error;
        QVERIFY(!sink.start(samples(100, 1), error));
        QCOMPARE(error, u"Нет устройства вывода звука, прослушивание невозможно"_s);
    }
};

QTEST_MAIN(TestAnnouncementPlayer)
#include "test_announcementplayer.moc"
