#include "fontglyphs.h"

namespace tirvela {

// Placeholder until the generated glyph data lands.
const std::array<quint8, 1600> kGlyphs8x10{};
const std::array<quint8, 2560> kGlyphs8x16{};
const std::array<quint8, 1280> kGlyphs5x7{};
const std::array<quint8, 402> kGlyphs8x20Digits{};
const std::array<quint8, 162> kGlyphs8x16Digits{};
const std::array<quint8, 1280> kGlyphs8x8{};

} // namespace tirvela
