#include "cli/PngFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// The colour type in a PNG's header chunk: the signature (8 bytes), the
// chunk's length and name (8), width and height (8) and the bit depth (1)
// come before it. 3 is a palette picture.
constexpr std::size_t kColourTypeOffset = 25;
constexpr std::uint8_t kPaletteColourType = 3;

// DIB layout (file header, info header, palette) as the DIB import reads it.
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes + 4 * 256;

void PutLE(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

QByteArray ReadAll(FILE* f)
{
    QByteArray data;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.append(chunk, qsizetype(got));
    return data;
}

// An uncompressed 8-bit bottom-up DIB of the picture. Indexed pictures keep
// their indices and palette; others get per pixel the index (r + g + b) / 192
// into a palette of four greys whose colour sums are 0, 192, 384 and 576, so
// that both colour reductions give that index back.
std::vector<std::uint8_t> ToDib(const QImage& picture, bool indexed)
{
    const QImage image = picture.convertToFormat(indexed ? QImage::Format_Indexed8
                                                         : QImage::Format_RGB32);
    const std::size_t width = std::size_t(image.width());
    const std::size_t height = std::size_t(image.height());
    const std::size_t rowLength = (width + 3) & ~std::size_t(3);
    std::vector<std::uint8_t> dib(kHeaderBytes + rowLength * height, 0);

    dib[0] = 'B';
    dib[1] = 'M';
    PutLE(dib, 2, std::uint32_t(dib.size()), 4);
    PutLE(dib, 10, kHeaderBytes, 4);
    std::size_t info = kFileHeaderBytes;
    PutLE(dib, info, kInfoHeaderBytes, 4);
    PutLE(dib, info + 4, std::uint32_t(width), 4);
    PutLE(dib, info + 8, std::uint32_t(height), 4);
    PutLE(dib, info + 12, 1, 2);  // planes
    PutLE(dib, info + 14, 8, 2);  // bits per pixel

    std::uint8_t* palette = &dib[kFileHeaderBytes + kInfoHeaderBytes];
    if (indexed) {
        const QList<QRgb> table = image.colorTable();
        for (qsizetype p = 0; p < table.size() && p < 256; ++p) {
            palette[4 * p] = std::uint8_t(qBlue(table[p]));
            palette[4 * p + 1] = std::uint8_t(qGreen(table[p]));
            palette[4 * p + 2] = std::uint8_t(qRed(table[p]));
        }
    } else {
        for (int k = 0; k < 4; ++k)
            palette[4 * k] = palette[4 * k + 1] = palette[4 * k + 2] = std::uint8_t(64 * k);
    }

    for (std::size_t row = 0; row < height; ++row) {
        // Stored rows run bottom row first.
        const uchar* line = image.constScanLine(int(height - 1 - row));
        std::uint8_t* dest = &dib[kHeaderBytes + row * rowLength];
        if (indexed) {
            std::copy(line, line + width, dest);
            continue;
        }
        const QRgb* rgb = reinterpret_cast<const QRgb*>(line);
        for (std::size_t x = 0; x < width; ++x)
            dest[x] = std::uint8_t((qRed(rgb[x]) + qGreen(rgb[x]) + qBlue(rgb[x])) / 192);
    }
    return dib;
}

}  // namespace

std::string ReadPngFile(FILE* f, CTileSheet& sheet, const DibImportOptions& options)
{
    const QByteArray data = ReadAll(f);
    QImage picture;
    if (std::ferror(f) || !picture.loadFromData(data, "PNG") || picture.isNull())
        return kPngReadError;
    const bool indexed = std::size_t(data.size()) > kColourTypeOffset &&
                         std::uint8_t(data[kColourTypeOffset]) == kPaletteColourType;

    std::vector<std::uint8_t> dib = ToDib(picture, indexed);
    FILE* stream = fmemopen(dib.data(), dib.size(), "rb");
    if (!stream)
        return kPngReadError;
    std::string message = ReadDibFile(stream, sheet, options);
    std::fclose(stream);
    return message;
}

std::string WritePngFile(FILE* f, const CTileSheet& sheet)
{
    QImage image(kSheetPixels, kSheetPixels, QImage::Format_Indexed8);
    QList<QRgb> ramp(256);
    for (int v = 0; v < 256; ++v)
        ramp[v] = RedRampArgb(std::uint8_t(v));
    image.setColorTable(ramp);
    // The sheet's storage row 0 is its bottom row; a PNG starts at the top.
    for (int row = 0; row < kSheetPixels; ++row)
        std::copy_n(sheet.GetPixels() + row * kSheetPixels, kSheetPixels,
                    image.scanLine(kSheetPixels - 1 - row));

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") ||
        std::fwrite(png.constData(), std::size_t(png.size()), 1, f) != 1)
        return kDibWritePixelsError;
    return {};
}
