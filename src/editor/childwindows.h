#pragma once

#include <QSize>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace tirvela {

// The child windows of the main window's workspace: keeping them inside it.

// The child window frame a widget lies in, or nullptr.
QMdiSubWindow *childWindowOf(QWidget *widget);

// Whether a window of the workspace is the active one, or none is: then what the user selects in
// it is what the editor acts on.
bool isActiveChildWindow(const QWidget *window);

// Closes the child window a widget lies in (the widget alone when it lies in none).
void closeChildWindow(QWidget *widget);

// Sizes a child window to hold contents of the given size, but never larger than the workspace,
// moving it back inside when it would reach past an edge; what does not fit scrolls inside it.
void fitIntoWorkspace(QMdiSubWindow *frame, const QSize &contents);

// Puts the minimised child windows in rows along the bottom of the workspace.
void arrangeIcons(QMdiArea *area);

} // namespace tirvela
