#include "cli/Convert.h"

#include "cli/PngFile.h"
#include "formats/AsmCharMap.h"
#include "formats/DibFile.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "formats/SafeFile.h"
#include "formats/SysMemStream.h"
#include "tiles/TileSheet.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

enum class FileType { None, Kl, Dib, Rom, Asm, Png };

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
    {"asm", FileType::Asm, false, true, ".asm"},
    {"png", FileType::Png, true, true, ".png"},
};

const char* const kUsage = "Usage: kelvane-convert [options] INPUT OUTPUT\n";

const char* const kHelp =
    "Converts a Virtual Boy tileset with Kelvane's own readers and writers: a\n"
    "conversion that the editor can do as well gives the same bytes.\n"
    "\n"
    "Types, by extension or by --from/--to (\"-\", standard input or output,\n"
    "needs them):\n"
    "  kl   Kelvane tileset file     .kl             input, output\n"
    "  dib  8-bit DIB bitmap         .dib .bmp       input, output (128 x 128)\n"
    "  rom  ROM image                .vb .bin .obj   input\n"
    "  asm  ASM char map             .asm            output\n"
    "  png  PNG picture              .png            input (any size),\n"
    "                                                output (128 x 128, indexed)\n"
    "\n"
    "Options (N is decimal or 0x hexadecimal):\n"
    "  --from TYPE, --to TYPE   the input's and the output's type\n"
    "  --start N     ROM input: the byte the chars begin at, 0 to the file's\n"
    "                size (default 0)\n"
    "  --count N     ROM input: chars to read; kl and asm output: chars to\n"
    "                write (from a ROM, the same number); 1 to 256 (default 256)\n"
    "  --reduce 3bit|median     bitmap input: colour reduction by the two low\n"
    "                bits of each index (default) or by the median of the\n"
    "                palette colour; PNGs without a palette always take the\n"
    "                median of their colours\n"
    "  --layout charmap|tiles   bitmap input: the pixels fill the sheet in\n"
    "                order (default), or the picture is laid at the sheet's\n"
    "                bottom-left corner and cut at 128 x 128\n"
    "  -h, --help    show this help and end\n"
    "  --version     show the version and end\n"
    "\n"
    "A failed conversion writes its message, after the input's name, to\n"
    "standard error, ends with exit code 1 and leaves the output file as it\n"
    "was. A usage error ends with exit code 2.\n"
    "\n"
    "Example Makefile rules:\n"
    "  chars.asm: game.vb\n"
    "  \tkelvane-convert $< $@ --start 0x1000 --count 64\n"
    "  %.kl: %.png\n"
    "  \tkelvane-convert $< $@\n";

// The prompts of the options dialogs' number fields.
const char* const kIntPrompt = "Introduzca un número entero.";
const char* const kUIntPrompt = "Introduzca un número entero positivo.";

std::string RangePrompt(std::uint64_t minVal, std::uint64_t maxVal)
{
    return "Introduzca un número entero entre " + std::to_string(minVal) + " y " +
           std::to_string(maxVal) + ".";
}

struct Request
{
    std::string input;
    std::string output;
    FileType from = FileType::None;
    FileType to = FileType::None;
    std::optional<std::string> start;
    std::optional<std::string> count;
    DibImportOptions dib;
    bool dibOptionGiven = false;
};

const TypeName* TypeByName(const std::string& name)
{
    for (const TypeName& t : kTypes)
        if (name == t.name)
            return &t;
    return nullptr;
}

const TypeName& Info(FileType type)
{
    for (const TypeName& t : kTypes)
        if (t.type == type)
            return t;
    return kTypes[0];
}

// The type a file name's extension names (case ignored), or None.
FileType TypeOfPath(const std::string& path)
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
        if (ext.size() > 1 && list.find(" " + ext + " ") != std::string::npos)
            return t.type;
    }
    return FileType::None;
}

// Reads argv into the request. Returns what is wrong with the command
// line, "" when nothing is.
std::string ParseArguments(int argc, const char* const* argv, Request& r, bool& help,
                           bool& version)
{
    std::vector<std::string> files;
    bool options = true;
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
            help = true;
            return {};
        }
        if (arg == "--version") {
            version = true;
            return {};
        }
        std::string value;
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const bool known = name == "--from" || name == "--to" || name == "--start" ||
                           name == "--count" || name == "--reduce" || name == "--layout";
        if (!known)
            return "unknown option " + arg;
        if (eq != std::string::npos)
            value = arg.substr(eq + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return name + " needs a value";

        if (name == "--from" || name == "--to") {
            const bool input = name == "--from";
            const TypeName* t = TypeByName(value);
            if (!t || !(input ? t->input : t->output))
                return name + " takes " + (input ? "kl, dib, rom or png" : "kl, dib, asm or png");
            (input ? r.from : r.to) = t->type;
        } else if (name == "--start") {
            r.start = value;
        } else if (name == "--count") {
            r.count = value;
        } else if (name == "--reduce") {
            if (value != "3bit" && value != "median")
                return "--reduce takes 3bit or median";
            r.dib.median = value == "median";
            r.dibOptionGiven = true;
        } else {
            if (value != "charmap" && value != "tiles")
                return "--layout takes charmap or tiles";
            r.dib.adjustTiles = value == "tiles";
            r.dibOptionGiven = true;
        }
    }
    if (files.size() != 2)
        return "an input and an output file are needed";
    r.input = files[0];
    r.output = files[1];

    if (r.from == FileType::None)
        r.from = TypeOfPath(r.input);
    if (r.to == FileType::None)
        r.to = TypeOfPath(r.output);
    if (r.from == FileType::None || !Info(r.from).input)
        return "cannot read " + r.input + " (name its type with --from)";
    if (r.to == FileType::None || !Info(r.to).output)
        return "cannot write " + r.output + " (name its type with --to)";

    if (r.start && r.from != FileType::Rom)
        return "--start applies to ROM input only";
    if (r.count && r.from != FileType::Rom && r.to != FileType::Kl && r.to != FileType::Asm)
        return "--count applies to ROM input and to kl and asm output only";
    if (r.dibOptionGiven && r.from != FileType::Dib && r.from != FileType::Png)
        return "--reduce and --layout apply to bitmap input only";
    return {};
}

// A number as decimal digits, or 0x and hexadecimal digits, after an
// optional sign; saturates just above 32 bits. False for anything else.
bool ScanNumber(const std::string& text, bool& negative, std::uint64_t& magnitude)
{
    std::size_t i = 0;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return false;
    magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = char(std::tolower(static_cast<unsigned char>(text[i])));
        const int digit = c >= '0' && c <= '9' ? c - '0'
                          : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                               : -1;
        if (digit < 0)
            return false;
        magnitude = std::min<std::uint64_t>(magnitude * base + digit, std::uint64_t{1} << 33);
    }
    return true;
}

// The start byte as the ROM options check it: an unsigned number, 0 to the
// file's size. Returns the prompt when refused.
std::string CheckStart(const std::string& text, std::uint32_t fileSize, std::uint32_t& start)
{
    bool negative = false;
    std::uint64_t value = 0;
    if (!ScanNumber(text, negative, value) || negative || value > 0xFFFFFFFFu)
        return kUIntPrompt;
    if (value > fileSize)
        return RangePrompt(0, fileSize);
    start = std::uint32_t(value);
    return {};
}

// A number of chars as the count fields check it: a 32-bit signed number,
// 1 to 256.
std::string CheckCount(const std::optional<std::string>& text, int& count)
{
    count = kTileCount;
    if (!text)
        return {};
    bool negative = false;
    std::uint64_t value = 0;
    if (!ScanNumber(*text, negative, value) || value > (negative ? 0x80000000u : 0x7FFFFFFFu))
        return kIntPrompt;
    if (negative || value < 1 || value > std::uint64_t(kTileCount))
        return RangePrompt(1, kTileCount);
    count = int(value);
    return {};
}

// Standard input as a seekable stream for the ROM reader, which takes the
// file's size first: its bytes are read into memory.
FILE* SeekableCopy(FILE* in, std::vector<std::uint8_t>& bytes)
{
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(in))
        return nullptr;
    return OpenMemoryStream(bytes.data(), bytes.size());
}

// Reads the input into the sheet. A ROM's options are checked here, the
// start byte (against the file's size) before the number of chars, which
// goes into `count`.
std::string Read(const Request& r, FILE* f, CTileSheet& sheet, int& count)
{
    switch (r.from) {
    case FileType::Rom: {
        std::uint32_t start = 0;
        std::string message = CheckStart(r.start.value_or("0"), RomFileSize(f), start);
        if (message.empty())
            message = CheckCount(r.count, count);
        return message.empty() ? ReadRomChars(f, sheet, start, count) : message;
    }
    case FileType::Dib:
        return ReadDibFile(f, sheet, r.dib);
    case FileType::Png:
        return ReadPngFile(f, sheet, r.dib);
    default:
        return ReadNativeFile(f, sheet);
    }
}

// Writes the output's bytes; the message the writer ended with, and in
// lastMessage the one that stands for a failure seen only when the file is
// flushed.
std::string Write(const Request& r, int count, FILE* f, const CTileSheet& sheet,
                  const char*& lastMessage)
{
    switch (r.to) {
    case FileType::Dib:
        lastMessage = kDibWritePixelsError;
        return WriteDibFile(f, sheet);
    case FileType::Asm:
        lastMessage = kAsmWriteLineError;
        return WriteAsmCharMap(f, sheet, count);
    case FileType::Png:
        lastMessage = kDibWritePixelsError;
        return WritePngFile(f, sheet);
    default:
        lastMessage = kNativeWriteCharError;
        return WriteNativeFile(f, sheet, count);
    }
}

// The conversion after the arguments have been read. Returns the failure's
// message, "" on success.
std::string Convert(const Request& r, FILE* in, FILE* out)
{
    int count = kTileCount;
    if (r.from != FileType::Rom)
        if (std::string message = CheckCount(r.count, count); !message.empty())
            return message;

    const bool fromStdin = r.input == "-";
    std::vector<std::uint8_t> stdinBytes;
    FILE* f = !fromStdin ? OpenForReading(r.input)
              : r.from == FileType::Rom ? SeekableCopy(in, stdinBytes)
                                        : in;
    if (!f)
        return r.input + " cannot be opened.";
    CTileSheet sheet;
    const std::string readMessage = Read(r, f, sheet, count);
    if (f != in)
        std::fclose(f);
    if (!readMessage.empty())
        return readMessage;

    const char* lastMessage = nullptr;
    if (r.output == "-") {
        std::string message = Write(r, count, out, sheet, lastMessage);
        if (message.empty() && std::fflush(out) != 0)
            message = lastMessage;
        return message;
    }
    // The output takes the old file's place only once written completely.
    CSafeFileWriter writer;
    if (!writer.Open(r.output))
        return r.output + " cannot be opened.";
    const std::string message = Write(r, count, writer.stream(), sheet, lastMessage);
    if (!message.empty()) {
        writer.Abandon();
        return message;
    }
    // Build outputs can be made again: no waiting for the disk.
    return writer.Commit(false) ? std::string() : std::string(lastMessage);
}

}  // namespace

int RunConvert(int argc, const char* const* argv, FILE* in, FILE* out, FILE* err)
{
    bool help = false;
    bool version = false;
    Request r;
    if (const std::string usage = ParseArguments(argc, argv, r, help, version); !usage.empty()) {
        std::fprintf(err, "kelvane-convert: %s\n%s", usage.c_str(), kUsage);
        return 2;
    }
    if (help) {
        std::fprintf(out, "%s\n%s", kUsage, kHelp);
        return 0;
    }
    if (version) {
        std::fprintf(out, "kelvane-convert %s\n", KELVANE_VERSION);
        return 0;
    }

    const std::string message = Convert(r, in, out);
    if (message.empty())
        return 0;
    // A message that begins with the input's name needs it no second time.
    if (message.compare(0, r.input.size() + 1, r.input + " ") == 0)
        std::fprintf(err, "%s\n", message.c_str());
    else
        std::fprintf(err, "%s: %s\n", r.input.c_str(), message.c_str());
    return 1;
}
