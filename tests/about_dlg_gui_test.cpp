#include "app/AboutDlg.h"
#include "platform/DialogUnits.h"
#include "support/MainWindowTest.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace kelvane {

namespace {

// True when the control's picture is frame `index` of its clip where the
// clip shows, and black around it.
bool Shows(CAnimateCtrl* ctrl, const QImage& img, int index)
{
    std::vector<std::uint8_t> px;
    if (!ctrl->Clip().DecodeFrame(index, px).empty())
        return false;
    const int w = ctrl->Clip().Width();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb want = (x < w && y < ctrl->Clip().Height())
                                  ? ctrl->Clip().Palette()[px[std::size_t(y * w + x)]]
                                  : 0;
            if ((img.pixel(x, y) & 0xffffff) != want)
                return false;
        }
    return true;
}

}  // namespace

using AboutDlgTest = MainWindowTest;

// The clock the clips follow while a test holds one of these.
class TestClock
{
public:
    TestClock() { CAnimateCtrl::SetTimeSource([] { return s_nowUs; }); }
    ~TestClock() { CAnimateCtrl::SetTimeSource(nullptr); }
    static inline std::int64_t s_nowUs = 5'000'000;
};

TEST_F(AboutDlgTest, OpensFromTheButtonPlaysItsClipAndCloses)
{
    const TestClock clock;
    const struct { const char* route; std::function<void(CAboutDlg*)> close; } routes[] = {
        {"OK", [](CAboutDlg* d) {
             QTest::mouseClick(d->client()->findChild<QPushButton*>("IDOK"), Qt::LeftButton);
         }},
        {"Esc", [](CAboutDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }},
        {"close box", [](CAboutDlg* d) { d->close(); }},
    };
    // Frame k is on screen from k x 66,667 us after the start; after the
    // 33rd frame (32) the clip starts again at frame 0.
    const struct { std::int64_t us; int frame; } times[] = {
        {0, 0}, {66'666, 0}, {66'667, 1}, {32 * 66'667, 32}, {33 * 66'667 - 1, 32},
        {33 * 66'667, 0}, {34 * 66'667, 1},
    };
    for (const auto& r : routes) {
        QPointer<QWidget> seen;
        m_script.then([&](QWidget* w) {
            seen = w;
            auto* dlg = qobject_cast<CAboutDlg*>(w);
            if (!dlg) {
                ADD_FAILURE() << "not the About box: " << w->metaObject()->className();
                w->close();
                return;
            }
            CAnimateCtrl* ctrl = &dlg->m_animate;
            const std::int64_t start = TestClock::s_nowUs;
            for (const auto& t : times) {
                TestClock::s_nowUs = start + t.us;
                EXPECT_TRUE(Shows(ctrl, Grab(ctrl), t.frame)) << r.route << " at " << t.us;
            }
            EXPECT_TRUE(ctrl->IsPlaying()) << r.route;
            r.close(dlg);
        });
        // Time has gone on since the last box: the new one starts at frame 0 all the same.
        TestClock::s_nowUs += 1'234'567;
        ClickButton(IDC_ABOUT);
        EXPECT_TRUE(seen.isNull()) << r.route << ": the About box is still there";
    }
}

TEST_F(AboutDlgTest, TemplateTextsAndLayout)
{
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), "About Kelvane");
    EXPECT_EQ(dlg.client()->size(), MapDialogSize(255, 106));
    EXPECT_EQ(dlg.font().family(), "Arial");

    // The template's controls but the clip, which lies under them.
    const struct { const char* type; QRect rect; } controls[] = {
        {"QLabel", MapDialogRect(66, 10, 119, 8)},  {"QLabel", MapDialogRect(66, 22, 119, 8)},
        {"QPushButton", MapDialogRect(198, 7, 50, 14)}, {"QLabel", MapDialogRect(7, 41, 241, 32)},
        {"QLabel", MapDialogRect(7, 78, 241, 21)},
    };
    QList<QWidget*> children = dlg.client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), 6);
    EXPECT_EQ(children.takeFirst(), &dlg.m_animate);
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(children[i]->metaObject()->className(), controls[i].type) << i;
        EXPECT_EQ(children[i]->geometry(), controls[i].rect) << i;
        if (auto* label = qobject_cast<QLabel*>(children[i])) {
            EXPECT_FALSE(label->text().isEmpty()) << i;
        }
    }
    EXPECT_EQ(qobject_cast<QLabel*>(children[0])->text(), "Kelvane for Windows");
    // At its template place, sized to the clip once it is open; a tab stop.
    EXPECT_EQ(dlg.m_animate.geometry(),
              QRect(MapDialogRect(7, 7, 53, 33).topLeft(), QSize(80, 60)));
    EXPECT_EQ(dlg.m_animate.objectName(), QString::number(IDC_ANIMATE));
    EXPECT_TRUE(dlg.m_animate.focusPolicy() & Qt::TabFocus);
    auto* ok = qobject_cast<QPushButton*>(children[2]);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dlg.focusWidget(), ok);

    // Red text on black.
    const QImage img = Grab(&dlg);
    const QRect title = children[0]->geometry().translated(dlg.client()->pos());
    int red = 0;
    for (int y = title.top(); y <= title.bottom(); ++y)
        for (int x = title.left(); x <= title.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(img.pixel(img.width() - 2, img.height() - 2) & 0xffffff, 0u);
}

TEST(AnimateCtrl, OpensAndPlaysAsAsked)
{
    const int none = -1;
    const struct { const char* what; unsigned id, from, to, rep; bool opened, played;
                   int waitMs, frame; bool playing; } cases[] = {
        {"no such clip", 999, 0, 0xFFFF, unsigned(-1), false, false, 0, none, false},
        {"one frame: still", IDR_CLIP, 5, 5, unsigned(-1), true, true, 150, 5, false},
        {"two rounds of 3-4, then stays on 4", IDR_CLIP, 3, 4, 2, true, true, 400, 4, false},
        {"0xFFFF: the last frame", IDR_CLIP, 32, 0xFFFF, unsigned(-1), true, true, 100, 32, false},
        {"past the last frame", IDR_CLIP, 0, 33, 1, true, false, 0, 0, false},
        {"backwards", IDR_CLIP, 9, 8, 1, true, false, 0, 0, false},
    };
    for (const auto& c : cases) {
        CAnimateCtrl ctrl;
        ctrl.resize(100, 70);
        EXPECT_EQ(ctrl.SendMessage(CAnimateCtrl::ACM_OPEN, 0, c.id) != 0, c.opened) << c.what;
        EXPECT_EQ(ctrl.SendMessage(CAnimateCtrl::ACM_PLAY, c.rep, c.from | c.to << 16) != 0,
                  c.played) << c.what;
        QTest::qWait(c.waitMs);
        EXPECT_EQ(ctrl.CurrentFrame(), c.frame) << c.what;
        EXPECT_EQ(ctrl.IsPlaying(), c.playing) << c.what;
        const QImage img = Grab(&ctrl);
        if (c.frame == none) {  // blank: only the black background, at its own size
            QImage black(100, 70, img.format());
            black.fill(Qt::black);
            EXPECT_EQ(img, black) << c.what;
        } else if (!c.playing) {
            EXPECT_TRUE(Shows(&ctrl, img, c.frame)) << c.what;
        }
    }
}

} // namespace kelvane
