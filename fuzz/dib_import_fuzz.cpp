// The DIB import on any bytes, with each of the four option pairs, and
// the whole-picture reader that maps are made from.
#include "formats/DibFile.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CTileSheet& before = PatternSheet();
    for (const bool median : {false, true}) {
        for (const bool adjustTiles : {false, true}) {
            CTileSheet sheet = before;
            bool failed;
            {
                CHeapWatch watch(size + CHeapWatch::kSlack);
                CMemStream in(data, size, "rb");
                failed = !ReadDibFile(in.get(), sheet, {median, adjustTiles}).empty();
            }
            const std::uint8_t* pixels = sheet.GetPixels();
            if (failed) {
                // A failed import leaves the sheet exactly as it was.
                FUZZ_CHECK(std::memcmp(pixels, before.GetPixels(), kSheetBytes) == 0);
                continue;
            }
            // Every pixel holds one of the four levels, placed or untouched.
            for (int i = 0; i < kSheetBytes; ++i)
                FUZZ_CHECK(pixels[i] == LevelFromIndex(IndexFromLevel(pixels[i])));
        }
    }

    // The whole picture, as a map is made of it: memory within the file's
    // size and fixed tables, and the map shows the picture it was made of.
    PackedPicture picture;
    {
        CHeapWatch watch(2 * size + (std::size_t(1) << 17) + CHeapWatch::kSlack);
        CMemStream in(data, size, "rb");
        if (!ReadDibPicture(in.get(), {}, 1024, picture).empty())
            return 0;
    }
    FUZZ_CHECK(picture.rows.size() == std::size_t(picture.cellsWide) * picture.height);
    const TileMap map = BuildTileMap(picture, {});
    std::uint8_t levels[1024];
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        DrawMapRow(map, 0, y, levels);
        for (std::uint32_t k = 0; k < picture.cellsWide; ++k)
            FUZZ_CHECK(EncodeCharRow(levels + 8 * k) == picture.rows[y * picture.cellsWide + k]);
    }
    return 0;
}
