#include "editor/textfit.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLayout>
#include <QStyle>
#include <QWidget>

namespace tirvela {

namespace {

// Icon, minimise, maximise and close: each about as wide as the title bar is high.
constexpr int kTitleBarButtons = 4;
constexpr int kTitleBarPadding = 24;
constexpr char kTitleSpacerName[] = "TitleWidth";

} // namespace

int titleBarWidth(const QWidget *window, const QString &title)
{
    QFont font = window->font();
    font.setBold(true);
    const int button = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarButtons * button + kTitleBarPadding;
}

void fitWindowTitle(QWidget *window)
{
    const int width = titleBarWidth(window, window->windowTitle());
    QLayout *layout = window->layout();
    if (!layout) {
        window->setMinimumWidth(width);
        return;
    }
    // An empty widget as wide as the caption holds the layout open.
    QWidget *spacer = window->findChild<QWidget *>(QLatin1String(kTitleSpacerName), Qt::FindDirectChildrenOnly);
    if (!spacer) {
        spacer = new QWidget(window);
        spacer->setObjectName(QLatin1String(kTitleSpacerName));
        spacer->setFixedHeight(0);
        layout->addWidget(spacer);
    }
    const QMargins margins = layout->contentsMargins();
    spacer->setMinimumWidth(width - margins.left() - margins.right());
    layout->activate();
}

void fitHeaderSections(QHeaderView *header)
{
    for (int section = 0; section < header->count(); ++section)
        header->resizeSection(section, qMax(header->sectionSize(section), header->sectionSizeHint(section)));
}

} // namespace tirvela
