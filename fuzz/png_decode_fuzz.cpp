// The PNG decoder on any bytes, with and without a colour reduction: what it
// gives is a DIB the import reads, of the size the picture's sides say, in
// memory of about a byte a pixel.
#include "formats/PngDecoder.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::uint32_t kMaxSide = 512;
    for (const bool nearest : {false, true}) {
        const DibImportOptions options{false, false, nearest};
        unsigned char* dib = nullptr;
        std::size_t dibSize = 0;
        std::uint32_t width = 0, height = 0;
        int result;
        {
            // The DIB, two rows of 16-bit samples, zlib's state.
            CHeapWatch watch(1078 + std::size_t(kMaxSide) * kMaxSide + 4 * size + (1 << 16) +
                             CHeapWatch::kSlack);
            result = KelvaneDecodePng(data, size, &options, kMaxSide, &dib, &dibSize, &width,
                                      &height);
        }
        FUZZ_CHECK(result == kPngDecoded || result == kPngInvalid || result == kPngTooLarge);
        if (result == kPngTooLarge)
            FUZZ_CHECK(width > kMaxSide || height > kMaxSide);
        if (result != kPngDecoded)
            continue;
        FUZZ_CHECK(width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide);
        FUZZ_CHECK(dibSize == 1078 + ((std::size_t(width) + 3) & ~std::size_t(3)) * height);
        {
            CMemStream in(dib, dibSize, "rb");
            CTileSheet sheet;
            FUZZ_CHECK(ReadDibFile(in.get(), sheet, options).empty());
        }
        std::free(dib);
    }
    return 0;
}
