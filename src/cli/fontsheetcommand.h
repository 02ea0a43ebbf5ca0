#pragma once

#include <QStringList>

namespace tirvela::cli {

// `font-sheet OUT.png`: draws every glyph of every board font, LED by LED, into a PNG for review.
int runFontSheet(const QStringList &arguments);

} // namespace tirvela::cli
