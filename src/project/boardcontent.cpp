#include "boardcontent.h"

#include "app/fonttable.h"

#include <algorithm>

namespace tirvela {

namespace {

// Columns from here on neither draw nor widen a text.
constexpr int kIgnoredFromColumn = 136;

int glyphIndex(const FontEntry &font, quint8 code)
{
    if (font.digitsOnly)
        return (code >= '0' && code <= '9') ? code - '0' : -1;
    if (code >= 0x20 && code <= 0x7F)
        return code - 0x20;
    if (code >= 0xC0)
        return code - 0xC0 + 96;
    return -1;
}

// Draws one glyph at (x, y) and returns how far it moves the text on, before the 2-column gap.
int drawGlyph(BoardPicture &picture, const FontEntry &font, int glyph, qint64 x, qint64 y)
{
    int advance = 2;
    const int bytesPerGlyph = font.bytesPerGlyph();
    if (glyph < 0 || qint64(glyph + 1) * bytesPerGlyph > font.glyphBytes)
        return advance;
    const int columns = font.bytesPerRow() * 8;
    const quint8 *rows = font.glyphs + glyph * bytesPerGlyph;
    for (int i = 0; i < font.height; ++i) {
        const quint8 *row = rows + i * font.bytesPerRow();
        const quint32 bits = font.bytesPerRow() == 2 ? quint32(row[0] << 8 | row[1]) : row[0];
        for (int j = 0; j < columns; ++j) {
            if (!(bits & (1u << (columns - 1 - j))))
                continue;
            const qint64 column = x + j;
            if (column >= kIgnoredFromColumn)
                continue;
            const qint64 line = y + i;
            if (line >= 0 && line < BoardPicture::Rows && column >= 0 && column < BoardPicture::Columns)
                picture.setPixel(int(column), int(line));
            advance = std::max(advance, j);
        }
    }
    return advance;
}

} // namespace

int renderDisplayText(BoardPicture &picture, const FontEntry &font, int x, int y, QByteArrayView text)
{
    qint64 column = x;
    int width = 0;
    for (char c : text) {
        const int step = drawGlyph(picture, font, glyphIndex(font, quint8(c)), column, y) + 2;
        column += step;
        width += step;
    }
    return width;
}

void renderDisplayElement(BoardPicture &picture, DisplayElement &element)
{
    const FontEntry *font = fontByNumber(element.font);
    if (!font) {
        element.width = 0;
        element.height = 0;
        return;
    }
    element.width = renderDisplayText(picture, *font, element.x, element.y, element.text);
    element.height = font->height;
}

void redrawRoutePicture(BoardRouteEntry &entry)
{
    entry.picture.clear();
    for (DisplayElement &element : entry.elements)
        renderDisplayElement(entry.picture, element);
}

void clearBoardContent(Project &project)
{
    for (Board &board : project.boards)
        board.routes.fill(BoardRouteEntry{});
}

void newProject(Project &project)
{
    clearBoardContent(project);
    for (QByteArray &stream : project.routeStreams)
        stream.clear();
    project.routeCount = 1;
    project.boards[0].routes[0].routeNumberText = QByteArrayLiteral("1");
}

} // namespace tirvela
