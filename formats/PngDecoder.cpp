#include "formats/PngDecoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <zlib.h>

#include "tiles/ByteOrder.h"

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Colour types: grey, RGB, palette, grey and alpha, RGB and alpha.
constexpr unsigned char kPaletteColourType = 3;
// Pixels with an alpha below this are transparent.
constexpr int kOpaqueFrom = 128;

// DIB layout (file header, info header, palette) as the DIB import reads it.
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes + 4 * 256;

// What the header chunk says, and where the picture data lies.
struct PngLayout
{
    std::uint32_t width = 0, height = 0;
    unsigned depth = 0, colourType = 0, channels = 0;
    bool interlaced = false;
    const unsigned char* palette = nullptr;  // PLTE: red, green, blue entries
    std::size_t paletteEntries = 0;
    const unsigned char* alpha = nullptr;  // tRNS of a palette picture: an alpha per entry
    std::size_t alphaEntries = 0;
    std::vector<std::pair<const unsigned char*, std::size_t>> data;  // the IDAT chunks
};

// Samples per pixel for a colour type and bit depth the format allows; 0
// for any other.
unsigned Channels(unsigned colourType, unsigned depth)
{
    const bool low = depth == 1 || depth == 2 || depth == 4;
    switch (colourType) {
    case 0:
        return low || depth == 8 || depth == 16 ? 1 : 0;
    case 3:
        return low || depth == 8 ? 1 : 0;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16 ? (colourType == 2 ? 3 : colourType == 4 ? 2 : 4) : 0;
    default:
        return 0;
    }
}

// Walks the chunks, each checked against its CRC: the header first, the
// palette, the picture data; other chunks that a reader may ignore are
// ignored (with a broken CRC too), any other one is refused.
bool ReadLayout(const unsigned char* png, std::size_t size, PngLayout& layout)
{
    if (size < sizeof kSignature || std::memcmp(png, kSignature, sizeof kSignature) != 0)
        return false;
    std::size_t at = sizeof kSignature;
    bool first = true;
    while (size - at >= 12) {
        const std::uint32_t length = GetBE32(png + at);
        const unsigned char* type = png + at + 4;
        const unsigned char* data = type + 4;
        if (length > 0x7FFFFFFFu || length > size - at - 12)
            return false;
        const bool critical = (type[0] & 0x20) == 0;
        const bool intact =
            crc32(crc32(0, nullptr, 0), type, uInt(length) + 4) == GetBE32(data + length);
        at += std::size_t(length) + 12;
        if (!critical) {
            if (intact && std::memcmp(type, "tRNS", 4) == 0) {
                layout.alpha = data;
                layout.alphaEntries = length;
            }
            continue;
        }
        if (!intact || first != (std::memcmp(type, "IHDR", 4) == 0))
            return false;
        first = false;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length != 13 || data[10] != 0 || data[11] != 0 || data[12] > 1)
                return false;
            layout.width = GetBE32(data);
            layout.height = GetBE32(data + 4);
            layout.depth = data[8];
            layout.colourType = data[9];
            layout.channels = Channels(layout.colourType, layout.depth);
            layout.interlaced = data[12] == 1;
            if (layout.width == 0 || layout.height == 0 || layout.width > 0x7FFFFFFFu ||
                layout.height > 0x7FFFFFFFu || layout.channels == 0)
                return false;
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            if (length % 3 != 0 || length == 0 || length > 3 * 256)
                return false;
            layout.palette = data;
            layout.paletteEntries = length / 3;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            layout.data.emplace_back(data, length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        } else {
            return false;
        }
    }
    return !first && !layout.data.empty() &&
           (layout.colourType != kPaletteColourType || layout.palette);
}

// The picture data inflated piece by piece, across the IDAT chunks.
class CInflater
{
public:
    explicit CInflater(const PngLayout& layout) : m_layout(layout)
    {
        m_ok = inflateInit(&m_z) == Z_OK;
    }
    ~CInflater() { inflateEnd(&m_z); }
    CInflater(const CInflater&) = delete;
    CInflater& operator=(const CInflater&) = delete;

    // The next n bytes; false when the data ends before them or is broken.
    bool Read(unsigned char* dest, std::size_t n)
    {
        m_z.next_out = dest;
        m_z.avail_out = uInt(n);
        while (m_ok && m_z.avail_out > 0) {
            if (m_z.avail_in == 0 && m_next < m_layout.data.size()) {
                m_z.next_in = const_cast<unsigned char*>(m_layout.data[m_next].first);
                m_z.avail_in = uInt(m_layout.data[m_next].second);
                ++m_next;
            }
            const int result = inflate(&m_z, Z_NO_FLUSH);
            if (result == Z_STREAM_END)
                break;
            // No progress for want of input: the next chunk's, if any.
            m_ok = result == Z_OK ||
                   (result == Z_BUF_ERROR && m_z.avail_in == 0 && m_next < m_layout.data.size());
        }
        return m_ok && m_z.avail_out == 0;
    }

private:
    const PngLayout& m_layout;
    z_stream m_z{};
    std::size_t m_next = 0;
    bool m_ok = false;
};

int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes a row's filter against the row above (zeros for a pass's first).
bool Unfilter(unsigned filter, unsigned char* row, const unsigned char* above, std::size_t n,
              std::size_t step)
{
    for (std::size_t i = 0; i < n; ++i) {
        const int a = i >= step ? row[i - step] : 0;
        const int b = above[i];
        const int c = i >= step ? above[i - step] : 0;
        int add;
        switch (filter) {
        case 0: add = 0; break;
        case 1: add = a; break;
        case 2: add = b; break;
        case 3: add = (a + b) / 2; break;
        case 4: add = Paeth(a, b, c); break;
        default: return false;
        }
        row[i] = static_cast<unsigned char>(row[i] + add);
    }
    return true;
}

// Sample k of a row, scaled to 8 bits.
unsigned Sample(const PngLayout& layout, const unsigned char* row, std::size_t k)
{
    switch (layout.depth) {
    case 16:
        return (((unsigned(row[2 * k]) << 8) | row[2 * k + 1]) * 255 + 32767) / 65535;
    case 8:
        return row[k];
    default: {
        const std::size_t bit = k * layout.depth;
        const unsigned max = (1u << layout.depth) - 1;
        const unsigned v = (row[bit / 8] >> (8 - layout.depth - bit % 8)) & max;
        // A palette index stays as it is; a grey level spans 0 to 255.
        return layout.colourType == kPaletteColourType ? v : v * 255 / max;
    }
    }
}

// True for a palette index that tRNS makes transparent.
bool ClearEntry(const PngLayout& layout, unsigned index)
{
    return index < layout.alphaEntries && layout.alpha[index] < kOpaqueFrom;
}

// The pixel bytes of the DIB: for a palette picture kept as such (indexed)
// the index, with every transparent entry's pixels at `clear`; for any other
// the index of its colour by the options' reduction, transparent pixels 0.
bool DecodePixels(const PngLayout& layout, const DibImportOptions& options, bool indexed,
                  int clear, unsigned char* pixels, std::size_t rowLength)
{
    // Adam7's passes: first row, first column, row step, column step.
    static const std::array<std::array<std::uint32_t, 4>, 7> kPasses = {{
        {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4}, {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}}};
    static const std::array<std::array<std::uint32_t, 4>, 1> kWhole = {{{0, 0, 1, 1}}};
    const auto* passes = layout.interlaced ? kPasses.data() : kWhole.data();
    const std::size_t passCount = layout.interlaced ? kPasses.size() : kWhole.size();
    const std::size_t step = std::max(1u, layout.channels * layout.depth / 8);
    const bool palette = layout.colourType == kPaletteColourType;
    const bool alpha = layout.channels == 2 || layout.channels == 4;

    CInflater data(layout);
    for (std::size_t p = 0; p < passCount; ++p) {
        const auto [row0, col0, rowStep, colStep] = passes[p];
        if (layout.width <= col0 || layout.height <= row0)
            continue;
        const std::size_t width = (layout.width - col0 + colStep - 1) / colStep;
        const std::size_t bytes = (width * layout.channels * layout.depth + 7) / 8;
        std::vector<unsigned char> row(bytes + 1), above(bytes + 1, 0);
        for (std::uint32_t y = row0; y < layout.height; y += rowStep) {
            if (!data.Read(row.data(), row.size()) ||
                !Unfilter(row[0], row.data() + 1, above.data() + 1, bytes, step))
                return false;
            // Stored rows run bottom row first.
            unsigned char* dest = pixels + std::size_t(layout.height - 1 - y) * rowLength;
            const unsigned char* samples = row.data() + 1;
            for (std::size_t i = 0; i < width; ++i) {
                const std::size_t k = i * layout.channels;
                unsigned index;
                if (palette) {
                    const unsigned entry = Sample(layout, samples, k);
                    const unsigned char* rgb =
                        entry < layout.paletteEntries ? layout.palette + 3 * entry : nullptr;
                    if (indexed)
                        index = clear >= 0 && ClearEntry(layout, entry) ? unsigned(clear) : entry;
                    else if (ClearEntry(layout, entry) || !rgb)
                        index = 0;
                    else
                        index = unsigned(ReduceColour(options, rgb[0], rgb[1], rgb[2]));
                } else if (alpha && Sample(layout, samples, k + layout.channels - 1) < kOpaqueFrom) {
                    index = 0;
                } else if (layout.channels <= 2) {
                    const int grey = int(Sample(layout, samples, k));
                    index = unsigned(ReduceColour(options, grey, grey, grey));
                } else {
                    index = unsigned(ReduceColour(options, int(Sample(layout, samples, k)),
                                                  int(Sample(layout, samples, k + 1)),
                                                  int(Sample(layout, samples, k + 2))));
                }
                dest[col0 + i * colStep] = static_cast<unsigned char>(index);
            }
            std::swap(row, above);
        }
    }
    return true;
}

}  // namespace

// Decoded with zlib row by row straight into the DIB's 8-bit pixels: the
// memory taken is the DIB's, about a byte a pixel, whatever the bit depth.
extern "C" KELVANE_PNG_EXPORT int KelvaneDecodePng(
    const unsigned char* png, std::size_t size, const DibImportOptions* options,
    std::uint32_t maxSide, unsigned char** dibOut, std::size_t* dibSize, std::uint32_t* widthOut,
    std::uint32_t* heightOut)
{
    PngLayout layout;
    if (!ReadLayout(png, size, layout))
        return kPngInvalid;
    *widthOut = layout.width;
    *heightOut = layout.height;
    if (*widthOut > maxSide || *heightOut > maxSide)
        return kPngTooLarge;

    // Transparent pixels (alpha below 128, a palette entry made so by tRNS)
    // are level 0, which the console never draws. A palette picture's
    // transparent entries become one index that gives level 0 whatever the
    // reduction: a multiple of 4 (its two low bits 0) that is black; with
    // no such index free, the picture is reduced by colour instead.
    bool indexed = layout.colourType == kPaletteColourType;
    int clear = -1;
    bool anyClear = false;
    for (unsigned p = 0; indexed && p < layout.paletteEntries; ++p)
        anyClear = anyClear || ClearEntry(layout, p);
    for (unsigned p = 0; anyClear && clear < 0 && p < 256; p += 4)
        if (p >= layout.paletteEntries || ClearEntry(layout, p))
            clear = int(p);
    if (anyClear && clear < 0)
        indexed = false;
    const std::size_t width = layout.width;
    const std::size_t height = layout.height;
    const std::size_t rowLength = (width + 3) & ~std::size_t(3);
    *dibSize = kHeaderBytes + rowLength * height;
    auto* dib = static_cast<unsigned char*>(std::calloc(*dibSize, 1));
    if (!dib)
        return kPngInvalid;

    dib[0] = 'B';
    dib[1] = 'M';
    SetU32(dib + 2, std::uint32_t(*dibSize));
    SetU32(dib + 10, kHeaderBytes);
    unsigned char* info = dib + kFileHeaderBytes;
    SetU32(info, kInfoHeaderBytes);
    SetU32(info + 4, std::uint32_t(width));
    SetU32(info + 8, std::uint32_t(height));
    SetU16(info + 12, 1);  // planes
    SetU16(info + 14, 8);  // bits per pixel

    unsigned char* palette = info + kInfoHeaderBytes;
    if (indexed) {
        for (std::size_t p = 0; p < layout.paletteEntries; ++p) {
            palette[4 * p] = layout.palette[3 * p + 2];
            palette[4 * p + 1] = layout.palette[3 * p + 1];
            palette[4 * p + 2] = layout.palette[3 * p];
        }
        if (clear >= 0)
            palette[4 * clear] = palette[4 * clear + 1] = palette[4 * clear + 2] = 0;
    } else {
        for (int k = 0; k < 4; ++k)
            palette[4 * k] = palette[4 * k + 1] = palette[4 * k + 2] =
                static_cast<unsigned char>(85 * k);
    }

    if (!DecodePixels(layout, *options, indexed, clear, dib + kHeaderBytes, rowLength)) {
        std::free(dib);
        return kPngInvalid;
    }
    *dibOut = dib;
    return kPngDecoded;
}
