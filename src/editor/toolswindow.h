#pragma once

#include "project/project.h"
#include "project/stoplistedits.h"

#include <QWidget>

class QMenu;
class QTableWidget;
class QToolBar;

namespace tirvela {

class Document;
class StopPropertiesGrid;
class UserDialogs;

// The tools window, always on top of the main window: the display elements of one route on one
// board type (font, position, text; add, delete, reorder) or the properties of the stop selected in
// the stop list editor (name, sound file, control time). Every change is an undo step.
class ToolsWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Shown { Nothing, Elements, StopProperties };

    ToolsWindow(Document &document, UserDialogs &dialogs, QWidget *parent = nullptr);

    Shown shown() const { return mShown; }
    int route() const { return mRoute; }
    int boardRow() const { return mBoardRow; }
    QTableWidget *elementGrid() const { return mElements; }
    StopPropertiesGrid *stopGrid() const { return mStopProperties; }
    QMenu *fontMenu() const { return mFontMenu; }

    void showElements(int route, int boardRow);
    // The stop properties of a node of the route's open stop list (none: an empty path).
    void showStopProperties(int route, const StopPath &path);
    // Nothing shown, the tool bar disabled (the route list closed).
    void showNothing();

    // What a double click on a cell does.
    void activateElementCell(int row, int column);
    void activateStopProperty(int row);

    void addElement();
    void deleteElement();
    void moveElement(int direction); // -1 up, +1 down

private:
    void createToolBar();
    void refresh();
    void fillElements();
    void chooseFont(int font);
    void editCoordinates(int element);
    void editElementText(int element);
    // Replaces the shown element list as one undo step, keeping `current` selected.
    void changeElements(std::vector<DisplayElement> elements, const QString &text, int current);
    const std::vector<DisplayElement> &elements() const;
    int currentElement() const;

    Document &mDocument;
    UserDialogs &mDialogs;
    Shown mShown = Shown::Nothing;
    int mRoute = 0;
    int mBoardRow = 0;
    QToolBar *mTools;
    QTableWidget *mElements;
    StopPropertiesGrid *mStopProperties;
    QMenu *mFontMenu;
};

} // namespace tirvela
