#include "support/FileCommandsTest.h"

#include "tiles/CharCodec.h"

#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>

namespace kelvane {

TileBuffer Pattern(int seed)
{
    TileBuffer t;
    for (int i = 0; i < kTileBytes; ++i)
        t[i] = LevelFromIndex(i * 3 + seed + i / 8);
    return t;
}

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

int FilesIn(const std::string& folder)
{
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++files;
    return files;
}
} // namespace kelvane
