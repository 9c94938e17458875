#include "formats/RomImage.h"

#include "formats/SysFileName.h"
#include "formats/SysSeek.h"
#include "support/TestSystem.h"
#include "tiles/CharCodec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

Bytes Pattern(std::size_t size)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = std::uint8_t(i * 13 + i / 251);
    return b;
}

TileBuffer TileOf(const CTileSheet& sheet, int n)
{
    TileBuffer t{};
    return sheet.GetTile(t, n % 16, n / 16);
}

struct Import
{
    std::string message;
    long endPos;
};

Import Read(const Bytes& file, CTileSheet& sheet, std::uint32_t start, int nChars)
{
    FILE* f = StreamWith(file);
    Import r;
    r.message = ReadRomChars(f, sheet, start, nChars);
    r.endPos = std::ftell(f);
    std::fclose(f);
    return r;
}

}  // namespace

TEST(RomImage, CharsFromTheStartByteInConsoleOrder)
{
    struct {
        const char* name;
        std::size_t fileSize;
        std::uint32_t start;
        int nChars;
        std::string message;
        int tilesRead;
    } cases[] = {
        {"whole sheet", 4096, 0, 256, "", 256},
        {"start 100, 3 chars", 4096, 100, 3, "", 3},
        {"odd start", 64, 1, 3, "", 3},
        {"last whole char", 64, 48, 1, "", 1},
        {"last char a byte short", 64, 49, 1, "Fatal Error 0012", 0},
        {"256 chars, a byte short", 4095, 0, 256, "Fatal Error 0012", 255},
        {"257 chars", 257 * 16, 0, 257, "", 256},
        {"40 bytes, 3 chars", 40, 0, 3, "Fatal Error 0012", 2},
        {"empty file", 0, 0, 1, "Fatal Error 0012", 0},
        {"start at the end", 4096, 4096, 5, "Fatal Error 0012", 0},
        {"start beyond the end", 100, 1000, 1, "Fatal Error 0012", 0},
        {"0 chars", 4096, 0, 0, "", 0},
        {"65536 chars", 4096, 0, 65536, "", 0},
        {"300 chars", 300 * 16, 0, 300, "", 256},
        {"-1 chars, short file", 40 * 16 + 7, 16, -1, "Fatal Error 0012", 39},
    };
    for (const auto& c : cases) {
        const Bytes file = Pattern(c.fileSize);
        CTileSheet sheet;
        const Import r = Read(file, sheet, c.start, c.nChars);
        EXPECT_EQ(r.message, c.message) << c.name;
        if (c.message.empty()) {  // one 16-byte read per char and nothing more
            EXPECT_EQ(r.endPos, long(c.start) + 16 * c.tilesRead) << c.name;
        }
        for (int n = 0; n < kTileCount; ++n) {
            TileBuffer want{};
            if (n < c.tilesRead)
                want = DecodeChar(&file[c.start + 16 * n], ConsoleOrder);
            ASSERT_EQ(TileOf(sheet, n), want) << c.name << " tile " << n;
        }
    }
}

TEST(RomImage, TileNumbersAndRowOrder)
{
    Bytes file(4096, 0);
    file[256] = file[257] = 0x55;  // first char row of char 16
    file[0] = 0xFF;                // first char row of char 0, low byte
    CTileSheet sheet;
    EXPECT_EQ(Read(file, sheet, 0, 256).message, "");
    // Char 16 is the first tile of the second row; its first char row is the
    // tile's top row (buffer row 7).
    TileBuffer want16{};
    for (int i = 56; i < 64; ++i)
        want16[i] = kLevelLowRed;
    EXPECT_EQ(TileOf(sheet, 16), want16);
    TileBuffer want0{};
    for (int i = 56; i < 60; ++i)
        want0[i] = kLevelHiRed;
    EXPECT_EQ(TileOf(sheet, 0), want0);
}

TEST(RomImage, TilesBeyondTheCharsReadAreNotTouched)
{
    CTileSheet sheet;
    TileBuffer hi;
    hi.fill(kLevelHiRed);
    for (int n : {2, 3, 200})
        sheet.PutTile(hi, n % 16, n / 16);
    const Bytes file = Pattern(40);
    EXPECT_EQ(Read(file, sheet, 0, 3).message, "Fatal Error 0012");
    EXPECT_EQ(TileOf(sheet, 1), DecodeChar(&file[16], ConsoleOrder));
    // The incomplete char is not used.
    EXPECT_EQ(TileOf(sheet, 2), hi);
    EXPECT_EQ(TileOf(sheet, 3), hi);
    EXPECT_EQ(TileOf(sheet, 200), hi);
}

TEST(RomImage, FileSize)
{
    for (std::size_t size : {0u, 1u, 40u, 4096u}) {
        FILE* f = StreamWith(Pattern(size));
        std::fseek(f, 7, SEEK_SET);
        EXPECT_EQ(RomFileSize(f), size);
        EXPECT_EQ(std::ftell(f), 0);
        std::fclose(f);
    }
}

TEST(RomImage, OffsetsUpTo4GiB)
{
    // A sparse file of 5 GiB, with a char just below the 4 GiB mark.
    TempDir dir;
    const std::string path = dir.file("big.vb");
    std::error_code ec;
    WriteFileBytes(path, {});
    std::filesystem::resize_file(path, std::uintmax_t(5) << 30, ec);
    FILE* f = OpenFile(path, "r+b");
    ASSERT_NE(f, nullptr);
    const Bytes chr = Pattern(16);
    if (ec || !SeekFile(f, 0xFFFFFFF0, SEEK_SET) || std::fwrite(chr.data(), 16, 1, f) != 1) {
        std::fclose(f);
        GTEST_SKIP() << "no room for a sparse 5 GiB file here";
    }
    std::fflush(f);
    EXPECT_EQ(RomFileSize(f), 0xFFFFFFFFu);

    CTileSheet sheet;
    EXPECT_EQ(ReadRomChars(f, sheet, 0xFFFFFFF0u, 1), "");
    EXPECT_EQ(TileOf(sheet, 0), DecodeChar(chr.data(), ConsoleOrder));
    EXPECT_EQ(TellFile(f), 0x100000000);
    std::fclose(f);
}

TEST(RomImage, StreamThatCannotSeek)
{
    FILE* f = PipeWith(Pattern(64));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(RomFileSize(f), 0u);
    CTileSheet sheet;
    // The start cannot be reached, so there is nothing to read.
    EXPECT_EQ(ReadRomChars(f, sheet, 0, 2), "Fatal Error 0012");
    EXPECT_EQ(ReadRomChars(f, sheet, 0, 0), "");
    EXPECT_EQ(TileOf(sheet, 0), TileBuffer{});
    std::fclose(f);
}
