#include "editor/waveformstrip.h"

#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace tirvela {

namespace {

const QColor kWaveColor(0x1f, 0x4e, 0x9c);
const QColor kClipColor(0xd0, 0x10, 0x10);
const QColor kQuietColor(0xb0, 0x60, 0x00);

} // namespace

WaveformStrip::WaveformStrip(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("WaveStrip"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize WaveformStrip::sizeHint() const
{
    return {200, textHeight() + kWaveHeight};
}

// Two lines at most: the level, and a warning when there is one.
int WaveformStrip::textHeight() const
{
    return 2 * fontMetrics().height() + 4;
}

QRect WaveformStrip::textArea() const
{
    return rect().adjusted(4, 2, -4, -2);
}

void WaveformStrip::showSamples(const QByteArray &samples)
{
    mSamples = samples;
    mLevels = measureLevels(samples);
    const QLocale russian(QLocale::Russian);
    const QString peak = mLevels.peak == 0 ? QStringLiteral("тишина")
                                           : QStringLiteral("пик %1 дБ").arg(russian.toString(mLevels.peakDb(), 'f', 1));
    mLines = QStringList{QStringLiteral("%1 с, %2").arg(russian.toString(mLevels.seconds(), 'f', 2), peak)};
    mWarning = true;
    if (mLevels.clippedCount > 0)
        mLines << QStringLiteral("Перегрузка: %1 отсч.").arg(mLevels.clippedCount);
    else if (mLevels.peakDb() < kQuietPeakDb)
        mLines << QStringLiteral("Слишком тихо");
    else
        mWarning = false;
    update();
}

void WaveformStrip::showText(const QString &text)
{
    mSamples.clear();
    mLevels = {};
    mLines = QStringList{text};
    mWarning = false;
    update();
}

void WaveformStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    paintWave(painter, rect().adjusted(1, textHeight(), -1, -1));

    if (mSamples.isEmpty()) {
        // A text alone (why a file cannot be shown) takes the whole strip, in as many lines as it needs.
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(textArea(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, mLines.join(u'\n'));
    } else {
        const QColor warning = mLevels.clippedCount > 0 ? kClipColor : kQuietColor;
        const int lineHeight = fontMetrics().height();
        for (int i = 0; i < mLines.size(); ++i) {
            painter.setPen(mWarning && i == 1 ? warning : palette().color(QPalette::Text));
            painter.drawText(QRect(4, 2 + i * lineHeight, width() - 8, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             mLines[i]);
        }
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// One column per pixel: the span of the samples it covers, drawn from its lowest to its highest;
// a column holding a clipped sample gets a red mark at both edges of the strip.
void WaveformStrip::paintWave(QPainter &painter, const QRect &area) const
{
    const qint64 count = mSamples.size();
    const int columns = area.width();
    if (count == 0 || columns <= 0)
        return;
    painter.fillRect(area, palette().alternateBase());
    const int middle = area.center().y();
    const double scale = (area.height() / 2 - 1) / 128.0;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(area.left(), middle, area.right(), middle);
    const auto *data = reinterpret_cast<const quint8 *>(mSamples.constData());
    for (int x = 0; x < columns; ++x) {
        const qint64 begin = count * x / columns;
        const qint64 end = std::max(begin + 1, count * (x + 1) / columns);
        if (begin >= count)
            break;
        const auto [low, high] = std::minmax_element(data + begin, data + std::min(end, count));
        const bool clipped = isClippedSample(*low) || isClippedSample(*high);
        const int column = area.left() + x;
        painter.setPen(kWaveColor);
        painter.drawLine(column, middle - int((*high - 128) * scale), column, middle - int((*low - 128) * scale));
        if (clipped) {
            painter.setPen(kClipColor);
            painter.drawLine(column, area.top(), column, area.top() + 4);
            painter.drawLine(column, area.bottom() - 4, column, area.bottom());
        }
    }
}

} // namespace tirvela
