#include "fonttable.h"

#include "fontglyphs.h"

#include <array>

namespace tirvela {

namespace {

const std::array<FontEntry, 6> kFonts = {{
    {"8x10", 8, 10, 2, false, kGlyphs8x10.data(), int(kGlyphs8x10.size())},
    {"8x16", 8, 16, 7, false, kGlyphs8x16.data(), int(kGlyphs8x16.size())},
    {"5x7", 8, 7, 0, false, kGlyphs5x7.data(), int(kGlyphs5x7.size())},
    {"8x20 Ц", 16, 20, 2, true, kGlyphs8x20Digits.data(), int(kGlyphs8x20Digits.size())},
    {"8x16 Ц", 8, 16, 5, true, kGlyphs8x16Digits.data(), int(kGlyphs8x16Digits.size())},
    {"8x8", 8, 8, 5, false, kGlyphs8x8.data(), int(kGlyphs8x8.size())},
}};

} // namespace

int FontEntry::glyphIndex(quint8 code) const
{
    if (digitsOnly)
        return (code >= '0' && code <= '9') ? code - '0' : -1;
    if (code >= 0x20 && code <= 0x7F)
        return code - 0x20;
    if (code >= 0xC0)
        return code - 0xC0 + 96;
    return -1;
}

bool FontEntry::isLit(int glyph, int row, int column) const
{
    if (glyph < 0 || qint64(glyph + 1) * bytesPerGlyph() > glyphBytes)
        return false;
    const quint8 *data = glyphs + glyph * bytesPerGlyph() + row * bytesPerRow();
    const int bits = bytesPerRow() == 2 ? (data[0] << 8 | data[1]) : data[0];
    return (bits >> (bytesPerRow() * 8 - 1 - column)) & 1;
}

std::span<const FontEntry> fontTable()
{
    return kFonts;
}

const FontEntry *fontByNumber(int number)
{
    if (number < 1 || number > int(kFonts.size()))
        return nullptr;
    return &kFonts[number - 1];
}

} // namespace tirvela
