#pragma once

// The program's icon for Windows (.ico) and macOS (.icns), made from the
// same images as the desktop icons.

#include <QByteArray>
#include <QImage>
#include <QList>

struct IconImage {
    QImage image;    // square, opaque
    QByteArray png;  // the image as written to the desktop icon's PNG file
};

// An .ico file with one entry per image, smallest first: 32-bit DIB entries
// (colour rows bottom up, an all-clear AND mask) below 256 pixels, a 32-bit
// RGBA PNG entry at 256 (the only form Windows reads PNG entries in).
QByteArray MakeIco(const QList<IconImage>& images);

// An .icns file whose entries are the images' PNG files: icp4 (16), icp5
// (32), icp6 (64), ic07 (128), ic08 (256). Images of other sizes are left
// out.
QByteArray MakeIcns(const QList<IconImage>& images);
