#include "formats/DibFile.h"

#include "formats/SysMemStream.h"
#include "support/TestSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>


// GCC sees the replaced operator delete's free() inlined next to operator new
// and takes the pair for mismatched; they are the matching pair here.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Every heap request of this test program passes here, so that a test can
// see the largest one made while it watches.
namespace {
std::atomic<bool> g_watchHeap{false};
std::atomic<std::size_t> g_largestRequest{0};
}  // namespace

void* operator new(std::size_t size)
{
    if (g_watchHeap.load() && size > g_largestRequest.load())
        g_largestRequest.store(size);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

using Bgr = std::array<std::uint8_t, 3>;

// A DIB file built field by field; the pixel offset follows from the header
// block unless given. Fill bytes are 0xFF (Hi Red) so that a leaked one shows.
struct DibLayout
{
    std::int32_t width = 128, height = 128;
    std::uint16_t planes = 1, bitsPerPixel = 8;
    std::uint32_t compression = 0;
    std::uint32_t headerBytes = 40;  // the info header's size; the palette follows it
    std::uint32_t blockBytes = 1064;
    std::int64_t pixelOffset = -1;
    bool withPixels = true;
    std::size_t cutOff = 0;  // bytes taken off the end
    std::function<Bgr(int)> palette = [](int) { return Bgr{}; };
    std::function<std::uint8_t(int, int)> pixel = [](int r, int c) {  // stored row, column
        return std::uint8_t(((r * 5 + c) % 3) * 4 + (r + c) % 3);
    };
};

Bytes MakeDib(const DibLayout& s)
{
    Bytes b{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0};
    PutU32(b, std::uint32_t(s.pixelOffset >= 0 ? s.pixelOffset : 14 + s.blockBytes));
    Bytes block;
    for (std::uint32_t v : {s.headerBytes, std::uint32_t(s.width), std::uint32_t(s.height)})
        PutU32(block, v);
    PutU16(block, s.planes);
    PutU16(block, s.bitsPerPixel);
    PutU32(block, s.compression);
    block.resize(std::max<std::size_t>(s.headerBytes, 20), 0);
    for (int i = 0; block.size() < s.blockBytes; ++i) {
        const Bgr bgr = s.palette(i);
        block.insert(block.end(), {bgr[0], bgr[1], bgr[2], 0});
    }
    block.resize(s.blockBytes);
    b.insert(b.end(), block.begin(), block.end());
    for (int r = 0; s.withPixels && r < s.height; ++r)
        for (int c = 0; c < (s.width + 3) / 4 * 4; ++c)
            b.push_back(c < s.width ? s.pixel(r, c) : 0xFF);
    b.resize(b.size() - s.cutOff);
    return b;
}

// A sheet whose every byte is 7, so that any write shows.
CTileSheet MarkedSheet()
{
    CTileSheet sheet;
    std::memset(sheet.GetPixels(), 7, kSheetBytes);
    return sheet;
}

std::string Import(const Bytes& file, CTileSheet& sheet, DibImportOptions options = {})
{
    FILE* f = StreamWith(file);
    if (!f)
        return "no stream";
    std::string message = ReadDibFile(f, sheet, options);
    std::fclose(f);
    return message;
}

// The same import from a pipe, which cannot seek: what a file skips, a pipe
// reads through. Files up to the pipe's buffer (64 KiB) only.
std::string ImportThroughPipe(const Bytes& file, CTileSheet& sheet, DibImportOptions options)
{
    FILE* f = PipeWith(file);
    if (!f)
        return "no pipe";
    std::string message = ReadDibFile(f, sheet, options);
    std::fclose(f);
    return message;
}

Bytes Export(const CTileSheet& sheet)
{
    FILE* f = OpenScratchFile();
    if (!f)
        return {};
    EXPECT_EQ(WriteDibFile(f, sheet), "");
    Bytes out = StreamBytes(f);
    std::fclose(f);
    return out;
}

Bytes Slice(const Bytes& b, std::size_t from, std::size_t to)
{
    return Bytes(b.begin() + long(from), b.begin() + long(to));
}

Bytes PixelBytes(const CTileSheet& sheet)
{
    return Bytes(sheet.GetPixels(), sheet.GetPixels() + kSheetBytes);
}

CTileSheet SheetOf(const std::function<std::uint8_t(int)>& byteAt)
{
    CTileSheet sheet;
    for (int i = 0; i < kSheetBytes; ++i)
        sheet.GetPixels()[i] = byteAt(i);
    return sheet;
}

std::uint8_t LevelPattern(int i)
{
    return std::uint8_t(85 * ((i / 128 + i % 128 / 3) % 4));
}

std::uint8_t Level3Bit(std::uint8_t p)
{
    return std::uint8_t(85 * (p & 3));
}

}  // namespace

TEST(DibExport, WritesHeadersRedRampAndTheSheetUnchanged)
{
    Bytes info;
    for (std::uint32_t v : {40u, 128u, 128u, 0x80001u, 0u, 16384u, 0u, 0u, 256u, 256u})
        PutU32(info, v);  // 0x80001: planes 1, bits per pixel 8
    for (auto byteAt : std::vector<std::function<std::uint8_t(int)>>{
             [](int) { return 0; }, [](int) { return 255; }, [](int i) { return i * 31; }}) {
        const CTileSheet sheet = SheetOf(byteAt);
        const Bytes file = Export(sheet);
        ASSERT_EQ(file.size(), kDibFileSize);
        EXPECT_EQ(Slice(file, 0, 14), (Bytes{0x42, 0x4D, 0x36, 0x44, 0, 0, 0, 0, 0, 0, 0x36, 4, 0, 0}));
        EXPECT_EQ(Slice(file, 14, 54), info);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(Slice(file, 54 + 4 * i, 58 + 4 * i), (Bytes{0, 0, std::uint8_t(i), 0}));
        EXPECT_EQ(Slice(file, 1074, 1078), (Bytes{0x00, 0x00, 0xFF, 0x00}));
        EXPECT_EQ(Slice(file, 1078, file.size()), PixelBytes(sheet));
    }
}

TEST(DibExport, ReportsThePieceThatDidNotFit)
{
    const CTileSheet sheet = SheetOf(LevelPattern);
    for (auto [room, message] : std::vector<std::pair<std::size_t, std::string>>{
             {1, "Fatal Error 0121"}, {13, "Fatal Error 0121"}, {1077, "Fatal Error 0121"},
             {1090, "Fatal Error 0122"}, {17461, "Fatal Error 0122"}, {20000, ""}}) {
        std::vector<char> buffer(room + 1);
        FILE* f = FixedBufferStream(buffer.data(), room);
        if (!f)
            GTEST_SKIP() << "no fixed-size memory streams (fmemopen) here";
        EXPECT_EQ(WriteDibFile(f, sheet), message) << "room " << room;
        std::fclose(f);
    }
}

TEST(DibImport, ExportedSheetComesBackExactlyOrDarkenedByMedian)
{
    const CTileSheet original = SheetOf(LevelPattern);
    const Bytes file = Export(original);
    for (bool adjust : {false, true}) {
        CTileSheet sheet;
        EXPECT_EQ(Import(file, sheet, {false, adjust}), "");
        EXPECT_EQ(PixelBytes(sheet), PixelBytes(original));
        EXPECT_EQ(Import(file, sheet, {true, adjust}), "");
        EXPECT_EQ(PixelBytes(sheet),
                  PixelBytes(SheetOf([](int i) { return LevelPattern(i) == 255 ? 85 : 0; })));
    }
}

TEST(DibImport, ColourReductionByLowBitsOrPaletteBands)
{
    // Entry p of the palette, then the level "Median" gives it; sums of
    // blue + green + red fall in bands of 192.
    const std::vector<std::pair<Bgr, std::uint8_t>> bands = {
        {{0, 0, 0}, 0},         {{191, 0, 0}, 0},       {{0, 0, 192}, 85},    {{100, 100, 183}, 85},
        {{128, 128, 128}, 170}, {{0, 255, 129}, 170},   {{200, 200, 175}, 170}, {{192, 192, 192}, 255},
        {{255, 255, 255}, 255}};
    DibLayout layout{.width = 256, .height = 1};
    layout.palette = [&](int p) { return p < int(bands.size()) ? bands[p].first : Bgr{255, 255, 255}; };
    layout.pixel = [](int, int c) { return std::uint8_t(c); };
    CTileSheet sheet;
    ASSERT_EQ(Import(MakeDib(layout), sheet, {true, false}), "");
    for (int p = 0; p < 256; ++p)
        ASSERT_EQ(sheet.GetPixels()[p], p < int(bands.size()) ? bands[p].second : 255) << p;
    ASSERT_EQ(Import(MakeDib(layout), sheet), "");
    for (int p = 0; p < 256; ++p)
        ASSERT_EQ(sheet.GetPixels()[p], Level3Bit(std::uint8_t(p))) << p;

    // Entries whose colours lie beyond a short header block count as black:
    // entry 1 has its blue, green and red in a block of 47 bytes, not in 46.
    for (auto [blockBytes, levels] : std::vector<std::pair<std::uint32_t, Bytes>>{
             {40 + 4 + 3, {255, 255, 0, 0, 7}}, {40 + 4 + 2, {255, 0, 0, 0, 7}}}) {
        layout = {.width = 4, .height = 1, .blockBytes = blockBytes};
        layout.palette = [](int) { return Bgr{255, 255, 255}; };
        layout.pixel = [](int, int c) { return std::uint8_t(c == 3 ? 200 : c); };
        sheet = MarkedSheet();
        ASSERT_EQ(Import(MakeDib(layout), sheet, {true, false}), "");
        EXPECT_EQ(Slice(PixelBytes(sheet), 0, 5), levels) << blockBytes;
    }
}

class DibRestoring : public ::testing::TestWithParam<std::pair<int, int>>
{
};

TEST_P(DibRestoring, AdjustTilesAnchorsBottomLeftAndCharMapFillsInPictureOrder)
{
    const auto [width, height] = GetParam();
    const DibLayout layout{.width = width, .height = height};
    CTileSheet sheet = MarkedSheet();
    ASSERT_EQ(Import(MakeDib(layout), sheet, {false, true}), "");
    for (int i = 0; i < kSheetBytes; ++i) {
        const int r = i / 128, c = i % 128;
        ASSERT_EQ(sheet.GetPixels()[i], r < height && c < width ? Level3Bit(layout.pixel(r, c)) : 7)
            << "row " << r << " col " << c;
    }
    sheet = MarkedSheet();
    ASSERT_EQ(Import(MakeDib(layout), sheet), "");
    for (int i = 0; i < kSheetBytes; ++i)
        ASSERT_EQ(sheet.GetPixels()[i],
                  i < width * height ? Level3Bit(layout.pixel(i / width, i % width)) : 7)
            << "index " << i;
}

INSTANTIATE_TEST_SUITE_P(Sizes, DibRestoring,
                         ::testing::Values(std::pair{64, 64}, std::pair{200, 300}, std::pair{130, 20},
                                           std::pair{130, 200}, std::pair{128, 128}, std::pair{1, 1},
                                           std::pair{3, 5000}, std::pair{20000, 2},
                                           // the last row placed ends 1 pixel into the sheet
                                           std::pair{3, 5462}, std::pair{129, 129}));

TEST(DibImport, SixtyFourSquareFillsTheLowerLeftTilesWithAdjustTiles)
{
    CTileSheet sheet;
    ASSERT_EQ(Import(MakeDib({.width = 64, .height = 64, .pixel = [](int, int) { return 3; }}), sheet,
                     {false, true}),
              "");
    TileBuffer tile;
    for (int n = 0; n < kTileCount; ++n) {
        sheet.GetTile(tile, n % 16, n / 16);
        EXPECT_EQ(tile[0], n % 16 < 8 && n / 16 >= 8 ? 255 : 0) << "tile " << n;
    }
}

TEST(DibImport, HeaderBlockOfJustTheTestedFieldsIsEnough)
{
    CTileSheet sheet = MarkedSheet();
    EXPECT_EQ(Import(MakeDib({.width = 2, .height = 2, .headerBytes = 20, .blockBytes = 20}), sheet), "");
    EXPECT_EQ(Slice(PixelBytes(sheet), 0, 5),
              (Bytes{Level3Bit(DibLayout{}.pixel(0, 0)), Level3Bit(DibLayout{}.pixel(0, 1)),
                     Level3Bit(DibLayout{}.pixel(1, 0)), Level3Bit(DibLayout{}.pixel(1, 1)), 7}));
}

TEST(DibImport, LargeHeaderBlockAndTrailingBytesAreAccepted)
{
    Bytes file = MakeDib({.width = 16, .height = 16, .blockBytes = 300000});
    file.insert(file.end(), 5000, 0xFF);
    CTileSheet sheet = MarkedSheet();
    EXPECT_EQ(Import(file, sheet, {false, true}), "");
    EXPECT_EQ(sheet.GetPixels()[15 * 128 + 15], Level3Bit(DibLayout{}.pixel(15, 15)));
    EXPECT_EQ(sheet.GetPixels()[16], 7);
}

struct BadFile
{
    const char* name;
    DibLayout layout;
    std::string message;
};

const std::vector<BadFile> kBadFiles = {
    {"TwentyFourBit", {.bitsPerPixel = 24}, "Only 8 bit DIB files can be loaded."},
    {"FourBitCompressed", {.planes = 2, .bitsPerPixel = 4, .compression = 2}, "Only 8 bit DIB files can be loaded."},
    {"TwoPlanes", {.planes = 2, .compression = 1}, "Only 1 plane DIB files can be loaded."},
    {"Rle8", {.compression = 1}, "Only DIB files without compression can be loaded."},
    {"EndsInsidePixelRows", {.cutOff = 1}, "Fatal Error 0122"},
    {"EndsInsideUnplacedRows", {.height = 400, .cutOff = 129}, "Fatal Error 0122"},
    {"EndsInsideFillBytes", {.width = 130, .height = 1, .cutOff = 1}, "Fatal Error 0122"},
    {"EndsInsideHeaderBlock", {.withPixels = false, .cutOff = 1}, "Fatal Error 0121"},
    {"EmptyHeaderBlock", {.pixelOffset = 14}, "Fatal Error 0121"},
    {"PixelOffsetBelow14", {.pixelOffset = 13}, "Invalid DIB File!"},
    {"HeaderBlockOf19Bytes", {.blockBytes = 19}, "Invalid DIB File!"},
    {"HeaderBlockOf1Byte", {.blockBytes = 1}, "Invalid DIB File!"},
    {"InfoHeaderBeyondTheBlock", {.headerBytes = 124, .blockBytes = 123}, "Fatal Error 0121"},
    {"InfoHeaderOf19Bytes", {.headerBytes = 19}, "Invalid DIB File!"},
    // The block is read before any of its fields is looked at.
    {"ShortHeaderBlockCutOff", {.blockBytes = 10, .withPixels = false, .cutOff = 4}, "Fatal Error 0121"},
    {"NegativeHeight", {.height = -128}, "Only bottom-up DIB files can be loaded."},
    {"NegativeWidth", {.width = -4, .withPixels = false}, "Invalid DIB File!"},
    {"WidthMinus1", {.width = -1, .height = 1}, "Invalid DIB File!"},
    {"HeightMinus1", {.width = 4, .height = -1}, "Only bottom-up DIB files can be loaded."},
    {"WidthZero", {.width = 0, .height = 10}, "Fatal Error 0122"},
    {"HeightZero", {.height = 0}, "Fatal Error 0122"},
    {"RowsBeyond32Bits", {.width = 0x7FFFFFFF, .height = 0x7FFFFFF, .withPixels = false}, "Invalid DIB File!"},
    // Claims far beyond the file: refused without allocating what they state.
    {"HugeHeaderBlock", {.pixelOffset = 0xFFFFFFF0, .withPixels = false}, "Fatal Error 0121"},
    {"HugeRows", {.width = 65536, .height = 65535, .withPixels = false}, "Fatal Error 0122"},
    {"HugeSingleRow", {.width = 0x7FFFFFFF, .height = 1, .withPixels = false}, "Fatal Error 0122"},
    // Rows of 4 bytes: 4 * 0x3FFFFFFF bytes still fit in 32 bits, 4 * 0x40000000 do not.
    {"ManyTinyRows", {.width = 1, .height = 0x3FFFFFFF, .withPixels = false}, "Fatal Error 0122"},
    {"RowsJustBeyond32Bits", {.width = 1, .height = 0x40000000, .withPixels = false}, "Invalid DIB File!"},
};

class DibRejects : public ::testing::TestWithParam<BadFile>
{
};

TEST_P(DibRejects, WithItsMessageAndLeavesTheSheetAlone)
{
    const Bytes file = MakeDib(GetParam().layout);
    for (bool median : {false, true})
        for (bool adjust : {false, true}) {
            CTileSheet sheet = MarkedSheet();
            g_largestRequest.store(0);
            g_watchHeap.store(true);
            EXPECT_EQ(Import(file, sheet, {median, adjust}), GetParam().message);
            g_watchHeap.store(false);
            EXPECT_LT(g_largestRequest.load(), std::size_t(1) << 20);
            EXPECT_EQ(PixelBytes(sheet), Bytes(kSheetBytes, 7));
            EXPECT_EQ(ImportThroughPipe(file, sheet, {median, adjust}), GetParam().message);
            EXPECT_EQ(PixelBytes(sheet), Bytes(kSheetBytes, 7));
        }
}

INSTANTIATE_TEST_SUITE_P(Files, DibRejects, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DibImport, ShortOrForeignFilesFailOnTheFileHeader)
{
    const std::string text = "Hello, tiles! A text file.\n";
    for (auto [file, message] : std::vector<std::pair<Bytes, std::string>>{
             {{}, "Fatal Error 0021"},
             {Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0x36, 4, 0}, "Fatal Error 0021"},
             {Bytes(text.begin(), text.end()), "Invalid DIB File!"}}) {
        CTileSheet sheet = MarkedSheet();
        EXPECT_EQ(Import(file, sheet), message);
        EXPECT_EQ(PixelBytes(sheet), Bytes(kSheetBytes, 7));
    }
}

TEST(DibImport, HugeClaimsRunUnderATightAddressSpaceLimit)
{
    // 256 MiB: far below any claim, far above what a sound import needs.
    std::string whyNot;
    const int code = RunUnderAddressLimit(256u << 20, [] {
        for (const BadFile& bad : kBadFiles)
            for (bool adjust : {false, true}) {
                CTileSheet sheet;
                if (Import(MakeDib(bad.layout), sheet, {false, adjust}) != bad.message)
                    return 1;
            }
        return 0;
    }, whyNot);
    if (!whyNot.empty())
        GTEST_SKIP() << whyNot;
    EXPECT_EQ(code, 0) << "-1: the import died under the limit";
}

TEST(DibImport, ColourReductionOfOneColour)
{
    const DibImportOptions bits{}, median{.median = true}, nearest{.nearest = true},
        both{.median = true, .nearest = true};
    const struct {
        DibImportOptions options;
        int r, g, b, index;
    } cases[] = {
        {bits, 6, 7, 201, 1},      {bits, 255, 0, 0, 3},       {bits, 0, 200, 1, 0},
        {median, 64, 64, 64, 1},   {median, 191, 0, 0, 0},     {median, 255, 255, 255, 3},
        {nearest, 127, 0, 0, 1},   {nearest, 0, 128, 0, 2},    {nearest, 0, 0, 255, 3},
        {both, 255, 0, 0, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReduceColour(c.options, c.r, c.g, c.b), c.index) << c.r << " " << c.g << " " << c.b;
}

TEST(DibPicture, CharRowsTopFirstOrTheMessage)
{
    // Stored row 0, the bottom one, holds indices 0 1 2 3 0 1 2 3.
    const auto bottomRow = [](int r, int c) { return std::uint8_t(r == 0 ? c % 4 : 0); };
    const Bytes picture = MakeDib({.width = 8, .height = 16, .pixel = bottomRow});
    std::vector<std::uint16_t> rows(16, 0);
    rows[15] = 0xe4e4;
    const struct {
        const char* what;
        Bytes file;
        bool pipe;
        std::string message;
        std::vector<std::uint16_t> rows;
    } cases[] = {
        {"file", picture, false, "", rows},
        {"taller than the limit", MakeDib({.width = 8, .height = 24}), false,
         "The picture is 8 x 24 pixels; pictures up to 16 x 16 pixels can be converted.", {}},
        {"pipe", picture, true, "", rows},
        {"pipe ending in the last row", Slice(picture, 0, picture.size() - 1), true, "Fatal Error 0122", {}},
    };
    for (const auto& c : cases) {
        FILE* f = c.pipe ? PipeWith(c.file) : StreamWith(c.file);
        if (!f)
            GTEST_SKIP() << "no pipes here";
        PackedPicture read;
        EXPECT_EQ(ReadDibPicture(f, {}, 16, read), c.message) << c.what;
        std::fclose(f);
        if (c.message.empty()) {
            EXPECT_EQ(read.cellsWide, 1u) << c.what;
            EXPECT_EQ(read.height, 16u) << c.what;
            EXPECT_EQ(read.rows, c.rows) << c.what;
        }
    }
}
