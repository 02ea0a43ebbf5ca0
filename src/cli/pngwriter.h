#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

namespace tirvela::cli {

// A picture of opaque pixels, 0xRRGGBB each, row by row.
struct RgbPicture
{
    RgbPicture(int width, int height, quint32 background);

    // Paints the rectangle with its top left at (x, y), clipped to the picture.
    void fillRect(int x, int y, int width, int height, quint32 rgb);

    int width = 0;
    int height = 0;
    std::vector<quint32> pixels;
};

// The picture as a PNG file; empty when the PNG library fails (out of memory).
QByteArray encodePng(const RgbPicture &picture);

} // namespace tirvela::cli
