#include "OptionsDlg.h"

#include "platform/Dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kelvane {

namespace {

// A radio button as the window system's automatic radio button in a group
// of its own: clicking a checked one leaves it checked, and no other button
// clears it behind the program's back.
class CAutoRadioButton : public QRadioButton
{
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override { setChecked(true); }
};

template <typename Control>
Control* Place(Control* control, int x, int y, int cx, int cy)
{
    CDialog::PlaceControl(control, x, y, cx, cy);
    return control;
}

// Where the template's font is not installed (as "MS Sans Serif" is not on
// most systems but Windows), take one of about its width rather than
// whatever wide face the system would fall back on, which would clip texts.
void AddFontSubstitutes()
{
    const QString family = QStringLiteral("MS Sans Serif");
    if (QFont::substitutes(family).isEmpty())
        QFont::insertSubstitutions(family, {QStringLiteral("Microsoft Sans Serif"),
                                            QStringLiteral("Liberation Sans"),
                                            QStringLiteral("Arial")});
}

}  // namespace

void SetUpOptionsDlg(CDialog* dlg, const QString& caption, const QString& fontFamily, int cx,
                     int cy)
{
    dlg->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dlg->setWindowTitle(caption);
    AddFontSubstitutes();
    dlg->setFont(QFont(fontFamily, 8));
    dlg->SetTemplateSize(cx, cy);
}

QPushButton* AddOkButton(CDialog* dlg, int x, int y, int cx, int cy)
{
    auto* button = new QPushButton(QStringLiteral("OK"), dlg->client());
    button->setObjectName(QStringLiteral("IDOK"));
    button->setDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(button, &QPushButton::clicked, dlg, &QDialog::accept);
    return Place(button, x, y, cx, cy);
}

QLabel* AddStaticText(CDialog* dlg, const QString& text, int x, int y, int cx, int cy)
{
    auto* label = new QLabel(text, dlg->client());
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return Place(label, x, y, cx, cy);
}

QLineEdit* AddEdit(CDialog* dlg, const QString& id, int x, int y, int cx, int cy)
{
    auto* edit = new QLineEdit(dlg->client());
    edit->setObjectName(id);
    edit->setFrame(true);
    edit->setFocusPolicy(Qt::StrongFocus);
    return Place(edit, x, y, cx, cy);
}

QRadioButton* AddRadioButton(CDialog* dlg, const QString& id, const QString& text, int x, int y,
                             int cx, int cy)
{
    auto* button = new CAutoRadioButton(text, dlg->client());
    button->setObjectName(id);
    button->setAutoExclusive(false);
    button->setFocusPolicy(Qt::ClickFocus);
    // The window system's gap between the circle and the text, so that the
    // texts fit the rectangles that the template gives the buttons.
    button->setStyleSheet(QStringLiteral("QRadioButton { spacing: 3px; }"));
    return Place(button, x, y, cx, cy);
}

QGroupBox* AddGroupBox(CDialog* dlg, const QString& title, int x, int y, int cx, int cy)
{
    auto* box = new QGroupBox(title, dlg->client());
    box->setAlignment(Qt::AlignHCenter);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
    return Place(box, x, y, cx, cy);
}

} // namespace kelvane
