#pragma once

#include "platform/Platform.h"

#include <QString>

#include "platform/NoWindowsMacros.h"  // after every other include

class QWidget;

namespace kelvane::win {

// Message boxes with the flags and results of the Windows message box, as
// far as the program uses them.
enum : unsigned
{
    MB_OK = 0x0000,
    MB_YESNO = 0x0004,
    MB_ICONQUESTION = 0x0020,
    MB_ICONEXCLAMATION = 0x0030,
};

enum : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// The application's title: the base name of the program's executable file.
QString AppTitle();

// A modal message box owned by `owner` (or, when null, by the application's
// active window) with the given text, caption, buttons and icon. Returns the
// IDxxx of the button that ended it. A Yes/No box ends only through its
// buttons (Enter takes the default Yes; Esc and closing the window do
// nothing); an OK box also ends with Esc or by closing, as OK.
int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type);

// The application's standard message box: the text, an OK button, the
// exclamation icon and AppTitle() as caption.
int AfxMessageBox(const QString& text, unsigned type = MB_OK | MB_ICONEXCLAMATION);

} // namespace kelvane::win
