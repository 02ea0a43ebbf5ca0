#pragma once

#include "project/project.h"
#include "project/stoplistedits.h"

#include <QWidget>

class QLabel;
class QMenu;
class QTableWidget;
class QToolBar;

namespace tirvela {

class CurrentTarget;
class Document;
class StopPropertiesGrid;
class UserDialogs;

// The tools window, always on top of the main window: the display elements of one route on one
// board type (font, position, text; add, delete, reorder) or the properties of the stop selected in
// the stop list editor (name, sound file, control time): what the document's current target names,
// said in a line at its top. Every change is an undo step.
class ToolsWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Shown { Nothing, Elements, StopProperties };

    ToolsWindow(Document &document, UserDialogs &dialogs, QWidget *parent = nullptr);

    Shown shown() const;
    int route() const;
    int boardRow() const;
    // The line that says what is shown.
    QString shownText() const;
    QTableWidget *elementGrid() const { return mElements; }
    StopPropertiesGrid *stopGrid() const { return mStopProperties; }
    QMenu *fontMenu() const { return mFontMenu; }

    // Make the current target the elements of a route on a board type, a node of the route's open
    // stop list (none: an empty path), or nothing (the route list closed: the tool bar disabled).
    void showElements(int route, int boardRow);
    void showStopProperties(int route, const StopPath &path);
    void showNothing();

    // What a double click on a cell does.
    void activateElementCell(int row, int column);
    void activateStopProperty(int row);

    void addElement();
    void deleteElement();
    void moveElement(int direction); // -1 up, +1 down

private:
    void createToolBar();
    // Shows what the current target names.
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
    CurrentTarget &mTarget;
    UserDialogs &mDialogs;
    bool mFilling = false; // the grid is being filled: its current row is not the user's choice
    QLabel *mShownLine;
    QToolBar *mTools;
    QTableWidget *mElements;
    StopPropertiesGrid *mStopProperties;
    QMenu *mFontMenu;
};

} // namespace tirvela
