// Reads that fail in the middle, seeks and tells that fail: each reader
// ends with its message and leaves the sheet as a file ending at the
// failure would have left it.
#include "formats/AsmCharMap.h"
#include "formats/DibFile.h"
#include "formats/HalfwordArray.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "support/FaultyStream.h"
#include "support/TestSystem.h"
#include "tiles/CharCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace {

using Reader = std::function<std::string(FILE*, CTileSheet&)>;

Bytes Counting(std::size_t size, std::size_t from = 0)
{
    Bytes b(size);
    for (std::size_t i = from; i < size; ++i)
        b[i] = std::uint8_t(i * 7 + 3);
    return b;
}

Bytes NativeFile()
{
    Bytes b = Counting(2 + 16 * 3, 2);
    b[0] = 3;
    return b;
}

// An 8-bit DIB with a header block longer than the reader keeps (1100
// bytes) and 6-pixel rows with 2 fill bytes each: both are skipped.
Bytes DibFile()
{
    Bytes b{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0};
    PutU32(b, 14 + 1100);
    for (std::uint32_t v : {40u, 6u, 5u, 0x80001u})
        PutU32(b, v);
    b.resize(14 + 1100, 0x20);
    for (std::size_t i = 14 + 16; i < 14 + 40; ++i)
        b[i] = 0;  // no compression, the rest unused
    const Bytes rows = Counting(8 * 5);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

CTileSheet Marked()
{
    CTileSheet sheet;
    for (int i = 0; i < kSheetBytes; ++i)
        sheet.GetPixels()[i] = LevelFromIndex(i % 3 + 1);
    return sheet;
}

const Reader kNative = [](FILE* f, CTileSheet& s) { return ReadNativeFile(f, s); };
const Reader kRom = [](FILE* f, CTileSheet& s) { return ReadRomChars(f, s, 4, 5); };
const Reader kDib = [](FILE* f, CTileSheet& s) { return ReadDibFile(f, s, {}); };

constexpr std::size_t kWhole = std::size_t(-1);

}  // namespace

TEST(StreamFaults, EachReaderStopsAsIfTheFileEndedThere)
{
    const Bytes native = NativeFile(), rom = Counting(100), dib = DibFile();
    const struct {
        const char* what;
        const Reader& reader;
        const Bytes& file;
        StreamFaults faults;
        std::size_t endsAt;  // the file that gives the same result
        std::string message;
    } cases[] = {
        {"tileset: count", kNative, native, {.readFailsAt = 1}, 1, "Fatal Error 0001"},
        {"tileset: inside char 1", kNative, native, {.readFailsAt = 2 + 16 + 5}, 2 + 16 + 5, "Fatal Error 0002"},
        {"tileset: after char 2", kNative, native, {.readFailsAt = 2 + 32}, 2 + 32, "Fatal Error 0002"},
        {"ROM: inside char 2", kRom, rom, {.readFailsAt = 4 + 32 + 7}, 4 + 32 + 7, "Fatal Error 0012"},
        {"ROM: start not reached", kRom, rom, {.failingSeeks = {0}}, 0, "Fatal Error 0012"},
        {"DIB", kDib, dib, {}, kWhole, ""},
        // Without a position or an end to go by, the reader reads through.
        {"DIB: position not told", kDib, dib, {.failingSeeks = {0}}, kWhole, ""},
        {"DIB: end not reached", kDib, dib, {.failingSeeks = {1}}, kWhole, ""},
        {"DIB: end not told", kDib, dib, {.failingSeeks = {2}}, kWhole, ""},
        {"DIB: no way back", kDib, dib, {.failingSeeks = {3}}, 0, "Fatal Error 0021"},
        {"DIB: file header", kDib, dib, {.readFailsAt = 13}, 13, "Fatal Error 0021"},
        {"DIB: header block", kDib, dib, {.readFailsAt = 14 + 30}, 14 + 30, "Fatal Error 0121"},
        {"DIB: skip in the header block", kDib, dib, {.failingSeeks = {4}}, 14 + 1064, "Fatal Error 0121"},
        {"DIB: skip of fill bytes", kDib, dib, {.failingSeeks = {5}}, 14 + 1100 + 6, "Fatal Error 0122"},
        {"DIB: pixel rows", kDib, dib, {.readFailsAt = 14 + 1100 + 20}, 14 + 1100 + 20, "Fatal Error 0122"},
    };
    for (const auto& c : cases) {
        FILE* f = FaultyStream(c.file, c.faults);
        if (!f)
            GTEST_SKIP() << "no stream with faults on cue here";
        CTileSheet sheet = Marked();
        EXPECT_EQ(c.reader(f, sheet), c.message) << c.what;
        std::fclose(f);

        const Bytes shorter(c.file.begin(),
                            c.file.begin() + long(std::min(c.endsAt, c.file.size())));
        FILE* plain = FaultyStream(shorter, {});
        CTileSheet expected = Marked();
        EXPECT_EQ(c.reader(plain, expected), c.message) << c.what << " (file ending there)";
        std::fclose(plain);
        EXPECT_EQ(0, std::memcmp(sheet.GetPixels(), expected.GetPixels(), kSheetBytes)) << c.what;
    }
}

TEST(StreamFaults, RomSizeIsZeroWhenTheEndCannotBeFound)
{
    // Seek to the end, tell, seek back: any of them failing.
    for (const auto& [failing, size] : std::vector<std::pair<std::vector<int>, std::uint32_t>>{
             {{}, 100}, {{0}, 0}, {{1}, 0}, {{2}, 0}}) {
        FILE* f = FaultyStream(Counting(100), {.failingSeeks = failing});
        if (!f)
            GTEST_SKIP() << "no stream with faults on cue here";
        EXPECT_EQ(RomFileSize(f), size) << failing.size();
        std::fclose(f);
    }
}

TEST(StreamFaults, EveryWriterReportsAStreamThatRefusesItsFirstWrite)
{
    // A pipe without a reader, which every system has: on Windows the C
    // library's failing writes are the ones the program meets there.
    const Halfwords rows{1, 2, 3};
    const std::pair<const char*, std::function<std::string(FILE*)>> writers[] = {
        {kNativeWriteCountError, [](FILE* f) { return WriteNativeFile(f, CTileSheet(), 1); }},
        {kAsmWriteHeaderError, [](FILE* f) { return WriteAsmCharMap(f, CTileSheet(), 1); }},
        {"Fatal Error 0121", [](FILE* f) { return WriteDibFile(f, CTileSheet()); }},
        {kHalfwordWriteError, [&](FILE* f) { return WriteCharsAsm(f, rows); }},
        {kHalfwordWriteError, [&](FILE* f) { return WriteHalfwordsBin(f, rows); }},
    };
    for (const auto& [message, write] : writers) {
        FILE* f = RefusingStream();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(write(f), message);
        std::fclose(f);
    }
}
