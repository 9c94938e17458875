#pragma once

#include "platform/Platform.h"

#include <QString>

#include <cstdint>

#include "platform/NoWindowsMacros.h"  // after every other include

class QLineEdit;
class QRadioButton;
class QWidget;

namespace kelvane::win {

class CDialog;

// One run of a dialog's data exchange: the direction, the dialog, the last
// control exchanged and whether a check has failed.
//
// m_bSaveAndValidate true moves the controls' contents into the members and
// checks them; false writes the members into the controls. A failing check
// shows its prompt, puts the focus on the control it concerns (the whole
// text selected when it is an edit) and ends the exchange: every DDX_/DDV_
// call after the failure does nothing, so checks run in exchange order and
// stop at the first one that fails.
class CDataExchange
{
public:
    CDataExchange(CDialog* pDlgWnd, bool bSaveAndValidate);

    bool m_bSaveAndValidate;
    CDialog* m_pDlgWnd;

    // Notes the control that the following checks refer to.
    void PrepareCtrl(QWidget* control);
    void PrepareEditCtrl(QLineEdit* edit);

    // Ends the exchange as failed: focus on the last prepared control, its
    // text selected if it is an edit.
    void Fail();
    bool Failed() const { return m_bFailed; }

private:
    QWidget* m_pLastControl = nullptr;
    QLineEdit* m_pLastEdit = nullptr;
    bool m_bFailed = false;
};

// An edit holding a signed decimal number (32-bit). Blanks and tabs around
// the number are allowed; anything else is refused with "Introduzca un número
// entero.". A number beyond the 32-bit range is stored as the nearest 32-bit
// value, for the range check to judge.
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, int& value);
// An edit holding an unsigned decimal number (0 to 4,294,967,295, larger ones
// stored as 4,294,967,295); a minus sign is refused, with "Introduzca un
// número entero positivo.".
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, std::uint32_t& value);

// Range checks on the value that the preceding DDX_ call stored: outside
// min..max is refused with "Introduzca un número entero entre <min> y <max>.".
// They check only when saving.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, std::uint32_t value, std::uint32_t minVal,
                    std::uint32_t maxVal);

// Binds a member control to the dialog's control `nIDC`, which the dialog's
// template made: the member takes that control's place (rectangle, place
// among its siblings and in the tab order, tab stop, visibility, enabled
// state, and its id as object name), keeps a button's text only as its
// accessible name, and the template's control goes. Once bound, further
// exchanges leave it alone.
void DDX_Control(CDataExchange* pDX, int nIDC, QWidget& rControl);

// A radio group of one button: 0 when it is checked, -1 when it is not.
// Loading checks the button exactly when the value is 0.
void DDX_Radio(CDataExchange* pDX, QRadioButton* button, int& value);

// The edits' number syntax: blanks and tabs, an optional sign, decimal
// digits, blanks and tabs. True and the number, clamped to the type's range,
// when the text is one; false otherwise (value untouched). The unsigned form
// takes no minus.
bool ParseSignedDecimal(const QString& text, int& value);
bool ParseUnsignedDecimal(const QString& text, std::uint32_t& value);

} // namespace kelvane::win
