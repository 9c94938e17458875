#include "views/TileEditWnd.h"

#include "support/GuiTest.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace QTestPrivate {
extern Q_TESTLIB_EXPORT Qt::MouseButtons qtestMouseButtons;
}

namespace {

const QRgb kLight = qRgb(155, 0, 255);
const QRgb kDark = qRgb(100, 0, 150);

TileBuffer Filled(std::uint8_t v)
{
    TileBuffer t;
    t.fill(v);
    return t;
}

TileBuffer With(TileBuffer t, std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    for (const auto& [i, v] : bytes)
        t[i] = v;
    return t;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A mouse move carrying the given button state, as the window system would
// deliver it.
void Move(QWidget* w, QPoint pos, Qt::MouseButtons buttons)
{
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

// A click anywhere, (0, 0) included (QTest takes a null point for the centre).
void Click(QWidget* w, Qt::MouseButton button, QPoint pos)
{
    SendMouse(w, QEvent::MouseButtonPress, pos, button, button);
    SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

class TileEditWndTest : public ::testing::Test
{
protected:
    void SetUp() override { Create(QSize(160, 160)); }
    void TearDown() override { QTestPrivate::qtestMouseButtons = Qt::NoButton; }

    void Create(QSize client)
    {
        m_host = std::make_unique<QWidget>();
        m_host->resize(client + QSize(20, 20));
        m_edit = new CTileEditWnd;
        m_edit->CreateView(QRect(QPoint(10, 10), client), m_host.get());
        m_host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
    }

    void Click(Qt::MouseButton button, QPoint pos) { ::Click(m_edit, button, pos); }

    std::unique_ptr<QWidget> m_host;
    CTileEditWnd* m_edit = nullptr;
};

struct CellCase
{
    QPoint pos;
    int byte;
};

class TileEditCells : public TileEditWndTest, public ::testing::WithParamInterface<CellCase>
{
};

TEST_P(TileEditCells, LeftClickPaintsLevelIntoThatCellRightClickErasesIt)
{
    const CellCase c = GetParam();
    m_edit->SetColor(3);
    Click(Qt::LeftButton, c.pos);
    EXPECT_EQ(m_edit->GetPixels(), With(Filled(0), {{c.byte, 255}}));
    EXPECT_EQ(m_edit->UndoCopy(), Filled(0));
    EXPECT_EQ(m_edit->CaptureMode(), 0);

    const TileBuffer lowRed = Filled(85);
    m_edit->SetTile(&lowRed);
    Click(Qt::RightButton, c.pos);
    EXPECT_EQ(m_edit->GetPixels(), With(Filled(85), {{c.byte, 0}}));
    EXPECT_EQ(m_edit->UndoCopy(), Filled(85));
}

INSTANTIATE_TEST_SUITE_P(Client160, TileEditCells,
                         ::testing::Values(CellCase{{0, 0}, 56}, CellCase{{159, 159}, 7},
                                           CellCase{{25, 150}, 1}, CellCase{{20, 0}, 57},
                                           CellCase{{19, 19}, 56}, CellCase{{0, 20}, 48}));

TEST_F(TileEditWndTest, DragPaintsOnlyTheCellsUnderTheMoves)
{
    m_edit->SetColor(2);
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(m_edit, QPoint(45, 5));
    QTest::mouseMove(m_edit, QPoint(45, 45));
    QTest::mouseRelease(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(45, 45));
    EXPECT_EQ(m_edit->GetPixels(), With(Filled(0), {{56, 170}, {58, 170}, {42, 170}}));
    EXPECT_EQ(m_edit->CaptureMode(), 0);
}

TEST_F(TileEditWndTest, RightPressWhileLeftHeldSwitchesToErasingWithNewUndoCopy)
{
    m_edit->SetColor(1);
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));  // byte 56
    EXPECT_EQ(m_edit->CaptureMode(), 1);
    const TileBuffer afterLeft = With(Filled(0), {{56, 85}});
    EXPECT_EQ(m_edit->GetPixels(), afterLeft);

    QTest::mousePress(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 2);
    EXPECT_EQ(m_edit->UndoCopy(), afterLeft);
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));

    QTest::mouseRelease(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 2);
    m_edit->SetColor(3);
    Move(m_edit, QPoint(25, 5), Qt::RightButton);  // still erasing: byte 57 stays 0
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));

    QTest::mouseRelease(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 0);
}

TEST_F(TileEditWndTest, LeftPressWhileRightHeldSwitchesToPainting)
{
    m_edit->SetColor(3);
    QTest::mousePress(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 2);
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 1);
    EXPECT_EQ(m_edit->GetPixels(), With(Filled(0), {{57, 255}}));
    // The right release does not belong to mode 1.
    QTest::mouseRelease(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 1);
    QTest::mouseRelease(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 0);
}

TEST_F(TileEditWndTest, FlipsMoveRowsAndColumnsAndUndoGivesThePreviousTile)
{
    TileBuffer tile = Filled(0);
    for (int i = 0; i < 8; ++i)
        tile[56 + i] = 255;  // top row
    tile[8] = 85;            // buffer row 1, column 0
    m_edit->SetTile(&tile);

    m_edit->FlipH();
    TileBuffer once = Filled(0);
    for (int i = 0; i < 8; ++i)
        once[i] = 255;  // bottom row
    once[48] = 85;      // buffer row 6, column 0
    EXPECT_EQ(m_edit->GetPixels(), once);
    EXPECT_EQ(m_edit->UndoCopy(), tile);

    m_edit->FlipH();
    EXPECT_EQ(m_edit->GetPixels(), tile);
    m_edit->Undo();
    EXPECT_EQ(m_edit->GetPixels(), once);

    m_edit->SetTile(&tile);
    m_edit->FlipV();
    TileBuffer mirrored = tile;
    mirrored[8] = 0;
    mirrored[15] = 85;
    EXPECT_EQ(m_edit->GetPixels(), mirrored);
    m_edit->Undo();
    EXPECT_EQ(m_edit->GetPixels(), tile);
}

TEST_F(TileEditWndTest, UndoTwiceIsUndoOnceAndUndoWithoutEditGivesBlack)
{
    m_edit->Undo();
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));

    m_edit->SetColor(2);
    Click(Qt::LeftButton, QPoint(25, 150));
    Click(Qt::LeftButton, QPoint(0, 0));
    m_edit->Undo();
    const TileBuffer once = m_edit->GetPixels();
    EXPECT_EQ(once, With(Filled(0), {{1, 170}}));
    m_edit->Undo();
    EXPECT_EQ(m_edit->GetPixels(), once);
}

TEST_F(TileEditWndTest, SetTileCopiesWithoutUndoAndNullDoesNothing)
{
    const TileBuffer t = Filled(170);
    m_edit->SetTile(&t);
    EXPECT_EQ(m_edit->GetPixels(), t);
    EXPECT_EQ(m_edit->UndoCopy(), Filled(0));
    m_edit->SetTile(nullptr);
    EXPECT_EQ(m_edit->GetPixels(), t);
    m_edit->Reset();
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));
}

TEST_F(TileEditWndTest, SetColorMapsIndexToLevel)
{
    const std::pair<int, int> cases[] = {{0, 0}, {1, 85}, {2, 170}, {3, 255}, {4, 0}, {-1, 0}};
    for (const auto& [index, level] : cases) {
        m_edit->SetColor(3);
        m_edit->SetColor(index);
        EXPECT_EQ(m_edit->Level(), level) << "index " << index;
    }
}

TEST_F(TileEditWndTest, MoveWithoutButtonChangesNothing)
{
    m_edit->SetColor(3);
    Move(m_edit, QPoint(50, 50), Qt::NoButton);
    Move(m_edit, QPoint(50, 50), Qt::LeftButton);  // a button pressed elsewhere
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));
    EXPECT_EQ(m_edit->CaptureMode(), 0);
}

// Ways the editor loses the mouse while a button is held.
enum class LostMouse
{
    MoveWithoutButton,
    Deactivate,
    Hide,
};

class TileEditLostMouse : public TileEditWndTest, public ::testing::WithParamInterface<LostMouse>
{
};

TEST_P(TileEditLostMouse, EndsPaintingSoHoverNeverPaints)
{
    m_edit->SetColor(3);
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ASSERT_EQ(m_edit->CaptureMode(), 1);
    switch (GetParam()) {
    case LostMouse::MoveWithoutButton:
        Move(m_edit, QPoint(45, 5), Qt::NoButton);
        break;
    case LostMouse::Deactivate: {
        QEvent e(QEvent::WindowDeactivate);
        QApplication::sendEvent(m_edit, &e);
        break;
    }
    case LostMouse::Hide:
        m_host->hide();
        m_host->show();
        break;
    }
    EXPECT_EQ(m_edit->CaptureMode(), 0);
    QTestPrivate::qtestMouseButtons = Qt::NoButton;
    Move(m_edit, QPoint(85, 5), Qt::NoButton);
    Move(m_edit, QPoint(105, 5), Qt::LeftButton);
    EXPECT_EQ(m_edit->GetPixels(), With(Filled(0), {{56, 255}}));
}

INSTANTIATE_TEST_SUITE_P(Ways, TileEditLostMouse,
                         ::testing::Values(LostMouse::MoveWithoutButton, LostMouse::Deactivate,
                                           LostMouse::Hide));

TEST_F(TileEditWndTest, ModalBoxDuringStrokeEndsPainting)
{
    m_host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
    m_edit->SetColor(3);
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ModalScript script;
    SeenMessageBox seen;
    script.then(AnswerMessageBox(&seen, QMessageBox::Ok));
    QMessageBox::information(m_host.get(), QStringLiteral("t"), QStringLiteral("box"));
    EXPECT_TRUE(seen.seen);
    EXPECT_EQ(m_edit->CaptureMode(), 0);
}

struct SizeCase
{
    QSize client;
    QPoint press;
};

class TileEditOddSizes : public TileEditWndTest, public ::testing::WithParamInterface<SizeCase>
{
};

TEST_P(TileEditOddSizes, PressOutsideAnyCellPaintsNothing)
{
    Create(GetParam().client);
    m_edit->SetColor(3);
    Click(Qt::LeftButton, GetParam().press);
    Click(Qt::RightButton, GetParam().press);
    EXPECT_EQ(m_edit->GetPixels(), Filled(0));
    EXPECT_FALSE(Grab(m_edit).isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TileEditOddSizes,
    ::testing::Values(SizeCase{{7, 7}, {3, 3}},        // cells of 0 x 0
                      SizeCase{{16, 5}, {3, 3}},       // cells of 2 x 0
                      SizeCase{{5, 16}, {3, 3}},       // cells of 0 x 2
                      SizeCase{{165, 163}, {162, 10}},  // column 8 in the right strip
                      SizeCase{{165, 163}, {10, 161}},  // row 8 in the bottom strip
                      SizeCase{{20, 20}, {18, 5}}));    // cells of 2: column 9

TEST_F(TileEditWndTest, ShowsTileThroughRedRampInsideThreeDFrame)
{
    Create(QSize(162, 162));  // cells of 20 x 20 from (1, 1)
    TileBuffer tile = Filled(0);
    const std::uint8_t top[8] = {255, 85, 170, 255, 0, 255, 255, 255};
    for (int i = 0; i < 8; ++i)
        tile[56 + i] = top[i];
    tile[7] = 170;  // bottom-right cell
    m_edit->SetTile(&tile);
    m_edit->Invalidate();
    const QImage img = Grab(m_edit);
    ASSERT_EQ(img.size(), QSize(162, 162));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(img.pixel(11 + 20 * i, 11), qRgb(top[i], 0, 0)) << "column " << i;
    EXPECT_EQ(img.pixel(11, 31), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(151, 151), qRgb(170, 0, 0));
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(160, 160), qRgb(170, 0, 0));

    // Frame: light top and left, dark bottom and right and the two odd corners.
    EXPECT_EQ(img.pixel(0, 0), kLight);
    EXPECT_EQ(img.pixel(80, 0), kLight);
    EXPECT_EQ(img.pixel(160, 0), kLight);
    EXPECT_EQ(img.pixel(0, 80), kLight);
    EXPECT_EQ(img.pixel(0, 160), kLight);
    EXPECT_EQ(img.pixel(161, 0), kDark);
    EXPECT_EQ(img.pixel(0, 161), kDark);
    EXPECT_EQ(img.pixel(161, 80), kDark);
    EXPECT_EQ(img.pixel(80, 161), kDark);
    EXPECT_EQ(img.pixel(161, 161), kDark);

    m_edit->FlipH();
    const QImage flipped = Grab(m_edit);
    EXPECT_EQ(flipped.pixel(11, 151), qRgb(255, 0, 0));
    EXPECT_EQ(flipped.pixel(31, 151), qRgb(85, 0, 0));
    EXPECT_EQ(flipped.pixel(11, 11), qRgb(0, 0, 0));
}

}  // namespace
