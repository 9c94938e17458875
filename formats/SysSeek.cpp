// Before any system header: off_t and fseeko of 64 bits also on 32-bit
// POSIX systems.
#define _FILE_OFFSET_BITS 64

#include "formats/SysSeek.h"

#ifdef _WIN32

bool SeekFile(FILE* f, std::int64_t offset, int whence)
{
    return _fseeki64(f, offset, whence) == 0;
}

std::int64_t TellFile(FILE* f)
{
    return _ftelli64(f);
}

#else  // POSIX

#include <sys/types.h>

static_assert(sizeof(off_t) == sizeof(std::int64_t), "off_t must have 64 bits");

bool SeekFile(FILE* f, std::int64_t offset, int whence)
{
    return fseeko(f, off_t(offset), whence) == 0;
}

std::int64_t TellFile(FILE* f)
{
    return ftello(f);
}

#endif
