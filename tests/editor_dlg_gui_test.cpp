#include "app/EditorApp.h"
#include "app/EditorDlg.h"
#include "app/Resource.h"

#include "platform/DialogUnits.h"
#include "platform/MessageBox.h"
#include "support/GuiTest.h"
#include "support/MainWindowTest.h"
#include "support/TestTiles.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kelvane {

namespace {

const QRect kEditFrame(38, 8, 172, 146);
const QRect kSheetFrame(218, 8, 195, 179);

void ExpectQuestion(const SeenMessageBox& seen, const char* text)
{
    EXPECT_TRUE(seen.seen);
    EXPECT_EQ(seen.text, QString::fromLatin1(text));
    EXPECT_EQ(seen.title, QStringLiteral("Kelvane"));
    EXPECT_EQ(seen.icon, int(QMessageBox::Question));
    EXPECT_EQ(seen.buttons, int(QMessageBox::Yes | QMessageBox::No));
}

class EditorDlgTest : public MainWindowTest
{
protected:
    // A click on the middle of sheet tile (col, row).
    void ClickTile(int col, int row)
    {
        const QRect r = CTileSheetWnd::SelectionRect(m_sheet->size(), col, row);
        QTest::mouseClick(m_sheet, Qt::LeftButton, Qt::NoModifier, r.center());
    }

    // A left click on editor cell (column, row from the top).
    void PaintCell(int column, int rowFromTop, Qt::MouseButton button = Qt::LeftButton)
    {
        const int cw = m_edit->width() / 8;
        const int ch = m_edit->height() / 8;
        QTest::mouseClick(m_edit, button, Qt::NoModifier,
                          QPoint(column * cw + cw / 2, rowFromTop * ch + ch / 2));
    }
};

TEST_F(EditorDlgTest, LayoutFollowsTemplate)
{
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Kelvane"));
    EXPECT_EQ(m_dlg->client()->size(), QSize(419, 195));
    // The dialog frame and the caption around the client area.
    EXPECT_EQ(m_dlg->size(), QSize(425, 220));
    EXPECT_EQ(m_dlg->client()->pos(), QPoint(3, 22));
    EXPECT_EQ(m_dlg->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(m_dlg->font().pointSize(), 8);
    const QImage icon(QStringLiteral(":/res/icon%1.png").arg(IDR_MAINFRAME));
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(m_dlg->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
              icon.convertToFormat(QImage::Format_ARGB32));
    // The framework's focus: the first control with a tab stop.
    EXPECT_EQ(m_dlg->focusWidget(), Button(IDC_NEW));
    const QPalette pal = m_dlg->palette();
    EXPECT_EQ(pal.color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(pal.color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(pal.color(QPalette::ButtonText), QColor(255, 0, 0));
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0, 0, 0));
    EXPECT_EQ(QToolTip::palette().color(QPalette::ToolTipText), QColor(200, 0, 255));

    for (const CEditorDlg::Button& b : CEditorDlg::kButtons) {
        CBitmapButton* button = Button(b.id);
        ASSERT_TRUE(button) << b.id;
        // The template text is never shown, only kept as the accessible name.
        EXPECT_TRUE(button->text().isEmpty()) << b.text;
        EXPECT_EQ(button->accessibleName(), QString::fromLatin1(b.text));
        EXPECT_EQ(button->geometry(), MapDialogRect(b.x, b.y, b.cx, b.cy)) << b.text;
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(b.tip));
        EXPECT_TRUE(button->isVisible());
    }

    // Tab order: template order, then round again.
    QWidget* w = Button(IDC_NEW);
    for (const CEditorDlg::Button& b : CEditorDlg::kButtons) {
        EXPECT_EQ(w, Button(b.id)) << "expected " << b.text;
        w = w->nextInFocusChain();
        while (w && !qobject_cast<CBitmapButton*>(w))
            w = w->nextInFocusChain();
    }

    for (const auto& [id, rect] :
         {std::pair{IDC_EDIT_FRAME, kEditFrame}, std::pair{IDC_SHEET_FRAME, kSheetFrame}}) {
        QWidget* frame = m_dlg->client()->findChild<QWidget*>(QString::number(id));
        ASSERT_TRUE(frame);
        EXPECT_FALSE(frame->isVisible());
        EXPECT_EQ(frame->geometry(), rect);
        EXPECT_EQ(m_dlg->ControlRect(id), rect);
    }
    EXPECT_EQ(m_edit->geometry(), kEditFrame);
    EXPECT_EQ(m_sheet->geometry(), kSheetFrame);
    EXPECT_TRUE(m_edit->isVisible());
    EXPECT_TRUE(m_sheet->isVisible());

    const QImage img = Grab(m_dlg->client());
    const QRect line1 = MapDialogRect(5, 54, 15, 1);
    const QRect line2 = MapDialogRect(5, 95, 15, 1);
    EXPECT_EQ(line1.height(), 1);
    EXPECT_EQ(img.pixel(line1.center()), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(line2.center()), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(line1.center() + QPoint(0, 3)), qRgb(0, 0, 0));  // dialog background

    EXPECT_TRUE(Button(IDC_COLOR1)->GetState() & BST_PUSHED);
    for (const int id : {IDC_COLOR2, IDC_COLOR3, IDC_COLOR4})
        EXPECT_FALSE(Button(id)->GetState() & BST_PUSHED);
    EXPECT_EQ(m_edit->Level(), 0);
    EXPECT_EQ(g_nZoomStep, 0);
}

TEST_F(EditorDlgTest, ToolTipsShowBlackWithVioletTextAndEditFieldsKeepSystemColours)
{
    for (const CEditorDlg::Button& b : CEditorDlg::kButtons) {
        CBitmapButton* button = Button(b.id);
        const QPoint c = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, c, button->mapToGlobal(c));
        QApplication::sendEvent(button, &help);
        ProcessEvents();
        ASSERT_TRUE(QToolTip::isVisible()) << b.text;
        EXPECT_EQ(QToolTip::text(), QString::fromLatin1(b.tip));
    }
    QWidget* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible())
            tip = w;
    ASSERT_TRUE(tip);
    const QImage img = Grab(tip);
    int black = 0;
    int violet = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            black += img.pixel(x, y) == qRgb(0, 0, 0);
            violet += img.pixel(x, y) == qRgb(200, 0, 255);
        }
    EXPECT_GT(black, img.width() * img.height() / 2);
    EXPECT_GT(violet, 0);
    // Gone before the next test looks for the widget under a position.
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));

    // Edit fields, also inside a dialog of the program, stay as the system draws them.
    QLineEdit edit(m_dlg->client());
    const QPalette system = QApplication::style()->standardPalette();
    for (const auto role : {QPalette::Base, QPalette::Text})
        EXPECT_EQ(edit.palette().color(role), system.color(role)) << role;
    EXPECT_NE(edit.palette().color(QPalette::Base), QColor(0, 0, 0));
}

TEST_F(EditorDlgTest, ColourButtonPushesItselfAndSetsLevel)
{
    const CEditorDlg::Button* colours = &CEditorDlg::kButtons[CEditorDlg::kButtonCount - 4];
    const int levels[] = {0, 85, 170, 255};
    for (const int pick : {-1, 2, 0, 3, 3, 1, 2}) {
        if (pick >= 0)
            ClickButton(colours[pick].id);
        const int pushed = pick < 0 ? 0 : pick;  // C1 at start
        ProcessEvents();
        for (int i = 0; i < 4; ++i) {
            CBitmapButton* button = Button(colours[i].id);
            EXPECT_EQ(bool(button->GetState() & BST_PUSHED), i == pushed) << "after C" << pick + 1;
            const unsigned image = i == pushed ? colours[i].down : colours[i].up;
            EXPECT_EQ(Grab(button), ButtonImage(image, button->size()))
                << "C" << i + 1 << " after C" << pick + 1;
        }
        EXPECT_EQ(m_edit->Level(), levels[pushed]);
    }
    // Now C3: painting writes 170.
    PaintCell(0, 7);
    EXPECT_EQ(m_edit->GetPixels()[0], 170);
}

TEST_F(EditorDlgTest, NewAskedNoKeepsAllYesBlanksSheetAndEditorButSelectionAndColour)
{
    ClickButton(IDC_ZOOM);
    ClickButton(IDC_COLOR3);
    ClickTile(3, 2);
    PaintCell(1, 1);
    ClickButton(IDC_MODIFY);
    PaintCell(4, 4);
    const TileBuffer edited = m_edit->GetPixels();
    const TileBuffer written = SheetTile(3, 2);
    ASSERT_NE(written, Filled(0));

    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        SeenMessageBox seen;
        m_script.then(AnswerMessageBox(&seen, answer));
        ClickButton(IDC_NEW);
        ExpectQuestion(seen, "Do you really create a new tileset?");
        const bool yes = answer == QMessageBox::Yes;
        EXPECT_EQ(SheetTile(3, 2), yes ? Filled(0) : written);
        EXPECT_EQ(m_edit->GetPixels(), yes ? Filled(0) : edited);
    }
    EXPECT_TRUE(std::all_of(m_sheet->GetPixels(), m_sheet->GetPixels() + kSheetBytes,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(m_edit->UndoCopy(), Filled(0));
    EXPECT_EQ(m_sheet->Sheet().SelCol(), 3);
    EXPECT_EQ(m_sheet->Sheet().SelRow(), 2);
    EXPECT_TRUE(Button(IDC_COLOR3)->GetState() & BST_PUSHED);
    EXPECT_EQ(m_edit->Level(), 170);
    EXPECT_EQ(g_nZoomStep, 1);
    EXPECT_EQ(m_edit->size(), QSize(120, 104));
    const QRect frame = CTileSheetWnd::SelectionRect(m_sheet->size(), 3, 2);
    EXPECT_EQ(Grab(m_sheet).pixel(frame.topLeft()), qRgb(155, 0, 255));
}

TEST_F(EditorDlgTest, ExitAnsweredNoKeepsRunning)
{
    SeenMessageBox seen;
    m_script.then(AnswerMessageBox(&seen, QMessageBox::No));
    ClickButton(IDC_EXIT);
    ExpectQuestion(seen, "Do you really want to quit?");
    EXPECT_TRUE(m_dlg->isVisible());
}

TEST_F(EditorDlgTest, ModifyWritesOnlySelectedTileAndAClickThereBringsItBack)
{
    ClickButton(IDC_COLOR4);
    ClickTile(5, 3);
    PaintCell(6, 1);
    std::vector<std::uint8_t> expected(m_sheet->GetPixels(), m_sheet->GetPixels() + kSheetBytes);
    expected[CTileSheet::PixelIndex(5, 3, 8 * 6 + 6)] = 255;
    ClickButton(IDC_MODIFY);
    EXPECT_EQ(std::vector<std::uint8_t>(m_sheet->GetPixels(), m_sheet->GetPixels() + kSheetBytes),
              expected);
    const TileBuffer written = m_edit->GetPixels();

    PaintCell(3, 3);
    ClickTile(5, 3);
    EXPECT_EQ(m_edit->GetPixels(), written);

    // A stroke, then a click on another tile: the click neither takes nor
    // resets the undo copy, so Undo brings back the first tile as it was
    // before the stroke.
    PaintCell(3, 3);
    ClickTile(0, 0);
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));
    EXPECT_EQ(m_edit->UndoCopy(), written);
    ClickButton(IDC_UNDO);
    EXPECT_EQ(m_edit->GetPixels(), written);
}

TEST_F(EditorDlgTest, UndoAndFlipButtonsActOnEditor)
{
    ClickButton(IDC_COLOR4);
    PaintCell(0, 0);  // top-left cell: byte 56
    ClickButton(IDC_HFLIP);  // H-Flip: upside down
    EXPECT_EQ(m_edit->GetPixels()[0], 255);
    EXPECT_EQ(m_edit->GetPixels()[56], 0);
    ClickButton(IDC_VFLIP);  // V-Flip: mirrored
    EXPECT_EQ(m_edit->GetPixels()[7], 255);
    EXPECT_EQ(m_edit->GetPixels()[0], 0);
    ClickButton(IDC_UNDO);
    EXPECT_EQ(m_edit->GetPixels()[0], 255);
    EXPECT_EQ(m_edit->GetPixels()[7], 0);
}

TEST_F(EditorDlgTest, ZoomShrinksEditorAroundFrameCentreAndComesBack)
{
    const QSize sizes[] = {{120, 104}, {68, 62}, {16, 20}, {172, 146}};
    for (int press = 0; press < 4; ++press) {
        ClickButton(IDC_ZOOM);
        EXPECT_EQ(g_nZoomStep, (press + 1) % 4);
        const QRect r = m_edit->geometry();
        EXPECT_EQ(r.size(), sizes[press]) << "press " << press + 1;
        EXPECT_EQ(r.left() - kEditFrame.left(), kEditFrame.right() - r.right());
        EXPECT_EQ(r.top() - kEditFrame.top(), kEditFrame.bottom() - r.bottom());
    }
    EXPECT_EQ(m_edit->geometry(), kEditFrame);
}

TEST_F(EditorDlgTest, SmallestZoomPaintsCellsAndLeavesBareFrameToBackground)
{
    ClickButton(IDC_COLOR4);
    for (int i = 0; i < 3; ++i)
        ClickButton(IDC_ZOOM);
    const QRect r(116, 71, 16, 20);  // cells of 2 x 2, a strip of 4 rows below them
    ASSERT_EQ(m_edit->geometry(), r);
    QTest::mouseClick(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));    // byte 56
    QTest::mouseClick(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(15, 15));  // byte 7
    QTest::mouseClick(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 17));   // row 8: no cell
    TileBuffer expected = Filled(0);
    expected[56] = expected[7] = 255;
    EXPECT_EQ(m_edit->GetPixels(), expected);

    const QImage img = Grab(m_dlg->client());
    EXPECT_EQ(img.pixel(r.topLeft()), qRgb(155, 0, 255));
    for (const QPoint p : {r.topRight(), r.bottomLeft(), r.bottomRight()})
        EXPECT_EQ(img.pixel(p), qRgb(100, 0, 150)) << p.x() << "," << p.y();
    EXPECT_EQ(img.pixel(r.topLeft() + QPoint(1, 1)), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(r.bottomRight() - QPoint(1, 1)), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(r.center()), qRgb(0, 0, 0));
    // Where the full-size editor's frame was, the dialog's background shows.
    for (const QPoint p : {kEditFrame.topLeft(), kEditFrame.bottomRight(), QPoint(115, 80),
                           QPoint(132, 80)})
        EXPECT_EQ(img.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
}

struct CursorCase
{
    QPoint pos;  // client coordinates
    int zoom;    // Zoom presses first
    int cursor;  // IDC_CURSOR_EDIT, IDC_CURSOR_SHEET or 0 for the arrow
};

class EditorDlgCursor : public EditorDlgTest, public ::testing::WithParamInterface<CursorCase>
{
};

TEST_P(EditorDlgCursor, ShapeFollowsFrames)
{
    const CursorCase c = GetParam();
    for (int i = 0; i < c.zoom; ++i)
        ClickButton(IDC_ZOOM);
    // Come from outside the window so every widget on the way sees the cursor enter.
    QTest::mouseMove(m_dlg->client(), QPoint(1, 190));
    QTest::mouseMove(m_dlg->client(), c.pos);
    const QPoint global = m_dlg->client()->mapToGlobal(c.pos);
    QWidget* under = QApplication::widgetAt(global);
    ASSERT_TRUE(under);
    const QCursor cursor = under->cursor();
    if (c.cursor == 0) {
        EXPECT_EQ(cursor.shape(), Qt::ArrowCursor);
        return;
    }
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor);
    const QImage expected(QStringLiteral(":/res/cursor%1.png").arg(c.cursor));
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              expected.convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(cursor.hotSpot(), c.cursor == IDC_CURSOR_EDIT ? QPoint(0, 0) : QPoint(9, 8));
}

INSTANTIATE_TEST_SUITE_P(
    Positions, EditorDlgCursor,
    ::testing::Values(CursorCase{{100, 80}, 0, IDC_CURSOR_EDIT},   // editor
                      CursorCase{{38, 8}, 0, IDC_CURSOR_EDIT},     // editor's top-left pixel
                      CursorCase{{300, 100}, 0, IDC_CURSOR_SHEET},  // sheet
                      CursorCase{{412, 186}, 0, IDC_CURSOR_SHEET},  // sheet's bottom-right pixel
                      CursorCase{{15, 15}, 0, 0},      // New button
                      CursorCase{{214, 100}, 0, 0},    // between the frames
                      CursorCase{{30, 130}, 0, 0},     // empty client area
                      CursorCase{{124, 81}, 3, IDC_CURSOR_EDIT},   // editor shrunk to 16 x 20
                      CursorCase{{45, 20}, 3, IDC_CURSOR_EDIT},    // frame left bare by the zoom
                      CursorCase{{205, 150}, 2, IDC_CURSOR_EDIT},  // frame left bare by the zoom
                      CursorCase{{211, 80}, 2, 0}));   // just right of the frame

// Ways to end the modal run: Escape and the close box at once, Exit after Yes.
enum class Ending { Escape, CloseBox, ExitYes };

class EditorDlgEnding : public ::testing::TestWithParam<Ending>
{
};

TEST_P(EditorDlgEnding, EndsModalRun)
{
    CEditorDlg dlg;
    ModalScript script;
    // The window runs modally itself; once the question is answered it may be
    // the active modal again for a moment before it ends.
    script.ignore(&dlg);
    SeenMessageBox seen;
    if (GetParam() == Ending::ExitYes)
        script.then(AnswerMessageBox(&seen, QMessageBox::Yes));
    QTimer::singleShot(0, &dlg, [&dlg] {
        switch (GetParam()) {
        case Ending::Escape:
            // The key goes to the focused button and reaches the dialog from there.
            if (QWidget* focus = dlg.focusWidget()) {
                QTest::keyClick(focus, Qt::Key_Escape);
            } else {
                ADD_FAILURE() << "no control has the focus";
                dlg.reject();
            }
            break;
        case Ending::CloseBox:
            dlg.close();
            break;
        case Ending::ExitYes:
            QTest::mouseClick(dlg.client()->findChild<CBitmapButton*>(QString::number(IDC_EXIT)),
                              Qt::LeftButton);
            break;
        }
    });
    const int result = dlg.DoModal();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(script.unexpected(), 0);
    EXPECT_TRUE(script.done());
    if (GetParam() == Ending::ExitYes) {
        ExpectQuestion(seen, "Do you really want to quit?");
        EXPECT_EQ(dlg.result(), 0);
    } else {
        EXPECT_EQ(result, IDCANCEL);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, EditorDlgEnding,
                         ::testing::Values(Ending::Escape, Ending::CloseBox, Ending::ExitYes));

}  // namespace

} // namespace kelvane
