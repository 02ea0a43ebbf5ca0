#include "editor/childwindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace tirvela {

bool isActiveChildWindow(const QWidget *window)
{
    const auto *frame = qobject_cast<const QMdiSubWindow *>(window->parentWidget());
    const QMdiArea *area = frame ? frame->mdiArea() : nullptr;
    const QMdiSubWindow *active = area ? area->activeSubWindow() : nullptr;
    return !active || active == frame;
}

} // namespace tirvela
