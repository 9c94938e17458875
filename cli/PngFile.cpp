#include "cli/PngFile.h"

#include "cli/SysProgram.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The decoder module: beside the program in the build tree, in the library
// folder of the installation.
PngDecodeFn LoadDecoder()
{
    const std::string dir = ProgramFolder();
    if (dir.empty())
        return nullptr;
    for (const std::string& path : {dir + KELVANE_PNG_MODULE_NAME, dir + KELVANE_PNG_MODULE}) {
        // Never unloaded: QtGui keeps threads and handlers of its own.
        if (void* symbol = LoadModuleSymbol(path, kDecodePngSymbol))
            return reinterpret_cast<PngDecodeFn>(symbol);
    }
    return nullptr;
}

void PutBE(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (24 - 8 * i));
}

// CRC-32 as PNG chunks use it, carried on over pieces: start with 0.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* p, std::size_t n)
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
    std::uint32_t c = crc ^ 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Writes chunks piece by piece, their lengths known in advance.
class CChunkWriter
{
public:
    explicit CChunkWriter(FILE* f) : m_f(f) {}

    void Begin(const char* type, std::uint32_t length)
    {
        std::uint8_t head[8];
        PutBE(head, length);
        std::copy(type, type + 4, head + 4);
        Put(head, 4);
        m_crc = 0;
        Data(head + 4, 4);
    }
    void Data(const std::uint8_t* p, std::size_t n)
    {
        m_crc = Crc32(m_crc, p, n);
        Put(p, n);
    }
    void End()
    {
        std::uint8_t crc[4];
        PutBE(crc, m_crc);
        Put(crc, 4);
    }
    void Chunk(const char* type, const Bytes& data)
    {
        Begin(type, std::uint32_t(data.size()));
        Data(data.data(), data.size());
        End();
    }
    void Put(const std::uint8_t* p, std::size_t n)
    {
        m_ok = m_ok && (n == 0 || std::fwrite(p, n, 1, m_f) == 1);
    }
    bool ok() const { return m_ok; }

private:
    FILE* m_f;
    std::uint32_t m_crc = 0;
    bool m_ok = true;
};

PngDecodeFn Decoder()
{
    static const PngDecodeFn decode = LoadDecoder();
    return decode;
}

}  // namespace

std::string ReadPngFile(FILE* f, CTileSheet& sheet, const DibImportOptions& pngOptions,
                        const DibImportOptions& dibOptions)
{
    const PngDecodeFn decode = Decoder();
    return decode ? ReadPngFileWith(decode, f, sheet, pngOptions, dibOptions) : kPngDecoderMissing;
}

std::string ReadPngPicture(FILE* f, const DibImportOptions& pngOptions,
                           const DibImportOptions& dibOptions, PackedPicture& picture)
{
    const PngDecodeFn decode = Decoder();
    return decode ? ReadPngPictureWith(decode, f, pngOptions, dibOptions, picture)
                  : kPngDecoderMissing;
}

// The picture data is a zlib stream of stored deflate blocks of at most
// 65,535 bytes each, the rows each after a filter byte 0.
std::string WritePngPicture(FILE* f, std::uint32_t width, std::uint32_t height,
                            const std::function<void(std::uint32_t, std::uint8_t*)>& rowOf,
                            const char* error)
{
    constexpr std::uint64_t kBlock = 65535;
    const std::uint64_t raw = std::uint64_t(height) * (std::uint64_t(width) + 1);
    const std::uint64_t blocks = std::max<std::uint64_t>(1, (raw + kBlock - 1) / kBlock);
    const std::uint64_t dataLength = 2 + 5 * blocks + raw + 4;
    if (dataLength > 0x7FFFFFFFu)
        return error;

    Bytes header(8);
    PutBE(&header[0], width);
    PutBE(&header[4], height);
    header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette, deflate, no filter, no interlace
    Bytes palette;
    for (int v = 0; v < 256; ++v)
        palette.insert(palette.end(), {std::uint8_t(v), 0, 0});  // the red ramp

    CChunkWriter png(f);
    png.Put(kSignature, sizeof kSignature);
    png.Chunk("IHDR", header);
    png.Chunk("PLTE", palette);
    png.Begin("IDAT", std::uint32_t(dataLength));
    const std::uint8_t zlibHeader[2] = {0x78, 0x01};
    png.Data(zlibHeader, 2);
    std::uint32_t a = 1, b = 0;  // Adler-32 of the rows
    std::uint64_t leftInBlock = 0, leftInAll = raw;
    Bytes row(std::size_t(width) + 1);
    for (std::uint32_t y = 0; y < height && png.ok(); ++y) {
        row[0] = 0;
        rowOf(y, &row[1]);
        for (std::size_t at = 0; at < row.size();) {
            if (leftInBlock == 0) {
                leftInBlock = std::min(kBlock, leftInAll);
                const auto n = std::uint16_t(leftInBlock);
                const std::uint8_t blockHeader[5] = {std::uint8_t(leftInBlock == leftInAll),
                                                     std::uint8_t(n), std::uint8_t(n >> 8),
                                                     std::uint8_t(~n), std::uint8_t(~n >> 8)};
                png.Data(blockHeader, 5);
            }
            const std::size_t piece = std::size_t(std::min<std::uint64_t>(leftInBlock, row.size() - at));
            png.Data(&row[at], piece);
            at += piece;
            leftInBlock -= piece;
            leftInAll -= piece;
        }
        // Sums reduced every 5,552 bytes, the most that cannot overflow.
        for (std::size_t at = 0; at < row.size(); at += 5552) {
            const std::size_t end = std::min<std::size_t>(row.size(), at + 5552);
            for (std::size_t i = at; i < end; ++i) {
                a += row[i];
                b += a;
            }
            a %= 65521;
            b %= 65521;
        }
    }
    std::uint8_t adler[4];
    PutBE(adler, (b << 16) | a);
    png.Data(adler, 4);
    png.End();
    png.Chunk("IEND", {});
    return png.ok() ? "" : error;
}

std::string WritePngFile(FILE* f, const CTileSheet& sheet)
{
    // The sheet stores its bottom row first.
    return WritePngPicture(
        f, kSheetPixels, kSheetPixels,
        [&](std::uint32_t y, std::uint8_t* levels) {
            const std::uint8_t* line = sheet.GetPixels() + (kSheetPixels - 1 - y) * kSheetPixels;
            std::copy(line, line + kSheetPixels, levels);
        },
        kDibWritePixelsError);
}
