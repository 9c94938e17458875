#include "formats/CharStream.h"

std::string ReadCharsIntoSheet(FILE* f, CTileSheet& sheet, int n, RowOrder order,
                               const char* error)
{
    n = std::min(n, kTileCount);
    for (int i = 0; i < n; ++i) {
        CharBytes bytes;
        if (std::fread(bytes.data(), bytes.size(), 1, f) != 1)
            return error;
        sheet.PutTile(DecodeChar(bytes.data(), order), TileCol(i), TileRow(i));
    }
    return {};
}

bool ReadRest(FILE* f, std::size_t most, std::vector<std::uint8_t>& bytes)
{
    std::uint8_t chunk[16384];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (bytes.size() + got > most)
            return false;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return true;
}
