#include "cli/Convert.h"

#include "cli/Options.h"
#include "cli/PngFile.h"
#include "formats/AsmCharMap.h"
#include "formats/DibFile.h"
#include "formats/HalfwordArray.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "formats/SafeFile.h"
#include "formats/SysFileName.h"
#include "tiles/CharCodec.h"
#include "tiles/TileMap.h"
#include "tiles/TileSheet.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// How a conversion ended: exit code, the file the message is about and the
// message, with the system's reason for an output that failed.
struct Outcome
{
    int code = 0;
    std::string file;
    std::string message;
    std::string reason;
};

Outcome Failed(const std::string& file, const std::string& message, bool withReason = false)
{
    return {1, file, message, withReason && errno != 0 ? ErrorReason(errno) : ""};
}

Outcome Usage(const std::string& message)
{
    return {2, "", message, ""};
}

const char* const kStdout = "standard output";

// The output files, each written to a temporary file that takes the old
// file's place only once every output has been written; or standard output.
class COutputs
{
public:
    explicit COutputs(FILE* out) : m_out(out) {}

    // Writes one output with `write`, which returns its message;
    // `lastMessage` stands for a failure seen only when the file is flushed.
    Outcome Write(const std::string& path, const char* lastMessage,
                  const std::function<std::string(FILE*)>& write)
    {
        errno = 0;
        FILE* f = m_out;
        if (path != "-") {
            m_files.push_back({std::make_unique<CSafeFileWriter>(), path, lastMessage});
            if (!m_files.back().writer->Open(path))
                return Failed(path, "cannot be opened", true);
            f = m_files.back().writer->stream();
        }
        const std::string name = path == "-" ? kStdout : path;
        errno = 0;
        if (const std::string message = write(f); !message.empty())
            return Failed(name, message, true);
        if (path == "-" && std::fflush(f) != 0)
            return Failed(name, lastMessage, true);
        return {};
    }

    // Puts every written file in its place.
    Outcome Commit()
    {
        for (File& file : m_files) {
            errno = 0;
            // Build outputs can be made again: no waiting for the disk.
            if (!file.writer->Commit(false))
                return Failed(file.path, file.lastMessage, true);
        }
        return {};
    }

private:
    struct File
    {
        std::unique_ptr<CSafeFileWriter> writer;
        std::string path;
        const char* lastMessage;
    };
    FILE* m_out;
    std::vector<File> m_files;
};

// The C array's name: --name, else the file's name without folder and
// extension, else what the array holds.
std::string ArrayName(const Request& r, const std::string& path, const char* fallback,
                      const char* suffix)
{
    if (r.name)
        return CArrayName(*r.name + suffix);
    std::string stem = path.substr(path.rfind('/') + 1);
    stem = stem.substr(0, stem.rfind('.'));
    return CArrayName(path == "-" || stem.empty() ? fallback : stem);
}

// The comment line of a C array of chars.
std::string CharsComment(std::size_t chars)
{
    return std::to_string(chars) + " chars in the console's format, 8 char rows each, top row first";
}

// Reads a ROM's chars: from a file after checking the start byte against
// its size, from a pipe by reading up to the start byte and the chars.
Outcome ReadRom(const Request& r, FILE* f, CTileSheet& sheet)
{
    std::uint32_t size = 0;
    std::string message;
    if (StreamCanSeek(f)) {
        size = RomFileSize(f);
        if (r.start <= size)
            message = ReadRomChars(f, sheet, r.start, r.count);
    } else {
        size = r.start;
        message = ReadRomCharsInOrder(f, sheet, r.start, r.count, size);
    }
    if (r.start > size)
        return Usage("--start takes a number from 0 to " + std::to_string(size) + ", the size of " +
                     (r.input == "-" ? std::string("standard input") : r.input) + ", not " +
                     std::to_string(r.start));
    return message.empty() ? Outcome() : Failed(r.input, message);
}

Outcome ReadSheet(const Request& r, FILE* f, CTileSheet& sheet)
{
    std::string message;
    switch (r.from) {
    case FileType::Rom:
        return ReadRom(r, f, sheet);
    case FileType::Dib:
        message = ReadDibFile(f, sheet, r.dib);
        break;
    case FileType::Png:
        message = ReadPngFile(f, sheet, r.png, r.dib);
        break;
    default:
        message = ReadNativeFile(f, sheet);
        break;
    }
    return message.empty() ? Outcome() : Failed(r.input, message);
}

// Chars as a tileset file: through the sheet, with the editor's writer.
std::string WriteCharsAsNative(FILE* f, const std::vector<ConsoleChar>& chars)
{
    CTileSheet sheet;
    for (std::size_t i = 0; i < chars.size() && i < std::size_t(kTileCount); ++i) {
        CharBytes bytes{};
        for (int k = 0; k < kTilePixels; ++k) {
            bytes[2 * k] = std::uint8_t(chars[i][k]);
            bytes[2 * k + 1] = std::uint8_t(chars[i][k] >> 8);
        }
        sheet.PutTile(DecodeChar(bytes.data(), ConsoleOrder), int(i % 16), int(i / 16));
    }
    return WriteNativeFile(f, sheet, int(chars.size()));
}

// Chars as a picture 128 pixels wide, 16 chars to a row.
std::string WriteCharsPng(FILE* f, const std::vector<ConsoleChar>& chars)
{
    const std::size_t rows = (chars.size() + kSheetTiles - 1) / kSheetTiles;
    return WritePngPicture(
        f, kSheetPixels, std::uint32_t(rows * kTilePixels),
        [&](std::uint32_t y, std::uint8_t* levels) {
            for (std::size_t c = 0; c < std::size_t(kSheetTiles); ++c) {
                const std::size_t n = y / kTilePixels * kSheetTiles + c;
                const PixelRow row = DecodeCharRow(n < chars.size() ? chars[n][y % kTilePixels] : 0);
                std::copy(row.begin(), row.end(), levels + kTilePixels * c);
            }
        },
        kHalfwordWriteError);
}

// Opens the input (standard input for "-"), reads it with `read` and
// closes it.
Outcome ReadInput(const Request& r, FILE* in, const std::function<Outcome(FILE*)>& read)
{
    errno = 0;
    FILE* f = r.input == "-" ? in : OpenForReading(r.input);
    if (!f)
        return Failed(r.input, "cannot be opened", true);
    Outcome outcome = read(f);
    if (f != in)
        std::fclose(f);
    return outcome;
}

Outcome ConvertTileset(const Request& r, FILE* in, FILE* out)
{
    CTileSheet sheet;
    if (Outcome read = ReadInput(r, in, [&](FILE* f) { return ReadSheet(r, f, sheet); });
        read.code != 0)
        return read;

    COutputs outputs(out);
    Outcome written;
    const auto charsOut = [&](FILE* o) -> std::string {
        const Halfwords rows = SheetCharHalfwords(sheet, r.count);
        if (r.to == FileType::Bin)
            return WriteHalfwordsBin(o, rows);
        return WriteHalfwordsC(o, ArrayName(r, r.output, "chars", ""),
                               CharsComment(rows.size() / kTilePixels), rows);
    };
    switch (r.to) {
    case FileType::Dib:
        written = outputs.Write(r.output, kDibWritePixelsError,
                                [&](FILE* o) { return WriteDibFile(o, sheet); });
        break;
    case FileType::Asm:
        written = outputs.Write(r.output, kAsmWriteLineError,
                                [&](FILE* o) { return WriteAsmCharMap(o, sheet, r.count); });
        break;
    case FileType::Png:
        written = outputs.Write(r.output, kDibWritePixelsError,
                                [&](FILE* o) { return WritePngFile(o, sheet); });
        break;
    case FileType::Bin:
    case FileType::C:
        written = outputs.Write(r.output, kHalfwordWriteError, charsOut);
        break;
    default:
        written = outputs.Write(r.output, kNativeWriteCharError,
                                [&](FILE* o) { return WriteNativeFile(o, sheet, r.count); });
        break;
    }
    return written.code != 0 ? written : outputs.Commit();
}

Outcome ConvertMap(const Request& r, FILE* in, FILE* out)
{
    PackedPicture picture;
    if (Outcome read = ReadInput(r, in,
                                 [&](FILE* f) {
                                     const std::string message =
                                         r.from == FileType::Png
                                             ? ReadPngPicture(f, r.png, r.dib, picture)
                                             : ReadDibPicture(f, r.dib, kMaxPictureSide, picture);
                                     return message.empty() ? Outcome() : Failed(r.input, message);
                                 });
        read.code != 0)
        return read;
    if (r.mapOptions.segment && (picture.cellsWide > kSegmentCells ||
                                 picture.height > kSegmentCells * kTilePixels))
        return Failed(r.input, "The picture is " + std::to_string(picture.Width()) + " x " +
                                   std::to_string(picture.height) +
                                   " pixels; --segment takes pictures up to 512 x 512.");

    const TileMap map = BuildTileMap(picture, r.mapOptions);
    picture = PackedPicture();
    const std::size_t fit = kMapCharLimit - r.mapOptions.base;
    if (map.chars.size() > fit)
        return Failed(r.input, "The map needs " + std::to_string(map.chars.size()) +
                                   " chars; with --base " + std::to_string(r.mapOptions.base) +
                                   " at most " + std::to_string(fit) + " fit.");
    if (r.to == FileType::Kl && map.chars.size() > std::size_t(kTileCount))
        return Failed(r.output, "A tileset file holds up to 256 chars; the map needs " +
                                    std::to_string(map.chars.size()) + ".");

    COutputs outputs(out);
    const Halfwords charRows = CharHalfwords(map.chars);
    const char* charsLast = r.to == FileType::Kl ? kNativeWriteCharError : kHalfwordWriteError;
    Outcome written = outputs.Write(r.output, charsLast, [&](FILE* o) -> std::string {
        switch (r.to) {
        case FileType::Kl:
            return WriteCharsAsNative(o, map.chars);
        case FileType::Png:
            return WriteCharsPng(o, map.chars);
        case FileType::Asm:
            return WriteCharsAsm(o, charRows);
        case FileType::C:
            return WriteHalfwordsC(o, ArrayName(r, r.output, "chars", ""),
                                   CharsComment(map.chars.size()), charRows);
        default:
            return WriteHalfwordsBin(o, charRows);
        }
    });
    if (written.code == 0)
        written = outputs.Write(*r.map, kHalfwordWriteError, [&](FILE* o) -> std::string {
            switch (r.mapType) {
            case FileType::Asm:
                return WriteMapAsm(o, map.cells, map.stride);
            case FileType::C:
                return WriteHalfwordsC(o, ArrayName(r, *r.map, "map", "_map"),
                                       "BGMap of " + std::to_string(map.cellsWide) + " x " +
                                           std::to_string(map.cellsHigh) + " cells, " +
                                           std::to_string(map.stride) + " cells per row",
                                       map.cells);
            default:
                return WriteHalfwordsBin(o, map.cells);
            }
        });
    if (written.code == 0 && r.preview)
        written = outputs.Write(*r.preview, kHalfwordWriteError, [&](FILE* o) {
            return WritePngPicture(
                o, map.cellsWide * kTilePixels, map.cellsHigh * kTilePixels,
                [&](std::uint32_t y, std::uint8_t* levels) {
                    DrawMapRow(map, r.mapOptions.base, y, levels);
                },
                kHalfwordWriteError);
        });
    return written.code != 0 ? written : outputs.Commit();
}

}  // namespace

int RunConvert(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err)
{
    Request r;
    if (const std::string usage = ParseArguments(argc, argv, r); !usage.empty()) {
        std::fprintf(err, "kelvane-convert: %s\n%s", usage.c_str(), kUsage);
        return 2;
    }
    if (r.help) {
        std::fprintf(out, "%s\n%s", kUsage, kHelp);
        return 0;
    }
    if (r.version) {
        std::fprintf(out, "kelvane-convert %s\n", KELVANE_VERSION);
        return 0;
    }

    const Outcome o = r.map ? ConvertMap(r, in, out) : ConvertTileset(r, in, out);
    if (o.code == 0)
        return 0;
    std::string text = "kelvane-convert: ";
    if (!o.file.empty())
        text += (o.file == "-" ? std::string("standard input") : o.file) + ": ";
    text += o.message;
    if (!o.reason.empty())
        text += ": " + o.reason;
    std::fprintf(err, "%s\n%s", text.c_str(), o.code == 2 ? kUsage : "");
    return o.code;
}
