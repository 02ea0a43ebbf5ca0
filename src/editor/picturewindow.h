#pragma once

#include <QWidget>

class QUndoCommand;

namespace tirvela {

class Document;
class UserDialogs;

// The enlarged LED picture of one route on one board type. A text is moved by dragging it with
// the left button (the whole drag is one undo step) and its text changed by a double click. The
// window follows its route when routes move, and closes when its route is deleted.
class PictureWindow : public QWidget
{
    Q_OBJECT

public:
    PictureWindow(Document &document, UserDialogs &dialogs, int route, int boardRow, QWidget *parent = nullptr);

    int route() const { return mRoute; }
    int boardRow() const { return mBoardRow; }
    // Pixels per LED, 6 unless zoomed.
    int ledSize() const { return mLedSize; }
    void zoom(int steps);

    QSize sizeHint() const override;

signals:
    // The window was activated or its elements changed: the tools window shows them.
    void elementsShown(int route, int boardRow);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    enum class Mouse { None, LeftPressed, OtherPressed };

    QPoint cellAt(const QPoint &position) const;
    bool insideMatrix(const QPoint &cell) const;
    void editText();
    // Pushes a change of this window's elements, which keeps what the press found.
    void changeElements(QUndoCommand *command);
    void forgetElements();
    void followRouteRemoved(int route);

    Document &mDocument;
    UserDialogs &mDialogs;
    int mRoute;
    const int mBoardRow;
    int mLedSize = 6;

    Mouse mMouse = Mouse::None;
    int mDragElement = -1; // index in the element list, or -1
    int mLastHit = -1;
    QPoint mLastDragCell;
    int mDrag = 0;         // the undo merge number of the current drag
    bool mChangingElements = false;
};

} // namespace tirvela
