#include "AviClip.h"

#include <algorithm>
#include <cstring>

#include "tiles/ByteOrder.h"

// The parts of a RIFF AVI file that the clip needs:
//
//   RIFF 'AVI '
//     LIST 'hdrl'
//       avih                 main header: time per frame, frame count
//       LIST 'strl'          one per stream, numbered from 0
//         strh               stream header: type 'vids', scale/rate, length
//         strf               BITMAPINFOHEADER and the palette
//     LIST 'movi'
//       NNdc / NNdb          one frame of stream NN, also inside LIST 'rec '
//     idx1                   optional index, not needed
//
// Every chunk is an id, a 32-bit little-endian size and the data, padded to
// an even length. Every size is checked against the bytes that hold it, so
// nothing is read beyond the input and nothing is sized from a claim.

namespace {

constexpr int kMaxListDepth = 8;
constexpr std::size_t kAvihSize = 40;  // up to dwHeight
constexpr std::size_t kStrhSize = 36;  // up to dwLength
constexpr std::size_t kBitmapInfoHeaderSize = 40;

bool Is(const std::uint8_t* p, const char (&id)[5])
{
    return std::memcmp(p, id, 4) == 0;
}

// A chunk id as text for messages, with anything unprintable as '?'.
std::string Id(const std::uint8_t* p)
{
    std::string s = "'";
    for (int i = 0; i < 4; ++i)
        s += (p[i] >= 0x20 && p[i] < 0x7f) ? char(p[i]) : '?';
    return s + "'";
}

std::string At(std::size_t pos)
{
    return " at byte " + std::to_string(pos);
}

bool IsDigit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

// One pass over the chunks of the file, collecting the headers of the first
// video stream and the places of its frames.
class CAviClip::Parser
{
public:
    Parser(const std::vector<std::uint8_t>& data, CAviClip& clip) : m_d(data), m_clip(clip) {}

    std::string Run()
    {
        const std::size_t size = m_d.size();
        if (size < 12 || !Is(&m_d[0], "RIFF") || !Is(&m_d[8], "AVI "))
            return "not a RIFF AVI file";
        const std::uint32_t riffSize = GetU32(&m_d[4]);
        if (riffSize < 4 || riffSize > size - 8)
            return "the RIFF chunk claims " + std::to_string(riffSize) +
                   " bytes but the file holds " + std::to_string(size - 8);
        if (std::string e = Walk(12, 8 + std::size_t(riffSize), 0, Where::Riff); !e.empty())
            return e;
        return Finish();
    }

private:
    enum class Where { Riff, Hdrl, Strl, Movi, Other };

    std::string Walk(std::size_t pos, std::size_t end, int depth, Where where)
    {
        while (pos < end) {
            if (end - pos < 8)
                return "a chunk header is cut off" + At(pos);
            const std::uint8_t* head = &m_d[pos];
            const std::uint32_t size = GetU32(head + 4);
            const std::size_t data = pos + 8;
            if (size > end - data)
                return "chunk " + Id(head) + At(pos) + " claims " + std::to_string(size) +
                       " bytes, more than its file or list holds";
            if (Is(head, "LIST")) {
                if (std::string e = List(data, size, depth); !e.empty())
                    return e;
            } else if (std::string e = Chunk(head, data, size, where); !e.empty()) {
                return e;
            }
            pos = data + size + (size & 1);
        }
        return {};
    }

    std::string List(std::size_t data, std::uint32_t size, int depth)
    {
        if (size < 4)
            return "a list" + At(data - 8) + " has no type";
        if (depth >= kMaxListDepth)
            return "lists are nested too deeply" + At(data - 8);
        const std::uint8_t* type = &m_d[data];
        Where inner = Where::Other;
        if (Is(type, "hdrl")) {
            inner = Where::Hdrl;
        } else if (Is(type, "strl")) {
            inner = Where::Strl;
            ++m_nStreams;
        } else if (Is(type, "movi")) {
            inner = Where::Movi;
            m_bMovi = true;
        } else if (Is(type, "rec ")) {
            inner = Where::Movi;
        } else {
            return {};  // INFO, odml and other lists say nothing about the frames
        }
        return Walk(data + 4, data + size, depth + 1, inner);
    }

    std::string Chunk(const std::uint8_t* head, std::size_t data, std::uint32_t size, Where where)
    {
        const std::uint8_t* p = &m_d[data];
        if (where == Where::Hdrl && Is(head, "avih") && !m_bAvih) {
            if (size < kAvihSize)
                return "the main header (avih) is too short";
            m_bAvih = true;
            m_dwAvihMicroSec = GetU32(p);
            m_dwAvihFrames = GetU32(p + 16);
        } else if (where == Where::Strl && Is(head, "strh")) {
            if (size < kStrhSize)
                return "a stream header (strh) is too short";
            if (m_nVideoStream < 0 && Is(p, "vids")) {
                m_nVideoStream = m_nStreams - 1;
                m_dwScale = GetU32(p + 20);
                m_dwRate = GetU32(p + 24);
                m_dwLength = GetU32(p + 32);
            }
        } else if (where == Where::Strl && Is(head, "strf")) {
            if (m_nStreams - 1 == m_nVideoStream && !m_bStrf) {
                m_bStrf = true;
                return Format(p, size);
            }
        } else if (where == Where::Movi && IsDigit(head[0]) && IsDigit(head[1]) &&
                   head[2] == 'd' && (head[3] == 'c' || head[3] == 'b')) {
            const int stream = (head[0] - '0') * 10 + (head[1] - '0');
            if (stream == m_nVideoStream) {
                // An empty chunk repeats the frame before it.
                if (size == 0 && !m_clip.m_frames.empty())
                    m_clip.m_frames.push_back(m_clip.m_frames.back());
                else
                    m_clip.m_frames.push_back({data, size});
            }
        }
        return {};
    }

    // BITMAPINFOHEADER and palette of the video stream.
    std::string Format(const std::uint8_t* p, std::uint32_t size)
    {
        if (size < kBitmapInfoHeaderSize)
            return "the video format (strf) is too short for a bitmap header";
        const std::uint32_t headerSize = GetU32(p);
        if (headerSize < kBitmapInfoHeaderSize || headerSize > size)
            return "the bitmap header size " + std::to_string(headerSize) +
                   " does not fit the video format (strf)";
        const auto width = static_cast<std::int32_t>(GetU32(p + 4));
        const auto height = static_cast<std::int32_t>(GetU32(p + 8));
        const std::uint16_t bitCount = GetU16(p + 14);
        const std::uint32_t compression = GetU32(p + 16);
        const std::uint32_t colours = GetU32(p + 32) == 0 ? 256 : GetU32(p + 32);
        if (width < 1 || width > kMaxSide)
            return "the frame width " + std::to_string(width) + " is outside 1 to " +
                   std::to_string(kMaxSide);
        if (height < 0)
            return "top-down frames are not supported";
        if (height < 1 || height > kMaxSide)
            return "the frame height " + std::to_string(height) + " is outside 1 to " +
                   std::to_string(kMaxSide);
        if (GetU16(p + 12) != 1 || bitCount != 8)
            return "the frames are not 8 bits per pixel in one plane";
        if (compression != 0 && compression != 1)
            return "the frames are neither RLE8 nor uncompressed";
        if (colours > 256)
            return "the palette has " + std::to_string(colours) + " colours, more than 256";
        if (colours * 4 > size - headerSize)
            return "the palette runs past the end of the video format (strf)";
        m_clip.m_nWidth = width;
        m_clip.m_nHeight = height;
        m_clip.m_bRle8 = compression == 1;
        for (std::uint32_t i = 0; i < colours; ++i) {
            const std::uint8_t* q = p + headerSize + 4 * i;  // blue, green, red, reserved
            m_clip.m_palette[i] = std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
        }
        return {};
    }

    std::string Finish()
    {
        if (!m_bAvih)
            return "the file has no main header (avih)";
        if (m_nVideoStream < 0)
            return "the file has no video stream";
        if (!m_bStrf)
            return "the video stream has no format (strf)";
        if (!m_bMovi)
            return "the file has no frame list (movi)";
        const std::size_t frames = m_clip.m_frames.size();
        if (frames == 0)
            return "the file holds no frames";
        if (m_dwAvihFrames > frames || m_dwLength > frames)
            return "the headers claim " + std::to_string(std::max(m_dwAvihFrames, m_dwLength)) +
                   " frames but the file holds " + std::to_string(frames);
        // Takes 16 GiB of frame chunks: no test input reaches it.
        if (m_clip.m_frames.size() > std::size_t(0x7fffffff))
            return "the file holds too many frames";
        std::uint64_t microSec = m_dwAvihMicroSec;
        if (microSec == 0 && m_dwRate != 0)
            microSec = std::uint64_t(m_dwScale) * 1000000u / m_dwRate;
        if (microSec == 0 || microSec > 0xffffffffu)
            return "the file gives no usable frame rate";
        m_clip.m_dwMicroSecPerFrame = static_cast<std::uint32_t>(microSec);
        return {};
    }

    const std::vector<std::uint8_t>& m_d;
    CAviClip& m_clip;
    int m_nStreams = 0;
    int m_nVideoStream = -1;
    bool m_bAvih = false;
    bool m_bStrf = false;
    bool m_bMovi = false;
    std::uint32_t m_dwAvihMicroSec = 0;
    std::uint32_t m_dwAvihFrames = 0;
    std::uint32_t m_dwScale = 0;
    std::uint32_t m_dwRate = 0;
    std::uint32_t m_dwLength = 0;
};

std::string CAviClip::Read(const std::uint8_t* data, std::size_t size)
{
    Clear();
    if (size > 0)
        m_data.assign(data, data + size);
    std::string error = Parser(m_data, *this).Run();
    if (!error.empty())
        Clear();
    return error;
}

void CAviClip::Clear()
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_frames.clear();
    m_frames.shrink_to_fit();
    m_palette.fill(0);
    m_nWidth = 0;
    m_nHeight = 0;
    m_dwMicroSecPerFrame = 0;
    m_bRle8 = false;
}

int CAviClip::Width() const
{
    return m_nWidth;
}

int CAviClip::Height() const
{
    return m_nHeight;
}

std::uint32_t CAviClip::MicroSecPerFrame() const
{
    return m_dwMicroSecPerFrame;
}

int CAviClip::FrameCount() const
{
    return static_cast<int>(m_frames.size());
}

const std::array<std::uint32_t, 256>& CAviClip::Palette() const
{
    return m_palette;
}

std::string CAviClip::DecodeFrame(int index, std::vector<std::uint8_t>& pixels) const
{
    pixels.assign(std::size_t(m_nWidth) * std::size_t(m_nHeight), 0);
    if (index < 0 || index >= FrameCount())
        return "there is no frame " + std::to_string(index);
    const Frame& frame = m_frames[std::size_t(index)];
    std::string error = m_bRle8 ? DecodeRle8(frame, pixels) : DecodeRgb(frame, pixels);
    if (!error.empty())
        error = "frame " + std::to_string(index) + ": " + error;
    return error;
}

// Rows are stored bottom row first, each padded to a multiple of 4 bytes.
std::string CAviClip::DecodeRgb(const Frame& frame, std::vector<std::uint8_t>& pixels) const
{
    const std::size_t stride = (std::size_t(m_nWidth) + 3) & ~std::size_t(3);
    const std::size_t rows = std::min<std::size_t>(frame.size / stride, std::size_t(m_nHeight));
    if (frame.size == 0)
        return {};  // a frame left empty shows black
    for (std::size_t r = 0; r < rows; ++r)
        std::memcpy(&pixels[(std::size_t(m_nHeight) - 1 - r) * std::size_t(m_nWidth)],
                    &m_data[frame.offset + r * stride], std::size_t(m_nWidth));
    if (rows < std::size_t(m_nHeight))
        return "the frame holds " + std::to_string(frame.size) + " bytes, too few for its rows";
    return {};
}

// Pairs of bytes, starting at the bottom row: a count n > 0 and a colour is
// a run of n pixels; 0 0 ends the row, 0 1 ends the frame, 0 2 dx dy moves
// right and up, leaving the pixels passed over black; 0 n (n >= 3) is
// followed by n pixels, padded to an even number of bytes.
std::string CAviClip::DecodeRle8(const Frame& frame, std::vector<std::uint8_t>& pixels) const
{
    if (frame.size == 0)
        return {};
    const std::uint8_t* p = &m_data[frame.offset];
    const std::size_t n = frame.size;
    const int w = m_nWidth;
    const int h = m_nHeight;
    std::size_t i = 0;
    int x = 0;
    int row = 0;  // counted from the bottom
    auto put = [&](int count) -> std::uint8_t* {
        return &pixels[std::size_t(h - 1 - row) * std::size_t(w) + std::size_t(x - count)];
    };
    auto fits = [&](int count) -> std::string {
        if (row >= h)
            return "a run" + At(i) + " goes past the top of the frame";
        if (count > w - x)
            return "a run" + At(i) + " goes past the end of a row";
        return {};
    };
    for (;;) {
        if (n - i < 2)
            return "the data ends before the end-of-frame code";
        const std::uint8_t count = p[i];
        const std::uint8_t code = p[i + 1];
        if (count > 0) {
            if (std::string e = fits(count); !e.empty())
                return e;
            x += count;
            std::memset(put(count), code, count);
            i += 2;
            continue;
        }
        switch (code) {
        case 0:  // end of row
            if (row >= h)
                return "a row end" + At(i) + " goes past the top of the frame";
            x = 0;
            ++row;
            i += 2;
            break;
        case 1:  // end of frame
            return {};
        case 2:  // move
            if (n - i < 4)
                return "a move" + At(i) + " is cut off";
            if (p[i + 2] > w - x || p[i + 3] > h - row)
                return "a move" + At(i) + " goes past the frame";
            x += p[i + 2];
            row += p[i + 3];
            i += 4;
            break;
        default:  // literal pixels
            if (std::string e = fits(code); !e.empty())
                return e;
            if (n - i - 2 < code)
                return "literal pixels" + At(i) + " are cut off";
            x += code;
            std::memcpy(put(code), p + i + 2, code);
            i = std::min(n, i + 2 + code + (code & 1));
            break;
        }
    }
}
