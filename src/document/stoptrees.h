#pragma once

#include "project/project.h"
#include "project/stoplistedits.h"

#include <QObject>

#include <array>
#include <memory>

namespace tirvela {

// The stop lists being edited, one tree per route that was opened: read from the route's stored
// stop list at its first opening and kept, so that an edit can be undone after its editor was
// closed. The trees are written back into the project where a stored stop list is needed (the
// editor's close, saving, building, programming) and dropped before routes are added, removed or
// moved. Every change of a tree goes through here and is announced, so views follow it row by row.
class StopTrees : public QObject
{
    Q_OBJECT

public:
    explicit StopTrees(Project &project, QObject *parent = nullptr);

    struct Opened
    {
        StopTree *tree = nullptr; // nullptr when the stored stop list does not read
        QString error;
    };
    // The tree of a route, read on first use.
    Opened open(int route);
    // The tree of a route if it was opened, else nullptr.
    StopTree *treeOf(int route) const { return mTrees[size_t(route)].get(); }

    // Writes every opened tree into its route's stored stop list.
    void storeAll();
    // Stores every tree, then forgets them (before routes are added, removed or moved).
    void storeAndDropAll();
    // Forgets every tree without storing (a new or opened project replaced the old one).
    void dropAll();

    // The edits of the undo commands; each refuses (changes nothing) when the tree of the route is
    // not open.
    StopNode *insert(int route, const StopPath &parent, int row, std::unique_ptr<StopNode> node);
    std::unique_ptr<StopNode> remove(int route, const StopPath &path);
    bool swapWithNext(int route, const StopPath &path);
    std::optional<QByteArray> setText(int route, const StopPath &path, const QByteArray &text);
    // Sets the control time of the selected node's stop, making its item when there is none.
    std::optional<ControlTimeEdit> setControlTime(int route, const StopPath &selected, const QByteArray &time);
    // Gives a node back the text it had, exactly (an undo: no control time is normalised).
    void restoreText(int route, const StopPath &path, const QByteArray &text);

signals:
    void aboutToInsert(int route, const tirvela::StopPath &parent, int row);
    void inserted(int route);
    void aboutToRemove(int route, const tirvela::StopPath &path);
    void removed(int route);
    // The node at path and its next sibling trade places.
    void aboutToSwap(int route, const tirvela::StopPath &path);
    void swapped(int route);
    void textChanged(int route, const tirvela::StopPath &path);
    // The tree of the route was dropped: views of it must let go.
    void dropped(int route);

private:
    Project &mProject;
    std::array<std::unique_ptr<StopTree>, MaxRoutes> mTrees;
};

} // namespace tirvela
