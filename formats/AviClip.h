#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A clip: one 8-bit video stream of a RIFF AVI file (RLE8 or uncompressed
// frames), read from bytes in memory; frames are decoded one at a time.
class CAviClip
{
public:
    // Reads a whole AVI file. Returns "" on success, else a one-line message
    // saying what is wrong; after a failure the clip is empty (FrameCount() 0).
    std::string Read(const std::uint8_t* data, std::size_t size);

    int Width() const;
    int Height() const;
    std::uint32_t MicroSecPerFrame() const;
    int FrameCount() const;
    // 256 entries 0x00RRGGBB; entries the file does not give are 0 (black).
    const std::array<std::uint32_t, 256>& Palette() const;

    // Decodes frame `index` (0 .. FrameCount()-1) into `pixels`: Width() x
    // Height() palette indices, top row first. Returns "" on success, else a
    // message (pixels then hold what was decoded before the fault, the rest 0).
    std::string DecodeFrame(int index, std::vector<std::uint8_t>& pixels) const;

    // True when the frames are RLE8-compressed, false when they are plain
    // 8-bit rows.
    bool IsRle8() const { return m_bRle8; }

    // Largest width and height accepted.
    static constexpr int kMaxSide = 1024;

private:
    // Where one frame's data lies in m_data.
    struct Frame
    {
        std::size_t offset;
        std::size_t size;
    };
    class Parser;

    void Clear();
    std::string DecodeRle8(const Frame& frame, std::vector<std::uint8_t>& pixels) const;
    std::string DecodeRgb(const Frame& frame, std::vector<std::uint8_t>& pixels) const;

    std::vector<std::uint8_t> m_data;
    std::vector<Frame> m_frames;
    std::array<std::uint32_t, 256> m_palette{};
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::uint32_t m_dwMicroSecPerFrame = 0;
    bool m_bRle8 = false;
};
