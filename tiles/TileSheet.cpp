#include "TileSheet.h"

#include <algorithm>
#include <cstring>

namespace {

bool ValidTile(int col, int row)
{
    return col >= 0 && col < kSheetTiles && row >= 0 && row < kSheetTiles;
}

}  // namespace

CTileSheet::CTileSheet()
    : m_nSelCol(0), m_nSelRow(0)
{
    Clear();
}

void CTileSheet::Clear()
{
    m_pixels.fill(0);
}

int CTileSheet::PixelIndex(int col, int row, int bufferByte)
{
    const int k = bufferByte / kTilePixels;
    const int i = bufferByte % kTilePixels;
    return kSheetPixels * (120 - kTilePixels * row + k) + kTilePixels * col + i;
}

TileBuffer& CTileSheet::GetTile(TileBuffer& dest, int col, int row) const
{
    if (!ValidTile(col, row))
        return dest;
    for (int k = 0; k < kTilePixels; ++k)
        std::memcpy(&dest[kTilePixels * k], &m_pixels[PixelIndex(col, row, kTilePixels * k)],
                    kTilePixels);
    return dest;
}

void CTileSheet::PutTile(const TileBuffer& src, int col, int row)
{
    if (!ValidTile(col, row))
        return;
    for (int k = 0; k < kTilePixels; ++k)
        std::memcpy(&m_pixels[PixelIndex(col, row, kTilePixels * k)], &src[kTilePixels * k],
                    kTilePixels);
}

TileBuffer& CTileSheet::GetSelectedTile(TileBuffer& dest) const
{
    return GetTile(dest, m_nSelCol, m_nSelRow);
}

void CTileSheet::PutSelectedTile(const TileBuffer& src)
{
    PutTile(src, m_nSelCol, m_nSelRow);
}

void CTileSheet::Select(int col, int row)
{
    m_nSelCol = std::clamp(col, 0, kSheetTiles - 1);
    m_nSelRow = std::clamp(row, 0, kSheetTiles - 1);
}
