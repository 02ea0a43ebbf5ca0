#pragma once

#include <QAbstractTableModel>

namespace tirvela {

class Document;

// The routes of the open project as a table: the route number, then one column per board type
// whose cells the miniature delegate paints. Follows the document's signals.
class RouteListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit RouteListModel(Document &document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Document &mDocument;
};

} // namespace tirvela
