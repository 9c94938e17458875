#include "cli/SysStdio.h"

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>

#include <cstdio>

void UseBinaryStandardStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

#else  // POSIX: streams are bytes already

void UseBinaryStandardStreams() {}

#endif
