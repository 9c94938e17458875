#pragma once

#include "platform/Dialog.h"

class QRadioButton;

namespace kelvane {

// The options of the DIB import: colour reduction ("Median" or "3 Bit
// Reduction") and restoring ("Adjust Tiles" or "Read as CharMap"). Each
// radio button is a group of its own, held in its member as 0 (checked) or
// -1 (not); the click handlers keep each pair exclusive.
class CDibImportDlg : public CDialog
{
    Q_OBJECT

public:
    enum { IDD = 132 };

    explicit CDibImportDlg(QWidget* pParent = nullptr);

    int m_nMedian = -1;
    int m_n3BitReduction = 0;
    int m_nAdjustTiles = -1;
    int m_nReadAsCharMap = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnMedian();
    void On3BitReduction();
    void OnAdjustTiles();
    void OnReadAsCharMap();

private:
    // Takes the buttons over; if that succeeds, checks `chosen`, clears
    // `partner` and shows the members again.
    void Choose(int& chosen, int& partner);

    QRadioButton* m_radioMedian;          // 1020
    QRadioButton* m_radio3BitReduction;   // 1021
    QRadioButton* m_radioAdjustTiles;     // 1022
    QRadioButton* m_radioReadAsCharMap;   // 1023
};

} // namespace kelvane
