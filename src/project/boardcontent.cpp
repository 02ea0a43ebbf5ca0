#include "boardcontent.h"

#include "fonts/fonttable.h"

#include <algorithm>

namespace tirvela {

namespace {

// Columns from here on neither draw nor widen a text.
constexpr int kIgnoredFromColumn = 136;

// Draws one glyph at (x, y) and returns how far it moves the text on, before the 2-column gap.
int drawGlyph(BoardPicture &picture, const FontEntry &font, int glyph, qint64 x, qint64 y)
{
    int advance = 2;
    const int columns = font.bytesPerRow() * 8;
    for (int i = 0; i < font.height; ++i) {
        for (int j = 0; j < columns; ++j) {
            if (!font.isLit(glyph, i, j))
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
        const int step = drawGlyph(picture, font, font.glyphIndex(quint8(c)), column, y) + 2;
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
