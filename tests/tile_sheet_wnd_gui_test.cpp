#include "views/TileSheetWnd.h"

#include "support/GuiTest.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace QTestPrivate {
extern Q_TESTLIB_EXPORT Qt::MouseButtons qtestMouseButtons;
}

namespace {

const QRgb kLight = qRgb(155, 0, 255);
const QRgb kDark = qRgb(100, 0, 150);

// A left click anywhere, (0, 0) included (QTest takes a null point for the centre).
void LeftClick(QWidget* w, QPoint pos)
{
    QMouseEvent press(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

bool IsFrameColour(QRgb c)
{
    return c == kLight || c == kDark;
}

class TileSheetWndTest : public ::testing::Test
{
protected:
    void SetUp() override { Create(QSize(192, 176)); }
    void TearDown() override { QTestPrivate::qtestMouseButtons = Qt::NoButton; }

    void Create(QSize client)
    {
        m_host = std::make_unique<QWidget>();
        m_host->resize(client + QSize(20, 20));
        m_view = new CTileSheetWnd;
        m_view->CreateView(QRect(QPoint(10, 10), client), m_host.get());
        m_host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
    }

    std::pair<int, int> Selection() const
    {
        return {m_view->Sheet().SelCol(), m_view->Sheet().SelRow()};
    }

    std::unique_ptr<QWidget> m_host;
    CTileSheetWnd* m_view = nullptr;
};

struct ClickCase
{
    QPoint pos;
    int col, row;
};

class TileSheetClicks : public TileSheetWndTest, public ::testing::WithParamInterface<ClickCase>
{
};

TEST_P(TileSheetClicks, LeftClickSelectsTileUnderCursor)
{
    const ClickCase c = GetParam();
    m_view->Sheet().Select(7, 7);
    LeftClick(m_view, c.pos);
    EXPECT_EQ(Selection(), std::make_pair(c.col, c.row));
}

INSTANTIATE_TEST_SUITE_P(Client192x176, TileSheetClicks,
                         ::testing::Values(ClickCase{{0, 0}, 0, 0}, ClickCase{{191, 175}, 15, 15},
                                           ClickCase{{12, 11}, 1, 1}, ClickCase{{11, 10}, 0, 0},
                                           ClickCase{{96, 88}, 8, 8}, ClickCase{{191, 0}, 15, 0}));

TEST_F(TileSheetWndTest, OnlyThePressOfTheLeftButtonSelects)
{
    QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseMove(m_view, QPoint(100, 100));
    QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    EXPECT_EQ(Selection(), std::make_pair(1, 1));

    QTest::mouseClick(m_view, Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseClick(m_view, Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
}

TEST_F(TileSheetWndTest, SelectionFrameUsesWholeClientSize)
{
    EXPECT_EQ(CTileSheetWnd::SelectionRect(QSize(192, 176), 3, 2), QRect(QPoint(36, 22), QSize(12, 11)));
    LeftClick(m_view, QPoint(40, 25));
    ASSERT_EQ(Selection(), std::make_pair(3, 2));
    const QImage img = Grab(m_view);
    // Light top and left edges, dark right and bottom edges and odd corners.
    EXPECT_EQ(img.pixel(36, 22), kLight);
    EXPECT_EQ(img.pixel(46, 22), kLight);
    EXPECT_EQ(img.pixel(36, 31), kLight);
    EXPECT_EQ(img.pixel(47, 22), kDark);
    EXPECT_EQ(img.pixel(36, 32), kDark);
    EXPECT_EQ(img.pixel(47, 27), kDark);
    EXPECT_EQ(img.pixel(40, 32), kDark);
    EXPECT_EQ(img.pixel(47, 32), kDark);
    // Inside and just outside the frame: the black sheet.
    for (const QPoint p : {QPoint(40, 27), QPoint(35, 27), QPoint(48, 27), QPoint(40, 21),
                           QPoint(40, 33)})
        EXPECT_EQ(img.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
}

TEST_F(TileSheetWndTest, ClearBlanksTheSheetAndKeepsTheSelection)
{
    LeftClick(m_view, QPoint(65, 100));  // tile (5, 9)
    TileBuffer t;
    t.fill(255);
    m_view->PutSelectedTile(t);
    m_view->PutTile(t, 0, 0);
    m_view->Clear();
    EXPECT_TRUE(std::all_of(m_view->GetPixels(), m_view->GetPixels() + kSheetBytes,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(Selection(), std::make_pair(5, 9));
    m_view->update();
    const QRect frame = CTileSheetWnd::SelectionRect(m_view->size(), 5, 9);
    EXPECT_EQ(Grab(m_view).pixel(frame.topLeft()), kLight);
}

TEST_F(TileSheetWndTest, ShowsSheetUprightThroughRedRamp)
{
    Create(QSize(130, 130));  // one screen pixel per sheet pixel from (1, 1)
    LeftClick(m_view, QPoint(64, 64));  // selection frame out of the way
    TileBuffer top{};
    for (int i = 0; i < 8; ++i)
        top[56 + i] = 255;  // top row of the tile
    m_view->PutTile(top, 0, 0);
    TileBuffer bottom{};
    for (int i = 0; i < 8; ++i)
        bottom[i] = 170;  // bottom row of the tile
    m_view->PutTile(bottom, 15, 15);
    m_view->GetPixels()[128 * 64 + 40] = 100;  // any level shows as that red
    m_view->update();

    const QImage img = Grab(m_view);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(img.pixel(1 + x, 1), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(1 + x, 2), qRgb(0, 0, 0));
        EXPECT_EQ(img.pixel(1 + 120 + x, 1 + 127), qRgb(170, 0, 0));
        EXPECT_EQ(img.pixel(1 + 120 + x, 1 + 126), qRgb(0, 0, 0));
    }
    EXPECT_EQ(img.pixel(1 + 40, 1 + 127 - 64), qRgb(100, 0, 0));

    EXPECT_EQ(img.pixel(0, 0), kLight);
    EXPECT_EQ(img.pixel(128, 0), kLight);
    EXPECT_EQ(img.pixel(0, 128), kLight);
    EXPECT_EQ(img.pixel(129, 0), kDark);
    EXPECT_EQ(img.pixel(0, 129), kDark);
    EXPECT_EQ(img.pixel(129, 129), kDark);
    EXPECT_FALSE(IsFrameColour(img.pixel(64, 1)));
}

TEST_F(TileSheetWndTest, ClickWithoutMainWindowOnlySelects)
{
    TileBuffer t;
    t.fill(85);
    m_view->PutTile(t, 2, 3);
    LeftClick(m_view, QPoint(30, 35));
    EXPECT_EQ(Selection(), std::make_pair(2, 3));
    TileBuffer back{};
    EXPECT_EQ(m_view->GetSelectedTile(back), t);
}

}  // namespace
