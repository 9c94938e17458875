// Open and Save end to end where only POSIX systems can fail them: named
// pipes, folder permissions, a file size limit. POSIX only, no Linux headers.
#include "support/FileCommandsTest.h"
#include "support/TestSystem.h"

#include <QMessageBox>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

namespace kelvane {

namespace {

// Files may grow to `bytes` at most while the object lives; writes beyond
// fail (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

TEST_F(FileCommandsTest, NamedPipeWithoutWriterReadsAsAnEmptyFile)
{
    ASSERT_EQ(mkfifo(m_dir.file("pipe.kl").c_str(), 0644), 0);
    FillSheet();
    SeenMessageBox seen;
    m_script.then(ChooseFile(m_dir.path(), "pipe.kl", 1))
        .then(AnswerMessageBox(&seen, QMessageBox::Ok));
    ClickOpen();  // returns: the open does not wait for a writer
    EXPECT_EQ(seen.text, QStringLiteral("Fatal Error 0001"));
    EXPECT_EQ(SheetPixels(), Bytes(kSheetBytes, 0));
}

TEST_F(FileCommandsTest, FolderWithoutWritePermissionKeepsTheOldFile)
{
    // A writable file in a folder that is not, and a read-only file.
    for (const mode_t fileMode : {0644, 0444}) {
        const std::string folder = m_dir.file("locked" + std::to_string(fileMode));
        std::filesystem::create_directory(folder);
        WriteFileBytes(folder + "/tiles.kl", Bytes{7, 7, 7});
        chmod((folder + "/tiles.kl").c_str(), fileMode);
        chmod(folder.c_str(), 0555);

        SeenMessageBox seen;
        {
            PermissionsEnforced enforced;
            m_script.then(ChooseFile(folder, "tiles", 1))
                .then(AnswerMessageBox(&seen, QMessageBox::Ok));
            ClickSave();
        }
        EXPECT_EQ(seen.text, QString::fromStdString(folder + "/tiles.kl") + " cannot be opened.");
        EXPECT_EQ(ReadFileBytes(folder + "/tiles.kl"), (Bytes{7, 7, 7}));
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(FilesIn(folder), 1) << std::oct << fileMode;
    }
}

struct FlushFailureCase
{
    int filterIndex;
    const char* typed;
    const char* written;
    const char* message;
};

class FlushFailures : public FileCommandsTest,
                      public ::testing::WithParamInterface<FlushFailureCase>
{
};

TEST_P(FlushFailures, AreReportedAndKeepTheOldFile)
{
    const FlushFailureCase c = GetParam();
    const Bytes old{1, 2, 3, 4, 5};
    WriteFileBytes(m_dir.file(c.written), old);

    SeenMessageBox seen;
    m_script.then(ChooseFile(m_dir.path(), QString::fromLatin1(c.typed), c.filterIndex));
    if (c.filterIndex != 2)
        m_script.then(EnterAndOk({{1018, "1"}}));  // a short file: it fails at the flush
    m_script.then(AnswerMessageBox(&seen, QMessageBox::Ok));
    {
        FileSizeLimit limit(8);
        ClickSave();
    }
    EXPECT_EQ(seen.text, QString::fromLatin1(c.message));
    EXPECT_EQ(ReadFileBytes(m_dir.file(c.written)), old);
    EXPECT_EQ(FilesIn(m_dir.path()), 1) << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FlushFailures,
    ::testing::Values(FlushFailureCase{1, "tiles", "tiles.kl", "Fatal Error 0102"},
                      FlushFailureCase{3, "map", "map.asm", "Fatal Error 0112"},
                      // The bitmap's pixel data is larger than the
                      // stream's buffer and fails at its write.
                      FlushFailureCase{2, "pic", "pic.dib", "Fatal Error 0122"}));

} // namespace kelvane
