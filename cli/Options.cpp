#include "cli/Options.h"

#include <algorithm>
#include <cctype>
#include <vector>

const char* const kUsage =
    "Usage: kelvane-convert [options] INPUT OUTPUT\n"
    "       kelvane-convert --map MAP [options] PICTURE CHARS\n";

const char* const kHelp =
    "Converts a Virtual Boy tileset with Kelvane's own readers and writers: a\n"
    "conversion that the editor can do as well gives the same bytes. With\n"
    "--map, cuts a picture into 8 x 8 cells and writes each distinct cell once\n"
    "as a char (CHARS) and the BGMap that places the chars (MAP).\n"
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
    "  -h, --help    show this help and end\n"
    "  --version     show the version and end\n"
    "\n"
    "Maps (PICTURE: png or dib, sides multiples of 8; cells left to right, top\n"
    "to bottom; chars numbered by first appearance):\n"
    "  --map MAP     write the map's 16-bit cells to MAP: .bin (little-endian),\n"
    "                .c or .asm; CHARS is .bin, .c, .asm, .kl (up to 256\n"
    "                chars) or .png (a sheet 128 pixels wide)\n"
    "  --no-flip     a cell uses an earlier char only unmirrored\n"
    "  --no-dedupe   every cell gets a char of its own\n"
    "  --base N      the first char's number, 0 to 2047 (default 0)\n"
    "  --palette N   the cells' palette, 0 to 3 (default 0)\n"
    "  --segment     every map row padded to 64 cells (a picture up to\n"
    "                512 x 512)\n"
    "  --preview FILE.png   the picture rebuilt from the chars and the map\n"
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
    "  \tkelvane-convert --map $*.map.bin $< $*.chars.bin\n";

namespace {

struct TypeName
{
    const char* name;
    FileType type;
    bool input;
    bool output;
    const char* extensions;  // space-separated, each with its full stop
};

constexpr TypeName kTypes[] = {
    {"kl", FileType::Kl, true, true, ".kl"},
    {"dib", FileType::Dib, true, true, ".dib .bmp"},
    {"rom", FileType::Rom, true, false, ".vb .bin .obj"},
    {"bin", FileType::Bin, false, true, ".bin"},
    {"c", FileType::C, false, true, ".c"},
    {"asm", FileType::Asm, false, true, ".asm"},
    {"png", FileType::Png, true, true, ".png"},
};

const TypeName* TypeByName(const std::string& name)
{
    for (const TypeName& t : kTypes)
        if (name == t.name)
            return &t;
    return nullptr;
}

// The type a file name's extension names (case ignored) for input or for
// output, or None.
FileType TypeOfPath(const std::string& path, bool input)
{
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return FileType::None;
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const TypeName& t : kTypes) {
        const std::string list = std::string(" ") + t.extensions + " ";
        if ((input ? t.input : t.output) && ext.size() > 1 &&
            list.find(" " + ext + " ") != std::string::npos)
            return t.type;
    }
    return FileType::None;
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
                                     "--palette", "--name", "--preview"};

}  // namespace

const char* TypeExtensions(FileType type)
{
    for (const TypeName& t : kTypes)
        if (t.type == type)
            return t.extensions;
    return "";
}

std::vector<std::string> OutputPaths(const Request& r)
{
    std::vector<std::string> paths;
    for (const std::string* path : {&r.output, r.map ? &*r.map : nullptr,
                                    r.preview ? &*r.preview : nullptr})
        if (path && *path != "-")
            paths.push_back(*path);
    return paths;
}

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
            const TypeName* t = TypeByName(value);
            if (!t || !(input ? t->input : t->output))
                return name + " takes " + (input ? "kl, dib, rom or png" : "kl, dib, bin, c, asm or png");
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
        r.mapType = TypeOfPath(*r.map, false);
        if (r.mapType != FileType::Bin && r.mapType != FileType::C && r.mapType != FileType::Asm)
            return "--map takes a file ending in .bin, .c or .asm";
        if (r.from != FileType::Png && r.from != FileType::Dib)
            return "--map takes a picture (png, dib) as input";
        if (r.to == FileType::Dib)
            return "with --map the chars go to bin, c, asm, kl or png";
        if (r.startGiven || r.countGiven)
            return "--start and --count do not apply to --map";
        if (r.dib.adjustTiles)
            return "--layout does not apply to --map";
        if (r.preview && TypeOfPath(*r.preview, false) != FileType::Png)
            return "--preview takes a file ending in .png";
        return {};
    }
    if (r.mapOptionGiven)
        return "--no-flip, --no-dedupe, --base, --palette, --segment and --preview apply to --map only";
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
