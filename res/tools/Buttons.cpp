// The button images: every motif is made of shapes asked at pixel centres,
// filled in a shade ramp lit from the upper left, ringed in a dark rim and
// set on black with a violet glow. Up images cast the glow to the upper
// left; pushed images move the motif a pixel right and down and cast the
// glow to the lower right, as if the button went in under the light.
#include "Buttons.h"

#include "app/Resource.h"

#include <QDir>
#include <QImage>
#include <QList>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

using namespace kelvane;  // the resource ids

namespace {

// Whether a point of the layer (in pixels, (0.5, 0.5) the first pixel's centre)
// belongs to a shape.
using Shape = std::function<bool(double x, double y)>;

struct Ramp
{
    QRgb light, mid, dark;
};

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kRim = qRgb(64, 0, 28);
constexpr QRgb kGlowNear = qRgb(155, 0, 255);
constexpr QRgb kGlowFar = qRgb(72, 0, 128);
constexpr Ramp kRed{qRgb(255, 110, 110), qRgb(220, 0, 0), qRgb(130, 0, 0)};
constexpr Ramp kDarkRed{qRgb(176, 0, 0), qRgb(120, 0, 0), qRgb(76, 0, 0)};
constexpr Ramp kPink{qRgb(255, 232, 240), qRgb(255, 176, 200), qRgb(222, 104, 146)};
constexpr Ramp kWhite{qRgb(255, 255, 255), qRgb(226, 226, 238), qRgb(150, 150, 172)};
constexpr Ramp kSteel{qRgb(206, 206, 222), qRgb(146, 146, 166), qRgb(84, 84, 104)};
constexpr Ramp kGlass{qRgb(120, 60, 180), qRgb(56, 0, 96), qRgb(30, 0, 52)};
constexpr Ramp kSlot{qRgb(40, 40, 52), qRgb(40, 40, 52), qRgb(40, 40, 52)};

// --- shapes -----------------------------------------------------------------

Shape Rect(double x0, double y0, double x1, double y1)
{
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

Shape Disc(double cx, double cy, double r)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) <= r; };
}

// A ring between radii r0 and r1, from angle a0 to a1 (degrees, counter-
// clockwise from the right, as on paper: 90 is up).
Shape Arc(double cx, double cy, double r0, double r1, double a0, double a1)
{
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        double a = std::atan2(cy - y, x - cx) * 180 / std::numbers::pi;
        while (a < a0)
            a += 360;
        return d > r0 && d <= r1 && a <= a1;
    };
}

Shape Triangle(QPointF a, QPointF b, QPointF c)
{
    return [=](double x, double y) {
        auto side = [&](QPointF p, QPointF q) {
            return (q.x() - p.x()) * (y - p.y()) - (q.y() - p.y()) * (x - p.x());
        };
        const double s1 = side(a, b), s2 = side(b, c), s3 = side(c, a);
        return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
    };
}

Shape Parallelogram(QPointF a, QPointF b, QPointF c, QPointF d)
{
    const Shape t1 = Triangle(a, b, c), t2 = Triangle(a, c, d);
    return [=](double x, double y) { return t1(x, y) || t2(x, y); };
}

// A stroke of the given width from a to b with square-ish ends.
Shape Stroke(QPointF a, QPointF b, double width)
{
    return [=](double x, double y) {
        const QPointF ab = b - a, ap = QPointF(x, y) - a;
        const double len2 = QPointF::dotProduct(ab, ab);
        const double t = std::clamp(QPointF::dotProduct(ap, ab) / len2, 0.0, 1.0);
        const QPointF q = a + t * ab;
        return std::hypot(x - q.x(), y - q.y()) <= width / 2;
    };
}

Shape Union(std::initializer_list<Shape> shapes)
{
    return [list = std::vector<Shape>(shapes)](double x, double y) {
        for (const Shape& s : list)
            if (s(x, y))
                return true;
        return false;
    };
}

// The shape without its outermost pixels (four-neighbour).
Shape Inside(Shape s)
{
    return [=](double x, double y) {
        return s(x, y) && s(x - 1, y) && s(x + 1, y) && s(x, y - 1) && s(x, y + 1);
    };
}

// --- painting ---------------------------------------------------------------

QImage Layer(QSize size)
{
    QImage layer(size, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    return layer;
}

bool Opaque(const QImage& layer, int x, int y)
{
    return layer.rect().contains(x, y) && qAlpha(layer.pixel(x, y)) != 0;
}

// Fills a shape in the ramp's middle shade; its upper and left edge pixels
// catch the light, its lower and right edge pixels the shadow.
void Paint(QImage& layer, const Shape& shape, Ramp ramp)
{
    auto in = [&](int x, int y) { return shape(x + 0.5, y + 0.5); };
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x) {
            if (!in(x, y))
                continue;
            QRgb c = ramp.mid;
            if (!in(x - 1, y) || !in(x, y - 1))
                c = ramp.light;
            else if (!in(x + 1, y) || !in(x, y + 1))
                c = ramp.dark;
            layer.setPixel(x, y, c);
        }
}

// A dark one-pixel rim around everything on the layer.
void Rim(QImage& layer)
{
    const QImage drawn = layer;
    for (int y = 0; y < layer.height(); ++y)
        for (int x = 0; x < layer.width(); ++x)
            if (!Opaque(drawn, x, y) &&
                (Opaque(drawn, x - 1, y) || Opaque(drawn, x + 1, y) || Opaque(drawn, x, y - 1) ||
                 Opaque(drawn, x, y + 1)))
                layer.setPixel(x, y, kRim);
}

// The button image of a motif drawn at its up position: black, the violet
// glow, the motif. Pushed moves the motif one pixel right and down and its
// glow from the upper left to the lower right.
QImage Compose(QImage motif, bool pushed)
{
    Rim(motif);
    QImage out(motif.size(), QImage::Format_ARGB32);
    out.fill(kBlack);
    const int s = pushed ? 1 : 0;
    const int g = pushed ? 1 : -1;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const int mx = x - s, my = y - s;
            if (Opaque(motif, mx, my))
                out.setPixel(x, y, motif.pixel(mx, my));
            else if (Opaque(motif, mx - g, my - g))
                out.setPixel(x, y, kGlowNear);
            else if (Opaque(motif, mx - 2 * g, my - 2 * g) || Opaque(motif, mx - g, my) ||
                     Opaque(motif, mx, my - g))
                out.setPixel(x, y, kGlowFar);
        }
    return out;
}

// --- motifs, 24 x 24 --------------------------------------------------------

const QSize kCommand(24, 24);

// New: a pink sheet of paper with a folded corner and a few ruled lines.
QImage Paper()
{
    QImage l = Layer(kCommand);
    const Shape sheet = [](double x, double y) { return x >= 5 && x < 17 && y >= 3 && y < 20 &&
                                                        x - y < 9; };
    Paint(l, sheet, kPink);
    Paint(l, Triangle({12, 3}, {12, 8}, {17, 8}), kWhite);
    for (const double y : {10.0, 13.0, 16.0})
        Paint(l, Rect(7, y, y < 16 ? 15 : 12, y + 1), {kPink.dark, kPink.dark, kPink.dark});
    return l;
}

// Open: a folder with its front swung open and an arrow rising out of it.
QImage Folder()
{
    QImage l = Layer(kCommand);
    Paint(l, Union({Rect(2, 9, 15, 20), Rect(2, 7, 8, 9)}), kDarkRed);
    Paint(l, Union({Arc(13, 12, 3, 5.5, 90, 180), Triangle({13, 3.5}, {13, 10}, {18.5, 6.75})}),
          kWhite);
    Paint(l, Parallelogram({6, 13}, {19.5, 13}, {16.5, 20}, {2, 20}), kRed);
    return l;
}

// Save: a floppy disk with its metal shutter and a label.
QImage Floppy()
{
    QImage l = Layer(kCommand);
    Paint(l, [](double x, double y) { return x >= 3 && x < 19 && y >= 3 && y < 19 && x - y < 14; },
          kRed);
    Paint(l, Rect(7, 3, 15, 9), kSteel);
    Paint(l, Rect(11, 4, 13, 8), kSlot);
    Paint(l, Rect(5, 11, 17, 18), kWhite);
    for (const double y : {13.0, 15.0})
        Paint(l, Rect(7, y, 15, y + 1), {kPink.dark, kPink.dark, kPink.dark});
    return l;
}

// About: a bold question mark.
QImage Question()
{
    QImage l = Layer(kCommand);
    Paint(l,
          Union({Arc(11, 8, 2.5, 5.6, -60, 200), Stroke({13.2, 11.6}, {10.5, 13.5}, 3.2),
                 Rect(9, 13, 12, 16), Rect(9, 17, 12, 20)}),
          kRed);
    return l;
}

// Exit: a red cross.
QImage Cross()
{
    QImage l = Layer(kCommand);
    Paint(l, Union({Stroke({5.5, 5.5}, {16.5, 16.5}, 4), Stroke({16.5, 5.5}, {5.5, 16.5}, 4)}),
          kRed);
    return l;
}

// Undo: an arrow in a white outline that runs to the right and bends down.
QImage UndoArrow()
{
    QImage l = Layer(kCommand);
    const Shape arrow = Union({Rect(2, 6, 8.5, 11), Arc(8.5, 14, 3, 8, 0, 90),
                               Triangle({8, 14}, {19.5, 14}, {14, 20.5})});
    Paint(l, arrow, kWhite);
    Paint(l, Inside(arrow), kRed);
    return l;
}

// Zoom: a magnifying glass with a red handle.
QImage Magnifier()
{
    QImage l = Layer(kCommand);
    Paint(l, Stroke({13.5, 13.5}, {18.5, 18.5}, 3.6), kRed);
    Paint(l, Disc(9, 9, 4.5), kGlass);
    Paint(l, Arc(9, 9, 1.8, 3, 100, 170), {kWhite.light, kWhite.light, kWhite.mid});
    Paint(l, Arc(9, 9, 4.5, 6.7, -180, 180), kWhite);
    return l;
}

// HFlip and VFlip: a double-headed arrow, up and down or left and right.
QImage DoubleArrow(bool vertical)
{
    QImage l = Layer(kCommand);
    // Along the arrow from 1.5 to 20.5, across it centred on 10.5 (11 for
    // the horizontal one, which has a pixel more room below than to the right).
    const double c = vertical ? 10.5 : 11;
    const Shape along = Union({Rect(7, c - 2, 15, c + 2),
                               Triangle({1.5, c}, {7.5, c - 5.6}, {7.5, c + 5.6}),
                               Triangle({20.5, c}, {14.5, c - 5.6}, {14.5, c + 5.6})});
    if (vertical)
        Paint(l, [=](double x, double y) { return along(y, x); }, kRed);
    else
        Paint(l, along, kRed);
    return l;
}

// --- Modify, 75 x 25 ---------------------------------------------------------

// Right-pointing triangles with their left edges at the given x.
QImage Triangles(std::initializer_list<double> lefts)
{
    QImage l = Layer(QSize(75, 25));
    for (const double x : lefts)
        Paint(l, Triangle({x, 4}, {x + 11.5, 12.5}, {x, 21}), kRed);
    return l;
}

// --- colour spheres, 16 x 16 -------------------------------------------------

struct SphereShades
{
    QRgb shadow, body, lit, shine;
};

// The ramp's shade at t from -1 (dark) over 0 (mid) to 1 (light).
QRgb Blend(Ramp ramp, double t)
{
    const QRgb from = ramp.mid;
    const QRgb to = t < 0 ? ramp.dark : ramp.light;
    const double f = std::abs(t);
    auto mix = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
    return qRgb(mix(qRed(from), qRed(to)), mix(qGreen(from), qGreen(to)),
                mix(qBlue(from), qBlue(to)));
}

// A shaded sphere lit from the upper left in a ring: blue-grey and raised
// when up, violet and sunk in when pushed.
QImage Sphere(SphereShades s, bool pushed)
{
    QImage out(16, 16, QImage::Format_ARGB32);
    out.fill(kBlack);
    const Ramp ring = pushed ? Ramp{qRgb(222, 170, 255), qRgb(155, 0, 255), qRgb(92, 0, 150)}
                             : Ramp{qRgb(176, 186, 214), qRgb(112, 122, 152), qRgb(60, 66, 90)};
    const double c = 7.5, rBody = 5.3, rRing = 7.4;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x) {
            const double dx = (x + 0.5 - c), dy = (y + 0.5 - c), d = std::hypot(dx, dy);
            if (d <= rBody) {
                // Lambert light from the upper left and in front.
                const double nz = std::sqrt(std::max(0.0, 1 - d * d / (rBody * rBody)));
                const double light = (-dx / rBody - dy / rBody + 1.6 * nz) / 2.2;
                const bool spot = std::hypot(dx + 2.5, dy + 2.5) < 0.8;
                out.setPixel(x, y, spot ? s.shine : light > 0.72 ? s.lit
                                                  : light > 0.3  ? s.body
                                                                 : s.shadow);
            } else if (d > rBody + 0.6 && d <= rRing) {
                // The ring's bevel: lit at the upper left when raised, at the
                // lower right when sunk in.
                double facing = (-dx - dy) / (d * std::numbers::sqrt2);
                if (pushed)
                    facing = -facing;
                out.setPixel(x, y, Blend(ring, std::round(facing * 2) / 2));
            }
        }
    return out;
}

// --- files -------------------------------------------------------------------

// An 8-bit copy with a 256-entry palette: black first, then the colours
// drawn, the rest black.
QImage ToPalette256(const QImage& argb)
{
    QList<QRgb> table{kBlack};
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (const QRgb c = argb.pixel(x, y); !table.contains(c))
                table.append(c);
    if (table.size() > 256)
        return {};
    table.resize(256, kBlack);
    QImage indexed = argb.convertToFormat(QImage::Format_Indexed8, table,
                                          Qt::ThresholdDither | Qt::AvoidDither);
    // The BMP file keeps each row's padding to 4 bytes, which the conversion
    // leaves as it found it: cleared, the same drawing gives the same file.
    for (int y = 0; y < indexed.height(); ++y)
        std::fill(indexed.scanLine(y) + indexed.width(),
                  indexed.scanLine(y) + indexed.bytesPerLine(), uchar(0));
    return indexed;
}

bool WriteBmp(const QDir& dir, unsigned id, const QImage& argb)
{
    const QImage indexed = ToPalette256(argb);
    const QString path = dir.filePath(QStringLiteral("bitmap%1.bmp").arg(id));
    if (indexed.isNull() || !indexed.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

bool WriteButtonImages(const QDir& dir)
{
    const struct
    {
        unsigned up, pushed;
        QImage motif;
    } commands[] = {
        {IDB_ABOUT, IDB_ABOUT_DOWN, Question()}, {IDB_HFLIP, IDB_HFLIP_DOWN, DoubleArrow(true)},
        {IDB_NEW, IDB_NEW_DOWN, Paper()},        {IDB_OPEN, IDB_OPEN_DOWN, Folder()},
        {IDB_EXIT, IDB_EXIT_DOWN, Cross()},      {IDB_SAVE, IDB_SAVE_DOWN, Floppy()},
        {IDB_ZOOM, IDB_ZOOM_DOWN, Magnifier()},  {IDB_UNDO, IDB_UNDO_DOWN, UndoArrow()},
        {IDB_VFLIP, IDB_VFLIP_DOWN, DoubleArrow(false)},
    };
    bool ok = true;
    for (const auto& b : commands) {
        ok = WriteBmp(dir, b.up, Compose(b.motif, false)) && ok;
        ok = WriteBmp(dir, b.pushed, Compose(b.motif, true)) && ok;
    }
    // Modify: four triangles in a row; pushed, two pairs set apart.
    ok = WriteBmp(dir, IDB_MODIFY, Compose(Triangles({7, 21, 35, 49}), false)) && ok;
    ok = WriteBmp(dir, IDB_MODIFY_DOWN, Compose(Triangles({4, 18, 38, 52}), true)) && ok;

    const SphereShades spheres[] = {
        {qRgb(8, 8, 12), qRgb(30, 30, 38), qRgb(62, 62, 76), qRgb(150, 150, 168)},
        {qRgb(40, 0, 0), qRgb(85, 0, 0), qRgb(128, 24, 24), qRgb(210, 130, 130)},
        {qRgb(96, 0, 0), qRgb(170, 0, 0), qRgb(214, 50, 50), qRgb(255, 170, 170)},
        {qRgb(150, 0, 0), qRgb(255, 0, 0), qRgb(255, 96, 96), qRgb(255, 220, 220)},
    };
    const unsigned colours[4][2] = {{IDB_COLOR1, IDB_COLOR1_DOWN},
                                    {IDB_COLOR2, IDB_COLOR2_DOWN},
                                    {IDB_COLOR3, IDB_COLOR3_DOWN},
                                    {IDB_COLOR4, IDB_COLOR4_DOWN}};
    for (int i = 0; i < 4; ++i) {
        ok = WriteBmp(dir, colours[i][0], Sphere(spheres[i], false)) && ok;
        ok = WriteBmp(dir, colours[i][1], Sphere(spheres[i], true)) && ok;
    }
    return ok;
}
