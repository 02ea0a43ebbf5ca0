#include "sound/import/ditherquantizer.h"

#include <QTest>

#include <cmath>
#include <vector>

using namespace tirvela;

class TestDitherQuantizer : public QObject
{
    Q_OBJECT

private slots:
    // A steady level between two steps comes out as a mix of its neighbours whose mean is the
    // level itself: the dither turns the rounding into noise, and the rounding is not biased.
    void meanIsTheLevel_data()
    {
        QTest::addColumn<double>("steps"); // the level in steps of the 8-bit samples

        QTest::newRow("silence") << 0.0;
        QTest::newRow("a quarter step") << 0.25;
        QTest::newRow("half a step") << 0.5;
        QTest::newRow("below silence") << -3.7;
        QTest::newRow("loud") << 100.3;
    }

    void meanIsTheLevel()
    {
        QFETCH(double, steps);
        DitherQuantizer quantizer(0.5f); // the gain applies too
        const std::vector<float> samples(100003, float(steps / 64.0));
        QByteArray bytes;
        quantizer.reduce(samples, bytes);
        QCOMPARE(bytes.size(), qsizetype(samples.size()));
        double sum = 0;
        double largest = 0;
        for (const char byte : bytes) {
            const double level = int(quint8(byte)) - 128;
            QVERIFY2(std::abs(level - steps) < 2, qPrintable(QString::number(level)));
            sum += level;
            largest = std::max(largest, std::abs(level));
        }
        QVERIFY2(std::abs(sum / double(bytes.size()) - steps) < 0.01, qPrintable(QString::number(sum / double(bytes.size()))));
        QCOMPARE(quantizer.peak(), largest / 128);
    }

    // Full scale and beyond stays within the 8-bit range instead of wrapping round, and is
    // counted: 1.0 lies half a step beyond the largest byte, -1.0 is the smallest.
    void clipsAtTheEnds()
    {
        DitherQuantizer quantizer(1.0f);
        QByteArray bytes;
        quantizer.reduce({1.5f, -1.5f, 1.0f, -1.0f, 0.99f, -0.99f}, bytes);
        QCOMPARE(quantizer.clippedCount(), 3);
        QCOMPARE(quint8(bytes[0]), 255);
        QCOMPARE(quint8(bytes[1]), 0);
        QCOMPARE(quint8(bytes[2]), 255);
        QVERIFY(quint8(bytes[3]) <= 1);
        QCOMPARE(quantizer.peak(), 1.0);
    }
};

QTEST_GUILESS_MAIN(TestDitherQuantizer)
#include "test_ditherquantizer.moc"
