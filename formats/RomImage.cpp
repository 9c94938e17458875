#include "formats/RomImage.h"

#include <sys/types.h>

#include <algorithm>
#include <limits>

#include "formats/CharStream.h"

std::uint32_t RomFileSize(FILE* f)
{
    if (fseeko(f, 0, SEEK_END) != 0)
        return 0;
    const off_t end = ftello(f);
    if (fseeko(f, 0, SEEK_SET) != 0 || end < 0)
        return 0;
    constexpr auto kMax = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uintmax_t>(end) > kMax ? kMax : std::uint32_t(end);
}

namespace {

bool SeekTo(FILE* f, std::uint32_t start)
{
    if (static_cast<std::uintmax_t>(start) >
        static_cast<std::uintmax_t>(std::numeric_limits<off_t>::max()))
        return false;
    return fseeko(f, static_cast<off_t>(start), SEEK_SET) == 0;
}

}  // namespace

std::string ReadRomChars(FILE* f, CTileSheet& sheet, std::uint32_t start, int nChars)
{
    // A start that cannot be reached leaves nothing to read from; reading
    // from wherever the stream happens to stand instead would be wrong.
    const bool reached = SeekTo(f, start);
    const int n = CharsToHandle(nChars);
    if (n == 0)
        return {};
    if (!reached)
        return kRomReadError;
    return ReadCharsIntoSheet(f, sheet, n, ConsoleOrder, kRomReadError);
}

bool StreamCanSeek(FILE* f)
{
    return std::fseek(f, 0, SEEK_CUR) == 0;
}

std::string ReadRomCharsInOrder(FILE* f, CTileSheet& sheet, std::uint32_t start, int nChars,
                                std::uint32_t& held)
{
    std::uint8_t scrap[8192];
    for (std::uint32_t dropped = 0; dropped < start;) {
        const std::size_t piece = std::min<std::uint32_t>(start - dropped, sizeof scrap);
        const std::size_t got = std::fread(scrap, 1, piece, f);
        dropped += std::uint32_t(got);
        if (got != piece) {
            held = dropped;
            return kRomReadError;
        }
    }
    return ReadCharsIntoSheet(f, sheet, CharsToHandle(nChars), ConsoleOrder, kRomReadError);
}
