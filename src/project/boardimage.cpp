#include "boardimage.h"

#include "fonts/fonttable.h"
#include "common/crc16.h"
#include "common/hexnumber.h"
#include "project/boardcontent.h"
#include "project/filelayout.h"

#include <algorithm>

namespace tirvela {

namespace {

constexpr int kMinimumImageSize = 512;
constexpr int kTableStart = 4;
constexpr int kTableEntrySize = 6;

quint16 readLe16(const BoardImage &image, int offset)
{
    return quint16(readLe(QByteArrayView(image.data(), image.size()), offset, 2));
}

void writeLe16(BoardImage &image, int offset, int value)
{
    putLe(image.data() + offset, quint32(value), 2);
}

// The element text as the image stores it: up to its first NUL, since a NUL ends it there.
QByteArrayView storedText(const QByteArray &text)
{
    const qsizetype nul = text.indexOf('\0');
    return QByteArrayView(text).first(nul < 0 ? text.size() : nul);
}

int listSize(const BoardRouteEntry &entry)
{
    int size = 1; // the 0x00 that ends the list
    for (const DisplayElement &element : entry.elements)
        size += 3 + int(storedText(element.text).size()) + 1;
    return size;
}

void restoreRoute(BoardRouteEntry &entry, const BoardImage &image, int listOffset)
{
    int offset = listOffset;
    while (offset >= 0 && offset + 3 < BoardImageSize && image[offset] != 0) {
        const auto textBegin = image.begin() + offset + 3;
        const auto textEnd = std::find(textBegin, image.end(), quint8(0));
        if (textEnd == image.end())
            break; // a text that runs to the image end ends the walk
        const int textLength = int(textEnd - textBegin);

        DisplayElement element;
        element.font = image[offset];
        element.x = qint8(image[offset + 1]);
        element.y = qint8(image[offset + 2]);
        element.text = QByteArray(reinterpret_cast<const char *>(&*textBegin),
                                  std::min(textLength, MaxElementTextLength));
        renderDisplayElement(entry.picture, element);
        entry.elements.push_back(std::move(element));
        offset += textLength + 4;
    }
}

} // namespace

quint16 routeNumberValue(QByteArrayView text)
{
    // A 32-bit hexadecimal number written in full; anything else reads as 0.
    return quint16(parseHex(text).value_or(0));
}

QByteArray routeNumberText(quint16 value)
{
    return QByteArray::number(value, 16);
}

BoardImageBuildResult buildBoardImage(const Project &project, int boardRow, BoardImage &image)
{
    const Board &board = project.boards[boardRow];
    const int routeCount = std::clamp(project.routeCount, 0, MaxRoutes);
    const int listsStart = kTableStart + kTableEntrySize * routeCount + 2;

    int needed = listsStart;
    for (int route = 0; route < routeCount; ++route)
        needed += listSize(board.routes[route]);
    if (needed > BoardImageSize)
        return {false, needed - BoardImageSize};

    image.fill(0xFF);
    writeLe16(image, listsStart - 2, 0);
    int position = listsStart;
    for (int route = 0; route < routeCount; ++route) {
        const int entry = kTableStart + kTableEntrySize * route;
        writeLe16(image, entry, routeNumberValue(project.routeNumberText(route)));
        writeLe16(image, entry + 2, position + BoardAddressBase);
        writeLe16(image, entry + 4, position + BoardAddressBase);
        for (const DisplayElement &element : board.routes[route].elements) {
            image[position++] = quint8(element.font);
            image[position++] = quint8(element.x);
            image[position++] = quint8(element.y);
            const QByteArrayView text = storedText(element.text);
            std::copy(text.begin(), text.end(), image.begin() + position);
            position += int(text.size());
            image[position++] = 0;
        }
        image[position++] = 0;
    }
    return {};
}

bool BoardImagesBuild::fits() const
{
    return std::all_of(bytesOver.begin(), bytesOver.end(), [](int over) { return over == 0; });
}

QStringList BoardImagesBuild::problems() const
{
    QStringList lines;
    for (int row = 0; row < BoardTypeCount; ++row) {
        if (bytesOver[size_t(row)] > 0)
            lines.append(QStringLiteral("Содержимое табло %1 не помещается в образ: лишних %2 байт")
                             .arg(QString::fromUtf8(kBoardTypes[size_t(row)].caption))
                             .arg(bytesOver[size_t(row)]));
    }
    return lines;
}

BoardImagesBuild buildBoardImages(const Project &project)
{
    BoardImagesBuild build;
    for (int row = 0; row < BoardTypeCount; ++row) {
        BoardImage &image = build.images[size_t(row)];
        const BoardImageBuildResult built = buildBoardImage(project, row, image);
        if (built.fits)
            finaliseBoardImage(image);
        else
            build.bytesOver[size_t(row)] = built.bytesOver;
    }
    return build;
}

int finaliseBoardImage(BoardImage &image)
{
    int n = BoardImageSize;
    while (n > kMinimumImageSize && image[n - 1] == 0xFF)
        --n;

    // The checksum covers the payload and the four bytes after it; past the image end those are filler.
    const int covered = std::min(n, BoardImageSize - kTableStart);
    quint16 crc = crc16Xmodem(0, QByteArrayView(reinterpret_cast<const char *>(image.data()) + kTableStart, covered));
    for (int i = covered; i < n; ++i)
        crc = crc16XmodemUpdate(crc, 0xFF);

    const int length = n - 4;
    image[0] = quint8(crc >> 8);
    image[1] = quint8(crc);
    writeLe16(image, 2, length);
    return n;
}

int storedBoardImageSize(const BoardImage &image)
{
    return readLe16(image, 2) + 4;
}

void rebuildBoardContent(Project &project)
{
    clearBoardContent(project);
    for (Board &board : project.boards) {
        const BoardImage &image = board.image;
        for (int route = 0; route < MaxRoutes; ++route) {
            const int entry = kTableStart + kTableEntrySize * route;
            const quint16 value = readLe16(image, entry);
            if (value == 0)
                break;
            BoardRouteEntry &routeEntry = board.routes[route];
            routeEntry.routeNumberText = routeNumberText(value);
            restoreRoute(routeEntry, image, readLe16(image, entry + 2) - BoardAddressBase);
        }
    }
    for (int route = 0; route < MaxRoutes; ++route) {
        for (int row = 1; row < BoardTypeCount; ++row)
            project.boards[size_t(row)].routes[size_t(route)].routeNumberText = project.routeNumberText(route);
    }
}

} // namespace tirvela
