#include "Dialog.h"

#include "DataExchange.h"
#include "DialogUnits.h"
#include "MessageBox.h"

#include <QApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

namespace kelvane::win {

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
    if (!parentWidget()) {
        // The framework's default owner: the active window, not as a QObject
        // parent (the dialog lives on its caller's stack) but as the window
        // it stays above and is centred on.
        QWidget* owner = QApplication::activeModalWidget();
        if (!owner)
            owner = QApplication::activeWindow();
        if (owner && owner->window() != this) {
            owner = owner->window();
            winId();
            if (QWindow* handle = windowHandle())
                handle->setTransientParent(owner->windowHandle());
            if (!testAttribute(Qt::WA_Moved))
                CenterWindow(owner);
        }
    }
    EnsureInitialised();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

namespace {

// The frame the window system drew around the program's last framed window.
QMargins& LastFrameSeen()
{
    static QMargins margins;
    return margins;
}

QMargins FrameOf(const QWidget* w)
{
    if (w->windowFlags() & Qt::FramelessWindowHint)
        return QMargins();
    const QWindow* handle = w->windowHandle();
    const QMargins margins = handle && handle->isExposed() ? handle->frameMargins() : QMargins();
    if (!margins.isNull())
        LastFrameSeen() = margins;
    return handle && handle->isExposed() ? margins : LastFrameSeen();
}

}  // namespace

bool CenterWindowOver(QWidget* window, QWidget* owner)
{
    const QMargins frame = FrameOf(window);
    const QSize outer = window->size().grownBy(frame);
    QRect area;
    if (owner) {
        owner = owner->window();
        area = QRect(owner->pos(), owner->size().grownBy(FrameOf(owner)));
    } else {
        const QScreen* scr = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        area = scr ? scr->availableGeometry() : QRect(QPoint(0, 0), outer);
    }
    // QWidget::move() places the outer top-left corner.
    window->move(area.left() + (area.width() - outer.width()) / 2,
                 area.top() + (area.height() - outer.height()) / 2);
    window->setAttribute(Qt::WA_Moved);
    const QWindow* handle = window->windowHandle();
    return window->isVisible() && handle && handle->isExposed();
}

void CDialog::CenterWindow(QWidget* owner)
{
    m_pCentreOwner = owner ? owner->window() : nullptr;
    m_bRecentre = !CenterWindowOver(this, owner);
}

bool CDialog::event(QEvent* e)
{
    if (e->type() == QEvent::Paint && m_bRecentre) {
        m_bRecentre = false;
        const QMargins guessed = LastFrameSeen();
        if (!(windowFlags() & Qt::FramelessWindowHint) && FrameOf(this) != guessed)
            CenterWindow(m_pCentreOwner);
        m_bRecentre = false;
    }
    return QDialog::event(e);
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
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
    // A dialog nobody placed opens centred (over its parent, if it has one).
    if (!testAttribute(Qt::WA_Moved) && !event->spontaneous())
        CenterWindow(parentWidget());
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

} // namespace kelvane::win
