#include "formats/AsmCharMap.h"

#include "formats/CharStream.h"
#include "formats/HalfwordArray.h"
#include "tiles/CharCodec.h"

std::string WriteAsmCharMap(FILE* f, const CTileSheet& sheet, int nChars)
{
    // ferror too: MinGW's fprintf counts what it formatted, written or not.
    if (std::fprintf(f, ";Char Map\n") < 0 || std::ferror(f))
        return kAsmWriteHeaderError;

    const int n = CharsToHandle(nChars);
    for (int i = 0; i < n; ++i) {
        TileBuffer tile{};
        const CharRows r = EncodeChar(sheet.GetTile(tile, TileCol(i), TileRow(i)));
        if (!WriteAsmHalfwordLine(f, r.data(), r.size(), "Char", unsigned(i)))
            return kAsmWriteLineError;
    }
    return {};
}
