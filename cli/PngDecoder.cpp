#include "cli/PngDecoder.h"

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The colour type in a PNG's header chunk: the signature (8 bytes), the
// chunk's length and name (8), width and height (8) and the bit depth (1)
// come before it. 3 is a palette picture.
constexpr std::size_t kColourTypeOffset = 25;
constexpr unsigned char kPaletteColourType = 3;

// DIB layout (file header, info header, palette) as the DIB import reads it.
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes + 4 * 256;

void PutLE(unsigned char* p, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) unsigned char* KelvaneDecodePng(
    const unsigned char* png, std::size_t size, std::size_t* dibSize)
{
    QImage picture;
    if (size > std::size_t(INT32_MAX) || !picture.loadFromData(png, int(size), "PNG") ||
        picture.isNull())
        return nullptr;
    const bool indexed = size > kColourTypeOffset && png[kColourTypeOffset] == kPaletteColourType;
    const QImage image = picture.convertToFormat(indexed ? QImage::Format_Indexed8
                                                         : QImage::Format_RGB32);
    const std::size_t width = std::size_t(image.width());
    const std::size_t height = std::size_t(image.height());
    const std::size_t rowLength = (width + 3) & ~std::size_t(3);
    *dibSize = kHeaderBytes + rowLength * height;
    auto* dib = static_cast<unsigned char*>(std::calloc(*dibSize, 1));
    if (!dib)
        return nullptr;

    dib[0] = 'B';
    dib[1] = 'M';
    PutLE(dib + 2, std::uint32_t(*dibSize), 4);
    PutLE(dib + 10, kHeaderBytes, 4);
    unsigned char* info = dib + kFileHeaderBytes;
    PutLE(info, kInfoHeaderBytes, 4);
    PutLE(info + 4, std::uint32_t(width), 4);
    PutLE(info + 8, std::uint32_t(height), 4);
    PutLE(info + 12, 1, 2);  // planes
    PutLE(info + 14, 8, 2);  // bits per pixel

    unsigned char* palette = info + kInfoHeaderBytes;
    if (indexed) {
        const QList<QRgb> table = image.colorTable();
        for (qsizetype p = 0; p < table.size() && p < 256; ++p) {
            palette[4 * p] = static_cast<unsigned char>(qBlue(table[p]));
            palette[4 * p + 1] = static_cast<unsigned char>(qGreen(table[p]));
            palette[4 * p + 2] = static_cast<unsigned char>(qRed(table[p]));
        }
    } else {
        for (int k = 0; k < 4; ++k)
            palette[4 * k] = palette[4 * k + 1] = palette[4 * k + 2] =
                static_cast<unsigned char>(64 * k);
    }

    for (std::size_t row = 0; row < height; ++row) {
        // Stored rows run bottom row first.
        const uchar* line = image.constScanLine(int(height - 1 - row));
        unsigned char* dest = dib + kHeaderBytes + row * rowLength;
        if (indexed) {
            std::memcpy(dest, line, width);
            continue;
        }
        const QRgb* rgb = reinterpret_cast<const QRgb*>(line);
        for (std::size_t x = 0; x < width; ++x)
            dest[x] = static_cast<unsigned char>((qRed(rgb[x]) + qGreen(rgb[x]) + qBlue(rgb[x])) / 192);
    }
    return dib;
}
