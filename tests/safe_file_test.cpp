#include "formats/SafeFile.h"

#include "support/FaultyStream.h"
#include "support/SafeFileTest.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

// The safe writer on every system, through the system's own calls; the
// POSIX-only ways are in safe_file_posix_test.cpp.

TEST_F(SafeFile, CommitReplacesTheTargetOnlyAtTheEnd)
{
    {
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(target));
        ASSERT_TRUE(Put(w, kNew));
        std::fflush(w.stream());
        // Until the commit the old file is there, beside one temporary file.
        EXPECT_EQ(ReadFileBytes(target), kOld);
        EXPECT_EQ(FileNames(dir.path()).size(), 2u);
        EXPECT_TRUE(w.Commit());
        EXPECT_EQ(w.stream(), nullptr);
        EXPECT_FALSE(w.Commit());
    }
    EXPECT_EQ(ReadFileBytes(target), kNew);
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});

    // A file that did not exist yet.
    CSafeFileWriter w;
    ASSERT_TRUE(w.Open(dir.file("new.asm")));
    ASSERT_TRUE(Put(w, kNew));
    EXPECT_TRUE(w.Commit());
    EXPECT_EQ(ReadFileBytes(dir.file("new.asm")), kNew);
    EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"new.asm", "tiles.kl"}));

    // A name near the system's limit still leaves room for the temporary one.
    const std::string longName(250, 'k');
    ASSERT_TRUE(w.Open(dir.file(longName)));
    EXPECT_TRUE(w.Commit());
    EXPECT_TRUE(FileExists(dir.file(longName)));
}

TEST_F(SafeFile, AbandonKeepsTheOldFile)
{
    {
        CSafeFileWriter w;
        ASSERT_TRUE(w.Open(target));
        ASSERT_TRUE(Put(w, kNew));
        w.Abandon();
        EXPECT_EQ(w.stream(), nullptr);
        EXPECT_FALSE(w.Commit());
    }
    {
        CSafeFileWriter w;  // left open: the destructor abandons
        ASSERT_TRUE(w.Open(target));
        ASSERT_TRUE(Put(w, kNew));
    }
    {
        CSafeFileWriter w;  // opened twice: the first temporary file goes
        ASSERT_TRUE(w.Open(dir.file("other.kl")));
        ASSERT_TRUE(w.Open(target));
        w.Abandon();
    }
    EXPECT_EQ(ReadFileBytes(target), kOld);
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});
}

TEST_F(SafeFile, FailuresKeepTheOldFileAndLeaveNothingBehind)
{
    // A write that fails: the temporary file's stream refuses every byte.
    SafeFileCalls refusingWrites = SystemSafeFileCalls();
    refusingWrites.openTemp = [](const std::string& target, std::string& temp) -> FILE* {
        FILE* f = SystemSafeFileCalls().openTemp(target, temp);
        if (!f)
            return nullptr;
        std::fclose(f);
        return OpenFile(temp, "rb");
    };
    SafeFileCalls failingSync = SystemSafeFileCalls();
    failingSync.syncFile = [](FILE*) { return false; };
    SafeFileCalls failingReplace = SystemSafeFileCalls();
    failingReplace.replaceFile = [](const std::string&, const std::string&, bool) {
        return false;
    };
    const struct { const char* what; SafeFileCalls calls; } cases[] = {
        {"write", refusingWrites}, {"sync", failingSync}, {"replace", failingReplace}};
    for (const auto& c : cases) {
        CSafeFileWriter w(c.calls);
        ASSERT_TRUE(w.Open(target)) << c.what;
        Put(w, kNew);
        EXPECT_FALSE(w.Commit()) << c.what;
        EXPECT_EQ(ReadFileBytes(target), kOld) << c.what;
        EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"}) << c.what;
    }
}

TEST_F(SafeFile, CloseThatFailsKeepsTheOldFile)
{
    SafeFileCalls failingClose = SystemSafeFileCalls();
    failingClose.openTemp = [](const std::string& target, std::string& temp) -> FILE* {
        FILE* f = SystemSafeFileCalls().openTemp(target, temp);
        return f ? WithFailingClose(f) : nullptr;
    };
    CSafeFileWriter w(failingClose);
    if (!w.Open(target))
        GTEST_SKIP() << "no stream with a failing close here";
    ASSERT_TRUE(Put(w, kNew));
    EXPECT_FALSE(w.Commit());
    EXPECT_EQ(ReadFileBytes(target), kOld);
    EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"tiles.kl"});
}

TEST_F(SafeFile, OpenForReadingGivesFilesOnly)
{
    FILE* f = OpenForReading(target);
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(OpenForReading(dir.path()), nullptr);
    EXPECT_EQ(OpenForReading(dir.file("missing.kl")), nullptr);
}

// The call of one kind, counted from 1, that fails in the table below.
static int g_failingCall = 0, g_calls = 0;

// Three outputs written together (an old file, a new one, an old one), the
// second or the third failing at each step, or none.
TEST(SafeFileSet, AFailingOutputLeavesEveryOutputAsItWas)
{
    const SafeFileCalls& system = SystemSafeFileCalls();
    SafeFileCalls write = system, sync = system, close = system, rename = system;
    write.openTemp = [](const std::string& target, std::string& temp) -> FILE* {
        FILE* f = SystemSafeFileCalls().openTemp(target, temp);
        if (f && ++g_calls == g_failingCall && std::fclose(f) == 0)
            return OpenFile(temp, "rb");  // refuses every byte
        return f;
    };
    sync.syncFile = [](FILE* f) { return ++g_calls != g_failingCall && SystemSafeFileCalls().syncFile(f); };
    close.openTemp = [](const std::string& target, std::string& temp) -> FILE* {
        FILE* f = SystemSafeFileCalls().openTemp(target, temp);
        return f && ++g_calls == g_failingCall ? WithFailingClose(f) : f;
    };
    rename.replaceFile = [](const std::string& from, const std::string& to, bool bSync) {
        return ++g_calls != g_failingCall && SystemSafeFileCalls().replaceFile(from, to, bSync);
    };
    const struct { const char* what; SafeFileCalls calls; } cases[] = {
        {"write", write}, {"sync", sync}, {"close", close}, {"rename", rename}, {"none", system}};
    for (const auto& c : cases)
        for (const int failing : {2, 3}) {
            SCOPED_TRACE(std::string(c.what) + " " + std::to_string(failing));
            TempDir dir;
            WriteFileBytes(dir.file("a.bin"), kOld);
            WriteFileBytes(dir.file("c.png"), kOld);
            g_calls = 0;
            g_failingCall = c.what == std::string("none") ? 0 : failing;
            CSafeFileSet set(c.calls);
            for (const char* name : {"a.bin", "b.map", "c.png"}) {
                FILE* f = set.Open(dir.file(name));
                if (!f && c.what == std::string("close"))
                    GTEST_SKIP() << "no stream with a failing close here";
                ASSERT_NE(f, nullptr);
                std::fwrite(kNew.data(), 1, kNew.size(), f);
            }
            std::size_t failed = 99;
            const bool done = set.Commit(true, failed);
            EXPECT_EQ(done, g_failingCall == 0);
            EXPECT_EQ(failed, done ? 99 : std::size_t(failing - 1));
            for (const char* name : {"a.bin", "c.png"})
                EXPECT_EQ(ReadFileBytes(dir.file(name)), done ? kNew : kOld) << name;
            EXPECT_EQ(FileNames(dir.path()).size(), done ? 3u : 2u);  // b.map only when done
        }
}
