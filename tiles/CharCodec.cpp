#include "CharCodec.h"

std::uint8_t LevelFromIndex(int index)
{
    static constexpr std::uint8_t kLevels[4] = {kLevelBlack, kLevelLowRed, kLevelMedRed,
                                                kLevelHiRed};
    return kLevels[index & 3];
}

int IndexFromLevel(std::uint8_t level)
{
    return level & 3;
}

PixelRow DecodeCharRow(std::uint16_t charRow)
{
    PixelRow row{};
    for (int x = 0; x < kTilePixels; ++x)
        row[x] = LevelFromIndex((charRow >> (2 * x)) & 3);
    return row;
}

std::uint16_t EncodeCharRow(const std::uint8_t* levels)
{
    unsigned r = 0;
    for (int x = 0; x < kTilePixels; ++x)
        r |= unsigned(IndexFromLevel(levels[x])) << (2 * x);
    return std::uint16_t(r);
}

TileBuffer DecodeChar(const std::uint8_t* bytes, RowOrder order)
{
    TileBuffer tile{};
    for (int k = 0; k < kTilePixels; ++k) {
        const std::uint16_t charRow = GetU16(bytes + 2 * k);
        const int bufferRow = order == SheetOrder ? k : kTilePixels - 1 - k;
        const PixelRow row = DecodeCharRow(charRow);
        for (int i = 0; i < kTilePixels; ++i)
            tile[kTilePixels * bufferRow + i] = row[i];
    }
    return tile;
}

CharRows EncodeChar(const TileBuffer& tile)
{
    CharRows rows{};
    for (int k = 0; k < kTilePixels; ++k)
        rows[k] = EncodeCharRow(&tile[kTilePixels * k]);
    return rows;
}

CharBytes EncodeCharBytes(const TileBuffer& tile)
{
    const CharRows rows = EncodeChar(tile);
    CharBytes bytes{};
    for (int k = 0; k < kTilePixels; ++k) {
        SetU16(&bytes[2 * k], rows[k]);
    }
    return bytes;
}
