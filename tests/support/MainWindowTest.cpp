#include "support/MainWindowTest.h"

#include "app/EditorApp.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QPainter>
#include <QTest>

namespace QTestPrivate {
extern Q_TESTLIB_EXPORT Qt::MouseButtons qtestMouseButtons;
}

namespace kelvane {

QImage ButtonImage(unsigned id, QSize size)
{
    QImage expected(size, QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter(&expected).drawImage(0, 0, QImage(QStringLiteral(":/res/bitmap%1.bmp").arg(id)));
    return expected;
}

void MainWindowTest::SetUpTestSuite()
{
    CEditorApp::ApplyLook();
}

void MainWindowTest::SetUp()
{
    m_dlg = std::make_unique<CEditorDlg>();
    m_dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    m_edit = m_dlg->EditWnd();
    m_sheet = m_dlg->SheetWnd();
    ASSERT_TRUE(m_edit && m_sheet);
}

void MainWindowTest::TearDown()
{
    EXPECT_EQ(m_script.unexpected(), 0);
    // QTest remembers buttons it pressed; a test that ends with a button
    // held must not leak it into the next.
    QTestPrivate::qtestMouseButtons = Qt::NoButton;
}

CBitmapButton* MainWindowTest::Button(int id) const
{
    return m_dlg->client()->findChild<CBitmapButton*>(QString::number(id));
}

void MainWindowTest::ClickButton(int id)
{
    CBitmapButton* button = Button(id);
    ASSERT_TRUE(button) << id;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(m_script.done()) << "dialogs left unanswered after a click on " << id;
}

TileBuffer MainWindowTest::SheetTile(int col, int row) const
{
    TileBuffer t{};
    return m_sheet->GetTile(t, col, row);
}

} // namespace kelvane
