#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tiles/CharCodec.h"

// Background maps: a picture cut into 8 x 8 cells, each distinct cell kept
// once as a char, and the console's BGMap cells that place the chars.

// A picture as char rows: pixel row y holds `cellsWide` char rows, one per
// 8 pixels, left to right; pixel rows top first.
struct PackedPicture
{
    std::uint32_t cellsWide = 0;
    std::uint32_t height = 0;  // in pixels
    std::vector<std::uint16_t> rows;  // height * cellsWide

    std::uint32_t Width() const { return cellsWide * kTilePixels; }
};

// A char as eight char rows in console row order: row 0 the top row.
using ConsoleChar = std::array<std::uint16_t, kTilePixels>;

// BGMap cell: bits 0-10 the char number, bit 11 zero, bit 12 vertical flip,
// bit 13 horizontal flip, bits 14-15 the palette.
constexpr std::uint16_t kCellCharMask = 0x07FF;
constexpr std::uint16_t kCellVFlip = 1u << 12;
constexpr std::uint16_t kCellHFlip = 1u << 13;
constexpr int kCellPaletteShift = 14;
constexpr int kMapCharLimit = 2048;   // char numbers 0 to 2047
constexpr int kSegmentCells = 64;     // a BGMap segment: 64 x 64 cells

struct TileMapOptions
{
    bool flips = true;     // a cell may use an earlier char mirrored
    bool dedupe = true;    // false: every cell a char of its own
    unsigned base = 0;     // the first char's number
    unsigned palette = 0;  // 0 to 3
    bool segment = false;  // rows padded to 64 cells
};

struct TileMap
{
    std::vector<ConsoleChar> chars;  // numbered in order of first appearance
    std::uint32_t cellsWide = 0;
    std::uint32_t cellsHigh = 0;
    std::uint32_t stride = 0;        // cells stored per map row
    std::vector<std::uint16_t> cells;  // stride * cellsHigh, row by row
};

// Cuts the picture (height a multiple of 8) into cells, left to right, top
// to bottom. A cell equal to an earlier char, or with flips to one mirrored
// horizontally, vertically or both, uses that char with the matching flip
// bits, preferred in that order; any other cell becomes the next char.
// Char numbers in the cells are base + n, kept to their 11 bits: a map of
// more than kMapCharLimit - base chars is the caller's to refuse. Padding
// cells of a segment are 0.
TileMap BuildTileMap(const PackedPicture& picture, const TileMapOptions& options);

// Pixel row y of the picture that the map's cells and chars show, as pixel
// levels: cellsWide * 8 of them into `levels`. Cells whose char number
// lies outside the chars show level 0.
void DrawMapRow(const TileMap& map, unsigned base, std::uint32_t y, std::uint8_t* levels);
