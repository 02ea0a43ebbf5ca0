#pragma once

#include "sound/soundsamples.h"

#include <QByteArray>
#include <QStringList>
#include <QWidget>

class QPainter;

namespace tirvela {

// A strip that draws a SoundFile's wave with its duration and peak level, its clipped samples
// marked in red, so that a file too quiet or distorted shows at a glance.
class WaveformStrip : public QWidget
{
    Q_OBJECT

public:
    // Below this peak the announcement sounds quieter than the others (8-bit samples leave it
    // 5 bits of its own).
    static constexpr double kQuietPeakDb = -12.0;

    explicit WaveformStrip(QWidget *parent = nullptr);

    // Draws the samples (unsigned 8-bit, 16 kHz) of a SoundFile.
    void showSamples(const QByteArray &samples);
    // Draws no wave, only the text, wrapped over the whole strip.
    void showText(const QString &text);
    // Where a text shown alone is written.
    QRect textArea() const;

    // The lines written over the strip.
    QStringList lines() const { return mLines; }
    const SoundLevels &levels() const { return mLevels; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr int kWaveHeight = 48;

    int textHeight() const;
    void paintWave(QPainter &painter, const QRect &area) const;

    QByteArray mSamples;
    SoundLevels mLevels;
    QStringList mLines;
    bool mWarning = false;
};

} // namespace tirvela
