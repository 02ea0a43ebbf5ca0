#pragma once

class QWidget;

namespace tirvela {

// Whether a window of the main window's client area is the active one, or none is: then what the
// user selects in it is what the editor acts on.
bool isActiveChildWindow(const QWidget *window);

} // namespace tirvela
