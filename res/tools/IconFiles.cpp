#include "IconFiles.h"

#include <QBuffer>

#include <cstdint>

#include "tiles/ByteOrder.h"

namespace {

QByteArray RgbaPng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
    return png;
}

// BITMAPINFOHEADER with twice the height (colours, then the AND mask), BGRA
// rows bottom up, then the mask's rows of 1 bit per pixel padded to 32 bits.
QByteArray IcoDib(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int n = argb.width();
    const int maskRow = (n + 31) / 32 * 4;
    QByteArray out;
    PutLE(out, 40, 4);
    PutLE(out, std::uint32_t(n), 4);
    PutLE(out, std::uint32_t(2 * n), 4);
    PutLE(out, 1, 2);   // planes
    PutLE(out, 32, 2);  // bits per pixel
    PutLE(out, 0, 4);   // BI_RGB
    PutLE(out, std::uint32_t(n * n * 4 + n * maskRow), 4);
    out.append(16, '\0');  // resolution, colours used and important
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x)
            PutLE(out, argb.pixel(x, y), 4);  // 0xAARRGGBB little-endian: B G R A
    out.append(n * maskRow, '\0');
    return out;
}

}  // namespace

QByteArray MakeIco(const QList<IconImage>& images)
{
    QList<QByteArray> entries;
    for (const IconImage& icon : images)
        entries.append(icon.image.width() >= 256 ? RgbaPng(icon.image) : IcoDib(icon.image));
    QByteArray out;
    PutLE(out, 0, 2);  // reserved
    PutLE(out, 1, 2);  // icon
    PutLE(out, std::uint32_t(images.size()), 2);
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int size = images[i].image.width();
        PutLE(out, size >= 256 ? 0 : std::uint32_t(size), 1);  // 0 stands for 256
        PutLE(out, size >= 256 ? 0 : std::uint32_t(size), 1);
        PutLE(out, 0, 1);   // colours in a palette: none
        PutLE(out, 0, 1);   // reserved
        PutLE(out, 1, 2);   // planes
        PutLE(out, 32, 2);  // bits per pixel
        PutLE(out, std::uint32_t(entries[i].size()), 4);
        PutLE(out, offset, 4);
        offset += std::uint32_t(entries[i].size());
    }
    for (const QByteArray& entry : entries)
        out.append(entry);
    return out;
}

QByteArray MakeIcns(const QList<IconImage>& images)
{
    static const struct { int size; const char* type; } kTypes[] = {
        {16, "icp4"}, {32, "icp5"}, {64, "icp6"}, {128, "ic07"}, {256, "ic08"},
        {512, "ic09"}, {1024, "ic10"}};
    QByteArray body;
    for (const auto& type : kTypes)
        for (const IconImage& icon : images)
            if (icon.image.width() == type.size) {
                body.append(type.type, 4);
                PutBE32(body, std::uint32_t(8 + icon.png.size()));
                body.append(icon.png);
            }
    QByteArray out("icns");
    PutBE32(out, std::uint32_t(8 + body.size()));
    return out + body;
}
