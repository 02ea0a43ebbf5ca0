#pragma once

#include <QWidget>

#include <functional>

class QTableView;

namespace tirvela {

class Document;
class RouteListModel;
class RouteNumberDialog;
class UserDialogs;

// The route list window, the central window of the open project: one row per route with its
// number and its miniature on every board type, and the commands that add, delete, move and
// renumber routes. Its caption shows the project's file name and whether it is modified;
// closing it ends the editing of the project, after the close question.
class RouteListWindow : public QWidget
{
    Q_OBJECT

public:
    // mayClose asks about unsaved changes and returns whether the window may close.
    RouteListWindow(Document &document, UserDialogs &dialogs, RouteNumberDialog &numberDialog,
                    std::function<bool()> mayClose, QWidget *parent = nullptr);

    // The route of the selected row, or -1.
    int selectedRoute() const;
    void selectCell(int route, int column);
    QTableView *grid() const { return mGrid; }
    QSize sizeHint() const override;

    void addRoute();
    void deleteRoute();
    void moveRoute(int direction); // -1 up, +1 down
    void renameRoute();
    void editStopList();
    // Makes the selected route the editor's current target: its elements on the board type of the
    // selected picture cell (on the number, the board type shown before).
    void makeSelectionCurrent();

signals:
    void stopListRequested(int route);
    // A picture cell was double-clicked (boardRow: the board type's row).
    void pictureRequested(int route, int boardRow);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createActions();
    void updateCaption();
    void cellDoubleClicked(const QModelIndex &index);

    Document &mDocument;
    UserDialogs &mDialogs;
    RouteNumberDialog &mNumberDialog;
    std::function<bool()> mMayClose;
    RouteListModel *mModel;
    QTableView *mGrid;
    int mSelectionBeforeReset = -1;
    int mColumnBeforeReset = 0;
};

} // namespace tirvela
