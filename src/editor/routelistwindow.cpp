#include "editor/routelistwindow.h"

#include "document/currenttarget.h"
#include "document/document.h"
#include "editor/childwindows.h"
#include "editor/miniaturedelegate.h"
#include "document/routecommands.h"
#include "editor/routelistmodel.h"
#include "editor/routenumberdialog.h"
#include "editor/textfit.h"
#include "editor/toolbaraction.h"
#include "editor/userdialogs.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace tirvela {

namespace {

constexpr int kColumnWidths[] = {64, 141, 126, 127};
constexpr int kRowHeight = 26;

} // namespace

RouteListWindow::RouteListWindow(Document &document, UserDialogs &dialogs, RouteNumberDialog &numberDialog,
                                 std::function<bool()> mayClose, QWidget *parent)
    : QWidget(parent)
    , mDocument(document)
    , mDialogs(dialogs)
    , mNumberDialog(numberDialog)
    , mMayClose(std::move(mayClose))
    , mModel(new RouteListModel(document, this))
    , mGrid(new QTableView(this))
{
    setObjectName(QStringLiteral("SequenceForm"));
    setAttribute(Qt::WA_DeleteOnClose);

    mGrid->setObjectName(QStringLiteral("StringGrid1"));
    mGrid->setModel(mModel);
    mGrid->setItemDelegate(new MiniatureDelegate(document, mGrid));
    mGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    mGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    mGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    mGrid->verticalHeader()->hide();
    mGrid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    mGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < 4; ++column)
        mGrid->setColumnWidth(column, kColumnWidths[column]);
    fitHeaderSections(mGrid->horizontalHeader());
    mGrid->horizontalHeader()->setStretchLastSection(true);
    connect(mGrid, &QTableView::doubleClicked, this, &RouteListWindow::cellDoubleClicked);
    connect(mGrid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (isActiveChildWindow(this))
            makeSelectionCurrent();
    });
    // A reset (every route change) keeps the selected cell where a route still is.
    connect(mModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        mSelectionBeforeReset = selectedRoute();
        mColumnBeforeReset = qMax(0, mGrid->currentIndex().column());
    });
    connect(mModel, &QAbstractItemModel::modelReset, this, [this] {
        const int rows = mModel->rowCount();
        if (rows > 0)
            selectCell(qBound(0, mSelectionBeforeReset, rows - 1), mColumnBeforeReset);
    });

    createActions();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(findChild<QToolBar *>(), 0);
    layout->addWidget(mGrid, 1);

    connect(&document, &Document::captionChanged, this, &RouteListWindow::updateCaption);
    updateCaption();
    selectCell(0, 0);
}

void RouteListWindow::createActions()
{
    auto *tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar1"));
    tools->setIconSize(QSize(16, 16));
    const auto command = [&](const char *name, const char *icon, const QString &hint, const QKeySequence &key,
                             auto slot) {
        QAction *action = addToolBarAction(this, tools, icon, hint, key, name);
        mGrid->addAction(action); // the grid's context menu
        connect(action, &QAction::triggered, this, slot);
    };
    command("ToolButton1", "list-add", QStringLiteral("Добавить маршрут"), QKeySequence(Qt::Key_Insert),
            &RouteListWindow::addRoute);
    command("ToolButton2", "list-remove", QStringLiteral("Удалить маршрут"), QKeySequence(Qt::Key_Delete),
            &RouteListWindow::deleteRoute);
    command("ToolButton3", "go-up", QStringLiteral("Переместить вверх"), QKeySequence(Qt::CTRL | Qt::Key_Up),
            [this] { moveRoute(-1); });
    command("ToolButton4", "go-down", QStringLiteral("Переместить вниз"), QKeySequence(Qt::CTRL | Qt::Key_Down),
            [this] { moveRoute(+1); });
    command("ToolButton6", "document-edit", QStringLiteral("Редактировать список остановок"),
            QKeySequence(Qt::Key_Return), &RouteListWindow::editStopList);
    command("ToolButton8", "insert-text", QStringLiteral("Переименовать маршрут"), QKeySequence(Qt::Key_F2),
            &RouteListWindow::renameRoute);
}

QSize RouteListWindow::sizeHint() const
{
    // Every column whole beside the vertical scroll bar.
    const int frame = 2 * mGrid->frameWidth();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, mGrid);
    return {mGrid->horizontalHeader()->length() + frame + scrollBar, QWidget::sizeHint().height()};
}

int RouteListWindow::selectedRoute() const
{
    const QModelIndex current = mGrid->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void RouteListWindow::selectCell(int route, int column)
{
    mGrid->setCurrentIndex(mModel->index(route, column));
}

void RouteListWindow::makeSelectionCurrent()
{
    const QModelIndex current = mGrid->currentIndex();
    if (!current.isValid())
        return;
    CurrentTarget &target = mDocument.currentTarget();
    target.showElements(current.row(), current.column() >= 1 ? current.column() - 1 : target.boardRow());
}

void RouteListWindow::addRoute()
{
    if (mDocument.project().routeCount >= MaxRoutes) {
        mDialogs.tell(this, QStringLiteral("Достигнуто максимальное значение количества маршутов!"));
        return;
    }
    mNumberDialog.prepare(QStringLiteral("Введите номер нового маршрута"), {}, true);
    if (mNumberDialog.exec() != QDialog::Accepted)
        return;
    const QByteArray number = QByteArray::number(mNumberDialog.routeNumber());
    const int copyFrom = mNumberDialog.copyStops() ? selectedRoute() : -1;
    const int added = mDocument.project().routeCount;
    mDocument.undoStack()->push(new AddRouteCommand(mDocument, number, copyFrom));
    selectCell(added, 0);
}

void RouteListWindow::deleteRoute()
{
    const int route = selectedRoute();
    if (route < 0)
        return;
    mDocument.undoStack()->push(new DeleteRouteCommand(mDocument, route));
}

void RouteListWindow::moveRoute(int direction)
{
    const int route = selectedRoute();
    const int other = route + direction;
    if (route < 0 || other < 0 || other >= mDocument.project().routeCount)
        return;
    const QString text = QStringLiteral("перемещение маршрута %1 %2")
                             .arg(mModel->index(route, 0).data().toString(),
                                  direction < 0 ? QStringLiteral("вверх") : QStringLiteral("вниз"));
    const int column = mGrid->currentIndex().column();
    mDocument.undoStack()->push(new SwapRoutesCommand(mDocument, qMin(route, other), text));
    selectCell(other, column);
}

void RouteListWindow::renameRoute()
{
    const int route = selectedRoute();
    if (route < 0)
        return;
    mNumberDialog.prepare(QStringLiteral("Введите номер маршрута"), mModel->index(route, 0).data().toString(), false);
    if (mNumberDialog.exec() != QDialog::Accepted)
        return;
    const QByteArray number = QByteArray::number(mNumberDialog.routeNumber());
    if (number != mDocument.project().routeNumberText(route))
        mDocument.undoStack()->push(new RenumberRouteCommand(mDocument, route, number));
}

void RouteListWindow::editStopList()
{
    const int route = selectedRoute();
    if (route >= 0)
        emit stopListRequested(route);
}

void RouteListWindow::cellDoubleClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    if (index.column() == 0) {
        selectCell(index.row(), 0);
        emit stopListRequested(index.row());
    } else {
        emit pictureRequested(index.row(), index.column() - 1);
    }
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
