// The clip reader on any bytes: read, then decode every frame (at most the
// first 64). Memory: a copy of the input, an index bounded by the input, one
// decoded frame.
#include <vector>

#include "formats/AviClip.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CAviClip clip;
    std::size_t frameBytes = 0;
    {
        CHeapWatch watch(size + CHeapWatch::kSlack);
        if (!clip.Read(data, size).empty()) {
            FUZZ_CHECK(clip.FrameCount() == 0);
            return 0;
        }
        FUZZ_CHECK(clip.Width() >= 1 && clip.Width() <= 1024);
        FUZZ_CHECK(clip.Height() >= 1 && clip.Height() <= 1024);
        FUZZ_CHECK(clip.FrameCount() >= 0);
        frameBytes = std::size_t(clip.Width()) * std::size_t(clip.Height());
    }
    CHeapWatch watch(frameBytes + CHeapWatch::kSlack);
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < std::min(clip.FrameCount(), 64); ++i) {
        const bool ok = clip.DecodeFrame(i, pixels).empty();
        FUZZ_CHECK(pixels.size() == frameBytes || (!ok && pixels.empty()));
    }
    return 0;
}
