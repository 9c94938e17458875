#include "formats/AsmCharMap.h"

#include "formats/CharStream.h"
#include "tiles/CharCodec.h"

std::string WriteAsmCharMap(FILE* f, const CTileSheet& sheet, int nChars)
{
    if (std::fprintf(f, ";Char Map\n") < 0)
        return kAsmWriteHeaderError;

    const int n = CharsToHandle(nChars);
    for (int i = 0; i < n; ++i) {
        TileBuffer tile{};
        const CharRows r = EncodeChar(sheet.GetTile(tile, TileCol(i), TileRow(i)));
        if (std::fprintf(f,
                         "dh. 0x%04x,0x%04x,0x%04x,0x%04x,0x%04x,0x%04x,0x%04x,0x%04x ; Char%d\n",
                         unsigned(r[0]), unsigned(r[1]), unsigned(r[2]), unsigned(r[3]),
                         unsigned(r[4]), unsigned(r[5]), unsigned(r[6]), unsigned(r[7]), i) < 0)
            return kAsmWriteLineError;
    }
    return {};
}
