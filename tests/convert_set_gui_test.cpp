// kelvane-convert --set, --seed, --world and --draw as a game's build runs
// them: the real executable on real files.
#include "support/TestFiles.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

// A tile as 8 rows of 8 colour indices, top row first.
using Tile = std::array<std::array<int, 8>, 8>;

Tile Flipped(Tile t, int flips)
{
    if (flips & 2)
        std::reverse(t.begin(), t.end());
    if (flips & 1)
        for (auto& row : t)
            std::reverse(row.begin(), row.end());
    return t;
}

// The tile as the console stores a char: rows top first, pixel x in bits
// 2x + 1 and 2x of its row, each row low byte first.
Bytes CharBytes(const Tile& t)
{
    Bytes b;
    for (const auto& row : t) {
        int v = 0;
        for (int x = 0; x < 8; ++x)
            v |= row[std::size_t(x)] << (2 * x);
        PutU16(b, std::uint16_t(v));
    }
    return b;
}

// Runs the converter with `args` ("{d}" standing for the folder); the exit
// code and standard error.
std::pair<int, std::string> Converted(const TempDir& dir, std::string args)
{
    for (std::size_t at; (at = args.find("{d}")) != std::string::npos;)
        args.replace(at, 3, dir.path());
    QProcess p;
    p.start(QStringLiteral(KELVANE_CONVERT_EXE),
            QString::fromStdString(args).split(u' ', Qt::SkipEmptyParts));
    EXPECT_TRUE(p.waitForFinished(60000)) << args;
    return {p.exitCode(), p.readAllStandardError().toStdString()};
}

// A picture of cellsWide x cellsHigh tiles saved as PNG; the top-left
// pixel of the first tile transparent when asked (it must come back 0).
void SavePicture(const std::string& path, const std::vector<Tile>& cells, int cellsWide,
                 bool clearCorner = false)
{
    QImage image(8 * cellsWide, 8 * (int(cells.size()) / cellsWide), QImage::Format_ARGB32);
    for (std::size_t c = 0; c < cells.size(); ++c)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                image.setPixel(int(c) % cellsWide * 8 + x, int(c) / cellsWide * 8 + y,
                               qRgb(85 * cells[c][std::size_t(y)][std::size_t(x)], 0, 0));
    if (clearCorner)
        image.setPixel(0, 0, qRgba(255, 255, 255, 127));
    ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
}

// The cells a picture file shows, as colour indices.
std::vector<Tile> CellsOf(const std::string& path)
{
    QImage image(QString::fromStdString(path));
    std::vector<Tile> cells(std::size_t(image.width() / 8 * (image.height() / 8)));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            cells[std::size_t(y / 8 * (image.width() / 8) + x / 8)][std::size_t(y % 8)]
                 [std::size_t(x % 8)] = qRed(image.pixel(x, y)) / 85;
    return cells;
}

std::vector<std::uint16_t> Halfwords(const Bytes& bytes)
{
    std::vector<std::uint16_t> values;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        values.push_back(std::uint16_t(bytes[i] | (bytes[i + 1] << 8)));
    return values;
}

TEST(ConvertSet, RandomSetsWithASeedDrawBackAndNumberByFirstAppearance)
{
    TempDir dir;
    std::mt19937 rng(22);
    for (int round = 0; round < 3; ++round) {
        std::vector<Tile> pool(std::size_t(5 + rng() % 60));
        for (Tile& t : pool)
            for (auto& row : t)
                for (int& v : row)
                    v = int(rng() % 4);
        // The seed: a few pool tiles (so cells find them) and one of its own.
        std::vector<Tile> seed = {pool[0], pool[1], Flipped(pool[2], 3), pool[3]};
        seed.back()[0][0] ^= 1;
        Bytes seedBytes;
        for (const Tile& t : seed) {
            const Bytes b = CharBytes(t);
            seedBytes.insert(seedBytes.end(), b.begin(), b.end());
        }
        WriteFileBytes(dir.file("seed.bin"), seedBytes);

        const unsigned base = unsigned(rng() % 100);
        std::string args = "--set {d}/chars.bin --seed {d}/seed.bin --report --deps {d}/set.d "
                           "--base " + std::to_string(base);
        std::vector<std::vector<Tile>> pictures(2 + rng() % 3);
        std::vector<int> widths;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            widths.push_back(int(1 + rng() % 30));
            pictures[i].resize(std::size_t(widths[i]) * (1 + rng() % 20));
            for (Tile& cell : pictures[i])
                cell = Flipped(pool[rng() % pool.size()], int(rng() % 4));
            SavePicture(dir.file(std::to_string(i) + ".png"), pictures[i], widths[i]);
            args += " {d}/" + std::to_string(i) + ".png {d}/" + std::to_string(i) + ".map.bin";
        }
        const auto [code, err] = Converted(dir, args);
        ASSERT_EQ(code, 0) << err;
        const Bytes chars = ReadFileBytes(dir.file("chars.bin"));
        EXPECT_EQ(Bytes(chars.begin(), chars.begin() + std::ptrdiff_t(seedBytes.size())), seedBytes);
        EXPECT_EQ(Converted(dir, args).first, 0);
        EXPECT_EQ(ReadFileBytes(dir.file("chars.bin")), chars) << "the same bytes every run";

        // Every char up to flips once: the seed's, then new ones in order.
        std::map<Tile, int> known;
        int next = 0;
        const auto learn = [&](const Tile& t) {
            for (int f = 0; f < 4; ++f)
                known.emplace(Flipped(t, f), next);
            ++next;
        };
        for (const Tile& t : seed)
            learn(t);
        std::string rule = dir.file("chars.bin");
        std::string prerequisites;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const std::string n = std::to_string(i);
            for (const Tile& cell : pictures[i])
                if (!known.count(cell))
                    learn(cell);
            for (std::size_t c = 0; c < pictures[i].size(); ++c) {
                const std::uint16_t cell = Halfwords(ReadFileBytes(dir.file(n + ".map.bin"))).at(c);
                EXPECT_EQ(int(cell & 0x7FF) - int(base), known.at(pictures[i][c])) << i << " " << c;
            }
            ASSERT_EQ(Converted(dir, "--draw {d}/" + n + ".map.bin {d}/chars.bin {d}/back.png --base " +
                                   std::to_string(base) + " --cells-wide " +
                                   std::to_string(widths[i]))
                          .first,
                      0);
            EXPECT_EQ(CellsOf(dir.file("back.png")), pictures[i]) << "picture " << i;
            rule += " " + dir.file(n + ".map.bin");
            prerequisites += " \\\n " + dir.file(n + ".png");
        }
        EXPECT_EQ(chars.size(), 16u * std::size_t(next));
        rule += ":" + prerequisites + " \\\n " + dir.file("seed.bin") + "\n";
        const Bytes deps = ReadFileBytes(dir.file("set.d"));
        EXPECT_EQ(std::string(deps.begin(), deps.end()), rule);
        EXPECT_NE(err.find("chars: " + std::to_string(next)), std::string::npos) << err;
    }
}

TEST(ConvertSet, LimitsStopTheRunAndLeaveTheOutputs)
{
    TempDir dir;
    std::mt19937 rng(2048);
    std::vector<Tile> random(40);
    for (Tile& t : random)
        for (auto& row : t)
            for (int& v : row)
                v = int(rng() % 4);
    SavePicture(dir.file("a.png"), random, 10);
    SavePicture(dir.file("wide.png"), std::vector<Tile>(128), 128);   // 2 x 1 BGMaps
    SavePicture(dir.file("past.png"), std::vector<Tile>(513), 513);   // 16 x 1
    SavePicture(dir.file("tall.png"), std::vector<Tile>(65 * 3), 3);  // 1 x 2
    const Bytes old = {'o', 'l', 'd'};
    const struct
    {
        const char* args;
        int code;
        const char* message;
    } cases[] = {
        {"--set {d}/c.bin {d}/a.png {d}/m.bin {d}/a.png {d}/n.bin --max-chars 15", 1,
         "{d}/a.png: The set needs 16 chars up to cell (5, 1); --max-chars is 15."},
        {"--set {d}/c.bin {d}/a.png {d}/m.bin --base 2040", 1,
         "{d}/a.png: The set needs 9 chars up to cell (8, 0); with --base 2040 at most 8 fit."},
        {"--set {d}/c.bin {d}/wide.png {d}/m.bin {d}/tall.png {d}/n.bin --segment --bgmap 11", 1,
         "{d}/tall.png: The maps need 16 BGMaps (from 0, alignment included) up to this picture; "
         "the console has 14."},
        {"--map {d}/m.bin {d}/past.png {d}/c.bin --segment", 1,
         "{d}/past.png: The picture is 4104 x 8 pixels; one world shows up to 8 BGMaps"},
        {"--set {d}/c.bin {d}/a.png {d}/m.bin --segment --bgmap 14", 2,
         "--bgmap takes a number from 0 to 13, not 14"},
        {"--set {d}/c.bin {d}/a.png {d}/m.bin --world {d}/w.bin", 2,
         "--world and --bgmap need --segment"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        for (const char* out : {"c.bin", "m.bin", "n.bin"})
            WriteFileBytes(dir.file(out), old);
        const auto [code, err] = Converted(dir, c.args);
        EXPECT_EQ(code, c.code);
        std::string message = std::string("kelvane-convert: ") + c.message;
        for (std::size_t at; (at = message.find("{d}")) != std::string::npos;)
            message.replace(at, 3, dir.path());
        EXPECT_EQ(err.substr(0, message.size()), message);
        for (const char* out : {"c.bin", "m.bin", "n.bin"})
            EXPECT_EQ(ReadFileBytes(dir.file(out)), old) << out;
    }
}

TEST(ConvertSet, TwoBgMapsWideWithTheirWorldEntry)
{
    TempDir dir;
    // 1024 x 16 pixels: A at cell (0, 0), its top-left pixel 0 but drawn
    // transparent white; A mirrored at (64, 1), the first cell of the
    // second BGMap's row 1; the other cells blank.
    Tile a{};
    for (int i = 1; i < 8; ++i)
        a[0][std::size_t(i)] = a[std::size_t(i)][0] = 3;
    std::vector<Tile> cells(2 * 128);
    cells[0] = a;
    cells[128 + 64] = Flipped(a, 1);
    SavePicture(dir.file("wide.png"), cells, 128, true);
    const auto [code, err] = Converted(dir, "--map {d}/map.bin {d}/wide.png {d}/chars.bin --segment "
                                      "--bgmap 3 --palette 1 --world {d}/world.bin");
    ASSERT_EQ(code, 0) << err;
    Bytes chars = CharBytes(a);
    chars.resize(32, 0);  // then the blank char
    EXPECT_EQ(ReadFileBytes(dir.file("chars.bin")), chars);
    // Two whole BGMaps; rows 0 and 1 of each hold the picture.
    std::vector<std::uint16_t> map(2 * 4096, 0);
    for (const std::size_t bgmap : {0u, 4096u})
        std::fill(map.begin() + std::ptrdiff_t(bgmap), map.begin() + std::ptrdiff_t(bgmap + 128), 0x4001);
    map[0] = 0x4000;
    map[4096 + 64] = 0x6000;  // char 0 mirrored
    EXPECT_EQ(Halfwords(ReadFileBytes(dir.file("map.bin"))), map);
    // LON, RON, BGM 0, SCX 1 (2 across), SCY 0, BGMAP_BASE 4 (3 aligned to
    // 2); W 1023 and H 15.
    const std::vector<std::uint16_t> world = {0xC404, 0, 0, 0, 0, 0, 0, 1023, 15, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Halfwords(ReadFileBytes(dir.file("world.bin"))), world);
}

}  // namespace
