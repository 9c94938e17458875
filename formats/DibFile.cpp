#include "DibFile.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "formats/SysSeek.h"
#include "tiles/ByteOrder.h"
#include "tiles/CharCodec.h"

namespace {

constexpr const char* kFileHeaderError = "Fatal Error 0021";
constexpr const char* kHeaderBlockError = "Fatal Error 0121";
constexpr const char* kPixelsError = kDibWritePixelsError;
constexpr const char* kInvalidFile = "Invalid DIB File!";
constexpr const char* kOnly8Bit = "Only 8 bit DIB files can be loaded.";
constexpr const char* kOnly1Plane = "Only 1 plane DIB files can be loaded.";
constexpr const char* kOnlyUncompressed = "Only DIB files without compression can be loaded.";
constexpr const char* kOnlyBottomUp = "Only bottom-up DIB files can be loaded.";

// File header: type "BM", file size, two reserved words, offset of the pixels.
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint16_t kTypeBM = 0x4D42;
// Header block: an info header whose first field gives its size (40 bytes
// for the classic one, 108 and 124 for the newer ones), then the palette of
// 4-byte entries (blue, green, red, reserved).
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kPaletteEntries = 256;
constexpr std::uint32_t kHeaderBlockBytes = kInfoHeaderBytes + 4 * kPaletteEntries;  // 1064
// The info header fields the reader tests end at block offset 20.
constexpr std::uint32_t kTestedFieldsBytes = 20;

static_assert(kFileHeaderBytes + kHeaderBlockBytes + kSheetBytes == kDibFileSize);

// The stream a DIB is read from. What is not kept is skipped: on a file by
// seeking, after checking that the bytes skipped are really there (so a
// file that ends early fails where reading through would have), on a pipe
// by reading and throwing them away in small pieces. A size stated in a
// header thus costs neither memory nor, on a file, the time to read it.
class CDibSource
{
public:
    explicit CDibSource(FILE* f) : m_f(f)
    {
        const std::int64_t at = TellFile(f);
        if (at < 0 || !SeekFile(f, 0, SEEK_END))
            return;
        const std::int64_t end = TellFile(f);
        if (SeekFile(f, at, SEEK_SET) && end >= at) {
            m_bSeekable = true;
            m_pos = std::uint64_t(at);
            m_end = std::uint64_t(end);
        }
    }

    // Reads `count` bytes and keeps the first `keep` of them (keep <= count)
    // in dest. False when the stream ends (or fails) before `count` bytes.
    bool ReadKeeping(std::uint8_t* dest, std::uint64_t keep, std::uint64_t count)
    {
        if (keep > 0 && std::fread(dest, 1, keep, m_f) != keep)
            return false;
        return Skip(count - keep, keep);
    }

    // False when the stream is a file that ends before `count` more bytes.
    bool MayHold(std::uint64_t count) const
    {
        return !m_bSeekable || count <= m_end - std::min(m_pos, m_end);
    }

private:
    bool Skip(std::uint64_t rest, std::uint64_t justRead)
    {
        if (m_bSeekable) {
            m_pos += justRead;
            if (rest > m_end - std::min(m_pos, m_end))
                return false;
            m_pos += rest;
            return rest == 0 || SeekFile(m_f, std::int64_t(m_pos), SEEK_SET);
        }
        std::uint8_t scrap[8192];
        while (rest > 0) {
            const std::size_t piece = std::size_t(std::min<std::uint64_t>(rest, sizeof scrap));
            if (std::fread(scrap, 1, piece, m_f) != piece)
                return false;
            rest -= piece;
        }
        return true;
    }

    FILE* m_f;
    bool m_bSeekable = false;
    std::uint64_t m_pos = 0;  // the stream's position, when seekable
    std::uint64_t m_end = 0;  // the file's size, when seekable
};

// Stored row `row` of the picture contributes `length` pixels, its first
// ones, to the sheet's pixel array from index `start` on.
struct Run
{
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

// Where the pixels of stored row `row` (row < height) go; length 0 once a
// row and all rows after it contribute nothing.
Run PlacementOfRow(bool adjustTiles, std::uint32_t width, std::uint32_t row)
{
    if (adjustTiles) {
        // Anchored at the sheet's bottom-left corner, cut at 128 x 128.
        if (row >= std::uint32_t(kSheetPixels))
            return {};
        return {row * kSheetPixels, std::min<std::uint32_t>(width, kSheetPixels)};
    }
    // The picture's pixels in row order, fill bytes left out, fill the array
    // from its first byte until it is full.
    const std::uint64_t start = std::uint64_t(row) * width;
    if (start >= std::uint64_t(kSheetBytes))
        return {};
    return {std::uint32_t(start),
            std::uint32_t(std::min<std::uint64_t>(width, kSheetBytes - start))};
}

// Pixel level for every stored pixel byte, from the palette's first
// `paletteBytes` bytes.
std::array<std::uint8_t, 256> LevelTable(const DibImportOptions& options,
                                         const std::uint8_t* palette, std::uint32_t paletteBytes)
{
    std::array<std::uint8_t, 256> levels{};
    for (std::uint32_t p = 0; p < 256; ++p) {
        int index = int(p & 3);
        if (options.median || options.nearest) {
            // By the colours of palette entry p (blue, green, red); an entry
            // whose colours lie beyond the header block counts as black.
            const std::uint32_t at = 4 * p;
            index = 0;
            if (at + 3 <= paletteBytes)
                index = ReduceColour(options, palette[at + 2], palette[at + 1], palette[at]);
        }
        levels[p] = LevelFromIndex(index);
    }
    return levels;
}


// What the headers say, once every check has passed.
struct DibHeader
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint64_t rowLength = 0;  // stored bytes per row, fill bytes included
    std::array<std::uint8_t, 256> levels{};  // pixel level for every stored byte
};

// Checks, in this order, each ending the import with its message:
//   file header not all there ............................ "Fatal Error 0021"
//   type not "BM", or the pixel offset below 14 .......... "Invalid DIB File!"
//   header block empty (pixel offset 14) ................. "Fatal Error 0121"
//   header block not all there ........................... "Fatal Error 0121"
//   header block of 1 to 19 bytes, too short for the
//     fields tested below ................................ "Invalid DIB File!"
//   info header larger than the block .................... "Fatal Error 0121"
//   info header under 20 bytes ........................... "Invalid DIB File!"
//   bits per pixel, planes, compression .................. their own messages
//   negative width ....................................... "Invalid DIB File!"
//   negative height (rows stored top row first) .......... "Only bottom-up ..."
//   row length x height beyond 32 bits ................... "Invalid DIB File!"
//   no pixels ............................................ "Fatal Error 0122"
// On success the source stands at the pixel rows, which follow the header
// block directly.
std::string ReadDibHeader(CDibSource& source, const DibImportOptions& options, DibHeader& h)
{
    std::uint8_t fileHeader[kFileHeaderBytes];
    if (!source.ReadKeeping(fileHeader, sizeof fileHeader, sizeof fileHeader))
        return kFileHeaderError;
    if (GetU16(fileHeader) != kTypeBM)
        return kInvalidFile;

    const std::uint32_t pixelOffset = GetU32(fileHeader + 10);
    if (pixelOffset < kFileHeaderBytes)
        return kInvalidFile;
    const std::uint32_t blockBytes = pixelOffset - kFileHeaderBytes;
    if (blockBytes == 0)
        return kHeaderBlockError;
    // Kept of the block: the classic info header, and the palette, which
    // follows the info header at the offset its size field gives (a size
    // under the classic one's, which no format has, counts as that).
    std::array<std::uint8_t, kInfoHeaderBytes> block{};
    const std::uint32_t fieldsKept = std::min(blockBytes, kInfoHeaderBytes);
    if (!source.ReadKeeping(block.data(), fieldsKept, fieldsKept))
        return kHeaderBlockError;
    const std::uint32_t infoBytes = fieldsKept >= 4 ? GetU32(&block[0]) : 0;
    const std::uint32_t paletteAt = std::clamp(infoBytes, fieldsKept, blockBytes);
    std::array<std::uint8_t, 4 * kPaletteEntries> palette{};
    const std::uint32_t paletteKept = std::min(blockBytes - paletteAt, 4 * kPaletteEntries);
    if (!source.ReadKeeping(nullptr, 0, paletteAt - fieldsKept) ||
        !source.ReadKeeping(palette.data(), paletteKept, blockBytes - paletteAt))
        return kHeaderBlockError;
    if (blockBytes < kTestedFieldsBytes)
        return kInvalidFile;
    if (infoBytes > blockBytes)
        return kHeaderBlockError;
    if (infoBytes < kTestedFieldsBytes)
        return kInvalidFile;

    const std::int32_t width = std::int32_t(GetU32(&block[4]));
    const std::int32_t height = std::int32_t(GetU32(&block[8]));
    if (GetU16(&block[14]) != 8)
        return kOnly8Bit;
    if (GetU16(&block[12]) != 1)
        return kOnly1Plane;
    if (GetU32(&block[16]) != 0)
        return kOnlyUncompressed;
    if (width < 0)
        return kInvalidFile;
    if (height < 0)
        return kOnlyBottomUp;

    // Each stored row is padded to a multiple of 4 bytes.
    h.rowLength = (std::uint64_t(width) + 3) & ~std::uint64_t(3);
    if (h.rowLength * std::uint64_t(height) > 0xFFFFFFFFu)
        return kInvalidFile;
    if (width == 0 || height == 0)
        return kPixelsError;
    h.width = std::uint32_t(width);
    h.height = std::uint32_t(height);
    h.levels = LevelTable(options, palette.data(), paletteKept);
    return {};
}

}  // namespace

// Only what can land in the sheet is kept (at most 16,384 bytes); the sheet
// is written last, once every check and read has passed.
std::string ReadDibFile(FILE* f, CTileSheet& sheet, const DibImportOptions& options)
{
    CDibSource source(f);
    DibHeader h;
    if (std::string message = ReadDibHeader(source, options, h); !message.empty())
        return message;

    std::array<std::uint8_t, kSheetBytes> stored{};
    std::uint32_t rowsPlaced = 0;
    for (; rowsPlaced < h.height; ++rowsPlaced) {
        const Run run = PlacementOfRow(options.adjustTiles, h.width, rowsPlaced);
        if (run.length == 0)
            break;
        if (!source.ReadKeeping(&stored[run.start], run.length, h.rowLength))
            return kPixelsError;
    }
    if (!source.ReadKeeping(nullptr, 0, (std::uint64_t(h.height) - rowsPlaced) * h.rowLength))
        return kPixelsError;

    std::uint8_t* pixels = sheet.GetPixels();
    for (std::uint32_t row = 0; row < rowsPlaced; ++row) {
        const Run run = PlacementOfRow(options.adjustTiles, h.width, row);
        for (std::uint32_t i = run.start; i < run.start + run.length; ++i)
            pixels[i] = h.levels[stored[i]];
    }
    return {};
}

std::string PictureTooLarge(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide)
{
    return "The picture is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; pictures up to " + std::to_string(maxSide) + " x " + std::to_string(maxSide) +
           " pixels can be converted.";
}

std::string ReadDibPicture(FILE* f, const DibImportOptions& options, std::uint32_t maxSide,
                           PackedPicture& picture)
{
    CDibSource source(f);
    DibHeader h;
    if (std::string message = ReadDibHeader(source, options, h); !message.empty())
        return message;
    if (h.width > maxSide || h.height > maxSide)
        return PictureTooLarge(h.width, h.height, maxSide);
    if (h.width % kTilePixels != 0 || h.height % kTilePixels != 0)
        return "The picture is " + std::to_string(h.width) + " x " + std::to_string(h.height) +
               " pixels; a map needs a width and a height that are multiples of 8.";

    // A short file is found out before the picture's memory is taken.
    if (!source.MayHold(h.rowLength * h.height))
        return kPixelsError;
    picture.cellsWide = h.width / kTilePixels;
    picture.height = h.height;
    picture.rows.assign(std::size_t(picture.cellsWide) * h.height, 0);

    // The char row bits of every pair of neighbouring stored bytes, which
    // hold pixels 2j and 2j + 1 of a char row: bits 4j to 4j + 3.
    std::vector<std::uint8_t> pairBits(65536);
    for (unsigned pair = 0; pair < 65536; ++pair) {
        const std::uint8_t levels[kTilePixels] = {h.levels[pair & 0xFF], h.levels[pair >> 8]};
        pairBits[pair] = std::uint8_t(EncodeCharRow(levels));
    }
    // Stored rows run bottom row first; read in bands of about 256 KiB.
    const std::uint32_t bandRows =
        std::uint32_t(std::max<std::uint64_t>(1, (std::uint64_t(1) << 18) / h.rowLength));
    std::vector<std::uint8_t> band(std::size_t(std::min<std::uint64_t>(bandRows, h.height) * h.rowLength));
    for (std::uint32_t done = 0; done < h.height;) {
        const std::uint32_t rows = std::min(bandRows, h.height - done);
        if (!source.ReadKeeping(band.data(), rows * h.rowLength, rows * h.rowLength))
            return kPixelsError;
        for (std::uint32_t i = 0; i < rows; ++i) {
            const std::uint8_t* p = band.data() + i * h.rowLength;
            std::uint16_t* out =
                picture.rows.data() + std::size_t(h.height - 1 - done - i) * picture.cellsWide;
            for (std::uint32_t k = 0; k < picture.cellsWide; ++k, p += kTilePixels)
                out[k] = std::uint16_t(pairBits[GetU16(p)] | (pairBits[GetU16(p + 2)] << 4) |
                                       (pairBits[GetU16(p + 4)] << 8) |
                                       (pairBits[GetU16(p + 6)] << 12));
        }
        done += rows;
    }
    return {};
}

std::string WriteDibPicture(FILE* f, std::uint32_t width, std::uint32_t height,
                            const std::function<void(std::uint32_t, std::uint8_t*)>& rowOf)
{
    const std::uint32_t rowLength = (width + 3) & ~3u;
    const std::uint32_t imageBytes = rowLength * height;
    std::array<std::uint8_t, kHeaderBlockBytes> block{};
    SetU32(&block[0], kInfoHeaderBytes);
    SetU32(&block[4], width);
    SetU32(&block[8], height);         // positive: bottom row first
    SetU16(&block[12], 1);             // planes
    SetU16(&block[14], 8);             // bits per pixel
    SetU32(&block[16], 0);             // no compression
    SetU32(&block[20], imageBytes);    // image size
    SetU32(&block[32], kPaletteEntries);  // colours used
    SetU32(&block[36], kPaletteEntries);  // colours important
    // Red ramp: entry i is blue 0, green 0, red i.
    for (std::uint32_t i = 0; i < kPaletteEntries; ++i)
        block[kInfoHeaderBytes + 4 * i + 2] = std::uint8_t(i);

    std::uint8_t fileHeader[kFileHeaderBytes] = {};
    SetU16(fileHeader, kTypeBM);
    SetU32(fileHeader + 2, kFileHeaderBytes + kHeaderBlockBytes + imageBytes);
    SetU32(fileHeader + 10, kFileHeaderBytes + kHeaderBlockBytes);

    if (std::fwrite(fileHeader, sizeof fileHeader, 1, f) != 1)
        return kHeaderBlockError;
    if (std::fwrite(block.data(), block.size(), 1, f) != 1)
        return kHeaderBlockError;
    std::vector<std::uint8_t> row(rowLength, 0);
    for (std::uint32_t stored = 0; stored < height; ++stored) {
        rowOf(height - 1 - stored, row.data());
        if (std::fwrite(row.data(), row.size(), 1, f) != 1)
            return kPixelsError;
    }
    return {};
}

std::string WriteDibFile(FILE* f, const CTileSheet& sheet)
{
    // Storage row 0 of the sheet is its bottom row, as in the file.
    return WriteDibPicture(f, kSheetPixels, kSheetPixels, [&](std::uint32_t y, std::uint8_t* levels) {
        const std::uint8_t* stored = sheet.GetPixels() + (kSheetPixels - 1 - y) * kSheetPixels;
        std::copy(stored, stored + kSheetPixels, levels);
    });
}
