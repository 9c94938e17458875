#pragma once

// The Open and Save commands of a real main window, driven through their
// file dialog and options dialogs as a user drives them, with real files.

#include "app/Resource.h"
#include "support/MainWindowTest.h"
#include "support/TestFiles.h"
#include "views/TileSheetWnd.h"

#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace kelvane {

// A tile of all four levels, different for each seed.
TileBuffer Pattern(int seed);

// Chooses a file in the file dialog as a user would: the folder, the file
// type at position filterIndex (from 1), the name typed, then Open/Save.
ModalScript::Handler ChooseFile(const std::string& folder, const QString& typed, int filterIndex);

// Types into an options dialog's edit field (by control id) and presses OK.
ModalScript::Handler EnterAndOk(std::vector<std::pair<int, QString>> fields);
ModalScript::Handler PressOk();

// How many entries a folder holds.
int FilesIn(const std::string& folder);

class FileCommandsTest : public MainWindowTest
{
protected:
    void ClickOpen() { ClickButton(IDC_OPEN); }
    void ClickSave() { ClickButton(IDC_SAVE); }

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

} // namespace kelvane
