// Open and Save end to end: the real main window, the real file dialog and
// options dialogs, real files.
#include "app/EditorApp.h"
#include "app/EditorDlg.h"

#include "platform/MessageBox.h"
#include "support/GuiTest.h"
#include "support/MainWindowTest.h"
#include "support/TestFiles.h"
#include "support/TestTiles.h"
#include "tiles/CharCodec.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kelvane {

namespace {

TileBuffer Pattern(int seed)
{
    TileBuffer t;
    for (int i = 0; i < kTileBytes; ++i)
        t[i] = LevelFromIndex(i * 3 + seed + i / 8);
    return t;
}

// Chooses a file in the file dialog as a user would: the folder, the file
// type at position filterIndex (from 1), the name typed, then Open/Save.
ModalScript::Handler ChooseFile(const std::string& folder, const QString& typed, int filterIndex)
{
    return [=](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        if (!dlg) {
            ADD_FAILURE() << "expected the file dialog, got " << w->metaObject()->className();
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            return;
        }
        dlg->setDirectory(QString::fromStdString(folder));
        dlg->selectNameFilter(dlg->nameFilters().value(filterIndex - 1));
        auto* edit = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!edit) {
            ADD_FAILURE() << "file dialog without a name field";
            dlg->reject();
            return;
        }
        edit->setText(typed);
        QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
    };
}

ModalScript::Handler CancelDialog(QString* className = nullptr)
{
    return [className](QWidget* w) {
        if (className)
            *className = QString::fromLatin1(w->metaObject()->className());
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
    };
}

// Types into an options dialog's edit field (by control id) and presses OK.
ModalScript::Handler EnterAndOk(std::vector<std::pair<int, QString>> fields)
{
    return [fields](QWidget* w) {
        for (const auto& [id, text] : fields) {
            auto* edit = w->findChild<QLineEdit*>(QString::number(id));
            if (!edit) {
                ADD_FAILURE() << "no edit field " << id << " in " << w->windowTitle().toStdString();
                continue;
            }
            edit->selectAll();
            QTest::keyClicks(edit, text);
        }
        auto* ok = w->findChild<QPushButton*>(QStringLiteral("IDOK"));
        if (!ok) {
            ADD_FAILURE() << "no OK button";
            return;
        }
        QTest::mouseClick(ok, Qt::LeftButton);
    };
}

ModalScript::Handler PressOk()
{
    return EnterAndOk({});
}

// Takes CAP_DAC_OVERRIDE and friends out of this thread's effective set, so
// that permission bits hold for root too (CI runs as root); restores them.
class PermissionsEnforced
{
public:
    PermissionsEnforced()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, m_saved, sizeof reduced);
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) |
                                  (1u << CAP_FOWNER));
        m_bDropped = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionsEnforced()
    {
        if (m_bDropped)
            syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_bDropped = false;
};

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

// How many entries a folder holds.
int FilesIn(const std::string& folder)
{
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++files;
    return files;
}

// A native file written with the default count: 4,098 bytes beginning 00 01.
void ExpectAllCharsNative(const Bytes& file)
{
    ASSERT_EQ(file.size(), 4098u);
    EXPECT_EQ(file[0], 0x00);
    EXPECT_EQ(file[1], 0x01);
}

class FileCommandsTest : public MainWindowTest
{
protected:
    void ClickOpen() { ClickButton(1000); }
    void ClickSave() { ClickButton(1002); }

    void FillSheet()
    {
        for (int n = 0; n < kTileCount; ++n)
            m_sheet->PutTile(Pattern(n), n % 16, n / 16);
    }

    Bytes SheetPixels() const
    {
        return Bytes(m_sheet->Sheet().GetPixels(), m_sheet->Sheet().GetPixels() + kSheetBytes);
    }

    TempDir m_dir;
};

TEST_F(FileCommandsTest, SaveThenOpenRoundTripsTheTileset)
{
    FillSheet();
    const Bytes painted = SheetPixels();

    // A name beyond ASCII goes to the file system as UTF-8 (on Windows too,
    // where the local 8-bit code page would lose it).
    m_script.then(ChooseFile(m_dir.path(), "日本 tiles", 1)).then(PressOk());
    ClickSave();
    ExpectAllCharsNative(ReadFileBytes(m_dir.file("日本 tiles.kl")));

    m_sheet->Clear();
    m_script.then(ChooseFile(m_dir.path(), "日本 tiles.kl", 1));
    ClickOpen();
    EXPECT_EQ(SheetPixels(), painted);
}

struct SaveNameCase
{
    const char* typed;
    int filterIndex;
    const char* written;
    std::size_t size;
};

class SaveNames : public FileCommandsTest, public ::testing::WithParamInterface<SaveNameCase>
{
};

TEST_P(SaveNames, DefaultExtensionOnlyForNamesWithoutOne)
{
    const SaveNameCase c = GetParam();
    std::filesystem::create_directory(m_dir.file("folder.v1"));
    const std::string folder = m_dir.file("folder.v1");
    m_script.then(ChooseFile(folder, QString::fromLatin1(c.typed), c.filterIndex));
    if (c.filterIndex != 2)
        m_script.then(PressOk());  // the count dialog
    ClickSave();
    EXPECT_EQ(ReadFileBytes(folder + "/" + c.written).size(), c.size) << c.written;
    EXPECT_EQ(FilesIn(folder), 1) << "nothing else was written";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveNames,
    ::testing::Values(SaveNameCase{"tiles", 1, "tiles.kl", 4098},
                      SaveNameCase{"tiles.bin", 1, "tiles.bin", 4098},
                      SaveNameCase{"map", 3, "map.asm", 17820},
                      SaveNameCase{"name.", 1, "name..kl", 4098},
                      SaveNameCase{"pic", 2, "pic.dib", 17462},
                      SaveNameCase{"pic.kl", 2, "pic.kl", 17462}));

TEST_F(FileCommandsTest, FileTypeAloneChoosesTheFormat)
{
    // A .dib name opened under the first type is read as a tileset file.
    WriteFileBytes(m_dir.file("odd.dib"), Bytes{0x01, 0x00, 0x55, 0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0, 0, 0, 0, 0});
    m_script.then(ChooseFile(m_dir.path(), "odd.dib", 1));
    ClickOpen();
    TileBuffer expected = Filled(0);
    std::fill(expected.begin(), expected.begin() + 8, 85);  // bottom row
    EXPECT_EQ(SheetTile(0, 0), expected);
}

TEST_F(FileCommandsTest, SavingOverTheDefaultNameAsksNoQuestion)
{
    WriteFileBytes(m_dir.file("tiles.kl"), Bytes{1, 2, 3});
    // Typing "tiles" names a file that does not exist: no overwrite question,
    // only the count dialog, and tiles.kl is replaced.
    m_script.then(ChooseFile(m_dir.path(), "tiles", 1)).then(PressOk());
    ClickSave();
    EXPECT_EQ(ReadFileBytes(m_dir.file("tiles.kl")).size(), 4098u);
}

TEST_F(FileCommandsTest, MissingFileIsReportedAndNothingIsCleared)
{
    FillSheet();
    const Bytes before = SheetPixels();
    m_dlg->RefreshEditor();
    const TileBuffer editorBefore = m_edit->GetPixels();

    SeenMessageBox seen;
    m_script.then(ChooseFile(m_dir.path(), "missing.kl", 1))
        .then(AnswerMessageBox(&seen, QMessageBox::Ok));
    ClickOpen();

    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.text, QString::fromStdString(m_dir.file("missing.kl")) + " cannot be opened.");
    EXPECT_EQ(seen.title, AppTitle());
    EXPECT_EQ(seen.icon, int(QMessageBox::Warning));
    EXPECT_EQ(seen.buttons, int(QMessageBox::Ok));
    EXPECT_EQ(SheetPixels(), before);
    EXPECT_EQ(m_edit->GetPixels(), editorBefore);
}

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

TEST_F(FileCommandsTest, CancellingEitherDialogChangesNothing)
{
    FillSheet();
    const Bytes before = SheetPixels();
    for (const int id : {1000, 1002}) {
        QString shown;
        m_script.then(CancelDialog(&shown));
        ClickButton(id);
        EXPECT_EQ(shown, QStringLiteral("QFileDialog"));
        EXPECT_EQ(SheetPixels(), before);
    }
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.path()));
}

TEST_F(FileCommandsTest, CountDialogRefusesBadCountsThenSavesTheGoodOne)
{
    const char* range = "Introduzca un número entero entre 1 y 256.";
    SeenMessageBox zero, tooMany, text;
    m_script.then(ChooseFile(m_dir.path(), "part", 1))
        .then(EnterAndOk({{1018, "0"}}))
        .then(AnswerMessageBox(&zero, QMessageBox::Ok))
        .then(EnterAndOk({{1018, "257"}}))
        .then(AnswerMessageBox(&tooMany, QMessageBox::Ok))
        .then(EnterAndOk({{1018, "abc"}}))
        .then(AnswerMessageBox(&text, QMessageBox::Ok))
        .then(EnterAndOk({{1018, "16"}}));
    ClickSave();
    EXPECT_EQ(zero.text, QString::fromUtf8(range));
    EXPECT_EQ(tooMany.text, QString::fromUtf8(range));
    EXPECT_EQ(text.text, QString::fromUtf8("Introduzca un número entero."));
    const Bytes file = ReadFileBytes(m_dir.file("part.kl"));
    ASSERT_EQ(file.size(), 258u);
    EXPECT_EQ(file[0], 0x10);
    EXPECT_EQ(file[1], 0x00);
}

TEST_F(FileCommandsTest, EscapeOnTheCountDialogWritesAll256)
{
    m_script.then(ChooseFile(m_dir.path(), "all", 3)).then(CancelDialog());
    ClickSave();
    EXPECT_EQ(ReadFileBytes(m_dir.file("all.asm")).size(), 17820u);

    m_script.then(ChooseFile(m_dir.path(), "all", 1)).then(CancelDialog());
    ClickSave();
    ExpectAllCharsNative(ReadFileBytes(m_dir.file("all.kl")));
}

TEST_F(FileCommandsTest, OpenKeepsTheSelectionAndClearsTheUndoCopy)
{
    // Select tile (2, 1) = tile 18, then open a file that fills it.
    const QRect r = CTileSheetWnd::SelectionRect(m_sheet->size(), 2, 1);
    QTest::mouseClick(m_sheet, Qt::LeftButton, Qt::NoModifier, r.center());
    const TileBuffer full = Filled(255);
    m_edit->SetTile(&full);
    m_edit->SaveUndo();

    Bytes file;
    PutU16(file, 19);
    for (int n = 0; n < 19; ++n) {
        const CharBytes c = EncodeCharBytes(Pattern(n));
        file.insert(file.end(), c.begin(), c.end());
    }
    WriteFileBytes(m_dir.file("set.kl"), file);

    m_script.then(ChooseFile(m_dir.path(), "set.kl", 1));
    ClickOpen();
    EXPECT_EQ(m_sheet->Sheet().SelCol(), 2);
    EXPECT_EQ(m_sheet->Sheet().SelRow(), 1);
    EXPECT_EQ(m_edit->GetPixels(), Pattern(18));

    m_dlg->findChild<QAbstractButton*>(QStringLiteral("1016"))->click();  // Undo
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));
}

TEST_F(FileCommandsTest, SaveReloadsTheEditorFromTheSheet)
{
    m_sheet->PutTile(Pattern(1), 0, 0);
    TileBuffer edited = Filled(170);
    m_edit->SetTile(&edited);  // an edit not written back with Modify
    m_script.then(ChooseFile(m_dir.path(), "t", 1)).then(PressOk());
    ClickSave();
    EXPECT_EQ(m_edit->GetPixels(), Pattern(1));
}

TEST_F(FileCommandsTest, RomImportReadsTheChosenChars)
{
    Bytes rom(64, 0);
    rom[16] = 0x55;
    rom[17] = 0x55;  // char 1: top row at level 85
    WriteFileBytes(m_dir.file("game.vb"), rom);
    FillSheet();

    m_script.then(ChooseFile(m_dir.path(), "game.vb", 3))
        .then(EnterAndOk({{1019, "16"}, {1018, "2"}}));
    ClickOpen();
    TileBuffer expected = Filled(0);
    std::fill(expected.begin() + 56, expected.end(), 85);
    EXPECT_EQ(SheetTile(0, 0), expected);
    EXPECT_EQ(SheetTile(1, 0), Filled(0));
    EXPECT_EQ(SheetTile(2, 0), Filled(0));  // cleared, not read
}

TEST_F(FileCommandsTest, RomImportClosedWithEscapeLeavesABlankSheet)
{
    WriteFileBytes(m_dir.file("game.bin"), Bytes(4096, 0xFF));
    FillSheet();
    m_script.then(ChooseFile(m_dir.path(), "game.bin", 3)).then(CancelDialog());
    ClickOpen();
    EXPECT_EQ(SheetPixels(), Bytes(kSheetBytes, 0));
}

TEST_F(FileCommandsTest, ShortRomReportsItsErrorOnce)
{
    WriteFileBytes(m_dir.file("short.obj"), Bytes(40, 0xFF));
    SeenMessageBox seen;
    m_script.then(ChooseFile(m_dir.path(), "short.obj", 3))
        .then(EnterAndOk({{1018, "3"}}))
        .then(AnswerMessageBox(&seen, QMessageBox::Ok));
    ClickOpen();
    EXPECT_EQ(seen.text, QStringLiteral("Fatal Error 0012"));
    EXPECT_EQ(SheetTile(1, 0), Filled(255));
    EXPECT_EQ(SheetTile(2, 0), Filled(0));
}

TEST_F(FileCommandsTest, DibSaveAndOpenWithMedianAndAdjustTiles)
{
    FillSheet();
    m_script.then(ChooseFile(m_dir.path(), "sheet", 2));
    ClickSave();
    ASSERT_EQ(ReadFileBytes(m_dir.file("sheet.dib")).size(), 17462u);
    const Bytes saved = SheetPixels();

    // The options dialog ended with OK, then with Esc: the choices shown are
    // used either way.
    for (const bool viaEscape : {false, true}) {
        bool partnersCleared = false;
        m_script.then(ChooseFile(m_dir.path(), "sheet.dib", 2)).then([&](QWidget* w) {
            auto radio = [w](int id) { return w->findChild<QRadioButton*>(QString::number(id)); };
            ASSERT_TRUE(radio(1020) && radio(1021) && radio(1022) && radio(1023));
            EXPECT_TRUE(radio(1021)->isChecked());
            EXPECT_TRUE(radio(1023)->isChecked());
            QTest::mouseClick(radio(1020), Qt::LeftButton, Qt::NoModifier, QPoint(6, radio(1020)->height() / 2));
            QTest::mouseClick(radio(1022), Qt::LeftButton, Qt::NoModifier, QPoint(6, radio(1022)->height() / 2));
            partnersCleared = radio(1020)->isChecked() && !radio(1021)->isChecked() &&
                              radio(1022)->isChecked() && !radio(1023)->isChecked();
            if (viaEscape)
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w,
                                Qt::Key_Escape);
            else
                QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("IDOK")), Qt::LeftButton);
        });
        ClickOpen();
        EXPECT_TRUE(m_script.done()) << viaEscape;
        EXPECT_TRUE(partnersCleared) << viaEscape;

        // Median of the red ramp: 0, 85 and 170 become 0, 255 becomes 85; a
        // 128 x 128 picture lands the same way under both restoring methods.
        const Bytes now = SheetPixels();
        for (int i = 0; i < kSheetBytes; ++i)
            ASSERT_EQ(now[i], saved[i] == 255 ? 85 : 0) << "pixel " << i << ", Esc " << viaEscape;
    }
}

TEST_F(FileCommandsTest, DibOpenWithDefaultsRestoresTheSheet)
{
    FillSheet();
    m_script.then(ChooseFile(m_dir.path(), "sheet", 2));
    ClickSave();
    const Bytes saved = SheetPixels();
    m_sheet->Clear();
    m_script.then(ChooseFile(m_dir.path(), "sheet.dib", 2)).then(CancelDialog());
    ClickOpen();
    EXPECT_EQ(SheetPixels(), saved);
}

TEST_F(FileCommandsTest, BadDibIsReportedAndLeavesTheSheetCleared)
{
    WriteFileBytes(m_dir.file("text.dib"), Bytes(20, 'x'));
    FillSheet();
    SeenMessageBox seen;
    m_script.then(ChooseFile(m_dir.path(), "text.dib", 2))
        .then(PressOk())
        .then(AnswerMessageBox(&seen, QMessageBox::Ok));
    ClickOpen();
    EXPECT_EQ(seen.text, QStringLiteral("Invalid DIB File!"));
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

TEST_F(FileCommandsTest, WriterMessageIsShownForAFailedWrite)
{
    // A stream with room for the count only: the first char fails.
    char buffer[8];
    FILE* f = fmemopen(buffer, sizeof buffer, "wb");
    ASSERT_TRUE(f);
    setvbuf(f, nullptr, _IONBF, 0);
    SeenMessageBox seen;
    m_script.then(PressOk()).then(AnswerMessageBox(&seen, QMessageBox::Ok));
    EXPECT_FALSE(m_dlg->WriteNative(f));
    std::fclose(f);
    EXPECT_TRUE(m_script.done());
    EXPECT_EQ(seen.text, QStringLiteral("Fatal Error 0102"));
    EXPECT_EQ(seen.icon, int(QMessageBox::Warning));
}

}  // namespace

} // namespace kelvane
