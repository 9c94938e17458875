#pragma once

// tiles/: the tile sheet and the console's char encoding. Plain C++ with the
// standard library only; uses no other folder.

#include <array>
#include <cstdint>

// Tile geometry of the sheet: 128 x 128 pixels cut into 16 x 16 tiles of 8 x 8.
constexpr int kSheetPixels = 128;
constexpr int kSheetTiles = 16;
constexpr int kTileCount = kSheetTiles * kSheetTiles;  // 256
constexpr int kTilePixels = 8;
constexpr int kTileBytes = kTilePixels * kTilePixels;  // 64
constexpr int kSheetBytes = kSheetPixels * kSheetPixels;  // 16384

// One tile as 8 buffer rows of 8 pixel levels. Buffer row 0 is the BOTTOM
// displayed row of the tile and row 7 its top row; byte 8*k + i is column i
// (0 = left) of buffer row k.
using TileBuffer = std::array<std::uint8_t, kTileBytes>;

// The four pixel levels that the editor and the readers write.
constexpr std::uint8_t kLevelBlack = 0;
constexpr std::uint8_t kLevelLowRed = 85;
constexpr std::uint8_t kLevelMedRed = 170;
constexpr std::uint8_t kLevelHiRed = 255;

// Red ramp palette: entry v is red v, green 0, blue 0. As 0xAARRGGBB (the
// layout of a QRgb) with full alpha.
constexpr std::uint32_t RedRampArgb(std::uint8_t v)
{
    return 0xFF000000u | (std::uint32_t(v) << 16);
}

// The tileset: the pixel array in the row order of a bottom-up 8-bit DIB
// (storage row 0 is the bottom displayed row) and the selected tile.
class CTileSheet
{
public:
    CTileSheet();

    // All 16384 pixels to level 0; the selection stays.
    void Clear();

    // Tile (col, row), row 0 at the top of the displayed sheet. Positions
    // outside 0..15 are ignored (GetTile then leaves dest untouched).
    TileBuffer& GetTile(TileBuffer& dest, int col, int row) const;
    void PutTile(const TileBuffer& src, int col, int row);

    TileBuffer& GetSelectedTile(TileBuffer& dest) const;
    void PutSelectedTile(const TileBuffer& src);

    // The whole pixel array in storage order (bottom row first).
    std::uint8_t* GetPixels() { return m_pixels.data(); }
    const std::uint8_t* GetPixels() const { return m_pixels.data(); }

    int SelCol() const { return m_nSelCol; }
    int SelRow() const { return m_nSelRow; }
    // Values outside 0..15 are clamped, so the selection always names a tile.
    void Select(int col, int row);

    // Index in the pixel array of byte k of tile (col, row)'s buffer.
    static int PixelIndex(int col, int row, int bufferByte);

private:
    std::array<std::uint8_t, kSheetBytes> m_pixels;
    int m_nSelCol;
    int m_nSelRow;
};
