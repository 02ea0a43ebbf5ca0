#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QToolBar;
class QWidget;

namespace tirvela {

// An action of a window with a bundled icon, its caption as hint (with the shortcut's name) and a
// shortcut that works while the window or one of its children has the focus, put on the window
// and on its tool bar. The tool bar's button is named `buttonName` when one is given
// (tests and automation find it), the action `buttonName` + "Action".
QAction *addToolBarAction(QWidget *window, QToolBar *tools, const char *icon, const QString &caption,
                          const QKeySequence &key, const char *buttonName = nullptr);

} // namespace tirvela
