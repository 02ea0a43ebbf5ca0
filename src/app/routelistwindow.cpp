#include "app/routelistwindow.h"

#include "app/document.h"

#include <QCloseEvent>

namespace tirvela {

RouteListWindow::RouteListWindow(Document &document, std::function<bool()> mayClose, QWidget *parent)
    : QWidget(parent)
    , mDocument(document)
    , mMayClose(std::move(mayClose))
{
    setObjectName(QStringLiteral("SequenceForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    connect(&document, &Document::captionChanged, this, &RouteListWindow::updateCaption);
    updateCaption();
}

void RouteListWindow::closeEvent(QCloseEvent *event)
{
    if (mMayClose && !mMayClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

void RouteListWindow::updateCaption()
{
    setWindowTitle(mDocument.caption());
}

} // namespace tirvela
