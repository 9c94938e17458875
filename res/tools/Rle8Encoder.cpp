#include "Rle8Encoder.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "tiles/ByteOrder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutId(Bytes& b, const char (&id)[5])
{
    b.insert(b.end(), id, id + 4);
}

// Starts a chunk (or a list with its type) and returns where its size goes.
std::size_t Begin(Bytes& b, const char (&id)[5])
{
    PutId(b, id);
    PutU32(b, 0);
    return b.size() - 4;
}

std::size_t BeginList(Bytes& b, const char (&type)[5])
{
    const std::size_t at = Begin(b, "LIST");
    PutId(b, type);
    return at;
}

// Fills in the size of the chunk begun at `at` and pads it to an even length.
void End(Bytes& b, std::size_t at)
{
    const auto size = std::uint32_t(b.size() - at - 4);
    SetU32(&b[at], size);
    if (size & 1)
        b.push_back(0);
}

// Length of the run of equal pixels at row[x], at most 255.
int RunAt(const std::uint8_t* row, int x, int width)
{
    int n = 1;
    while (x + n < width && n < 255 && row[x + n] == row[x])
        ++n;
    return n;
}

void EncodeRow(Bytes& out, const std::uint8_t* row, int width)
{
    int x = 0;
    while (x < width) {
        const int run = RunAt(row, x, width);
        if (run >= 3 || width - x < 3) {
            out.push_back(std::uint8_t(run));
            out.push_back(row[x]);
            x += run;
            continue;
        }
        // A literal stretch up to the next run of three or more.
        int end = x;
        while (end < width && end - x < 255 && (RunAt(row, end, width) < 3))
            ++end;
        const int count = end - x;
        if (count < 3) {  // too short for a literal: single runs
            for (; x < end; ++x) {
                out.push_back(1);
                out.push_back(row[x]);
            }
            continue;
        }
        out.push_back(0);
        out.push_back(std::uint8_t(count));
        out.insert(out.end(), row + x, row + end);
        if (count & 1)
            out.push_back(0);
        x = end;
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeRle8(const std::uint8_t* pixels, int width, int height)
{
    Bytes out;
    for (int r = height - 1; r >= 0; --r) {
        EncodeRow(out, pixels + std::size_t(r) * std::size_t(width), width);
        if (r > 0) {
            out.push_back(0);
            out.push_back(0);
        }
    }
    out.push_back(0);
    out.push_back(1);
    return out;
}

std::vector<std::uint8_t> WriteRle8Avi(const AviClipData& clip)
{
    std::vector<Bytes> frames;
    std::size_t largest = 0;
    for (const Bytes& pixels : clip.frames) {
        frames.push_back(EncodeRle8(pixels.data(), clip.width, clip.height));
        largest = std::max(largest, frames.back().size());
    }
    const auto count = std::uint32_t(frames.size());
    const auto bytesPerSec =
        std::uint32_t(std::uint64_t(largest) * 1000000u / std::max(clip.microSecPerFrame, 1u));

    Bytes b;
    const std::size_t riff = Begin(b, "RIFF");
    PutId(b, "AVI ");

    const std::size_t hdrl = BeginList(b, "hdrl");
    const std::size_t avih = Begin(b, "avih");
    PutU32(b, clip.microSecPerFrame);
    PutU32(b, bytesPerSec);
    PutU32(b, 0);     // padding granularity
    PutU32(b, 0x10);  // AVIF_HASINDEX
    PutU32(b, count);
    PutU32(b, 0);     // initial frames
    PutU32(b, 1);     // streams
    PutU32(b, std::uint32_t(largest));
    PutU32(b, std::uint32_t(clip.width));
    PutU32(b, std::uint32_t(clip.height));
    for (int i = 0; i < 4; ++i)
        PutU32(b, 0);
    End(b, avih);

    const std::size_t strl = BeginList(b, "strl");
    const std::size_t strh = Begin(b, "strh");
    PutId(b, "vids");
    PutId(b, "mrle");
    PutU32(b, 0);  // flags
    PutU16(b, 0);  // priority
    PutU16(b, 0);  // language
    PutU32(b, 0);  // initial frames
    PutU32(b, clip.microSecPerFrame);  // scale / rate = seconds per frame
    PutU32(b, 1000000);
    PutU32(b, 0);  // start
    PutU32(b, count);
    PutU32(b, std::uint32_t(largest));
    PutU32(b, 0xffffffffu);  // quality: default
    PutU32(b, 0);            // sample size: varies
    PutU16(b, 0);
    PutU16(b, 0);
    PutU16(b, std::uint16_t(clip.width));
    PutU16(b, std::uint16_t(clip.height));
    End(b, strh);

    const std::size_t strf = Begin(b, "strf");
    PutU32(b, 40);
    PutU32(b, std::uint32_t(clip.width));
    PutU32(b, std::uint32_t(clip.height));  // positive: bottom-up
    PutU16(b, 1);
    PutU16(b, 8);
    PutU32(b, 1);  // BI_RLE8
    PutU32(b, std::uint32_t(clip.width * clip.height));
    PutU32(b, 0);
    PutU32(b, 0);
    PutU32(b, 256);
    PutU32(b, 0);
    for (std::uint32_t rgb : clip.palette) {
        b.push_back(std::uint8_t(rgb));
        b.push_back(std::uint8_t(rgb >> 8));
        b.push_back(std::uint8_t(rgb >> 16));
        b.push_back(0);
    }
    End(b, strf);
    End(b, strl);
    End(b, hdrl);

    const std::size_t movi = BeginList(b, "movi");
    std::vector<std::uint32_t> offsets;  // from the 'movi' type
    for (const Bytes& data : frames) {
        offsets.push_back(std::uint32_t(b.size() - (movi + 4)));
        const std::size_t chunk = Begin(b, "00dc");
        b.insert(b.end(), data.begin(), data.end());
        End(b, chunk);
    }
    End(b, movi);

    const std::size_t idx1 = Begin(b, "idx1");
    for (std::size_t i = 0; i < frames.size(); ++i) {
        PutId(b, "00dc");
        PutU32(b, 0x10);  // AVIIF_KEYFRAME
        PutU32(b, offsets[i]);
        PutU32(b, std::uint32_t(frames[i].size()));
    }
    End(b, idx1);
    End(b, riff);
    return b;
}
