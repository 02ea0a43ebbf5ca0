#include "cli/pngwriter.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>

namespace tirvela::cli {

RgbPicture::RgbPicture(int width, int height, quint32 background)
    : width(width), height(height), pixels(size_t(width) * size_t(height), background)
{
}

void RgbPicture::fillRect(int x, int y, int rectWidth, int rectHeight, quint32 rgb)
{
    const int left = std::max(x, 0);
    const int right = std::min(x + rectWidth, width);
    for (int row = std::max(y, 0); row < std::min(y + rectHeight, height); ++row)
        std::fill_n(pixels.begin() + qsizetype(row) * width + left, std::max(right - left, 0), rgb);
}

namespace {

void appendBytes(png_structp png, png_bytep data, size_t size)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), qsizetype(size));
}

void flushNothing(png_structp) {}

void fillRgbRow(const RgbPicture &picture, int row, png_byte *bytes)
{
    for (int column = 0; column < picture.width; ++column) {
        const quint32 rgb = picture.pixels[size_t(row) * size_t(picture.width) + size_t(column)];
        bytes[size_t(column) * 3] = png_byte(rgb >> 16);
        bytes[size_t(column) * 3 + 1] = png_byte(rgb >> 8);
        bytes[size_t(column) * 3 + 2] = png_byte(rgb);
    }
}

// The PNG library reports its failures by a long jump back into this function, so nothing in
// it may own anything a jump would skip destroying: the row buffer belongs to the caller.
bool writeRows(png_structp png, png_infop info, const RgbPicture &picture, png_byte *row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        fillRgbRow(picture, y, row);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

QByteArray encodePng(const RgbPicture &picture)
{
    QByteArray file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    png_set_write_fn(png, &file, appendBytes, flushNothing);
    std::vector<png_byte> row(size_t(picture.width) * 3);
    const bool written = writeRows(png, info, picture, row.data());
    png_destroy_write_struct(&png, &info);
    return written ? file : QByteArray();
}

} // namespace tirvela::cli
