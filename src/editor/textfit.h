#pragma once

#include <QString>

class QHeaderView;
class QWidget;

namespace tirvela {

// Sizes taken from the texts a widget shows, so that nothing is cut at another font or scale.

// The width a window's frame needs to show its whole caption beside its icon and its buttons.
// The caption is drawn by the window manager in a font of its own, usually the bold one.
int titleBarWidth(const QWidget *window, const QString &title);

// Makes a window at least as wide as its caption needs; a window with a layout keeps it as its
// layout's minimum, so that a fixed-size layout does not undo it.
void fitWindowTitle(QWidget *window);

// Widens every section that is narrower than its caption.
void fitHeaderSections(QHeaderView *header);

} // namespace tirvela
