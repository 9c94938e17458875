#include "formats/HalfwordArray.h"

#include <algorithm>
#include <cctype>

#include "formats/CharStream.h"
#include "tiles/ByteOrder.h"

Halfwords CharHalfwords(const std::vector<ConsoleChar>& chars)
{
    Halfwords values;
    values.reserve(chars.size() * kTilePixels);
    for (const ConsoleChar& c : chars)
        values.insert(values.end(), c.begin(), c.end());
    return values;
}

Halfwords SheetCharHalfwords(const CTileSheet& sheet, int nChars)
{
    Halfwords values;
    for (int i = 0; i < CharsToHandle(nChars); ++i) {
        TileBuffer tile{};
        const CharRows rows = EncodeChar(sheet.GetTile(tile, TileCol(i), TileRow(i)));
        // EncodeChar gives the bottom row first.
        values.insert(values.end(), rows.rbegin(), rows.rend());
    }
    return values;
}

std::string WriteHalfwordsBin(FILE* f, const Halfwords& values)
{
    std::uint8_t chunk[8192];
    for (std::size_t i = 0; i < values.size();) {
        const std::size_t n = std::min(values.size() - i, sizeof chunk / 2);
        for (std::size_t k = 0; k < n; ++k)
            SetU16(&chunk[2 * k], values[i + k]);
        if (std::fwrite(chunk, 2, n, f) != n)
            return kHalfwordWriteError;
        i += n;
    }
    return {};
}

std::string CArrayName(const std::string& text)
{
    std::string name;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        name += u < 128 && std::isalnum(u) ? c : '_';
    }
    const bool digitFirst = !name.empty() && std::isdigit(static_cast<unsigned char>(name[0]));
    return digitFirst || name.empty() ? "_" + name : name;
}

std::string WriteHalfwordsC(FILE* f, const std::string& name, const std::string& comment,
                            const Halfwords& values)
{
    // With C++ the array keeps the external linkage it has in C.
    if (std::fprintf(f,
                     "/* %s */\n"
                     "#ifdef __cplusplus\nextern \"C\"\n#endif\n"
                     "const unsigned short %s[%zu] = {\n",
                     comment.c_str(), name.c_str(), values.size()) < 0 || std::ferror(f))
        return kHalfwordWriteError;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const char* end = i + 1 == values.size() ? "\n" : i % 8 == 7 ? ",\n" : ",";
        if (std::fprintf(f, "%s0x%04x%s", i % 8 == 0 ? "    " : " ", unsigned(values[i]), end) < 0 ||
            std::ferror(f))
            return kHalfwordWriteError;
    }
    if (std::fprintf(f, "};\n") < 0 || std::ferror(f))
        return kHalfwordWriteError;
    return {};
}

bool WriteAsmHalfwordLine(FILE* f, const std::uint16_t* values, std::size_t count,
                          const char* label, unsigned long number)
{
    if (std::fprintf(f, "dh.") < 0 || std::ferror(f))
        return false;
    for (std::size_t i = 0; i < count; ++i)
        if (std::fprintf(f, i == 0 ? " 0x%04x" : ",0x%04x", unsigned(values[i])) < 0 ||
            std::ferror(f))
            return false;
    return std::fprintf(f, " ; %s%lu\n", label, number) >= 0 && !std::ferror(f);
}

std::string WriteMapAsm(FILE* f, const Halfwords& cells, std::size_t cellsPerRow)
{
    if (std::fprintf(f, ";BGMap, %zu cells per row\n", cellsPerRow) < 0 || std::ferror(f))
        return kHalfwordWriteError;
    for (std::size_t i = 0; i < cells.size();) {
        const std::size_t n = std::min<std::size_t>(8, cellsPerRow - i % cellsPerRow);
        if (!WriteAsmHalfwordLine(f, &cells[i], n, "Row ", i / cellsPerRow))
            return kHalfwordWriteError;
        i += n;
    }
    return {};
}

std::string WriteCharsAsm(FILE* f, const Halfwords& charRows)
{
    if (std::fprintf(f, ";Char Map, rows top first\n") < 0 || std::ferror(f))
        return kHalfwordWriteError;
    for (std::size_t i = 0; i + kTilePixels <= charRows.size(); i += kTilePixels)
        if (!WriteAsmHalfwordLine(f, &charRows[i], kTilePixels, "Char", i / kTilePixels))
            return kHalfwordWriteError;
    return {};
}
