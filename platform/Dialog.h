#pragma once

#include <QDialog>

// Base of the program's dialogs, built after a dialog template: a client
// area whose size is given in dialog units, controls placed in it in client
// coordinates, an initialisation hook that runs before the dialog is first
// shown, and the OK/Cancel commands of the framework (Esc and the close box
// are Cancel).
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
    // Returns IDOK (1) or IDCANCEL (2).
    int DoModal();

protected:
    // Runs once, before the dialog is first shown. Returns true to let the
    // framework put the focus on the first control with a tab stop.
    virtual bool OnInitDialog();
    virtual void OnOK();      // default: accept()
    virtual void OnCancel();  // default: reject()

    void showEvent(QShowEvent* event) override;
    void accept() override;
    void reject() override;

private:
    void EnsureInitialised();

    QWidget* m_client;
    bool m_bInitialised = false;
    bool m_bInBaseCommand = false;
};
