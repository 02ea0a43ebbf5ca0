#include "fixtures.h"
#include "project/boarddatafile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tirvela;
using namespace tirvela::fixture;

namespace {

BoardImage filled(quint8 value)
{
    BoardImage image;
    image.fill(value);
    return image;
}

} // namespace

class TestBoardDataFile : public QObject
{
    Q_OBJECT

private slots:
    void recordsLandAtTheirBoardAddress_data()
    {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QList<int>>("changedOffsets"); // offsets that get 0x5A; all others stay 0xFF

        const QByteArray record40 = ":1000400" "0" + QByteArray("5A").repeated(16) + "00\r\n";
        QTest::newRow("address 0x0040 fills offsets 0-15")
            << record40 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
        QTest::newRow("address 0 lies before the image")
            << QByteArray(":10000000" + QByteArray("5A").repeated(16) + "00\n") << QList<int>{};
        QTest::newRow("bytes past the image end are dropped")
            << QByteArray(":0406FE00" "5A5A5A5A" "00\n") << QList<int>{1726, 1727};
        QTest::newRow("lower-case digits, lone CR ends a line")
            << QByteArray(":02004a005a5a00\r:01005000" "5A" "00") << QList<int>{10, 11, 16};
        QTest::newRow("extended address record changes nothing")
            << QByteArray(":020000040001F9\n:01004100" "5A" "00\n") << QList<int>{1};
        QTest::newRow("end record stops the reading")
            << QByteArray(":01004000" "5A" "00\n:00000001FF\n:01004100" "5A" "00\n") << QList<int>{0};
        QTest::newRow("malformed lines are skipped")
            << QByteArray("junk\n:0100\n:0200410" "0" "5AZZ00\n:0400420" "0" "5A5A\n:01004300" "5A" "00\n"
                          ":01004400" "5A" + QByteArray("0").repeated(60) + "\n")
            << QList<int>{3};
    }

    void recordsLandAtTheirBoardAddress()
    {
        QFETCH(QByteArray, hex);
        QFETCH(QList<int>, changedOffsets);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("board.hex"));
        QVERIFY(writeFile(path, hex));

        BoardImage image = filled(0x00);
        QVERIFY(loadBoardDataFile(image, path).ok());
        BoardImage expected = filled(0xFF);
        for (int offset : changedOffsets)
            expected[size_t(offset)] = 0x5A;
        QCOMPARE(image, expected);
    }

    void missingFileLeavesTheImage()
    {
        BoardImage image = filled(0x33);
        const Status missing = loadBoardDataFile(image, QStringLiteral("/nonexistent/blinker4_16.hex"));
        QVERIFY(!missing.ok());
        QVERIFY(missing.message.isEmpty()); // no such file: the caller words it
        QVERIFY(!missing.reason.isEmpty());
        QCOMPARE(image, filled(0x33));
    }

    void olderLayoutImagesComeFromTheirFiles()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("blinker4_16.hex")), ":01004000" "5A" "00\n"));
        Project project;
        for (Board &board : project.boards)
            board.image = filled(0x77);

        loadBoardDataFiles(project, dir.path());
        BoardImage first = filled(0xFF);
        first[0] = 0x5A;
        QCOMPARE(project.boards[0].image, first);
        // No "blinker4_20.hex": nothing of the images before stays behind.
        QCOMPARE(project.boards[1].image, filled(0x00));
        QCOMPARE(project.boards[2].image, filled(0x00));
    }
};

QTEST_GUILESS_MAIN(TestBoardDataFile)
#include "test_boarddatafile.moc"
