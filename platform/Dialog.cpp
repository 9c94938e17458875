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

QMargins& ExpectedFrame()
{
    static QMargins margins;
    return margins;
}

namespace {

bool FrameKnown(const QWidget* w)
{
    const QWindow* handle = w->windowHandle();
    return w->isVisible() && handle && handle->isExposed();
}

QMargins FrameOf(const QWidget* w)
{
    if (w->windowFlags() & Qt::FramelessWindowHint)
        return QMargins();
    if (!FrameKnown(w))
        return ExpectedFrame();
    const QMargins margins = w->windowHandle()->frameMargins();
    if (!margins.isNull())
        ExpectedFrame() = margins;
    return margins;
}

// Centres its window once more when it is first painted (or, where no frame
// was expected, once it has one), the frame the window system gave it then
// known, if that frame is not the one expected when it was placed.
class CRecentre : public QObject
{
public:
    static constexpr const char* kName = "kelvane-recentre";

    CRecentre(QWidget* window, QWidget* owner, QMargins expected)
        : QObject(window), m_pOwner(owner), m_expected(expected)
    {
        setObjectName(QLatin1String(kName));
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Paint:
        case QEvent::Move:
        case QEvent::WindowActivate:
            break;
        default:
            return false;
        }
        if (!FrameKnown(window))
            return false;
        const QMargins frame = FrameOf(window);
        // Some window managers show the window before its frame: with no
        // frame expected, one may still come.
        if (frame.isNull() && m_expected.isNull())
            return false;
        window->removeEventFilter(this);
        if (frame != m_expected)
            CenterWindowOver(window, m_pOwner);
        deleteLater();
        return false;
    }

private:
    QPointer<QWidget> m_pOwner;
    QMargins m_expected;
};

}  // namespace

bool CenterWindowOver(QWidget* window, QWidget* owner)
{
    for (QObject* pending : window->findChildren<QObject*>(QLatin1String(CRecentre::kName),
                                                           Qt::FindDirectChildrenOnly)) {
        window->removeEventFilter(pending);
        pending->deleteLater();
    }
    const bool known = FrameKnown(window);
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
    const QPoint outerPos(area.left() + (area.width() - outer.width()) / 2,
                          area.top() + (area.height() - outer.height()) / 2);
    // The client goes inside the frame: Qt would take a position given for
    // the frame as the client's before the window is framed (and, until its
    // widget has caught up, after).
    window->setGeometry(QRect(outerPos + QPoint(frame.left(), frame.top()), window->size()));
    // Put right once it is framed, if the frame is not the expected one.
    if (!known && !(window->windowFlags() & Qt::FramelessWindowHint))
        new CRecentre(window, owner, frame);
    window->setAttribute(Qt::WA_Moved);
    return known;
}

void CDialog::CenterWindow(QWidget* owner)
{
    CenterWindowOver(this, owner);
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
