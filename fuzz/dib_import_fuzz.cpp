// The DIB import on any bytes, with each of the four option pairs.
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
    return 0;
}
