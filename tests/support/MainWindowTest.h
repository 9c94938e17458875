#pragma once

#include "app/EditorDlg.h"
#include "app/Resource.h"
#include "platform/BitmapButton.h"
#include "support/GuiTest.h"
#include "tiles/TileSheet.h"

#include <gtest/gtest.h>

#include <memory>

namespace kelvane {

class CTileEditWnd;
class CTileSheetWnd;

// A button's image as it shows in a button of `size`: 1:1 from the top-left
// corner, cut at the right and bottom, black where it does not reach.
QImage ButtonImage(unsigned id, QSize size);

// A real main window, shown in the offscreen platform with the program's
// look, and a ModalScript for the dialogs its commands open.
class MainWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    CBitmapButton* Button(int id) const;
    // A real click on button `id`; every dialog it opens must have been
    // answered by the script when it returns.
    void ClickButton(int id);

    TileBuffer SheetTile(int col, int row) const;

    ModalScript m_script;
    std::unique_ptr<CEditorDlg> m_dlg;
    CTileEditWnd* m_edit = nullptr;
    CTileSheetWnd* m_sheet = nullptr;
};

} // namespace kelvane
