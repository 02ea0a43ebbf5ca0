#include "editor/picturewindow.h"

#include "document/currenttarget.h"
#include "document/document.h"
#include "document/elementcommands.h"
#include "editor/childwindows.h"
#include "editor/textinput.h"
#include "common/cp1251.h"

#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QUndoStack>

namespace tirvela {

namespace {

constexpr int kMinLedSize = 2;
constexpr int kMaxLedSize = 16;

int nextDragNumber()
{
    static int number = 0;
    return ++number;
}

} // namespace

PictureWindow::PictureWindow(Document &document, UserDialogs &dialogs, int route, int boardRow, QWidget *parent)
    : QWidget(parent)
    , mDocument(document)
    , mDialogs(dialogs)
    , mRoute(route)
    , mBoardRow(boardRow)
{
    setObjectName(QStringLiteral("PictureForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    const BoardType &type = kBoardTypes[size_t(boardRow)];
    setWindowTitle(fromCp1251(document.project().routeNumberText(route)) + QStringLiteral("  (")
                   + QString::fromUtf8(type.caption) + u')');
    connect(&document, &Document::boardEntryChanged, this, [this](int boardRow, int route) {
        if (boardRow != mBoardRow || route != mRoute)
            return;
        // Another window or an undo changed the list: the indexes taken at the press may name
        // other elements now, or none.
        if (!mChangingElements)
            forgetElements();
        update();
    });
    connect(&document, &Document::routeRemoved, this, &PictureWindow::followRouteRemoved);
    connect(&document, &Document::routeInserted, this, [this](int route) {
        if (route <= mRoute)
            ++mRoute;
    });
    connect(&document, &Document::routesSwapped, this, [this](int first, int second) {
        if (mRoute == first || mRoute == second)
            mRoute = mRoute == first ? second : first;
        update();
    });
    connect(&document, &Document::projectReplaced, this, [this] { closeChildWindow(this); });
    resize(sizeHint());
}

void PictureWindow::forgetElements()
{
    mMouse = Mouse::None;
    mDragElement = mLastHit = -1;
}

void PictureWindow::followRouteRemoved(int route)
{
    forgetElements();
    if (route == mRoute) {
        closeChildWindow(this);
        return;
    }
    if (route < mRoute)
        --mRoute;
}

QSize PictureWindow::sizeHint() const
{
    const BoardType &type = kBoardTypes[size_t(mBoardRow)];
    return {type.columns * mLedSize, type.rows * mLedSize};
}

void PictureWindow::zoom(int steps)
{
    const int size = qBound(kMinLedSize, mLedSize + steps, kMaxLedSize);
    if (size == mLedSize)
        return;
    mLedSize = size;
    updateGeometry();
    resize(sizeHint());
    if (QMdiSubWindow *frame = childWindowOf(this))
        fitIntoWorkspace(frame, sizeHint());
    update();
}

void PictureWindow::paintEvent(QPaintEvent *)
{
    const BoardType &type = kBoardTypes[size_t(mBoardRow)];
    const BoardPicture &picture = mDocument.project().boards[size_t(mBoardRow)].routes[size_t(mRoute)].picture;
    const int size = mLedSize;
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    painter.fillRect(0, 0, type.columns * size, type.rows * size, Qt::black);
    const QColor lit(255, 255, 0);
    for (int row = 0; row < type.rows; ++row) {
        for (int column = 0; column < type.columns; ++column) {
            if (picture.pixel(column, row))
                painter.fillRect(column * size, row * size, size - 1, size - 1, lit);
        }
    }
    painter.setPen(QColor(0, 128, 0));
    for (int column = 0; column < type.columns; ++column)
        painter.drawLine(column * size + size - 1, 0, column * size + size - 1, type.rows * size);
    for (int row = 0; row < type.rows; ++row)
        painter.drawLine(0, row * size + size - 1, type.columns * size, row * size + size - 1);
}

QPoint PictureWindow::cellAt(const QPoint &position) const
{
    const auto cell = [this](int pixel) { return pixel >= 0 ? pixel / mLedSize : -1; };
    return {cell(position.x()), cell(position.y())};
}

bool PictureWindow::insideMatrix(const QPoint &cell) const
{
    const BoardType &type = kBoardTypes[size_t(mBoardRow)];
    return cell.x() >= 0 && cell.y() >= 0 && cell.x() < type.columns && cell.y() < type.rows;
}

void PictureWindow::mousePressEvent(QMouseEvent *event)
{
    mMouse = event->button() == Qt::LeftButton ? Mouse::LeftPressed : Mouse::OtherPressed;
    const QPoint cell = cellAt(event->position().toPoint());
    if (!insideMatrix(cell) || mMouse != Mouse::LeftPressed)
        return;
    mLastDragCell = cell;
    mDragElement = mLastHit = -1;
    mDrag = nextDragNumber();
    const std::vector<DisplayElement> &elements =
        mDocument.project().boards[size_t(mBoardRow)].routes[size_t(mRoute)].elements;
    for (size_t i = 0; i < elements.size(); ++i) {
        const DisplayElement &element = elements[i];
        const QRect box(element.x, element.y, element.width, element.height);
        if (box.contains(cell)) {
            mDragElement = mLastHit = int(i);
            break;
        }
    }
    // What the press found is what the tools window shows.
    makeSelectionCurrent();
    if (mLastHit >= 0)
        mDocument.currentTarget().setElement(mLastHit);
}

void PictureWindow::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint cell = cellAt(event->position().toPoint());
    if (!insideMatrix(cell) || mMouse != Mouse::LeftPressed || mDragElement < 0)
        return;
    const QPoint delta = cell - mLastDragCell;
    mLastDragCell = cell;
    if (delta.isNull())
        return;
    std::vector<DisplayElement> elements =
        mDocument.project().boards[size_t(mBoardRow)].routes[size_t(mRoute)].elements;
    DisplayElement &element = elements[size_t(mDragElement)];
    element.x = qBound(DisplayElement::MinPosition, element.x + delta.x(), DisplayElement::MaxPosition);
    element.y = qBound(DisplayElement::MinPosition, element.y + delta.y(), DisplayElement::MaxPosition);
    const QString text = QStringLiteral("перемещение текста «%1»").arg(fromCp1251(element.text));
    changeElements(new ChangeElementsCommand(mDocument, mRoute, mBoardRow, std::move(elements), text, mDrag));
}

void PictureWindow::mouseReleaseEvent(QMouseEvent *)
{
    mMouse = Mouse::None;
    mDragElement = -1;
}

void PictureWindow::mouseDoubleClickEvent(QMouseEvent *)
{
    // The double click takes the place of its second press, so the next press starts a drag.
    mMouse = Mouse::None;
    mDragElement = -1;
    if (mLastHit >= 0)
        editText();
}

void PictureWindow::editText()
{
    std::vector<DisplayElement> elements =
        mDocument.project().boards[size_t(mBoardRow)].routes[size_t(mRoute)].elements;
    if (mLastHit >= int(elements.size()))
        return;
    DisplayElement &element = elements[size_t(mLastHit)];
    const std::optional<QByteArray> typed = askElementText(mDialogs, this, element.text);
    if (!typed)
        return;
    const QByteArray text = *typed;
    if (text == element.text)
        return;
    element.text = text;
    changeElements(new ChangeElementsCommand(mDocument, mRoute, mBoardRow, std::move(elements),
                                             QStringLiteral("изменение текста «%1»").arg(fromCp1251(text))));
}

void PictureWindow::changeElements(QUndoCommand *command)
{
    makeSelectionCurrent();
    mChangingElements = true;
    mDocument.undoStack()->push(command);
    mChangingElements = false;
}

void PictureWindow::makeSelectionCurrent()
{
    CurrentTarget &target = mDocument.currentTarget();
    if (target.kind() != CurrentTarget::Kind::Elements || target.route() != mRoute || target.boardRow() != mBoardRow)
        target.showElements(mRoute, mBoardRow);
}

void PictureWindow::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QWidget::wheelEvent(event);
        return;
    }
    zoom(event->angleDelta().y() > 0 ? 1 : -1);
}

void PictureWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal)
            return zoom(1);
        if (event->key() == Qt::Key_Minus)
            return zoom(-1);
        if (event->key() == Qt::Key_0)
            return zoom(6 - mLedSize);
    }
    QWidget::keyPressEvent(event);
}

} // namespace tirvela
