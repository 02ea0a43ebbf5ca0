#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <span>

namespace tirvela {

// One of the six fixed bitmap fonts of the route-number board.
struct FontEntry
{
    const char *name; // UTF-8
    int width;        // 16 means two bytes per glyph row; anything else one byte (8 columns)
    int height;       // rows per glyph
    int boardTypeMask; // ids of the board types the font is offered on, ORed
    bool digitsOnly;  // glyphs "0"-"9" only
    const quint8 *glyphs;
    int glyphBytes;   // the whole glyph data, trailing bytes included

    int bytesPerRow() const { return width == 16 ? 2 : 1; }
    int bytesPerGlyph() const { return bytesPerRow() * height; }
    QByteArrayView glyphData() const { return {reinterpret_cast<const char *>(glyphs), glyphBytes}; }

    // The glyph a Windows-1251 character draws with, or -1 when it draws nothing.
    int glyphIndex(quint8 code) const;
    // Whether LED (row, column) of a glyph is lit; a glyph the data do not hold has no lit LED.
    bool isLit(int glyph, int row, int column) const;
};

// The fonts in table order; a display element's font number is the 1-based position.
std::span<const FontEntry> fontTable();

// The font of a 1-based font number, or nullptr when no font has that number.
const FontEntry *fontByNumber(int number);

} // namespace tirvela
