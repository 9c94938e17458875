#pragma once

// Pieces shared by the fuzz targets: an input as a read-only stream, and the
// checks a target makes on what a reader did.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/FuzzHeap.h"
#include "tiles/CharCodec.h"
#include "formats/CharStream.h"

// A finding: says what went wrong and aborts, which libFuzzer and the replay
// test both report as a failure.
#define FUZZ_CHECK(cond)                                                                     \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)

// A stream over bytes in memory, buffered in the object itself so that
// reading allocates no stdio buffer; closed when it goes out of scope.
class CMemStream
{
public:
    CMemStream(const void* data, std::size_t size, const char* mode)
        : m_f(fmemopen(const_cast<void*>(data), size, mode))
    {
        FUZZ_CHECK(m_f != nullptr);
        std::setvbuf(m_f, m_buffer, _IOFBF, sizeof m_buffer);
    }
    ~CMemStream() { std::fclose(m_f); }
    CMemStream(const CMemStream&) = delete;
    CMemStream& operator=(const CMemStream&) = delete;
    FILE* get() const { return m_f; }

private:
    FILE* m_f;
    char m_buffer[4096];
};

// A sheet whose every pixel holds a level that tells the pixels apart from a
// freshly decoded char, so that an untouched tile can be recognised.
inline const CTileSheet& PatternSheet()
{
    static const CTileSheet pattern = [] {
        CTileSheet sheet;
        for (int i = 0; i < kSheetBytes; ++i)
            sheet.GetPixels()[i] = LevelFromIndex((i * 7 + i / 128) & 3);
        return sheet;
    }();
    return pattern;
}

inline bool SamePixels(const CTileSheet& a, const CTileSheet& b)
{
    return std::memcmp(a.GetPixels(), b.GetPixels(), kSheetBytes) == 0;
}

// Checks a read of `n` chars of 16 bytes from `bytes` (`available` of them
// present) into a sheet that was `before`: the chars that were all there are
// in tiles 0, 1, ..., every other tile is untouched, and the read failed
// exactly when a char was missing.
inline void CheckCharsRead(const CTileSheet& after, const CTileSheet& before,
                           const std::uint8_t* bytes, std::size_t available, int n,
                           RowOrder order, bool failed)
{
    const std::size_t whole = available / kCharBytes;
    FUZZ_CHECK(failed == (whole < std::size_t(n)));
    CTileSheet expected = before;
    for (int i = 0; i < n && std::size_t(i) < whole; ++i)
        expected.PutTile(DecodeChar(bytes + kCharBytes * i, order), TileCol(i), TileRow(i));
    FUZZ_CHECK(SamePixels(after, expected));
}
