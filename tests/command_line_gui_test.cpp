// `kelvane FILE`: the file opened at start as Open would open it, through
// the entry the executable runs; the console answers of the executable.
#include "app/EditorApp.h"
#include "app/EditorDlg.h"

#include "support/GuiTest.h"
#include "support/TestFiles.h"
#include "support/TestTiles.h"
#include "tiles/CharCodec.h"
#include "views/TileSheetWnd.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace kelvane {

namespace {

// Runs the main window as the program does with `file`, answering the
// dialogs the open shows: options dialogs with OK (the ROM import asked
// for 1 char from byte 0), message boxes with OK, each one's title and
// text recorded. Once `dialogs` of them have been answered, tiles 0 and 1
// of the sheet are taken and the main window is closed.
struct Opened
{
    std::vector<std::string> seen;
    TileBuffer tile0{}, tile1{};
    bool checked = false;
};

Opened RunWith(const QString& file, std::size_t dialogs)
{
    Opened run;
    std::vector<std::string>& seen = run.seen;
    QPointer<QWidget> last;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last || !modal->isVisible())
            return;
        if (auto* main = qobject_cast<CEditorDlg*>(modal)) {
            if (seen.size() < dialogs || run.checked)
                return;
            run.checked = true;
            // Queued: an open that has not run yet runs first.
            QTimer::singleShot(0, main, [main, &run] {
                main->SheetWnd()->Sheet().GetTile(run.tile0, 0, 0);
                main->SheetWnd()->Sheet().GetTile(run.tile1, 1, 0);
                main->reject();
            });
            return;
        }
        last = modal;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.push_back(box->text().toStdString());
            box->button(QMessageBox::Ok)->click();
            return;
        }
        seen.push_back(modal->windowTitle().toStdString());
        for (const auto& [id, text] : {std::pair{"1019", "0"}, std::pair{"1018", "1"}})
            if (auto* edit = modal->findChild<QLineEdit*>(QString::fromLatin1(id)))
                edit->setText(QString::fromLatin1(text));
        modal->findChild<QPushButton*>(QStringLiteral("IDOK"))->click();
    });
    timer.start();
    CEditorApp::RunMainWindow(file);
    EXPECT_TRUE(run.checked) << "the main window was never checked";
    return run;
}

TEST(CommandLine, FileOpensWithTheTypeItsExtensionNames)
{
    TempDir dir;
    // Tile 0 at level 255 in a tileset file of one char.
    Bytes kl = {1, 0};
    const CharBytes full = EncodeCharBytes(Filled(255));
    kl.insert(kl.end(), full.begin(), full.end());
    WriteFileBytes(dir.file("one.kl"), kl);
    WriteFileBytes(dir.file("one.txt"), kl);
    // A ROM whose first char has its top row at level 85.
    Bytes rom(16);
    rom[0] = rom[1] = 0x55;
    WriteFileBytes(dir.file("GAME.VB"), rom);
    WriteFileBytes(dir.file("bad.bmp"), Bytes(20, 'x'));
    TileBuffer topRow{};
    std::fill(topRow.begin() + 56, topRow.end(), 85);

    const std::string missing = dir.file("missing.kl");
    const struct
    {
        std::string file;
        std::vector<std::string> dialogs;
        TileBuffer tile0;  // and tile 1 blank
    } cases[] = {
        {dir.file("one.kl"), {}, Filled(255)},
        {dir.file("one.txt"), {}, Filled(255)},
        {dir.file("GAME.VB"), {"Kelvane Options"}, topRow},
        {dir.file("bad.bmp"), {"Kelvane", "Invalid DIB File!"}, Filled(0)},
        {missing, {missing + " cannot be opened."}, Filled(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Opened run = RunWith(QString::fromStdString(c.file), c.dialogs.size());
        EXPECT_EQ(run.seen, c.dialogs);
        EXPECT_EQ(run.tile0, c.tile0);
        EXPECT_EQ(run.tile1, Filled(0));
    }
}

TEST(CommandLine, HelpVersionAndUsageNeedNoDisplay)
{
    const struct
    {
        QStringList args;
        int exitCode;
        const char* out;  // what standard output begins with
        const char* err;  // what standard error ends with
    } cases[] = {
        {{QStringLiteral("--help")}, 0, "Usage: kelvane [--help] [--version] [FILE]\n", ""},
        {{QStringLiteral("--version")}, 0, "kelvane " KELVANE_VERSION "\n", ""},
        {{QStringLiteral("a.kl"), QStringLiteral("b.kl")}, 2, "",
         "Usage: kelvane [--help] [--version] [FILE]\n"},
        {{QStringLiteral("--bogus")}, 2, "", "Usage: kelvane [--help] [--version] [FILE]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QProcess p;
        // A window system that cannot be reached: any window would fail.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KELVANE_EXE), c.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.exitCode);
        EXPECT_TRUE(QByteArray::fromStdString(LfText(p.readAllStandardOutput())).startsWith(c.out));
        EXPECT_TRUE(QByteArray::fromStdString(LfText(p.readAllStandardError())).endsWith(c.err));
    }
}

}  // namespace

} // namespace kelvane
