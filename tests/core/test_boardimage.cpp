#include "fonts/fonttable.h"
#include "common/crc16.h"
#include "project/boardcontent.h"
#include "project/boardimage.h"

#include <QTest>

#include <memory>

using namespace tirvela;

namespace {

// A font whose every glyph is a solid block `columns` wide, so widths and clipping are easy to see.
struct BlockFont
{
    std::vector<quint8> glyphs;
    FontEntry entry;

    BlockFont(int width, int height, int columns, bool digitsOnly)
    {
        const int bytesPerRow = width == 16 ? 2 : 1;
        const int glyphCount = digitsOnly ? 10 : 160;
        const quint32 row = ((1u << columns) - 1) << (bytesPerRow * 8 - columns);
        for (int g = 0; g < glyphCount * height; ++g) {
            if (bytesPerRow == 2)
                glyphs.push_back(quint8(row >> 8));
            glyphs.push_back(quint8(row));
        }
        entry = {"test", width, height, 0, digitsOnly, glyphs.data(), int(glyphs.size())};
    }
};

int litPixels(const BoardPicture &picture)
{
    int count = 0;
    for (int row = 0; row < BoardPicture::Rows; ++row)
        for (int column = 0; column < BoardPicture::Columns; ++column)
            count += picture.pixel(column, row);
    return count;
}

std::unique_ptr<Project> projectWithRoutes(std::initializer_list<const char *> numbers)
{
    auto project = std::make_unique<Project>();
    for (const char *number : numbers)
        project->boards[0].routes[project->routeCount++].routeNumberText = number;
    return project;
}

} // namespace

class TestBoardImage : public QObject
{
    Q_OBJECT

private slots:
    void routeNumberValue_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("12") << QByteArray("12") << 0x12;
        QTest::newRow("1A") << QByteArray("1A") << 0x1A;
        QTest::newRow("1a") << QByteArray("1a") << 0x1A;
        QTest::newRow("9999") << QByteArray("9999") << 0x9999;
        QTest::newRow("Cyrillic letter") << QByteArray("12\xDF") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("blank") << QByteArray("1 2") << 0;
        QTest::newRow("low 16 bits") << QByteArray("12345") << 0x2345;
        QTest::newRow("too long") << QByteArray("123456789") << 0;
    }
    void routeNumberValue()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        QCOMPARE(int(tirvela::routeNumberValue(text)), value);
    }

    void numbersComeBackAsLowerCaseHex()
    {
        auto project = projectWithRoutes({"12", "1A"});
        const BoardImagesBuild built = buildBoardImages(*project);
        QVERIFY(built.fits());
        for (int board = 0; board < BoardTypeCount; ++board)
            project->boards[board].image = built.images[board];
        rebuildBoardContent(*project);
        for (const Board &board : project->boards) {
            QCOMPARE(board.routes[0].routeNumberText, QByteArray("12"));
            QCOMPARE(board.routes[1].routeNumberText, QByteArray("1a"));
            QVERIFY(board.routes[2].routeNumberText.isEmpty());
        }
    }

    void emptyRouteFinalisesToTheMinimum()
    {
        auto project = projectWithRoutes({"1"});
        BoardImage image;
        QVERIFY(buildBoardImage(*project, 0, image).fits);
        QCOMPARE(finaliseBoardImage(image), 512);
        QCOMPARE(storedBoardImageSize(image), 512);
        QCOMPARE(int(image[2] | image[3] << 8), 508);
        // route table: value 1, list address 12 + 64 twice, end marker, the empty list
        const QByteArray payload(reinterpret_cast<const char *>(image.data()) + 4, 9);
        QCOMPARE(payload, QByteArray("\x01\x00\x4C\x00\x4C\x00\x00\x00\x00", 9));
        const quint16 crc = crc16Xmodem(0, QByteArrayView(reinterpret_cast<const char *>(image.data()) + 4, 512));
        QCOMPARE(int(image[0]), crc >> 8);
        QCOMPARE(int(image[1]), crc & 0xFF);
    }

    void fullImageCountsMissingCrcBytesAsFiller()
    {
        BoardImage image;
        image.fill(0x00);
        QCOMPARE(finaliseBoardImage(image), 1728);
        QByteArray covered(1724, '\0');
        covered.append(4, char(0xFF));
        const quint16 crc = crc16Xmodem(0, covered);
        QCOMPARE(int(image[0] << 8 | image[1]), int(crc));
        QCOMPARE(storedBoardImageSize(image), 1728);
    }

    void elementsSurviveBuildAndRebuild()
    {
        auto project = projectWithRoutes({"12", "7"});
        BoardRouteEntry &entry = project->boards[1].routes[1];
        entry.elements.push_back({2, -3, 5, QByteArray("A\xC0"), 0, 0});
        entry.elements.push_back({4, 2, 120, QByteArray("42"), 0, 0});
        redrawRoutePicture(entry);
        const BoardPicture drawn = entry.picture;

        project->boards[1].image = buildBoardImages(*project).images[1];
        rebuildBoardContent(*project);

        const BoardRouteEntry &restored = project->boards[1].routes[1];
        QCOMPARE(restored.elements.size(), size_t(2));
        QCOMPARE(restored.elements[0].font, 2);
        QCOMPARE(restored.elements[0].y, -3);
        QCOMPARE(restored.elements[0].x, 5);
        QCOMPARE(restored.elements[0].text, QByteArray("A\xC0"));
        QCOMPARE(restored.elements[1].x, 120);
        QCOMPARE(restored.elements[1].height, 20);
        QVERIFY(restored.picture.bits == drawn.bits);
        QVERIFY(project->boards[1].routes[0].elements.empty());
    }

    void rebuildStepsOverLongTextsInFull()
    {
        auto project = std::make_unique<Project>();
        BoardImage &image = project->boards[0].image;
        image.fill(0xFF);
        // one route whose list (at offset 12) holds a 35-character text, then a second element
        const QByteArray list = QByteArray("\x02\x01\x02", 3) + QByteArray(35, 'L') + '\0'
                                + QByteArray("\x06\xFE\x03Z\0\0", 6);
        const QByteArray table("\0\0\0\0\x01\0\x4C\0\x4C\0\0\0", 12);
        std::copy(table.begin(), table.end(), image.begin());
        std::copy(list.begin(), list.end(), image.begin() + 12);
        rebuildBoardContent(*project);

        const std::vector<DisplayElement> &elements = project->boards[0].routes[0].elements;
        QCOMPARE(elements.size(), size_t(2));
        QCOMPARE(elements[0].text, QByteArray(MaxElementTextLength, 'L'));
        QCOMPARE(elements[1].font, 6);
        QCOMPARE(elements[1].x, -2);
        QCOMPARE(elements[1].y, 3);
        QCOMPARE(elements[1].text, QByteArray("Z"));
    }

    void overflowIsReportedAndNothingWritten()
    {
        auto project = projectWithRoutes({"1", "2"});
        const QByteArray text(29, 'W');
        for (int i = 0; i < 60; ++i) // 60 elements of 33 bytes
            project->boards[2].routes[i % 2].elements.push_back({2, 0, 0, text, 0, 0});
        BoardImage image;
        image.fill(0x5A);
        const BoardImageBuildResult result = buildBoardImage(*project, 2, image);
        QVERIFY(!result.fits);
        // table 4 + 2*6 + 2, lists 60*33 + 2 terminators
        const int over = 4 + 12 + 2 + 60 * 33 + 2 - 1728;
        QCOMPARE(result.bytesOver, over);
        QCOMPARE(int(image[100]), 0x5A);

        const BoardImagesBuild all = buildBoardImages(*project);
        QVERIFY(!all.fits());
        QCOMPARE(all.bytesOver, (std::array<int, BoardTypeCount>{0, 0, over}));
        QCOMPARE(all.problems(),
                 QStringList{QStringLiteral("Содержимое табло 16x28x4 Раздельные не помещается в образ: лишних %1 байт").arg(over)});
    }

    void rebuildStaysInsideDamagedImages_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("filler");
        QTest::addColumn<int>("elements");
        // list address far past the image end
        QTest::newRow("list past end") << QByteArray("\0\0\0\0\x01\0\xFF\xFF\xFF\xFF\0\0", 12) << 0xFF << 0;
        // an element whose text runs to the image end ends the walk
        QTest::newRow("text to end") << QByteArray("\0\0\0\0\x01\0\x4C\0\x4C\0\0\0\x02\x01\x01", 15) << 0x41 << 0;
        // every table entry non-zero: the walk stops after 50 routes
        QTest::newRow("no table end") << QByteArray() << 0x01 << 0;
    }
    void rebuildStaysInsideDamagedImages()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(int, filler);
        QFETCH(int, elements);
        auto project = std::make_unique<Project>();
        BoardImage &image = project->boards[0].image;
        image.fill(quint8(filler));
        std::copy(prefix.begin(), prefix.end(), image.begin());
        rebuildBoardContent(*project);
        QCOMPARE(int(project->boards[0].routes[0].elements.size()), elements);
    }

    void renderClipsAtTheBoardEdges()
    {
        BlockFont font(8, 10, 8, false);
        BoardPicture picture;
        // columns 120-127 are drawn, 128-135 only widen; the advance is the last lit column (7)
        QCOMPARE(renderDisplayText(picture, font.entry, 120, 0, "A"), 9);
        QCOMPARE(litPixels(picture), 8 * 10);
        QVERIFY(picture.pixel(127, 9));

        picture.clear();
        // starting at 129, every column lies in 129..136; only 136 is past the ignored edge
        QCOMPARE(renderDisplayText(picture, font.entry, 129, 0, "A"), 8);
        QCOMPARE(litPixels(picture), 0);

        picture.clear();
        QCOMPARE(renderDisplayText(picture, font.entry, 200, 0, "AB"), 8);
        QCOMPARE(litPixels(picture), 0);

        picture.clear();
        renderDisplayText(picture, font.entry, 0, -7, "A");
        QCOMPARE(litPixels(picture), 8 * 3);
        QVERIFY(picture.pixel(0, 0) && picture.pixel(0, 2) && !picture.pixel(0, 3));

        picture.clear();
        renderDisplayText(picture, font.entry, 0, 15, "A");
        QCOMPARE(litPixels(picture), 8 * 5);
    }

    void renderWidthFollowsTheGlyphs()
    {
        BlockFont narrow(8, 7, 5, false);
        BoardPicture picture;
        // 5 lit columns: advance 4, plus the 2-column gap
        QCOMPARE(renderDisplayText(picture, narrow.entry, 0, 0, "AB"), 12);
        QVERIFY(picture.pixel(6, 0) && !picture.pixel(5, 0));
        // characters without a glyph draw nothing and move on by 4
        QCOMPARE(renderDisplayText(picture, narrow.entry, 0, 0, "\x01\xA8"), 8);

        BlockFont digits(8, 16, 8, true);
        picture.clear();
        QCOMPARE(renderDisplayText(picture, digits.entry, 0, 0, "12\xDF"), 9 + 9 + 4);
        QCOMPARE(litPixels(picture), 2 * 8 * 16);

        BlockFont wide(16, 20, 16, true);
        picture.clear();
        QCOMPARE(renderDisplayText(picture, wide.entry, 0, 0, "1"), 17);
        QVERIFY(picture.pixel(15, 19) && !picture.pixel(16, 0));
    }

    void newProjectKeepsTheImages()
    {
        auto project = projectWithRoutes({"5", "6"});
        project->routeStreams[1] = "x";
        project->boards[2].routes[0].elements.push_back({2, 0, 0, "A", 0, 0});
        project->boards[0].image.fill(0x33);
        newProject(*project);
        QCOMPARE(project->routeCount, 1);
        QCOMPARE(project->routeNumberText(0), QByteArray("1"));
        QVERIFY(project->routeNumberText(1).isEmpty());
        QVERIFY(project->routeStreams[1].isEmpty());
        QVERIFY(project->boards[2].routes[0].elements.empty());
        QCOMPARE(int(project->boards[0].image[0]), 0x33);
    }
};

QTEST_GUILESS_MAIN(TestBoardImage)
#include "test_boardimage.moc"
