// kelvane-convert as a build script runs it: the real executable, real
// files, standard input and output. Expected bytes come from the writers
// that the editor's Save command calls.
#include "formats/AsmCharMap.h"
#include "formats/DibFile.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "support/TestFiles.h"
#include "tiles/CharCodec.h"
#include "tiles/TileSheet.h"

#include <QBuffer>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

struct Result
{
    int exitCode = -1;
    Bytes out;
    std::string err;
};

Result Convert(const QStringList& args, const Bytes& input = {},
               const QString& stdoutFile = QString())
{
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    p.start(QStringLiteral(KELVANE_CONVERT_EXE), args);
    p.write(reinterpret_cast<const char*>(input.data()), qint64(input.size()));
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000)) << args.join(u' ').toStdString();
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

Bytes Written(const Writer& write, const CTileSheet& sheet)
{
    FILE* f = StreamWith({});
    EXPECT_EQ(write(f, sheet), "");
    Bytes bytes = StreamBytes(f);
    std::fclose(f);
    return bytes;
}

Writer Kl(int count = 256)
{
    return [count](FILE* f, const CTileSheet& s) { return WriteNativeFile(f, s, count); };
}
Writer Asm(int count = 256)
{
    return [count](FILE* f, const CTileSheet& s) { return WriteAsmCharMap(f, s, count); };
}
const Writer kDib = WriteDibFile;

// The sheet a PNG written by the converter holds: 128 x 128, indexed, the
// red ramp palette, the sheet's top row first.
CTileSheet SheetOfPng(const Bytes& png)
{
    CTileSheet sheet;
    QImage image;
    EXPECT_TRUE(image.loadFromData(png.data(), int(png.size()), "PNG"));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.size(), QSize(128, 128));
    for (int v = 0; v < 256 && image.colorCount() == 256; ++v)
        EXPECT_EQ(image.color(v), RedRampArgb(std::uint8_t(v))) << v;
    for (int row = 0; row < 128 && image.height() == 128; ++row)
        for (int x = 0; x < 128; ++x)
            sheet.GetPixels()[row * 128 + x] = image.pixelIndex(x, 127 - row);
    return sheet;
}

// The pattern as a PNG picture: indexed with the levels as indices, or in
// greys whose colour sums reduce to the levels' indices.
Bytes PatternPng(bool indexed)
{
    const CTileSheet sheet = Pattern();
    QImage image(128, 128, indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (indexed)
        image.setColorTable({qRgb(9, 9, 9), qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)});
    for (int row = 0; row < 128; ++row)
        for (int x = 0; x < 128; ++x) {
            const int index = sheet.GetPixels()[row * 128 + x] & 3;
            if (indexed)
                image.setPixel(x, 127 - row, uint(index));
            else
                image.setPixel(x, 127 - row, qRgb(64 * index + 5, 64 * index + 10, 64 * index));
        }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return Bytes(data.begin(), data.end());
}

Bytes RomBytes(std::size_t size)
{
    Bytes rom(size);
    for (std::size_t i = 0; i < size; ++i)
        rom[i] = std::uint8_t(i * 131 + i / 253);
    return rom;
}

// The sheet the ROM import fills from `rom` with these options.
CTileSheet RomSheet(const Bytes& rom, std::uint32_t start, int count)
{
    CTileSheet sheet;
    FILE* f = StreamWith(rom);
    EXPECT_EQ(ReadRomChars(f, sheet, start, count), "");
    std::fclose(f);
    return sheet;
}

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

TEST(Convert, EveryInputToEveryOutputGivesTheEditorsBytes)
{
    TempDir dir;
    const CTileSheet pattern = Pattern();
    const Bytes rom = RomBytes(0x1000 + 64 * 16);
    const QStringList part = {QStringLiteral("--start"), QStringLiteral("4096"),
                              QStringLiteral("--count"), QStringLiteral("64")};
    const struct
    {
        const char* name;
        Bytes bytes;
        QStringList options;  // put after the file names
        CTileSheet sheet;     // what the input holds
        int count;            // chars written to kl and asm
    } inputs[] = {
        {"in.kl", Written(Kl(), pattern), {}, pattern, 256},
        {"in.dib", Written(kDib, pattern), {}, pattern, 256},
        {"in.BMP", Written(kDib, pattern), {}, pattern, 256},
        {"indexed.png", PatternPng(true), {}, pattern, 256},
        {"rgb.png", PatternPng(false), {QStringLiteral("--reduce=median")}, pattern, 256},
        {"game.vb", rom, {}, RomSheet(rom, 0, 256), 256},
        {"game.bin", rom, part, RomSheet(rom, 4096, 64), 64},
    };
    for (const auto& in : inputs) {
        WriteFileBytes(dir.file(in.name), in.bytes);
        for (const std::string ext : {"kl", "dib", "asm", "png"}) {
            SCOPED_TRACE(std::string(in.name) + " -> " + ext);
            const std::string out = dir.file("out." + ext);
            const Result r = Convert(QStringList{Q(dir.file(in.name)), Q(out)} + in.options);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.err, "");
            const Bytes written = ReadFileBytes(out);
            if (ext == "png") {
                const CTileSheet sheet = SheetOfPng(written);
                EXPECT_TRUE(std::equal(in.sheet.GetPixels(), in.sheet.GetPixels() + kSheetBytes,
                                       sheet.GetPixels()));
            } else {
                const Writer write = ext == "kl" ? Kl(in.count) : ext == "asm" ? Asm(in.count) : kDib;
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
    Bytes dib64;  // a 64 x 64 picture of the pattern's first 4,096 pixels
    {
        FILE* f = StreamWith({});
        WriteDibFile(f, Pattern());
        dib64 = StreamBytes(f);
        std::fclose(f);
        dib64.resize(14 + 1064 + 64 * 64);
        dib64[18] = dib64[22] = 64;
    }
    CTileSheet tiles;
    {
        FILE* f = StreamWith(dib64);
        ReadDibFile(f, tiles, {true, true});
        std::fclose(f);
    }
    const struct
    {
        QStringList args;
        Bytes stdinBytes;
        Bytes expected;
    } cases[] = {
        // The ROM import's options, decimal and hexadecimal.
        {{Q(dir.file("rom.obj")), QStringLiteral("-"), QStringLiteral("--to"),
          QStringLiteral("asm"), QStringLiteral("--start=0x1F1"), QStringLiteral("--count"),
          QStringLiteral("0x10")},
         {},
         Written(Asm(16), RomSheet(rom, 0x1F1, 16))},
        {{QStringLiteral("--from"), QStringLiteral("rom"), QStringLiteral("--start"),
          QStringLiteral("100"), QStringLiteral("--count"), QStringLiteral("3"),
          QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("--to"), QStringLiteral("kl")},
         rom,
         Written(Kl(3), RomSheet(rom, 100, 3))},
        // The DIB import's options, the picture from standard input.
        {{QStringLiteral("--from=dib"), QStringLiteral("--to=dib"), QStringLiteral("--layout"),
          QStringLiteral("tiles"), QStringLiteral("--reduce"), QStringLiteral("median"),
          QStringLiteral("-"), QStringLiteral("-")},
         dib64,
         Written(kDib, tiles)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Result r = Convert(c.args, c.stdinBytes);
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
    const Bytes old = {'o', 'l', 'd'};
    const std::string vb = dir.file("rom.vb");
    const struct
    {
        QStringList args;     // the output is the last file named
        int exitCode;
        std::string message;  // what standard error begins with
    } cases[] = {
        {{Q(dir.file("none.kl")), QStringLiteral("out.kl")}, 1,
         dir.file("none.kl") + " cannot be opened.\n"},
        {{Q(dir.file("short.vb")), QStringLiteral("--count=3"), QStringLiteral("out.asm")}, 1,
         dir.file("short.vb") + ": Fatal Error 0012\n"},
        {{Q(dir.file("short.kl")), QStringLiteral("out.asm")}, 1,
         dir.file("short.kl") + ": Fatal Error 0002\n"},
        {{Q(dir.file("text.dib")), QStringLiteral("out.kl")}, 1,
         dir.file("text.dib") + ": Invalid DIB File!\n"},
        {{Q(dir.file("bad.png")), QStringLiteral("out.kl")}, 1,
         dir.file("bad.png") + ": Invalid PNG File!\n"},
        {{Q(vb), QStringLiteral("--start"), QStringLiteral("4097"), QStringLiteral("--count"),
          QStringLiteral("0"), QStringLiteral("out.kl")},
         1, vb + ": Introduzca un número entero entre 0 y 4096.\n"},
        {{Q(vb), QStringLiteral("--start"), QStringLiteral("-1"), QStringLiteral("out.kl")}, 1,
         vb + ": Introduzca un número entero positivo.\n"},
        {{Q(vb), QStringLiteral("--count"), QStringLiteral("257"), QStringLiteral("out.kl")}, 1,
         vb + ": Introduzca un número entero entre 1 y 256.\n"},
        {{Q(dir.file("ok.kl")), QStringLiteral("--count=0x"), QStringLiteral("out.asm")}, 1,
         dir.file("ok.kl") + ": Introduzca un número entero.\n"},
        {{Q(dir.file("ok.kl")), Q(dir.file("no/folder/x.kl"))}, 1,
         dir.file("ok.kl") + ": " + dir.file("no/folder/x.kl") + " cannot be opened.\n"},
        {{Q(dir.file("ok.kl")), Q(dir.file("folder.kl"))}, 1,
         dir.file("ok.kl") + ": " + dir.file("folder.kl") + " cannot be opened.\n"},
        // Usage errors.
        {{QStringLiteral("out.kl")}, 2, "kelvane-convert: an input and an output file are needed\n"},
        {{QStringLiteral("--bogus"), Q(dir.file("ok.kl")), QStringLiteral("out.kl")}, 2,
         "kelvane-convert: unknown option --bogus\n"},
        {{QStringLiteral("--from=asm"), Q(dir.file("ok.kl")), QStringLiteral("out.kl")}, 2,
         "kelvane-convert: --from takes kl, dib, rom or png\n"},
        {{Q(dir.file("ok.kl")), QStringLiteral("--start=1"), QStringLiteral("out.kl")}, 2,
         "kelvane-convert: --start applies to ROM input only\n"},
        {{Q(dir.file("ok.kl")), QStringLiteral("out.txt")}, 2,
         "kelvane-convert: cannot write " + dir.file("out.txt") + " (name its type with --to)\n"},
    };
    std::filesystem::create_directory(dir.file("folder.kl"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QStringList args = c.args;
        const QString out = args.last().startsWith(u'/') ? args.last()
                                                         : Q(dir.file(args.last().toStdString()));
        args.last() = out;
        const bool plain = !out.contains(QStringLiteral("folder"));
        if (plain)
            WriteFileBytes(out.toStdString(), old);
        const Result r = Convert(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.err.substr(0, c.message.size()), c.message);
        EXPECT_EQ(r.out, Bytes());
        if (plain) {
            EXPECT_EQ(ReadFileBytes(out.toStdString()), old);
        }
        if (c.exitCode == 2) {
            EXPECT_NE(r.err.find("Usage: kelvane-convert [options] INPUT OUTPUT"), std::string::npos);
        }
    }
    // Standard output that cannot take the bytes: the writer's own message.
    const Result full = Convert({Q(dir.file("ok.kl")), QStringLiteral("-"), QStringLiteral("--to"),
                                 QStringLiteral("kl")},
                                {}, QStringLiteral("/dev/full"));
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, dir.file("ok.kl") + ": Fatal Error 0102\n");
}

TEST(Convert, HelpAndVersionEndAtOnce)
{
    const Result help = Convert({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    const std::string text(help.out.begin(), help.out.end());
    for (const char* part : {"Usage: kelvane-convert", "--start", "--count", "--reduce",
                             "--layout", "--from", "--to", "Makefile", "\tkelvane-convert $< $@"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    const Result version = Convert({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(std::string(version.out.begin(), version.out.end()),
              "kelvane-convert " KELVANE_VERSION "\n");
}

}  // namespace
