#include "AboutDlg.h"

#include "OptionsDlg.h"
#include "platform/DataExchange.h"

#include <QLabel>

namespace kelvane {

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(pParent)
{
    SetUpOptionsDlg(this, QStringLiteral("About Kelvane"), QStringLiteral("Arial"), 255, 106);
    AddStaticText(this, QStringLiteral("Kelvane for Windows"), 66, 10, 119, 8);
    AddStaticText(this, QStringLiteral("By the Kelvane developers, 2026"), 66, 22, 119, 8);
    AddOkButton(this, 198, 7, 50, 14);
    AddStaticText(this,
                  QStringLiteral("For everyone who still keeps a Virtual Boy on its stand, "
                                 "for the homebrew developers who give it new games, and "
                                 "in memory of Gunpei Yokoi, who gave us its red glow."),
                  7, 41, 241, 32);
    // The animation control, a tab stop, bound to m_animate by the data exchange.
    auto* animate = new QWidget(client());
    animate->setObjectName(QString::number(IDC_ANIMATE));
    animate->setFocusPolicy(Qt::StrongFocus);
    PlaceControl(animate, 7, 7, 53, 33);
    AddStaticText(this,
                  QStringLiteral("Virtual Boy and Nintendo, and the Virtual Boy and Nintendo "
                                 "logos, are trademarks of Nintendo. Kelvane is not made or "
                                 "endorsed by Nintendo."),
                  7, 78, 241, 21);
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ANIMATE, m_animate);
}

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_animate.Open(IDR_CLIP);
    m_animate.Play(0, CAnimateCtrl::kLastFrame, CAnimateCtrl::kRepeatForever);
    return true;
}

void CAboutDlg::showEvent(QShowEvent* event)
{
    CDialog::showEvent(event);
    // Sized to the clip, the control reaches into the dedication's first
    // line. As the window system stacks a template's controls, the earlier
    // ones lie on top, so the text stays readable over the clip's black.
    // (Restacked only now: the first tab stop, OK, has been chosen for the
    // focus in template order.)
    m_animate.lower();
}

void CAboutDlg::done(int result)
{
    m_animate.Stop();
    CDialog::done(result);
}

} // namespace kelvane
