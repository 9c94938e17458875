#include "cli/PngFile.h"

#include "cli/SysProgram.h"
#include "tiles/ByteOrder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

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
        // Never unloaded: the decoder stays for the rest of the run.
        if (void* symbol = LoadModuleSymbol(path, kDecodePngSymbol))
            return reinterpret_cast<PngDecodeFn>(symbol);
    }
    return nullptr;
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
        SetBE32(head, length);
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
        SetBE32(crc, m_crc);
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

// The picture data is one zlib stream of the rows, each after a filter
// byte 0, compressed at a fixed level with zlib's defaults otherwise, so
// that the bytes are the same on every system. Rows are compressed as they
// are made, the stream written out in IDAT chunks of at most 64 KiB.
std::string WritePngPicture(FILE* f, std::uint32_t width, std::uint32_t height,
                            const std::function<void(std::uint32_t, std::uint8_t*)>& rowOf,
                            const char* error)
{
    Bytes header(8);
    SetBE32(&header[0], width);
    SetBE32(&header[4], height);
    header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette, deflate, no filter, no interlace
    Bytes palette;
    for (int v = 0; v < 256; ++v)
        palette.insert(palette.end(), {std::uint8_t(v), 0, 0});  // the red ramp

    CChunkWriter png(f);
    png.Put(kSignature, sizeof kSignature);
    png.Chunk("IHDR", header);
    png.Chunk("PLTE", palette);

    z_stream z{};
    if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK)
        return error;
    Bytes row(std::size_t(width) + 1);
    Bytes chunk(65536);
    bool ok = true;
    for (std::uint32_t y = 0; ok && y <= height; ++y) {
        const bool last = y == height;
        if (!last) {
            row[0] = 0;
            rowOf(y, &row[1]);
        }
        z.next_in = row.data();
        z.avail_in = last ? 0 : uInt(row.size());
        int result;
        do {
            z.next_out = chunk.data();
            z.avail_out = uInt(chunk.size());
            result = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            ok = result != Z_STREAM_ERROR && png.ok();
            const std::size_t made = chunk.size() - z.avail_out;
            if (made > 0)
                png.Chunk("IDAT", Bytes(chunk.begin(), chunk.begin() + std::ptrdiff_t(made)));
        } while (ok && (z.avail_out == 0 || (last && result != Z_STREAM_END)));
    }
    deflateEnd(&z);
    png.Chunk("IEND", {});
    return ok && png.ok() ? "" : error;
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
