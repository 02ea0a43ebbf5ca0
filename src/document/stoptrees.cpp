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
    for (int route = 0; route < MaxRoutes; ++route) {
        if (mTrees[size_t(route)]) {
            emit dropped(route);
            mTrees[size_t(route)].reset();
        }
    }
}

// The edits are checked before they are announced, so that a view never hears of one that the
// tree then refuses.

StopNode *StopTrees::insert(int route, const StopPath &parent, int row, std::unique_ptr<StopNode> node)
{
    StopTree &tree = *mTrees[size_t(route)];
    const StopNode *target = parent.empty() ? &tree.root() : nodeAt(tree, parent);
    const int level = target ? target->level() : -2;
    if ((level != 0 && level != 2) || row < 0 || row > target->childCount())
        return nullptr;
    emit aboutToInsert(route, parent, row);
    StopNode *inserted = insertStopNode(tree, parent, row, std::move(node));
    emit this->inserted(route);
    return inserted;
}

std::unique_ptr<StopNode> StopTrees::remove(int route, const StopPath &path)
{
    const StopNode *target = nodeAt(*mTrees[size_t(route)], path);
    if (!target || !isEditableStopNode(*target))
        return nullptr;
    emit aboutToRemove(route, path);
    std::unique_ptr<StopNode> node = removeStopNode(*mTrees[size_t(route)], path);
    emit removed(route);
    return node;
}

bool StopTrees::swapWithNext(int route, const StopPath &path)
{
    const StopNode *node = nodeAt(*mTrees[size_t(route)], path);
    if (!node || !isEditableStopNode(*node) || node->row() + 1 >= node->parent()->childCount())
        return false;
    emit aboutToSwap(route, path);
    const bool done = swapWithNextStopNode(*mTrees[size_t(route)], path);
    emit swapped(route);
    return done;
}

std::optional<QByteArray> StopTrees::setText(int route, const StopPath &path, const QByteArray &text)
{
    std::optional<QByteArray> previous = setStopNodeText(*mTrees[size_t(route)], path, text);
    if (previous)
        emit textChanged(route, path);
    return previous;
}

void StopTrees::restoreText(int route, const StopPath &path, const QByteArray &text)
{
    if (StopNode *node = nodeAt(*mTrees[size_t(route)], path)) {
        node->text = text;
        emit textChanged(route, path);
    }
}

} // namespace tirvela
