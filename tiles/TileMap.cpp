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

}  // namespace

// Each new char enters the table in its forms in order of preference, so a
// cell finds the preferred one with one look-up and no flipping of its own.
TileMap BuildTileMap(const PackedPicture& picture, const TileMapOptions& options)
{
    TileMap map;
    map.cellsWide = picture.cellsWide;
    map.cellsHigh = picture.height / kTilePixels;
    map.stride = options.segment ? std::max<std::uint32_t>(kSegmentCells, map.cellsWide)
                                 : map.cellsWide;
    map.cells.assign(std::size_t(map.stride) * map.cellsHigh, 0);
    const auto palette = std::uint16_t((options.palette & 3) << kCellPaletteShift);

    CFormTable forms;
    const std::uint32_t cw = picture.cellsWide;
    for (std::uint32_t cy = 0; cy < map.cellsHigh; ++cy) {
        const std::uint16_t* band = picture.rows.data() + std::size_t(cy) * kTilePixels * cw;
        std::uint16_t* out = map.cells.data() + std::size_t(cy) * map.stride;
        for (std::uint32_t cx = 0; cx < cw; ++cx) {
            Cell cell;
            for (int k = 0; k < 4; ++k) {
                cell.top |= std::uint64_t(band[k * cw + cx]) << (16 * k);
                cell.bottom |= std::uint64_t(band[(4 + k) * cw + cx]) << (16 * k);
            }
            std::uint32_t number = 0;
            std::uint16_t flips = 0;
            if (!options.dedupe || !forms.Find(cell, number, flips)) {
                number = std::uint32_t(map.chars.size());
                map.chars.push_back(CharOf(cell));
                if (options.dedupe) {
                    forms.Add(cell, number, 0);
                    if (options.flips) {
                        const Cell upended = Upended(cell);
                        forms.Add(Mirrored(cell), number, kCellHFlip);
                        forms.Add(upended, number, kCellVFlip);
                        forms.Add(Mirrored(upended), number, kCellHFlip | kCellVFlip);
                    }
                }
            }
            out[cx] = std::uint16_t(((number + options.base) & kCellCharMask) | flips | palette);
        }
    }
    return map;
}

void DrawMapRow(const TileMap& map, unsigned base, std::uint32_t y, std::uint8_t* levels)
{
    const std::uint16_t* cells = map.cells.data() + std::size_t(y / kTilePixels) * map.stride;
    for (std::uint32_t cx = 0; cx < map.cellsWide; ++cx, levels += kTilePixels) {
        const std::uint16_t cell = cells[cx];
        const unsigned number = ((cell & kCellCharMask) - base) & kCellCharMask;
        const unsigned k = (cell & kCellVFlip) ? kTilePixels - 1 - y % kTilePixels : y % kTilePixels;
        std::uint16_t row = number < map.chars.size() ? map.chars[number][k] : 0;
        if (cell & kCellHFlip)
            row = MirrorCharRow(row);
        const PixelRow pixels = DecodeCharRow(row);
        std::copy(pixels.begin(), pixels.end(), levels);
    }
}
