#include "formats/SysReplace.h"

#include "formats/SysFileName.h"

#include <cerrno>
#include <random>

namespace {

// Characters of the target's name that go into the temporary file's name,
// which stays short enough for any file system.
constexpr std::size_t kMaxTempStem = 200;

// The temporary file's name up to its random part: a hidden name next to
// the target.
std::string TempStem(const std::string& target)
{
    const std::size_t start = FileNameStart(target);
    return target.substr(0, start) + "." + target.substr(start, kMaxTempStem) + ".";
}

// A name beside the target for a file that `make` creates, which fails
// with `taken` set when the name is in use already: up to 100 tries.
template <class Make>
bool MakeUniquelyNamed(const std::string& target, std::string& made, Make make)
{
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device random;
    const std::string stem = TempStem(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 8; ++i)
            name += kDigits[random() % 36];
        bool taken = false;
        if (make(name, taken)) {
            made = name;
            return true;
        }
        if (!taken)
            return false;
    }
    return false;
}

}  // namespace

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

bool ResolveTarget(const std::string& path, std::string& target)
{
    if (FileNameStart(path) == path.size())
        return false;
    target = path;
    return true;
}

// What an existing target is: 1 a file on a disk that the caller may
// write, 2 another thing that takes writes (a device such as NUL, a pipe),
// 0 no file yet, -1 a file that cannot be written (a folder, a read-only
// file).
int TargetKind(const std::wstring& wideTarget)
{
    const HANDLE probe = CreateFileW(wideTarget.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return 0;
        SetErrnoFromLastError();  // a sharing violation among them: it names the reason
        return -1;
    }
    const bool onDisk = GetFileType(probe) == FILE_TYPE_DISK;
    CloseHandle(probe);
    return onDisk ? 1 : 2;
}

FILE* OpenDevice(const std::string& target)
{
    errno = 0;
    const std::wstring wideTarget = WideFileName(target);
    if (wideTarget.empty() || TargetKind(wideTarget) != 2)
        return nullptr;
    return OpenFile(target, "wb");
}

FILE* OpenTemp(const std::string& target, std::string& tempPath)
{
    const std::wstring wideTarget = WideFileName(target);
    if (wideTarget.empty())
        return nullptr;
    // An existing target must be a file on a disk that the caller may write;
    // a folder or a read-only file refuses the probe.
    const int kind = TargetKind(wideTarget);
    if (kind != 0 && kind != 1) {
        if (kind == 2)
            errno = EACCES;
        return nullptr;
    }

    FILE* file = nullptr;
    MakeUniquelyNamed(target, tempPath, [&](const std::string& name, bool& taken) {
        const HANDLE h = CreateFileW(WideFileName(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                     nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            taken = GetLastError() == ERROR_FILE_EXISTS;
            if (!taken)
                SetErrnoFromLastError();
            return false;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
        if (fd < 0) {
            CloseHandle(h);
            RemoveFile(name);
            return false;
        }
        file = _fdopen(fd, "wb");
        if (!file) {
            _close(fd);
            RemoveFile(name);
        }
        return file != nullptr;
    });
    return file;
}

bool KeepOld(const std::string& target, std::string& keptPath)
{
    keptPath.clear();
    const std::wstring wideTarget = WideFileName(target);
    if (wideTarget.empty())
        return false;
    if (GetFileAttributesW(wideTarget.c_str()) == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    return MakeUniquelyNamed(target, keptPath, [&](const std::string& name, bool& taken) {
        const std::wstring wideName = WideFileName(name);
        if (CreateHardLinkW(wideName.c_str(), wideTarget.c_str(), nullptr) ||
            CopyFileW(wideTarget.c_str(), wideName.c_str(), TRUE))
            return true;
        taken = GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS;
        return false;
    });
}

bool SyncFile(FILE* file)
{
    const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
}

bool ReplaceTarget(const std::string& tempPath, const std::string& target, bool bSync)
{
    errno = EACCES;
    const std::wstring from = WideFileName(tempPath);
    const std::wstring to = WideFileName(target);
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (bSync ? MOVEFILE_WRITE_THROUGH : 0);
    if (from.empty() || to.empty())
        return false;
    if (MoveFileExW(from.c_str(), to.c_str(), flags))
        return true;
    if (GetLastError() == ERROR_ACCESS_DENIED) {
        // A target that another program holds open without letting it go is
        // refused as "access denied"; asking for the right to delete it
        // tells a sharing violation apart.
        const HANDLE h = CreateFileW(to.c_str(), DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            SetLastError(ERROR_ACCESS_DENIED);
        }
    }
    SetErrnoFromLastError();
    return false;
}

}  // namespace

std::string FileIdentity(const std::string& path)
{
    const std::wstring wide = WideFileName(path);
    if (wide.empty())
        return path;
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    const DWORD got = n ? GetFullPathNameW(wide.c_str(), n, full.data(), nullptr) : 0;
    if (got == 0 || got >= n)
        return path;
    full.resize(got);
    // Names differing in case name one file on Windows' file systems.
    CharLowerBuffW(full.data(), DWORD(full.size()));
    const std::string utf8 = Utf8FromWide(full);
    return utf8.empty() ? path : utf8;
}

#else  // POSIX, macOS among them

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

// Links followed before a path counts as a loop, as the system does.
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path)
{
    const std::size_t start = FileNameStart(path);
    if (start == 0)
        return ".";
    return start == 1 ? "/" : path.substr(0, start - 1);  // "/": no test writes into the root
}

bool ResolveTarget(const std::string& start, std::string& target)
{
    std::string path = start;
    for (int i = 0; i <= kMaxLinks; ++i) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            if (FileNameStart(path) < path.size())
                return true;
            errno = path.empty() ? ENOENT : EISDIR;
            return false;
        }
        // Links of no size are found on some file systems only, not in the tests'.
        std::string link(st.st_size > 0 ? std::size_t(st.st_size) + 1 : 4096, '\0');
        const ssize_t len = readlink(path.c_str(), link.data(), link.size());
        // Only a link changed between lstat and readlink fails here; no test races it.
        if (len <= 0 || std::size_t(len) >= link.size())
            return false;
        link.resize(std::size_t(len));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

FILE* OpenDevice(const std::string& target)
{
    struct stat st;
    if (stat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
        errno = 0;
        return nullptr;
    }
    return std::fopen(target.c_str(), "wb");
}

// The process's file creation mask, read without changing it where the
// system tells it; else by setting it and putting it straight back.
// Linux always tells it, so the tests reach neither other way out.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            unsigned mask = 0;
            if (status >> std::oct >> mask)
                return mode_t(mask & 0777);
            break;
        }
        status.ignore(4096, '\n');
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

// For calls whose failure leaves a safe state behind.
void IgnoreResult(int) {}

FILE* OpenTemp(const std::string& target, std::string& tempPath)
{
    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists) {
        // Only a regular file is replaced; renaming over a device or a pipe
        // would destroy it. And the caller must be allowed to write it.
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return nullptr;
        }
        const int probe = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (probe < 0)
            return nullptr;
        ::close(probe);
    } else if (errno != ENOENT) {
        return nullptr;
    }

    std::string temp = TempStem(target) + "XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return nullptr;

    mode_t mode = 0666 & ~CurrentUmask();
    if (exists) {
        // Keep the old owner where the system allows it (it does for root,
        // and for a group of the user's own); else the file becomes ours and
        // loses set-user and set-group ids that were meant for its owner.
        mode = st.st_mode & 07777;
        const bool sameOwner = st.st_uid == geteuid() && st.st_gid == getegid();
        // fchown fails only for a user who may not give files away; the
        // owner test runs as root, so no test reaches the branch below.
        if (!sameOwner && fchown(fd, st.st_uid, st.st_gid) != 0) {
            mode &= ~mode_t(S_ISUID | S_ISGID);
            IgnoreResult(fchown(fd, geteuid(), st.st_gid));
        }
    }
    // A mode the file system refuses leaves mkstemp's 0600, which gives away
    // nothing.
    IgnoreResult(fchmod(fd, mode));

    FILE* file = fdopen(fd, "wb");
    if (!file) {  // out of memory only: no test provokes it
        ::close(fd);
        ::unlink(temp.c_str());
        return nullptr;
    }
    tempPath = temp;
    return file;
}

bool SyncDescriptor(int fd)
{
#ifdef F_FULLFSYNC
    // macOS: fsync leaves the data in the drive's cache; this does not.
    // File systems that cannot (network ones) fall back to fsync.
    if (fcntl(fd, F_FULLFSYNC) == 0)
        return true;
#endif
    // A file system that cannot sync (EINVAL) has still been given the data.
    // fsync fails otherwise only on a failing disk, which no test provokes.
    return fsync(fd) == 0 || errno == EINVAL;
}

bool SyncFile(FILE* file)
{
    return SyncDescriptor(fileno(file));
}

bool ReplaceTarget(const std::string& tempPath, const std::string& target, bool bSync)
{
    if (std::rename(tempPath.c_str(), target.c_str()) != 0)
        return false;
    if (bSync) {
        // Make the new name itself lasting; the data already is.
        const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {  // the folder vanishing right after the rename: no test races it
            SyncDescriptor(dir);
            ::close(dir);
        }
    }
    return true;
}

// A second link to the target, or a copy where the file system has no
// links (FAT) or refuses one.
bool KeepOld(const std::string& target, std::string& keptPath)
{
    keptPath.clear();
    struct stat st;
    if (lstat(target.c_str(), &st) != 0)
        return errno == ENOENT;
    if (MakeUniquelyNamed(target, keptPath, [&](const std::string& name, bool& taken) {
            if (::link(target.c_str(), name.c_str()) == 0)
                return true;
            taken = errno == EEXIST;
            return false;
        }))
        return true;
    FILE* from = OpenForReading(target);
    std::string copyPath;
    FILE* copy = from ? OpenTemp(target, copyPath) : nullptr;
    bool ok = copy != nullptr;
    char buffer[65536];
    for (std::size_t got; ok && (got = std::fread(buffer, 1, sizeof buffer, from)) > 0;)
        ok = std::fwrite(buffer, 1, got, copy) == got;
    ok = ok && !std::ferror(from);
    if (copy) {
        ok = std::fclose(copy) == 0 && ok;
        if (!ok)
            ::unlink(copyPath.c_str());
    }
    if (from)
        std::fclose(from);
    if (ok)
        keptPath = copyPath;
    return ok;
}

}  // namespace

std::string FileIdentity(const std::string& path)
{
    std::string target;
    if (!ResolveTarget(path, target))
        return path;
    char* folder = realpath(FolderOf(target).c_str(), nullptr);
    if (!folder)
        return path;
    std::string name = target.substr(FileNameStart(target));
    std::string identity = std::string(folder) + "/";
    std::free(folder);
    // "." and ".." at the end name the folder itself, or its parent.
    if (name == "." || name == "..") {
        char* real = realpath((identity + name).c_str(), nullptr);
        if (!real)
            return path;
        identity = real;
        std::free(real);
        return identity;
    }
    return identity + name;
}

#endif

const SafeFileCalls& SystemSafeFileCalls()
{
    static const SafeFileCalls calls = {ResolveTarget, OpenDevice, OpenTemp, SyncFile,
                                        ReplaceTarget, RemoveFile, KeepOld};
    return calls;
}
