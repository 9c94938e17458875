#pragma once

// formats/: the file codecs (tileset file, ROM image, ASM char map, DIB,
// safe file writer) on FILE* streams and bytes. Plain C++, no Qt; uses only
// tiles/. With tiles/ it is the core that the converter and the fuzz targets
// link on their own.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tiles/CharCodec.h"
#include "tiles/TileSheet.h"

// Pieces shared by the file codecs that move chars between a stream and the
// tile sheet.

// How many chars a file operation handles for a requested number: the low
// 16 bits of the number, never more than the sheet's 256 tiles. So 0 and
// 65536 handle none, 300 and -1 (0xFFFF) all 256.
constexpr int CharsToHandle(int nChars)
{
    return std::min(int(std::uint16_t(nChars)), kTileCount);
}

// Tile number n is the tile in column n % 16, row n / 16 (rows from the top).
constexpr int TileCol(int n) { return n % kSheetTiles; }
constexpr int TileRow(int n) { return n / kSheetTiles; }

// Reads n chars of 16 bytes from the stream's position on, one read per char,
// and puts them into tiles 0, 1, ... Chars beyond the 256th have no tile and
// are not read. Returns `error` when fewer than 16 bytes are left for a char,
// keeping the chars before it; else "".
std::string ReadCharsIntoSheet(FILE* f, CTileSheet& sheet, int n, RowOrder order,
                               const char* error);

// Appends the rest of the stream to `bytes` while `bytes` then holds no more
// than `most` bytes; false as soon as it would hold more. A read error ends
// it as the end of the stream does (ferror tells them apart).
bool ReadRest(FILE* f, std::size_t most, std::vector<std::uint8_t>& bytes);
