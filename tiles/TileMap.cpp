#include "tiles/TileMap.h"

#include <algorithm>
#include <utility>

namespace {

// A cell's eight char rows as two 64-bit values, rows 0-3 and rows 4-7,
// row k in bits 16k of its half.
struct Cell
{
    std::uint64_t top = 0;
    std::uint64_t bottom = 0;

    bool operator==(const Cell&) const = default;
};

std::uint64_t ReverseLanes(std::uint64_t v)
{
    v = (v >> 32) | (v << 32);
    constexpr std::uint64_t k16 = 0x0000FFFF0000FFFFu;
    return ((v >> 16) & k16) | ((v & k16) << 16);
}

Cell Mirrored(const Cell& c)
{
    return {MirrorCharRowLanes(c.top), MirrorCharRowLanes(c.bottom)};
}

Cell Upended(const Cell& c)
{
    return {ReverseLanes(c.bottom), ReverseLanes(c.top)};
}

ConsoleChar CharOf(const Cell& c)
{
    ConsoleChar rows{};
    for (int k = 0; k < 4; ++k) {
        rows[k] = std::uint16_t(c.top >> (16 * k));
        rows[4 + k] = std::uint16_t(c.bottom >> (16 * k));
    }
    return rows;
}

}  // namespace

// Every form in which a char may show: the cell it shows -> the char's
// number and the flip bits. Open addressing; grows at half full.
class CFormTable
{
public:
    CFormTable() : m_slots(4096) {}

    // The char and flips stored for the cell, or false.
    bool Find(const Cell& key, std::uint32_t& number, std::uint16_t& flips) const
    {
        for (std::size_t i = Slot(key); m_slots[i].used; i = (i + 1) & (m_slots.size() - 1))
            if (m_slots[i].key == key) {
                number = m_slots[i].number;
                flips = m_slots[i].flips;
                return true;
            }
        return false;
    }

    // Stores the form unless the table holds the cell already.
    void Add(const Cell& key, std::uint32_t number, std::uint16_t flips)
    {
        if (2 * (m_used + 1) > m_slots.size())
            Grow();
        std::size_t i = Slot(key);
        for (; m_slots[i].used; i = (i + 1) & (m_slots.size() - 1))
            if (m_slots[i].key == key)
                return;
        m_slots[i] = {key, number, flips, true};
        ++m_used;
    }

private:
    struct Entry
    {
        Cell key;
        std::uint32_t number = 0;
        std::uint16_t flips = 0;
        bool used = false;
    };

    std::size_t Slot(const Cell& key) const
    {
        const std::uint64_t h = (key.top * 0x9E3779B97F4A7C15u) ^
                                ((key.bottom + 0x632BE59BD9B4E019u) * 0xC2B2AE3D27D4EB4Fu);
        return std::size_t(h ^ (h >> 29)) & (m_slots.size() - 1);
    }

    void Grow()
    {
        std::vector<Entry> old(2 * m_slots.size());
        std::swap(old, m_slots);
        m_used = 0;
        for (const Entry& e : old)
            if (e.used)
                Add(e.key, e.number, e.flips);
    }

    std::vector<Entry> m_slots;
    std::size_t m_used = 0;
};

namespace {

// BGMaps on a side of the grid for that many cells: 1, 2, 4, 8, ...
std::uint32_t GridSide(std::uint32_t cells)
{
    std::uint32_t side = 1;
    while (side * kSegmentCells < cells)
        side *= 2;
    return side;
}

}  // namespace

bool GridFor(std::uint32_t cellsWide, std::uint32_t cellsHigh, BgMapGrid& grid)
{
    // Past 8 BGMaps on a side no world shows the picture: stop counting there.
    const std::uint32_t most = kWorldBgMaps * kSegmentCells;
    grid = {GridSide(std::min(cellsWide, most + 1)), GridSide(std::min(cellsHigh, most + 1))};
    return grid.Count() <= kWorldBgMaps;
}

CCharSet::CCharSet(const TileMapOptions& options)
    : m_options(options), m_forms(std::make_unique<CFormTable>())
{
}

CCharSet::~CCharSet() = default;

// Each new char enters the table in its forms in order of preference, so a
// cell finds the preferred one with one look-up and no flipping of its own.
void CCharSet::Add(std::uint64_t top, std::uint64_t bottom)
{
    const Cell cell{top, bottom};
    const auto number = std::uint32_t(m_chars.size());
    m_chars.push_back(CharOf(cell));
    if (!m_options.dedupe)
        return;
    m_forms->Add(cell, number, 0);
    if (m_options.flips) {
        const Cell upended = Upended(cell);
        m_forms->Add(Mirrored(cell), number, kCellHFlip);
        m_forms->Add(upended, number, kCellVFlip);
        m_forms->Add(Mirrored(upended), number, kCellHFlip | kCellVFlip);
    }
}

void CCharSet::Seed(const std::vector<ConsoleChar>& chars)
{
    for (const ConsoleChar& c : chars) {
        Cell cell;
        for (int k = 0; k < 4; ++k) {
            cell.top |= std::uint64_t(c[k]) << (16 * k);
            cell.bottom |= std::uint64_t(c[4 + k]) << (16 * k);
        }
        Add(cell.top, cell.bottom);
    }
}

bool CCharSet::Cut(const PackedPicture& picture, std::size_t limit, TileMap& map,
                   std::array<std::uint32_t, 2>& stopAt)
{
    map.cellsWide = picture.cellsWide;
    map.cellsHigh = picture.height / kTilePixels;
    map.stride = map.cellsWide;
    map.gridWide = 0;
    std::size_t size = std::size_t(map.stride) * map.cellsHigh;
    if (m_options.segment) {
        BgMapGrid grid;
        GridFor(map.cellsWide, map.cellsHigh, grid);
        map.stride = kSegmentCells;
        map.gridWide = grid.wide;
        size = std::size_t(grid.Count()) * kBgMapCells;
    }
    map.cells.assign(size, 0);
    const auto palette = std::uint16_t((m_options.palette & 3) << kCellPaletteShift);

    const std::uint32_t cw = picture.cellsWide;
    for (std::uint32_t cy = 0; cy < map.cellsHigh; ++cy) {
        const std::uint16_t* band = picture.rows.data() + std::size_t(cy) * kTilePixels * cw;
        for (std::uint32_t cx = 0; cx < cw; ++cx) {
            Cell cell;
            for (int k = 0; k < 4; ++k) {
                cell.top |= std::uint64_t(band[k * cw + cx]) << (16 * k);
                cell.bottom |= std::uint64_t(band[(4 + k) * cw + cx]) << (16 * k);
            }
            std::uint32_t number = 0;
            std::uint16_t flips = 0;
            if (!m_options.dedupe || !m_forms->Find(cell, number, flips)) {
                if (m_chars.size() >= limit) {
                    stopAt = {cx, cy};
                    return false;
                }
                number = std::uint32_t(m_chars.size());
                Add(cell.top, cell.bottom);
            }
            map.cells[map.CellIndex(cx, cy)] =
                std::uint16_t(((number + m_options.base) & kCellCharMask) | flips | palette);
        }
    }
    return true;
}

TileMap BuildTileMap(const PackedPicture& picture, const TileMapOptions& options)
{
    CCharSet set(options);
    TileMap map;
    std::array<std::uint32_t, 2> stopAt{};
    set.Cut(picture, std::size_t(-1), map, stopAt);
    map.chars = set.TakeChars();
    return map;
}

std::array<std::uint16_t, 16> WorldEntry(const BgMapGrid& grid, std::uint32_t bgmapBase,
                                         std::uint32_t width, std::uint32_t height)
{
    // Word 0: LON 15, RON 14, BGM 13-12 (0: normal), SCX 11-10 and SCY 9-8
    // (log2 of the BGMaps across and down), OVR 7, END 6, BGMAP_BASE 3-0.
    constexpr std::uint16_t kLon = 1u << 15, kRon = 1u << 14;
    constexpr int kScxShift = 10, kScyShift = 8;
    constexpr std::uint16_t kBgmapBaseMask = 0x000F;
    // Words 1-6 GX, GP, GY, MX, MP, MY; 7 W and 8 H, each the size less one.
    constexpr int kW = 7, kH = 8;
    const auto log2 = [](std::uint32_t n) {
        int l = 0;
        while ((1u << l) < n)
            ++l;
        return l;
    };
    std::array<std::uint16_t, 16> entry{};
    entry[0] = std::uint16_t(kLon | kRon | (log2(grid.wide) << kScxShift) |
                             (log2(grid.high) << kScyShift) | (bgmapBase & kBgmapBaseMask));
    entry[kW] = std::uint16_t(width - 1);
    entry[kH] = std::uint16_t(height - 1);
    return entry;
}

void DrawMapRow(const TileMap& map, unsigned base, std::uint32_t y, std::uint8_t* levels)
{
    for (std::uint32_t cx = 0; cx < map.cellsWide; ++cx, levels += kTilePixels) {
        // Cells past the end of the map (its last row cut short) are blank.
        const std::size_t at = map.CellIndex(cx, y / kTilePixels);
        const std::uint16_t cell = at < map.cells.size() ? map.cells[at] : 0;
        const unsigned number = ((cell & kCellCharMask) - base) & kCellCharMask;
        const unsigned k = (cell & kCellVFlip) ? kTilePixels - 1 - y % kTilePixels : y % kTilePixels;
        std::uint16_t row = at < map.cells.size() && number < map.chars.size() ? map.chars[number][k] : 0;
        if (cell & kCellHFlip)
            row = MirrorCharRow(row);
        const PixelRow pixels = DecodeCharRow(row);
        std::copy(pixels.begin(), pixels.end(), levels);
    }
}
