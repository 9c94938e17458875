#include "formats/AsmCharMap.h"

#include "support/TestSystem.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Export(const CTileSheet& sheet, int nChars)
{
    FILE* f = StreamWith({});
    EXPECT_EQ(WriteAsmCharMap(f, sheet, nChars), "");
    const Bytes b = StreamBytes(f);
    std::fclose(f);
    return std::string(b.begin(), b.end());
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string BlankLine(int n)
{
    return "dh. 0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000 ; Char" +
           std::to_string(n);
}

TileBuffer WithRow(int bufferRow, const std::array<std::uint8_t, 8>& levels)
{
    TileBuffer t{};
    for (int i = 0; i < 8; ++i)
        t[8 * bufferRow + i] = levels[i];
    return t;
}

}  // namespace

TEST(AsmCharMap, BlankSheetWithAllChars)
{
    const std::string text = Export(CTileSheet(), 256);
    EXPECT_EQ(text.size(), 17820u);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    ASSERT_EQ(text.back(), '\n');
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 257u);
    EXPECT_EQ(lines[0], ";Char Map");
    for (int n = 0; n < 256; ++n)
        ASSERT_EQ(lines[n + 1], BlankLine(n));
}

TEST(AsmCharMap, LinesOfTiles)
{
    struct {
        const char* name;
        int tile;
        TileBuffer content;
        std::string line;
    } cases[] = {
        {"top row low red", 5, WithRow(7, {85, 85, 85, 85, 85, 85, 85, 85}),
         "dh. 0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x5555 ; Char5"},
        {"bottom row of four levels", 0, WithRow(0, {0, 85, 170, 255, 255, 170, 85, 0}),
         "dh. 0x1be4,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000 ; Char0"},
        {"third row, hex in lowercase", 17, WithRow(2, {170, 255, 0, 0, 0, 0, 255, 170}),
         "dh. 0x0000,0x0000,0xb00e,0x0000,0x0000,0x0000,0x0000,0x0000 ; Char17"},
        {"other levels as their two low bits", 255, WithRow(1, {254, 200, 1, 0, 0, 0, 0, 0}),
         "dh. 0x0000,0x0012,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000 ; Char255"},
    };
    for (const auto& c : cases) {
        CTileSheet sheet;
        sheet.PutTile(c.content, c.tile % 16, c.tile / 16);
        const auto lines = Lines(Export(sheet, 256));
        ASSERT_EQ(lines.size(), 257u);
        for (int n = 0; n < 256; ++n)
            ASSERT_EQ(lines[n + 1], n == c.tile ? c.line : BlankLine(n)) << c.name;
    }

    CTileSheet hi;
    TileBuffer t;
    t.fill(255);
    hi.PutTile(t, 15, 15);
    EXPECT_EQ(Lines(Export(hi, 256))[256],
              "dh. 0xffff,0xffff,0xffff,0xffff,0xffff,0xffff,0xffff,0xffff ; Char255");
}

TEST(AsmCharMap, CountsOfChars)
{
    CTileSheet sheet;
    TileBuffer t;
    t.fill(170);
    sheet.PutTile(t, 0, 1);  // tile 16, first of the second row
    const std::string tile16 =
        "dh. 0xaaaa,0xaaaa,0xaaaa,0xaaaa,0xaaaa,0xaaaa,0xaaaa,0xaaaa ; Char16";
    struct { int nChars; std::size_t lines; } cases[] = {
        {1, 2}, {17, 18}, {16, 17}, {0, 1}, {65536, 1}, {300, 257}, {-1, 257}, {65538, 3},
    };
    for (const auto& c : cases) {
        const auto lines = Lines(Export(sheet, c.nChars));
        ASSERT_EQ(lines.size(), c.lines) << c.nChars;
        EXPECT_EQ(lines[0], ";Char Map");
        for (std::size_t i = 1; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], i == 17 ? tile16 : BlankLine(int(i) - 1)) << c.nChars;
    }
}

TEST(AsmCharMap, WriteFailuresAtTheCallAreReported)
{
    // Unbuffered fmemopen buffers of a fixed size, so a write that does not
    // fit fails at the call. Where everything fits there is a byte to spare:
    // glibc ends the text in a buffer with a NUL.
    const std::size_t header = 10, line = 68;  // ";Char Map\n", a line of Char0..Char9
    struct { std::size_t room; int nChars; std::string message; std::string written; } cases[] = {
        {5, 1, "Fatal Error 0111", ""},
        {5, 0, "Fatal Error 0111", ""},
        {header + 1, 0, "", ";Char Map\n"},
        {header + 20, 1, "Fatal Error 0112", ";Char Map\n"},
        {header + line + 3, 2, "Fatal Error 0112", ";Char Map\n" + BlankLine(0) + "\n"},
        {header + 2 * line + 1, 2, "", ";Char Map\n" + BlankLine(0) + "\n" + BlankLine(1) + "\n"},
    };
    for (const auto& c : cases) {
        std::vector<char> buf(c.room + 1, '\0');
        FILE* f = FixedBufferStream(buf.data(), c.room);
        if (!f)
            GTEST_SKIP() << "no fixed-size memory streams (fmemopen) here";
        EXPECT_EQ(WriteAsmCharMap(f, CTileSheet(), c.nChars), c.message) << c.room;
        std::fclose(f);
        EXPECT_EQ(std::string(buf.data(), c.written.size()), c.written) << c.room;
    }

    // Buffered into /dev/full: one line fits the buffer and the failure only
    // shows at flush; a whole sheet overflows it and a line write fails.
    FILE* f = OpenFullDevice();
    if (!f)
        GTEST_SKIP() << "no device here that refuses writes (/dev/full)";
    EXPECT_EQ(WriteAsmCharMap(f, CTileSheet(), 1), "");
    EXPECT_NE(std::fflush(f), 0);
    std::fclose(f);
    f = OpenFullDevice();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(WriteAsmCharMap(f, CTileSheet(), 256), kAsmWriteLineError);
    std::fclose(f);
}
