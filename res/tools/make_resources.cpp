// Draws the program's cursors and icon and writes them as 256-colour PNG
// files into the folder given on the command line:
//   cursor162.png  32 x 32 editing cursor (a pencil), hot spot (0, 0) at its tip
//   cursor163.png  32 x 32 selection cursor (a cross-hair with a tile box), hot spot (9, 8)
//   icon128.png    32 x 32 program icon: the console's headset in red on black
//   bitmap<id>.bmp the buttons' images (Buttons.h)
//   clip142.avi    the About box's clip (Clip.h)
// and, when a second folder is given, the desktop icons into it:
//   kelvane-16.png          a 16 x 16 drawing of its own
//   kelvane-32.png          the 32 x 32 drawing of icon128.png
//   kelvane-48.png          the 16 x 16 drawing scaled by 3
//   kelvane-64.png ... -256.png  the 32 x 32 drawing scaled by 2, 4 and 8
//   kelvane.ico             all six sizes, for Windows (IconFiles.h)
//   kelvane.icns            the PNG files of 16, 32, 64, 128 and 256, and of 512
//                           and 1024 drawn for it alone, for macOS
// Scaled by whole factors, nearest neighbour: the pixels stay sharp.
#include "Buttons.h"
#include "Clip.h"
#include "IconFiles.h"
#include "app/Resource.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QSaveFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <cstdio>

using namespace kelvane;  // the resource ids

namespace {

constexpr int kSize = 32;

QImage NewCanvas(QColor background)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(background);
    return image;
}

// An 8-bit copy whose colour table holds exactly the colours drawn.
QImage ToIndexed8(const QImage& argb)
{
    QImage out(argb.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    QHash<QRgb, int> index;
    for (int y = 0; y < argb.height(); ++y) {
        uchar* line = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            auto it = index.find(c);
            if (it == index.end()) {
                if (table.size() == 256) {
                    std::fprintf(stderr, "more than 256 colours\n");
                    return {};
                }
                it = index.insert(c, int(table.size()));
                table.append(c);
            }
            line[x] = static_cast<uchar>(*it);
        }
    }
    out.setColorTable(table);
    return out;
}

void Polygon(QPainter& p, QColor fill, QColor outline, std::initializer_list<QPoint> points)
{
    p.setBrush(fill);
    p.setPen(outline);
    p.drawPolygon(QPolygon(QList<QPoint>(points)));
}

QImage Pencil()
{
    QImage image = NewCanvas(Qt::transparent);
    QPainter p(&image);
    const QColor white(255, 255, 255);
    // Body, ferrule and eraser along the diagonal, tip at (0, 0).
    Polygon(p, QColor(155, 0, 255), white, {{3, 9}, {9, 3}, {21, 15}, {15, 21}});
    Polygon(p, QColor(200, 200, 200), white, {{15, 21}, {21, 15}, {23, 17}, {17, 23}});
    Polygon(p, QColor(255, 120, 160), white, {{17, 23}, {23, 17}, {26, 20}, {20, 26}});
    // Sharpened wood and the lead.
    Polygon(p, QColor(240, 200, 150), white, {{0, 0}, {9, 3}, {3, 9}});
    Polygon(p, QColor(255, 0, 0), QColor(255, 0, 0), {{0, 0}, {3, 1}, {1, 3}});
    p.end();
    return image;
}

QImage CrossHair()
{
    QImage image = NewCanvas(Qt::transparent);
    QPainter p(&image);
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    // A box the size of a tile, down and right of the hot spot.
    p.setBrush(Qt::NoBrush);
    p.setPen(black);
    p.drawRect(13, 12, 12, 12);
    p.drawRect(15, 14, 8, 8);
    p.setPen(QColor(155, 0, 255));
    p.drawRect(14, 13, 10, 10);
    // Cross-hair through (9, 8): a black border around white lines, the
    // centre left open.
    p.fillRect(0, 7, 8, 3, black);
    p.fillRect(11, 7, 8, 3, black);
    p.fillRect(8, 0, 3, 7, black);
    p.fillRect(8, 10, 3, 7, black);
    p.fillRect(1, 8, 6, 1, white);
    p.fillRect(12, 8, 6, 1, white);
    p.fillRect(9, 1, 1, 5, white);
    p.fillRect(9, 11, 1, 5, white);
    p.fillRect(9, 8, 1, 1, white);
    p.end();
    return image;
}

QImage Headset()
{
    QImage image = NewCanvas(Qt::black);
    QPainter p(&image);
    const QColor red(255, 0, 0);
    const QColor darkRed(120, 0, 0);
    const QColor medRed(170, 0, 0);
    // Stand: a column on two feet.
    p.fillRect(14, 19, 4, 8, medRed);
    p.fillRect(8, 27, 16, 2, red);
    p.fillRect(15, 19, 1, 8, red);
    // Visor.
    p.setPen(red);
    p.setBrush(darkRed);
    p.drawRoundedRect(2, 7, 27, 12, 4, 4);
    p.fillRect(3, 5, 25, 2, medRed);
    // Eye pieces.
    p.setBrush(Qt::black);
    p.drawEllipse(QPoint(10, 13), 4, 3);
    p.drawEllipse(QPoint(21, 13), 4, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawRect(8, 12, 1, 1);
    p.drawRect(19, 12, 1, 1);
    p.end();
    return image;
}

// The headset at 16 x 16, drawn pixel by pixel: '.' black, 'D' dark red,
// 'M' medium red, 'R' red.
QImage SmallHeadset()
{
    static const char* const kRows[16] = {
        "................",
        "................",
        "..MMMMMMMMMMMM..",
        ".RRRRRRRRRRRRRR.",
        "RDDDDDDDDDDDDDDR",
        "RDD....DD....DDR",
        "RDDR...DDR...DDR",
        "RDD....DD....DDR",
        "RDDDDDDDDDDDDDDR",
        ".RRRRRRRRRRRRRR.",
        ".......MR.......",
        ".......MR.......",
        ".......MR.......",
        "....RRRRRRRR....",
        "................",
        "................",
    };
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const char c = kRows[y][x];
            image.setPixelColor(x, y, c == 'R'   ? QColor(255, 0, 0)
                                      : c == 'M' ? QColor(170, 0, 0)
                                      : c == 'D' ? QColor(120, 0, 0)
                                                 : QColor(0, 0, 0));
        }
    return image;
}

QImage ScaledBy(const QImage& image, int factor)
{
    return image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// The image as a PNG file of 8-bit colour indices; empty when it has more
// than 256 colours.
QByteArray IndexedPng(const QImage& argb)
{
    const QImage indexed = ToIndexed8(argb);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (indexed.isNull() || !indexed.save(&buffer, "PNG"))
        return {};
    return png;
}

bool WriteBytes(const QDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool Write(const QDir& dir, const QString& name, const QImage& argb)
{
    return WriteBytes(dir, name, IndexedPng(argb));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <output folder> [<icon folder>]\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    bool ok = Write(dir, QStringLiteral("cursor%1.png").arg(IDC_CURSOR_EDIT), Pencil());
    ok = Write(dir, QStringLiteral("cursor%1.png").arg(IDC_CURSOR_SHEET), CrossHair()) && ok;
    ok = Write(dir, QStringLiteral("icon%1.png").arg(IDR_MAINFRAME), Headset()) && ok;
    ok = WriteButtonImages(dir) && ok;
    ok = WriteConsoleClip(
             dir.filePath(QStringLiteral("clip%1.avi").arg(IDR_CLIP)).toStdString()) &&
         ok;
    if (argc == 3) {
        const QDir icons(QString::fromLocal8Bit(argv[2]));
        const QImage small = SmallHeadset();
        const QImage large = Headset();
        // Up to 256 the desktop icons and the .ico's; 512 and 1024 for
        // macOS only, which would otherwise scale 256 up.
        const struct { int size; const QImage& drawing; } kIcons[] = {
            {16, small}, {32, large}, {48, small}, {64, large}, {128, large}, {256, large},
            {512, large}, {1024, large}};
        QList<IconImage> images, desktop;
        for (const auto& icon : kIcons) {
            const QImage image = ScaledBy(icon.drawing, icon.size / icon.drawing.width());
            images.append({image, IndexedPng(image)});
            if (icon.size > 256)
                continue;
            desktop.append(images.back());
            ok = WriteBytes(icons, QStringLiteral("kelvane-%1.png").arg(icon.size), images.back().png)
                 && ok;
        }
        ok = WriteBytes(icons, QStringLiteral("kelvane.ico"), MakeIco(desktop)) && ok;
        ok = WriteBytes(icons, QStringLiteral("kelvane.icns"), MakeIcns(images)) && ok;
    }
    return ok ? 0 : 1;
}
