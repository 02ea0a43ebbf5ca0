#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <vector>

namespace tirvela {

constexpr int MaxRoutes = 50;
constexpr int BoardTypeCount = 3;
constexpr int BoardImageSize = 1728;
// The board keeps its image from this address on: a board address is an image offset + 64.
constexpr int BoardAddressBase = 64;

// One of the three fixed variants of the route-number board.
struct BoardType
{
    int id; // a single bit: 1, 2, 4
    int rows;
    int columns;
    const char *caption; // UTF-8
};

constexpr std::array<BoardType, BoardTypeCount> kBoardTypes = {{
    {1, 16, 112, "16x28x4"},
    {2, 20, 112, "20x28x4"},
    {4, 16, 112, "16x28x4 Раздельные"},
}};

using BoardImage = std::array<quint8, BoardImageSize>;
using BoardImages = std::array<BoardImage, BoardTypeCount>;

// The 128 x 20 monochrome picture of one route on one board type, 16 bytes a row.
struct BoardPicture
{
    static constexpr int Columns = 128;
    static constexpr int Rows = 20;
    static constexpr int BytesPerRow = Columns / 8;

    std::array<quint8, BytesPerRow * Rows> bits{};

    bool pixel(int column, int row) const
    {
        return bits[row * BytesPerRow + column / 8] & (0x80 >> (column % 8));
    }
    void setPixel(int column, int row) { bits[row * BytesPerRow + column / 8] |= quint8(0x80 >> (column % 8)); }
    void clear() { bits.fill(0); }
};

// A text placed on a route's board picture. Texts are Windows-1251 bytes.
struct DisplayElement
{
    // The board stores a position as one signed byte.
    static constexpr int MinPosition = -128;
    static constexpr int MaxPosition = 127;

    int font = 0; // 1-based font number, never 0
    int y = 0;
    int x = 0;
    QByteArray text; // at most MaxElementTextLength bytes
    int width = 0;   // drawn width, set by rendering
    int height = 0;  // font height, set by rendering

    // Equal in what is edited and stored; the drawn size follows from them.
    bool operator==(const DisplayElement &other) const
    {
        return font == other.font && y == other.y && x == other.x && text == other.text;
    }
};

constexpr int MaxElementTextLength = 29;
constexpr int MaxRouteNumberTextLength = 31;

// What one route shows on one board type.
struct BoardRouteEntry
{
    BoardPicture picture; // derived from the elements, never stored
    QByteArray routeNumberText;
    std::vector<DisplayElement> elements; // in drawing order

    // Equal in what is edited and stored; the picture is drawn from the elements.
    bool operator==(const BoardRouteEntry &other) const
    {
        return routeNumberText == other.routeNumberText && elements == other.elements;
    }
};

struct Board
{
    std::array<BoardRouteEntry, MaxRoutes> routes;
    // The image the board content was last restored from (a file's, or none). Edits do not follow
    // it: saves and board programming build their images from the board content.
    BoardImage image{};
};

// The route data being edited: routes with their stop lists, and the board content of every board type.
// A route is an index into all of these arrays at once.
class Project
{
public:
    int routeCount = 0;
    // The stop tree of each route in its stored text form.
    std::array<QByteArray, MaxRoutes> routeStreams;
    std::array<Board, BoardTypeCount> boards;

    // The route number text the user knows a route by: the one of the first board type.
    const QByteArray &routeNumberText(int route) const { return boards[0].routes[route].routeNumberText; }

    // Equal in what the user edits and a file keeps: the route count and, for each route in use, its
    // stream and its board entries. Slots past the route count, pictures and board images are left out.
    bool operator==(const Project &other) const;
};

} // namespace tirvela
