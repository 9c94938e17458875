#include "formats/SysFileName.h"

#ifdef _WIN32

#include <windows.h>

std::wstring WideFileName(const std::string& path)
{
    if (path.empty() || path.size() > 0x7FFFFFFF)
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                      int(path.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring wide(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), int(path.size()),
                        wide.data(), n);
    // A NUL inside would cut the name short.
    return wide.find(L'\0') == std::wstring::npos ? wide : std::wstring();
}

FILE* OpenFile(const std::string& path, const char* mode)
{
    const std::wstring wide = WideFileName(path);
    const std::wstring wideMode = WideFileName(mode);
    return wide.empty() || wideMode.empty() ? nullptr : _wfopen(wide.c_str(), wideMode.c_str());
}

FILE* OpenForReading(const std::string& path)
{
    // Windows opens no folder as a file, and a pipe's open does not wait.
    return OpenFile(path, "rb");
}

bool RemoveFile(const std::string& path)
{
    const std::wstring wide = WideFileName(path);
    return !wide.empty() && DeleteFileW(wide.c_str());
}

void RemoveFileInHandler(const char* path)
{
    RemoveFile(path);
}

std::size_t FileNameStart(const std::string& path)
{
    const auto sep = path.find_last_of("/\\:");
    return sep == std::string::npos ? 0 : sep + 1;
}

#else  // POSIX: the names are the system's own bytes

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

FILE* OpenFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

FILE* OpenForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // fstat, fcntl and fdopen fail on an open descriptor only for want of
    // memory, which no test provokes; a folder is refused here.
    struct stat st;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        errno = EISDIR;
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

bool RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

void RemoveFileInHandler(const char* path)
{
    ::unlink(path);
}

std::size_t FileNameStart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

#endif
