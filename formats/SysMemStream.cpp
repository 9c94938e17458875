#include "formats/SysMemStream.h"

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <windows.h>

FILE* OpenScratchFile()
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH || !GetTempFileNameW(folder, L"kvn", 0, name))
        return nullptr;
    const HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DeleteFileW(name);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    FILE* f = _fdopen(fd, "w+b");
    if (!f)
        _close(fd);
    return f;
}

FILE* OpenMemoryStream(const void* data, std::size_t size)
{
    FILE* f = OpenScratchFile();
    if (!f)
        return nullptr;
    if ((size > 0 && std::fwrite(data, size, 1, f) != 1) || std::fflush(f) != 0 ||
        std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

#else  // POSIX

FILE* OpenScratchFile()
{
    return std::tmpfile();
}

FILE* OpenMemoryStream(const void* data, std::size_t size)
{
    // Some systems refuse fmemopen of 0 bytes; an empty file holds them.
    return size == 0 ? OpenScratchFile() : fmemopen(const_cast<void*>(data), size, "rb");
}

#endif
