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

namespace kelvane {

namespace {

template <typename T>
struct ParseCase
{
    const char* text;
    std::optional<T> value;  // nothing: refused
};

template <typename T>
void ExpectParses(bool (*parse)(const QString&, T&), std::initializer_list<ParseCase<T>> cases)
{
    for (const ParseCase<T>& c : cases) {
        T value = 4711;
        EXPECT_EQ(parse(QString::fromUtf8(c.text), value), c.value.has_value()) << c.text;
        EXPECT_EQ(value, c.value.value_or(4711)) << "untouched when refused: " << c.text;
    }
}

TEST(DataExchange, SignedNumberSyntax)
{
    ExpectParses<int>(&ParseSignedDecimal,
                      {{"256", 256}, {"0", 0}, {"-17", -17}, {"+5", 5}, {" \t 12 \t", 12},
                       {"007", 7}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
                       {"2147483648", 2147483647}, {"-2147483649", -2147483647 - 1},
                       {"99999999999999999999999", 2147483647},
                       {"", {}}, {"   ", {}}, {"-", {}}, {"abc", {}}, {"12a", {}}, {"1 2", {}},
                       {"- 5", {}}, {"--5", {}}, {"0x10", {}}, {"1.0", {}}, {"\n5", {}},
                       {"٣", {}}});
}

TEST(DataExchange, UnsignedNumberSyntaxRefusesMinus)
{
    ExpectParses<std::uint32_t>(&ParseUnsignedDecimal,
                                {{"4096", 4096u}, {"\t0 ", 0u}, {"+3", 3u},
                                 {"4294967295", 4294967295u}, {"4294967296", 4294967295u}, {"-1", {}},
                                 {"-0", {}}, {" -0 ", {}}, {"x", {}}, {"", {}}, {"1e3", {}}});
}

// Exchanges an unsigned edit (0 to 4096), a signed edit (1 to 256) and a
// radio button, in that order.
class CProbeDlg : public CDialog
{
public:
    CProbeDlg()
    {
        SetTemplateSize(120, 60);
        m_editUInt = new QLineEdit(client());
        m_editInt = new QLineEdit(client());
        m_radio = new QRadioButton(QStringLiteral("radio"), client());
        m_radio->setAutoExclusive(false);
        PlaceControl(m_editUInt, 5, 5, 50, 12);
        PlaceControl(m_editInt, 5, 20, 50, 12);
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

TEST(DataExchange, BothDirectionsAndTheRadioGroupOfOne)
{
    CProbeDlg dlg;
    dlg.m_dwValue = 4294967295u;
    dlg.m_nValue = -5;  // out of range: written without complaint
    for (int radio : {0, -1}) {
        dlg.m_nRadio = radio;
        EXPECT_TRUE(dlg.UpdateData(false));
        EXPECT_EQ(dlg.m_editUInt->text(), QStringLiteral("4294967295"));
        EXPECT_EQ(dlg.m_editInt->text(), QStringLiteral("-5"));
        EXPECT_EQ(dlg.m_radio->isChecked(), radio == 0);
    }
    dlg.m_editUInt->setText(QStringLiteral("0"));
    dlg.m_editInt->setText(QStringLiteral("1"));
    for (bool checked : {true, false}) {
        dlg.m_radio->setChecked(checked);
        ASSERT_TRUE(dlg.UpdateData(true));
        EXPECT_EQ(dlg.m_nRadio, checked ? 0 : -1);
    }
}

TEST(DataExchange, InitialisationShowsMembersAndOkClosesOnlyOnSuccess)
{
    CProbeDlg dlg;
    dlg.m_nValue = 300;  // out of range: the first OK is refused

    SeenMessageBox refused;
    QString shownInt;
    bool openWithFieldSelected = false;
    ModalScript script;
    script
        .then([&](QWidget*) {
            shownInt = dlg.m_editInt->text();
            QTimer::singleShot(0, &dlg, [&] { dlg.accept(); });
        })
        .then(AnswerMessageBox(&refused, QMessageBox::Ok))
        .then([&](QWidget* w) {
            QTimer::singleShot(0, &dlg, [&, w] {
                openWithFieldSelected = w == &dlg && dlg.isVisible() &&
                                        QApplication::focusWidget() == dlg.m_editInt &&
                                        dlg.m_editInt->selectedText() == QStringLiteral("300");
                dlg.m_editInt->selectAll();
                QTest::keyClicks(dlg.m_editInt, QStringLiteral("200"));
                dlg.accept();
            });
        });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(shownInt, QStringLiteral("300"));
    EXPECT_EQ(refused.text, QStringLiteral("Introduzca un número entero entre 1 y 256."));
    EXPECT_EQ(refused.title, AppTitle());
    EXPECT_EQ(refused.icon, int(QMessageBox::Warning));
    EXPECT_EQ(refused.buttons, int(QMessageBox::Ok));
    EXPECT_TRUE(openWithFieldSelected);
    EXPECT_EQ(dlg.m_nValue, 200);
}

TEST(DataExchange, ParentlessDialogIsModalAndOwnedByTheActiveWindow)
{
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));

    CProbeDlg dlg;
    bool modal = false;
    QWindow* transientParent = nullptr;
    ModalScript script;
    script.then([&](QWidget* w) {
        modal = w == &dlg && dlg.isModal();
        transientParent = dlg.windowHandle()->transientParent();
        QTimer::singleShot(0, &dlg, [&] { dlg.reject(); });
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(modal);
    EXPECT_EQ(transientParent, owner.windowHandle());
    EXPECT_EQ(dlg.parent(), nullptr) << "owned as a window, not as a QObject child";
}

}  // namespace

} // namespace kelvane
