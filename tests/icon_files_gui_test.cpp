// The program's icon for Windows (res/icons/kelvane.ico) and macOS
// (res/icons/kelvane.icns), read as those systems read them: the headers
// chain every entry within the file, each entry is of the size it claims,
// in a form the system accepts, and shows the pixels of the desktop icon of
// that size.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <gtest/gtest.h>

#include "tiles/ByteOrder.h"

namespace {

QByteArray ReadIconFile(const QString& name)
{
    QFile file(QStringLiteral(KELVANE_ICON_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage DesktopIcon(int size)
{
    return QImage(QStringLiteral(KELVANE_ICON_DIR "/kelvane-%1.png").arg(size))
        .convertToFormat(QImage::Format_ARGB32);
}

quint32 LE(const QByteArray& b, qsizetype at, int bytes)
{
    return GetLE(reinterpret_cast<const std::uint8_t*>(b.constData() + at), bytes);
}

quint32 BE32(const QByteArray& b, qsizetype at)
{
    return qFromBigEndian<quint32>(b.constData() + at);
}

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

// Each desktop icon size, and the .icns entry type that holds it (none: the
// .ico only).
const struct {
    int size;
    const char* icnsType;
} kIcons[] = {{16, "icp4"}, {32, "icp5"}, {48, nullptr}, {64, "icp6"}, {128, "ic07"}, {256, "ic08"}};

TEST(IconFiles, IcoEntriesAreTheDesktopIcons)
{
    const QByteArray ico = ReadIconFile(QStringLiteral("kelvane.ico"));
    ASSERT_GE(ico.size(), 6);
    EXPECT_EQ(LE(ico, 0, 2), 0u);  // reserved
    EXPECT_EQ(LE(ico, 2, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(LE(ico, 4, 2), std::size(kIcons));

    QBuffer buffer(const_cast<QByteArray*>(&ico));
    QImageReader reader(&buffer, "ico");
    ASSERT_EQ(reader.imageCount(), int(std::size(kIcons))) << reader.errorString().toStdString();
    quint32 end = 6 + 16 * quint32(std::size(kIcons));  // the entries follow the directory
    for (std::size_t i = 0; i < std::size(kIcons); ++i) {
        const int size = kIcons[i].size;
        SCOPED_TRACE(size);
        const qsizetype dir = 6 + 16 * qsizetype(i);
        EXPECT_EQ(LE(ico, dir, 1), quint32(size % 256));  // width, 0 for 256
        EXPECT_EQ(LE(ico, dir + 1, 1), quint32(size % 256));
        EXPECT_EQ(LE(ico, dir + 6, 2), 32u);
        const quint32 length = LE(ico, dir + 8, 4);
        EXPECT_EQ(LE(ico, dir + 12, 4), end);
        ASSERT_LE(qint64(end) + length, ico.size());
        const QByteArray data = ico.mid(end, length);
        end += length;
        if (size == 256) {  // Windows reads PNG entries only as 32-bit RGBA
            EXPECT_EQ(data.left(8), kPngSignature);
            EXPECT_EQ(BE32(data, 16), 256u);
            EXPECT_EQ(int(data[24]), 8);  // bits per channel
            EXPECT_EQ(int(data[25]), 6);  // RGBA
        } else {  // BITMAPINFOHEADER of a 32-bit DIB with its AND mask
            EXPECT_EQ(LE(data, 0, 4), 40u);
            EXPECT_EQ(LE(data, 4, 4), quint32(size));
            EXPECT_EQ(LE(data, 8, 4), quint32(2 * size));
            EXPECT_EQ(LE(data, 14, 2), 32u);
            EXPECT_EQ(length, 40u + quint32(size * size * 4 + size * ((size + 31) / 32 * 4)));
        }
        ASSERT_TRUE(reader.jumpToImage(int(i)));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(image, DesktopIcon(size));
    }
    EXPECT_EQ(end, quint32(ico.size()));
}

TEST(IconFiles, IcnsEntriesAreTheDesktopIconFiles)
{
    const QByteArray icns = ReadIconFile(QStringLiteral("kelvane.icns"));
    ASSERT_GE(icns.size(), 8);
    EXPECT_EQ(icns.left(4), QByteArray("icns"));
    EXPECT_EQ(BE32(icns, 4), quint32(icns.size()));
    qsizetype at = 8;
    for (const auto& icon : kIcons) {
        if (!icon.icnsType)
            continue;
        SCOPED_TRACE(icon.size);
        ASSERT_LE(at + 8, icns.size());
        EXPECT_EQ(icns.mid(at, 4), QByteArray(icon.icnsType));
        const quint32 length = BE32(icns, at + 4);
        ASSERT_GE(length, 8u);
        ASSERT_LE(at + qsizetype(length), icns.size());
        const QByteArray png = icns.mid(at + 8, length - 8);
        EXPECT_EQ(png.left(8), kPngSignature);
        EXPECT_EQ(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32),
                  DesktopIcon(icon.size));
        at += length;
    }
    // 512 and 1024 (Retina's 512): the largest icon drawn at twice and four
    // times its size, pixel for pixel.
    for (const auto& [size, type] : {std::pair{512, "ic09"}, std::pair{1024, "ic10"}}) {
        SCOPED_TRACE(size);
        ASSERT_LE(at + 8, icns.size());
        EXPECT_EQ(icns.mid(at, 4), QByteArray(type));
        const quint32 length = BE32(icns, at + 4);
        ASSERT_GE(length, 8u);
        const QImage image = QImage::fromData(icns.mid(at + 8, length - 8), "PNG");
        EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32), DesktopIcon(256).scaled(size, size));
        at += length;
    }
    EXPECT_EQ(at, icns.size());
}

}  // namespace
