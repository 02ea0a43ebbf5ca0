#include "project/stoplistedits.h"

#include "project/controltime.h"

#include <algorithm>
#include <utility>

namespace tirvela {

namespace {

constexpr int kControlTimeGroupRow = 2;

// The node itself or its nearest ancestor whose level is at most `level`.
template <typename Node>
Node &ancestorAtMost(Node &node, int level)
{
    Node *at = &node;
    while (at->level() > level)
        at = at->parent();
    return *at;
}

StopInsertion appendTo(const StopNode &parent, bool controlTime = false)
{
    return {pathOf(parent), parent.childCount(), controlTime};
}

} // namespace

StopPath pathOf(const StopNode &node)
{
    StopPath path;
    for (const StopNode *at = &node; at->parent(); at = at->parent())
        path.push_back(at->row());
    std::reverse(path.begin(), path.end());
    return path;
}

StopNode *nodeAt(StopTree &tree, const StopPath &path)
{
    return const_cast<StopNode *>(nodeAt(std::as_const(tree), path));
}

const StopNode *nodeAt(const StopTree &tree, const StopPath &path)
{
    if (path.empty())
        return nullptr;
    const StopNode *node = &tree.root();
    for (int row : path) {
        if (row < 0 || row >= node->childCount())
            return nullptr;
        node = &node->child(row);
    }
    return node;
}

RouteStreamReadResult readStopListForEditing(QByteArrayView stream)
{
    RouteStreamReadResult read = readRouteStream(stream);
    if (!read.ok)
        return read;
    StopNode &root = read.tree.root();
    if (root.childCount() == 0) {
        root.appendChild(StopNode(forwardDirectionText()));
        root.appendChild(StopNode(reverseDirectionText()));
    }
    for (int direction = 0; direction < root.childCount(); ++direction) {
        StopNode &stops = root.child(direction);
        for (int stop = 0; stop < stops.childCount(); ++stop) {
            if (stops.child(stop).childCount() == 2)
                stops.child(stop).appendChild(StopNode(controlTimeGroupText()));
        }
    }
    return read;
}

bool isEditableStopNode(const StopNode &node)
{
    const int level = node.level();
    return level == StopLevel || level == ItemLevel;
}

bool isControlTimeItem(const StopNode &node)
{
    return node.level() == ItemLevel && node.parent()->row() == kControlTimeGroupRow;
}

bool isSoundItem(const StopNode &node)
{
    return node.level() == ItemLevel && node.parent()->row() < kControlTimeGroupRow;
}

const StopNode *stopOf(const StopNode *node)
{
    while (node && node->level() > StopLevel)
        node = node->parent();
    return node && node->level() == StopLevel ? node : nullptr;
}

StopNode newStopNode(const QByteArray &name)
{
    return StopNode(name, {StopNode(stopGroupText()), StopNode(nextStopGroupText()), StopNode(controlTimeGroupText())});
}

std::optional<StopInsertion> insertionFor(const StopNode &selected)
{
    if (selected.level() < DirectionLevel)
        return std::nullopt;
    const StopNode &group = ancestorAtMost(selected, GroupLevel);
    if (group.level() == GroupLevel && group.row() == kControlTimeGroupRow)
        return appendTo(group, true);
    const StopNode &stop = ancestorAtMost(group, StopLevel);
    if (stop.level() == DirectionLevel)
        return appendTo(stop);
    return StopInsertion{pathOf(*stop.parent()), stop.row() + 1, false};
}

std::optional<StopInsertion> soundInsertionFor(const StopNode &selected)
{
    if (selected.level() < StopLevel)
        return std::nullopt;
    const StopNode *group = &ancestorAtMost(selected, GroupLevel);
    if (group->level() == StopLevel) {
        if (group->childCount() == 0)
            return std::nullopt;
        group = &group->child(0);
    }
    if (group->row() >= kControlTimeGroupRow)
        return std::nullopt;
    return appendTo(*group);
}

StopNode *insertStopNode(StopTree &tree, const StopPath &parentPath, int row, std::unique_ptr<StopNode> node)
{
    StopNode *parent = nodeAt(tree, parentPath);
    if (!parent || !node || row < 0 || row > parent->childCount())
        return nullptr;
    const int level = parent->level();
    if (level != DirectionLevel && level != GroupLevel)
        return nullptr;
    return &parent->insertChild(row, std::move(node));
}

std::unique_ptr<StopNode> removeStopNode(StopTree &tree, const StopPath &path)
{
    StopNode *node = nodeAt(tree, path);
    if (!node || !isEditableStopNode(*node))
        return nullptr;
    return node->parent()->takeChild(path.back());
}

bool swapWithNextStopNode(StopTree &tree, const StopPath &path)
{
    StopNode *node = nodeAt(tree, path);
    if (!node || !isEditableStopNode(*node) || path.back() + 1 >= node->parent()->childCount())
        return false;
    node->parent()->swapChildren(path.back(), path.back() + 1);
    return true;
}

std::optional<QByteArray> setStopNodeText(StopTree &tree, const StopPath &path, const QByteArray &text)
{
    StopNode *node = nodeAt(tree, path);
    if (!node || !isEditableStopNode(*node))
        return std::nullopt;
    return std::exchange(node->text, isControlTimeItem(*node) ? normaliseControlTime(QByteArrayView(text)) : text);
}

std::optional<ControlTimePlace> controlTimePlace(const StopTree &tree, const StopPath &selected)
{
    const StopNode *node = nodeAt(tree, selected);
    if (!node || node->level() < StopLevel)
        return std::nullopt;
    const StopNode &stop = ancestorAtMost(*node, StopLevel);
    if (stop.childCount() <= kControlTimeGroupRow)
        return std::nullopt;
    const StopNode &times = stop.child(kControlTimeGroupRow);
    if (times.childCount() == 0) {
        StopPath made = pathOf(times);
        made.push_back(0);
        return ControlTimePlace{made, true};
    }
    return ControlTimePlace{pathOf(isControlTimeItem(*node) ? *node : times.child(0)), false};
}

std::optional<ControlTimeEdit> setControlTime(StopTree &tree, const StopPath &selected, const QByteArray &time)
{
    const std::optional<ControlTimePlace> place = controlTimePlace(tree, selected);
    if (!place)
        return std::nullopt;
    if (!place->made)
        return ControlTimeEdit{place->item, setStopNodeText(tree, place->item, time)};
    StopPath group = place->item;
    group.pop_back();
    nodeAt(tree, group)->appendChild(StopNode(normaliseControlTime(QByteArrayView(time))));
    return ControlTimeEdit{place->item, std::nullopt};
}

} // namespace tirvela
