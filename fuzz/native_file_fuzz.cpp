// The tileset file reader on any bytes.
#include "formats/NativeFile.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CTileSheet& before = PatternSheet();
    CTileSheet sheet = before;
    bool failed;
    {
        CHeapWatch watch(size + CHeapWatch::kSlack);
        CMemStream in(data, size, "rb");
        failed = !ReadNativeFile(in.get(), sheet).empty();
    }
    if (size < 2) {
        FUZZ_CHECK(failed);
        FUZZ_CHECK(SamePixels(sheet, before));
        return 0;
    }
    const int count = std::min<int>(GetU16(data), kTileCount);
    CheckCharsRead(sheet, before, data + 2, size - 2, count, SheetOrder, failed);
    return 0;
}
