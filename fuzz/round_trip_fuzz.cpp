// Sheet -> tileset file -> sheet and sheet -> DIB file -> sheet. The input's
// first two bytes give the number of chars to save, the third the DIB import
// options (bit 0 "Median", bit 1 "Adjust Tiles"), the rest the pixels, two
// bits each.
#include <array>

#include "formats/DibFile.h"
#include "formats/NativeFile.h"
#include "fuzz/FuzzSupport.h"

namespace {

CTileSheet SheetFromInput(const std::uint8_t* data, std::size_t size)
{
    CTileSheet sheet;
    for (std::size_t i = 0; i < std::size_t(kSheetBytes); ++i) {
        const std::size_t byte = i / 4;
        sheet.GetPixels()[i] = LevelFromIndex(byte < size ? data[byte] >> (2 * (i % 4)) : 0);
    }
    return sheet;
}

void NativeRoundTrip(const CTileSheet& sheet, int nChars)
{
    std::array<std::uint8_t, 2 + kTileCount * kCharBytes + 1> file{};
    const CTileSheet& before = PatternSheet();
    CTileSheet back = before;
    {
        CHeapWatch watch(CHeapWatch::kSlack);
        CMemStream out(file.data(), file.size(), "w+b");
        FUZZ_CHECK(WriteNativeFile(out.get(), sheet, nChars).empty());
        const long written = std::ftell(out.get());
        FUZZ_CHECK(written == 2 + kCharBytes * CharsToHandle(nChars));
        std::rewind(out.get());
        FUZZ_CHECK(ReadNativeFile(out.get(), back).empty());
        FUZZ_CHECK(std::ftell(out.get()) == written);
    }
    CTileSheet expected = before;
    for (int i = 0; i < CharsToHandle(nChars); ++i) {
        TileBuffer tile{};
        expected.PutTile(sheet.GetTile(tile, TileCol(i), TileRow(i)), TileCol(i), TileRow(i));
    }
    FUZZ_CHECK(SamePixels(back, expected));
}

void DibRoundTrip(const CTileSheet& sheet, const DibImportOptions& options)
{
    std::array<std::uint8_t, kDibFileSize + 1> file{};
    CHeapWatch watch(CHeapWatch::kSlack);
    CMemStream out(file.data(), file.size(), "w+b");
    FUZZ_CHECK(WriteDibFile(out.get(), sheet).empty());
    FUZZ_CHECK(std::ftell(out.get()) == long(kDibFileSize));
    CTileSheet back = PatternSheet();
    std::rewind(out.get());
    FUZZ_CHECK(ReadDibFile(out.get(), back, options).empty());
    // The red ramp's entries reduce to themselves by their two low bits; by
    // brightness only full red stays lit, at the lowest level.
    for (int i = 0; i < kSheetBytes; ++i) {
        const std::uint8_t level = sheet.GetPixels()[i];
        const std::uint8_t expected = !options.median ? level : level == 255 ? kLevelLowRed : 0;
        FUZZ_CHECK(back.GetPixels()[i] == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int nChars = std::int16_t(GetU16(data));
    const CTileSheet sheet = SheetFromInput(data + 3, size - 3);
    NativeRoundTrip(sheet, nChars);
    DibRoundTrip(sheet, {(data[2] & 1) != 0, (data[2] & 2) != 0});
    return 0;
}
