#include "editor/childwindows.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace tirvela {

QMdiSubWindow *childWindowOf(QWidget *widget)
{
    for (QWidget *parent = widget; parent; parent = parent->parentWidget()) {
        if (auto *frame = qobject_cast<QMdiSubWindow *>(parent))
            return frame;
    }
    return nullptr;
}

void closeChildWindow(QWidget *widget)
{
    QMdiSubWindow *frame = childWindowOf(widget);
    (frame ? static_cast<QWidget *>(frame) : widget)->close();
}

void fitIntoWorkspace(QMdiSubWindow *frame, const QSize &contents)
{
    const QWidget *workspace = frame->parentWidget();
    if (!workspace || !frame->widget() || frame->isMaximized() || frame->isMinimized())
        return;
    const QSize decoration = frame->size() - frame->widget()->size();
    const QSize size = (contents + decoration).boundedTo(workspace->size());
    const QPoint at(qBound(0, frame->x(), workspace->width() - size.width()),
                    qBound(0, frame->y(), workspace->height() - size.height()));
    frame->setGeometry(QRect(at, size));
}

void arrangeIcons(QMdiArea *area)
{
    const QWidget *workspace = area->viewport();
    int x = 0;
    int bottom = workspace->height();
    for (QMdiSubWindow *frame : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!frame->isMinimized())
            continue;
        if (x > 0 && x + frame->width() > workspace->width()) {
            x = 0;
            bottom -= frame->height();
        }
        frame->move(x, bottom - frame->height());
        x += frame->width();
    }
}

bool isActiveChildWindow(const QWidget *window)
{
    const auto *frame = qobject_cast<const QMdiSubWindow *>(window->parentWidget());
    const QMdiArea *area = frame ? frame->mdiArea() : nullptr;
    const QMdiSubWindow *active = area ? area->activeSubWindow() : nullptr;
    return !active || active == frame;
}

} // namespace tirvela
