#include "views/TileSheetWnd.h"

#include "support/GuiTest.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace kelvane {

namespace {

const QRgb kLight = qRgb(155, 0, 255);
const QRgb kDark = qRgb(100, 0, 150);

class TileSheetWndTest : public ::testing::Test
{
protected:
    void SetUp() override { Create(QSize(192, 176)); }

    void Create(QSize client)
    {
        m_view = new CTileSheetWnd;
        ASSERT_TRUE(ShowViewInHost(m_host, m_view, client));
    }

    // A left press anywhere, (0, 0) included (QTest takes a null point for the centre).
    void Press(QPoint pos)
    {
        QMouseEvent e(QEvent::MouseButtonPress, pos, m_view->mapToGlobal(pos), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view, &e);
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

TEST_P(TileSheetClicks, LeftPressSelectsTileUnderCursor)
{
    m_view->Sheet().Select(7, 7);
    Press(GetParam().pos);
    EXPECT_EQ(Selection(), std::make_pair(GetParam().col, GetParam().row));
}

INSTANTIATE_TEST_SUITE_P(Client192x176, TileSheetClicks,
                         ::testing::Values(ClickCase{{0, 0}, 0, 0}, ClickCase{{191, 175}, 15, 15},
                                           ClickCase{{12, 11}, 1, 1}, ClickCase{{11, 10}, 0, 0},
                                           ClickCase{{96, 88}, 8, 8}, ClickCase{{191, 0}, 15, 0}));

TEST_F(TileSheetWndTest, DragAndOtherButtonsDoNotSelect)
{
    QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseMove(m_view, QPoint(100, 100));
    QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    QTest::mouseClick(m_view, Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseClick(m_view, Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(Selection(), std::make_pair(1, 1));
}

TEST_F(TileSheetWndTest, SelectionFrameOnWholeClientSizeSurvivesClear)
{
    TileBuffer lit;
    lit.fill(255);
    m_view->PutTile(lit, 3, 2);
    Press(QPoint(40, 25));
    ASSERT_EQ(Selection(), std::make_pair(3, 2));
    m_view->Clear();
    EXPECT_TRUE(std::all_of(m_view->GetPixels(), m_view->GetPixels() + kSheetBytes,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(Selection(), std::make_pair(3, 2));

    // (36, 22)-(48, 33), right and bottom exclusive.
    m_view->update();
    const QImage img = Grab(m_view);
    for (const QPoint p : {QPoint(36, 22), QPoint(46, 22), QPoint(36, 31)})
        EXPECT_EQ(img.pixel(p), kLight) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(47, 22), QPoint(36, 32), QPoint(47, 27), QPoint(47, 32)})
        EXPECT_EQ(img.pixel(p), kDark) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(40, 27), QPoint(35, 27), QPoint(48, 27), QPoint(40, 21),
                           QPoint(40, 33)})
        EXPECT_EQ(img.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
}

TEST_F(TileSheetWndTest, ShowsSheetUprightThroughRedRamp)
{
    Create(QSize(130, 130));  // one screen pixel per sheet pixel from (1, 1)
    Press(QPoint(64, 64));    // selection frame out of the way
    TileBuffer top{};
    std::fill(top.begin() + 56, top.end(), 255);  // top row of the tile
    m_view->PutTile(top, 0, 0);
    TileBuffer bottom{};
    std::fill(bottom.begin(), bottom.begin() + 8, 170);  // bottom row of the tile
    m_view->PutTile(bottom, 15, 15);
    m_view->GetPixels()[128 * 64 + 40] = 100;  // any level shows as that red
    m_view->update();

    const QImage img = Grab(m_view);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(img.pixel(1 + x, 1), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(1 + x, 2), qRgb(0, 0, 0));
        EXPECT_EQ(img.pixel(121 + x, 128), qRgb(170, 0, 0));
        EXPECT_EQ(img.pixel(121 + x, 127), qRgb(0, 0, 0));
    }
    EXPECT_EQ(img.pixel(41, 64), qRgb(100, 0, 0));
    for (const QPoint p : {QPoint(0, 0), QPoint(128, 0), QPoint(0, 128)})
        EXPECT_EQ(img.pixel(p), kLight);
    for (const QPoint p : {QPoint(129, 0), QPoint(0, 129), QPoint(129, 129)})
        EXPECT_EQ(img.pixel(p), kDark);
}

}  // namespace

} // namespace kelvane
