// The common file dialog layer: filter strings, the extension rule, and the
// real dialog run modally with a type chosen and a name typed.
#include "platform/FileDialog.h"

#include "app/EditorApp.h"
#include "formats/FileTypes.h"
#include "platform/MessageBox.h"
#include "support/GuiTest.h"
#include "support/TestFiles.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace kelvane {

namespace {

// The editor's Open and Save filters.
const QString kOpenFilter = QString::fromStdString(DialogFilter(true));
const QString kSaveFilter = QString::fromStdString(DialogFilter(false));

TEST(FileDialog, FilterStringsBecomeNameFilters)
{
    EXPECT_EQ(CFileDialog::NameFilters(kOpenFilter),
              (QStringList{"Kelvane Format (*.kl)", "DIB Format (*.dib)",
                           "VB ROM image (*.vb *.bin *.obj)"}));
    EXPECT_EQ(CFileDialog::NameFilters(kSaveFilter),
              (QStringList{"Kelvane Format (*.kl)", "DIB Format (*.dib)", "ASM Char Map (*.asm)"}));
    EXPECT_EQ(CFileDialog::NameFilters(QStringLiteral("All|*.*||")), QStringList{"All (*.*)"});
    EXPECT_TRUE(CFileDialog::NameFilters(QString()).isEmpty());
}

TEST(FileDialog, ExtensionIsTakenFromTheFileNameOnly)
{
    struct { const char* path; const char* ext; } cases[] = {
        {"/tmp/tiles", ""},           {"/tmp/tiles.bin", "bin"},  {"/tmp/name.", ""},
        {"/tmp/folder.v1/map", ""},   {"/tmp/a.tar.gz", "gz"},    {"/tmp/folder.v1/x.KL", "KL"},
        {"tiles.asm", "asm"},         {"/tmp/name..", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFileDialog::FileExtOf(QString::fromLatin1(c.path)), QString::fromLatin1(c.ext))
            << c.path;
}

struct Chosen
{
    bool firstTypeAtStart = false;
    bool saveForm = false;
};

// Chooses type `filterIndex` (from 1) in `folder`, types `name` and accepts.
ModalScript::Handler Choose(const std::string& folder, int filterIndex, const QString& name,
                            Chosen* seen)
{
    return [=](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_TRUE(dlg) << w->metaObject()->className();
        // (Qt reports the type by the text it shows: the position tells.)
        seen->firstTypeAtStart =
            dlg->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentIndex() == 0;
        seen->saveForm = dlg->acceptMode() == QFileDialog::AcceptSave;
        dlg->setDirectory(QString::fromStdString(folder));
        dlg->selectNameFilter(dlg->nameFilters().value(filterIndex - 1));
        dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
    };
}

ModalScript::Handler Reject()
{
    return [](QWidget* w) {
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
    };
}

TEST(FileDialog, OpenFormReportsTheChosenTypeAndTakesAnyName)
{
    TempDir dir;
    for (int index : {1, 2, 3}) {
        CFileDialog dlg(true, QString(), QString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                        kOpenFilter);
        Chosen seen;
        ModalScript script;
        script.then(Choose(dir.path(), index, QStringLiteral("missing.kl"), &seen));
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(seen.firstTypeAtStart);
        EXPECT_FALSE(seen.saveForm);
        EXPECT_EQ(dlg.GetFilterIndex(), index);
        EXPECT_EQ(dlg.GetPathName(), QString::fromStdString(dir.file("missing.kl")));
        EXPECT_EQ(dlg.GetFileExt(), QStringLiteral("kl"));
    }

    CFileDialog dlg(true, QString(), QString(), OFN_HIDEREADONLY, kOpenFilter);
    ModalScript script;
    script.then(Reject());
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(script.unexpected(), 0);
}

TEST(FileDialog, SaveFormAsksBeforeReplacingTheNameAsTyped)
{
    TempDir dir;
    WriteFileBytes(dir.file("tiles.kl"), Bytes{1});
    struct { const char* typed; bool asks; int answer; int result; } cases[] = {
        {"tiles", false, 0, IDOK},                          // tiles.kl is not the name typed
        {"tiles.kl", true, QMessageBox::Yes, IDOK},
        {"tiles.kl", true, QMessageBox::No, IDCANCEL},      // back in the dialog, then cancelled
    };
    for (const auto& c : cases) {
        CFileDialog dlg(false, QString(), QString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                        kSaveFilter);
        Chosen seen;
        SeenMessageBox question;
        ModalScript script;
        script.then(Choose(dir.path(), 1, QString::fromLatin1(c.typed), &seen));
        if (c.asks)
            script.then(AnswerMessageBox(&question, c.answer));
        // Back in the file dialog after the question: No leaves it open, so
        // it is cancelled; after Yes it may still be seen for a moment before
        // it closes by itself.
        if (c.answer == QMessageBox::No)
            script.then(Reject());
        if (c.answer == QMessageBox::Yes)
            script.then([](QWidget*) {});
        EXPECT_EQ(dlg.DoModal(), c.result) << c.typed;
        if (c.answer != QMessageBox::Yes) {
            EXPECT_TRUE(script.done()) << c.typed;
        }
        EXPECT_EQ(script.unexpected(), 0) << c.typed;
        EXPECT_TRUE(seen.saveForm);
        EXPECT_EQ(question.seen, c.asks) << c.typed;
        if (c.result == IDOK) {
            EXPECT_EQ(dlg.GetPathName(), QString::fromStdString(dir.file(c.typed)));
        }
    }
    EXPECT_EQ(ReadFileBytes(dir.file("tiles.kl")), Bytes{1});
}

TEST(FileDialog, ChoosingATypeLeavesTheTypedNameAsTyped)
{
    TempDir dir;
    CFileDialog dlg(false, QString(), QString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    kSaveFilter);
    QString shown;
    ModalScript script;
    script.then([&](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_TRUE(fd);
        fd->setDirectory(QString::fromStdString(dir.path()));
        auto* name = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* types = fd->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(name && types);
        QTest::keyClicks(name, QStringLiteral("tiles.bin"));
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down);  // "DIB Format", as the user picks it
        shown = name->text();
        QMetaObject::invokeMethod(fd, "accept", Qt::DirectConnection);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(shown, QStringLiteral("tiles.bin"));
    EXPECT_EQ(dlg.GetFilterIndex(), 2);
    EXPECT_EQ(dlg.GetPathName(), QString::fromStdString(dir.file("tiles.bin")));
}

TEST(FileDialog, TheTypeListShowsEachTypeAsGivenInTheSystemsColours)
{
    CEditorApp::ApplyLook();  // black and red, which are the program's own windows' only
    CFileDialog dlg(true, QString(), QString(), OFN_HIDEREADONLY, kOpenFilter);
    QStringList shown;
    QList<int> unreadable;  // entries drawn in one colour only
    ModalScript script;
    script.then([&](QWidget* w) {
        auto* types = w->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_TRUE(types);
        types->showPopup();
        QAbstractItemView* list = types->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
        ProcessEvents();
        const QImage drawn = Grab(list->viewport());
        for (int i = 0; i < types->count(); ++i) {
            shown << types->itemText(i);
            const QRect entry = list->visualRect(list->model()->index(i, 0)) & drawn.rect();
            QSet<QRgb> colours;
            for (int y = entry.top(); y <= entry.bottom(); ++y)
                for (int x = entry.left(); x <= entry.right(); ++x)
                    colours.insert(drawn.pixel(x, y));
            if (colours.size() < 2)
                unreadable << i + 1;
        }
        types->hidePopup();
        static_cast<QDialog*>(w)->reject();
    });
    dlg.DoModal();
    EXPECT_EQ(shown, (QStringList{"Kelvane Format (*.kl)", "DIB Format (*.dib)", "VB ROM image"}));
    EXPECT_TRUE(unreadable.isEmpty()) << unreadable.size();
}

}  // namespace

} // namespace kelvane
