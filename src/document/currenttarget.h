#pragma once

#include "project/stoplistedits.h"

#include <QObject>
#include <QString>

#include <optional>

namespace tirvela {

class Document;

// What the editor acts on now: the display elements of one route on one board type (and which of
// them is current), or a node of one route's stop list. The windows set it from what the user
// selects and activates; it follows every change of the project by itself (routes added, removed
// and moved, elements and stop nodes added and removed, undo and redo, a new or opened project), so
// that the tools window, the board's route number command and the picture windows, which all read
// it from here, act on what the user sees.
class CurrentTarget : public QObject
{
    Q_OBJECT

public:
    enum class Kind { Nothing, Elements, Stop };

    explicit CurrentTarget(Document &document);

    Kind kind() const { return mKind; }
    // The route shown, or -1 with nothing shown.
    int route() const { return mKind == Kind::Nothing ? -1 : mRoute; }
    int boardRow() const { return mBoardRow; }
    // The current element of the list shown, or -1 when the list is empty.
    int element() const { return mElement; }
    // The node of the stop list shown; empty when none is selected.
    const StopPath &stopPath() const { return mStopPath; }

    // The elements of a route on a board type; the current element stays when it is the same list.
    void showElements(int route, int boardRow);
    void setElement(int element);
    void showStop(int route, const StopPath &path);
    void showNothing();

    // One line that says what is shown, for example "Маршрут 12 · 20x28x4" or
    // "Маршрут 5 · Вокзал · Остановка".
    QString description() const;

signals:
    void changed();

private:
    void followRouteInserted(int route);
    void followRouteRemoved(int route);
    void followRoutesSwapped(int first, int second);
    void followElements(int boardRow, int route);
    void followInserted(int route);
    void followRemoved(int route);
    void followSwapped(int route);
    void followTreeDropped(int route);
    // Whether the stop path lies below `parent`, and its row there.
    bool stopPathBelow(const StopPath &parent, int *row) const;

    // The announced change of this target's stop list, taken: the parent of the changed row, the
    // row, and the row of the target's path below that parent (-1 when the path lies elsewhere).
    struct PendingChange
    {
        StopPath parent;
        int row = 0;
        int at = -1;
    };
    std::optional<PendingChange> takePending(int route);
    int clampedElement(int element) const;

    Document &mDocument;
    Kind mKind = Kind::Nothing;
    int mRoute = 0;
    int mBoardRow = 0;
    int mElement = -1;
    StopPath mStopPath;
    StopPath mPending; // the place of a stop list change announced and not yet done
};

} // namespace tirvela
