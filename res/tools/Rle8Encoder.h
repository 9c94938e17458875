#pragma once

// RLE8 compression of 8-bit frames and the RIFF AVI file that holds them:
// plain C++, used by the resource tool to write the About box's clip.

#include <array>
#include <cstdint>
#include <vector>

// Compresses one frame of width x height palette indices, top row first, as
// the RLE8 data of a bottom-up bitmap: runs of equal pixels, literal
// stretches, an end-of-row code after every row but the last and an
// end-of-frame code. Every pixel is written, so each frame stands alone.
std::vector<std::uint8_t> EncodeRle8(const std::uint8_t* pixels, int width, int height);

struct AviClipData
{
    int width = 0;
    int height = 0;
    std::uint32_t microSecPerFrame = 0;
    std::array<std::uint32_t, 256> palette{};  // 0x00RRGGBB
    std::vector<std::vector<std::uint8_t>> frames;  // width x height each, top row first
};

// A RIFF AVI file of one RLE8 video stream ('00dc' chunks, all key frames)
// with its 256-colour palette and an idx1 index.
std::vector<std::uint8_t> WriteRle8Avi(const AviClipData& clip);
