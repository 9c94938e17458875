// What only POSIX systems have for the converter: named pipes and signals.

#include "support/TestFiles.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <set>
#include <string>

namespace kelvane {
namespace {

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

// SIGINT, SIGTERM and SIGHUP while the outputs are being written: the
// preview is a pipe that nobody reads, so the run stops there with the
// chars and the map in their temporary files.
TEST(Convert, ASignalDuringARunLeavesNoFile)
{
    TempDir dir;
    WriteFileBytes(dir.file("pic.dib"), GreyDib(40));
    ASSERT_EQ(mkfifo(dir.file("p.png").c_str(), 0644), 0);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        QProcess p;
        p.start(QStringLiteral(KELVANE_CONVERT_EXE),
                QStringList{"--map", Q(dir.file("m.bin")), "--preview", Q(dir.file("p.png")),
                            Q(dir.file("pic.dib")), Q(dir.file("c.bin"))});
        for (int i = 0; i < 6000 && FileNames(dir.path()).size() < 4; ++i)
            QThread::msleep(10);
        EXPECT_EQ(FileNames(dir.path()).size(), 4u) << "no temporary files";
        kill(pid_t(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << sig;
        EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"p.png", "pic.dib"})) << sig;
    }
}

}  // namespace
}  // namespace kelvane
