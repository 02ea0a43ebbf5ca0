#include "gtfs/tripindex.h"

#include <QTest>

using namespace tirvela;

// The trip index finds every id put in, through each growth of its bits, and nothing else.
class TestTripIndex : public QObject
{
    Q_OBJECT

private slots:
    void findsWhatWasPutInAndNothingElse()
    {
        TripIndex index;
        QCOMPARE(index.find("T1"), -1);
        for (int place = 0; place < 5000; ++place) {
            QVERIFY(index.insert("T" + QByteArray::number(place), place));
            // Every id put in so far is still found after the bits grew.
            if ((place & (place - 1)) == 0) {
                for (int earlier = 0; earlier <= place; ++earlier)
                    QCOMPARE(index.find(QByteArray("T" + QByteArray::number(earlier))), earlier);
            }
        }
        for (int place = 0; place < 5000; ++place)
            QCOMPARE(index.find(QByteArray("T" + QByteArray::number(place))), place);
        for (const QByteArrayView absent : {"", "T", "T5000", "T01", "t1", " T1", "T1 "})
            QCOMPARE(index.find(absent), -1);
    }

    void refusesAnIdTwice()
    {
        TripIndex index;
        QVERIFY(index.insert("A", 0));
        QVERIFY(index.insert("", 1));
        QVERIFY(!index.insert("A", 2));
        QVERIFY(!index.insert("", 3));
        QCOMPARE(index.find("A"), 0);
        QCOMPARE(index.find(""), 1);
    }
};

QTEST_GUILESS_MAIN(TestTripIndex)
#include "test_tripindex.moc"
