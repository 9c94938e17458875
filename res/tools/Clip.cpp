#include "Clip.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <numbers>

namespace {

struct Vec
{
    double x, y, z;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec Unit(Vec a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

enum class Hue { Red, Grey };

struct Edge
{
    Vec a, b;
    Hue hue;
    double brightness;  // 0..1
};

constexpr int kLevels = 127;  // brightness steps per hue
constexpr double kPi = std::numbers::pi;

// The console in centimetres: x to the right, y up, z towards the front
// (away from the player, who looks in from the back at z < 0).
class Model
{
public:
    std::vector<Edge> edges;

    void Line(Vec a, Vec b, Hue hue, double brightness = 1.0)
    {
        edges.push_back({a, b, hue, brightness});
    }

    void Loop(const std::vector<Vec>& points, Hue hue, double brightness = 1.0)
    {
        for (std::size_t i = 0; i < points.size(); ++i)
            Line(points[i], points[(i + 1) % points.size()], hue, brightness);
    }

    // Corners of a rectangle in the plane z, rounded by cutting the corners.
    static std::vector<Vec> Rounded(double x0, double y0, double x1, double y1, double z,
                                    double cut)
    {
        return {{x0 + cut, y0, z}, {x1 - cut, y0, z}, {x1, y0 + cut, z}, {x1, y1 - cut, z},
                {x1 - cut, y1, z}, {x0 + cut, y1, z}, {x0, y1 - cut, z}, {x0, y0 + cut, z}};
    }

    // Two outlines joined corner to corner.
    void Prism(const std::vector<Vec>& back, const std::vector<Vec>& front, Hue hue,
               double brightness = 1.0)
    {
        Loop(back, hue, brightness);
        Loop(front, hue, brightness);
        for (std::size_t i = 0; i < back.size(); ++i)
            Line(back[i], front[i], hue, brightness);
    }

    std::vector<Vec> Circle(Vec centre, double r, int n, Vec u, Vec v)
    {
        std::vector<Vec> points;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * kPi * i / n;
            points.push_back(centre + u * (r * std::cos(a)) + v * (r * std::sin(a)));
        }
        return points;
    }
};

Model ConsoleModel()
{
    Model m;
    const Vec ex{1, 0, 0}, ey{0, 1, 0}, ez{0, 0, 1};

    // The visor body: a wide, rounded box, its front a little smaller than
    // its back, with the red band round the front and the dark front glass.
    const auto back = Model::Rounded(-12, 0, 12, 10, -4, 2);
    const auto front = Model::Rounded(-11, 0.8, 11, 9.2, 6, 2.5);
    m.Prism(back, front, Hue::Red);
    m.Loop(Model::Rounded(-11.5, 0.4, 11.5, 9.6, 1, 2.3), Hue::Red, 0.55);
    m.Loop(Model::Rounded(-8, 2.5, 8, 7.5, 6, 1.5), Hue::Grey, 0.8);
    // Focus and distance dials on the top.
    m.Loop(m.Circle({-5, 10, 1}, 1.4, 10, ex, ez), Hue::Grey, 0.9);
    m.Loop(m.Circle({5, 10, 1}, 1.4, 10, ex, ez), Hue::Grey, 0.9);

    // The lens hood at the back, and the two eyepieces in it.
    const auto hoodIn = Model::Rounded(-8.5, 2, 8.5, 8.5, -4, 2.2);
    const auto hoodOut = Model::Rounded(-9, 1.5, 9, 9, -8, 2.5);
    m.Prism(hoodIn, hoodOut, Hue::Grey);
    for (double x : {-3.6, 3.6}) {
        m.Loop(m.Circle({x, 5.3, -6}, 2.1, 14, ex, ey), Hue::Red);
        m.Loop(m.Circle({x, 5.3, -4.5}, 1.3, 10, ex, ey), Hue::Red, 0.6);
    }
    // The nose cut-out between the eyepieces.
    m.Line({-1.4, 1.5, -8}, {-0.8, 3.2, -8}, Hue::Grey);
    m.Line({-0.8, 3.2, -8}, {0.8, 3.2, -8}, Hue::Grey);
    m.Line({0.8, 3.2, -8}, {1.4, 1.5, -8}, Hue::Grey);

    // The bipod: a collar under the body, a neck, and two legs splayed to
    // the sides, each with a foot.
    m.Prism(Model::Rounded(-2, -0.1, 2, 0, -2, 0.5), Model::Rounded(-2, -0.1, 2, 0, 2, 0.5),
            Hue::Grey, 0.7);
    m.Prism(Model::Rounded(-1, -3.5, 1, 0, -0.7, 0.3),
            Model::Rounded(-1, -3.5, 1, 0, 0.7, 0.3), Hue::Grey);
    for (double side : {-1.0, 1.0}) {
        const Vec top{side * 0.8, -3.5, 0};
        const Vec foot{side * 9, -17, 0};
        for (double dz : {-0.8, 0.8}) {
            m.Line(top + Vec{0, 0, dz}, foot + Vec{0, 0, dz}, Hue::Grey);
            m.Line(top + Vec{side * 1.2, 0.6, dz}, foot + Vec{side * 1.2, 0.4, dz}, Hue::Grey,
                   0.6);
        }
        m.Prism(Model::Rounded(foot.x - 1.5, -17.6, foot.x + 1.5, -17, -3, 0.2),
                Model::Rounded(foot.x - 1.5, -17.6, foot.x + 1.5, -17, 3, 0.2), Hue::Red, 0.8);
    }
    return m;
}

// Where the camera is for phase t (0..1, 1 meeting 0 again) and where it
// looks: once round the console, swinging in close and through the visor at
// the far side and out again.
struct Camera
{
    Vec eye, target;
};

Camera CameraAt(double t)
{
    const double a = 2 * kPi * t;
    const double angle = a + 0.7;  // starts three-quarter from the front right
    const double close = std::pow(std::sin(a / 2), 6);  // 0 at the start, 1 halfway
    const double radius = 35 - 32 * close;
    const double height = 12 - 7 * close;
    const Vec eye{radius * std::sin(angle), height, radius * std::cos(angle)};
    // From afar the whole console with its feet; close up the visor.
    return {eye, {0, -3.5 + 8.5 * close, 0}};
}

// Pixels as brightness per hue; the brighter hue wins a pixel.
class Canvas
{
public:
    Canvas() : m_level(kClipWidth * kClipHeight, 0.0), m_hue(kClipWidth * kClipHeight, Hue::Red) {}

    void Plot(int x, int y, double level, Hue hue)
    {
        if (x < 0 || y < 0 || x >= kClipWidth || y >= kClipHeight)
            return;
        const std::size_t i = std::size_t(y) * kClipWidth + std::size_t(x);
        if (level > m_level[i]) {
            m_level[i] = level;
            m_hue[i] = hue;
        }
    }

    // An antialiased line (Xiaolin Wu): the coverage of each pixel scales
    // its brightness.
    void Line(double x0, double y0, double x1, double y1, double level, Hue hue)
    {
        const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
        if (steep) {
            std::swap(x0, y0);
            std::swap(x1, y1);
        }
        if (x0 > x1) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        const double dx = x1 - x0;
        const double gradient = dx < 1e-9 ? 0 : (y1 - y0) / dx;
        auto plot = [&](int a, int b, double c) {
            if (steep)
                Plot(b, a, level * c, hue);
            else
                Plot(a, b, level * c, hue);
        };
        const int first = int(std::lround(x0));
        const int last = int(std::lround(x1));
        for (int x = first; x <= last; ++x) {
            const double y = y0 + gradient * (x - x0);
            const int yi = int(std::floor(y));
            const double f = y - yi;
            // Ends of the line cover only part of their pixel column.
            double cover = 1.0;
            if (x == first)
                cover = std::min(1.0, 0.5 + first - x0 + 0.5);
            if (x == last)
                cover = std::min(cover, 0.5 + x1 - last + 0.5);
            cover = std::clamp(cover, 0.0, 1.0);
            plot(x, yi, (1 - f) * cover);
            plot(x, yi + 1, f * cover);
        }
    }

    std::vector<std::uint8_t> Indices() const
    {
        std::vector<std::uint8_t> out(m_level.size(), 0);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const int step = int(std::lround(std::clamp(m_level[i], 0.0, 1.0) * kLevels));
            if (step > 0)
                out[i] = std::uint8_t(m_hue[i] == Hue::Red ? step : 128 + step);
        }
        return out;
    }

private:
    std::vector<double> m_level;
    std::vector<Hue> m_hue;
};

// Cuts a segment (camera coordinates, z forward) at the near plane and the
// viewport, then draws it. Long edges are drawn in short pieces so that the
// distance shading varies along them.
void DrawEdge(Canvas& canvas, const Edge& edge, const Camera& cam)
{
    const Vec forward = Unit(cam.target - cam.eye);
    const Vec right = Unit(Cross(forward, Vec{0, 1, 0}));
    const Vec up = Cross(right, forward);
    auto toCamera = [&](Vec p) {
        const Vec d = p - cam.eye;
        return Vec{Dot(d, right), Dot(d, up), Dot(d, forward)};
    };
    constexpr double kNear = 0.6;
    constexpr double kFocal = 58.0;  // pixels: a view about 69 degrees wide

    const Vec a = toCamera(edge.a);
    const Vec b = toCamera(edge.b);
    const double length = std::sqrt(Dot(b - a, b - a));
    const int pieces = std::max(1, int(std::ceil(length / 1.5)));
    for (int k = 0; k < pieces; ++k) {
        Vec p = a + (b - a) * (double(k) / pieces);
        Vec q = a + (b - a) * (double(k + 1) / pieces);
        if (p.z < kNear && q.z < kNear)
            continue;
        if (p.z < kNear)
            p = p + (q - p) * ((kNear - p.z) / (q.z - p.z));
        else if (q.z < kNear)
            q = q + (p - q) * ((kNear - q.z) / (p.z - q.z));
        double x0 = kClipWidth / 2.0 + kFocal * p.x / p.z;
        double y0 = kClipHeight / 2.0 - kFocal * p.y / p.z;
        double x1 = kClipWidth / 2.0 + kFocal * q.x / q.z;
        double y1 = kClipHeight / 2.0 - kFocal * q.y / q.z;
        // Liang-Barsky against a margin round the frame, so that pieces
        // close to the eye do not run off into huge coordinates.
        double t0 = 0, t1 = 1;
        const double dx = x1 - x0, dy = y1 - y0;
        const double lo = -2, hiX = kClipWidth + 2, hiY = kClipHeight + 2;
        const double ps[4] = {-dx, dx, -dy, dy};
        const double qs[4] = {x0 - lo, hiX - x0, y0 - lo, hiY - y0};
        bool visible = true;
        for (int i = 0; i < 4 && visible; ++i) {
            if (ps[i] == 0) {
                visible = qs[i] >= 0;
                continue;
            }
            const double r = qs[i] / ps[i];
            if (ps[i] < 0)
                t0 = std::max(t0, r);
            else
                t1 = std::min(t1, r);
            visible = t0 <= t1;
        }
        if (!visible)
            continue;
        const double depth = (p.z + q.z) / 2;
        const double shade = std::clamp(1.15 - depth / 70.0, 0.35, 1.0);
        canvas.Line(x0 + t0 * dx, y0 + t0 * dy, x0 + t1 * dx, y0 + t1 * dy,
                    shade * edge.brightness, edge.hue);
    }
}

}  // namespace

AviClipData MakeConsoleClip()
{
    AviClipData clip;
    clip.width = kClipWidth;
    clip.height = kClipHeight;
    clip.microSecPerFrame = kClipMicroSecPerFrame;
    for (int i = 1; i <= kLevels; ++i) {
        const double v = double(i) / kLevels;
        // Brightness is linear light; the ramps give it gamma-corrected.
        const double g = std::pow(v, 1 / 2.0);
        const auto red = std::uint32_t(std::lround(255 * g));
        const auto grey = std::uint32_t(std::lround(200 * g));
        clip.palette[std::size_t(i)] = red << 16 | std::uint32_t(std::lround(20 * v * v)) << 8;
        clip.palette[std::size_t(128 + i)] = grey << 16 | grey << 8 | grey;
    }
    const Model model = ConsoleModel();
    for (int f = 0; f < kClipFrames; ++f) {
        Canvas canvas;
        const Camera cam = CameraAt(double(f) / kClipFrames);
        for (const Edge& edge : model.edges)
            DrawEdge(canvas, edge, cam);
        clip.frames.push_back(canvas.Indices());
    }
    return clip;
}

bool WriteConsoleClip(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = WriteRle8Avi(MakeConsoleClip());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
