#include "gtfs/csvreader.h"
#include "gtfs/memorysource.h"

#include <QTest>

#include <atomic>
#include <memory>

using namespace tirvela;

namespace {

struct ReadRecords
{
    QList<QByteArrayList> records;
    QList<qint64> lines;
    QString error;
    qint64 errorLine = 0;
};

// Reads every record; after one whose first field is `skipAfter`, passes over the records that
// begin the same way.
ReadRecords readAll(ByteSource &source, qsizetype chunk, QByteArrayView skipAfter = {})
{
    CsvReader reader(source, chunk);
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
        QByteArrayList fields;
        for (const QByteArrayView field : reader.fields())
            fields << field.toByteArray();
        read.records << fields;
        read.lines << reader.line();
        if (!skipAfter.isEmpty() && fields.first() == skipAfter)
            reader.skipRecordsWithSameFirstField();
    }
}

// The reader takes the bytes over in chunks of the size they arrive in, so a small step makes
// every record cross from one chunk to the next.
ReadRecords readAll(const QByteArray &text, qint64 step, QByteArrayView skipAfter = {})
{
    MemorySource source(text, step);
    return readAll(source, qsizetype(qMin(step, qint64(CsvReader::DefaultChunkBytes))), skipAfter);
}

// Hands out its bytes, then fails.
class FailingSource : public MemorySource
{
public:
    using MemorySource::MemorySource;
    qint64 read(char *data, qint64 size) override
    {
        const qint64 count = MemorySource::read(data, size);
        return count > 0 ? count : -1;
    }
    QString error() const override { return QStringLiteral("диск недоступен"); }
};

// Rows without end; counts the bytes handed out.
class EndlessSource : public ByteSource
{
public:
    qint64 read(char *data, qint64 size) override
    {
        for (qint64 at = 0; at < size; ++at)
            data[at] = at % 8 == 7 ? '\n' : 'r';
        handedOut += size;
        return size;
    }
    QString error() const override { return {}; }
    qint64 size() const override { return -1; }

    std::atomic<qint64> handedOut = 0;
};

// Rows of unknown length, so that they are read ahead on a thread; the third read runs out of memory.
class OutOfMemorySource : public EndlessSource
{
public:
    qint64 read(char *data, qint64 size) override
    {
        if (++reads == 3)
            throw std::bad_alloc();
        return EndlessSource::read(data, size);
    }

    int reads = 0;
};

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
        QTest::newRow("a quote and a line end past the first blocks of a long record")
            << QByteArray(QByteArray(70, 'a') + ",\"b,\nc\"," + QByteArray(130, 'd') + "\n" + QByteArray(100, 'e') + "\n")
            << QList<QByteArrayList>{{QByteArray(70, 'a'), "b,\nc", QByteArray(130, 'd')}, {QByteArray(100, 'e')}}
            << QList<qint64>{1, 3};
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

    // Passing over the rest of a trip's rows: only records that begin with the same first field,
    // written the same way and holding no quote, go; the lines after them keep their numbers.
    void skippingRecordsWithSameFirstField_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<QByteArrayList>>("records");
        QTest::addColumn<QList<qint64>>("lines");

        QTest::newRow("a longer first field is another one")
            << QByteArray("T1,a\nT1,b\nT10,c\nT1,d\n") << QList<QByteArrayList>{{"T1", "a"}, {"T10", "c"}, {"T1", "d"}}
            << QList<qint64>{1, 3, 4};
        QTest::newRow("CRLF, no last line end") << QByteArray("T1,a\r\nT1,b\r\nT1,c\r\nT2,d")
                                              << QList<QByteArrayList>{{"T1", "a"}, {"T2", "d"}} << QList<qint64>{1, 4};
        QTest::newRow("a quoted field that spans lines is read, not passed over")
            << QByteArray("T1,a\nT1,\"x\nT1,y\"\nT2,b\n")
            << QList<QByteArrayList>{{"T1", "a"}, {"T1", "x\nT1,y"}, {"T2", "b"}} << QList<qint64>{1, 2, 4};
        QTest::newRow("written with a blank, or alone on its line") << QByteArray("T1,a\n T1,b\nT1,c\nT1\nT1\n")
                                                                     << QList<QByteArrayList>{{"T1", "a"}, {" T1", "b"}, {"T1", "c"}, {"T1"}, {"T1"}}
                                                                     << QList<qint64>{1, 2, 3, 4, 5};
        QTest::newRow("a blank line ends the run") << QByteArray("T1,a\nT1,b\n\nT1,c\nT1,d\n")
                                                 << QList<QByteArrayList>{{"T1", "a"}, {"T1", "c"}} << QList<qint64>{1, 4};
    }
    void skippingRecordsWithSameFirstField()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<QByteArrayList>, records);
        QFETCH(QList<qint64>, lines);
        for (const qint64 step : {qint64(1), qint64(3), qint64(1) << 20}) {
            const ReadRecords read = readAll(text, step, "T1");
            QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
            QCOMPARE(read.records, records);
            QCOMPARE(read.lines, lines);
        }
    }

    // Runs long enough to be passed over a block at a time: first fields of every length around
    // the sizes compared at once, line feeds at every place in a block, a quote in some rows,
    // CRLF or LF, and a text larger than the reader's buffer. Passing over after every record must
    // keep exactly each trip's first row, the rows that hold a quote and the row after one.
    // With quotes here and there, and without any, where every block of a run is passed over by
    // its line feeds alone.
    void passingOverLongRuns_data()
    {
        QTest::addColumn<bool>("withQuotes");
        QTest::newRow("quotes here and there") << true;
        QTest::newRow("no quotes") << false;
    }

    void passingOverLongRuns()
    {
        QFETCH(bool, withQuotes);
        for (const int headSize : {2, 15, 16, 17, 31, 32, 33, 45}) {
            for (const QByteArray &lineEnd : {QByteArray("\n"), QByteArray("\r\n")}) {
                QByteArray text;
                QList<qint64> expectedLines;
                qint64 line = 0;
                bool afterQuote = false;
                for (int trip = 0; text.size() < 300'000; ++trip) {
                    const QByteArray id = QByteArray::number(trip).rightJustified(headSize - 1, 'T');
                    const int rows = 1 + trip % 23;
                    for (int row = 0; row < rows; ++row) {
                        ++line;
                        const bool quote = withQuotes && (trip * 31 + row) % 97 == 0;
                        if (row == 0 || quote || afterQuote)
                            expectedLines << line;
                        afterQuote = quote;
                        text += id + ',' + QByteArray((trip * 7 + row * 13) % 70, 'x') + (quote ? ",\"q,q\"" : "")
                                + ',' + QByteArray::number(row) + lineEnd;
                    }
                }
                text.chop(lineEnd.size() * (headSize % 2)); // some texts end without a line end
                for (const qint64 step : {qint64(7), qint64(1) << 20}) {
                    MemorySource source(text, step);
                    CsvReader reader(source, step < 64 ? 4096 : CsvReader::DefaultChunkBytes);
                    QList<qint64> lines;
                    while (reader.next() == CsvReader::Status::Record) {
                        lines << reader.line();
                        reader.skipRecordsWithSameFirstField();
                    }
                    QVERIFY2(reader.error().isEmpty(), qPrintable(reader.error()));
                    QCOMPARE(lines, expectedLines);
                }
            }
        }
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

    // A quoted field carried over several chunks, longer and shorter than the room in front of a
    // chunk, keeps its line breaks, doubled quotes and commas, and the records after it follow.
    void quotedFieldAcrossChunks()
    {
        QByteArray quoted;
        for (int part = 0; quoted.size() < 5000; ++part)
            quoted += "part " + QByteArray::number(part) + (part % 3 ? ",\r\n" : " \"\"q\"\" ");
        QByteArray written = quoted;
        written.replace("\"", "\"\"");
        const QByteArray text = "id,text\n1,\"" + written + "\",x\n2,y\n";
        QByteArrayList unquoted{"1", quoted, "x"};
        for (const qsizetype chunk : {qsizetype(3), qsizetype(64), qsizetype(4096), qsizetype(1) << 16}) {
            MemorySource source(text, 5);
            const ReadRecords read = readAll(source, chunk);
            QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
            QCOMPARE(read.records, (QList<QByteArrayList>{{"id", "text"}, unquoted, {"2", "y"}}));
            QCOMPARE(read.lines, (QList<qint64>{1, 2, 2 + quoted.count('\n') + 1}));
        }
    }

    // A source that fails part way: the records read before the failure come, then its reason,
    // on the line of the record it cut, however far ahead the reading was; passing over a run
    // of rows meets the failure too.
    void readFailureAfterRecords()
    {
        QByteArray rows;
        QByteArray run;
        for (int row = 0; row < 200; ++row) {
            rows += "row" + QByteArray::number(row) + ",abc\n";
            run += "T1,row" + QByteArray::number(row) + "\n";
        }
        struct Case
        {
            QByteArray text;
            QByteArrayView skipAfter;
            qsizetype records;
            QByteArrayList last;
        };
        const Case cases[] = {
            {rows, {}, 150, {"row149", "abc"}},
            {rows, "row0", 150, {"row149", "abc"}},
            {run, "T1", 1, {"T1", "row0"}},
        };
        for (const Case &test : cases) {
            const qsizetype cut = test.text.indexOf("row150") + 2;
            for (const qsizetype chunk : {qsizetype(7), qsizetype(256), qsizetype(1) << 16}) {
                FailingSource source(test.text.left(cut), 11);
                const ReadRecords read = readAll(source, chunk, test.skipAfter);
                QCOMPARE(read.error, QStringLiteral("диск недоступен"));
                QCOMPARE(read.records.size(), test.records);
                QCOMPARE(read.records.constLast(), test.last);
                QCOMPARE(read.errorLine, 151);
            }
        }
    }

    // A reader left before the end of its source stops reading it, having read at most its
    // buffers ahead.
    void readerLeftBeforeTheEnd()
    {
        constexpr qsizetype chunk = 4096;
        for (const int records : {0, 1, 5000}) {
            EndlessSource source;
            {
                CsvReader reader(source, chunk);
                for (int record = 0; record < records; ++record)
                    QCOMPARE(reader.next(), CsvReader::Status::Record);
            }
            const qint64 handedOut = source.handedOut;
            QVERIFY(handedOut <= records * 8 + ReadAhead::Buffers * chunk);
            QCOMPARE(source.handedOut, handedOut);
        }
    }

    // Memory running out on the reading thread ends the scan where it is, with the records read
    // before, not the program.
    void outOfMemoryWhileReadingAheadReachesTheScan()
    {
        constexpr qsizetype chunk = 4096;
        OutOfMemorySource source;
        CsvReader reader(source, chunk);
        qint64 records = 0;
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, {
            while (reader.next() == CsvReader::Status::Record)
                ++records;
        });
        QCOMPARE(records, 2 * chunk / 8);
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
