#include "editor/routelistmodel.h"

#include "document/document.h"
#include "common/cp1251.h"

namespace tirvela {

RouteListModel::RouteListModel(Document &document, QObject *parent)
    : QAbstractTableModel(parent)
    , mDocument(document)
{
    const auto reset = [this] {
        beginResetModel();
        endResetModel();
    };
    connect(&document, &Document::projectReplaced, this, reset);
    connect(&document, &Document::routesChanged, this, reset);
    connect(&document, &Document::boardEntryChanged, this, [this](int boardRow, int route) {
        const QModelIndex cell = index(route, boardRow + 1);
        emit dataChanged(cell, cell);
    });
}

int RouteListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : mDocument.project().routeCount;
}

int RouteListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1 + BoardTypeCount;
}

QVariant RouteListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() != 0)
        return {};
    if (role == Qt::DisplayRole)
        return fromCp1251(mDocument.project().routeNumberText(index.row()));
    return {};
}

QVariant RouteListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section == 0)
        return {};
    return QString::fromUtf8(kBoardTypes[size_t(section - 1)].caption);
}

} // namespace tirvela
