#include "editor/miniaturedelegate.h"

#include "document/document.h"

#include <QImage>
#include <QPainter>

namespace tirvela {

MiniatureDelegate::MiniatureDelegate(const Document &document, QObject *parent)
    : QStyledItemDelegate(parent)
    , mDocument(document)
{
}

QImage MiniatureDelegate::miniature(const Document &document, int route, int boardRow)
{
    const BoardType &type = kBoardTypes[size_t(boardRow)];
    const BoardPicture &picture = document.project().boards[size_t(boardRow)].routes[size_t(route)].picture;
    QImage image(type.columns, type.rows, QImage::Format_RGB32);
    const QRgb lit = qRgb(128, 128, 128);
    const QRgb dark = qRgb(0, 0, 0);
    for (int row = 0; row < type.rows; ++row) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        for (int column = 0; column < type.columns; ++column)
            line[column] = picture.pixel(column, row) ? lit : dark;
    }
    return image;
}

void MiniatureDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() == 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QImage image = miniature(mDocument, index.row(), index.column() - 1);
    const QRect cell = option.rect;
    const QPoint centre((cell.left() + cell.right()) / 2, (cell.top() + cell.bottom()) / 2);
    painter->save();
    painter->setClipRect(cell);
    if (option.state & QStyle::State_Selected)
        painter->fillRect(cell, option.palette.highlight());
    painter->drawImage(centre - QPoint(image.width() / 2, image.height() / 2), image);
    painter->restore();
}

} // namespace tirvela
