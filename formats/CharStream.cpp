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
