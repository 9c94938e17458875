#include "cli/Convert.h"

#include "cli/Options.h"
#include "cli/PngFile.h"
#include "cli/SysSignals.h"
#include "formats/AsmCharMap.h"
#include "formats/CharStream.h"
#include "formats/DibFile.h"
#include "formats/HalfwordArray.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "formats/SafeFile.h"
#include "formats/SysFileName.h"
#include "tiles/CharCodec.h"
#include "tiles/TileMap.h"
#include "tiles/TileSheet.h"

#include <algorithm>
#include <array>
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

// The output files, each written to a temporary file; once every output
// has been written they all take the old files' places, or none does. Or
// standard output.
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
            m_files.push_back({path, lastMessage});
            f = m_set.Open(path);
            if (!f)
                return Failed(path, "cannot be opened", true);
        }
        const std::string name = path == "-" ? kStdout : path;
        errno = 0;
        if (const std::string message = write(f); !message.empty())
            return Failed(name, message, true);
        if (path == "-" && std::fflush(f) != 0)
            return Failed(name, lastMessage, true);
        return {};
    }

    // Puts every written file in its place, or none; a signal that would
    // end the process meanwhile waits until it is done.
    Outcome Commit()
    {
        const CExitSignalsHeld held;
        std::size_t failed = 0;
        errno = 0;
        // Build outputs can be made again: no waiting for the disk.
        if (!m_set.Commit(false, failed))
            return Failed(m_files[failed].path, m_files[failed].lastMessage, true);
        return {};
    }

private:
    struct File
    {
        std::string path;
        const char* lastMessage;
    };
    FILE* m_out;
    CSafeFileSet m_set;
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
        for (int k = 0; k < kTilePixels; ++k)
            SetU16(&bytes[2 * k], chars[i][k]);
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

// Opens `path` (standard input for "-"), reads it with `read` and closes it.
Outcome ReadFile(const std::string& path, FILE* in, const std::function<Outcome(FILE*)>& read)
{
    errno = 0;
    FILE* f = path == "-" ? in : OpenForReading(path);
    if (!f)
        return Failed(path, "cannot be opened", true);
    Outcome outcome = read(f);
    if (f != in)
        std::fclose(f);
    return outcome;
}

// A file name in a Makefile rule: blanks and # after a backslash, $ doubled.
std::string MakeName(const std::string& path)
{
    std::string name;
    for (const char c : path) {
        if (c == ' ' || c == '\t' || c == '#')
            name += '\\';
        name += c == '$' ? "$$" : std::string(1, c);
    }
    return name;
}

// --deps: one Makefile rule, every output of the run a target, every input
// a prerequisite, as a compiler's -MD writes it.
Outcome WriteDeps(const Request& r, COutputs& outputs)
{
    if (!r.deps)
        return {};
    std::string rule;
    for (const std::string& path : OutputPaths(r))
        if (path != *r.deps)
            rule += (rule.empty() ? "" : " ") + MakeName(path);
    rule += ":";
    for (const std::string& path : InputPaths(r))
        rule += " \\\n " + MakeName(path);
    rule += "\n";
    return outputs.Write(*r.deps, kHalfwordWriteError, [&](FILE* o) -> std::string {
        return std::fputs(rule.c_str(), o) < 0 ? kHalfwordWriteError : "";
    });
}

Outcome ConvertTileset(const Request& r, FILE* in, FILE* out)
{
    CTileSheet sheet;
    if (Outcome read = ReadFile(r.input, in, [&](FILE* f) { return ReadSheet(r, f, sheet); });
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
    if (written.code == 0)
        written = WriteDeps(r, outputs);
    return written.code != 0 ? written : outputs.Commit();
}

// Chars from a tileset file (.kl, rows stored bottom first) or in the
// console's format (16 bytes a char, rows top first: a .bin, a dump).
Outcome ReadChars(const std::string& path, FileType type, FILE* in,
                  std::vector<ConsoleChar>& chars)
{
    return ReadFile(path, in, [&](FILE* f) {
        const bool native = type == FileType::Kl;
        const std::size_t head = native ? 2 : 0;
        std::vector<std::uint8_t> bytes;
        const std::size_t most = head + std::size_t(native ? kTileCount : kMapCharLimit) * kCharBytes;
        if (!ReadRest(f, most, bytes))
            return Failed(path, "holds more than " + std::to_string(kMapCharLimit) + " chars.");
        if (std::ferror(f))
            return Failed(path, native ? kNativeReadCharError : "cannot be read", !native);
        std::size_t count = bytes.size() / kCharBytes;
        if (native) {
            if (bytes.size() < head)
                return Failed(path, kNativeReadCountError);
            count = std::min<std::size_t>(bytes[0] | (bytes[1] << 8), kTileCount);
            if (bytes.size() < head + count * kCharBytes)
                return Failed(path, kNativeReadCharError);
        } else if (bytes.size() % kCharBytes != 0) {
            return Failed(path, "holds " + std::to_string(bytes.size()) +
                                    " bytes, not a whole number of 16-byte chars.");
        }
        chars.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            for (int k = 0; k < kTilePixels; ++k) {
                const std::size_t at = head + i * kCharBytes + 2 * std::size_t(native ? 7 - k : k);
                chars[i][k] = std::uint16_t(bytes[at] | (bytes[at + 1] << 8));
            }
        return Outcome();
    });
}

// A map and where its picture goes in BGMap memory.
struct CutPicture
{
    TileMap map;
    BgMapGrid grid;
    std::uint32_t firstBgMap = 0;
    std::size_t charsAdded = 0;
};

std::string CountOf(std::size_t n, const char* what)
{
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// The table of --report: chars in all and per segment of char memory, per
// picture the chars it added and the BGMaps its map takes.
void Report(FILE* err, const Request& r, const std::vector<CutPicture>& cut, std::size_t seeded,
            std::size_t chars)
{
    const unsigned base = r.mapOptions.base;
    std::fprintf(err, "chars: %zu, numbers %u to %zu\n", chars, base, base + chars - (chars > 0));
    for (std::uint32_t segment = 0; segment < kMapCharLimit / kCharSegment; ++segment) {
        const std::size_t from = std::max<std::size_t>(base, segment * kCharSegment);
        const std::size_t to = std::min<std::size_t>(base + chars, (segment + 1) * kCharSegment);
        std::fprintf(err, "  segment %u (%4u-%4u): %zu\n", segment, segment * kCharSegment,
                     (segment + 1) * kCharSegment - 1, to > from ? to - from : 0);
    }
    if (r.seed)
        std::fprintf(err, "  %s: %zu (seed)\n", r.seed->c_str(), seeded);
    for (std::size_t i = 0; i < cut.size(); ++i) {
        std::string bgmaps = "a map of " + std::to_string(cut[i].map.cellsWide) + " x " +
                             std::to_string(cut[i].map.cellsHigh) + " cells";
        if (r.mapOptions.segment)
            bgmaps = cut[i].grid.Count() == 1
                         ? "BGMap " + std::to_string(cut[i].firstBgMap)
                         : "BGMaps " + std::to_string(cut[i].firstBgMap) + "-" +
                               std::to_string(cut[i].firstBgMap + cut[i].grid.Count() - 1) + " (" +
                               std::to_string(cut[i].grid.wide) + " x " +
                               std::to_string(cut[i].grid.high) + ")";
        std::fprintf(err, "  %s: %s, %s\n", r.pictures[i].picture.c_str(),
                     CountOf(cut[i].charsAdded, "new char").c_str(), bgmaps.c_str());
    }
}

// A map's cells in the form its extension names.
std::string WriteMap(FILE* o, const Request& r, const MapPicture& p, const TileMap& map)
{
    switch (p.mapType) {
    case FileType::Asm:
        return WriteMapAsm(o, map.cells, map.stride);
    case FileType::C:
        return WriteHalfwordsC(
            o, ArrayName(r, p.map, "map", "_map"),
            map.gridWide == 0
                ? "BGMap of " + std::to_string(map.cellsWide) + " x " +
                      std::to_string(map.cellsHigh) + " cells, " + std::to_string(map.stride) +
                      " cells per row"
                : CountOf(map.cells.size() / kBgMapCells, "BGMap") + " of 64 x 64 cells, " +
                      std::to_string(map.gridWide) + " across, for " +
                      std::to_string(map.cellsWide) + " x " + std::to_string(map.cellsHigh) +
                      " cells",
            map.cells);
    default:
        return WriteHalfwordsBin(o, map.cells);
    }
}

// The world attribute entries, 16 halfwords a picture.
std::string WriteWorlds(FILE* o, const Request& r, const std::vector<CutPicture>& cut)
{
    Halfwords words;
    for (const CutPicture& c : cut) {
        const auto entry = WorldEntry(c.grid, c.firstBgMap, c.map.cellsWide * kTilePixels,
                                      c.map.cellsHigh * kTilePixels);
        words.insert(words.end(), entry.begin(), entry.end());
    }
    switch (r.worldType) {
    case FileType::Asm:
        if (std::fprintf(o, ";World attributes, 16 halfwords a world\n") < 0)
            return kHalfwordWriteError;
        for (std::size_t i = 0; i < words.size(); i += 8)
            if (!WriteAsmHalfwordLine(o, &words[i], 8, "World ", i / 16))
                return kHalfwordWriteError;
        return {};
    case FileType::C:
        return WriteHalfwordsC(o, ArrayName(r, *r.world, "worlds", "_worlds"),
                               CountOf(cut.size(), "world attribute entry") +
                                   " of 16 halfwords",
                               words);
    default:
        return WriteHalfwordsBin(o, words);
    }
}

// The BGMap a picture of `grid` takes from `next` on: aligned to the
// number of BGMaps in the grid, as the console requires.
std::uint32_t AlignedBgMap(std::uint32_t next, const BgMapGrid& grid)
{
    return (next + grid.Count() - 1) / grid.Count() * grid.Count();
}

// Every picture of --map or --set cut into one set of chars, then every
// output written at once.
Outcome ConvertSet(const Request& r, FILE* in, FILE* out, FILE* err)
{
    CCharSet set(r.mapOptions);
    const std::size_t fit = kMapCharLimit - r.mapOptions.base;
    const bool told = r.maxChars && *r.maxChars < fit;
    const std::size_t limit = told ? *r.maxChars : fit;
    const std::string budget = told ? "--max-chars is " + std::to_string(limit)
                                    : "with --base " + std::to_string(r.mapOptions.base) +
                                          " at most " + std::to_string(fit) + " fit";
    std::size_t seeded = 0;
    if (r.seed) {
        std::vector<ConsoleChar> seed;
        if (Outcome read = ReadChars(*r.seed, r.seedType, in, seed); read.code != 0)
            return read;
        if (seed.size() > limit)
            return Failed(*r.seed, "The seed holds " + std::to_string(seed.size()) + " chars; " +
                                       budget + ".");
        set.Seed(seed);
        seeded = seed.size();
    }

    std::vector<CutPicture> cut;
    std::uint32_t nextBgMap = r.bgmap;
    for (const MapPicture& p : r.pictures) {
        PackedPicture picture;
        if (Outcome read = ReadFile(p.picture, in,
                                    [&](FILE* f) {
                                        const std::string message =
                                            p.from == FileType::Png
                                                ? ReadPngPicture(f, r.png, r.dib, picture)
                                                : ReadDibPicture(f, r.dib, kMaxPictureSide, picture);
                                        return message.empty() ? Outcome() : Failed(p.picture, message);
                                    });
            read.code != 0)
            return read;
        CutPicture c;
        if (r.mapOptions.segment) {
            if (!GridFor(picture.cellsWide, picture.height / kTilePixels, c.grid))
                return Failed(p.picture, "The picture is " + std::to_string(picture.Width()) +
                                             " x " + std::to_string(picture.height) +
                                             " pixels; one world shows up to 8 BGMaps: 4096 x 512, "
                                             "2048 x 1024, 1024 x 2048 or 512 x 4096 pixels.");
            c.firstBgMap = AlignedBgMap(nextBgMap, c.grid);
            nextBgMap = c.firstBgMap + c.grid.Count();
            if (nextBgMap > kBgMapCount)
                return Failed(p.picture, "The maps need " + std::to_string(nextBgMap) +
                                             " BGMaps (from 0, alignment included) up to this "
                                             "picture; the console has 14.");
        }
        const std::size_t before = set.Chars().size();
        std::array<std::uint32_t, 2> stopAt{};
        if (!set.Cut(picture, limit, c.map, stopAt))
            return Failed(p.picture, std::string("The ") + (r.set ? "set" : "map") + " needs " +
                                         std::to_string(limit + 1) + " chars up to cell (" +
                                         std::to_string(stopAt[0]) + ", " +
                                         std::to_string(stopAt[1]) + "); " + budget + ".");
        c.charsAdded = set.Chars().size() - before;
        cut.push_back(std::move(c));
    }
    const std::vector<ConsoleChar> chars = set.TakeChars();
    if (r.to == FileType::Kl && chars.size() > std::size_t(kTileCount))
        return Failed(r.output, "A tileset file holds up to 256 chars; the " +
                                    std::string(r.set ? "set" : "map") + " needs " +
                                    std::to_string(chars.size()) + ".");

    COutputs outputs(out);
    const Halfwords charRows = CharHalfwords(chars);
    const char* charsLast = r.to == FileType::Kl ? kNativeWriteCharError : kHalfwordWriteError;
    Outcome written = outputs.Write(r.output, charsLast, [&](FILE* o) -> std::string {
        switch (r.to) {
        case FileType::Kl:
            return WriteCharsAsNative(o, chars);
        case FileType::Png:
            return WriteCharsPng(o, chars);
        case FileType::Asm:
            return WriteCharsAsm(o, charRows);
        case FileType::C:
            return WriteHalfwordsC(o, ArrayName(r, r.output, "chars", ""),
                                   CharsComment(chars.size()), charRows);
        default:
            return WriteHalfwordsBin(o, charRows);
        }
    });
    for (std::size_t i = 0; i < cut.size() && written.code == 0; ++i)
        written = outputs.Write(r.pictures[i].map, kHalfwordWriteError,
                                [&](FILE* o) { return WriteMap(o, r, r.pictures[i], cut[i].map); });
    if (written.code == 0 && r.preview)
        written = outputs.Write(*r.preview, kHalfwordWriteError, [&](FILE* o) {
            TileMap& map = cut.front().map;
            map.chars = chars;
            return WritePngPicture(
                o, map.cellsWide * kTilePixels, map.cellsHigh * kTilePixels,
                [&](std::uint32_t y, std::uint8_t* levels) {
                    DrawMapRow(map, r.mapOptions.base, y, levels);
                },
                kHalfwordWriteError);
        });
    if (written.code == 0 && r.world)
        written = outputs.Write(*r.world, kHalfwordWriteError,
                                [&](FILE* o) { return WriteWorlds(o, r, cut); });
    if (written.code == 0)
        written = WriteDeps(r, outputs);
    if (written.code == 0)
        written = outputs.Commit();
    if (written.code == 0 && r.report)
        Report(err, r, cut, seeded, chars.size());
    return written;
}

// --draw: the picture a map shows with its chars.
Outcome DrawMap(const Request& r, FILE* in, FILE* out)
{
    TileMap map;
    if (Outcome read = ReadChars(r.drawChars, r.drawCharsType, in, map.chars); read.code != 0)
        return read;
    const std::size_t most = std::size_t(r.cellsWide) * (kMaxPictureSide / kTilePixels);
    if (Outcome read = ReadFile(r.input, in,
                                [&](FILE* f) {
                                    std::vector<std::uint8_t> bytes;
                                    if (!ReadRest(f, 2 * most, bytes))
                                        return Failed(r.input, "holds more than " +
                                                                   std::to_string(most) +
                                                                   " cells; a picture is up to "
                                                                   "16384 pixels high.");
                                    if (std::ferror(f))
                                        return Failed(r.input, "cannot be read", true);
                                    if (bytes.empty() || bytes.size() % 2 != 0)
                                        return Failed(r.input, "holds " +
                                                                   std::to_string(bytes.size()) +
                                                                   " bytes, not 2-byte cells.");
                                    for (std::size_t i = 0; i < bytes.size(); i += 2)
                                        map.cells.push_back(
                                            std::uint16_t(bytes[i] | (bytes[i + 1] << 8)));
                                    return Outcome();
                                });
        read.code != 0)
        return read;
    map.cellsWide = map.stride = r.cellsWide;
    map.cellsHigh = std::uint32_t((map.cells.size() + r.cellsWide - 1) / r.cellsWide);
    const auto rowOf = [&](std::uint32_t y, std::uint8_t* levels) {
        DrawMapRow(map, r.mapOptions.base, y, levels);
    };
    const std::uint32_t width = map.cellsWide * kTilePixels, height = map.cellsHigh * kTilePixels;
    COutputs outputs(out);
    Outcome written =
        r.to == FileType::Dib
            ? outputs.Write(r.output, kDibWritePixelsError,
                            [&](FILE* o) { return WriteDibPicture(o, width, height, rowOf); })
            : outputs.Write(r.output, kDibWritePixelsError, [&](FILE* o) {
                  return WritePngPicture(o, width, height, rowOf, kDibWritePixelsError);
              });
    if (written.code == 0)
        written = WriteDeps(r, outputs);
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
    if (r.help || r.version) {
        errno = 0;
        if (r.help)
            std::fprintf(out, "%s\n%s", kUsage, kHelp);
        else
            std::fprintf(out, "kelvane-convert %s\n", KELVANE_VERSION);
        if (std::fflush(out) == 0 && !std::ferror(out))
            return 0;
        std::fprintf(err, "kelvane-convert: %s: cannot be written%s%s\n", kStdout,
                     errno ? ": " : "", errno ? std::strerror(errno) : "");
        return 1;
    }
    // Two outputs on one file would leave only the one written last.
    const std::vector<std::string> outputs = OutputPaths(r);
    for (std::size_t i = 0; i < outputs.size(); ++i)
        for (std::size_t k = 0; k < i; ++k)
            if (FileIdentity(outputs[i]) == FileIdentity(outputs[k])) {
                std::fprintf(err, "kelvane-convert: %s and %s name the same file\n%s",
                             outputs[k].c_str(), outputs[i].c_str(), kUsage);
                return 2;
            }

    const Outcome o = r.draw                  ? DrawMap(r, in, out)
                      : !r.pictures.empty() ? ConvertSet(r, in, out, err)
                                            : ConvertTileset(r, in, out);
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
