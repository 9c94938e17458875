// kelvane-convert as a build script runs it: the real executable, real
// files, standard input and output. Expected bytes come from the writers
// that the editor's Save command calls.
#include "formats/AsmCharMap.h"
#include "formats/DibFile.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "support/TestFiles.h"
#include "tiles/CharCodec.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

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
            Bytes(out.begin(), out.end()), p.readAllStandardError().toStdString()};
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

// The pattern as a PNG picture: indexed, the levels' indices as indices and
// a palette that the default reduction must not look at; or in greys whose
// colour sums reduce to the levels' indices.
Bytes PatternPng(bool indexed)
{
    const CTileSheet sheet = Pattern();
    QImage image(128, 128, indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (indexed)
        image.setColorTable({qRgb(9, 9, 9), qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)});
    for (int i = 0; i < kSheetBytes; ++i) {
        const int index = sheet.GetPixels()[i] & 3;
        const int x = i % 128, y = 127 - i / 128;
        if (indexed)
            image.setPixel(x, y, uint(index));
        else
            image.setPixel(x, y, qRgb(64 * index + 5, 64 * index + 10, 64 * index));
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return Bytes(data.begin(), data.end());
}

TEST(Convert, EveryInputToEveryOutputGivesTheEditorsBytes)
{
    TempDir dir;
    const CTileSheet pattern = Pattern();
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
        {"indexed.png", PatternPng(true), "", pattern, 256},
        {"rgb.png", PatternPng(false), "--reduce=median", pattern, 256},
        {"game.vb", rom, "", RomSheet(rom, 0, 256), 256},
        {"game.bin", rom, "--start 4096 --count 64", RomSheet(rom, 4096, 64), 64},
    };
    for (const auto& in : inputs) {
        WriteFileBytes(dir.file(in.name), in.bytes);
        for (const std::string ext : {"kl", "dib", "asm", "png"}) {
            SCOPED_TRACE(std::string(in.name) + " -> " + ext);
            const Result r = Convert(dir.path(), std::string("{d}/") + in.name + " {d}/out." +
                                                     ext + " " + in.options);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.err, "");
            const Bytes written = ReadFileBytes(dir.file("out." + ext));
            if (ext == "png") {
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
    const struct
    {
        const char* command;  // an existing output is {d}/out.*
        int exitCode;
        const char* message;  // what standard error begins with
    } cases[] = {
        {"{d}/none.kl {d}/out.kl", 1, "{d}/none.kl cannot be opened.\n"},
        {"{d}/short.vb --count=3 {d}/out.asm", 1, "{d}/short.vb: Fatal Error 0012\n"},
        {"{d}/short.kl {d}/out.asm", 1, "{d}/short.kl: Fatal Error 0002\n"},
        {"{d}/text.dib {d}/out.kl", 1, "{d}/text.dib: Invalid DIB File!\n"},
        {"{d}/bad.png {d}/out.kl", 1, "{d}/bad.png: Invalid PNG File!\n"},
        {"{d}/rom.vb --start 4097 --count 0 {d}/out.kl", 1,
         "{d}/rom.vb: Introduzca un número entero entre 0 y 4096.\n"},
        {"{d}/rom.vb --start -1 {d}/out.kl", 1, "{d}/rom.vb: Introduzca un número entero positivo.\n"},
        {"{d}/rom.vb --count 257 {d}/out.kl", 1,
         "{d}/rom.vb: Introduzca un número entero entre 1 y 256.\n"},
        {"{d}/ok.kl --count=0x {d}/out.asm", 1, "{d}/ok.kl: Introduzca un número entero.\n"},
        {"{d}/ok.kl {d}/no/x.kl", 1, "{d}/ok.kl: {d}/no/x.kl cannot be opened.\n"},
        {"{d}/ok.kl {d}/folder.kl", 1, "{d}/ok.kl: {d}/folder.kl cannot be opened.\n"},
        {"{d}/out.kl", 2, "kelvane-convert: an input and an output file are needed\nUsage:"},
        {"--bogus {d}/ok.kl {d}/out.kl", 2, "kelvane-convert: unknown option --bogus\nUsage:"},
        {"--from=asm {d}/ok.kl {d}/out.kl", 2, "kelvane-convert: --from takes kl, dib, rom or png\n"},
        {"{d}/ok.kl --start=1 {d}/out.kl", 2, "kelvane-convert: --start applies to ROM input only\n"},
        {"{d}/ok.kl {d}/out.txt", 2, "kelvane-convert: cannot write {d}/out.txt (name its type"},
    };
    const Bytes old = {'o', 'l', 'd'};
    for (const char* out : {"out.kl", "out.asm", "out.txt"})
        WriteFileBytes(dir.file(out), old);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const Result r = Convert(dir.path(), c.command);
        const std::string message = Replaced(c.message, dir.path());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.err.substr(0, message.size()), message);
        EXPECT_EQ(r.out, Bytes());
        for (const char* out : {"out.kl", "out.asm", "out.txt"})
            EXPECT_EQ(ReadFileBytes(dir.file(out)), old) << out;
    }
    EXPECT_FALSE(FileExists(dir.file("no")));
    // Standard output that cannot take the bytes: the writer's own message.
    const Result full = Convert(dir.path(), "{d}/ok.kl - --to kl", {}, QStringLiteral("/dev/full"));
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, dir.file("ok.kl") + ": Fatal Error 0102\n");
}

}  // namespace

} // namespace kelvane
