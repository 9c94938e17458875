#include "fuzz/FuzzHeap.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define KELVANE_FUZZ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVANE_FUZZ_ASAN 1
#endif
#endif

namespace {

using Bytes = long long;

std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

void Count(void* p)
{
    if (!p)
        return;
    const long long live = g_live.fetch_add(Bytes(malloc_usable_size(p)),
                                            std::memory_order_relaxed) +
                           Bytes(malloc_usable_size(p));
    long long peak = g_peak.load(std::memory_order_relaxed);
    while (live > peak && !g_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

void Uncount(void* p)
{
    if (p)
        g_live.fetch_sub(Bytes(malloc_usable_size(p)), std::memory_order_relaxed);
}

}  // namespace

CHeapWatch::CHeapWatch(std::size_t allowance)
    : m_start(g_live.load(std::memory_order_relaxed)), m_allowance(allowance)
{
    g_peak.store(m_start, std::memory_order_relaxed);
}

std::size_t CHeapWatch::Growth() const
{
    const long long growth = g_peak.load(std::memory_order_relaxed) - m_start;
    return growth > 0 ? std::size_t(growth) : 0;
}

CHeapWatch::~CHeapWatch()
{
    if (Growth() > m_allowance) {
        std::fprintf(stderr, "heap grew by %zu bytes while handling one input (allowed: %zu)\n",
                     Growth(), m_allowance);
        std::abort();
    }
}

#ifdef KELVANE_FUZZ_ASAN

void* operator new(std::size_t n)
{
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    Count(p);
    return p;
}

void* operator new(std::size_t n, std::align_val_t a)
{
    void* p = std::aligned_alloc(std::size_t(a), (n + std::size_t(a) - 1) / std::size_t(a) *
                                                     std::size_t(a));
    if (!p)
        throw std::bad_alloc();
    Count(p);
    return p;
}

void* operator new[](std::size_t n) { return operator new(n); }
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }

void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    try {
        return operator new(n);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }

void operator delete(void* p) noexcept
{
    Uncount(p);
    std::free(p);
}

void operator delete(void* p, std::align_val_t) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::align_val_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

#else  // the malloc family, on which operator new rests

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t n)
{
    void* p = __libc_malloc(n);
    Count(p);
    return p;
}

void* calloc(std::size_t n, std::size_t size)
{
    void* p = __libc_calloc(n, size);
    Count(p);
    return p;
}

void* realloc(void* old, std::size_t n)
{
    const long long before = old ? Bytes(malloc_usable_size(old)) : 0;
    void* p = __libc_realloc(old, n);
    if (p || n == 0) {
        g_live.fetch_sub(before, std::memory_order_relaxed);
        Count(p);
    }
    return p;
}

void free(void* p)
{
    Uncount(p);
    __libc_free(p);
}

void* memalign(std::size_t alignment, std::size_t n)
{
    void* p = __libc_memalign(alignment, n);
    Count(p);
    return p;
}

void* aligned_alloc(std::size_t alignment, std::size_t n) { return memalign(alignment, n); }

int posix_memalign(void** out, std::size_t alignment, std::size_t n)
{
    void* p = memalign(alignment, n);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}
}

#endif
