#include "document/stoptrees.h"

namespace tirvela {

StopTrees::StopTrees(Project &project, QObject *parent)
    : QObject(parent)
    , mProject(project)
{
}

StopTrees::Opened StopTrees::open(int route)
{
    std::unique_ptr<StopTree> &tree = mTrees[size_t(route)];
    if (!tree) {
        RouteStreamReadResult read = readStopListForEditing(mProject.routeStreams[size_t(route)]);
        if (!read.ok)
            return {nullptr, read.error};
        tree = std::make_unique<StopTree>(std::move(read.tree));
    }
    return {tree.get(), {}};
}

void StopTrees::storeAll()
{
    for (int route = 0; route < MaxRoutes; ++route) {
        if (const StopTree *tree = mTrees[size_t(route)].get())
            mProject.routeStreams[size_t(route)] = writeRouteStream(*tree);
    }
}

void StopTrees::storeAndDropAll()
{
    storeAll();
    dropAll();
}

void StopTrees::dropAll()
{
    for (int route = 0; route < MaxRoutes; ++route)
        drop(route);
}

void StopTrees::drop(int route)
{
    if (mTrees[size_t(route)]) {
        emit dropped(route);
        mTrees[size_t(route)].reset();
    }
}

// The edits are checked before they are announced, so that a view never hears of one that the
// tree then refuses.

StopNode *StopTrees::insert(int route, const StopPath &parent, int row, std::unique_ptr<StopNode> node)
{
    StopTree *tree = treeOf(route);
    if (!tree)
        return nullptr;
    const StopNode *target = parent.empty() ? &tree->root() : nodeAt(*tree, parent);
    const int level = target ? target->level() : -2;
    if ((level != DirectionLevel && level != GroupLevel) || row < 0 || row > target->childCount())
        return nullptr;
    emit aboutToInsert(route, parent, row);
    StopNode *inserted = insertStopNode(*tree, parent, row, std::move(node));
    emit this->inserted(route);
    return inserted;
}

std::unique_ptr<StopNode> StopTrees::remove(int route, const StopPath &path)
{
    StopTree *tree = treeOf(route);
    const StopNode *target = tree ? nodeAt(*tree, path) : nullptr;
    if (!target || !isEditableStopNode(*target))
        return nullptr;
    emit aboutToRemove(route, path);
    std::unique_ptr<StopNode> node = removeStopNode(*tree, path);
    emit removed(route);
    return node;
}

bool StopTrees::swapWithNext(int route, const StopPath &path)
{
    StopTree *tree = treeOf(route);
    const StopNode *node = tree ? nodeAt(*tree, path) : nullptr;
    if (!node || !isEditableStopNode(*node) || node->row() + 1 >= node->parent()->childCount())
        return false;
    emit aboutToSwap(route, path);
    const bool done = swapWithNextStopNode(*tree, path);
    emit swapped(route);
    return done;
}

std::optional<QByteArray> StopTrees::setText(int route, const StopPath &path, const QByteArray &text)
{
    StopTree *tree = treeOf(route);
    std::optional<QByteArray> previous = tree ? setStopNodeText(*tree, path, text) : std::nullopt;
    if (previous)
        emit textChanged(route, path);
    return previous;
}

std::optional<ControlTimeEdit> StopTrees::setControlTime(int route, const StopPath &selected, const QByteArray &time)
{
    StopTree *tree = treeOf(route);
    const std::optional<ControlTimePlace> place = tree ? controlTimePlace(*tree, selected) : std::nullopt;
    if (!place)
        return std::nullopt;
    StopPath group = place->item;
    group.pop_back();
    if (place->made)
        emit aboutToInsert(route, group, place->item.back());
    std::optional<ControlTimeEdit> edit = tirvela::setControlTime(*tree, selected, time);
    if (place->made)
        emit inserted(route);
    else
        emit textChanged(route, edit->item);
    return edit;
}

void StopTrees::restoreText(int route, const StopPath &path, const QByteArray &text)
{
    StopTree *tree = treeOf(route);
    if (StopNode *node = tree ? nodeAt(*tree, path) : nullptr) {
        node->text = text;
        emit textChanged(route, path);
    }
}

} // namespace tirvela
