#include "formats/NativeFile.h"

#include "support/TestSystem.h"
#include "support/TestTiles.h"
#include "tiles/CharCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TileBuffer TileOf(const CTileSheet& sheet, int n)
{
    TileBuffer t{};
    return sheet.GetTile(t, n % 16, n / 16);
}

// Writes the sheet to an anonymous stream and gives back the file's bytes.
Bytes Save(const CTileSheet& sheet, int nChars, std::string* message = nullptr)
{
    FILE* f = StreamWith({});
    const std::string msg = WriteNativeFile(f, sheet, nChars);
    if (message)
        *message = msg;
    else
        EXPECT_EQ(msg, "");
    Bytes bytes = StreamBytes(f);
    std::fclose(f);
    return bytes;
}

// Reads bytes as a native file into a fresh sheet; returns the message and
// where the stream stood afterwards.
std::string Load(const Bytes& bytes, CTileSheet& sheet, long* endPos = nullptr)
{
    FILE* f = StreamWith(bytes);
    const std::string msg = ReadNativeFile(f, sheet);
    if (endPos)
        *endPos = std::ftell(f);
    std::fclose(f);
    return msg;
}

// A sheet of the four levels in a pattern that differs from tile to tile.
CTileSheet PatternSheet()
{
    CTileSheet sheet;
    std::uint8_t* p = sheet.GetPixels();
    for (int i = 0; i < kSheetBytes; ++i)
        p[i] = LevelFromIndex((i * 7 + i / 128 * 3 + i / 1000) & 3);
    return sheet;
}

}  // namespace

TEST(NativeFile, SizeAndCountFieldFollowTheCharsHandled)
{
    struct { int nChars; std::size_t size; std::uint8_t lo, hi; } cases[] = {
        {256, 4098, 0x00, 0x01}, {16, 258, 0x10, 0x00}, {1, 18, 0x01, 0x00},
        {0, 2, 0x00, 0x00},      {65536, 2, 0x00, 0x00}, {300, 4098, 0x00, 0x01},
        {-1, 4098, 0x00, 0x01},  {65537, 18, 0x01, 0x00},
    };
    const CTileSheet blank;
    for (const auto& c : cases) {
        const Bytes b = Save(blank, c.nChars);
        ASSERT_EQ(b.size(), c.size) << c.nChars;
        EXPECT_EQ(b[0], c.lo) << c.nChars;
        EXPECT_EQ(b[1], c.hi) << c.nChars;
        for (std::size_t i = 2; i < b.size(); ++i)
            ASSERT_EQ(b[i], 0) << c.nChars << " byte " << i;
    }
}

TEST(NativeFile, CharsAreInSheetRowOrderAndTileNumberOrder)
{
    CTileSheet sheet;
    TileBuffer top{};
    for (int i = 56; i < 64; ++i)
        top[i] = kLevelLowRed;  // top displayed row of the tile
    sheet.PutTile(top, 0, 0);
    sheet.PutTile(Filled(kLevelHiRed), 1, 1);  // tile 17

    const Bytes b = Save(sheet, 256);
    for (int i = 2; i < 16; ++i)
        EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(b[16], 0x55);
    EXPECT_EQ(b[17], 0x55);
    const std::size_t tile17 = 2 + 16 * 17;
    for (std::size_t i = 18; i < b.size(); ++i)
        ASSERT_EQ(b[i], i >= tile17 && i < tile17 + 16 ? 0xFF : 0x00) << i;
}

TEST(NativeFile, RoundTripKeepsTheFourLevels)
{
    const CTileSheet sheet = PatternSheet();
    CTileSheet back;
    EXPECT_EQ(Load(Save(sheet, 256), back), "");
    for (int i = 0; i < kSheetBytes; ++i)
        ASSERT_EQ(back.GetPixels()[i], sheet.GetPixels()[i]) << i;

    // Count 16: the top row of tiles, the rest blank.
    CTileSheet part;
    EXPECT_EQ(Load(Save(sheet, 16), part), "");
    for (int n = 0; n < kTileCount; ++n)
        EXPECT_EQ(TileOf(part, n), n < 16 ? TileOf(sheet, n) : TileBuffer{}) << n;
}

TEST(NativeFile, OtherLevelsLoadBackAsTheirLowBitsLevel)
{
    struct { std::uint8_t saved, loaded; } cases[] = {{200, 0}, {254, 170}, {1, 85}, {128, 0}, {87, 255}};
    for (const auto& c : cases) {
        CTileSheet sheet, back;
        sheet.PutTile(Filled(c.saved), 3, 0);
        EXPECT_EQ(Load(Save(sheet, 4), back), "");
        EXPECT_EQ(TileOf(back, 3), Filled(c.loaded)) << int(c.saved);
    }
}

TEST(NativeFile, ReadingShortDamagedAndOversizedFiles)
{
    auto withCount = [](std::uint16_t count, std::size_t charBytes) {
        Bytes b;
        PutU16(b, count);
        for (std::size_t i = 0; i < charBytes; ++i)
            b.push_back(std::uint8_t(0xFF - i % 3));
        return b;
    };
    struct {
        const char* name;
        Bytes file;
        std::string message;
        int tilesLoaded;
        long endPos;
    } cases[] = {
        {"empty", {}, "Fatal Error 0001", 0, 0},
        {"one byte", {0x01}, "Fatal Error 0001", 0, 1},
        {"count 0", {0x00, 0x00}, "", 0, 2},
        {"count 0 and more bytes", withCount(0, 32), "", 0, 2},
        {"03 00 and 40 bytes", withCount(3, 40), "Fatal Error 0002", 2, 42},
        {"count 1, char cut short", withCount(1, 15), "Fatal Error 0002", 0, 17},
        {"count 2, 3 chars there", withCount(2, 48), "", 2, 34},
        {"count 256, all there", withCount(256, 4096), "", 256, 2 + 4096},
        {"count 256, a byte short", withCount(256, 4095), "Fatal Error 0002", 255, 0},
        {"count 257, 257 chars", withCount(257, 257 * 16), "", 256, 2 + 4096},
        {"count 0x0200, 512 chars", withCount(0x0200, 512 * 16), "", 256, 2 + 4096},
        {"count 0xFFFF, 10 chars", withCount(0xFFFF, 160), "Fatal Error 0002", 10, 162},
    };
    for (const auto& c : cases) {
        CTileSheet sheet;
        long endPos = -1;
        EXPECT_EQ(Load(c.file, sheet, &endPos), c.message) << c.name;
        // No read beyond what the chars need; a failed read may take what is left.
        if (c.message.empty()) {
            EXPECT_EQ(endPos, c.endPos) << c.name;
        }
        for (int n = 0; n < kTileCount; ++n) {
            TileBuffer want{};
            if (n < c.tilesLoaded)
                want = DecodeChar(&c.file[2 + 16 * n], SheetOrder);
            ASSERT_EQ(TileOf(sheet, n), want) << c.name << " tile " << n;
        }
    }
}

TEST(NativeFile, WriteFailuresAtTheCallAreReported)
{
    // fmemopen buffers of a fixed size, unbuffered so a write that does not
    // fit fails at the call. Where everything fits there is a byte to spare:
    // glibc ends the text in a buffer with a NUL.
    struct { std::size_t room; int nChars; std::string message; std::size_t written; } cases[] = {
        {1, 1, "Fatal Error 0101", 0},
        {1, 0, "Fatal Error 0101", 0},
        {2, 1, "Fatal Error 0102", 2},
        {2 + 16 + 15, 3, "Fatal Error 0102", 18},
        {2 + 16 * 3 + 1, 3, "", 50},
        {2, 0, "", 2},
    };
    const CTileSheet sheet = PatternSheet();
    const Bytes full = Save(sheet, 3);
    for (const auto& c : cases) {
        std::vector<std::uint8_t> buf(c.room + 1, 0xEE);
        FILE* f = FixedBufferStream(buf.data(), c.room);
        if (!f)
            GTEST_SKIP() << "no fixed-size memory streams (fmemopen) here";
        EXPECT_EQ(WriteNativeFile(f, sheet, c.nChars), c.message) << c.room;
        std::fclose(f);
        // What did fit is the start of the complete file (count field aside).
        for (std::size_t i = 2; i < c.written; ++i)
            EXPECT_EQ(buf[i], full[i]) << c.room << " byte " << i;
    }
}

TEST(NativeFile, FailureThatShowsOnlyAtFlushIsNotSeenByTheWriter)
{
    // /dev/full takes buffered writes and fails when they reach the device.
    FILE* f = OpenFullDevice();
    if (!f)
        GTEST_SKIP() << "no device here that refuses writes (/dev/full)";
    EXPECT_EQ(WriteNativeFile(f, CTileSheet(), 16), "");
    EXPECT_NE(std::fflush(f), 0);
    std::fclose(f);

    // A whole sheet overflows the stream's buffer, so a char write fails at
    // the call.
    f = OpenFullDevice();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(WriteNativeFile(f, CTileSheet(), 256), kNativeWriteCharError);
    std::fclose(f);
}
