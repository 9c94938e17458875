#pragma once

#include <array>
#include <cstdint>

#include "ByteOrder.h"
#include "TileSheet.h"

// The console's char form of a tile: 8 char rows of 16 bits, 2 bits per pixel
// with the leftmost pixel in the two lowest bits; 16 bytes, each char row
// stored low byte first.

// Order of the eight char rows in 16 stored bytes.
enum RowOrder
{
    ConsoleOrder,  // char row 0 is the tile's top row (ROM images)
    SheetOrder,    // char row 0 is the tile's bottom row (native file, ASM char map)
};

constexpr int kCharBytes = 16;

using CharBytes = std::array<std::uint8_t, kCharBytes>;
using CharRows = std::array<std::uint16_t, kTilePixels>;
using PixelRow = std::array<std::uint8_t, kTilePixels>;

// Colour index 0..3 to pixel level 0, 85, 170, 255 (only the two low bits of
// the index count).
std::uint8_t LevelFromIndex(int index);
// Pixel level to colour index: the level's two low bits.
int IndexFromLevel(std::uint8_t level);

PixelRow DecodeCharRow(std::uint16_t charRow);
std::uint16_t EncodeCharRow(const std::uint8_t* levels);  // 8 levels, left pixel first

// Mirrors left to right each char row held in a 16-bit lane of `lanes`
// (four char rows in one 64-bit value, or one in its low 16 bits).
constexpr std::uint64_t MirrorCharRowLanes(std::uint64_t lanes)
{
    constexpr std::uint64_t k2 = 0x3333333333333333u, k4 = 0x0F0F0F0F0F0F0F0Fu,
                            k8 = 0x00FF00FF00FF00FFu;
    lanes = ((lanes >> 2) & k2) | ((lanes & k2) << 2);
    lanes = ((lanes >> 4) & k4) | ((lanes & k4) << 4);
    return ((lanes >> 8) & k8) | ((lanes & k8) << 8);
}
constexpr std::uint16_t MirrorCharRow(std::uint16_t charRow)
{
    return std::uint16_t(MirrorCharRowLanes(charRow));
}

TileBuffer DecodeChar(const std::uint8_t* bytes, RowOrder order);  // 16 bytes
CharRows EncodeChar(const TileBuffer& tile);  // sheet row order
// The 16 bytes of a char in sheet row order, each char row low byte first.
CharBytes EncodeCharBytes(const TileBuffer& tile);
