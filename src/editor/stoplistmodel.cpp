#include "editor/stoplistmodel.h"

#include "document/stoptrees.h"
#include "common/cp1251.h"

namespace tirvela {

StopListModel::StopListModel(StopTrees &trees, int route, StopTree &tree, TextEditor editText, QObject *parent)
    : QAbstractItemModel(parent)
    , mRoute(route)
    , mTree(&tree)
    , mEditText(std::move(editText))
{
    connect(&trees, &StopTrees::aboutToInsert, this, [this](int route, const StopPath &parent, int row) {
        if (isMine(route))
            beginInsertRows(indexOf(parent), row, row);
    });
    connect(&trees, &StopTrees::inserted, this, [this](int route) {
        if (isMine(route))
            endInsertRows();
    });
    connect(&trees, &StopTrees::aboutToRemove, this, [this](int route, const StopPath &path) {
        if (isMine(route)) {
            const QModelIndex node = indexOf(path);
            beginRemoveRows(node.parent(), node.row(), node.row());
        }
    });
    connect(&trees, &StopTrees::removed, this, [this](int route) {
        if (isMine(route))
            endRemoveRows();
    });
    connect(&trees, &StopTrees::aboutToSwap, this, [this](int route, const StopPath &path) {
        if (isMine(route)) {
            const QModelIndex node = indexOf(path);
            // The next sibling moves before the node.
            beginMoveRows(node.parent(), node.row() + 1, node.row() + 1, node.parent(), node.row());
        }
    });
    connect(&trees, &StopTrees::swapped, this, [this](int route) {
        if (isMine(route))
            endMoveRows();
    });
    connect(&trees, &StopTrees::dropped, this, [this, &trees](int route) {
        if (isMine(route)) {
            disconnect(&trees, nullptr, this, nullptr);
            beginResetModel();
            mTree = nullptr;
            endResetModel();
        }
    });
    connect(&trees, &StopTrees::textChanged, this, [this](int route, const StopPath &path) {
        if (isMine(route)) {
            const QModelIndex node = indexOf(path);
            emit dataChanged(node, node);
        }
    });
}

QModelIndex StopListModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!mTree)
        return {};
    const StopNode *owner = parent.isValid() ? nodeOf(parent) : &mTree->root();
    if (column != 0 || row < 0 || row >= owner->childCount())
        return {};
    return createIndex(row, 0, const_cast<StopNode *>(&owner->child(row)));
}

QModelIndex StopListModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return indexOfNode(nodeOf(child)->parent());
}

int StopListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    if (!mTree)
        return 0;
    return parent.isValid() ? nodeOf(parent)->childCount() : mTree->root().childCount();
}

int StopListModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant StopListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return fromCp1251(nodeOf(index)->text);
}

bool StopListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !isEditableStopNode(*nodeOf(index)))
        return false;
    mEditText(pathOf(*nodeOf(index)), value.toString());
    return true;
}

Qt::ItemFlags StopListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return isEditableStopNode(*nodeOf(index)) ? flags | Qt::ItemIsEditable : flags;
}

StopNode *StopListModel::nodeOf(const QModelIndex &index) const
{
    return static_cast<StopNode *>(index.internalPointer());
}

QModelIndex StopListModel::indexOf(const StopPath &path) const
{
    return path.empty() || !mTree ? QModelIndex() : indexOfNode(nodeAt(*mTree, path));
}

QModelIndex StopListModel::indexOfNode(const StopNode *node) const
{
    if (!node || !mTree || node == &mTree->root())
        return {};
    return createIndex(node->row(), 0, const_cast<StopNode *>(node));
}

} // namespace tirvela
