#pragma once

// Heap accounting for the fuzz targets and their corpus replay: every program
// built from fuzz/ replaces the allocator (FuzzHeap.cpp) so that a target can
// see how much the heap grew while it handled one input.
//
// Without AddressSanitizer the malloc family itself is replaced, so the
// stdio streams' own allocations count too; under AddressSanitizer, which
// owns malloc, only operator new and delete are counted.

#include <cstddef>

// Watches one call: remembers the live heap bytes when made, and when it
// goes out of scope aborts the program if the peak in between grew by more
// than `allowance` bytes.
class CHeapWatch
{
public:
    explicit CHeapWatch(std::size_t allowance);
    ~CHeapWatch();
    CHeapWatch(const CHeapWatch&) = delete;
    CHeapWatch& operator=(const CHeapWatch&) = delete;

    // Peak growth so far, in bytes.
    std::size_t Growth() const;

    // Allowance for bookkeeping on top of what an input may justify: a
    // stream, a message string, a few small objects.
    static constexpr std::size_t kSlack = 8192;

private:
    long long m_start;
    std::size_t m_allowance;
};
