#pragma once

#include "Resource.h"
#include "platform/AnimateCtrl.h"
#include "platform/Dialog.h"

namespace kelvane {

// The About box: the program's name, credits and the console's clip, which
// loops from its first frame for as long as the box is open. OK, Esc and
// the close box close it.
class CAboutDlg : public CDialog
{
    Q_OBJECT

public:
    enum { IDD = IDD_ABOUTBOX };

    explicit CAboutDlg(QWidget* pParent = nullptr);

    CAnimateCtrl m_animate;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
};

} // namespace kelvane
