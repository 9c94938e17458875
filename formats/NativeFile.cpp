#include "formats/NativeFile.h"

#include <cstdint>

#include "formats/CharStream.h"
#include "tiles/ByteOrder.h"

std::string ReadNativeFile(FILE* f, CTileSheet& sheet)
{
    std::uint8_t countBytes[2];
    if (std::fread(countBytes, sizeof countBytes, 1, f) != 1)
        return kNativeReadCountError;
    const int count = GetU16(countBytes);

    // A damaged or foreign file may count more than 256 chars: the first 256
    // are loaded and the rest left unread.
    return ReadCharsIntoSheet(f, sheet, count, SheetOrder, kNativeReadCharError);
}

std::string WriteNativeFile(FILE* f, const CTileSheet& sheet, int nChars)
{
    const int n = CharsToHandle(nChars);
    std::uint8_t countBytes[2];
    SetU16(countBytes, std::uint16_t(n));
    if (std::fwrite(countBytes, sizeof countBytes, 1, f) != 1)
        return kNativeWriteCountError;

    for (int i = 0; i < n; ++i) {
        TileBuffer tile{};
        const CharBytes bytes = EncodeCharBytes(sheet.GetTile(tile, TileCol(i), TileRow(i)));
        if (std::fwrite(bytes.data(), bytes.size(), 1, f) != 1)
            return kNativeWriteCharError;
    }
    return {};
}
