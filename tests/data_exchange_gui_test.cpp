#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "support/GuiTest.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <optional>

namespace {

// ---------------------------------------------------------------------------
// The number syntax of the edits.

struct SignedCase
{
    const char* text;
    std::optional<int> value;
};

void PrintTo(const SignedCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class SignedParse : public ::testing::TestWithParam<SignedCase>
{
};

TEST_P(SignedParse, AcceptsDecimalsWithBlanksAndTabsAround)
{
    const SignedCase& c = GetParam();
    int value = 4711;
    const bool ok = ParseSignedDecimal(QString::fromUtf8(c.text), value);
    ASSERT_EQ(ok, c.value.has_value()) << c.text;
    EXPECT_EQ(value, c.value.value_or(4711)) << "value left untouched on failure: " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SignedParse,
    ::testing::Values(SignedCase{"256", 256}, SignedCase{"0", 0}, SignedCase{"-17", -17},
                      SignedCase{"+5", 5}, SignedCase{" \t 12 \t", 12}, SignedCase{"007", 7},
                      SignedCase{"2147483647", 2147483647},
                      SignedCase{"-2147483648", -2147483647 - 1},
                      SignedCase{"2147483648", std::nullopt},
                      SignedCase{"-2147483649", std::nullopt},
                      SignedCase{"99999999999999999999999", std::nullopt},
                      SignedCase{"", std::nullopt}, SignedCase{"   ", std::nullopt},
                      SignedCase{"-", std::nullopt}, SignedCase{"abc", std::nullopt},
                      SignedCase{"12a", std::nullopt}, SignedCase{"1 2", std::nullopt},
                      SignedCase{"- 5", std::nullopt}, SignedCase{"--5", std::nullopt},
                      SignedCase{"0x10", std::nullopt}, SignedCase{"1.0", std::nullopt},
                      SignedCase{"\n5", std::nullopt}, SignedCase{"٣", std::nullopt}));

struct UnsignedCase
{
    const char* text;
    std::optional<std::uint32_t> value;
};

void PrintTo(const UnsignedCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class UnsignedParse : public ::testing::TestWithParam<UnsignedCase>
{
};

TEST_P(UnsignedParse, RefusesMinusAndValuesBeyond32Bits)
{
    const UnsignedCase& c = GetParam();
    std::uint32_t value = 4711;
    const bool ok = ParseUnsignedDecimal(QString::fromUtf8(c.text), value);
    ASSERT_EQ(ok, c.value.has_value()) << c.text;
    EXPECT_EQ(value, c.value.value_or(4711u)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnsignedParse,
    ::testing::Values(UnsignedCase{"4096", 4096u}, UnsignedCase{"\t0 ", 0u},
                      UnsignedCase{"+3", 3u}, UnsignedCase{"4294967295", 4294967295u},
                      UnsignedCase{"4294967296", std::nullopt},
                      UnsignedCase{"-1", std::nullopt}, UnsignedCase{"-0", std::nullopt},
                      UnsignedCase{" -0 ", std::nullopt}, UnsignedCase{"x", std::nullopt},
                      UnsignedCase{"", std::nullopt}, UnsignedCase{"1e3", std::nullopt}));

// ---------------------------------------------------------------------------
// A dialog that exchanges an unsigned edit, a signed edit and a radio
// button, in that order.

class CProbeDlg : public CDialog
{
public:
    CProbeDlg()
    {
        SetTemplateSize(120, 60);
        m_editUInt = new QLineEdit(client());
        m_editUInt->setObjectName(QStringLiteral("uint"));
        PlaceControl(m_editUInt, 5, 5, 50, 12);
        m_editInt = new QLineEdit(client());
        m_editInt->setObjectName(QStringLiteral("int"));
        PlaceControl(m_editInt, 5, 20, 50, 12);
        m_radio = new QRadioButton(QStringLiteral("radio"), client());
        m_radio->setAutoExclusive(false);
        PlaceControl(m_radio, 5, 35, 50, 10);
    }

    std::uint32_t m_dwValue = 9;
    int m_nValue = 7;
    int m_nRadio = -1;

    QLineEdit* m_editUInt;
    QLineEdit* m_editInt;
    QRadioButton* m_radio;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, m_editUInt, m_dwValue);
        DDV_MinMaxUInt(pDX, m_dwValue, 0, 4096);
        DDX_Text(pDX, m_editInt, m_nValue);
        DDV_MinMaxInt(pDX, m_nValue, 1, 256);
        DDX_Radio(pDX, m_radio, m_nRadio);
    }
};

void ShowActive(QWidget* w)
{
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

TEST(DataExchange, MembersToControlsWritesDecimalText)
{
    CProbeDlg dlg;
    dlg.m_dwValue = 4294967295u;
    dlg.m_nValue = -5;
    dlg.m_nRadio = 0;
    EXPECT_TRUE(dlg.UpdateData(false));
    EXPECT_EQ(dlg.m_editUInt->text(), QStringLiteral("4294967295"));
    EXPECT_EQ(dlg.m_editInt->text(), QStringLiteral("-5"));
    EXPECT_TRUE(dlg.m_radio->isChecked());

    // Out-of-range members are written without complaint.
    dlg.m_nValue = 1000;
    dlg.m_nRadio = -1;
    EXPECT_TRUE(dlg.UpdateData(false));
    EXPECT_EQ(dlg.m_editInt->text(), QStringLiteral("1000"));
    EXPECT_FALSE(dlg.m_radio->isChecked());
}

TEST(DataExchange, RadioGroupOfOneIsZeroWhenCheckedElseMinusOne)
{
    CProbeDlg dlg;
    dlg.m_editUInt->setText(QStringLiteral("0"));
    dlg.m_editInt->setText(QStringLiteral("1"));
    for (bool checked : {true, false, true}) {
        dlg.m_radio->setChecked(checked);
        ASSERT_TRUE(dlg.UpdateData(true));
        EXPECT_EQ(dlg.m_nRadio, checked ? 0 : -1);
    }
}

struct ExchangeCase
{
    const char* uintText;
    const char* intText;
    const char* prompt;  // nullptr: accepted
    const char* field;   // objectName of the field that gets the focus
    std::uint32_t dwAfter;
    int nAfter;
};

void PrintTo(const ExchangeCase& c, std::ostream* os)
{
    *os << '"' << c.uintText << "\", \"" << c.intText << '"';
}

class ControlsToMembers : public ::testing::TestWithParam<ExchangeCase>
{
};

TEST_P(ControlsToMembers, StoresChecksAndStopsAtTheFirstFailure)
{
    const ExchangeCase& c = GetParam();
    CProbeDlg dlg;
    ShowActive(&dlg);
    dlg.m_editUInt->setText(QString::fromUtf8(c.uintText));
    dlg.m_editInt->setText(QString::fromUtf8(c.intText));
    dlg.m_radio->setChecked(true);

    SeenMessageBox seen;
    ModalScript script;
    if (c.prompt)
        script.then(AnswerMessageBox(&seen, QMessageBox::Ok));
    const bool ok = dlg.UpdateData(true);
    ProcessEvents();

    EXPECT_TRUE(script.done());
    EXPECT_EQ(script.unexpected(), 0) << "one message box at most";
    EXPECT_EQ(dlg.m_dwValue, c.dwAfter);
    EXPECT_EQ(dlg.m_nValue, c.nAfter);
    if (!c.prompt) {
        EXPECT_TRUE(ok);
        EXPECT_EQ(dlg.m_nRadio, 0);
        return;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(dlg.m_nRadio, -1) << "the radio after the failure is not exchanged";
    EXPECT_EQ(seen.text, QString::fromUtf8(c.prompt));
    EXPECT_EQ(seen.title, AppTitle());
    EXPECT_EQ(seen.icon, int(QMessageBox::Warning));
    EXPECT_EQ(seen.buttons, int(QMessageBox::Ok));
    auto* field = dlg.findChild<QLineEdit*>(QString::fromUtf8(c.field));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->selectedText(), field->text());
    EXPECT_TRUE(field->hasSelectedText());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ControlsToMembers,
    ::testing::Values(
        ExchangeCase{"12", "34", nullptr, nullptr, 12u, 34},
        ExchangeCase{" \t 4096 \t", " 256\t", nullptr, nullptr, 4096u, 256},
        ExchangeCase{"x", "34", "Introduzca un número entero positivo.", "uint", 9u, 7},
        ExchangeCase{"-1", "34", "Introduzca un número entero positivo.", "uint", 9u, 7},
        ExchangeCase{"4294967296", "34", "Introduzca un número entero positivo.", "uint", 9u, 7},
        ExchangeCase{"4097", "abc", "Introduzca un número entero entre 0 y 4096.", "uint",
                     4097u, 7},
        ExchangeCase{"1", "abc", "Introduzca un número entero.", "int", 1u, 7},
        ExchangeCase{"1", "12a", "Introduzca un número entero.", "int", 1u, 7},
        ExchangeCase{"1", "2147483648", "Introduzca un número entero.", "int", 1u, 7},
        ExchangeCase{"1", "0", "Introduzca un número entero entre 1 y 256.", "int", 1u, 0},
        ExchangeCase{"1", "257", "Introduzca un número entero entre 1 y 256.", "int", 1u, 257},
        ExchangeCase{"1", "-2147483648", "Introduzca un número entero entre 1 y 256.", "int",
                     1u, -2147483647 - 1}));

// ---------------------------------------------------------------------------
// The framework's defaults of CDialog around the exchange.

TEST(DataExchangeDialog, InitialisationShowsMembersAndOkClosesOnlyOnSuccess)
{
    CProbeDlg dlg;
    dlg.m_nValue = 300;  // out of range: the first OK is refused

    SeenMessageBox refused;
    QString shownUInt, shownInt;
    bool stillOpen = false;
    ModalScript script;
    script
        .then([&](QWidget*) {
            shownUInt = dlg.m_editUInt->text();
            shownInt = dlg.m_editInt->text();
            QTimer::singleShot(0, &dlg, [&] { dlg.accept(); });
        })
        .then(AnswerMessageBox(&refused, QMessageBox::Ok))
        .then([&](QWidget* w) {
            stillOpen = w == &dlg && dlg.isVisible();
            QTimer::singleShot(0, &dlg, [&] {
                TypeInto(dlg.m_editInt, QStringLiteral("200"));
                dlg.accept();
            });
        });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(shownUInt, QStringLiteral("9"));
    EXPECT_EQ(shownInt, QStringLiteral("300"));
    EXPECT_EQ(refused.text, QStringLiteral("Introduzca un número entero entre 1 y 256."));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dlg.m_nValue, 200);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(DataExchangeDialog, EscapeAndCloseBoxEndWithoutExchange)
{
    for (bool viaCloseBox : {false, true}) {
        CProbeDlg dlg;
        ModalScript script;
        script.then([&](QWidget*) {
            QTimer::singleShot(0, &dlg, [&] {
                TypeInto(dlg.m_editInt, QStringLiteral("abc"));
                TypeInto(dlg.m_editUInt, QStringLiteral("55"));
                if (viaCloseBox)
                    dlg.close();
                else
                    QTest::keyClick(dlg.m_editInt, Qt::Key_Escape);
            });
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_TRUE(script.done());
        EXPECT_EQ(script.unexpected(), 0);
        EXPECT_EQ(dlg.m_dwValue, 9u);
        EXPECT_EQ(dlg.m_nValue, 7);
    }
}

TEST(DataExchangeDialog, ParentlessDialogIsModalAndOwnedByTheActiveWindow)
{
    QWidget owner;
    owner.resize(400, 300);
    ShowActive(&owner);

    CProbeDlg dlg;
    bool modal = false;
    QWindow* transientParent = nullptr;
    ModalScript script;
    script.then([&](QWidget* w) {
        modal = w == &dlg && dlg.isModal();
        transientParent = dlg.windowHandle() ? dlg.windowHandle()->transientParent() : nullptr;
        QTimer::singleShot(0, &dlg, [&] { dlg.reject(); });
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(modal);
    EXPECT_EQ(transientParent, owner.windowHandle());
    EXPECT_EQ(dlg.parent(), nullptr) << "owned as a window, not as a QObject child";
}

}  // namespace
