#pragma once

class QWidget;

namespace tirvela {

// Asks the window manager to draw only the caption in a window's title bar: no minimise, maximise
// or close button. Qt's window flags say so too, but on X11 they leave the window every function,
// and the common window managers draw a button for each function a window has. Call it whenever
// the window is about to be shown; elsewhere it does nothing.
void keepOnlyTitle(QWidget *window);

} // namespace tirvela
