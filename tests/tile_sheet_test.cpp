#include "tiles/TileSheet.h"

#include "support/TestTiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TileBuffer Numbered()
{
    TileBuffer t;
    for (int i = 0; i < kTileBytes; ++i)
        t[i] = std::uint8_t(i + 1);
    return t;
}

}  // namespace

TEST(TileSheet, NewSheetIsBlackWithTopLeftSelected)
{
    CTileSheet sheet;
    EXPECT_TRUE(std::all_of(sheet.GetPixels(), sheet.GetPixels() + kSheetBytes,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(sheet.SelCol(), 0);
    EXPECT_EQ(sheet.SelRow(), 0);
    TileBuffer t = Filled(7);
    EXPECT_EQ(sheet.GetTile(t, 9, 4), Filled(0));
}

struct WorkedPosition
{
    int col, row, bufferByte, pixelIndex;
};

class TileSheetPositions : public ::testing::TestWithParam<WorkedPosition>
{
};

TEST_P(TileSheetPositions, BufferByteLandsAtPixelIndex)
{
    const WorkedPosition p = GetParam();
    EXPECT_EQ(CTileSheet::PixelIndex(p.col, p.row, p.bufferByte), p.pixelIndex);

    // PutTile must write exactly there, and GetTile must read it back.
    CTileSheet sheet;
    TileBuffer t = Filled(0);
    t[p.bufferByte] = 255;
    sheet.PutTile(t, p.col, p.row);
    for (int i = 0; i < kSheetBytes; ++i)
        ASSERT_EQ(sheet.GetPixels()[i], i == p.pixelIndex ? 255 : 0) << "pixel " << i;
    TileBuffer back = Filled(9);
    EXPECT_EQ(sheet.GetTile(back, p.col, p.row), t);
}

INSTANTIATE_TEST_SUITE_P(WorkedTable, TileSheetPositions,
                         ::testing::Values(WorkedPosition{0, 0, 0, 15360},
                                           WorkedPosition{0, 0, 7, 15367},
                                           WorkedPosition{0, 0, 63, 16263},
                                           WorkedPosition{1, 0, 0, 15368},
                                           WorkedPosition{0, 1, 0, 14336},
                                           WorkedPosition{15, 15, 0, 120},
                                           WorkedPosition{15, 15, 63, 1023}));

TEST(TileSheet, PutThenGetRoundTripsAndLeavesOtherPixels)
{
    CTileSheet sheet;
    std::uint8_t* px = sheet.GetPixels();
    for (int i = 0; i < kSheetBytes; ++i)
        px[i] = std::uint8_t(i * 7 + 3);
    const std::vector<std::uint8_t> before(px, px + kSheetBytes);

    const TileBuffer t = Numbered();
    sheet.PutTile(t, 6, 11);
    TileBuffer back{};
    EXPECT_EQ(sheet.GetTile(back, 6, 11), t);

    int changed = 0;
    for (int i = 0; i < kSheetBytes; ++i)
        if (px[i] != before[i])
            ++changed;
    // Only the 64 pixels of that tile may differ.
    EXPECT_LE(changed, kTileBytes);
    for (int k = 0; k < kTileBytes; ++k)
        EXPECT_EQ(px[CTileSheet::PixelIndex(6, 11, k)], t[k]);
}

TEST(TileSheet, TopBufferRowLightsTopDisplayedRow)
{
    CTileSheet sheet;
    TileBuffer t = Filled(0);
    std::fill(t.begin() + 56, t.end(), 255);
    sheet.PutTile(t, 0, 0);
    for (int i = 16256; i <= 16263; ++i)
        EXPECT_EQ(sheet.GetPixels()[i], 255);
    EXPECT_EQ(std::count(sheet.GetPixels(), sheet.GetPixels() + kSheetBytes, 255), 8);
}

TEST(TileSheet, ClearKeepsSelection)
{
    CTileSheet sheet;
    sheet.Select(5, 9);
    sheet.PutSelectedTile(Filled(170));
    sheet.Clear();
    EXPECT_EQ(sheet.SelCol(), 5);
    EXPECT_EQ(sheet.SelRow(), 9);
    TileBuffer t{};
    EXPECT_EQ(sheet.GetSelectedTile(t), Filled(0));
}

TEST(TileSheet, SelectedTileOperationsUseSelection)
{
    CTileSheet sheet;
    sheet.Select(3, 2);
    sheet.PutSelectedTile(Numbered());
    TileBuffer t{};
    EXPECT_EQ(sheet.GetTile(t, 3, 2), Numbered());
    EXPECT_EQ(sheet.GetTile(t, 0, 0), Filled(0));
}

TEST(TileSheet, OutOfRangePositionsTouchNothing)
{
    CTileSheet sheet;
    const int bad[][2] = {{-1, 0}, {0, -1}, {16, 0}, {0, 16}, {1000, 1000}};
    for (const auto& p : bad) {
        sheet.PutTile(Filled(255), p[0], p[1]);
        TileBuffer t = Filled(9);
        EXPECT_EQ(sheet.GetTile(t, p[0], p[1]), Filled(9));
    }
    EXPECT_EQ(std::count(sheet.GetPixels(), sheet.GetPixels() + kSheetBytes, 0), kSheetBytes);
    sheet.Select(20, -3);
    EXPECT_EQ(sheet.SelCol(), 15);
    EXPECT_EQ(sheet.SelRow(), 0);
}

TEST(TileSheet, AnyByteValueStaysInSheet)
{
    CTileSheet sheet;
    sheet.GetPixels()[100] = 200;
    // Pixel 100 is on the bottom storage row: tile (12, 15), buffer byte 4.
    TileBuffer t{};
    EXPECT_EQ(sheet.GetTile(t, 12, 15)[4], 200);
}

TEST(RedRamp, EntryIsRedOfThatIntensity)
{
    EXPECT_EQ(RedRampArgb(0), 0xFF000000u);
    EXPECT_EQ(RedRampArgb(85), 0xFF550000u);
    EXPECT_EQ(RedRampArgb(255), 0xFFFF0000u);
}
