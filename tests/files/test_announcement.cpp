#include "fixtures.h"

#include "project/announcement.h"
#include "sound/soundlibrary.h"
#include "sound/soundsamples.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tirvela;
using namespace tirvela::fixture;
using namespace Qt::StringLiterals;

namespace {

QList<QByteArray> cp1251List(const QStringList &texts)
{
    QList<QByteArray> list;
    for (const QString &text : texts)
        list << toCp1251(text);
    return list;
}

StopTree twoStops()
{
    StopTree tree;
    tree.root().appendChild(textNode(u"Прямое направление"_s,
                                  {stopNode(u"Вокзал"_s, {u"Вокзал.wav"_s, u"гонг.wav"_s}, {u"След.wav"_s, u"Рынок.wav"_s},
                                            {u"07:05:00"_s}),
                                   stopNode(u"Рынок"_s, {u"Рынок.wav"_s}),
                                   // stored before stops had their control time group
                                   textNode(u"Парк"_s, {textNode(u"Остановка"_s, textNodes({u"Парк.wav"_s}))})}));
    tree.root().appendChild(textNode(u"Обратное направление"_s));
    return tree;
}

} // namespace

class TestAnnouncement : public QObject
{
    Q_OBJECT

private slots:
    void itemsOfTheStopAPathLeadsTo_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QStringList>("items");
        const QStringList first{u"Вокзал.wav"_s, u"гонг.wav"_s, u"След.wav"_s, u"Рынок.wav"_s};
        QTest::newRow("stop") << QList<int>{0, 0} << first;
        QTest::newRow("its next-stop group") << QList<int>{0, 0, 1} << first;
        QTest::newRow("its control time") << QList<int>{0, 0, 2, 0} << first;
        QTest::newRow("nothing before the stop") << QList<int>{0, 1} << QStringList{u"Рынок.wav"_s};
        QTest::newRow("a stop of one group") << QList<int>{0, 2, 0} << QStringList{u"Парк.wav"_s};
        QTest::newRow("direction") << QList<int>{0} << QStringList{};
        QTest::newRow("direction without stops") << QList<int>{1, 0} << QStringList{};
        QTest::newRow("no such stop") << QList<int>{0, 3} << QStringList{};
        QTest::newRow("negative") << QList<int>{-1, 0} << QStringList{};
        QTest::newRow("nothing") << QList<int>{} << QStringList{};
    }

    void itemsOfTheStopAPathLeadsTo()
    {
        QFETCH(QList<int>, path);
        QFETCH(QStringList, items);
        QCOMPARE(announcementItems(twoStops(), path), cp1251List(items));
    }

    void missingItemsAreNamedAndSkipped()
    {
        QTemporaryDir folder;
        const QString program = folder.path() + u'/';
        QVERIFY(QDir().mkpath(program + u"sounds"_s));
        for (const QString &name : {u"Вокзал.wav"_s, u"Рынок.wav"_s})
            QVERIFY(writeFile(program + u"sounds/"_s + name, waveFile(samples(10, 1))));
        SoundTable table;
        ListLog log;
        listSoundsFolder(table, program, log);
        const QList<QByteArray> items = cp1251List({u"ВОКЗАЛ.WAV"_s, u"гонг.wav"_s, u"рынок.wav"_s, u"Вокзал.wav"_s});
        QCOMPARE(announcementFiles(items, table, log),
                 (QStringList{program + u"sounds/Вокзал.wav"_s, program + u"sounds/Рынок.wav"_s,
                              program + u"sounds/Вокзал.wav"_s}));
        QCOMPARE(log.lines, QStringList{u"Звуковой файл \"гонг.wav\" не найден в каталоге SOUNDS, он пропущен"_s});
    }

    void samplesAreReadFromTheDataChunk()
    {
        QTemporaryDir folder;
        const QByteArray data = samples(301, 4);
        const QString good = folder.filePath(u"good.wav"_s);
        QVERIFY(writeFile(good, waveFile(data, {}, chunk("LIST", "INFOISFT"))));
        const Result<QByteArray> read = readSoundSamples(good);
        QVERIFY(read.ok());
        QCOMPARE(read.value(), data);

        WaveFormat stereo;
        stereo.channels = 2;
        const QString bad = folder.filePath(u"stereo.wav"_s);
        QVERIFY(writeFile(bad, waveFile(data, stereo)));
        const Result<QByteArray> refused = readSoundSamples(bad);
        QVERIFY(!refused.ok());
        QCOMPARE(refused.status().message, u"Файл %1 Данные не в формате МОНО!"_s.arg(QDir::toNativeSeparators(bad)));
    }

    void levels_data()
    {
        QTest::addColumn<QByteArray>("samples");
        QTest::addColumn<int>("peak");
        QTest::addColumn<double>("peakDb");
        QTest::addColumn<qint64>("clipped");
        QTest::newRow("silence") << QByteArray(16000, char(128)) << 0 << -qInf() << qint64(0);
        QTest::newRow("half scale below") << QByteArray("\x80\x40\x90", 3) << 64 << -6.02 << qint64(0);
        QTest::newRow("half scale above") << QByteArray("\x80\xC0", 2) << 64 << -6.02 << qint64(0);
        QTest::newRow("cut at both ends") << QByteArray("\x00\x80\xFF\xFF\x7F", 5) << 128 << 0.0 << qint64(3);
        QTest::newRow("one step short of the top") << QByteArray("\xFE\x01", 2) << 127 << -0.07 << qint64(0);
    }

    void levels()
    {
        QFETCH(QByteArray, samples);
        QFETCH(int, peak);
        QFETCH(double, peakDb);
        QFETCH(qint64, clipped);
        const SoundLevels levels = measureLevels(samples);
        QCOMPARE(levels.sampleCount, samples.size());
        QCOMPARE(levels.peak, peak);
        QCOMPARE(levels.clippedCount, clipped);
        if (std::isinf(peakDb))
            QVERIFY(std::isinf(levels.peakDb()) && levels.peakDb() < 0);
        else
            QVERIFY2(std::abs(levels.peakDb() - peakDb) < 0.01, qPrintable(QString::number(levels.peakDb())));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncement)
#include "test_announcement.moc"
