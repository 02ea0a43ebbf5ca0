#include "cli/fontsheetcommand.h"

#include "fonts/fonttable.h"
#include "cli/cliio.h"
#include "common/cp1251.h"
#include "cli/pngwriter.h"
#include "common/outputfile.h"
#include "common/savefile.h"
#include "common/systemreason.h"

#include <QDir>
#include <QSaveFile>

#include <algorithm>

namespace tirvela::cli {

namespace {

constexpr int kLedPitch = 5;   // pixels per LED, one of them the gap to the next LED
constexpr int kTextPitch = 2;  // pixels per LED of the captions
constexpr int kGridColumns = 16;
constexpr int kMargin = 16;
constexpr quint32 kBackground = 0x141414;
constexpr quint32 kLedOff = 0x3C2814;
constexpr quint32 kLedOn = 0xFFB400;
constexpr quint32 kCaption = 0xE6E6E6;

// The captions are drawn with the board's own "8x16" font, so no system font is needed.
const FontEntry &captionFont()
{
    return *fontByNumber(2);
}

int glyphCount(const FontEntry &font)
{
    return std::min(font.digitsOnly ? 10 : 160, font.glyphBytes / font.bytesPerGlyph());
}

// Draws a glyph with its top left LED at (x, y); showCell also draws the unlit LEDs of its cell.
void drawGlyph(RgbPicture &picture, const FontEntry &font, int glyph, int x, int y, int pitch, quint32 ledOn,
               bool showCell)
{
    const int led = pitch > 2 ? pitch - 1 : pitch;
    for (int row = 0; row < font.height; ++row) {
        for (int column = 0; column < font.width; ++column) {
            const bool lit = font.isLit(glyph, row, column);
            if (lit || showCell)
                picture.fillRect(x + column * pitch, y + row * pitch, led, led, lit ? ledOn : kLedOff);
        }
    }
}

// The columns a glyph takes before the gap to the next character: its last lit column, at least 2.
int glyphAdvance(const FontEntry &font, int glyph)
{
    int advance = 2;
    for (int row = 0; row < font.height; ++row) {
        for (int column = 0; column < font.width; ++column) {
            if (font.isLit(glyph, row, column))
                advance = std::max(advance, column);
        }
    }
    return advance;
}

// Draws a text the way the board spaces it and returns its width in LEDs; with no picture it only measures.
int drawText(RgbPicture *picture, const FontEntry &font, const QByteArray &text, int x, int y, int pitch,
             quint32 colour)
{
    int width = 0;
    for (const char character : text) {
        const int glyph = font.glyphIndex(quint8(character));
        if (glyph >= 0 && picture)
            drawGlyph(*picture, font, glyph, x + width * pitch, y, pitch, colour, false);
        width += (glyph >= 0 ? glyphAdvance(font, glyph) : 2) + 2;
    }
    return width;
}

QByteArray sampleText(const FontEntry &font)
{
    if (font.digitsOnly)
        return "0123456789 125 38";
    return toCp1251(u"Маршрут 25, Route 7");
}

int captionHeight()
{
    return captionFont().height * kTextPitch + kMargin / 2;
}

int sectionHeight(const FontEntry &font)
{
    const int gridRows = (glyphCount(font) + kGridColumns - 1) / kGridColumns;
    return captionHeight() + gridRows * (font.height + 1) * kLedPitch + kMargin / 2
        + font.height * kLedPitch + kMargin * 2;
}

int sectionWidth(const FontEntry &font)
{
    const int gridWidth = std::min(glyphCount(font), kGridColumns) * (font.width + 1) * kLedPitch;
    return std::max(gridWidth, drawText(nullptr, font, sampleText(font), 0, 0, kLedPitch, kLedOn) * kLedPitch);
}

RgbPicture renderSheet()
{
    int width = 0;
    int height = kMargin;
    for (const FontEntry &font : fontTable()) {
        width = std::max(width, sectionWidth(font));
        height += sectionHeight(font);
    }
    RgbPicture picture(width + 2 * kMargin, height, kBackground);
    int y = kMargin;
    int number = 1;
    for (const FontEntry &font : fontTable()) {
        const QByteArray caption = QByteArray::number(number++) + ": " + toCp1251(QString::fromUtf8(font.name));
        drawText(&picture, captionFont(), caption, kMargin, y, kTextPitch, kCaption);
        int top = y + captionHeight();
        for (int glyph = 0; glyph < glyphCount(font); ++glyph) {
            const int x = kMargin + (glyph % kGridColumns) * (font.width + 1) * kLedPitch;
            const int gridY = top + (glyph / kGridColumns) * (font.height + 1) * kLedPitch;
            drawGlyph(picture, font, glyph, x, gridY, kLedPitch, kLedOn, true);
        }
        top += (glyphCount(font) + kGridColumns - 1) / kGridColumns * (font.height + 1) * kLedPitch + kMargin / 2;
        drawText(&picture, font, sampleText(font), kMargin, top, kLedPitch, kLedOn);
        y += sectionHeight(font);
    }
    return picture;
}

// Writes the file whole or not at all.
bool saveFile(const QString &path, const QByteArray &bytes, QString &reason)
{
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) && writeFully(file, bytes) && commitFully(file);
    reason = russianReason(file.errorString());
    return saved;
}

int runFontSheet(const CommandCall &call)
{
    const QString output = call.arguments().constFirst();
    if (const Status allowed = checkOutputFile(output); !allowed.ok()) {
        err() << allowed.message << '\n';
        return Failure;
    }
    const QByteArray png = encodePng(renderSheet());
    QString reason = QStringLiteral("не хватает памяти");
    if (png.isEmpty() || !saveFile(output, png, reason)) {
        err() << "Файл " << QDir::toNativeSeparators(output) << " не записан: " << reason << '\n';
        return Failure;
    }
    out() << "Знаки шрифтов нарисованы в " << QDir::toNativeSeparators(output) << '\n';
    return Success;
}

} // namespace

Command fontSheetCommand()
{
    return {
        .name = QStringLiteral("font-sheet"),
        .summary = QStringLiteral("нарисовать все знаки шрифтов табло в PNG"),
        .description = QStringLiteral("Рисует каждый знак шести шрифтов маршрутного табло, светодиод за "
                                      "светодиодом, в файл PNG для проверки."),
        .arguments = {{QStringLiteral("OUT.png"), QStringLiteral("файл PNG, который будет записан")}},
        .run = runFontSheet,
    };
}

} // namespace tirvela::cli
