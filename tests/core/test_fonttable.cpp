#include "fonts/fonttable.h"

#include <QTest>

#include <algorithm>
#include <climits>

using namespace tirvela;

namespace {

QByteArray glyphBytes(const FontEntry &font, int glyph)
{
    return font.glyphData().sliced(glyph * font.bytesPerGlyph(), font.bytesPerGlyph()).toByteArray();
}

// The glyph's rows as bit masks, bit (width - 1) being the leftmost column.
QList<int> glyphRows(const FontEntry &font, int glyph)
{
    const QByteArray bytes = glyphBytes(font, glyph);
    QList<int> rows;
    for (int i = 0; i < bytes.size(); i += font.bytesPerRow()) {
        int row = quint8(bytes[i]);
        if (font.bytesPerRow() == 2)
            row = row << 8 | quint8(bytes[i + 1]);
        rows.append(row);
    }
    return rows;
}

int usedColumns(const FontEntry &font, int glyph)
{
    int used = 0;
    for (const int row : glyphRows(font, glyph))
        used |= row;
    return used;
}

} // namespace

class TestFontTable : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("digitsOnly");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("bytesPerGlyph");

        QTest::newRow("8x10") << 1 << QStringLiteral("8x10") << 8 << 10 << 2 << false << 1600 << 10;
        QTest::newRow("8x16") << 2 << QStringLiteral("8x16") << 8 << 16 << 7 << false << 2560 << 16;
        QTest::newRow("5x7") << 3 << QStringLiteral("5x7") << 8 << 7 << 0 << false << 1280 << 7;
        QTest::newRow("8x20 digits") << 4 << QStringLiteral("8x20 Ц") << 16 << 20 << 2 << true << 402 << 40;
        QTest::newRow("8x16 digits") << 5 << QStringLiteral("8x16 Ц") << 8 << 16 << 5 << true << 162 << 16;
        QTest::newRow("8x8") << 6 << QStringLiteral("8x8") << 8 << 8 << 5 << false << 1280 << 8;
    }

    void rows()
    {
        QFETCH(int, number);
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, mask);
        QFETCH(bool, digitsOnly);
        QFETCH(int, bytes);
        QFETCH(int, bytesPerGlyph);
        const FontEntry *font = fontByNumber(number);
        QVERIFY(font);
        QCOMPARE(font, &fontTable()[number - 1]);
        QCOMPARE(QString::fromUtf8(font->name), name);
        QCOMPARE(font->width, width);
        QCOMPARE(font->height, height);
        QCOMPARE(font->boardTypeMask, mask);
        QCOMPARE(font->digitsOnly, digitsOnly);
        QCOMPARE(font->glyphBytes, bytes);
        QCOMPARE(font->glyphData().size(), qsizetype(font->glyphBytes));
        QCOMPARE(font->bytesPerGlyph(), bytesPerGlyph);
    }

    void fontNumbersOutsideTheTableHaveNoFont()
    {
        QCOMPARE(fontTable().size(), size_t(6));
        QVERIFY(!fontByNumber(0));
        QVERIFY(!fontByNumber(7));
        QVERIFY(!fontByNumber(-1));
        QVERIFY(!fontByNumber(INT_MIN));
    }

    void fixedRows_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("glyph");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("8x8 Latin A") << 6 << 33 << QByteArray::fromHex("3048CCCCFCCCCC00");
        QTest::newRow("8x8 Cyrillic A") << 6 << 96 << QByteArray::fromHex("3C6CCCCCFCCCCC00");
        QTest::newRow("8x16 digits 0") << 5 << 0 << QByteArray::fromHex("3C7EE7C3C3C3C3C3C3C3C3C3C3E77E3C");
    }

    void fixedRows()
    {
        QFETCH(int, number);
        QFETCH(int, glyph);
        QFETCH(QByteArray, bytes);
        QCOMPARE(glyphBytes(*fontByNumber(number), glyph), bytes);
    }

    void fullFonts_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("columns"); // the widest design the font may use

        QTest::newRow("8x10") << 1 << 8;
        QTest::newRow("8x16") << 2 << 8;
        QTest::newRow("5x7") << 3 << 5;
        QTest::newRow("8x8") << 6 << 8;
    }

    // Every printable character and every Cyrillic letter draws something, starting at the left edge
    // (the board spaces texts by their lit columns); the space draws nothing.
    void fullFonts()
    {
        QFETCH(int, number);
        QFETCH(int, columns);
        const FontEntry &font = *fontByNumber(number);
        QCOMPARE(usedColumns(font, 0), 0);
        for (int glyph = 1; glyph < 160; ++glyph) {
            if (glyph == 0x7F - 0x20)
                continue;
            const int used = usedColumns(font, glyph);
            QVERIFY2(used & 0x80, qPrintable(QStringLiteral("glyph %1 is empty or not at the left edge").arg(glyph)));
            QVERIFY2(!(used & (0xFF >> columns)),
                     qPrintable(QStringLiteral("glyph %1 is wider than %2 columns").arg(glyph).arg(columns)));
        }
        const QByteArrayView rest = font.glyphData().sliced(160 * font.bytesPerGlyph());
        QVERIFY(std::all_of(rest.begin(), rest.end(), [](char byte) { return byte == 0; }));
    }

    // A row of the 16-column font is two bytes, high byte first: its digits reach past column 8,
    // and their left edge is in the first byte of a row.
    void wideDigitRowsAreTwoBytesHighFirst()
    {
        const FontEntry &font = *fontByNumber(4);
        QCOMPARE(font.bytesPerRow(), 2);
        for (int digit = 0; digit < 10; ++digit) {
            const int used = usedColumns(font, digit);
            QVERIFY2(used & 0x8000, qPrintable(QString::number(digit)));
            QVERIFY2(used & 0x00FF, qPrintable(QString::number(digit)));
        }
        // "1": a stem in columns 5-7 above a foot that runs on into the second byte.
        QCOMPARE(glyphBytes(font, 1).left(2), QByteArray::fromHex("0700"));
        QVERIFY(glyphRows(font, 1).last() & 0x00FF);
    }

    void digitFontsEndWithTwoSpareBytes_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("8x20 digits") << 4;
        QTest::newRow("8x16 digits") << 5;
    }

    void digitFontsEndWithTwoSpareBytes()
    {
        QFETCH(int, number);
        const FontEntry &font = *fontByNumber(number);
        QCOMPARE(font.glyphBytes, 10 * font.bytesPerGlyph() + 2);
        QCOMPARE(font.glyphData().last(2), QByteArrayView("\0\0", 2));
        for (int digit = 0; digit < 10; ++digit)
            QVERIFY2(usedColumns(font, digit), qPrintable(QString::number(digit)));
    }

    void boardTypesOfferTheirFonts_data()
    {
        QTest::addColumn<int>("boardType"); // 0-based position in the board type table
        QTest::addColumn<QList<int>>("fonts");

        QTest::newRow("16x28x4") << 0 << QList<int>{2, 5, 6};
        QTest::newRow("20x28x4") << 1 << QList<int>{1, 2, 4};
        QTest::newRow("16x28x4 separate") << 2 << QList<int>{2, 5, 6};
    }

    void boardTypesOfferTheirFonts()
    {
        QFETCH(int, boardType);
        QFETCH(QList<int>, fonts);
        QList<int> offered;
        for (int number = 1; const FontEntry &font : fontTable()) {
            if (font.boardTypeMask & (1 << boardType))
                offered.append(number);
            ++number;
        }
        QCOMPARE(offered, fonts);
    }
};

QTEST_GUILESS_MAIN(TestFontTable)
#include "test_fonttable.moc"
