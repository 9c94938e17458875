#pragma once

#include "platform/Dialog.h"

#include <cstdint>

class QLineEdit;

namespace kelvane {

// The options of the ROM image import: the byte at which the chars begin
// (0 to the file's size) and how many chars to read (1 to 256). Both fields
// open showing 0.
class CRomImportDlg : public CDialog
{
    Q_OBJECT

public:
    enum { IDD = 131 };

    explicit CRomImportDlg(std::uint32_t dwFileSize, QWidget* pParent = nullptr);

    std::uint32_t m_dwMaxStart;
    std::uint32_t m_dwStart = 0;
    int m_nChars = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    QLineEdit* m_editStart;  // 1019
    QLineEdit* m_editChars;  // 1018
};

} // namespace kelvane
