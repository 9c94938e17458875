// Open and Save end to end: the real main window, the real file dialog and
// options dialogs, real files.
#include "app/EditorApp.h"
#include "app/EditorDlg.h"

#include "platform/MessageBox.h"
#include "support/FileCommandsTest.h"
#include "support/GuiTest.h"
#include "support/MainWindowTest.h"
#include "support/TestFiles.h"
#include "support/TestSystem.h"
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

#include <memory>

namespace kelvane {

namespace {

ModalScript::Handler CancelDialog(QString* className = nullptr)
{
    return [className](QWidget* w) {
        if (className)
            *className = QString::fromLatin1(w->metaObject()->className());
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
    };
}

// A native file written with the default count: 4,098 bytes beginning 00 01.
void ExpectAllCharsNative(const Bytes& file)
{
    ASSERT_EQ(file.size(), 4098u);
    EXPECT_EQ(file[0], 0x00);
    EXPECT_EQ(file[1], 0x01);
}

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

TEST_F(FileCommandsTest, WriterMessageIsShownForAFailedWrite)
{
    // A stream that refuses every write: the count fails.
    FILE* f = RefusingStream();
    ASSERT_TRUE(f);
    SeenMessageBox seen;
    m_script.then(PressOk()).then(AnswerMessageBox(&seen, QMessageBox::Ok));
    EXPECT_FALSE(m_dlg->WriteNative(f));
    std::fclose(f);
    EXPECT_TRUE(m_script.done());
    EXPECT_EQ(seen.text, QStringLiteral("Fatal Error 0101"));
    EXPECT_EQ(seen.icon, int(QMessageBox::Warning));
}

}  // namespace

} // namespace kelvane
