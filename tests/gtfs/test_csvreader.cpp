#include "gtfs/csvreader.h"
#include "gtfs/memorysource.h"

#include <QTest>

using namespace tirvela;

namespace {

struct ReadRecords
{
    QList<QByteArrayList> records;
    QList<qint64> lines;
    QString error;
    qint64 errorLine = 0;
};

// With `skipColumn` set, the records alike up to that field are passed over after each one read.
ReadRecords readAll(const QByteArray &text, qint64 step, qsizetype skipColumn = -1)
{
    MemorySource source(text, step);
    CsvReader reader(source);
    ReadRecords read;
    for (;;) {
        const CsvReader::Status status = reader.next();
        if (status == CsvReader::Status::End)
            return read;
        if (status == CsvReader::Status::Error) {
            read.error = reader.error();
            read.errorLine = reader.line();
            return read;
        }
        if (skipColumn >= 0) {
            reader.field(skipColumn);
            reader.skipRecordsAlike(skipColumn);
        }
        QByteArrayList fields;
        for (const QByteArrayView field : reader.fields())
            fields << field.toByteArray();
        read.records << fields;
        read.lines << reader.line();
    }
}

} // namespace

// The CSV reader, fed whole and byte by byte (so that every record crosses a refill).
class TestCsvReader : public QObject
{
    Q_OBJECT

private slots:
    void records_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<QByteArrayList>>("records");
        QTest::addColumn<QList<qint64>>("lines");

        QTest::newRow("LF, empty fields") << QByteArray("a,b,c\n1,,3\n,,\n")
                                           << QList<QByteArrayList>{{"a", "b", "c"}, {"1", "", "3"}, {"", "", ""}}
                                           << QList<qint64>{1, 2, 3};
        QTest::newRow("CRLF, byte order mark, no last line end")
            << QByteArray("\xEF\xBB\xBFid,name\r\n7,x\r\n8,y") << QList<QByteArrayList>{{"id", "name"}, {"7", "x"}, {"8", "y"}}
            << QList<qint64>{1, 2, 3};
        QTest::newRow("quoted commas, doubled quotes, CRLF after a quote")
            << QByteArray("a,\"b, c\",\"say \"\"hi\"\"\"\r\n\"\",x\r\n")
            << QList<QByteArrayList>{{"a", "b, c", "say \"hi\""}, {"", "x"}} << QList<qint64>{1, 2};
        QTest::newRow("a line break in a quoted field counts as a line")
            << QByteArray("a,\"two\r\nlines\"\nb,c\n") << QList<QByteArrayList>{{"a", "two\r\nlines"}, {"b", "c"}}
            << QList<qint64>{1, 3};
        QTest::newRow("blank lines anywhere, trailing ones too")
            << QByteArray("a\n\r\n\nb\n\n\r\n") << QList<QByteArrayList>{{"a"}, {"b"}} << QList<qint64>{1, 4};
        QTest::newRow("quotes inside an unquoted field and after a closing quote are text")
            << QByteArray("5\" board,\"x\"y,z\n") << QList<QByteArrayList>{{"5\" board", "xy", "z"}} << QList<qint64>{1};
        QTest::newRow("only a byte order mark") << QByteArray("\xEF\xBB\xBF") << QList<QByteArrayList>{} << QList<qint64>{};
    }
    void records()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<QByteArrayList>, records);
        QFETCH(QList<qint64>, lines);
        for (const qint64 step : {qint64(1), qint64(2), qint64(1) << 20}) {
            const ReadRecords read = readAll(text, step);
            QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
            QCOMPARE(read.records, records);
            QCOMPARE(read.lines, lines);
        }
    }

    // Only records written exactly alike up to the field are passed over, and the lines still count.
    void skippingAlikeRecords_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qsizetype>("column");
        QTest::addColumn<QList<QByteArrayList>>("records");
        QTest::addColumn<QList<qint64>>("lines");

        QTest::newRow("a run of one trip, then another, then the first again")
            << QByteArray("T1,a\nT1,b\nT2,c\nT1,d\n") << qsizetype(0)
            << QList<QByteArrayList>{{"T1", "a"}, {"T2", "c"}, {"T1", "d"}} << QList<qint64>{1, 3, 4};
        QTest::newRow("CRLF, no last line end") << QByteArray("T1,a\r\nT1,b\r\nT2,c") << qsizetype(0)
                                                 << QList<QByteArrayList>{{"T1", "a"}, {"T2", "c"}} << QList<qint64>{1, 3};
        QTest::newRow("a record with a quote is read, not passed over")
            << QByteArray("T1,a\nT1,\"b\nb\"\nT1,c\nT2,d\n") << qsizetype(0)
            << QList<QByteArrayList>{{"T1", "a"}, {"T1", "b\nb"}, {"T1", "c"}, {"T2", "d"}} << QList<qint64>{1, 2, 4, 5};
        QTest::newRow("the fields before the column must be alike too")
            << QByteArray("x,T1,a\nx,T1,b\ny,T1,c\n") << qsizetype(1)
            << QList<QByteArrayList>{{"x", "T1", "a"}, {"y", "T1", "c"}} << QList<qint64>{1, 3};
        QTest::newRow("written otherwise, or the last field: read")
            << QByteArray("T1,a\n T1,b\nT1\nT1\n") << qsizetype(0)
            << QList<QByteArrayList>{{"T1", "a"}, {" T1", "b"}, {"T1"}, {"T1"}} << QList<qint64>{1, 2, 3, 4};
    }
    void skippingAlikeRecords()
    {
        QFETCH(QByteArray, text);
        QFETCH(qsizetype, column);
        QFETCH(QList<QByteArrayList>, records);
        QFETCH(QList<qint64>, lines);
        const ReadRecords read = readAll(text, qint64(1) << 20, column);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.records, records);
        QCOMPARE(read.lines, lines);
    }

    void unterminatedQuoteNamesTheLineItStartsOn()
    {
        for (const qint64 step : {qint64(1), qint64(1) << 20}) {
            const ReadRecords read = readAll("a,b\n1,2\n3,\"open\n4,5\n", step);
            QCOMPARE(read.records.size(), 2);
            QCOMPARE(read.error, QStringLiteral("незакрытая кавычка"));
            QCOMPARE(read.errorLine, 3);
        }
    }

    // Records far larger than one chunk are read whole; one past the bound is refused, not buffered.
    void recordSizeIsBounded()
    {
        const QByteArray big(3 << 20, 'x');
        ReadRecords read = readAll("a," + big + "\nb\n", 1 << 16);
        QVERIFY(read.error.isEmpty());
        QCOMPARE(read.records.size(), 2);
        QCOMPARE(read.records[0][1].size(), big.size());

        read = readAll("a,\"" + QByteArray(CsvReader::MaxRecordBytes, 'x') + "\"\n", 1 << 20);
        QVERIFY(read.error.startsWith(QStringLiteral("запись длиннее")));
    }
};

QTEST_GUILESS_MAIN(TestCsvReader)
#include "test_csvreader.moc"
