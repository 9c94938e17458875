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

Bytes Chunk(const char* id, const Bytes& data)
{
    Bytes b(id, id + 4);
    PutU32(b, std::uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// `depth` 'rec ' lists, each inside the one before.
Bytes NestedLists(int depth)
{
    Bytes inner;
    for (int i = 0; i < depth; ++i) {
        Bytes data{'r', 'e', 'c', ' '};
        data.insert(data.end(), inner.begin(), inner.end());
        inner = Chunk("LIST", data);
    }
    return inner;
}

// Bytes added at the end of the RIFF chunk, which grows with them.
void Append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
    SetU32(&b[4], GetU32(&b[4]) + std::uint32_t(more.size()));
}

// The chunk at `pos` made `size` bytes long; what it gives up becomes a
// JUNK chunk, so the chunks after it stay where they are.
void Shrink(Bytes& b, std::size_t pos, std::uint32_t size)
{
    const std::uint32_t old = GetU32(&b[pos + 4]);
    SetU32(&b[pos + 4], size);
    const std::size_t junk = pos + 8 + size + (size & 1);
    const std::size_t freed = pos + 8 + old + (old & 1) - junk;
    if (freed >= 8) {
        std::memcpy(&b[junk], "JUNK", 4);
        SetU32(&b[junk + 4], std::uint32_t(freed - 8));
    }
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
    SetU32(&b[chunk + 4], std::uint32_t(data.size()));
    std::uint32_t v = 0;
    std::memcpy(&v, &b[movi - 4], 4);
    SetU32(&b[movi - 4], v + delta);
    std::memcpy(&v, &b[4], 4);
    SetU32(&b[4], v + delta);
    SetU32(&b[Find(b, "strf") + 8 + 16], compression);
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

TEST(AviClip, HeaderLimitsOnBothSides)
{
    // Each limit with a file just inside it (reads: message "") and one just
    // outside it (fails with a message holding the text given).
    const Bytes good = SmallClip();
    auto at = [&](const char* id) { return Find(good, id); };
    using Edit = std::function<void(Bytes&)>;
    const std::size_t strf = at("strf") + 8;
    const std::size_t avih = at("avih") + 8;
    const std::size_t strh = at("strh") + 8;
    const std::uint32_t riff = GetU32(&good[4]);
    const struct { const char* what; Edit edit; const char* message; } cases[] = {
        {"not RIFF", [](Bytes& b) { b[0] = 'X'; }, "not a RIFF AVI file"},
        {"RIFF size beyond file", [](Bytes& b) { SetU32(&b[4], std::uint32_t(b.size())); }, "RIFF chunk claims"},
        {"RIFF size one beyond file", [&](Bytes& b) { SetU32(&b[4], riff + 1); }, "RIFF chunk claims"},
        {"RIFF of its type only", [](Bytes& b) { SetU32(&b[4], 4); }, "no main header"},
        {"RIFF without its type", [](Bytes& b) { SetU32(&b[4], 3); }, "RIFF chunk claims"},
        {"list size beyond file", [&](Bytes& b) { SetU32(&b[at("movi") - 4], 0x7fffffff); }, "more than its file"},
        {"chunk size beyond list", [&](Bytes& b) { SetU32(&b[at("avih") + 4], 0xfffffff0); }, "more than its file"},
        {"last chunk one byte beyond", [&](Bytes& b) { SetU32(&b[at("idx1") + 4], GetU32(&b[at("idx1") + 4]) + 1); },
         "'idx1' at byte"},
        {"empty chunk at the end", [](Bytes& b) { Append(b, Chunk("JUNK", {})); }, ""},
        {"7 bytes at the end", [](Bytes& b) { Append(b, Bytes(7, 'J')); }, "chunk header is cut off"},
        {"id unprintable in the message", [](Bytes& b) { Append(b, {0x1f, 0x7f, ' ', '~', 9, 0, 0, 0}); },
         "chunk '?? ~' at byte"},
        {"list of its type only", [](Bytes& b) { Append(b, Chunk("LIST", {'I', 'N', 'F', 'O'})); }, ""},
        {"list without its type", [](Bytes& b) { Append(b, Chunk("LIST", {'I', 'N', 'F'})); }, "has no type"},
        {"lists 8 deep", [](Bytes& b) { Append(b, NestedLists(8)); }, ""},
        {"lists 9 deep", [](Bytes& b) { Append(b, NestedLists(9)); }, "nested too deeply"},
        {"no main header", [&](Bytes& b) { b[at("avih")] = 'x'; }, "no main header"},
        {"main header of 40 bytes", [&](Bytes& b) { Shrink(b, at("avih"), 40); }, ""},
        {"second main header", [&](Bytes& b) { Shrink(b, at("avih"), 40); std::memcpy(&b[avih + 40], "avih", 4); },
         ""},
        {"main header of 39 bytes", [&](Bytes& b) { Shrink(b, at("avih"), 39); }, "(avih) is too short"},
        {"stream header of 36 bytes", [&](Bytes& b) { Shrink(b, at("strh"), 36); }, ""},
        {"stream header of 35 bytes", [&](Bytes& b) { Shrink(b, at("strh"), 35); }, "(strh) is too short"},
        {"a second stream, not video", [](Bytes& b) {
             Bytes strl{'s', 't', 'r', 'l'}, strh{'a', 'u', 'd', 's'};
             strh.resize(36);
             for (const Bytes& c : {Chunk("strh", strh), Chunk("strf", Bytes(40))})
                 strl.insert(strl.end(), c.begin(), c.end());
             Append(b, Chunk("LIST", strl));
         }, ""},
        {"no video stream", [&](Bytes& b) { std::memcpy(&b[strh], "auds", 4); }, "no video stream"},
        {"no format", [&](Bytes& b) { b[at("strf")] = 'x'; }, "has no format"},
        {"format of 40 bytes", [&](Bytes& b) { Shrink(b, at("strf"), 40); }, "palette runs past"},
        {"second format",
         [&](Bytes& b) { SetU32(&b[strf + 32], 252); Shrink(b, at("strf"), 1048); std::memcpy(&b[strf + 1048], "strf", 4); },
         ""},
        {"format of 39 bytes", [&](Bytes& b) { Shrink(b, at("strf"), 39); }, "too short for a bitmap header"},
        {"bitmap header of 39 bytes", [&](Bytes& b) { SetU32(&b[strf], 39); }, "header size 39 does not fit"},
        {"bitmap header as long as the format", [&](Bytes& b) { SetU32(&b[strf], 1064); }, "palette runs past"},
        {"bitmap header longer than the format", [&](Bytes& b) { SetU32(&b[strf], 1065); }, "header size 1065"},
        {"palette one byte short", [&](Bytes& b) { SetU32(&b[strf], 41); }, "palette runs past"},
        {"palette beyond header", [&](Bytes& b) { SetU32(&b[strf], 44); }, "palette runs past"},
        {"255 colours after a longer header", [&](Bytes& b) { SetU32(&b[strf], 44); SetU32(&b[strf + 32], 255); }, ""},
        {"colours 0: all 256", [&](Bytes& b) { SetU32(&b[strf + 32], 0); }, ""},
        {"256 colours", [&](Bytes& b) { SetU32(&b[strf + 32], 256); }, ""},
        {"257 colours", [&](Bytes& b) { SetU32(&b[strf + 32], 257); }, "257 colours, more than 256"},
        {"too many colours", [&](Bytes& b) { SetU32(&b[strf + 32], 300); }, "more than 256"},
        {"width 1", [&](Bytes& b) { SetU32(&b[strf + 4], 1); }, ""},
        {"width 1024", [&](Bytes& b) { SetU32(&b[strf + 4], 1024); }, ""},
        {"zero width", [&](Bytes& b) { SetU32(&b[strf + 4], 0); }, "width 0 is outside"},
        {"huge width", [&](Bytes& b) { SetU32(&b[strf + 4], 1025); }, "width 1025 is outside"},
        {"height 1", [&](Bytes& b) { SetU32(&b[strf + 8], 1); }, ""},
        {"height 1024", [&](Bytes& b) { SetU32(&b[strf + 8], 1024); }, ""},
        {"zero height", [&](Bytes& b) { SetU32(&b[strf + 8], 0); }, "height 0 is outside"},
        {"height 1025", [&](Bytes& b) { SetU32(&b[strf + 8], 1025); }, "height 1025 is outside"},
        {"huge height", [&](Bytes& b) { SetU32(&b[strf + 8], 0x7fffffff); }, "is outside"},
        {"top-down", [&](Bytes& b) { SetU32(&b[strf + 8], std::uint32_t(-3)); }, "top-down"},
        {"top-down by one row", [&](Bytes& b) { SetU32(&b[strf + 8], std::uint32_t(-1)); }, "top-down"},
        {"4 bits", [&](Bytes& b) { b[strf + 14] = 4; }, "not 8 bits"},
        {"2 planes", [&](Bytes& b) { b[strf + 12] = 2; }, "not 8 bits"},
        {"uncompressed", [&](Bytes& b) { SetU32(&b[strf + 16], 0); }, ""},
        {"RLE4", [&](Bytes& b) { SetU32(&b[strf + 16], 2); }, "neither RLE8"},
        {"no movi", [&](Bytes& b) { b[at("movi")] = 'x'; }, "no frame list"},
        {"no frames", [&](Bytes& b) { b[at("00dc")] = 'x'; b[Find(b, "00dc")] = 'x'; }, "holds no frames"},
        {"frames of another stream", [&](Bytes& b) { b[at("00dc") + 1] = '1'; b[Find(b, "00dc") + 1] = '1'; },
         "holds no frames"},
        {"one frame claimed too many in avih", [&](Bytes& b) { SetU32(&b[avih + 16], 3); }, "claim 3 frames"},
        {"one frame claimed too many in strh", [&](Bytes& b) { SetU32(&b[strh + 32], 3); }, "claim 3 frames"},
        {"huge avih frame count", [&](Bytes& b) { SetU32(&b[avih + 16], 0xffffffff); }, "claim 4294967295"},
        {"huge strh length", [&](Bytes& b) { SetU32(&b[strh + 32], 100000); }, "claim 100000"},
        {"rate from the stream header", [&](Bytes& b) { SetU32(&b[avih], 0); }, ""},
        {"longest frame time", [&](Bytes& b) { SetU32(&b[avih], 0); SetU32(&b[strh + 20], 0xffffffff); }, ""},
        {"frame time beyond 32 bits",
         [&](Bytes& b) { SetU32(&b[avih], 0); SetU32(&b[strh + 20], 0xffffffff); SetU32(&b[strh + 24], 999999); },
         "no usable frame rate"},
        {"no frame rate", [&](Bytes& b) { SetU32(&b[avih], 0); SetU32(&b[strh + 24], 0); }, "no usable frame rate"},
    };
    for (const auto& c : cases) {
        Bytes b = good;
        c.edit(b);
        CAviClip clip;
        const std::string error = Read(clip, b);
        if (*c.message == '\0') {
            EXPECT_EQ(error, "") << c.what;
            EXPECT_EQ(clip.FrameCount(), 2) << c.what;
        } else {
            EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
            EXPECT_EQ(clip.FrameCount(), 0) << c.what;
        }
    }
}

TEST(AviClip, DamagedFilesFailClearly)
{
    const Bytes good = SmallClip();
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
    // 4 x 3 frames; `lit` is how many pixels hold a colour afterwards. Each
    // limit of the decoder has a frame just inside it and one just outside;
    // the first row decoded is the last row of the buffer, so a limit
    // moved outwards there writes past the buffer.
    const struct {
        const char* what;
        Bytes data;
        std::uint32_t compression;
        const char* error;  // a part of the message; "" for none
        int lit;
    } cases[] = {
        {"runs and rows", {4, 5, 0, 0, 0, 2, 1, 0, 2, 9, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1}, 1, "",
         10},
        {"run to the row's end", {1, 1, 3, 2, 0, 1}, 1, "", 4},
        {"run one past the row's end", {1, 1, 4, 2, 0, 1}, 1, "past the end of a row", 1},
        {"run past the row", {2, 7, 3, 7, 0, 1}, 1, "past the end of a row", 2},
        {"literal to the row's end", {1, 1, 0, 3, 1, 2, 3, 0, 0, 1}, 1, "", 4},
        {"literal one past the row's end", {1, 1, 0, 4, 1, 2, 3, 4, 0, 1}, 1, "past the end of a row", 1},
        {"literal past the row", {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}, 1, "past the end of a row", 0},
        {"row ends up to the top", {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 0, 1}, 1, "", 12},
        {"row end past the top", {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 0, 0, 0, 1}, 1, "a row end", 12},
        {"run past the frame", {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 0, 1, 1}, 1, "a run at byte 12 goes past the top", 12},
        {"literal past the frame", {0, 2, 0, 3, 0, 3, 1, 1, 1, 0, 0, 1}, 1, "a run at byte 4 goes past the top", 0},
        {"delta to the top", {1, 1, 0, 2, 0, 2, 1, 1, 0, 1}, 1, "", 2},
        {"delta past the frame", {1, 1, 0, 2, 0, 3, 1, 1, 0, 1}, 1, "a run at byte 6 goes past the top", 1},
        {"delta above the top", {0, 2, 0, 4, 0, 1}, 1, "a move at byte 0 goes past the frame", 0},
        {"delta to the frame's top edge", {0, 2, 0, 3, 0, 1}, 1, "", 0},
        {"delta to the row's end", {2, 1, 0, 2, 2, 0, 0, 1}, 1, "", 2},
        {"delta one past the row's end", {2, 1, 0, 2, 3, 0, 0, 1}, 1, "a move at byte 2 goes past the frame", 2},
        {"delta past the row", {0, 2, 5, 0, 0, 1}, 1, "a move at byte 0 goes past the frame", 0},
        {"no end of frame", {4, 1}, 1, "ends before the end-of-frame code", 4},
        {"half an end of frame", {4, 1, 0}, 1, "ends before the end-of-frame code", 4},
        {"literal up to the data's end", {0, 3, 1, 2, 3}, 1, "ends before the end-of-frame code", 3},
        {"literal one byte short", {0, 4, 1, 2, 3}, 1, "literal pixels at byte 0 are cut off", 0},
        {"literal cut off", {0, 4, 1, 1}, 1, "are cut off", 0},
        {"delta up to the data's end", {0, 2, 1, 0}, 1, "ends before the end-of-frame code", 0},
        {"delta cut off", {0, 2, 1}, 1, "a move at byte 0 is cut off", 0},
        {"empty RLE8 frame", {}, 1, "", 0},
        {"plain rows", Bytes(12, 9), 0, "", 12},
        {"plain rows and a spare row", Bytes(16, 9), 0, "", 12},
        {"plain rows one byte short", Bytes(11, 9), 0, "holds 11 bytes, too few", 8},
        {"plain rows too short", Bytes(9, 9), 0, "too few for its rows", 8},
        {"empty plain frame", {}, 0, "", 0},
    };
    for (const auto& c : cases) {
        CAviClip clip;
        ASSERT_EQ(Read(clip, WithFrameData(c.data, c.compression)), "") << c.what;
        Bytes px;
        const std::string error = clip.DecodeFrame(0, px);
        if (*c.error == '\0')
            EXPECT_EQ(error, "") << c.what;
        else
            EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
        ASSERT_EQ(px.size(), 12u) << c.what;
        EXPECT_EQ(12 - std::count(px.begin(), px.end(), 0), c.lit) << c.what;
    }
    // An empty frame chunk repeats the frame before it; chunks of other
    // kinds in the frame list are no frames.
    Bytes b = SmallClip();
    Bytes movi{'m', 'o', 'v', 'i'};
    for (const char* id : {"a0dc", "0adc", "00wb", "00dx", "00db"})
        movi.insert(movi.end(), {std::uint8_t(id[0]), std::uint8_t(id[1]), std::uint8_t(id[2]),
                                 std::uint8_t(id[3]), 0, 0, 0, 0});
    Append(b, Chunk("LIST", movi));
    CAviClip repeated;
    ASSERT_EQ(Read(repeated, b), "");
    ASSERT_EQ(repeated.FrameCount(), 3);
    Bytes second, third;
    EXPECT_EQ(repeated.DecodeFrame(1, second), "");
    EXPECT_EQ(repeated.DecodeFrame(2, third), "");
    EXPECT_EQ(third, second);

    // The bottom row comes first: the first run lands in the last row.
    CAviClip clip;
    ASSERT_EQ(Read(clip, WithFrameData({4, 5, 0, 1})), "");
    Bytes px;
    EXPECT_EQ(clip.DecodeFrame(0, px), "");
    EXPECT_EQ(px, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 5, 5}));
    EXPECT_NE(clip.DecodeFrame(2, px), "");
    EXPECT_NE(clip.DecodeFrame(-1, px), "");
    EXPECT_EQ(clip.DecodeFrame(1, px), "");
}
