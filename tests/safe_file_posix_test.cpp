#include "formats/SafeFile.h"

#include "formats/NativeFile.h"
#include "support/SafeFileTest.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

// The safe writer's ways that only POSIX systems have: file modes, owners,
// symbolic links, pipes, /dev/full, set-user ids.

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat st{};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Points the writer's open stream at /dev/full: what it holds and what
// follows fails when it reaches the device.
void OntoDevFull(CSafeFileWriter& w)
{
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    ASSERT_GE(dup2(full, fileno(w.stream())), 0);
    close(full);
}

}  // namespace

TEST_F(SafeFile, OwnerOfAReplacedFileIsKept)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    // Another owner, or ours with another group.
    for (const uid_t owner : {uid_t(65534), geteuid()}) {
        ASSERT_EQ(chown(target.c_str(), owner, 65534), 0);
        ASSERT_EQ(chmod(target.c_str(), 06755), 0);
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(target));
        ASSERT_TRUE(w.Commit());
        struct stat st{};
        ASSERT_EQ(stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, owner);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, 06755u);
    }
}

TEST_F(SafeFile, ModeOfTheNewFile)
{
    const mode_t saved = umask(022);
    struct { mode_t mask; mode_t mode; } fresh[] = {{022, 0644}, {027, 0640}, {077, 0600}, {0, 0666}};
    for (const auto& c : fresh) {
        umask(c.mask);
        const std::string path = dir.file("fresh" + std::to_string(c.mask));
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(path));
        ASSERT_TRUE(w.Commit());
        EXPECT_EQ(ModeOf(path), c.mode) << std::oct << c.mask;
    }
    umask(077);
    // A replaced file keeps its own mode, whatever the mask.
    for (mode_t mode : {0604, 0640, 0755, 0600}) {
        const std::string path = dir.file("old");
        WriteFileBytes(path, kOld);
        chmod(path.c_str(), mode);
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(path));
        ASSERT_TRUE(w.Commit());
        EXPECT_EQ(ModeOf(path), mode) << std::oct << mode;
    }
    umask(saved);
}

TEST_F(SafeFile, SymbolicLinksStayAndTheirFileIsReplaced)
{
    fs::create_directory(dir.file("real"));
    const std::string real = dir.file("real/tiles.kl");
    WriteFileBytes(real, kOld);
    struct { const char* link; const char* to; const char* file; } cases[] = {
        {"abs.kl", nullptr, "real/tiles.kl"},
        {"rel.kl", "real/tiles.kl", "real/tiles.kl"},
        {"chain.kl", "rel.kl", "real/tiles.kl"},
        {"dangling.kl", "real/made.kl", "real/made.kl"},
    };
    for (const auto& c : cases) {
        const std::string link = dir.file(c.link);
        fs::create_symlink(c.to ? fs::path(c.to) : fs::path(real), link);
        WriteFileBytes(dir.file(c.file), kOld);
        if (std::string(c.link) == "dangling.kl")
            fs::remove(dir.file(c.file));
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(link)) << c.link;
        ASSERT_TRUE(Put(w, kNew));
        ASSERT_TRUE(w.Commit()) << c.link;
        EXPECT_TRUE(fs::is_symlink(link)) << c.link;
        EXPECT_EQ(ReadFileBytes(dir.file(c.file)), kNew) << c.link;
    }
    EXPECT_EQ(FileNames(dir.file("real")), (std::set<std::string>{"made.kl", "tiles.kl"}));

    // Links in a loop name no file.
    fs::create_symlink("loop2", dir.file("loop1"));
    fs::create_symlink("loop1", dir.file("loop2"));
    CSafeFileWriter w;
    EXPECT_FALSE(w.Open(dir.file("loop1")));
}

TEST_F(SafeFile, TargetsThatCannotBeOpened)
{
    WriteFileBytes(dir.file("plain"), kOld);
    fs::create_directory(dir.file("folder"));
    const std::string paths[] = {
        dir.file("folder"),           // a folder
        dir.file("folder/"),          // no file name
        dir.file("plain/tiles.kl"),   // the parent is a regular file
        dir.file("missing/tiles.kl"), // the parent does not exist
        "",
    };
    for (const auto& p : paths) {
        CSafeFileWriter w;
        EXPECT_FALSE(w.Open(p)) << p;
        EXPECT_EQ(w.stream(), nullptr);
    }
    EXPECT_EQ(ReadFileBytes(dir.file("plain")), kOld);
    EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"folder", "plain", "tiles.kl"}));
    EXPECT_TRUE(FileNames(dir.file("folder")).empty());
}

TEST_F(SafeFile, NoWritePermission)
{
    // Root may write anything, so the check runs in a child process that
    // gives up root first (uid 65534, "nobody").
    chmod(dir.path().c_str(), 0755);
    fs::create_directory(dir.file("locked"));
    fs::create_directory(dir.file("open"));
    const std::string inLocked = dir.file("locked/tiles.kl");
    const std::string readOnly = dir.file("open/tiles.kl");
    WriteFileBytes(inLocked, kOld);
    WriteFileBytes(readOnly, kOld);
    chmod(inLocked.c_str(), 0666);  // writable file in a folder that is not
    chmod(dir.file("locked").c_str(), 0555);
    chmod(readOnly.c_str(), 0444);  // read-only file in a folder anyone may write
    chmod(dir.file("open").c_str(), 0777);

    for (const std::string& target : {inLocked, readOnly}) {
        EXPECT_EXIT(
            {
                if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                    _exit(2);
                CSafeFileWriter w;
                _exit(w.Open(target) ? 1 : 0);
            },
            testing::ExitedWithCode(0), "")
            << target;
        EXPECT_EQ(ReadFileBytes(target), kOld);
    }
    EXPECT_EQ(FileNames(dir.file("locked")), std::set<std::string>{"tiles.kl"});
    EXPECT_EQ(FileNames(dir.file("open")), std::set<std::string>{"tiles.kl"});
}

TEST_F(SafeFile, FailedCommitKeepsTheOldFileAndLeavesNothingBehind)
{
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    // The codec writes into the stream's buffer and cannot see the failure;
    // it shows when the commit flushes.
    {
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(target));
        OntoDevFull(w);
        EXPECT_EQ(WriteNativeFile(w.stream(), CTileSheet(), 16), "");
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(ReadFileBytes(target), kOld);
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});

    // A write that failed earlier: the stream's error stays and the
    // half-written file does not replace the old one.
    {
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(target));
        OntoDevFull(w);
        EXPECT_EQ(WriteNativeFile(w.stream(), CTileSheet(), 256), kNativeWriteCharError);
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(ReadFileBytes(target), kOld);
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});

    // The target became a folder in the meantime: the rename fails.
    {
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(target));
        ASSERT_TRUE(Put(w, kNew));
        fs::remove(target);
        fs::create_directory(target);
        WriteFileBytes(target + "/inside", kOld);
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(ReadFileBytes(target + "/inside"), kOld);
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});

    // The target's folder was removed with all it held.
    fs::create_directory(dir.file("sub"));
    {
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(dir.file("sub/tiles.kl")));
        ASSERT_TRUE(Put(w, kNew));
        fs::remove_all(dir.file("sub"));
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});
}

TEST_F(SafeFile, NameWithoutAFolder)
{
    // A bare name is in the current folder, which is synced after the rename.
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    {
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open("tiles.kl"));
        ASSERT_TRUE(Put(w, kNew));
        EXPECT_TRUE(w.Commit());
    }
    fs::current_path(before);
    EXPECT_EQ(ReadFileBytes(target), kNew);
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});
}

TEST(SafeFileCalls, SyncOfWhatCannotSyncCountsAsDone)
{
    // A pipe holds no data to make lasting: fsync refuses it with EINVAL.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FILE* f = fdopen(fds[1], "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(SystemSafeFileCalls().syncFile(f));
    std::fclose(f);
    close(fds[0]);
}
