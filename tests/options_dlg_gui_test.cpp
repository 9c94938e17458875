#include "app/AsmExportDlg.h"
#include "app/DibImportDlg.h"
#include "app/RomImportDlg.h"
#include "platform/DialogUnits.h"
#include "platform/MessageBox.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kelvane {

namespace {

template <typename W = QWidget>
W* Control(QWidget& dlg, const char* id)
{
    return dlg.findChild<W*>(QString::fromLatin1(id));
}

void Later(QObject* context, std::function<void()> fn)
{
    QTimer::singleShot(0, context, std::move(fn));
}

// Replaces a field's text by typing, as a user does.
void TypeInto(QLineEdit* edit, const QString& text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// What happened when the user filled in fields and clicked OK.
struct OkRun
{
    int result = 0;
    SeenMessageBox box;         // the refusal, if any
    bool openAfterBox = false;  // the dialog stayed open behind the box
    QString focusAfterBox;      // objectName of the focus widget then
    bool wholeTextSelected = false;
};

// Runs `dlg` modally, types the (id, text) pairs and clicks OK. A refusal
// is answered with OK, the dialog's state noted, and the dialog left with Esc.
OkRun TypeAndClickOk(CDialog& dlg, const std::vector<std::pair<const char*, const char*>>& fields)
{
    OkRun run;
    ModalScript script;
    script
        .then([&](QWidget*) {
            Later(&dlg, [&] {
                for (const auto& [id, text] : fields)
                    TypeInto(Control<QLineEdit>(dlg, id), QString::fromUtf8(text));
                QTest::mouseClick(Control<QPushButton>(dlg, "IDOK"), Qt::LeftButton);
            });
        })
        .then(AnswerMessageBox(&run.box, QMessageBox::Ok))
        .then([&](QWidget* w) {
            Later(&dlg, [&, w] {
                run.openAfterBox = w == &dlg && dlg.isVisible();
                QWidget* focus = QApplication::focusWidget();
                run.focusAfterBox = focus ? focus->objectName() : QString();
                if (auto* edit = qobject_cast<QLineEdit*>(focus))
                    run.wholeTextSelected = edit->selectedText() == edit->text() &&
                                            (edit->text().isEmpty() || edit->hasSelectedText());
                QTest::keyClick(focus ? focus : &dlg, Qt::Key_Escape);
            });
        });
    run.result = dlg.DoModal();
    EXPECT_EQ(script.unexpected(), 0) << "at most one message box";
    return run;
}

void ExpectOutcome(const OkRun& run, const char* prompt, const char* fieldId)
{
    if (!prompt) {
        EXPECT_EQ(run.result, IDOK);
        EXPECT_FALSE(run.box.seen);
        return;
    }
    EXPECT_EQ(run.result, IDCANCEL);
    EXPECT_EQ(run.box.text, QString::fromUtf8(prompt));
    EXPECT_EQ(run.box.title, AppTitle());
    EXPECT_EQ(run.box.icon, int(QMessageBox::Warning));
    EXPECT_EQ(run.box.buttons, int(QMessageBox::Ok));
    EXPECT_TRUE(run.openAfterBox);
    EXPECT_EQ(run.focusAfterBox, QString::fromLatin1(fieldId));
    EXPECT_TRUE(run.wholeTextSelected);
}

// Runs `dlg` modally, lets `act` work on it, then ends it with Esc or the
// close box.
int RunAndCancel(CDialog& dlg, const std::function<void()>& act, bool viaCloseBox = false)
{
    ModalScript script;
    script.then([&](QWidget*) {
        Later(&dlg, [&] {
            act();
            if (viaCloseBox)
                dlg.close();
            else
                QTest::keyClick(&dlg, Qt::Key_Escape);
        });
    });
    const int result = dlg.DoModal();
    EXPECT_EQ(script.unexpected(), 0);
    return result;
}

// Caption, font, fixed size, frame, the one OK button and the tab order.
void ExpectFrame(CDialog& dlg, const char* caption, const char* font, QSize size,
                 const QStringList& tabOrder)
{
    EXPECT_EQ(dlg.windowTitle(), QString::fromLatin1(caption));
    EXPECT_EQ(dlg.font().family(), QString::fromLatin1(font));
    EXPECT_EQ(dlg.font().pointSize(), 8);
    EXPECT_EQ(dlg.minimumSize(), size);
    EXPECT_EQ(dlg.maximumSize(), size);
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowCloseButtonHint);

    const QList<QPushButton*> buttons = dlg.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1) << "only an OK button";
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("OK"));
    EXPECT_TRUE(buttons[0]->isDefault());
    QStringList chain;
    QWidget* w = buttons[0];
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w->objectName();
        w = w->nextInFocusChain();
    } while (w != buttons[0]);
    EXPECT_EQ(chain, tabOrder);
}

// ---------------------------------------------------------------------------
// Count dialog (template 130)

struct CountCase
{
    const char* typed;
    const char* prompt;  // nullptr: accepted
    int charsAfter;      // after OK, or after Esc behind a refusal
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << '"' << c.typed << '"'; }

class AsmExportDlgOk : public ::testing::TestWithParam<CountCase>
{
};

TEST_P(AsmExportDlgOk, AcceptsOneTo256AndStoresARefusedNumber)
{
    CAsmExportDlg dlg;
    const OkRun run = TypeAndClickOk(dlg, {{"1018", GetParam().typed}});
    ExpectOutcome(run, GetParam().prompt, "1018");
    EXPECT_EQ(dlg.m_nChars, GetParam().charsAfter);
}

const char* const kCountRange = "Introduzca un número entero entre 1 y 256.";
const char* const kNotInt = "Introduzca un número entero.";

INSTANTIATE_TEST_SUITE_P(
    Cases, AsmExportDlgOk,
    ::testing::Values(CountCase{"1", nullptr, 1}, CountCase{"256", nullptr, 256},
                      CountCase{"0", kCountRange, 0}, CountCase{"257", kCountRange, 257},
                      CountCase{"-3", kCountRange, -3}, CountCase{"abc", kNotInt, 256},
                      CountCase{"99999999999", kCountRange, 2147483647},
                      CountCase{"12a", kNotInt, 256}, CountCase{"", kNotInt, 256}));

TEST(AsmExportDlg, OpensShowing256AndEscOrCloseBoxKeepIt)
{
    for (bool viaCloseBox : {false, true}) {
        CAsmExportDlg dlg;
        QString shown;
        auto act = [&] {
            shown = Control<QLineEdit>(dlg, "1018")->text();
            TypeInto(Control<QLineEdit>(dlg, "1018"), QStringLiteral("17"));
        };
        EXPECT_EQ(RunAndCancel(dlg, act, viaCloseBox), IDCANCEL);
        EXPECT_EQ(shown, QStringLiteral("256"));
        EXPECT_EQ(dlg.m_nChars, 256);
    }
}

TEST(AsmExportDlg, BlanksAndTabsAroundTheNumberAndEnterIsOk)
{
    CAsmExportDlg dlg;
    ModalScript script;
    script.then([&](QWidget*) {
        Later(&dlg, [&] {
            auto* edit = Control<QLineEdit>(dlg, "1018");
            edit->selectAll();
            edit->insert(QStringLiteral(" \t 12 \t"));  // tabs can only be pasted
            QTest::keyClick(edit, Qt::Key_Return);
        });
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nChars, 12);
}

TEST(AsmExportDlg, Layout)
{
    CAsmExportDlg dlg;
    ExpectFrame(dlg, "Kelvane", "Arial", QSize(285, 78), {"IDOK", "1018"});
    EXPECT_EQ(Control(dlg, "1018")->geometry(), QRect(227, 11, 48, 20));
    EXPECT_EQ(Control(dlg, "IDOK")->geometry(), QRect(104, 44, 75, 23));
    auto* label = dlg.findChild<QLabel*>();
    EXPECT_EQ(label->text(), QStringLiteral("How many chars do you want to save?"));
    EXPECT_EQ(label->geometry(), MapDialogRect(7, 7, 143, 10));
}

// ---------------------------------------------------------------------------
// ROM import options (template 131), for a file of 4096 bytes

struct RomCase
{
    const char* start;
    const char* chars;
    const char* prompt;  // nullptr: accepted
    const char* field;
    std::uint32_t startAfter;
    int charsAfter;
};

void PrintTo(const RomCase& c, std::ostream* os) { *os << c.start << ", " << c.chars; }

class RomImportDlgOk : public ::testing::TestWithParam<RomCase>
{
};

TEST_P(RomImportDlgOk, ChecksStartFirstThenChars)
{
    const RomCase& c = GetParam();
    CRomImportDlg dlg(4096);
    const OkRun run = TypeAndClickOk(dlg, {{"1019", c.start}, {"1018", c.chars}});
    ExpectOutcome(run, c.prompt, c.field);
    EXPECT_EQ(dlg.m_dwStart, c.startAfter);
    EXPECT_EQ(dlg.m_nChars, c.charsAfter);
}

const char* const kStartRange = "Introduzca un número entero entre 0 y 4096.";
const char* const kNotUInt = "Introduzca un número entero positivo.";

INSTANTIATE_TEST_SUITE_P(
    Cases, RomImportDlgOk,
    ::testing::Values(RomCase{"4096", "256", nullptr, nullptr, 4096u, 256},
                      RomCase{" 7\t", "\t3 ", nullptr, nullptr, 7u, 3},
                      RomCase{"4097", "1", kStartRange, "1019", 4097u, 0},
                      RomCase{"5000", "0", kStartRange, "1019", 5000u, 0},
                      RomCase{"-1", "1", kNotUInt, "1019", 0u, 0},
                      RomCase{"4294967296", "1", kStartRange, "1019", 4294967295u, 0},
                      RomCase{"x", "y", kNotUInt, "1019", 0u, 0},
                      RomCase{"10", "x", kNotInt, "1018", 10u, 0},
                      RomCase{"10", "0", kCountRange, "1018", 10u, 0},
                      RomCase{"10", "300", kCountRange, "1018", 10u, 300}));

TEST(RomImportDlg, OpensShowingZerosAndEscOrCloseBoxKeepThem)
{
    for (bool viaCloseBox : {false, true}) {
        CRomImportDlg dlg(4096);
        QStringList shown;
        auto act = [&] {
            shown << Control<QLineEdit>(dlg, "1019")->text()
                  << Control<QLineEdit>(dlg, "1018")->text();
            TypeInto(Control<QLineEdit>(dlg, "1019"), QStringLiteral("16"));
            TypeInto(Control<QLineEdit>(dlg, "1018"), QStringLiteral("3"));
        };
        EXPECT_EQ(RunAndCancel(dlg, act, viaCloseBox), IDCANCEL);
        EXPECT_EQ(shown, (QStringList{"0", "0"}));
        EXPECT_EQ(dlg.m_dwMaxStart, 4096u);
        EXPECT_EQ(dlg.m_dwStart, 0u);
        EXPECT_EQ(dlg.m_nChars, 0);
    }
}

TEST(RomImportDlg, EmptyFileAllowsOnlyStartZero)
{
    CRomImportDlg empty(0);
    ExpectOutcome(TypeAndClickOk(empty, {{"1019", "1"}, {"1018", "5"}}),
                  "Introduzca un número entero entre 0 y 0.", "1019");
    CRomImportDlg again(0);
    ExpectOutcome(TypeAndClickOk(again, {{"1019", "0"}, {"1018", "5"}}), nullptr, nullptr);
}

TEST(RomImportDlg, Layout)
{
    CRomImportDlg dlg(100);
    ExpectFrame(dlg, "Kelvane Options", "Arial", QSize(164, 102), {"IDOK", "1019", "1018"});
    EXPECT_EQ(Control(dlg, "1019")->geometry(), QRect(93, 11, 60, 20));
    EXPECT_EQ(Control(dlg, "1018")->geometry(), QRect(93, 36, 60, 19));

    // The two labels stand on lines one and three of the static text.
    auto* label = dlg.findChild<QLabel*>();
    EXPECT_EQ(label->geometry(), MapDialogRect(7, 7, 55, 26));
    dlg.show();
    const QImage img = Grab(label);
    dlg.hide();
    const QRgb background = img.pixel(img.width() - 1, img.height() - 1);
    const int line = label->fontMetrics().lineSpacing();
    ASSERT_LE(3 * line, img.height() + 2);
    auto inkInLine = [&](int k) {
        for (int y = k * line; y < std::min((k + 1) * line, img.height()); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != background)
                    return true;
        return false;
    };
    EXPECT_TRUE(inkInLine(0));
    EXPECT_FALSE(inkInLine(1));
    EXPECT_TRUE(inkInLine(2));
}

// ---------------------------------------------------------------------------
// DIB import options (template 132). States as "1020 1021 1022 1023", 1 = on.

QString Shown(CDibImportDlg& dlg)
{
    QStringList s;
    for (const char* id : {"1020", "1021", "1022", "1023"})
        s << (Control<QRadioButton>(dlg, id)->isChecked() ? "1" : "0");
    return s.join(' ');
}

QString Members(const CDibImportDlg& dlg)
{
    QStringList s;
    for (int v : {dlg.m_nMedian, dlg.m_n3BitReduction, dlg.m_nAdjustTiles, dlg.m_nReadAsCharMap})
        s << (v == 0 ? "1" : v == -1 ? "0" : "?");
    return s.join(' ');
}

// A real click at the middle of a radio button, hit-tested through the
// dialog's window (the group boxes lie above the buttons).
void ClickRadio(CDibImportDlg& dlg, const char* id)
{
    QWidget* radio = Control(dlg, id);
    const QPoint centre = radio->mapTo(&dlg, radio->rect().center());
    QTest::mouseClick(dlg.windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
}

struct ClickCase
{
    std::vector<const char*> clicks;
    const char* after;
};

void PrintTo(const ClickCase& c, std::ostream* os)
{
    for (const char* id : c.clicks)
        *os << id << ' ';
}

class DibImportDlgClicks : public ::testing::TestWithParam<ClickCase>
{
};

TEST_P(DibImportDlgClicks, KeepEachPairExclusiveAndEscKeepsTheChoicesShown)
{
    CDibImportDlg dlg;
    QString opened, shown;
    auto act = [&] {
        opened = Shown(dlg);
        for (const char* id : GetParam().clicks)
            ClickRadio(dlg, id);
        shown = Shown(dlg);
    };
    EXPECT_EQ(RunAndCancel(dlg, act), IDCANCEL);
    EXPECT_EQ(opened, QStringLiteral("0 1 0 1"));
    EXPECT_EQ(shown, QString::fromLatin1(GetParam().after));
    EXPECT_EQ(Members(dlg), shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, DibImportDlgClicks,
                         ::testing::Values(ClickCase{{"1020"}, "1 0 0 1"},
                                           ClickCase{{"1022"}, "0 1 1 0"},
                                           ClickCase{{"1021"}, "0 1 0 1"},
                                           ClickCase{{"1020", "1020"}, "1 0 0 1"},
                                           ClickCase{{"1020", "1021"}, "0 1 0 1"},
                                           ClickCase{{"1022", "1023"}, "0 1 0 1"},
                                           ClickCase{{"1020", "1022"}, "1 0 1 0"}));

TEST(DibImportDlg, DefaultsAndOnlyTheHandlerClearsThePartner)
{
    CDibImportDlg dlg;
    EXPECT_EQ(Members(dlg), QStringLiteral("0 1 0 1"));
    QString afterSet;
    RunAndCancel(dlg, [&] {
        Control<QRadioButton>(dlg, "1020")->setChecked(true);  // no click notification
        afterSet = Shown(dlg);
    });
    EXPECT_EQ(afterSet, QStringLiteral("1 1 0 1"));
    EXPECT_EQ(Members(dlg), QStringLiteral("0 1 0 1"));

    // The close box, like Esc, keeps what the clicks made of the members.
    CDibImportDlg closed;
    RunAndCancel(closed, [&] { ClickRadio(closed, "1022"); }, true);
    EXPECT_EQ(Members(closed), QStringLiteral("0 1 1 0"));

    CDibImportDlg fresh;
    EXPECT_EQ(TypeAndClickOk(fresh, {}).result, IDOK);
    EXPECT_EQ(Members(fresh), QStringLiteral("0 1 0 1"));
}

TEST(DibImportDlg, Layout)
{
    CDibImportDlg dlg;
    ExpectFrame(dlg, "Kelvane", "MS Sans Serif", QSize(246, 104), {"IDOK"});
    EXPECT_EQ(Control(dlg, "1020")->geometry(), QRect(15, 24, 59, 17));
    EXPECT_EQ(Control(dlg, "1023")->geometry(), MapDialogRect(85, 25, 71, 10));
    EXPECT_EQ(Control<QRadioButton>(dlg, "1021")->text(), QStringLiteral("3 Bit Reduction"));
    for (QRadioButton* radio : dlg.findChildren<QRadioButton*>()) {
        QStyleOptionButton opt;
        opt.initFrom(radio);
        opt.text = radio->text();
        const QRect text = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, radio);
        EXPECT_GE(text.width(), radio->fontMetrics().horizontalAdvance(radio->text()))
            << "text clipped: " << radio->text().toStdString();
    }
    const QList<QGroupBox*> boxes = dlg.findChildren<QGroupBox*>();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0]->title(), QStringLiteral("Color Reduction"));
    EXPECT_EQ(boxes[0]->geometry(), QRect(8, 8, 105, 57));
    EXPECT_EQ(boxes[1]->title(), QStringLiteral("DIB Restoring"));
    for (QGroupBox* box : boxes)
        EXPECT_EQ(box->alignment(), int(Qt::AlignHCenter));
}

}  // namespace

} // namespace kelvane
