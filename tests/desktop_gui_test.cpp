// The main window on a desktop: its images, its place on the screen, moving
// it from the window menu and by the caption, its identity, the keys of its
// commands and files dropped on it.
#include "app/EditorApp.h"
#include "platform/Dialog.h"
#include "platform/WindowFrame.h"
#include "support/MainWindowTest.h"
#include "support/TestFiles.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileOpenEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QStyleHints>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <cstdlib>
#include <functional>

namespace kelvane {

namespace {

class DesktopTest : public MainWindowTest
{
protected:
    CWindowFrame* Frame() const { return CWindowFrame::Find(m_dlg->GetSafeHwnd()); }
    // A point of the caption, in window coordinates, away from its icon and close button.
    QPoint CaptionPoint() const { return Frame()->CaptionRect().center(); }
    QPoint Pos() const { return m_dlg->pos(); }
};

// `outer` centred on `area`, as a dialog template centres its window.
QPoint Centred(QSize outer, QRect area)
{
    return QPoint(area.left() + (area.width() - outer.width()) / 2,
                  area.top() + (area.height() - outer.height()) / 2);
}

TEST_F(DesktopTest, EveryButtonShowsItsUpAndItsHeldImage)
{
    for (const CEditorDlg::Button& b : CEditorDlg::kButtons) {
        CBitmapButton* button = Button(b.id);
        ASSERT_TRUE(button) << b.id;
        button->SetState(false);  // no colour button held for the current colour
        ProcessEvents();
        EXPECT_EQ(Grab(button), ButtonImage(b.up, button->size())) << b.id;
        QTest::mousePress(button, Qt::LeftButton);
        EXPECT_EQ(Grab(button), ButtonImage(b.down, button->size())) << b.id;
        // Let go outside: no click, no command.
        QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(-4, -4));
    }
}

TEST_F(DesktopTest, WindowsOpenCentredAndTheMainWindowBelongsToNone)
{
    EXPECT_EQ(m_dlg->pos(), Centred(m_dlg->frameGeometry().size(),
                                    m_dlg->screen()->availableGeometry()));
    EXPECT_EQ(m_dlg->frameGeometry().size(), m_dlg->size());  // the program's frame, no other
    EXPECT_EQ(m_dlg->windowType(), Qt::Window);
    ASSERT_TRUE(m_dlg->windowHandle());
    EXPECT_EQ(m_dlg->windowHandle()->transientParent(), nullptr);
    EXPECT_EQ(QGuiApplication::desktopFileName(), "io.github.kelvane.Kelvane");

    // Moved away first: the About box and a message box follow the main
    // window, frame and all, and carry the program's icon at every size;
    // also where the frame expected before the window system framed them
    // is not the one it gives them.
    m_dlg->move(m_dlg->pos() + QPoint(-37, 21));
    for (const int button : {IDC_ABOUT, IDC_NEW, -IDC_ABOUT, -IDC_NEW}) {
        if (button < 0)
            ExpectedFrame() = QMargins(5, 29, 5, 5);
        QRect box;
        QList<QSize> iconSizes;
        m_script.then([&](QWidget* w) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
            ProcessEvents();
            box = w->frameGeometry();
            iconSizes = w->windowIcon().availableSizes();
            if (auto* question = qobject_cast<QMessageBox*>(w))
                question->button(QMessageBox::No)->click();
            else
                w->close();
        });
        ClickButton(std::abs(button));
        ASSERT_FALSE(box.isEmpty()) << button;
        EXPECT_EQ(box.topLeft(), Centred(box.size(), m_dlg->frameGeometry())) << button;
        for (const int size : {16, 32, 48, 64, 128, 256})
            EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << button << " " << size;
    }
}

struct MoveStep
{
    enum { Mouse, Key, Click } kind;
    QPoint mouse;                   // Mouse, Click: cursor offset from the caption point
    int key = 0;                    // Key
    Qt::KeyboardModifiers mods = {};
};

TEST_F(DesktopTest, MoveFromTheWindowMenuFollowsTheMouseAndTheKeys)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    using S = MoveStep;
    const struct
    {
        const char* what;
        std::vector<MoveStep> steps;
        QPoint moved;  // where the window ends, from where it started
    } cases[] = {
        {"arrows by 8, Ctrl+arrow by 1, Enter ends",
         {{S::Key, {}, Qt::Key_Left}, {S::Key, {}, Qt::Key_Left},
          {S::Key, {}, Qt::Key_Down, Qt::ControlModifier}, {S::Key, {}, Qt::Key_Return}},
         {-16, 1}},
        {"the mouse with no button, then a key, then a click ends",
         {{S::Mouse, {30, 20}}, {S::Key, {}, Qt::Key_Right}, {S::Click, {30, 20}}}, {38, 20}},
        {"Esc puts it back", {{S::Mouse, {-50, 40}}, {S::Key, {}, Qt::Key_Up}, {S::Key, {}, Qt::Key_Escape}},
         {0, 0}},
    };
    for (const auto& c : cases) {
        const QPoint start = Pos();
        // The menu's Move item, as a user picks it.
        QAction* move = GetSystemMenu(m_dlg->GetSafeHwnd(), FALSE)->GetSafeMenu()->actions().value(0);
        ASSERT_TRUE(move && move->text() == "&Move");
        move->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Frame()->IsMoving(); })) << c.what;
        const QPoint grip = m_dlg->mapToGlobal(CaptionPoint());
        for (const MoveStep& s : c.steps) {
            const QPoint local = m_dlg->mapFromGlobal(grip + s.mouse);
            if (s.kind == S::Mouse)
                QTest::mouseMove(m_dlg.get(), local);
            else if (s.kind == S::Click)
                QTest::mouseClick(m_dlg.get(), Qt::LeftButton, Qt::NoModifier, local);
            else
                QTest::keyClick(m_dlg->focusWidget() ? m_dlg->focusWidget() : m_dlg.get(), Qt::Key(s.key), s.mods);
        }
        EXPECT_FALSE(Frame()->IsMoving()) << c.what;
        EXPECT_EQ(Pos() - start, c.moved) << c.what;
        // Ended: the next click reaches its button.
        ClickButton(IDC_COLOR2);
        EXPECT_EQ(Button(IDC_COLOR2)->GetState() & BST_PUSHED, BST_PUSHED) << c.what;
        ClickButton(IDC_COLOR1);
    }
}

TEST_F(DesktopTest, ACaptionClickOnlyActivatesADragPastTheDragDistanceMoves)
{
    const int drag = QGuiApplication::styleHints()->startDragDistance();
    const QPoint start = Pos();
    const QPoint p = CaptionPoint();
    QTest::mouseClick(m_dlg.get(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseMove(m_dlg.get(), p + QPoint(40, 30));  // no button held
    EXPECT_EQ(Pos(), start);
    EXPECT_FALSE(Frame()->IsMoving());

    QTest::mousePress(m_dlg.get(), Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseMove(m_dlg.get(), p + QPoint(drag - 1, 0));
    EXPECT_EQ(Pos(), start) << "within the drag distance";
    QTest::mouseMove(m_dlg.get(), p + QPoint(drag + 5, 7));
    EXPECT_EQ(Pos(), start + QPoint(drag + 5, 7));
    QTest::mouseRelease(m_dlg.get(), Qt::LeftButton, Qt::NoModifier, p);
    EXPECT_FALSE(Frame()->IsMoving());
    const QPoint dropped = Pos();
    QTest::mouseMove(m_dlg.get(), p + QPoint(20, 20));
    EXPECT_EQ(Pos(), dropped);
}

TEST_F(DesktopTest, KeysRunTheButtonsHandlers)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    const struct { int key; const char* window; } keys[] = {
        {Qt::Key_N, "Kelvane"},  // New's question
        {Qt::Key_O, "Open"},
        {Qt::Key_S, "Save As"},
        {Qt::Key_Q, "Kelvane"},  // Exit's question
    };
    for (const auto& k : keys) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get())) << k.window;
        QString seen;
        QString text;
        m_script.then([&](QWidget* w) {
            seen = w->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                text = box->text();
                box->button(QMessageBox::No)->click();
            } else {
                static_cast<QDialog*>(w)->reject();
            }
        });
        QTest::keyClick(m_dlg->focusWidget() ? m_dlg->focusWidget() : m_dlg.get(), Qt::Key(k.key), Qt::ControlModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_script.done(); })) << k.window;
        EXPECT_EQ(seen, k.window);
        if (k.key == Qt::Key_N || k.key == Qt::Key_Q) {
            EXPECT_EQ(text, k.key == Qt::Key_N ? "Do you really create a new tileset?"
                                                : "Do you really want to quit?");
        }
    }
    EXPECT_TRUE(m_dlg->isVisible());
    // Ctrl+Z: Undo, back to the tile before the stroke.
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    ClickButton(IDC_COLOR4);
    QTest::mouseClick(m_edit, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_NE(m_edit->GetPixels(), TileBuffer{});
    QTest::keyClick(m_dlg->focusWidget() ? m_dlg->focusWidget() : m_dlg.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m_edit->GetPixels(), TileBuffer{});
}

TEST_F(DesktopTest, ADroppedOrFinderOpenedFileOpensAsTheCommandLineOpensIt)
{
    TempDir dir;
    // One char: its top row all level 255, the rest 0.
    Bytes one{1, 0};
    one.resize(2 + 16, 0);
    one[2 + 14] = one[2 + 15] = 0xFF;
    WriteFileBytes(dir.file("one.kl"), one);
    WriteFileBytes(dir.file("short.kl"), Bytes{1, 0, 0xFF});
    QImage png(128, 128, QImage::Format_RGB32);
    png.fill(Qt::black);
    for (int x = 0; x < 8; ++x)
        png.setPixel(x, 0, qRgb(255, 0, 0));
    png.save(QString::fromStdString(dir.file("one.png")));
    const auto url = [&](const char* name) { return QUrl::fromLocalFile(QString::fromStdString(dir.file(name))); };
    const struct { const char* what; QList<QUrl> urls; const char* message; bool tileSet; bool finder = false; } drops[] = {
        {"a tileset file", {url("one.kl")}, nullptr, true},
        {"a short one: Open's message", {url("short.kl")}, "Fatal Error 0002", false},
        {"a PNG picture, as the converter reads it", {url("one.png")}, nullptr, true},
        {"a short one again", {url("short.kl")}, "Fatal Error 0002", false},
        {"two: the first", {url("one.kl"), url("short.kl")}, nullptr, true},
        // Each row's sheet differs from the one before it.
        {"the Finder's open event, short", {url("short.kl")}, "Fatal Error 0002", false, true},
        {"the Finder's open event", {url("one.kl")}, nullptr, true, true},
    };
    for (const auto& d : drops) {
        SeenMessageBox seen;
        if (d.message)
            m_script.then(AnswerMessageBox(&seen, QMessageBox::Ok));
        if (d.finder) {
            QFileOpenEvent open(d.urls.first().toLocalFile());
            QApplication::sendEvent(QApplication::instance(), &open);
        } else {
            QMimeData data;
            data.setUrls(d.urls);
            const QPoint at = m_sheet->geometry().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_dlg.get(), &enter);
            EXPECT_TRUE(enter.isAccepted()) << d.what;
            QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_dlg.get(), &drop);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_script.done(); })) << d.what;
        ProcessEvents();
        if (d.message) {
            EXPECT_EQ(seen.text, d.message) << d.what;
        }
        TileBuffer top{};
        for (int i = 56; i < 64; ++i)
            top[i] = 255;
        EXPECT_EQ(SheetTile(0, 0), d.tileSet ? top : TileBuffer{}) << d.what;
    }
}

}  // namespace

} // namespace kelvane
