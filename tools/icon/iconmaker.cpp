// Draws the editor's icon, an LED route-number board showing "12" in the board's own digit font,
// as PNG files of the sizes desktops ask for: OUTDIR/tirvela-SIZE.png.

#include "fonts/fonttable.h"
#include "project/boardcontent.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

using namespace tirvela;

namespace {

constexpr int kColumns = 20;
constexpr int kRows = 16;
constexpr int kDigitFont = 5; // "8x16 Ц"
constexpr double kCanvas = 256;
constexpr double kPitch = 10.8; // LED pitch on the 256-pixel canvas

BoardPicture numberPicture()
{
    BoardPicture measure;
    const int width = renderDisplayText(measure, *fontByNumber(kDigitFont), 0, 0, "12");
    BoardPicture picture;
    renderDisplayText(picture, *fontByNumber(kDigitFont), (kColumns - width) / 2, 0, "12");
    return picture;
}

QImage drawIcon(int size, const BoardPicture &number)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);

    const QRectF panel((kCanvas - kColumns * kPitch) / 2, (kCanvas - kRows * kPitch) / 2, kColumns * kPitch, kRows * kPitch);
    painter.setPen(QPen(QColor(0x1a, 0x1a, 0x1a), 4));
    painter.setBrush(QColor(0x4a, 0x4d, 0x52));
    painter.drawRoundedRect(panel.adjusted(-12, -14, 12, 14), 18, 18);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x10, 0x10, 0x10));
    painter.drawRect(panel.adjusted(-2, -2, 2, 2));

    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const bool lit = number.pixel(column, row);
            painter.setBrush(lit ? QColor(0xff, 0xb0, 0x00) : QColor(0x3c, 0x2c, 0x14));
            const QPointF centre(panel.left() + (column + 0.5) * kPitch, panel.top() + (row + 0.5) * kPitch);
            painter.drawEllipse(centre, kPitch * 0.4, kPitch * 0.4);
        }
    }
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    if (app.arguments().size() != 2) {
        err << "usage: icon_maker OUTDIR" << Qt::endl;
        return 2;
    }
    const BoardPicture number = numberPicture();
    for (int size : {48, 64, 128, 256}) {
        const QString file = app.arguments()[1] + QStringLiteral("/tirvela-%1.png").arg(size);
        if (!drawIcon(size, number).save(file, "PNG")) {
            err << "cannot write " << file << Qt::endl;
            return 1;
        }
    }
    return 0;
}
