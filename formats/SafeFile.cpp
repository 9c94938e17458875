#include "formats/SafeFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

namespace {

// Links followed before a path counts as a loop, as the system does.
constexpr int kMaxLinks = 40;
// Characters of the target's name that go into the temporary file's name.
constexpr std::size_t kMaxTempStem = 200;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with every symbolic link at its end followed, also a link to a
// file that does not exist yet (that file is the one to create). False for a
// loop of links or a link that cannot be read.
bool FollowLinks(std::string path, std::string& result)
{
    for (int i = 0; i <= kMaxLinks; ++i) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            result = path;
            return true;
        }
        std::string link(st.st_size > 0 ? std::size_t(st.st_size) + 1 : 4096, '\0');
        const ssize_t len = readlink(path.c_str(), link.data(), link.size());
        if (len <= 0 || std::size_t(len) >= link.size())
            return false;
        link.resize(std::size_t(len));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return false;
}

// The process's file creation mask, read without changing it where the
// system tells it; else by setting it and putting it straight back.
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

}  // namespace

FILE* OpenForReading(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

CSafeFileWriter::~CSafeFileWriter()
{
    Abandon();
}

bool CSafeFileWriter::Open(const std::string& targetPath)
{
    Abandon();

    std::string target;
    if (!FollowLinks(targetPath, target) || NameOf(target).empty())
        return false;

    struct stat st;
    const bool exists = stat(target.c_str(), &st) == 0;
    if (exists) {
        // Only a regular file is replaced; renaming over a device or a pipe
        // would destroy it. And the caller must be allowed to write it.
        if (!S_ISREG(st.st_mode))
            return false;
        const int probe = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (probe < 0)
            return false;
        ::close(probe);
    } else if (errno != ENOENT) {
        return false;
    }

    // A hidden name next to the target, short enough for any file system.
    std::string temp = FolderOf(target) + "/." + NameOf(target).substr(0, kMaxTempStem) + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;

    mode_t mode = 0666 & ~CurrentUmask();
    if (exists) {
        // Keep the old owner where the system allows it (it does for root,
        // and for a group of the user's own); else the file becomes ours and
        // loses set-user and set-group ids that were meant for its owner.
        mode = st.st_mode & 07777;
        const bool sameOwner = st.st_uid == geteuid() && st.st_gid == getegid();
        if (!sameOwner && fchown(fd, st.st_uid, st.st_gid) != 0) {
            mode &= ~mode_t(S_ISUID | S_ISGID);
            IgnoreResult(fchown(fd, geteuid(), st.st_gid));
        }
    }
    // A mode the file system refuses leaves mkstemp's 0600, which gives away
    // nothing.
    IgnoreResult(fchmod(fd, mode));

    m_pFile = fdopen(fd, "wb");
    if (!m_pFile) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    m_strTarget = target;
    m_strTemp = temp;
    return true;
}

bool CSafeFileWriter::Commit(bool bSync)
{
    if (!m_pFile)
        return false;

    bool ok = !std::ferror(m_pFile);
    ok = std::fflush(m_pFile) == 0 && ok;
    // A file system that cannot sync (EINVAL) has still been given the data.
    ok = (!bSync || fsync(fileno(m_pFile)) == 0 || errno == EINVAL) && ok;
    ok = std::fclose(m_pFile) == 0 && ok;
    m_pFile = nullptr;

    ok = ok && std::rename(m_strTemp.c_str(), m_strTarget.c_str()) == 0;
    if (!ok) {
        ::unlink(m_strTemp.c_str());
    } else if (bSync) {
        // Make the new name itself lasting; the data already is.
        const int dir = ::open(FolderOf(m_strTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            ::close(dir);
        }
    }
    m_strTarget.clear();
    m_strTemp.clear();
    return ok;
}

void CSafeFileWriter::Abandon()
{
    if (!m_pFile)
        return;
    std::fclose(m_pFile);
    m_pFile = nullptr;
    ::unlink(m_strTemp.c_str());
    m_strTarget.clear();
    m_strTemp.clear();
}
