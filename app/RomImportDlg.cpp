#include "RomImportDlg.h"

#include "OptionsDlg.h"
#include "platform/DataExchange.h"

#include <QLineEdit>

namespace kelvane {

CRomImportDlg::CRomImportDlg(std::uint32_t dwFileSize, QWidget* pParent)
    : CDialog(pParent), m_dwMaxStart(dwFileSize)
{
    SetUpOptionsDlg(this, QStringLiteral("Kelvane Options"), QStringLiteral("Arial"), 109, 63);
    AddOkButton(this, 29, 42, 50, 14);
    AddStaticText(this, QStringLiteral("Start in byte:\n\n# of chars:"), 7, 7, 55, 26);
    m_editStart = AddEdit(this, QStringLiteral("1019"), 62, 7, 40, 12);
    m_editChars = AddEdit(this, QStringLiteral("1018"), 62, 22, 40, 12);
}

void CRomImportDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, m_editStart, m_dwStart);
    DDV_MinMaxUInt(pDX, m_dwStart, 0, m_dwMaxStart);
    DDX_Text(pDX, m_editChars, m_nChars);
    DDV_MinMaxInt(pDX, m_nChars, 1, 256);
}

void CRomImportDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    CDialog::OnOK();
}

} // namespace kelvane
