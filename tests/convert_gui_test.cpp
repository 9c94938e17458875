// kelvane-convert as a build script runs it: the real executable, real
// files, standard input and output. Expected bytes come from the writers
// that the editor's Save command calls.
#include "formats/AsmCharMap.h"
#include "formats/DibFile.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "support/GuiTest.h"
#include "support/TestFiles.h"
#include "tiles/CharCodec.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <set>

namespace kelvane {

namespace {

struct Result
{
    int exitCode = -1;
    Bytes out;
    std::string err;
};

std::string Replaced(std::string text, const std::string& dir)
{
    for (std::size_t at; (at = text.find("{d}")) != std::string::npos;)
        text.replace(at, 3, dir);
    return text;
}

// Runs the converter on `command`, split at blanks, "{d}" standing for `dir`.
Result Convert(const std::string& dir, const std::string& command, const Bytes& input = {},
               const QString& stdoutFile = QString())
{
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    p.start(QStringLiteral(KELVANE_CONVERT_EXE),
            QString::fromStdString(Replaced(command, dir)).split(u' ', Qt::SkipEmptyParts));
    p.write(reinterpret_cast<const char*>(input.data()), qint64(input.size()));
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000)) << command;
    const QByteArray out = p.readAllStandardOutput();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            Bytes(out.begin(), out.end()), LfText(p.readAllStandardError())};
}

// Every level at every position of a tile somewhere, different tiles.
CTileSheet Pattern()
{
    CTileSheet sheet;
    for (int i = 0; i < kSheetBytes; ++i)
        sheet.GetPixels()[i] = LevelFromIndex((i * 7 + i / 128 * 3 + i / 1024) & 3);
    return sheet;
}

using Writer = std::function<std::string(FILE*, const CTileSheet&)>;

Writer Kl(int count = 256)
{
    return [count](FILE* f, const CTileSheet& s) { return WriteNativeFile(f, s, count); };
}

Writer Asm(int count = 256)
{
    return [count](FILE* f, const CTileSheet& s) { return WriteAsmCharMap(f, s, count); };
}

Bytes Written(const Writer& write, const CTileSheet& sheet)
{
    FILE* f = StreamWith({});
    EXPECT_EQ(write(f, sheet), "");
    Bytes bytes = StreamBytes(f);
    std::fclose(f);
    return bytes;
}

// The sheet that a DIB import or a ROM import fills from `bytes`.
CTileSheet Imported(const Bytes& bytes, const std::function<std::string(FILE*, CTileSheet&)>& read)
{
    CTileSheet sheet;
    FILE* f = StreamWith(bytes);
    EXPECT_EQ(read(f, sheet), "");
    std::fclose(f);
    return sheet;
}

CTileSheet RomSheet(const Bytes& rom, std::uint32_t start, int count)
{
    return Imported(rom, [&](FILE* f, CTileSheet& s) { return ReadRomChars(f, s, start, count); });
}

Bytes RomBytes(std::size_t size)
{
    Bytes rom(size);
    for (std::size_t i = 0; i < size; ++i)
        rom[i] = std::uint8_t(i * 131 + i / 253);
    return rom;
}

// The sheet a PNG written by the converter holds: 128 x 128, indexed, the
// red ramp palette, the sheet's top row first.
CTileSheet SheetOfPng(const Bytes& png)
{
    CTileSheet sheet;
    QImage image;
    EXPECT_TRUE(image.loadFromData(png.data(), int(png.size()), "PNG"));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.size(), QSize(128, 128));
    for (int v = 0; v < image.colorCount(); ++v)
        EXPECT_EQ(image.color(v), RedRampArgb(std::uint8_t(v))) << v;
    EXPECT_EQ(image.colorCount(), 256);
    for (int row = 0; row < 128 && image.height() == 128; ++row)
        for (int x = 0; x < 128; ++x)
            sheet.GetPixels()[row * 128 + x] = std::uint8_t(image.pixelIndex(x, 127 - row));
    return sheet;
}

Bytes PngBytes(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return Bytes(data.begin(), data.end());
}

// A blank picture.
Bytes PicturePng(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    image.setColorCount(2);
    image.fill(0);
    return PngBytes(image);
}

// The pattern as a PNG picture: indexed, the levels' indices as indices and
// a palette that the default reduction must not look at; or each pixel in
// the colour that `colour` gives for its level's index.
Bytes PatternPng(QImage::Format format, const std::function<QRgb(int)>& colour = {},
                 QRgb lastEntry = qRgb(7, 8, 9))
{
    const CTileSheet sheet = Pattern();
    QImage image(128, 128, format);
    if (format == QImage::Format_Indexed8)
        image.setColorTable({qRgb(9, 9, 9), qRgb(1, 2, 3), qRgb(4, 5, 6), lastEntry});
    for (int i = 0; i < kSheetBytes; ++i) {
        const int index = sheet.GetPixels()[i] & 3;
        const int x = i % 128, y = 127 - i / 128;
        if (format == QImage::Format_Indexed8)
            image.setPixel(x, y, uint(index));
        else
            image.setPixelColor(x, y, QColor(colour(index)));
    }
    return PngBytes(image);
}

// The halfwords of a C array written by the converter, in order.
std::vector<std::uint16_t> CArrayValues(const Bytes& source)
{
    const std::string text(source.begin(), source.end());
    std::vector<std::uint16_t> values;
    for (std::size_t at = text.find('{'); (at = text.find("0x", at)) != std::string::npos; at += 2)
        values.push_back(std::uint16_t(std::stoul(text.substr(at + 2, 4), nullptr, 16)));
    return values;
}

std::vector<std::uint16_t> Halfwords(const Bytes& bytes)
{
    std::vector<std::uint16_t> values;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        values.push_back(GetU16(&bytes[i]));
    return values;
}

// A command the converter refuses, and what standard error begins with.
struct Refusal
{
    const char* command;
    int exitCode;
    const char* message;
};

// Runs each refused command with the outputs holding "old": they must
// keep it, and nothing goes to standard output.
void ExpectRefused(const TempDir& dir, const std::vector<Refusal>& cases,
                   const std::vector<std::string>& outputs)
{
    const Bytes old = {'o', 'l', 'd'};
    for (const std::string& out : outputs)
        WriteFileBytes(dir.file(out), old);
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.command);
        const Result r = Convert(dir.path(), c.command);
        const std::string message = Replaced(c.message, dir.path());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.err.substr(0, message.size()), message);
        EXPECT_EQ(r.out, Bytes());
        for (const std::string& out : outputs)
            EXPECT_EQ(ReadFileBytes(dir.file(out)), old) << out;
    }
}

TEST(Convert, EveryInputToEveryOutputGivesTheEditorsBytes)
{
    TempDir dir;
    const CTileSheet pattern = Pattern();
    CTileSheet cleared = pattern;  // the pattern's level 3 pixels transparent
    std::replace(cleared.GetPixels(), cleared.GetPixels() + kSheetBytes, std::uint8_t(255),
                 std::uint8_t(0));
    const Bytes rom = RomBytes(0x1000 + 64 * 16);
    const struct
    {
        const char* name;
        Bytes bytes;
        const char* options;  // after the file names
        CTileSheet sheet;     // what the input holds
        int count;            // chars written to kl and asm
    } inputs[] = {
        {"in.kl", Written(Kl(), pattern), "", pattern, 256},
        {"in.dib", Written(WriteDibFile, pattern), "", pattern, 256},
        {"in.BMP", Written(WriteDibFile, pattern), "", pattern, 256},
        // The red ramp palette's entries 0, 85, 170, 255 are the shades.
        {"ramp.dib", Written(WriteDibFile, pattern), "--reduce nearest", pattern, 256},
        {"indexed.png", PatternPng(QImage::Format_Indexed8), "", pattern, 256},
        // A palette entry that tRNS makes transparent is level 0.
        {"clear.png", PatternPng(QImage::Format_Indexed8, {}, qRgba(7, 8, 9, 0)), "", cleared, 256},
        {"rgb.png", PatternPng(QImage::Format_RGB32,
                               [](int k) { return qRgb(64 * k + 5, 64 * k + 10, 64 * k); }),
         "--reduce=median", pattern, 256},
        // The four shades in red and in grey come through exactly.
        {"red.png", PatternPng(QImage::Format_RGB32, [](int k) { return qRgb(85 * k, 0, 0); }), "",
         pattern, 256},
        {"grey.png",
         PatternPng(QImage::Format_Grayscale8, [](int k) { return qRgb(85 * k, 85 * k, 85 * k); }),
         "", pattern, 256},
        {"game.vb", rom, "", RomSheet(rom, 0, 256), 256},
        {"game.bin", rom, "--start 4096 --count 64", RomSheet(rom, 4096, 64), 64},
    };
    for (const auto& in : inputs) {
        WriteFileBytes(dir.file(in.name), in.bytes);
        for (const std::string ext : {"kl", "dib", "asm", "png", "bin", "c"}) {
            SCOPED_TRACE(std::string(in.name) + " -> " + ext);
            const Result r = Convert(dir.path(), std::string("{d}/") + in.name + " {d}/out." +
                                                     ext + " " + in.options);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.err, "");
            const Bytes written = ReadFileBytes(dir.file("out." + ext));
            if (ext == "bin" || ext == "c") {
                // The console's chars, as the ROM import reads them.
                const Bytes bin = ReadFileBytes(dir.file("out.bin"));
                ASSERT_EQ(bin.size(), std::size_t(16 * in.count));
                const CTileSheet sheet = RomSheet(bin, 0, in.count);
                EXPECT_TRUE(std::equal(in.sheet.GetPixels() + kSheetBytes - 64 * in.count,
                                       in.sheet.GetPixels() + kSheetBytes,
                                       sheet.GetPixels() + kSheetBytes - 64 * in.count));
                if (ext == "c") {
                    EXPECT_EQ(CArrayValues(written), Halfwords(bin));
                }
            } else if (ext == "png") {
                const CTileSheet sheet = SheetOfPng(written);
                EXPECT_TRUE(std::equal(in.sheet.GetPixels(), in.sheet.GetPixels() + kSheetBytes,
                                       sheet.GetPixels()));
            } else {
                const Writer write = ext == "kl"    ? Kl(in.count)
                                     : ext == "asm" ? Asm(in.count)
                                                    : Writer(WriteDibFile);
                EXPECT_EQ(written, Written(write, in.sheet));
            }
        }
    }
}

TEST(Convert, OptionsAndStandardStreams)
{
    TempDir dir;
    const Bytes rom = RomBytes(4 * 1024);
    WriteFileBytes(dir.file("rom.obj"), rom);
    // A 64 x 64 picture: the pattern's first 4,096 pixels.
    Bytes dib64 = Written(WriteDibFile, Pattern());
    dib64.resize(14 + 1064 + 64 * 64);
    dib64[18] = dib64[22] = 64;
    const CTileSheet tiles = Imported(
        dib64, [](FILE* f, CTileSheet& s) { return ReadDibFile(f, s, {true, true}); });
    const struct
    {
        const char* command;
        Bytes stdinBytes;
        Bytes expected;
    } cases[] = {
        {"{d}/rom.obj - --to asm --start=0x1F1 --count 0x10", {},
         Written(Asm(16), RomSheet(rom, 0x1F1, 16))},
        {"--from rom --start 100 --count 3 - - --to kl", rom, Written(Kl(3), RomSheet(rom, 100, 3))},
        {"--from=dib --to=dib --layout tiles --reduce median - -", dib64,
         Written(WriteDibFile, tiles)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const Result r = Convert(dir.path(), c.command, c.stdinBytes);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.expected);
    }
}

// What `yes` writes, as far as two chars from byte 7 reach.
Bytes YesBytes()
{
    Bytes bytes;
    for (int i = 0; i < 20; ++i)
        bytes.insert(bytes.end(), {'y', '\n'});
    return bytes;
}

// Input from pipes and endless streams: a ROM is read up to its last char
// and no further. An output file that cannot grow: its name and the
// system's reason, and the old file stays.
TEST(Convert, PipesEndlessInputAndFilesThatCannotGrow)
{
    for (const std::string& missing : {MissingProgram("bash"), MissingDevice("/dev/zero")})
        if (!missing.empty())
            GTEST_SKIP() << missing;
    TempDir dir;
    const Bytes rom = RomBytes(4 * 1024);
    WriteFileBytes(dir.file("rom.obj"), rom);
    WriteFileBytes(dir.file("ok.kl"), Written(Kl(), Pattern()));
    WriteFileBytes(dir.file("out.kl"), {'o', 'l', 'd'});
    const struct
    {
        const char* shell;  // {k} stands for the converter
        int exitCode;
        Bytes out;
        const char* err;
    } cases[] = {
        {"{k} <(cat {d}/rom.obj) - --from rom --to asm --start 0x1F1 --count 16", 0,
         Written(Asm(16), RomSheet(rom, 0x1F1, 16)), ""},
        {"{k} - - --from rom --to kl --count 3 < /dev/zero", 0, Written(Kl(3), CTileSheet()), ""},
        {"yes | {k} - - --from rom --to kl --start 7 --count 2", 0,
         Written(Kl(2), RomSheet(YesBytes(), 7, 2)), ""},
        {"head -c 100 /dev/zero | {k} - - --from rom --start 200 --to kl", 2, {},
         "kelvane-convert: --start takes a number from 0 to 100, the size of standard input, not "
         "200\n"},
        {"trap '' XFSZ; ulimit -f 1; {k} {d}/ok.kl {d}/out.kl", 1, {},
         "kelvane-convert: {d}/out.kl: Fatal Error 0102: File too large\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shell);
        std::string command = Replaced(c.shell, dir.path());
        command.replace(command.find("{k}"), 3, KELVANE_CONVERT_EXE);
        QProcess p;
        p.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromStdString(command)});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QByteArray out = p.readAllStandardOutput();
        EXPECT_EQ(p.exitCode(), c.exitCode);
        EXPECT_EQ(Bytes(out.begin(), out.end()), c.out);
        const std::string err = Replaced(c.err, dir.path());
        EXPECT_EQ(LfText(p.readAllStandardError()).substr(0, err.size()), err);
    }
    EXPECT_EQ(ReadFileBytes(dir.file("out.kl")), (Bytes{'o', 'l', 'd'}));
}

TEST(Convert, FailuresReportTheEditorsMessagesAndLeaveTheOutput)
{
    TempDir dir;
    WriteFileBytes(dir.file("short.vb"), RomBytes(40));
    WriteFileBytes(dir.file("rom.vb"), RomBytes(4096));
    WriteFileBytes(dir.file("text.dib"), Bytes(20, 'x'));
    WriteFileBytes(dir.file("short.kl"), {3, 0, 1, 2, 3});
    WriteFileBytes(dir.file("bad.png"), Bytes(30, 'p'));
    WriteFileBytes(dir.file("ok.kl"), Written(Kl(), Pattern()));
    std::filesystem::create_directory(dir.file("folder.kl"));
    // A PNG signature and 256 MiB + 1 byte of nothing (a sparse file).
    WriteFileBytes(dir.file("huge.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    std::filesystem::resize_file(dir.file("huge.png"), (std::uint64_t(256) << 20) + 1);
    WriteFileBytes(dir.file("wide.png"), PicturePng(16385, 8, QImage::Format_Indexed8));
    ExpectRefused(dir, {
        {"{d}/none.kl {d}/out.kl", 1,
         "kelvane-convert: {d}/none.kl: cannot be opened: No such file or directory\n"},
        {"{d}/short.vb --count=3 {d}/out.asm", 1, "kelvane-convert: {d}/short.vb: Fatal Error 0012\n"},
        {"{d}/short.kl {d}/out.asm", 1, "kelvane-convert: {d}/short.kl: Fatal Error 0002\n"},
        {"{d}/text.dib {d}/out.kl", 1, "kelvane-convert: {d}/text.dib: Invalid DIB File!\n"},
        {"{d}/bad.png {d}/out.kl", 1, "kelvane-convert: {d}/bad.png: Invalid PNG File!\n"},
        {"{d}/huge.png {d}/out.kl", 1,
         "kelvane-convert: {d}/huge.png: PNG files larger than 268435456 bytes (256 MiB) are not "
         "read.\n"},
        {"{d}/wide.png {d}/out.kl", 1,
         "kelvane-convert: {d}/wide.png: The picture is 16385 x 8 pixels; pictures up to 16384 x "
         "16384 pixels can be converted.\n"},
        {"{d}/rom.vb --start 4097 {d}/out.kl", 2,
         "kelvane-convert: --start takes a number from 0 to 4096, the size of {d}/rom.vb, not "
         "4097\nUsage:"},
        {"{d}/rom.vb --start 0x100000000 {d}/out.kl", 2,
         "kelvane-convert: --start takes a number from 0 to 4294967295, not 0x100000000\n"},
        {"{d}/rom.vb --start -1 {d}/out.kl", 2,
         "kelvane-convert: --start takes a number from 0 to 4294967295, not -1\n"},
        {"{d}/rom.vb --count 257 {d}/out.kl", 2,
         "kelvane-convert: --count takes a number from 1 to 256, not 257\n"},
        {"{d}/rom.vb --count 0 {d}/out.kl", 2,
         "kelvane-convert: --count takes a number from 1 to 256, not 0\n"},
        {"{d}/ok.kl --count=0x {d}/out.asm", 2,
         "kelvane-convert: --count takes a number from 1 to 256, not 0x\n"},
        {"{d}/ok.kl {d}/no/x.kl", 1,
         "kelvane-convert: {d}/no/x.kl: cannot be opened: No such file or directory\n"},
        {"{d}/ok.kl {d}/folder.kl", 1, "kelvane-convert: {d}/folder.kl: cannot be opened: Is a directory\n"},
        {"{d}/folder.kl {d}/out.kl", 1, "kelvane-convert: {d}/folder.kl: cannot be opened: Is a directory\n"},
        {"{d}/ok.kl /dev/full --to kl", 1, "kelvane-convert: /dev/full: Fatal Error 0102: No space left on device\n"},
        {"{d}/out.kl", 2, "kelvane-convert: an input and an output file are needed\nUsage:"},
        {"--bogus {d}/ok.kl {d}/out.kl", 2, "kelvane-convert: unknown option --bogus\nUsage:"},
        {"--from=asm {d}/ok.kl {d}/out.kl", 2, "kelvane-convert: --from takes kl, dib, rom or png\n"},
        {"{d}/ok.kl --start=1 {d}/out.kl", 2, "kelvane-convert: --start applies to ROM input only\n"},
        {"{d}/ok.kl {d}/out.txt", 2, "kelvane-convert: cannot write {d}/out.txt (name its type"},
    }, {"out.kl", "out.asm", "out.txt"});
    EXPECT_FALSE(FileExists(dir.file("no")));
}

// An endless device is no PNG picture, and standard output that cannot take
// the bytes gives the writer's own message and the system's reason.
TEST(Convert, DevicesAsInputAndOutput)
{
    for (const std::string& missing : {MissingDevice("/dev/zero"), MissingDevice("/dev/full")})
        if (!missing.empty())
            GTEST_SKIP() << missing;
    TempDir dir;
    WriteFileBytes(dir.file("ok.kl"), Written(Kl(), Pattern()));
    ExpectRefused(dir, {{"/dev/zero {d}/out.kl --from png", 1,
                         "kelvane-convert: /dev/zero: Invalid PNG File!\n"}}, {"out.kl"});
    const Result full = Convert(dir.path(), "{d}/ok.kl - --to kl", {}, QStringLiteral("/dev/full"));
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "kelvane-convert: standard output: Fatal Error 0102: No space left on device\n");
    for (const char* option : {"--help", "--version"}) {
        const Result r = Convert(dir.path(), option, {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(r.exitCode, 1) << option;
        EXPECT_EQ(r.err, "kelvane-convert: standard output: cannot be written: No space left on device\n");
    }
}

TEST(Convert, NewerDibHeadersGiveTheSameSheetUnderEveryReduction)
{
    TempDir dir;
    for (const char* reduce : {"3bit", "median", "nearest"}) {
        const DibImportOptions options{reduce[0] == 'm', false, reduce[0] == 'n'};
        CTileSheet expected;
        for (int i = 0; i < kSheetBytes; ++i) {
            const int p = std::uint8_t(i * 5);
            expected.GetPixels()[i] = LevelFromIndex(reduce[0] == '3' ? p & 3 : ReduceColour(options, p, p, p));
        }
        for (const std::uint32_t header : {40u, 108u, 124u}) {
            SCOPED_TRACE(std::string(reduce) + " " + std::to_string(header));
            WriteFileBytes(dir.file("grey.dib"), GreyDib(header));  // the editor's import, the converter
            EXPECT_EQ(Written(Kl(), Imported(GreyDib(header), [&](FILE* f, CTileSheet& s) {
                          return ReadDibFile(f, s, options);
                      })),
                      Written(Kl(), expected));
            const Result r = Convert(dir.path(), "{d}/grey.dib - --to kl --reduce " + std::string(reduce));
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.out, Written(Kl(), expected));
        }
    }
}

TEST(Convert, OutputsNamingOneFileAreAUsageError)
{
    TempDir dir;
    WriteFileBytes(dir.file("pic.dib"), GreyDib(40));
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_symlink("same.bin", dir.file("link.bin"));
    std::filesystem::create_symlink("new.bin", dir.file("dangling.bin"));
    ExpectRefused(dir, {
        {"--map {d}/same.bin {d}/pic.dib {d}/same.bin", 2,
         "kelvane-convert: {d}/same.bin and {d}/same.bin name the same file\nUsage:"},
        {"--map {d}/sub/../same.bin {d}/pic.dib {d}/./same.bin", 2,
         "kelvane-convert: {d}/./same.bin and {d}/sub/../same.bin name the same file\n"},
        {"--map {d}/link.bin {d}/pic.dib {d}/same.bin", 2,
         "kelvane-convert: {d}/same.bin and {d}/link.bin name the same file\n"},
        {"--map {d}/dangling.bin {d}/pic.dib {d}/new.bin", 2,
         "kelvane-convert: {d}/new.bin and {d}/dangling.bin name the same file\n"},
        {"--map {d}/m.bin --preview {d}/p.png {d}/pic.dib {d}/p.png", 2,
         "kelvane-convert: {d}/p.png and {d}/p.png name the same file\n"},
    }, {"same.bin", "m.bin", "p.png"});
}

}  // namespace

namespace {

// Maps: pictures made of tiles, each tile 8 rows of 8 colour indices, top
// row first; pictures made of cells left to right, top to bottom.
using Tile = std::array<std::array<int, 8>, 8>;

Tile Flipped(Tile t, bool h, bool v)
{
    if (v)
        std::reverse(t.begin(), t.end());
    if (h)
        for (auto& row : t)
            std::reverse(row.begin(), row.end());
    return t;
}

struct Picture
{
    int cellsWide = 0;
    std::vector<Tile> cells;
    int CellsHigh() const { return int(cells.size()) / cellsWide; }
};

// In the four shades of red (pictures without a palette), or as an 8-bit
// picture whose indices are the levels (palette pictures).
QImage ImageOf(const Picture& p, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(8 * p.cellsWide, 8 * p.CellsHigh(), format);
    if (format == QImage::Format_Indexed8)
        for (int v = 0; v < 256; ++v)
            image.setColor(v, qRgb(v, 0, 0));
    for (std::size_t c = 0; c < p.cells.size(); ++c)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const int level = 85 * p.cells[c][y][x];
                const int px = int(c) % p.cellsWide * 8 + x, py = int(c) / p.cellsWide * 8 + y;
                if (format == QImage::Format_Indexed8)
                    image.setPixel(px, py, uint(level));
                else
                    image.setPixel(px, py, qRgb(level, 0, 0));
            }
    return image;
}

// The cells that chars.bin and map.bin place, read as the console reads
// them: 16 bytes a char, rows top first, pixel x in bits 2x + 1 and 2x.
std::vector<Tile> CellsShown(const Bytes& chars, const Bytes& map, int cellsWide, int stride,
                             int cellsHigh, int base)
{
    const std::vector<std::uint16_t> rows = Halfwords(chars), cells = Halfwords(map);
    std::vector<Tile> shown;
    for (int cy = 0; cy < cellsHigh; ++cy)
        for (int cx = 0; cx < cellsWide; ++cx) {
            const std::uint16_t cell = cells.at(std::size_t(cy * stride + cx));
            const std::size_t n = std::size_t((cell & 0x7FF) - base);
            Tile t{};
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    t[y][x] = (rows.at(8 * n + std::size_t(y)) >> (2 * x)) & 3;
            shown.push_back(Flipped(t, cell & 0x2000, cell & 0x1000));
        }
    return shown;
}

// The picture a PNG written by the converter shows, as colour indices.
std::vector<Tile> CellsOfPng(const Bytes& png, int cellsWide)
{
    QImage image;
    EXPECT_TRUE(image.loadFromData(png.data(), int(png.size()), "PNG"));
    std::vector<Tile> cells(std::size_t(cellsWide * (image.height() / 8)));
    for (int py = 0; py < image.height(); ++py)
        for (int px = 0; px < image.width(); ++px)
            cells[std::size_t(py / 8 * cellsWide + px / 8)][py % 8][px % 8] =
                qRed(image.pixel(px, py)) / 85;
    return cells;
}

std::string RunShell(const std::string& command, int& exitCode)
{
    QProcess p;
    p.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromStdString(command)});
    EXPECT_TRUE(p.waitForFinished(60000));
    exitCode = p.exitCode();
    return p.readAllStandardOutput().toStdString() + LfText(p.readAllStandardError());
}

TEST(ConvertMap, RandomPicturesComeBackCellForCell)
{
    TempDir dir;
    std::mt19937 rng(16);
    const struct
    {
        const char* options;
        bool flips, dedupe;
    } modes[] = {{"", true, true}, {"--no-flip", false, true}, {"--no-dedupe --base 7", true, false}};
    for (int round = 0; round < 6; ++round) {
        const auto& mode = modes[round % 3];
        SCOPED_TRACE(mode.options);
        // Tiles, some of them mirror images of themselves.
        std::vector<Tile> tiles(1 + rng() % 40);
        for (Tile& t : tiles) {
            for (auto& row : t)
                for (int& v : row)
                    v = int(rng() % 4);
            if (rng() % 4 == 0)
                t = rng() % 2 ? Flipped(t, false, true) : t;
            if (rng() % 4 == 0)
                for (auto& row : t)
                    std::copy(row.begin(), row.begin() + 4, row.rbegin());
        }
        Picture picture{int(1 + rng() % 40), {}};
        picture.cells.resize(std::size_t(picture.cellsWide) * (1 + rng() % 30));
        for (Tile& cell : picture.cells)
            cell = Flipped(tiles[rng() % tiles.size()], rng() % 2, rng() % 2);
        WriteFileBytes(dir.file("pic.png"), PngBytes(ImageOf(picture)));

        const Result r = Convert(dir.path(), std::string("--map {d}/map.bin {d}/pic.png {d}/chars.bin "
                                                         "--preview {d}/preview.png ") + mode.options);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const Bytes chars = ReadFileBytes(dir.file("chars.bin"));
        const Bytes map = ReadFileBytes(dir.file("map.bin"));
        const int base = mode.dedupe ? 0 : 7;
        EXPECT_EQ(CellsShown(chars, map, picture.cellsWide, picture.cellsWide,
                             picture.CellsHigh(), base),
                  picture.cells);
        EXPECT_EQ(CellsOfPng(ReadFileBytes(dir.file("preview.png")), picture.cellsWide),
                  picture.cells);

        // One char per tile that differs from the earlier ones, up to flips.
        std::set<Tile> seen;
        std::size_t distinct = 0;
        for (const Tile& cell : picture.cells) {
            distinct += !mode.dedupe || !seen.count(cell);
            for (int f = 0; f < (mode.flips ? 4 : 1); ++f)
                seen.insert(Flipped(cell, f & 1, f & 2));
        }
        EXPECT_EQ(chars.size(), 16 * distinct);
        // Numbered by first appearance.
        int next = 0;
        for (const std::uint16_t cell : Halfwords(map)) {
            const int n = (cell & 0x7FF) - base;
            EXPECT_LE(n, next);
            next = std::max(next, n + 1);
        }
    }
}

// Cells: A, A mirrored, A upended, A both; X, which mirrored equals X
// upended; S, which is its own mirror image, twice.
Picture HandMade()
{
    Tile a{}, x{}, s{};
    for (int i = 0; i < 8; ++i) {
        a[i][0] = 3;
        a[0][i] = i % 4;
        s[i][i] = s[i][7 - i] = 2;
    }
    s[0][0] = s[0][7] = 1;
    x[0][0] = x[7][7] = 3;
    return {4, {a, Flipped(a, true, false), Flipped(a, false, true), Flipped(a, true, true), x,
                Flipped(x, true, false), s, s}};
}

TEST(ConvertMap, HandMadeCellsWithEveryFlip)
{
    TempDir dir;
    const Picture picture = HandMade();
    QImage image = ImageOf(picture, QImage::Format_Indexed8);
    ASSERT_TRUE(image.save(QString::fromStdString(dir.file("pic.bmp")), "BMP"));
    const struct
    {
        const char* options;
        std::vector<std::uint16_t> map;
        std::size_t chars;
    } cases[] = {
        {"", {0x0000, 0x2000, 0x1000, 0x3000, 0x0001, 0x2001, 0x0002, 0x0002}, 3},
        {"--base 100 --palette 3", {0xC064, 0xE064, 0xD064, 0xF064, 0xC065, 0xE065, 0xC066, 0xC066}, 3},
        {"--no-flip", {0, 1, 2, 3, 4, 5, 6, 6}, 7},
        {"--no-dedupe --palette 1", {0x4000, 0x4001, 0x4002, 0x4003, 0x4004, 0x4005, 0x4006, 0x4007}, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const Result r = Convert(dir.path(),
                                 std::string("--map {d}/map.bin {d}/pic.bmp {d}/chars.bin ") + c.options);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Halfwords(ReadFileBytes(dir.file("map.bin"))), c.map);
        EXPECT_EQ(ReadFileBytes(dir.file("chars.bin")).size(), 16 * c.chars);
    }
    // A's first row 0, 1, 2, 3, 0, 1, 2, 3 and then rows of a left pixel 3.
    const Bytes chars = ReadFileBytes(dir.file("chars.bin"));
    EXPECT_EQ(Bytes(chars.begin(), chars.begin() + 4), (Bytes{0xE4, 0xE4, 0x03, 0x00}));

    // A segment: a whole BGMap of 64 x 64 cells, the padding 0.
    ASSERT_EQ(Convert(dir.path(), "--map {d}/seg.bin {d}/pic.bmp {d}/chars.bin --segment").exitCode, 0);
    std::vector<std::uint16_t> segment(4096, 0);
    std::copy(cases[0].map.begin(), cases[0].map.begin() + 4, segment.begin());
    std::copy(cases[0].map.begin() + 4, cases[0].map.end(), segment.begin() + 64);
    EXPECT_EQ(Halfwords(ReadFileBytes(dir.file("seg.bin"))), segment);

    // The C arrays compile as C99 and as C++ without a warning and hold the
    // .bin files' halfwords.
    ASSERT_EQ(Convert(dir.path(), "--map {d}/map.c {d}/pic.bmp {d}/chars.c --name tiles").exitCode, 0);
    WriteFileBytes(dir.file("main.c"), [] {
        const std::string text =
            "#include <stdio.h>\n"
            "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
            "extern const unsigned short tiles[24];\nextern const unsigned short tiles_map[8];\n"
            "#ifdef __cplusplus\n}\n#endif\n"
            "static void put(const unsigned short* v, int n)\n"
            "{ for (int i = 0; i < n; ++i) { putchar(v[i] & 0xFF); putchar(v[i] >> 8); } }\n"
            "int main(void) { put(tiles, 24); put(tiles_map, 8); return 0; }\n";
        return Bytes(text.begin(), text.end());
    }());
    ASSERT_EQ(Convert(dir.path(), "--map {d}/map.bin {d}/pic.bmp {d}/chars.bin").exitCode, 0);
    Bytes expected = ReadFileBytes(dir.file("chars.bin"));
    const Bytes plainMap = ReadFileBytes(dir.file("map.bin"));
    expected.insert(expected.end(), plainMap.begin(), plainMap.end());
    for (const char* compiler : {"cc -std=c99", "c++ -x c++"}) {
        SCOPED_TRACE(compiler);
        const QString program = QString::fromLatin1(compiler).section(u' ', 0, 0);
        for (const QString& needed : {QStringLiteral("bash"), program})
            if (const std::string missing = MissingProgram(needed); !missing.empty())
                GTEST_SKIP() << missing;
        int exitCode = -1;
        const std::string output = RunShell(
            Replaced(std::string(compiler) +
                         " -Wall -Wextra -Werror {d}/chars.c {d}/map.c {d}/main.c -o {d}/arrays"
                         " && {d}/arrays",
                     dir.path()),
            exitCode);
        EXPECT_EQ(exitCode, 0) << output;
        EXPECT_EQ(Bytes(output.begin(), output.end()), expected);
    }
}

// A DIB's headers alone, saying what size the picture is.
Bytes DibHeaderOnly(std::uint32_t width, std::uint32_t height)
{
    Bytes b = {'B', 'M'};
    PutU32(b, 0), PutU32(b, 0), PutU32(b, 14 + 40 + 1024);
    PutU32(b, 40), PutU32(b, width), PutU32(b, height), PutU16(b, 1), PutU16(b, 8);
    b.resize(14 + 40 + 1024, 0);
    return b;
}

TEST(ConvertMap, LimitsAreRefusedAndLeaveTheOutputs)
{
    TempDir dir;
    std::mt19937 rng(2049);
    // 2,049 and 257 random tiles, all different (with 4^64 possible tiles).
    for (const int n : {2049, 257}) {
        Picture p{n == 2049 ? 683 : 257, std::vector<Tile>(std::size_t(n))};
        for (Tile& t : p.cells)
            for (auto& row : t)
                for (int& v : row)
                    v = int(rng() % 4);
        WriteFileBytes(dir.file(std::to_string(n) + ".png"), PngBytes(ImageOf(p)));
    }
    WriteFileBytes(dir.file("hand.png"), PngBytes(ImageOf(HandMade())));
    WriteFileBytes(dir.file("12x8.png"), PicturePng(12, 8, QImage::Format_RGB32));
    WriteFileBytes(dir.file("4104x8.png"), PicturePng(4104, 8, QImage::Format_RGB32));
    WriteFileBytes(dir.file("wide.dib"), DibHeaderOnly(16392, 8));
    ExpectRefused(dir, {
        {"--map {d}/m.bin {d}/12x8.png {d}/c.bin", 1,
         "kelvane-convert: {d}/12x8.png: The picture is 12 x 8 pixels; a map needs a width and a "
         "height that are multiples of 8.\n"},
        {"--map {d}/m.bin {d}/wide.dib {d}/c.bin", 1,
         "kelvane-convert: {d}/wide.dib: The picture is 16392 x 8 pixels; pictures up to 16384 x "
         "16384 pixels can be converted.\n"},
        {"--map {d}/m.bin {d}/2049.png {d}/c.bin", 1,
         "kelvane-convert: {d}/2049.png: The map needs 2049 chars up to cell (682, 2); with --base 0 "
         "at most 2048 fit.\n"},
        {"--map {d}/m.bin {d}/hand.png {d}/c.bin --base 2046", 1,
         "kelvane-convert: {d}/hand.png: The map needs 3 chars up to cell (2, 1); with --base 2046 at "
         "most 2 fit.\n"},
        {"--map {d}/m.bin {d}/257.png {d}/c.kl", 1,
         "kelvane-convert: {d}/c.kl: A tileset file holds up to 256 chars; the map needs 257.\n"},
        {"--map {d}/m.bin {d}/4104x8.png {d}/c.bin --segment", 1,
         "kelvane-convert: {d}/4104x8.png: The picture is 4104 x 8 pixels; one world shows up to 8 "
         "BGMaps: 4096 x 512, 2048 x 1024, 1024 x 2048 or 512 x 4096 pixels.\n"},
        {"--map {d}/m.bin {d}/hand.png {d}/c.bin --base 2048", 2,
         "kelvane-convert: --base takes a number from 0 to 2047, not 2048\nUsage:"},
        {"--map {d}/m.bin {d}/hand.png {d}/c.bin --palette 4", 2,
         "kelvane-convert: --palette takes a number from 0 to 3, not 4\nUsage:"},
        {"--map {d}/m.txt {d}/hand.png {d}/c.bin", 2,
         "kelvane-convert: --map takes a file ending in .bin, .c or .asm\n"},
        {"{d}/hand.png {d}/c.bin --no-flip", 2,
         "kelvane-convert: --no-flip, --no-dedupe, --base, --palette, --segment and --preview "
         "apply to --map and --set only\n"},
    }, {"m.bin", "c.bin", "c.kl"});
}

}  // namespace

} // namespace kelvane
