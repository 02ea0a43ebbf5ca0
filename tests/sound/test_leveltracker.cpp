#include "sound/import/leveltracker.h"

#include <QTest>

#include <cmath>
#include <vector>

using namespace tirvela;

class TestLevelTracker : public QObject
{
    Q_OBJECT

private slots:
    // Fed in blocks of uneven sizes, the span above a threshold is the one a plain search finds.
    // The thresholds are powers of two, where a level begins, so the answer is exact.
    void spanMatchesASearch_data()
    {
        QTest::addColumn<float>("threshold");
        QTest::newRow("everything") << 0.0f;
        QTest::newRow("quiet") << 1.0f / 1024;
        QTest::newRow("loud") << 0.25f;
        QTest::newRow("only the peak") << 0.5f;
        QTest::newRow("above the peak") << 1.0f;
    }

    void spanMatchesASearch()
    {
        QFETCH(float, threshold);
        // Silence, a swell and decay, silence, a lone click, silence.
        std::vector<float> samples(20000, 0.0f);
        for (size_t i = 3000; i < 12000; ++i)
            samples[i] = float(0.6 * std::sin(double(i) * 0.37) * std::sin(double(i - 3000) / 9000 * 3.14159));
        samples[16001] = -0.3f;
        LevelTracker tracker;
        for (size_t at = 0, size = 1; at < samples.size(); at += size, size = size * 7 % 4099 + 1)
            tracker.add(std::vector<float>(samples.begin() + qsizetype(at),
                                           samples.begin() + qsizetype(std::min(samples.size(), at + size))));

        LevelTracker::Span expected{0, 0};
        for (qint64 i = 0; i < qint64(samples.size()); ++i) {
            if (std::fabs(samples[size_t(i)]) >= threshold) {
                if (expected.count() == 0)
                    expected.begin = i;
                expected.end = i + 1;
            }
        }
        const LevelTracker::Span span = tracker.spanReaching(threshold);
        QCOMPARE(span.begin, expected.begin);
        QCOMPARE(span.end, expected.end);
        QCOMPARE(tracker.count(), qint64(samples.size()));
    }
};

QTEST_GUILESS_MAIN(TestLevelTracker)
#include "test_leveltracker.moc"
