#pragma once

#include "platform/Platform.h"

#include <QDialog>
#include <QPointer>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

class CDataExchange;

// Moves `window` so that its outer rectangle (frame included) is centred
// over `owner`'s outer rectangle, or on the available area of its screen
// when there is no owner. The frame is what the window system gives the
// window; before it has shown one, the expected frame stands in for it, the
// result is false, and when the window is first painted with another frame
// it is centred again.
bool CenterWindowOver(QWidget* window, QWidget* owner);

// The frame expected around a window the window system has not framed yet:
// the one last seen around one of the program's framed windows.
QMargins& ExpectedFrame();

// Base of the program's dialogs, built after a dialog template: a client
// area whose size is given in dialog units, controls placed in it in client
// coordinates, an initialisation hook that runs before the dialog is first
// shown, the data exchange between controls and members, and the OK/Cancel
// commands of the framework (Esc and the close box are Cancel).
//
// Controls are children of client(), never of the dialog itself: the main
// window will get a caption bar of its own drawn above its client area, and
// client() is what moves down then.
class CDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CDialog(QWidget* parent = nullptr);

    QWidget* client() const { return m_client; }

    // Fixes the client area to cx x cy dialog units.
    void SetTemplateSize(int cx, int cy);
    // Places a control at a template rectangle (dialog units, client coordinates).
    static void PlaceControl(QWidget* control, int x, int y, int cx, int cy);

    // Runs the dialog modally: OnInitDialog once, then the modal loop.
    // Returns IDOK (1) or IDCANCEL (2). A dialog without a parent is owned,
    // for the run, by the application's active window.
    int DoModal();

    // CenterWindowOver for this dialog.
    void CenterWindow(QWidget* owner = nullptr);

    // Runs DoDataExchange: true moves the controls into the members and
    // checks them, false writes the members into the controls. Returns
    // false when a check failed (the user has been told and the failing
    // control has the focus).
    bool UpdateData(bool bSaveAndValidate = true);

protected:
    // The dialog's DDX_/DDV_ calls, in exchange order. Default: none.
    virtual void DoDataExchange(CDataExchange* pDX);

    // Runs once, before the dialog is first shown. Default: UpdateData(false).
    // Returns true to let the framework put the focus on the first control
    // with a tab stop.
    virtual bool OnInitDialog();
    virtual void OnOK();      // default: UpdateData(true), and accept() only if it succeeds
    virtual void OnCancel();  // default: reject(), no data exchange

    void showEvent(QShowEvent* event) override;

public:
    // The OK and Cancel commands (as QDialog's slots): they run OnOK and
    // OnCancel, whose base versions end the dialog.
    void accept() override;
    void reject() override;

private:
    void EnsureInitialised();

    QWidget* m_client;
    bool m_bInitialised = false;
    bool m_bInBaseCommand = false;
};

} // namespace kelvane::win
