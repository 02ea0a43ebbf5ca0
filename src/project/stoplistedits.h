#pragma once

#include "project/stoptree.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <optional>
#include <vector>

namespace tirvela {

// The levels of a stop list below its root: a direction holds stops, a stop its three groups (the
// sounds at the stop, the sounds of the next stop, its control times), a group its items.
enum StopTreeLevel : int { DirectionLevel = 0, StopLevel = 1, GroupLevel = 2, ItemLevel = 3 };

// Where a node sits in a stop tree: its row on each level, from its direction down. A path stays
// meaningful across an undo where a node pointer may not (a node deleted and made again).
using StopPath = std::vector<int>;

StopPath pathOf(const StopNode &node);
// The node at a path; nullptr when there is none (the empty path is no node).
StopNode *nodeAt(StopTree &tree, const StopPath &path);
const StopNode *nodeAt(const StopTree &tree, const StopPath &path);

// A stop list as the editor shows it: a stored stop with only its two sound groups gets the
// control time group, and an empty list the two directions. A stream that does not read is
// refused as the reader says, and its bytes stay where they are.
RouteStreamReadResult readStopListForEditing(QByteArrayView stream);

// Stops and items can be edited, deleted and moved; directions and groups cannot.
bool isEditableStopNode(const StopNode &node);
// An item of a stop's third group: its text is a control time.
bool isControlTimeItem(const StopNode &node);
// An item of one of a stop's two sound groups: its text names a sound file.
bool isSoundItem(const StopNode &node);
// The stop a node belongs to (the node itself for a stop); nullptr for a direction or no node.
const StopNode *stopOf(const StopNode *node);

// A new stop with its three empty groups.
StopNode newStopNode(const QByteArray &name);

// Where the Insert command puts a new node for the selected one: a control time at the end of
// the control time group when that group or one of its items is selected; otherwise a stop at
// the end of the selected direction, or right after the selected stop (or the stop the selected
// group or item belongs to).
struct StopInsertion
{
    StopPath parent;
    int row = 0;
    bool controlTime = false;
};
std::optional<StopInsertion> insertionFor(const StopNode &selected);

// Where a sound file added to the selected node goes: at the end of the selected sound group, of
// the group of the selected item, or of a selected stop's first group. None for a direction
// (the window says so) or the control time group (ignored).
std::optional<StopInsertion> soundInsertionFor(const StopNode &selected);

// The edits below keep the tree's shape: they refuse (nullptr, false or nothing, and change
// nothing) to put in, take out, move or retext a direction or a group, or to put a node anywhere
// but a stop under a direction and an item under a group. Each returns what its undo needs.

// Puts a node in at `row` of the node at `parent` and returns it.
StopNode *insertStopNode(StopTree &tree, const StopPath &parent, int row, std::unique_ptr<StopNode> node);
// Takes a stop or an item out with everything below it.
std::unique_ptr<StopNode> removeStopNode(StopTree &tree, const StopPath &path);
// Swaps a stop or an item with its next sibling: "down" for it, "up" for that sibling. The same
// call undoes it.
bool swapWithNextStopNode(StopTree &tree, const StopPath &path);
// Sets the text of a stop or an item and returns the one it had. A control time item keeps the
// time in its "ЧЧ:ММ:СС" form ("7:5" gives "07:05:00", a text that is no time "00:00:00").
std::optional<QByteArray> setStopNodeText(StopTree &tree, const StopPath &path, const QByteArray &text);

// Where the control time of the selected node's stop (a stop or anything below it) is kept: the
// selected item when it is a control time, else the stop's first one; without one, the place of
// the item that setControlTime makes. None for a direction, a path that leads nowhere, or a stop
// without its control time group (a stored stop may have fewer groups).
struct ControlTimePlace
{
    StopPath item;
    bool made = false; // the item does not exist yet
};
std::optional<ControlTimePlace> controlTimePlace(const StopTree &tree, const StopPath &selected);

// Sets the control time of the selected node's stop at its controlTimePlace, normalised as above;
// refuses (nothing) where there is no such place.
struct ControlTimeEdit
{
    StopPath item;                         // the item that holds the time now
    std::optional<QByteArray> previousText; // none: the item was made (undo removes it)
};
std::optional<ControlTimeEdit> setControlTime(StopTree &tree, const StopPath &selected, const QByteArray &time);

} // namespace tirvela
