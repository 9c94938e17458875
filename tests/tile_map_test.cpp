#include "tiles/TileMap.h"

#include <gtest/gtest.h>

#include <array>

TEST(TileMap, CellsAlikeInTheirTopHalfStayApartAndAreFoundAgain)
{
    // Two map rows of the same 1500 cells, which differ in their bottom
    // char row only: the second row uses the first row's chars.
    constexpr std::uint32_t n = 1500;
    PackedPicture picture{.cellsWide = n, .height = 16, .rows = std::vector<std::uint16_t>(16 * n, 0)};
    for (std::uint32_t x = 0; x < n; ++x) {
        picture.rows[7 * n + x] = std::uint16_t(x + 1);
        picture.rows[15 * n + x] = std::uint16_t(x + 1);
    }
    const TileMap map = BuildTileMap(picture, {.flips = false});
    ASSERT_EQ(map.chars.size(), n);
    for (std::uint32_t x = 0; x < n; ++x) {
        ASSERT_EQ(map.chars[x], (ConsoleChar{0, 0, 0, 0, 0, 0, 0, std::uint16_t(x + 1)})) << x;
        ASSERT_EQ(map.cells[x], x) << x;
        ASSERT_EQ(map.cells[n + x], x) << x;
    }
}

TEST(TileMap, CellsWhoseCharIsNotThereDrawBlank)
{
    // Char numbers start at 5; the one char's top row shows four levels.
    const TileMap map{.chars = {ConsoleChar{0xe4e4}}, .cellsWide = 4, .cellsHigh = 1, .stride = 4,
                      .cells = {5, 6, 4, 5 | kCellHFlip}};
    std::array<std::uint8_t, 32> levels{};
    levels.fill(7);
    DrawMapRow(map, 5, 0, levels.data());
    const std::array<std::uint8_t, 32> expected = {0,   85,  170, 255, 0,   85,  170, 255,  // char 5
                                                   0,   0,   0,   0,   0,   0,   0,   0,    // 6: none
                                                   0,   0,   0,   0,   0,   0,   0,   0,    // below 5
                                                   255, 170, 85,  0,   255, 170, 85,  0};  // mirrored
    EXPECT_EQ(levels, expected);
}
