#pragma once

#include "platform/Dialog.h"

#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvane {

// Building blocks of the small options dialogs, after their templates: a
// pop-up with a caption and a close box, a font, a fixed size and controls
// at rectangles in dialog units. Controls are made in template order, which
// is their tab order; each is named after its control id.

// Caption, font (family at 8 pt), client size in dialog units and frame: a
// caption with a close box, no context help, no minimise or maximise box.
void SetUpOptionsDlg(CDialog* dlg, const QString& caption, const QString& fontFamily, int cx,
                     int cy);

// "OK" (id 1, "IDOK"): the default button, a tab stop; a click is the
// dialog's OK command.
QPushButton* AddOkButton(CDialog* dlg, int x, int y, int cx, int cy);

// Left-aligned static text; "\n" starts a new line. No tab stop.
QLabel* AddStaticText(CDialog* dlg, const QString& text, int x, int y, int cx, int cy);

// An edit with a border and automatic horizontal scroll, a tab stop.
QLineEdit* AddEdit(CDialog* dlg, const QString& id, int x, int y, int cx, int cy);

// An automatic radio button that forms a group of its own: a click checks
// it (never clears it) and nothing else clears it but the program. Not a
// tab stop; it takes the focus when clicked.
QRadioButton* AddRadioButton(CDialog* dlg, const QString& id, const QString& text, int x, int y,
                             int cx, int cy);

// A group box with a centred title; it lets mouse clicks through to the
// controls inside it.
QGroupBox* AddGroupBox(CDialog* dlg, const QString& title, int x, int y, int cx, int cy);

} // namespace kelvane
