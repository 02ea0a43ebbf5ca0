#pragma once

#include "cli/command.h"

namespace tirvela::cli {

// font-sheet OUT.png: draws every glyph of every board font, LED by LED, into a PNG for review.
Command fontSheetCommand();

} // namespace tirvela::cli
