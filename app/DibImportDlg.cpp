#include "DibImportDlg.h"

#include "OptionsDlg.h"
#include "platform/DataExchange.h"

#include <QRadioButton>

namespace kelvane {

CDibImportDlg::CDibImportDlg(QWidget* pParent)
    : CDialog(pParent)
{
    SetUpOptionsDlg(this, QStringLiteral("Kelvane"), QStringLiteral("MS Sans Serif"), 164, 64);
    AddOkButton(this, 57, 45, 50, 14);
    m_radioMedian = AddRadioButton(this, QStringLiteral("1020"), QStringLiteral("Median"),
                                   10, 15, 39, 10);
    m_radio3BitReduction = AddRadioButton(this, QStringLiteral("1021"),
                                          QStringLiteral("3 Bit Reduction"), 10, 25, 61, 10);
    AddGroupBox(this, QStringLiteral("Color Reduction"), 5, 5, 70, 35);
    m_radioAdjustTiles = AddRadioButton(this, QStringLiteral("1022"),
                                        QStringLiteral("Adjust Tiles"), 85, 15, 51, 10);
    m_radioReadAsCharMap = AddRadioButton(this, QStringLiteral("1023"),
                                          QStringLiteral("Read as CharMap"), 85, 25, 71, 10);
    AddGroupBox(this, QStringLiteral("DIB Restoring"), 80, 5, 80, 35);

    connect(m_radioMedian, &QRadioButton::clicked, this, [this] { OnMedian(); });
    connect(m_radio3BitReduction, &QRadioButton::clicked, this, [this] { On3BitReduction(); });
    connect(m_radioAdjustTiles, &QRadioButton::clicked, this, [this] { OnAdjustTiles(); });
    connect(m_radioReadAsCharMap, &QRadioButton::clicked, this, [this] { OnReadAsCharMap(); });
}

void CDibImportDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, m_radio3BitReduction, m_n3BitReduction);
    DDX_Radio(pDX, m_radioAdjustTiles, m_nAdjustTiles);
    DDX_Radio(pDX, m_radioReadAsCharMap, m_nReadAsCharMap);
    DDX_Radio(pDX, m_radioMedian, m_nMedian);
}

void CDibImportDlg::Choose(int& chosen, int& partner)
{
    if (!UpdateData(true))
        return;
    chosen = 0;
    partner = -1;
    UpdateData(false);
}

void CDibImportDlg::OnMedian()
{
    Choose(m_nMedian, m_n3BitReduction);
}

void CDibImportDlg::On3BitReduction()
{
    Choose(m_n3BitReduction, m_nMedian);
}

void CDibImportDlg::OnAdjustTiles()
{
    Choose(m_nAdjustTiles, m_nReadAsCharMap);
}

void CDibImportDlg::OnReadAsCharMap()
{
    Choose(m_nReadAsCharMap, m_nAdjustTiles);
}

} // namespace kelvane
