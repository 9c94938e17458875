#include "formats/AviClip.h"

#include "res/tools/Rle8Encoder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

namespace {

std::string Read(CAviClip& clip, const Bytes& b)
{
    return clip.Read(b.data(), b.size());
}

int Differing(const Bytes& a, const Bytes& b)
{
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

std::size_t Find(const Bytes& b, const char* id, std::size_t from = 0)
{
    return std::size_t(std::search(b.begin() + std::ptrdiff_t(from), b.end(), id, id + 4) -
                       b.begin());
}

void Set32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// A 4 x 3 clip of two frames as the tool writes it.
Bytes SmallClip()
{
    AviClipData c;
    c.width = 4;
    c.height = 3;
    c.microSecPerFrame = 50000;
    c.palette[1] = 0x123456;
    c.frames = {Bytes(12, 1), Bytes(12, 2)};
    return WriteRle8Avi(c);
}

// The small clip with its first frame's data replaced (sizes fixed up).
Bytes WithFrameData(const Bytes& data, std::uint32_t compression = 1)
{
    Bytes b = SmallClip();
    const std::size_t movi = Find(b, "movi");
    const std::size_t chunk = Find(b, "00dc", movi);
    std::uint32_t old = 0;
    std::memcpy(&old, &b[chunk + 4], 4);  // little-endian host
    Bytes padded = data;
    if (padded.size() & 1)
        padded.push_back(0);
    const auto begin = b.begin() + std::ptrdiff_t(chunk + 8);
    b.erase(begin, begin + std::ptrdiff_t(old + (old & 1)));
    b.insert(b.begin() + std::ptrdiff_t(chunk + 8), padded.begin(), padded.end());
    const std::uint32_t delta = std::uint32_t(padded.size()) - (old + (old & 1));
    Set32(b, chunk + 4, std::uint32_t(data.size()));
    std::uint32_t v = 0;
    std::memcpy(&v, &b[movi - 4], 4);
    Set32(b, movi - 4, v + delta);
    std::memcpy(&v, &b[4], 4);
    Set32(b, 4, v + delta);
    Set32(b, Find(b, "strf") + 8 + 16, compression);
    return b;
}

}  // namespace

TEST(AviClip, EncoderRoundTripsRandomFrames)
{
    std::mt19937 rng(7);
    struct Case { int w, h, colours, runBias; };
    // Sizes odd and even, rows longer than one run (255), noise and runs.
    const Case cases[] = {{1, 1, 256, 0}, {3, 2, 2, 50}, {80, 60, 256, 0}, {80, 60, 4, 90},
                          {300, 5, 3, 97}, {7, 9, 256, 60}};
    for (const Case& k : cases) {
        AviClipData c;
        c.width = k.w;
        c.height = k.h;
        c.microSecPerFrame = 66667;
        for (std::uint32_t& rgb : c.palette)
            rgb = rng() & 0xffffff;
        for (int f = 0; f < 3; ++f) {
            Bytes px(std::size_t(k.w * k.h));
            for (std::size_t i = 0; i < px.size(); ++i)
                px[i] = (i > 0 && int(rng() % 100) < k.runBias)
                            ? px[i - 1]
                            : std::uint8_t(rng() % unsigned(k.colours));
            c.frames.push_back(px);
        }
        CAviClip clip;
        ASSERT_EQ(Read(clip, WriteRle8Avi(c)), "") << k.w << "x" << k.h;
        EXPECT_TRUE(clip.IsRle8());
        EXPECT_EQ(clip.Width(), k.w);
        EXPECT_EQ(clip.Height(), k.h);
        EXPECT_EQ(clip.MicroSecPerFrame(), 66667u);
        EXPECT_EQ(clip.Palette(), c.palette);
        ASSERT_EQ(clip.FrameCount(), 3);
        for (int f = 0; f < 3; ++f) {
            Bytes px;
            EXPECT_EQ(clip.DecodeFrame(f, px), "");
            EXPECT_EQ(px, c.frames[std::size_t(f)]) << k.w << "x" << k.h << " frame " << f;
        }
    }
}

TEST(AviClip, CommittedClipLoopsWithoutAJump)
{
    const Bytes file = ReadFileBytes(KELVANE_CLIP_FILE);
    CAviClip clip;
    ASSERT_EQ(Read(clip, file), "");
    EXPECT_EQ(clip.Width(), 80);
    EXPECT_EQ(clip.Height(), 60);
    EXPECT_EQ(clip.MicroSecPerFrame(), 66667u);
    EXPECT_TRUE(clip.IsRle8());
    ASSERT_EQ(clip.FrameCount(), 33);
    EXPECT_LT(Find(file, "idx1"), file.size());

    std::vector<Bytes> frames(33);
    for (int f = 0; f < 33; ++f)
        ASSERT_EQ(clip.DecodeFrame(f, frames[std::size_t(f)]), "") << f;
    // Red (1-127) and grey (128-255) lines on black.
    const Bytes& first = frames[0];
    auto count = [&](auto pred) { return std::count_if(first.begin(), first.end(), pred); };
    EXPECT_GT(count([](int v) { return v > 0 && v < 128; }), 150);
    EXPECT_GT(count([](int v) { return v >= 128; }), 150);
    // The step from the last frame to the first is no bigger than the
    // steps within the loop, while the camera does move.
    int largestStep = 0;
    for (std::size_t f = 0; f + 1 < 33; ++f)
        largestStep = std::max(largestStep, Differing(frames[f], frames[f + 1]));
    EXPECT_LE(Differing(frames[32], frames[0]), largestStep);
    EXPECT_GT(Differing(frames[16], frames[0]), 1000);
}

TEST(AviClip, MalformedFilesFailClearly)
{
    const Bytes good = SmallClip();
    auto at = [&](const char* id) { return Find(good, id); };
    using Edit = std::function<void(Bytes&)>;
    const std::size_t strf = at("strf") + 8;
    const std::size_t avih = at("avih") + 8;
    const std::size_t strh = at("strh") + 8;
    const struct { const char* what; Edit edit; } cases[] = {
        {"not RIFF", [](Bytes& b) { b[0] = 'X'; }},
        {"RIFF size beyond file", [](Bytes& b) { Set32(b, 4, std::uint32_t(b.size())); }},
        {"list size beyond file", [&](Bytes& b) { Set32(b, at("movi") - 4, 0x7fffffff); }},
        {"chunk size beyond list", [&](Bytes& b) { Set32(b, at("avih") + 4, 0xfffffff0); }},
        {"no main header", [&](Bytes& b) { b[at("avih")] = 'x'; }},
        {"no video stream", [&](Bytes& b) { std::memcpy(&b[strh], "auds", 4); }},
        {"no format", [&](Bytes& b) { b[at("strf")] = 'x'; }},
        {"no movi", [&](Bytes& b) { b[at("movi")] = 'x'; }},
        {"no frames", [&](Bytes& b) { b[at("00dc")] = 'x'; b[Find(b, "00dc")] = 'x'; }},
        {"palette beyond header", [&](Bytes& b) { Set32(b, strf, 44); }},
        {"too many colours", [&](Bytes& b) { Set32(b, strf + 32, 300); }},
        {"zero width", [&](Bytes& b) { Set32(b, strf + 4, 0); }},
        {"huge width", [&](Bytes& b) { Set32(b, strf + 4, 1025); }},
        {"zero height", [&](Bytes& b) { Set32(b, strf + 8, 0); }},
        {"huge height", [&](Bytes& b) { Set32(b, strf + 8, 0x7fffffff); }},
        {"top-down", [&](Bytes& b) { Set32(b, strf + 8, std::uint32_t(-3)); }},
        {"4 bits", [&](Bytes& b) { b[strf + 14] = 4; }},
        {"RLE4", [&](Bytes& b) { Set32(b, strf + 16, 2); }},
        {"huge avih frame count", [&](Bytes& b) { Set32(b, avih + 16, 0xffffffff); }},
        {"huge strh length", [&](Bytes& b) { Set32(b, strh + 32, 100000); }},
        {"no frame rate", [&](Bytes& b) { Set32(b, avih, 0); Set32(b, strh + 24, 0); }},
    };
    for (const auto& c : cases) {
        Bytes b = good;
        c.edit(b);
        CAviClip clip;
        EXPECT_NE(Read(clip, b), "") << c.what;
        EXPECT_EQ(clip.FrameCount(), 0) << c.what;
    }
    for (std::size_t n = 0; n < good.size(); ++n) {
        CAviClip clip;
        EXPECT_NE(clip.Read(good.data(), n), "") << "cut at " << n;
    }
    // Random damage: a clip that still reads decodes every frame to a full
    // buffer, with or without a message; under the sanitizers nothing reads
    // out of bounds.
    std::mt19937 rng(3);
    for (int i = 0; i < 3000; ++i) {
        Bytes b = good;
        for (int k = 0; k < 4; ++k)
            b[rng() % b.size()] = std::uint8_t(rng());
        CAviClip clip;
        if (!Read(clip, b).empty())
            continue;
        Bytes px;
        for (int f = 0; f < clip.FrameCount(); ++f) {
            clip.DecodeFrame(f, px);
            EXPECT_EQ(px.size(), std::size_t(clip.Width() * clip.Height()));
        }
    }
}

TEST(AviClip, DamagedFramesFailAndKeepWhatDecoded)
{
    // 4 x 3 frames; `lit` is how many pixels hold a colour afterwards.
    const struct {
        const char* what;
        Bytes data;
        std::uint32_t compression;
        bool ok;
        int lit;
    } cases[] = {
        {"runs and rows", {4, 5, 0, 0, 0, 2, 1, 0, 2, 9, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1}, 1, true,
         10},
        {"run past the row", {2, 7, 3, 7, 0, 1}, 1, false, 2},
        {"literal past the row", {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}, 1, false, 0},
        {"run past the frame", {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 1, 1}, 1, false, 12},
        {"delta past the frame", {1, 1, 0, 2, 0, 3, 1, 1, 0, 1}, 1, false, 1},
        {"delta past the row", {0, 2, 5, 0, 0, 1}, 1, false, 0},
        {"no end of frame", {4, 1}, 1, false, 4},
        {"literal cut off", {0, 4, 1, 1}, 1, false, 0},
        {"delta cut off", {0, 2, 1}, 1, false, 0},
        {"plain rows", Bytes(12, 9), 0, true, 12},
        {"plain rows too short", Bytes(9, 9), 0, false, 8},
    };
    for (const auto& c : cases) {
        CAviClip clip;
        ASSERT_EQ(Read(clip, WithFrameData(c.data, c.compression)), "") << c.what;
        Bytes px;
        const std::string error = clip.DecodeFrame(0, px);
        EXPECT_EQ(error.empty(), c.ok) << c.what << ": " << error;
        ASSERT_EQ(px.size(), 12u) << c.what;
        EXPECT_EQ(12 - std::count(px.begin(), px.end(), 0), c.lit) << c.what;
    }
    // The bottom row comes first: the first run lands in the last row.
    CAviClip clip;
    ASSERT_EQ(Read(clip, WithFrameData({4, 5, 0, 1})), "");
    Bytes px;
    EXPECT_EQ(clip.DecodeFrame(0, px), "");
    EXPECT_EQ(px, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 5, 5}));
    EXPECT_NE(clip.DecodeFrame(2, px), "");
}
