#include "formats/RomImage.h"

#include <algorithm>
#include <limits>

#include "formats/CharStream.h"
#include "formats/SysSeek.h"

std::uint32_t RomFileSize(FILE* f)
{
    if (!SeekFile(f, 0, SEEK_END))
        return 0;
    const std::int64_t end = TellFile(f);
    if (!SeekFile(f, 0, SEEK_SET) || end < 0)
        return 0;
    constexpr auto kMax = std::numeric_limits<std::uint32_t>::max();
    return std::uint64_t(end) > kMax ? kMax : std::uint32_t(end);
}

std::string ReadRomChars(FILE* f, CTileSheet& sheet, std::uint32_t start, int nChars)
{
    // A start that cannot be reached leaves nothing to read from; reading
    // from wherever the stream happens to stand instead would be wrong.
    const bool reached = SeekFile(f, start, SEEK_SET);
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
