#include "Dialog.h"

#include "DialogUnits.h"
#include "MessageBox.h"

#include <QShowEvent>

CDialog::CDialog(QWidget* parent)
    : QDialog(parent), m_client(new QWidget(this))
{
    m_client->setObjectName(QStringLiteral("client"));
}

void CDialog::SetTemplateSize(int cx, int cy)
{
    const QSize size = MapDialogSize(cx, cy);
    m_client->setGeometry(QRect(QPoint(0, 0), size));
    setFixedSize(size);
}

void CDialog::PlaceControl(QWidget* control, int x, int y, int cx, int cy)
{
    control->setGeometry(MapDialogRect(x, y, cx, cy));
}

int CDialog::DoModal()
{
    EnsureInitialised();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CDialog::OnInitDialog()
{
    return true;
}

void CDialog::OnOK()
{
    m_bInBaseCommand = true;
    QDialog::accept();
    m_bInBaseCommand = false;
}

void CDialog::OnCancel()
{
    m_bInBaseCommand = true;
    QDialog::reject();
    m_bInBaseCommand = false;
}

void CDialog::showEvent(QShowEvent* event)
{
    EnsureInitialised();
    QDialog::showEvent(event);
}

void CDialog::accept()
{
    if (m_bInBaseCommand)
        QDialog::accept();
    else
        OnOK();
}

void CDialog::reject()
{
    if (m_bInBaseCommand)
        QDialog::reject();
    else
        OnCancel();
}

void CDialog::EnsureInitialised()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    if (OnInitDialog()) {
        // The framework's choice of focus: the first control with a tab stop.
        for (QWidget* w : m_client->findChildren<QWidget*>()) {
            if (w->focusPolicy() & Qt::TabFocus && w->isEnabled()) {
                w->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}
