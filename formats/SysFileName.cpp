#include "formats/SysFileName.h"

#ifdef _WIN32

#include <windows.h>
#include <shellapi.h>  // CommandLineToArgvW

#include <cerrno>
#include <cstring>

namespace {

std::wstring Utf16(const std::string& utf8)
{
    if (utf8.empty() || utf8.size() > 0x7FFFFFFF)
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                      int(utf8.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring wide(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()),
                        wide.data(), n);
    // A NUL inside would cut the name short.
    return wide.find(L'\0') == std::wstring::npos ? wide : std::wstring();
}

// The reason of the last refusal that the C library has no errno for, in the
// system's words; EIO in errno stands for it.
thread_local std::string t_systemReason;

}  // namespace

std::string Utf8FromWide(const std::wstring& wide)
{
    if (wide.empty() || wide.size() > 0x7FFFFFFF)
        return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(std::size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), bytes,
                            nullptr, nullptr);
    return utf8;
}

namespace {

// The program's arguments as the system holds them, in UTF-8.
std::vector<std::string> SystemArguments(int argc, char** argv)
{
    int n = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!wide)  // out of memory only
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < n; ++i)
        args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace

std::wstring WideFileName(const std::string& path)
{
    std::wstring wide = Utf16(path);
    if (wide.size() < MAX_PATH || wide.compare(0, 4, L"\\\\?\\") == 0)
        return wide;
    // Beyond MAX_PATH only names with the "\\?\" prefix reach the file
    // system, which then takes them as they are: absolute, with backslashes
    // and without "." or "..", as GetFullPathNameW makes them.
    std::wstring full(wide.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(wide.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (n == 0)
            return {};
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    if (full.compare(0, 2, L"\\\\") == 0)  // \\server\share\... becomes \\?\UNC\server\share\...
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

void SetErrnoFromLastError()
{
    const DWORD code = GetLastError();
    t_systemReason.clear();
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        errno = ENOENT;
        return;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        errno = EACCES;
        return;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        return;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        return;
    case ERROR_FILENAME_EXCED_RANGE:
        errno = ENAMETOOLONG;
        return;
    case ERROR_INVALID_NAME:
        errno = EINVAL;
        return;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        errno = EBUSY;
        return;
    default:
        break;
    }
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    t_systemReason = n > 0 ? Utf8FromWide(std::wstring(text, n)) : std::string();
    if (text)
        LocalFree(text);
    while (!t_systemReason.empty() && std::strchr(" .\r\n", t_systemReason.back()))
        t_systemReason.pop_back();
    if (t_systemReason.empty())
        t_systemReason = "Windows error " + std::to_string(code);
    errno = EIO;
}

std::string ErrorReason(int error)
{
    if (error == EBUSY)  // strerror's words here are about devices
        return "being used by another process";
    if (error == EIO && !t_systemReason.empty())
        return t_systemReason;
    return std::strerror(error);
}

FILE* OpenFile(const std::string& path, const char* mode)
{
    const std::wstring wide = WideFileName(path);
    const std::wstring wideMode = Utf16(mode);
    if (wide.empty() || wideMode.empty()) {
        errno = EINVAL;
        return nullptr;
    }
    // _wfopen's errno says "Permission denied" for a file that another
    // program holds open; the system's own code tells which it was.
    SetLastError(ERROR_SUCCESS);
    FILE* file = _wfopen(wide.c_str(), wideMode.c_str());
    if (!file && GetLastError() != ERROR_SUCCESS)
        SetErrnoFromLastError();
    return file;
}

FILE* OpenForReading(const std::string& path)
{
    // Windows opens no folder as a file, and a pipe's open does not wait.
    return OpenFile(path, "rb");
}

bool RemoveFile(const std::string& path)
{
    const std::wstring wide = WideFileName(path);
    if (wide.empty()) {
        errno = EINVAL;
        return false;
    }
    if (DeleteFileW(wide.c_str()))
        return true;
    SetErrnoFromLastError();
    return false;
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
#include <cstring>

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

namespace {

std::vector<std::string> SystemArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace

std::string ErrorReason(int error)
{
    return std::strerror(error);
}

std::size_t FileNameStart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

#endif

CProgramArguments::CProgramArguments(int argc, char** argv) : m_args(SystemArguments(argc, argv))
{
    for (std::string& a : m_args)
        m_argv.push_back(a.data());
    m_argv.push_back(nullptr);
}
