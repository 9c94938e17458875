#include "tiles/CharCodec.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(CharCodec, LevelsAndIndices)
{
    const std::uint8_t levels[] = {0, 85, 170, 255};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(LevelFromIndex(i), levels[i]);
        EXPECT_EQ(IndexFromLevel(levels[i]), i);
    }
    // Other bytes reduce to their two low bits.
    struct { std::uint8_t level; int index; } odd[] = {{128, 0}, {254, 2}, {86, 2}, {200, 0}, {1, 1}};
    for (const auto& c : odd)
        EXPECT_EQ(IndexFromLevel(c.level), c.index) << int(c.level);
}

TEST(CharCodec, CharRowWorkedExamples)
{
    const std::uint8_t row[8] = {0, 85, 170, 255, 255, 170, 85, 0};
    EXPECT_EQ(EncodeCharRow(row), 0x1BE4);

    struct { std::uint16_t charRow; PixelRow levels; } cases[] = {
        {0x001B, {255, 170, 85, 0, 0, 0, 0, 0}},
        {0x5555, {85, 85, 85, 85, 85, 85, 85, 85}},
        {0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}},
        {0xC000, {0, 0, 0, 0, 0, 0, 0, 255}},
        {0x0003, {255, 0, 0, 0, 0, 0, 0, 0}},
        {0x1BE4, {0, 85, 170, 255, 255, 170, 85, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCharRow(c.charRow), c.levels) << std::hex << c.charRow;
        EXPECT_EQ(EncodeCharRow(c.levels.data()), c.charRow);
    }
}

TEST(CharCodec, OddLevelsEncodeAsLowBitsAndDecodeToTableLevels)
{
    const std::uint8_t row[8] = {128, 254, 86, 200, 0, 0, 0, 0};
    const std::uint16_t r = EncodeCharRow(row);
    EXPECT_EQ(DecodeCharRow(r), (PixelRow{0, 170, 170, 0, 0, 0, 0, 0}));
}

TEST(CharCodec, RowOrdersOfTheSameBytes)
{
    std::uint8_t bytes[16] = {0x55, 0x55};
    const TileBuffer console = DecodeChar(bytes, ConsoleOrder);
    const TileBuffer sheet = DecodeChar(bytes, SheetOrder);
    for (int i = 0; i < 64; ++i) {
        // Console order: first char row is the top row (buffer row 7).
        EXPECT_EQ(console[i], i >= 56 ? 85 : 0) << i;
        // Sheet order: first char row is the bottom row (buffer row 0).
        EXPECT_EQ(sheet[i], i < 8 ? 85 : 0) << i;
    }
}

TEST(CharCodec, DecodeGivesOnlyTableLevels)
{
    std::uint8_t bytes[16];
    for (int seed = 0; seed < 64; ++seed) {
        for (int i = 0; i < 16; ++i)
            bytes[i] = std::uint8_t(seed * 37 + i * 101);
        for (RowOrder order : {ConsoleOrder, SheetOrder}) {
            const TileBuffer t = DecodeChar(bytes, order);
            EXPECT_TRUE(std::all_of(t.begin(), t.end(), [](std::uint8_t v) {
                return v == 0 || v == 85 || v == 170 || v == 255;
            }));
        }
    }
}

TEST(CharCodec, EncodeDecodeRoundTripInSheetOrder)
{
    TileBuffer t;
    for (int i = 0; i < 64; ++i)
        t[i] = LevelFromIndex((i * 5 + i / 8) & 3);
    const CharBytes b = EncodeCharBytes(t);
    EXPECT_EQ(DecodeChar(b.data(), SheetOrder), t);

    // The same bytes in console order give the tile upside down.
    const TileBuffer flipped = DecodeChar(b.data(), ConsoleOrder);
    for (int k = 0; k < 8; ++k)
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(flipped[8 * k + i], t[8 * (7 - k) + i]);
}

TEST(CharCodec, EncodedBytesAreLowByteFirstBottomRowFirst)
{
    TileBuffer t{};
    const std::uint8_t row[8] = {0, 85, 170, 255, 255, 170, 85, 0};
    std::copy(row, row + 8, t.begin());  // bottom row
    std::fill(t.begin() + 56, t.end(), 85);  // top row
    const CharRows rows = EncodeChar(t);
    EXPECT_EQ(rows[0], 0x1BE4);
    EXPECT_EQ(rows[7], 0x5555);
    const CharBytes b = EncodeCharBytes(t);
    EXPECT_EQ(b[0], 0xE4);
    EXPECT_EQ(b[1], 0x1B);
    EXPECT_EQ(b[14], 0x55);
    EXPECT_EQ(b[15], 0x55);
}
