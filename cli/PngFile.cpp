#include "cli/PngFile.h"

#include "cli/PngDecoder.h"
#include "cli/SysProgram.h"
#include "formats/SysMemStream.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(FILE* f)
{
    Bytes data;
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + got);
    return data;
}

// The decoder module: beside the program in the build tree, in the library
// folder of the installation.
KelvaneDecodePngFn LoadDecoder()
{
    const std::string dir = ProgramFolder();
    if (dir.empty())
        return nullptr;
    for (const std::string& path : {dir + KELVANE_PNG_MODULE_NAME, dir + KELVANE_PNG_MODULE}) {
        // Never unloaded: QtGui keeps threads and handlers of its own.
        if (void* symbol = LoadModuleSymbol(path, kDecodePngSymbol))
            return reinterpret_cast<KelvaneDecodePngFn>(symbol);
    }
    return nullptr;
}

void PutBE(Bytes& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(std::uint8_t(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(Bytes& png, const char* type, const Bytes& data)
{
    PutBE(png, std::uint32_t(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBE(png, Crc32(&png[start], png.size() - start));
}

}  // namespace

std::string ReadPngFile(FILE* f, CTileSheet& sheet, const DibImportOptions& options)
{
    static const KelvaneDecodePngFn decode = LoadDecoder();
    if (!decode)
        return kPngDecoderMissing;
    const Bytes png = ReadAll(f);
    std::size_t dibSize = 0;
    const std::unique_ptr<unsigned char, decltype(&std::free)> dib(
        std::ferror(f) ? nullptr : decode(png.data(), png.size(), &dibSize), &std::free);
    if (!dib)
        return kPngReadError;
    FILE* stream = OpenMemoryStream(dib.get(), dibSize);
    if (!stream)
        return kPngReadError;
    std::string message = ReadDibFile(stream, sheet, options);
    std::fclose(stream);
    return message;
}

// An indexed 8-bit PNG whose picture data is one stored (uncompressed)
// deflate block: 129 x 128 bytes, far below a stored block's 65,535.
std::string WritePngFile(FILE* f, const CTileSheet& sheet)
{
    Bytes header;
    PutBE(header, kSheetPixels);  // width
    PutBE(header, kSheetPixels);  // height
    header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette, deflate, no filter, no interlace

    Bytes palette;
    for (int v = 0; v < 256; ++v)
        palette.insert(palette.end(), {std::uint8_t(v), 0, 0});  // the red ramp

    // Rows top row first (the sheet stores its bottom row first), each
    // after a filter byte 0.
    Bytes rows;
    for (int row = kSheetPixels - 1; row >= 0; --row) {
        rows.push_back(0);
        const std::uint8_t* line = sheet.GetPixels() + row * kSheetPixels;
        rows.insert(rows.end(), line, line + kSheetPixels);
    }
    std::uint32_t a = 1, b = 0;  // Adler-32 of the rows
    for (const std::uint8_t byte : rows) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    const auto n = std::uint16_t(rows.size());
    Bytes data = {0x78, 0x01, 0x01, std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(~n),
                  std::uint8_t(~n >> 8)};
    data.insert(data.end(), rows.begin(), rows.end());
    PutBE(data, (b << 16) | a);

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "PLTE", palette);
    PutChunk(png, "IDAT", data);
    PutChunk(png, "IEND", {});
    if (std::fwrite(png.data(), png.size(), 1, f) != 1)
        return kDibWritePixelsError;
    return {};
}
