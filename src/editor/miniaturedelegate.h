#pragma once

#include <QStyledItemDelegate>

namespace tirvela {

class Document;

// Paints a route's board picture in its grid cell, one screen pixel per LED: grey where lit,
// black where dark, centred in the cell.
class MiniatureDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit MiniatureDelegate(const Document &document, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The miniature of a route on a board type, as the cell shows it.
    static QImage miniature(const Document &document, int route, int boardRow);

private:
    const Document &mDocument;
};

} // namespace tirvela
