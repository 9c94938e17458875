#include "views/TileEditWnd.h"

#include "support/GuiTest.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace kelvane {

namespace {

TileBuffer With(std::uint8_t fill, std::initializer_list<std::pair<int, std::uint8_t>> bytes = {})
{
    TileBuffer t;
    t.fill(fill);
    for (const auto& [i, v] : bytes)
        t[i] = v;
    return t;
}

// Mouse events as the window system delivers them; (0, 0) is a position
// like any other (QTest takes a null point for the centre).
void Send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Move(QWidget* w, QPoint pos, Qt::MouseButtons held)
{
    Send(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}

class TileEditWndTest : public ::testing::Test
{
protected:
    void SetUp() override { Create(QSize(160, 160)); }

    void Create(QSize client)
    {
        m_edit = new CTileEditWnd;
        ASSERT_TRUE(ShowViewInHost(m_host, m_edit, client));
    }

    void Click(Qt::MouseButton button, QPoint pos)
    {
        Send(m_edit, QEvent::MouseButtonPress, pos, button, button);
        Send(m_edit, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
    }

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

TEST_P(TileEditCells, LeftClickPaintsLevelRightClickErases)
{
    const auto [pos, byte] = GetParam();
    m_edit->SetColor(3);
    Click(Qt::LeftButton, pos);
    EXPECT_EQ(m_edit->GetPixels(), With(0, {{byte, 255}}));
    EXPECT_EQ(m_edit->UndoCopy(), With(0));
    EXPECT_EQ(m_edit->CaptureMode(), 0);

    const TileBuffer lowRed = With(85);
    m_edit->SetTile(&lowRed);
    Click(Qt::RightButton, pos);
    EXPECT_EQ(m_edit->GetPixels(), With(85, {{byte, 0}}));
    EXPECT_EQ(m_edit->UndoCopy(), lowRed);
}

INSTANTIATE_TEST_SUITE_P(Client160, TileEditCells,
                         ::testing::Values(CellCase{{0, 0}, 56}, CellCase{{159, 159}, 7},
                                           CellCase{{25, 150}, 1}, CellCase{{19, 19}, 56},
                                           CellCase{{20, 0}, 57}, CellCase{{0, 20}, 48}));

TEST_F(TileEditWndTest, SecondButtonSwitchesModeWithNewUndoCopyAndOnlyItsReleaseEndsIt)
{
    m_edit->SetColor(1);
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));  // byte 56
    QTest::mouseMove(m_edit, QPoint(45, 45));                                  // byte 42: no line
    const TileBuffer stroke = With(0, {{56, 85}, {42, 85}});
    EXPECT_EQ(m_edit->GetPixels(), stroke);

    QTest::mousePress(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 2);
    EXPECT_EQ(m_edit->UndoCopy(), stroke);
    QTest::mouseRelease(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 2);
    QTest::mouseMove(m_edit, QPoint(45, 45));  // still erasing
    EXPECT_EQ(m_edit->GetPixels(), With(0));
    QTest::mouseRelease(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(45, 45));
    EXPECT_EQ(m_edit->CaptureMode(), 0);

    QTest::mousePress(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 1);
    EXPECT_EQ(m_edit->GetPixels(), With(0, {{57, 85}}));
    QTest::mouseRelease(m_edit, Qt::RightButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 1);
    QTest::mouseRelease(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(25, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 0);
}

TEST_F(TileEditWndTest, DragOutOfEditorPaintsOnlyInsideAndReleaseOutsideEndsIt)
{
    m_edit->SetColor(2);
    QTest::mousePress(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));  // byte 56
    // Outside on every side: left, top, right edge (x = w), bottom edge (y = h).
    for (const QPoint p : {QPoint(-1, 45), QPoint(45, -1), QPoint(160, 45), QPoint(45, 160),
                           QPoint(-8, -8)})
        QTest::mouseMove(m_edit, p);
    EXPECT_EQ(m_edit->GetPixels(), With(0, {{56, 170}}));
    EXPECT_EQ(m_edit->CaptureMode(), 1);
    QTest::mouseMove(m_edit, QPoint(45, 45));  // back inside: byte 42
    QTest::mouseRelease(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(-5, 5));
    EXPECT_EQ(m_edit->CaptureMode(), 0);
    QTest::mouseMove(m_edit, QPoint(85, 85));
    EXPECT_EQ(m_edit->GetPixels(), With(0, {{56, 170}, {42, 170}}));
}

TEST_F(TileEditWndTest, FlipsAndUndo)
{
    m_edit->Undo();  // nothing edited yet: black
    EXPECT_EQ(m_edit->GetPixels(), With(0));

    // Top row lit, one pixel in column 0 of buffer row 1.
    const TileBuffer tile = With(0, {{56, 9}, {57, 9}, {63, 9}, {8, 85}});
    m_edit->SetTile(&tile);
    EXPECT_EQ(m_edit->UndoCopy(), With(0));  // SetTile takes no undo copy
    m_edit->SetTile(nullptr);
    EXPECT_EQ(m_edit->GetPixels(), tile);

    m_edit->FlipH();
    const TileBuffer upsideDown = With(0, {{0, 9}, {1, 9}, {7, 9}, {48, 85}});
    EXPECT_EQ(m_edit->GetPixels(), upsideDown);
    m_edit->FlipH();
    EXPECT_EQ(m_edit->GetPixels(), tile);
    m_edit->Undo();
    m_edit->Undo();  // twice is once
    EXPECT_EQ(m_edit->GetPixels(), upsideDown);

    m_edit->SetTile(&tile);
    m_edit->FlipV();
    EXPECT_EQ(m_edit->GetPixels(), With(0, {{63, 9}, {62, 9}, {56, 9}, {15, 85}}));
    m_edit->Undo();
    EXPECT_EQ(m_edit->GetPixels(), tile);
}

TEST_F(TileEditWndTest, SetColorMapsIndexToLevel)
{
    for (const auto& [index, level] : {std::pair{0, 0}, {1, 85}, {2, 170}, {3, 255}, {4, 0}, {-1, 0}}) {
        m_edit->SetColor(3);
        m_edit->SetColor(index);
        EXPECT_EQ(m_edit->Level(), level) << "index " << index;
    }
}

TEST_F(TileEditWndTest, MoveWithoutOwnPressChangesNothing)
{
    m_edit->SetColor(3);
    Move(m_edit, QPoint(50, 50), Qt::NoButton);
    Move(m_edit, QPoint(50, 50), Qt::LeftButton);  // pressed elsewhere
    EXPECT_EQ(m_edit->GetPixels(), With(0));
}

// Ways the editor loses the mouse while the button is held.
enum class LostMouse { MoveWithoutButton, Deactivate, Hide, ModalBox };

class TileEditLostMouse : public TileEditWndTest, public ::testing::WithParamInterface<LostMouse>
{
};

TEST_P(TileEditLostMouse, EndsPaintingSoHoverNeverPaints)
{
    m_host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_host.get()));
    m_edit->SetColor(3);
    Send(m_edit, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(m_edit->CaptureMode(), 1);
    ModalScript script;
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
    case LostMouse::ModalBox:
        script.then(AnswerMessageBox(nullptr, QMessageBox::Ok));
        QMessageBox::information(m_host.get(), QStringLiteral("t"), QStringLiteral("box"));
        EXPECT_TRUE(script.done());
        break;
    }
    EXPECT_EQ(m_edit->CaptureMode(), 0);
    Move(m_edit, QPoint(85, 5), Qt::LeftButton);
    EXPECT_EQ(m_edit->GetPixels(), With(0, {{56, 255}}));
}

INSTANTIATE_TEST_SUITE_P(Ways, TileEditLostMouse,
                         ::testing::Values(LostMouse::MoveWithoutButton, LostMouse::Deactivate,
                                           LostMouse::Hide, LostMouse::ModalBox));

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
    EXPECT_EQ(m_edit->GetPixels(), With(0));
    EXPECT_FALSE(Grab(m_edit).isNull());
}

INSTANTIATE_TEST_SUITE_P(Cases, TileEditOddSizes,
                         ::testing::Values(SizeCase{{7, 7}, {3, 3}},  // cells of 0 x 0
                                           SizeCase{{16, 5}, {3, 3}}, SizeCase{{5, 16}, {3, 3}},
                                           SizeCase{{165, 163}, {162, 10}},  // column 8
                                           SizeCase{{165, 163}, {10, 161}},  // row 8
                                           SizeCase{{20, 20}, {18, 5}}));    // column 9

TEST_F(TileEditWndTest, ShowsTileThroughRedRampInsideThreeDFrame)
{
    Create(QSize(162, 162));  // cells of 20 x 20 from (1, 1)
    const std::uint8_t top[8] = {255, 85, 170, 255, 0, 255, 255, 255};
    TileBuffer tile = With(0, {{7, 170}});
    std::copy(top, top + 8, tile.begin() + 56);
    m_edit->SetTile(&tile);
    m_edit->Invalidate();
    QImage img = Grab(m_edit);
    ASSERT_EQ(img.size(), QSize(162, 162));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(img.pixel(11 + 20 * i, 11), qRgb(top[i], 0, 0)) << "column " << i;
    EXPECT_EQ(img.pixel(11, 31), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(160, 160), qRgb(170, 0, 0));
    // Light top and left edges; dark bottom and right edges and the odd corners.
    for (const QPoint p : {QPoint(0, 0), QPoint(160, 0), QPoint(0, 160)})
        EXPECT_EQ(img.pixel(p), qRgb(155, 0, 255));
    for (const QPoint p : {QPoint(161, 0), QPoint(0, 161), QPoint(161, 80), QPoint(80, 161)})
        EXPECT_EQ(img.pixel(p), qRgb(100, 0, 150));

    m_edit->FlipH();
    img = Grab(m_edit);
    EXPECT_EQ(img.pixel(11, 151), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(31, 151), qRgb(85, 0, 0));
    EXPECT_EQ(img.pixel(11, 11), qRgb(0, 0, 0));
}

}  // namespace

} // namespace kelvane
