#pragma once

#include "project/stoplistedits.h"

#include <QAbstractItemModel>

#include <functional>

namespace tirvela {

class StopTrees;

// One route's stop tree as an item model. It follows the tree's changes row by row, so views keep
// their expansion and selection; an in-place edit is handed to `editText`, which makes it an
// undo step, instead of changing the tree here. When the tree is dropped the model turns empty.
class StopListModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    using TextEditor = std::function<void(const StopPath &path, const QString &typed)>;

    StopListModel(StopTrees &trees, int route, StopTree &tree, TextEditor editText, QObject *parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    StopNode *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(const StopPath &path) const;

private:
    QModelIndex indexOfNode(const StopNode *node) const;
    bool isMine(int route) const { return route == mRoute; }

    int mRoute;
    StopTree *mTree; // nullptr once the tree was dropped
    TextEditor mEditText;
};

} // namespace tirvela
