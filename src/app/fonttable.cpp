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
