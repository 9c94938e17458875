#pragma once

#include "platform/Dialog.h"

class QLineEdit;

namespace kelvane {

// The count dialog of the ASM char map export and the native tileset
// writer: how many chars to write, 1 to 256, 256 when it opens.
class CAsmExportDlg : public CDialog
{
    Q_OBJECT

public:
    enum { IDD = 130 };

    explicit CAsmExportDlg(QWidget* pParent = nullptr);

    int m_nChars = 256;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    QLineEdit* m_editChars;  // 1018
};

} // namespace kelvane
