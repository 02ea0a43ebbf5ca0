#include "editor/toolbaraction.h"

#include "editor/icons.h"

#include <QAction>
#include <QToolBar>

namespace tirvela {

QAction *addToolBarAction(QWidget *window, QToolBar *tools, const char *icon, const QString &caption,
                          const QKeySequence &key, const char *buttonName)
{
    auto *action = new QAction(bundledIcon(icon), caption, window);
    action->setToolTip(key.isEmpty() ? caption
                                     : QStringLiteral("%1 (%2)").arg(caption, key.toString(QKeySequence::NativeText)));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    window->addAction(action);
    tools->addAction(action);
    if (buttonName) {
        tools->widgetForAction(action)->setObjectName(QString::fromLatin1(buttonName));
        action->setObjectName(QString::fromLatin1(buttonName) + QStringLiteral("Action"));
    }
    return action;
}

} // namespace tirvela
