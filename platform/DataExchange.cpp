#include "DataExchange.h"

#include "Dialog.h"
#include "MessageBox.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

namespace kelvane::win {

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Blanks and tabs, an optional sign, at least one ASCII digit, blanks and
// tabs, nothing else. The magnitude saturates just above the 32-bit range,
// so overlong digit strings cannot wrap around.
bool ScanDecimal(const QString& text, bool allowMinus, bool& negative, std::uint64_t& magnitude)
{
    constexpr std::uint64_t kSaturated = std::uint64_t{1} << 33;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && IsBlank(text[i]))
        ++i;
    negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        if (negative && !allowMinus)
            return false;
        ++i;
    }
    const qsizetype firstDigit = i;
    magnitude = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > kSaturated)
            magnitude = kSaturated;
        ++i;
    }
    if (i == firstDigit)
        return false;
    while (i < n && IsBlank(text[i]))
        ++i;
    return i == n;
}

QString IntPrompt()
{
    return QStringLiteral("Introduzca un número entero.");
}

QString UIntPrompt()
{
    return QStringLiteral("Introduzca un número entero positivo.");
}

QString RangePrompt(const QString& minVal, const QString& maxVal)
{
    return QStringLiteral("Introduzca un número entero entre %1 y %2.").arg(minVal, maxVal);
}

template <typename T>
void ExchangeNumber(CDataExchange* pDX, QLineEdit* edit, T& value,
                    bool (*parse)(const QString&, T&), const QString& prompt)
{
    if (pDX->Failed())
        return;
    pDX->PrepareEditCtrl(edit);
    if (!pDX->m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    if (!parse(edit->text(), value)) {
        AfxMessageBox(prompt);
        pDX->Fail();
    }
}

template <typename T>
void CheckRange(CDataExchange* pDX, T value, T minVal, T maxVal)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal) {
        AfxMessageBox(RangePrompt(QString::number(minVal), QString::number(maxVal)));
        pDX->Fail();
    }
}

}  // namespace

bool ParseSignedDecimal(const QString& text, int& value)
{
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ScanDecimal(text, true, negative, magnitude))
        return false;
    // Beyond the 32-bit range the number becomes the nearest 32-bit value,
    // as the C library's conversion gives it; the range check then judges it.
    const std::uint64_t limit = negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
    magnitude = std::min(magnitude, limit);
    const long long signedValue = negative ? -static_cast<long long>(magnitude)
                                           : static_cast<long long>(magnitude);
    value = static_cast<int>(signedValue);
    return true;
}

bool ParseUnsignedDecimal(const QString& text, std::uint32_t& value)
{
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!ScanDecimal(text, false, negative, magnitude))
        return false;
    value = static_cast<std::uint32_t>(std::min<std::uint64_t>(magnitude, 0xFFFFFFFFu));
    return true;
}

CDataExchange::CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

void CDataExchange::PrepareCtrl(QWidget* control)
{
    m_pLastControl = control;
    m_pLastEdit = nullptr;
}

void CDataExchange::PrepareEditCtrl(QLineEdit* edit)
{
    m_pLastControl = edit;
    m_pLastEdit = edit;
}

void CDataExchange::Fail()
{
    m_bFailed = true;
    if (!m_pLastControl)
        return;
    // The prompt's message box has just taken the activation away; give it
    // back to the dialog, as the window system does for a box's owner.
    QWidget* window = m_pLastControl->window();
    if (window->isVisible() && !window->isActiveWindow())
        window->activateWindow();
    m_pLastControl->setFocus(Qt::OtherFocusReason);
    if (m_pLastEdit)
        m_pLastEdit->selectAll();
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, int& value)
{
    ExchangeNumber(pDX, edit, value, &ParseSignedDecimal, IntPrompt());
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, std::uint32_t& value)
{
    ExchangeNumber(pDX, edit, value, &ParseUnsignedDecimal, UIntPrompt());
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    CheckRange(pDX, value, minVal, maxVal);
}

void DDV_MinMaxUInt(CDataExchange* pDX, std::uint32_t value, std::uint32_t minVal,
                    std::uint32_t maxVal)
{
    CheckRange(pDX, value, minVal, maxVal);
}

void DDX_Radio(CDataExchange* pDX, QRadioButton* button, int& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(button);
    if (pDX->m_bSaveAndValidate)
        value = button->isChecked() ? 0 : -1;
    else
        button->setChecked(value == 0);
}

void DDX_Control(CDataExchange* pDX, int nIDC, QWidget& rControl)
{
    QWidget* client = pDX->m_pDlgWnd->client();
    const QString id = QString::number(nIDC);
    QWidget* control = client->findChild<QWidget*>(id, Qt::FindDirectChildrenOnly);
    if (!control || control == &rControl)
        return;
    rControl.setParent(client);
    rControl.setObjectName(id);
    rControl.setGeometry(control->geometry());
    rControl.setFocusPolicy(control->focusPolicy());
    rControl.setEnabled(control->isEnabled());
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        rControl.setAccessibleName(button->text());
    // The template control's place among its siblings and in the tab order,
    // which close up behind it when it goes.
    rControl.stackUnder(control);
    QWidget::setTabOrder(control, &rControl);
    rControl.setVisible(!control->isHidden());
    delete control;
}

} // namespace kelvane::win
