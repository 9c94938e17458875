#include "caption/CaptionPainter.h"
#include "caption/SubclassWnd.h"
#include "platform/Gdi.h"
#include "support/GuiTest.h"
#include "support/MainWindowTest.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace kelvane {

namespace {

constexpr UINT kTestMsg = WM_USER + 1;
constexpr UINT kNestedMsg = WM_USER + 2;
constexpr UINT kPaintMsg = WM_USER + 5;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// A bare window of the layer: a client area of cx x 60 inside a dialog frame
// and caption. Its own procedure logs what reaches it as "W<msg>/<wParam>"
// and answers the paint message with the gradient caption.
class CBareWnd : public CWnd
{
public:
    CBareWnd(std::ostringstream* log, int cx = 200) : m_log(log)
    {
        m_client.setParent(&m_window);
        m_client.resize(cx, 60);
        CreateFrame(&m_window, &m_client, kDialogStyle, 0);
    }
    ~CBareWnd() override { DestroyWindow(); }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        *m_log << "W" << std::hex << msg << std::dec << "/" << wParam << " ";
        if (msg != kPaintMsg)
            return CWnd::WindowProc(msg, wParam, lParam);
        (lParam ? m_nPaints : m_nDrops) += 1;
        m_pPainter->DrawGradientCaption(BOOL(wParam), reinterpret_cast<CaptionPaintInfo*>(lParam),
                                        QStringLiteral("Test"));
        return 0;
    }

    std::ostringstream* m_log;
    QWidget m_window;
    QWidget m_client;
    CCaptionPainter* m_pPainter = nullptr;
    int m_nPaints = 0;
    int m_nDrops = 0;
};

// A hook that logs what reaches it; as 'R' it rewrites the test message's
// wParam to 7 in the current-message record and passes it on with Default,
// as 'N' it sends a nested message first and logs the message the record
// holds after it.
class CLogHook : public CSubclassWnd
{
public:
    CLogHook(char name, std::ostringstream* log) : m_name(name), m_log(log) {}

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        *m_log << m_name << std::hex << msg << std::dec << "/" << wParam << " ";
        if (msg == kTestMsg && m_name == 'R') {
            AfxGetCurrentMessage()->wParam = 7;
            return Default();
        }
        if (msg == kTestMsg && m_name == 'N') {
            SendMessageA(m_pHookedWnd->GetSafeHwnd(), kNestedMsg, 9, 0);
            *m_log << "N" << std::hex << AfxGetCurrentMessage()->message << std::dec << " ";
        }
        return CSubclassWnd::WindowProc(msg, wParam, lParam);
    }

private:
    char m_name;
    std::ostringstream* m_log;
};

struct ChainCase
{
    const char* script;  // "X+" attaches hook X, "X-" detaches it; "send"; "destroy"
    const char* log;     // what the hooks and the window's own procedure saw, in order
    const char* hooks;   // the window's hooks afterwards, newest first
};

const ChainCase kChainCases[] = {
    {"A+ B+ send", "B401/5 A401/5 W401/5 ", "BA"},
    {"A+ B+ B- send", "A401/5 W401/5 ", "A"},
    {"A+ B+ A- send", "B401/5 W401/5 ", "B"},
    {"A+ A- send", "W401/5 ", ""},
    {"A+ B+ destroy", "W82/0 ", ""},
    {"A+ R+ send", "R401/5 A401/7 W401/7 ", "RA"},
    {"A+ N+ send", "N401/5 N402/9 A402/9 W402/9 N401 A401/5 W401/5 ", "NA"},
};

class HookChain : public ::testing::TestWithParam<ChainCase>
{
};

TEST_P(HookChain, PassesMessagesNewestFirstAndKeepsTheMapTrue)
{
    const ChainCase c = GetParam();
    std::ostringstream log;
    std::map<char, std::unique_ptr<CLogHook>> hooks;
    for (const char n : {'A', 'B', 'R', 'N'})
        hooks[n] = std::make_unique<CLogHook>(n, &log);
    CBareWnd wnd(&log);
    const HWND hwnd = wnd.GetSafeHwnd();

    MSG* record = AfxGetCurrentMessage();
    *record = MSG{nullptr, 0x1234, 11, 12, 13, POINT{14, 15}};
    std::istringstream steps(c.script);
    for (std::string step; steps >> step;) {
        if (step == "send")
            SendMessageA(hwnd, kTestMsg, 5, 6);
        else if (step == "destroy")
            wnd.DestroyWindow();
        else
            hooks[step[0]]->HookWindow(step[1] == '+' ? &wnd : nullptr);
    }
    EXPECT_EQ(log.str(), c.log);
    // The record holds again what it held before any message arrived.
    EXPECT_TRUE(record->hwnd == nullptr && record->message == 0x1234 && record->wParam == 11 &&
                record->lParam == 12 && record->time == 13 && record->pt.x == 14 &&
                record->pt.y == 15);

    std::string chain;
    for (CSubclassWnd* h = GetHookMap().Lookup(hwnd); h; h = h->m_pNextHook)
        chain += static_cast<CLogHook*>(h) == hooks['A'].get()   ? 'A'
                 : static_cast<CLogHook*>(h) == hooks['B'].get() ? 'B'
                 : static_cast<CLogHook*>(h) == hooks['R'].get() ? 'R'
                                                                 : 'N';
    EXPECT_EQ(chain, c.hooks);
    for (const auto& [name, hook] : hooks) {
        const bool attached = chain.find(name) != std::string::npos;
        EXPECT_EQ(hook->m_pHookedWnd, attached ? &wnd : nullptr) << name;
        EXPECT_EQ(hook->m_pfnSavedProc, attached ? &AfxWndProc : nullptr) << name;
    }
    if (wnd.GetSafeHwnd()) {
        const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongA(hwnd, GWL_WNDPROC));
        EXPECT_EQ(proc, chain.empty() ? &AfxWndProc : &HookWndProc);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HookChain, ::testing::ValuesIn(kChainCases));

struct GradientCase
{
    int cx;
    int x;
    QRgb rgb;
};

// The active background: solid violet from 5/6 of the width, then bands of
// width/64 (at least 1) falling off with the square of their distance.
const GradientCase kGradientCases[] = {
    {400, 399, qRgb(200, 0, 255)}, {400, 333, qRgb(200, 0, 255)}, {400, 328, qRgb(200, 0, 255)},
    {400, 172, qRgb(151, 0, 193)}, {400, 168, qRgb(151, 0, 193)}, {400, 167, qRgb(148, 0, 189)},
    {400, 83, qRgb(88, 0, 112)},   {400, 7, qRgb(4, 0, 5)},       {400, 3, qRgb(4, 0, 5)},
    {400, 2, qRgb(0, 0, 0)},       {400, 0, qRgb(0, 0, 0)},       {120, 119, qRgb(200, 0, 255)},
    {120, 99, qRgb(200, 0, 255)},  {120, 50, qRgb(150, 0, 192)},  {120, 1, qRgb(4, 0, 6)},
    {120, 0, qRgb(0, 0, 0)},
};

TEST(CaptionGradient, WorkedExamples)
{
    for (const GradientCase& c : kGradientCases) {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, c.cx, 18));
        dc.SelectObject(&bitmap);
        PaintCaptionGradient(dc, c.cx, 18);
        dc.DeleteDC();
        for (const int y : {0, 17})
            EXPECT_EQ(QColor(bitmap.Image().pixel(c.x, y)), QColor(c.rgb)) << c.cx << " x " << c.x;
    }
    EXPECT_EQ(GetLuminosity(RGB(0, 0, 0)), 0);
    EXPECT_EQ(GetLuminosity(RGB(255, 255, 255)), 240);
    EXPECT_EQ(GetLuminosity(RGB(95, 95, 95)), 89);
    EXPECT_EQ(GetLuminosity(RGB(96, 96, 96)), 90);
}

class CaptionPainterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_wnd.m_pPainter = &m_painter;
        m_painter.Install(&m_wnd, kPaintMsg);
    }

    int Images() const
    {
        return (m_painter.m_bitmaps[0].GetSafeHandle() != nullptr) +
               (m_painter.m_bitmaps[1].GetSafeHandle() != nullptr);
    }

    std::ostringstream m_log;
    CCaptionPainter m_painter;
    CBareWnd m_wnd{&m_log};
};

TEST_F(CaptionPainterTest, TitleColourFollowsLuminosityOfTheCaptionTextColour)
{
    const struct
    {
        int grey;
        QRgb text;
        QRgb absent;
    } cases[] = {{95, qRgb(255, 255, 255), qRgb(95, 95, 95)},
                 {96, qRgb(96, 96, 96), qRgb(255, 255, 255)}};
    const int element = COLOR_CAPTIONTEXT;
    for (const auto& c : cases) {
        const COLORREF grey = RGB(c.grey, c.grey, c.grey);
        SetSysColors(1, &element, &grey);
        m_painter.m_bActive = TRUE;
        m_painter.PaintCaption();
        const QImage& img = m_painter.m_bitmaps[1].Image();
        int text = 0, absent = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 20; x < img.width() - 18; ++x) {
                text += img.pixel(x, y) == c.text;
                absent += img.pixel(x, y) == c.absent;
            }
        EXPECT_GT(text, 10) << c.grey;
        EXPECT_EQ(absent, 0) << c.grey;
    }
    const COLORREF white = RGB(255, 255, 255);
    SetSysColors(1, &element, &white);
}

TEST_F(CaptionPainterTest, OwnerPaintsOnlyNewImages)
{
    const HWND hwnd = m_wnd.GetSafeHwnd();
    const struct
    {
        const char* action;
        int paints;  // the owner's paints so far
        int drops;   // the owner's font drops so far
        int images;  // cached images after the action
    } steps[] = {
        {"paint", 1, 0, 1},    {"paint", 1, 0, 1},  {"ncpaint", 1, 0, 1}, {"active", 2, 0, 2},
        {"inactive", 2, 0, 2}, {"active", 2, 0, 2}, {"resize", 3, 0, 1},  {"settings", 4, 1, 1},
        {"colors", 5, 2, 1},
    };
    for (const auto& s : steps) {
        const std::string a = s.action;
        if (a == "paint")
            m_painter.PaintCaption();
        else if (a == "ncpaint")
            SendMessageA(hwnd, WM_NCPAINT, 1, 0);
        else if (a == "active" || a == "inactive")
            SendMessageA(hwnd, WM_NCACTIVATE, a == "active", 0);
        else if (a == "resize")
            m_wnd.m_window.setFixedWidth(m_wnd.m_window.width() + 20);
        else
            SendMessageA(hwnd, a == "settings" ? WM_SETTINGCHANGE : WM_SYSCOLORCHANGE, 0, 0);
        if (a == "resize" || a == "settings" || a == "colors") {
            EXPECT_EQ(m_painter.m_captionFont.GetSafeHandle() == nullptr, a != "resize") << a;
            m_painter.PaintCaption();
        }
        EXPECT_EQ(m_wnd.m_nPaints, s.paints) << a;
        EXPECT_EQ(m_wnd.m_nDrops, s.drops) << a;
        EXPECT_EQ(Images(), s.images) << a;
    }
    // Made again at the caption's height of the moment: a cell of 17 pixels.
    ASSERT_TRUE(m_painter.m_captionFont.GetSafeHandle());
    const QFont font = *m_painter.m_captionFont.GetSafeHandle();
    EXPECT_LE(QFontMetrics(font).height(), 17);
    EXPECT_TRUE(font.italic() && font.weight() == QFont::ExtraBold);
}

TEST_F(CaptionPainterTest, ActivationAndRegionsReachTheWindowOnlyWhenNeeded)
{
    const HWND hwnd = m_wnd.GetSafeHwnd();
    const struct
    {
        bool enabled;
        BOOL showing;
        WPARAM sent;
        BOOL shown;
        const char* passedOn;  // what the window's procedure saw
    } cases[] = {
        {true, TRUE, 1, TRUE, ""},
        {false, FALSE, 1, FALSE, ""},
        {false, TRUE, 1, FALSE, "W86/0 "},
        {true, FALSE, 1, TRUE, "W86/1 "},
    };
    for (const auto& c : cases) {
        m_wnd.m_window.setEnabled(c.enabled);
        m_painter.m_bActive = c.showing;
        m_painter.PaintCaption();
        m_log.str("");
        EXPECT_EQ(SendMessageA(hwnd, WM_NCACTIVATE, c.sent, 0), TRUE);
        EXPECT_EQ(m_painter.m_bActive, c.shown);
        const std::string log = m_log.str();
        EXPECT_EQ(log.substr(0, log.find("W85")), c.passedOn) << c.enabled << c.showing;
        EXPECT_EQ(DWORD(GetWindowLongA(hwnd, GWL_STYLE)) & WS_VISIBLE, 0u);
    }
    m_wnd.m_window.setEnabled(true);

    // A region below the caption goes to the window as it came; one over the
    // caption comes without it, and the caption is copied from its image.
    const QPoint origin = m_wnd.m_window.frameGeometry().topLeft();
    for (const int top : {40, 5}) {
        RECT r{origin.x(), origin.y() + top, origin.x() + 50, origin.y() + top + 10};
        const HRGN rgn = CreateRectRgnIndirect(&r);
        m_log.str("");
        SendMessageA(hwnd, WM_NCPAINT, rgn, 0);
        const std::string unchanged = "W85/" + std::to_string(rgn) + " ";
        EXPECT_EQ(m_log.str().rfind(unchanged, 0) == 0, top == 40) << m_log.str();
        DeleteObject(rgn);
    }
}

class CaptionMainWindow : public MainWindowTest
{
protected:
    QRgb CaptionPixel(int x, int y) { return Grab(m_dlg.get()).pixel(3 + x, 3 + y); }
};

TEST_F(CaptionMainWindow, DrawsItsCaptionAndRunsItsSystemMenu)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    ProcessEvents();
    EXPECT_EQ(m_dlg->size(), QSize(425, 220));
    // Active: violet from x 349 of the 419 px caption, bands of 5 pixels
    // down to black at the left, the close button's face, the frame's highlight.
    EXPECT_EQ(CaptionPixel(360, 17), qRgb(200, 0, 255));
    EXPECT_EQ(CaptionPixel(200, 17), qRgb(164, 0, 208));
    EXPECT_EQ(CaptionPixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(CaptionPixel(403, 12), qRgb(192, 192, 192));
    EXPECT_EQ(Grab(m_dlg.get()).pixel(1, 1), qRgb(255, 255, 255));

    // Inactive while a message box is open, active again after.
    QRgb whileOpen = 0;
    m_script.then([&](QWidget* box) {
        whileOpen = CaptionPixel(360, 17);
        AnswerMessageBox(nullptr, QMessageBox::No)(box);
    });
    ClickButton(IDC_NEW);
    EXPECT_EQ(whileOpen, qRgb(128, 128, 128));
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    EXPECT_EQ(CaptionPixel(360, 17), qRgb(200, 0, 255));

    // The system menu: Move, Close, then the About item after a separator.
    CMenu* menu = GetSystemMenu(m_dlg->GetSafeHwnd(), FALSE);
    ASSERT_TRUE(menu);
    const QList<QAction*> actions = menu->GetSafeMenu()->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4]->text(), QStringLiteral("&About Kelvane..."));
    QString about;
    for (int i = 0; i < 2; ++i)
        m_script.then([&](QWidget* w) {
            about = w->windowTitle();
            static_cast<QDialog*>(w)->reject();
        });
    actions[4]->trigger();
    EXPECT_EQ(about, QStringLiteral("About Kelvane"));
    about.clear();
    SendMessageA(m_dlg->GetSafeHwnd(), WM_SYSCOMMAND, 0x13, 0);  // low bits are the system's
    EXPECT_EQ(about, QStringLiteral("About Kelvane"));
    EXPECT_TRUE(m_script.done());

    // The close button is the dialog's Cancel.
    QTest::mouseClick(m_dlg.get(), Qt::LeftButton, Qt::NoModifier, QPoint(3 + 409, 3 + 9));
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
}

TEST_F(CaptionMainWindow, AFileOpenedWhileAnotherWindowIsActiveLeavesTheCaptionInactive)
{
    TempDir dir;
    Bytes one{1, 0};
    one.resize(2 + 16, 0x55);
    WriteFileBytes(dir.file("one.kl"), one);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    m_dlg->OpenFileLater(QString::fromStdString(dir.file("one.kl")));  // as the command line does
    EXPECT_TRUE(QTest::qWaitFor([&] { return SheetTile(0, 0) != TileBuffer{}; }));
    ProcessEvents();
    EXPECT_FALSE(m_dlg->isActiveWindow());
    EXPECT_EQ(CaptionPixel(360, 17), qRgb(128, 128, 128));
}

}  // namespace

} // namespace kelvane
