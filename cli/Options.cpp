#include "cli/Options.h"

#include "cli/PngFile.h"

#include <algorithm>
#include <cctype>
#include <vector>

const char* const kUsage =
    "Usage: kelvane-convert [options] INPUT OUTPUT\n"
    "       kelvane-convert --map MAP [options] PICTURE CHARS\n"
    "       kelvane-convert --set CHARS [options] PICTURE MAP [PICTURE MAP ...]\n"
    "       kelvane-convert --draw [--base N] [--cells-wide N] MAP CHARS PICTURE\n";

const char* const kHelp =
    "Converts a Virtual Boy tileset with Kelvane's own readers and writers: a\n"
    "conversion that the editor can do as well gives the same bytes. With\n"
    "--map, cuts a picture into 8 x 8 cells and writes each distinct cell once\n"
    "as a char (CHARS) and the BGMap that places the chars (MAP); with --set,\n"
    "several pictures share one set of chars (a game's char memory). --draw\n"
    "draws a map with its chars.\n"
    "\n"
    "Types, by extension or by --from/--to (\"-\", standard input or output,\n"
    "needs them):\n"
    "  kl   Kelvane tileset file     .kl             input, output\n"
    "  dib  8-bit DIB bitmap         .dib .bmp       input, output (128 x 128)\n"
    "  rom  ROM image                .vb .bin .obj   input\n"
    "  bin  chars, console format    .bin            output (16 bytes a char)\n"
    "  c    C array of halfwords     .c              output\n"
    "  asm  ASM char map             .asm            output\n"
    "  png  PNG picture              .png            input (up to 16384 x 16384,\n"
    "                                                files up to 256 MiB),\n"
    "                                                output (128 x 128, indexed)\n"
    "\n"
    "Options (N is decimal or 0x hexadecimal):\n"
    "  --from TYPE, --to TYPE   the input's and the output's type\n"
    "  --start N     ROM input: the byte the chars begin at, 0 to the file's\n"
    "                size (default 0)\n"
    "  --count N     ROM input: chars to read; kl, asm, bin and c output: chars\n"
    "                to write (from a ROM, the same number); 1 to 256\n"
    "                (default 256)\n"
    "  --reduce 3bit|median|nearest   picture input: a pixel's shade from the\n"
    "                two low bits of its palette index, or without a palette of\n"
    "                its brightest component (3bit), from the sum of\n"
    "                its colour's components / 192 (median) or the nearest\n"
    "                shade by brightness, (max(R, G, B) + 42) / 85 (nearest).\n"
    "                Default: 3bit for palette pictures, nearest for others\n"
    "  --layout charmap|tiles   picture input to a tileset: the pixels fill the\n"
    "                sheet in order (default), or the picture is laid at the\n"
    "                sheet's bottom-left corner and cut at 128 x 128\n"
    "  --name NAME   c output: the array's name (default: the file's name\n"
    "                without its extension); with --map the chars' array, and\n"
    "                the map's is NAME_map\n"
    "  --deps FILE   also write a Makefile rule: every output of the run a\n"
    "                target, every input (pictures, seed) a prerequisite\n"
    "  -h, --help    show this help and end\n"
    "  --version     show the version and end\n"
    "\n"
    "Maps (PICTURE: png or dib, sides multiples of 8; cells left to right, top\n"
    "to bottom; chars numbered by first appearance; a PNG pixel with alpha\n"
    "below 128, or of a palette entry that tRNS makes so, is level 0, which\n"
    "the console never draws):\n"
    "  --map MAP     write the map's 16-bit cells to MAP: .bin (little-endian),\n"
    "                .c or .asm; CHARS is .bin, .c, .asm, .kl (up to 256\n"
    "                chars) or .png (a sheet 128 pixels wide)\n"
    "  --no-flip     a cell uses an earlier char only unmirrored\n"
    "  --no-dedupe   every cell gets a char of its own\n"
    "  --base N      the first char's number, 0 to 2047 (default 0)\n"
    "  --palette N   the cells' palette, 0 to 3 (default 0)\n"
    "  --set CHARS   cut every PICTURE into its MAP with one set of chars,\n"
    "                numbered by first appearance in command-line order;\n"
    "                the options of --map apply (a stereo pair: two\n"
    "                pictures of one set)\n"
    "  --seed FILE   chars that come first, at their numbers from --base, and\n"
    "                stay: a .kl tileset file or a console-format .bin; cells\n"
    "                equal to one of them (with flips) use it\n"
    "  --max-chars N the set's chars at most, 1 to 2048 (default 2048 - base);\n"
    "                the run stops at the first cell past it, exit 1\n"
    "  --report      after a run, a table on standard error: the chars in all\n"
    "                and per 512-char segment, the chars each picture added\n"
    "                and the BGMaps each map uses\n"
    "  --segment     maps as the BGMaps one world shows: a grid of 1, 2, 4\n"
    "                or 8 BGMaps across by 1, 2, 4 or 8 down, 8 at most (up to\n"
    "                4096 x 512, 2048 x 1024, 1024 x 2048, 512 x 4096 pixels),\n"
    "                each BGMap 64 x 64 cells (8 KiB), cells past the picture\n"
    "                0, in MAP row by row of the grid; 14 BGMaps at most\n"
    "  --world FILE  with --segment, per picture the 16 halfwords of a world\n"
    "                attribute entry that shows its map (LON, RON, BGM normal,\n"
    "                SCX, SCY, BGMAP_BASE, W and H): .bin, .c or .asm\n"
    "  --bgmap N     with --segment, the first picture's first BGMap, 0 to 13\n"
    "                (default 0); each picture's BGMaps follow, aligned to\n"
    "                their number as the console requires\n"
    "  --preview FILE.png   --map: the picture rebuilt from the chars and map\n"
    "\n"
    "Drawing (--draw MAP CHARS PICTURE: MAP a file of little-endian cells, as\n"
    "written or as a game holds them; CHARS a .kl file or console-format\n"
    "chars; PICTURE .png or .dib; cells whose char is missing are level 0):\n"
    "  --cells-wide N   cells per picture row, 1 to 2048 (default 64, a BGMap\n"
    "                row: BGMaps one below the other)\n"
    "  --base N      the number of the first char in CHARS (default 0)\n"
    "Cell bits: 0-10 char number, 12 vertical flip, 13 horizontal flip,\n"
    "14-15 palette.\n"
    "\n"
    "Every message begins with \"kelvane-convert: \" and names the file it is\n"
    "about, with the system's reason where the system failed. A failed\n"
    "conversion ends with exit code 1 and leaves the output files as they\n"
    "were: all outputs are replaced together or none is, also when the run is\n"
    "interrupted. A usage error (an unknown option, a value out of its range,\n"
    "two outputs naming the same file) ends with exit code 2. An output may\n"
    "name the input: every conversion reads its input whole before it writes.\n"
    "Devices and pipes (/dev/null, a FIFO) are written directly.\n"
    "\n"
    "Example Makefile rules:\n"
    "  chars.asm: game.vb\n"
    "  \tkelvane-convert $< $@ --start 0x1000 --count 64\n"
    "  %.kl: %.png\n"
    "  \tkelvane-convert $< $@\n"
    "  %.chars.bin %.map.bin: %.png\n"
    "  \tkelvane-convert --map $*.map.bin $< $*.chars.bin\n"
    "  LEVELS = title left right\n"
    "  game.chars.bin: $(LEVELS:%=%.png) font.kl\n"
    "  \tkelvane-convert --set $@ --seed font.kl --segment --world worlds.bin \\\n"
    "  \t    --deps game.d $(foreach l,$(LEVELS),$(l).png $(l).map.bin)\n"
    "  -include game.d\n";

namespace {

// The type a file name's extension names (case ignored) for input or for
// output, or None.
FileType TypeOfPath(const std::string& path, bool input)
{
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FileType::None;
    return TypeOfExtension(path.substr(dot), input);
}

// A number as decimal digits, or 0x and hexadecimal digits; saturates just
// above 32 bits. False for anything else, a sign included.
bool ScanNumber(const std::string& text, std::uint64_t& value)
{
    std::size_t i = 0;
    int base = 10;
    if (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0) {
        base = 16;
        i = 2;
    }
    if (i == text.size())
        return false;
    value = 0;
    for (; i < text.size(); ++i) {
        const char c = char(std::tolower(static_cast<unsigned char>(text[i])));
        const int digit = c >= '0' && c <= '9' ? c - '0'
                          : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                               : -1;
        if (digit < 0)
            return false;
        value = std::min<std::uint64_t>(value * base + digit, std::uint64_t{1} << 33);
    }
    return true;
}

// The option's value as a number from minVal to maxVal, or the message.
std::string NumberOption(const std::string& name, const std::string& text, std::uint64_t minVal,
                         std::uint64_t maxVal, std::uint64_t& value)
{
    if (!ScanNumber(text, value) || value < minVal || value > maxVal)
        return name + " takes a number from " + std::to_string(minVal) + " to " +
               std::to_string(maxVal) + ", not " + (text.empty() ? "nothing" : text);
    return {};
}

const char* const kValueOptions[] = {"--from",  "--to",   "--start", "--count",
                                     "--reduce", "--layout", "--map", "--base",
                                     "--palette", "--name", "--preview", "--set",
                                     "--seed", "--max-chars", "--world", "--bgmap",
                                     "--cells-wide", "--deps"};

// The map options of one picture and of a set, against the files named.
std::string CheckMapRequest(Request& r)
{
    if (r.to == FileType::Dib)
        return std::string("with ") + (r.set ? "--set" : "--map") +
               " the chars go to bin, c, asm, kl or png";
    if (r.startGiven || r.countGiven)
        return "--start and --count do not apply to --map or --set";
    if (r.dib.adjustTiles)
        return "--layout does not apply to --map or --set";
    if (r.preview && (r.set || TypeOfPath(*r.preview, false) != FileType::Png))
        return r.set ? "--preview applies to --map only (see --draw)"
                     : "--preview takes a file ending in .png";
    for (MapPicture& p : r.pictures) {
        p.mapType = TypeOfPath(p.map, false);
        if (p.mapType != FileType::Bin && p.mapType != FileType::C && p.mapType != FileType::Asm)
            return std::string(r.set ? "a MAP" : "--map") + " takes a file ending in .bin, .c or .asm";
        p.from = r.from != FileType::None ? r.from : TypeOfPath(p.picture, true);
        if (p.from != FileType::Png && p.from != FileType::Dib)
            return r.set ? "--set takes pictures (png, dib) as input"
                         : "--map takes a picture (png, dib) as input";
    }
    if (r.seed) {
        r.seedType = TypeOfPath(*r.seed, false);
        if (r.seedType != FileType::Kl && r.seedType != FileType::Bin)
            return "--seed takes a file ending in .kl or .bin";
    }
    if (r.world) {
        r.worldType = TypeOfPath(*r.world, false);
        if (r.worldType != FileType::Bin && r.worldType != FileType::C &&
            r.worldType != FileType::Asm)
            return "--world takes a file ending in .bin, .c or .asm";
    }
    if ((r.world || r.bgmap != 0) && !r.mapOptions.segment)
        return "--world and --bgmap need --segment";
    if (r.cellsWideGiven)
        return "--cells-wide applies to --draw only";
    return {};
}

// --draw MAP CHARS PICTURE.
std::string CheckDrawRequest(const Request& r)
{
    if (r.to != FileType::Png && r.to != FileType::Dib)
        return "--draw writes a picture: png or dib";
    if (r.from != FileType::None || r.setOptionGiven || r.preview || r.startGiven ||
        r.countGiven || r.dibOptionGiven || r.name || r.mapOptions.palette != 0 ||
        !r.mapOptions.flips || !r.mapOptions.dedupe || r.mapOptions.segment)
        return "--draw takes --base, --cells-wide, --to and --deps only";
    return {};
}

}  // namespace

std::string ParseArguments(int argc, const char* const* argv, Request& r)
{
    std::vector<std::string> files;
    bool options = true;
    bool reduceGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!options || arg == "-" || arg.empty() || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            r.help = true;
            return {};
        }
        if (arg == "--version") {
            r.version = true;
            return {};
        }
        if (arg == "--report" || arg == "--draw") {
            (arg == "--draw" ? r.draw : r.report) = true;
            r.setOptionGiven = r.setOptionGiven || arg == "--report";
            continue;
        }
        if (arg == "--no-flip" || arg == "--no-dedupe" || arg == "--segment") {
            r.mapOptionGiven = true;
            (arg == "--no-flip"     ? r.mapOptions.flips
             : arg == "--no-dedupe" ? r.mapOptions.dedupe
                                    : r.mapOptions.segment) = arg == "--segment";
            continue;
        }
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), name) ==
            std::end(kValueOptions))
            return "unknown option " + arg;
        std::string value;
        if (eq != std::string::npos)
            value = arg.substr(eq + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return name + " needs a value";

        std::uint64_t number = 0;
        std::string message;
        if (name == "--from" || name == "--to") {
            const bool input = name == "--from";
            const FileTypeInfo* t = FileTypeNamed(value);
            if (!t || !(input ? t->input : t->output))
                return name + " takes " + TypeNames(input);
            (input ? r.from : r.to) = t->type;
        } else if (name == "--start") {
            message = NumberOption(name, value, 0, 0xFFFFFFFFu, number);
            r.start = std::uint32_t(number);
            r.startGiven = true;
        } else if (name == "--count") {
            message = NumberOption(name, value, 1, 256, number);
            r.count = int(number);
            r.countGiven = true;
        } else if (name == "--base") {
            message = NumberOption(name, value, 0, kMapCharLimit - 1, number);
            r.mapOptions.base = unsigned(number);
            r.mapOptionGiven = true;
        } else if (name == "--palette") {
            message = NumberOption(name, value, 0, 3, number);
            r.mapOptions.palette = unsigned(number);
            r.mapOptionGiven = true;
        } else if (name == "--reduce") {
            if (value != "3bit" && value != "median" && value != "nearest")
                return "--reduce takes 3bit, median or nearest";
            r.dib.median = value == "median";
            r.dib.nearest = value == "nearest";
            r.dibOptionGiven = reduceGiven = true;
        } else if (name == "--layout") {
            if (value != "charmap" && value != "tiles")
                return "--layout takes charmap or tiles";
            r.dib.adjustTiles = value == "tiles";
            r.dibOptionGiven = true;
        } else if (name == "--map") {
            r.map = value;
        } else if (name == "--set") {
            r.set = true;
            r.output = value;
        } else if (name == "--seed" || name == "--world") {
            (name == "--seed" ? r.seed : r.world) = value;
            r.setOptionGiven = true;
        } else if (name == "--deps") {
            r.deps = value;
        } else if (name == "--max-chars") {
            message = NumberOption(name, value, 1, kMapCharLimit, number);
            r.maxChars = std::uint32_t(number);
            r.setOptionGiven = true;
        } else if (name == "--bgmap") {
            message = NumberOption(name, value, 0, kBgMapCount - 1, number);
            r.bgmap = std::uint32_t(number);
            r.setOptionGiven = true;
        } else if (name == "--cells-wide") {
            message = NumberOption(name, value, 1, kMaxPictureSide / kTilePixels, number);
            r.cellsWide = std::uint32_t(number);
            r.cellsWideGiven = true;
        } else if (name == "--name") {
            r.name = value;
        } else {
            r.preview = value;
            r.mapOptionGiven = true;
        }
        if (!message.empty())
            return message;
    }
    // Pictures without a palette: the nearest shade unless told otherwise.
    r.png = r.dib;
    r.png.nearest = r.dib.nearest || !reduceGiven;

    if (r.map && r.set)
        return "--map and --set do not go together";
    if (r.draw) {
        if (r.map || r.set)
            return "--draw goes with neither --map nor --set";
        if (files.size() != 3)
            return "--draw needs a map, a chars file and a picture";
        r.input = files[0];
        r.drawChars = files[1];
        if (TypeOfPath(r.drawChars, true) == FileType::Kl)
            r.drawCharsType = FileType::Kl;
        r.output = files[2];
        if (r.to == FileType::None)
            r.to = TypeOfPath(r.output, false);
        return CheckDrawRequest(r);
    }
    if (r.set) {
        if (files.empty() || files.size() % 2 != 0)
            return "--set needs pictures, each followed by its map";
        for (std::size_t i = 0; i < files.size(); i += 2)
            r.pictures.push_back({files[i], files[i + 1]});
        r.input = files[0];
        if (r.to == FileType::None)
            r.to = TypeOfPath(r.output, false);
        if (r.to == FileType::None)
            return "cannot write " + r.output + " (name its type with --to)";
        return CheckMapRequest(r);
    }
    if (files.size() != 2)
        return r.map ? "a picture and a chars file are needed" : "an input and an output file are needed";
    r.input = files[0];
    r.output = files[1];

    if (r.from == FileType::None)
        r.from = TypeOfPath(r.input, true);
    if (r.to == FileType::None)
        r.to = TypeOfPath(r.output, false);
    if (r.from == FileType::None)
        return "cannot read " + r.input + " (name its type with --from)";
    if (r.to == FileType::None)
        return "cannot write " + r.output + " (name its type with --to)";

    if (r.map) {
        r.pictures.push_back({r.input, *r.map});
        return CheckMapRequest(r);
    }
    if (r.mapOptionGiven)
        return "--no-flip, --no-dedupe, --base, --palette, --segment and --preview apply to --map and "
               "--set only";
    if (r.setOptionGiven || r.cellsWideGiven)
        return "--seed, --max-chars, --report, --world, --bgmap and --cells-wide do not apply to a "
               "tileset conversion";
    if (r.startGiven && r.from != FileType::Rom)
        return "--start applies to ROM input only";
    if (r.countGiven && r.from != FileType::Rom && r.to != FileType::Kl && r.to != FileType::Asm &&
        r.to != FileType::Bin && r.to != FileType::C)
        return "--count applies to ROM input and to kl, asm, bin and c output only";
    if (r.dibOptionGiven && r.from != FileType::Dib && r.from != FileType::Png)
        return "--reduce and --layout apply to picture input only";
    if (r.name && r.to != FileType::C)
        return "--name applies to c output only";
    return {};
}

std::vector<std::string> OutputPaths(const Request& r)
{
    std::vector<std::string> paths = {r.output};
    for (const MapPicture& p : r.pictures)
        paths.push_back(p.map);
    for (const auto& extra : {r.preview, r.world, r.deps})
        if (extra)
            paths.push_back(*extra);
    paths.erase(std::remove(paths.begin(), paths.end(), "-"), paths.end());
    return paths;
}

std::vector<std::string> InputPaths(const Request& r)
{
    std::vector<std::string> paths;
    if (r.pictures.empty())
        paths.push_back(r.input);
    for (const MapPicture& p : r.pictures)
        paths.push_back(p.picture);
    if (r.draw)
        paths.push_back(r.drawChars);
    if (r.seed)
        paths.push_back(*r.seed);
    paths.erase(std::remove(paths.begin(), paths.end(), "-"), paths.end());
    return paths;
}
