#include "support/FaultyStream.h"

#if defined(__GLIBC__)

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

struct Cookie
{
    Bytes bytes;
    StreamFaults faults;
    std::size_t pos = 0;
    int seeks = 0;
};

ssize_t ReadCookie(void* c, char* buf, std::size_t size)
{
    auto& s = *static_cast<Cookie*>(c);
    const std::size_t end = std::min(s.bytes.size(), s.faults.readFailsAt);
    if (s.pos >= end && end < s.bytes.size()) {
        errno = EIO;
        return -1;
    }
    const std::size_t n = s.pos < end ? std::min(size, end - s.pos) : 0;
    if (n > 0)
        std::memcpy(buf, s.bytes.data() + s.pos, n);
    s.pos += n;
    return ssize_t(n);
}

int SeekCookie(void* c, off64_t* offset, int whence)
{
    auto& s = *static_cast<Cookie*>(c);
    const auto& failing = s.faults.failingSeeks;
    if (std::find(failing.begin(), failing.end(), s.seeks++) != failing.end()) {
        errno = EIO;
        return -1;
    }
    const off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? off64_t(s.pos)
                                                                     : off64_t(s.bytes.size());
    if (base + *offset < 0) {
        errno = EINVAL;
        return -1;
    }
    s.pos = std::size_t(base + *offset);
    *offset = off64_t(s.pos);
    return 0;
}

int CloseCookie(void* c)
{
    delete static_cast<Cookie*>(c);
    return 0;
}

ssize_t WriteThrough(void* c, const char* buf, std::size_t size)
{
    return ssize_t(std::fwrite(buf, 1, size, static_cast<FILE*>(c)));
}

int CloseWithError(void* c)
{
    std::fclose(static_cast<FILE*>(c));
    errno = EIO;
    return -1;
}

}  // namespace

FILE* FaultyStream(const Bytes& bytes, const StreamFaults& faults)
{
    auto* cookie = new Cookie{bytes, faults};
    FILE* f = fopencookie(cookie, "rb", {ReadCookie, nullptr, SeekCookie, CloseCookie});
    if (!f) {
        delete cookie;
        return nullptr;
    }
    // Unbuffered: every read and seek of the reader reaches the cookie, so
    // the seeks are numbered as the reader makes them.
    std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

FILE* WithFailingClose(FILE* file)
{
    FILE* f = fopencookie(file, "wb", {nullptr, WriteThrough, nullptr, CloseWithError});
    if (!f)
        std::fclose(file);
    return f;
}

#else

FILE* FaultyStream(const Bytes&, const StreamFaults&)
{
    return nullptr;
}

FILE* WithFailingClose(FILE* file)
{
    std::fclose(file);
    return nullptr;
}

#endif
