#include "AsmExportDlg.h"

#include "OptionsDlg.h"
#include "platform/DataExchange.h"

#include <QLineEdit>

namespace kelvane {

CAsmExportDlg::CAsmExportDlg(QWidget* pParent)
    : CDialog(pParent)
{
    SetUpOptionsDlg(this, QStringLiteral("Kelvane"), QStringLiteral("Arial"), 190, 48);
    AddOkButton(this, 69, 27, 50, 14);
    AddStaticText(this, QStringLiteral("How many chars do you want to save?"), 7, 7, 143, 10);
    m_editChars = AddEdit(this, QStringLiteral("1018"), 151, 7, 32, 12);
}

void CAsmExportDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, m_editChars, m_nChars);
    DDV_MinMaxInt(pDX, m_nChars, 1, 256);
}

void CAsmExportDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    CDialog::OnOK();
}

} // namespace kelvane
