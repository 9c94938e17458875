#include "platform/PngDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

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

extern "C" __attribute__((visibility("default"))) int KelvaneDecodePng(
    const unsigned char* png, std::size_t size, const DibImportOptions* options,
    std::uint32_t maxSide, unsigned char** dibOut, std::size_t* dibSize, std::uint32_t* widthOut,
    std::uint32_t* heightOut)
{
    if (size > std::size_t(INT32_MAX))
        return kPngInvalid;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(png), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!QImageReader::supportedImageFormats().contains("png"))
        return kPngNoReader;
    QImageReader reader(&buffer, "PNG");
    const QSize pictureSize = reader.size();
    if (!pictureSize.isValid())
        return kPngInvalid;
    *widthOut = std::uint32_t(pictureSize.width());
    *heightOut = std::uint32_t(pictureSize.height());
    if (*widthOut > maxSide || *heightOut > maxSide)
        return kPngTooLarge;
    // The sides are checked; Qt's own limit (256 MB by default) would refuse
    // far smaller pictures than these.
    QImageReader::setAllocationLimit(0);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull())
        return kPngInvalid;

    const bool indexed = size > kColourTypeOffset && png[kColourTypeOffset] == kPaletteColourType;
    if (indexed && picture.format() != QImage::Format_Indexed8)
        picture = picture.convertToFormat(QImage::Format_Indexed8);
    if (picture.isNull())
        return kPngInvalid;
    const std::size_t width = std::size_t(picture.width());
    const std::size_t height = std::size_t(picture.height());
    const std::size_t rowLength = (width + 3) & ~std::size_t(3);
    *dibSize = kHeaderBytes + rowLength * height;
    auto* dib = static_cast<unsigned char*>(std::calloc(*dibSize, 1));
    if (!dib)
        return kPngInvalid;

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
        const QList<QRgb> table = picture.colorTable();
        for (qsizetype p = 0; p < table.size() && p < 256; ++p) {
            palette[4 * p] = static_cast<unsigned char>(qBlue(table[p]));
            palette[4 * p + 1] = static_cast<unsigned char>(qGreen(table[p]));
            palette[4 * p + 2] = static_cast<unsigned char>(qRed(table[p]));
        }
    } else {
        for (int k = 0; k < 4; ++k)
            palette[4 * k] = palette[4 * k + 1] = palette[4 * k + 2] =
                static_cast<unsigned char>(85 * k);
    }

    for (std::size_t row = 0; row < height; ++row) {
        // Stored rows run bottom row first.
        const int y = int(height - 1 - row);
        unsigned char* dest = dib + kHeaderBytes + row * rowLength;
        if (indexed) {
            std::memcpy(dest, picture.constScanLine(y), width);
            continue;
        }
        // One row at a time in 32-bit colour: no second copy of the picture.
        QImage line(picture.constScanLine(y), int(width), 1, picture.bytesPerLine(),
                    picture.format());
        if (picture.colorCount() > 0)
            line.setColorTable(picture.colorTable());
        line = line.convertToFormat(QImage::Format_RGB32);
        const QRgb* rgb = reinterpret_cast<const QRgb*>(line.constScanLine(0));
        for (std::size_t x = 0; x < width; ++x)
            dest[x] = static_cast<unsigned char>(
                ReduceColour(*options, qRed(rgb[x]), qGreen(rgb[x]), qBlue(rgb[x])));
    }
    *dibOut = dib;
    return kPngDecoded;
}
