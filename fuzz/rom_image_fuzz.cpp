// The ROM import on any image: the input's first 9 bytes give the start
// (4 bytes, little-endian), the requested number of chars (4 bytes) and where
// the stream stands when the import begins (1 byte, scaled to the image);
// the rest is the image.
#include "formats/RomImage.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHead = 9;
    if (size < kHead)
        return 0;
    const std::uint32_t start = GetU32(data);
    const int nChars = int(GetU32(data + 4));
    const std::uint8_t* image = data + kHead;
    const std::size_t imageSize = size - kHead;

    const CTileSheet& before = PatternSheet();
    CTileSheet sheet = before;
    bool failed;
    {
        CHeapWatch watch(size + CHeapWatch::kSlack);
        CMemStream in(image, imageSize, "rb");
        FUZZ_CHECK(RomFileSize(in.get()) == imageSize);
        // The import must not depend on where the stream stands.
        std::fseek(in.get(), long(imageSize * data[8] / 255), SEEK_SET);
        failed = !ReadRomChars(in.get(), sheet, start, nChars).empty();
    }
    const int n = CharsToHandle(nChars);
    const std::size_t available = start <= imageSize ? imageSize - start : 0;
    CheckCharsRead(sheet, before, image + std::min<std::size_t>(start, imageSize), available, n,
                   ConsoleOrder, failed);
    return 0;
}
