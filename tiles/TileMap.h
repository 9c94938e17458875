#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
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
constexpr std::uint32_t kBgMapCells = kSegmentCells * kSegmentCells;  // 8 KiB
constexpr std::uint32_t kBgMapCount = 14;    // BGMaps 0 to 13 in BGMap memory
constexpr std::uint32_t kWorldBgMaps = 8;    // BGMaps one world shows at most
constexpr std::uint32_t kCharSegment = 512;  // chars per segment of char memory

struct TileMapOptions
{
    bool flips = true;     // a cell may use an earlier char mirrored
    bool dedupe = true;    // false: every cell a char of its own
    unsigned base = 0;     // the first char's number
    unsigned palette = 0;  // 0 to 3
    bool segment = false;  // the map as a grid of whole BGMaps
};

// The BGMaps a world shows as one picture: 1, 2, 4 or 8 across by 1, 2, 4
// or 8 down, at most kWorldBgMaps in all.
struct BgMapGrid
{
    std::uint32_t wide = 1;
    std::uint32_t high = 1;

    std::uint32_t Count() const { return wide * high; }
};

// The smallest grid of BGMaps that holds cellsWide x cellsHigh cells; false
// when one world cannot show that many.
bool GridFor(std::uint32_t cellsWide, std::uint32_t cellsHigh, BgMapGrid& grid);

struct TileMap
{
    std::vector<ConsoleChar> chars;  // numbered in order of first appearance
    std::uint32_t cellsWide = 0;
    std::uint32_t cellsHigh = 0;
    std::uint32_t stride = 0;        // cells stored per map row
    std::vector<std::uint16_t> cells;  // stride * cellsHigh, row by row
    // A segment map: BGMaps across, each BGMap 64 x 64 cells row by row,
    // the BGMaps in row-major order of their grid; 0 for plain rows.
    std::uint32_t gridWide = 0;

    // Where cell (cx, cy) is in `cells`.
    std::size_t CellIndex(std::uint32_t cx, std::uint32_t cy) const
    {
        if (gridWide == 0)
            return std::size_t(cy) * stride + cx;
        const std::size_t bgmap = std::size_t(cy / kSegmentCells) * gridWide + cx / kSegmentCells;
        return bgmap * kBgMapCells + (cy % kSegmentCells) * kSegmentCells + cx % kSegmentCells;
    }
};

class CFormTable;

// Chars shared by several pictures: each picture cut in turn finds the
// chars of the pictures before it and of the seed, and adds its new ones
// after them.
class CCharSet
{
public:
    explicit CCharSet(const TileMapOptions& options);
    ~CCharSet();
    CCharSet(const CCharSet&) = delete;
    CCharSet& operator=(const CCharSet&) = delete;

    // Chars that come first, at their numbers, whatever the pictures hold;
    // cells equal to one of them (with the allowed flips) use it.
    void Seed(const std::vector<ConsoleChar>& chars);

    // Cuts the picture into `map` (its cells; the chars stay in the set).
    // Stops at the first cell whose new char would make the set larger than
    // `limit` chars: false then, with that cell's column and row in stopAt.
    bool Cut(const PackedPicture& picture, std::size_t limit, TileMap& map,
             std::array<std::uint32_t, 2>& stopAt);

    const std::vector<ConsoleChar>& Chars() const { return m_chars; }
    std::vector<ConsoleChar> TakeChars() { return std::move(m_chars); }

private:
    void Add(std::uint64_t top, std::uint64_t bottom);

    TileMapOptions m_options;
    std::vector<ConsoleChar> m_chars;
    std::unique_ptr<CFormTable> m_forms;
};

// The 16 halfwords of a world attribute entry that shows a segment map of
// `grid` from BGMap `bgmapBase` on, width x height pixels, in both eyes,
// as a normal BG world.
std::array<std::uint16_t, 16> WorldEntry(const BgMapGrid& grid, std::uint32_t bgmapBase,
                                         std::uint32_t width, std::uint32_t height);

// Cuts the picture (height a multiple of 8) into cells, left to right, top
// to bottom. A cell equal to an earlier char, or with flips to one mirrored
// horizontally, vertically or both, uses that char with the matching flip
// bits, preferred in that order; any other cell becomes the next char.
// Char numbers in the cells are base + n, kept to their 11 bits: a map of
// more than kMapCharLimit - base chars is the caller's to refuse. With
// `segment` the cells fill the grid of BGMaps that GridFor gives (the
// caller checks that a world shows it), the cells past the picture 0.
TileMap BuildTileMap(const PackedPicture& picture, const TileMapOptions& options);

// Pixel row y of the picture that the map's cells and chars show, as pixel
// levels: cellsWide * 8 of them into `levels`. Cells whose char number
// lies outside the chars, and cells past the end of `cells`, show level 0.
void DrawMapRow(const TileMap& map, unsigned base, std::uint32_t y, std::uint8_t* levels);
