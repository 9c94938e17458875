#include "MessageBox.h"

#include "Dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QShowEvent>

namespace kelvane::win {

namespace {

// A box that, when made buttons-only, only its buttons end: Esc does nothing
// and the window has no close button (a close request from the window system
// is refused).
class CProgramBox : public QMessageBox
{
public:
    CProgramBox(QWidget* owner, bool buttonsOnly) : QMessageBox(owner), m_bButtonsOnly(buttonsOnly)
    {
        if (buttonsOnly)
            setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                           ~Qt::WindowCloseButtonHint);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        // Laid out now: centred over its owner, frame and all.
        QMessageBox::showEvent(event);
        if (parentWidget() && !event->spontaneous())
            CenterWindowOver(this, parentWidget());
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_bButtonsOnly && event->matches(QKeySequence::Cancel))
            event->accept();
        else
            QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (m_bButtonsOnly)
            event->ignore();
        else
            QMessageBox::closeEvent(event);
    }

private:
    bool m_bButtonsOnly;
};

}  // namespace

QString AppTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type)
{
    if (!owner)
        owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();

    const bool yesNo = (type & 0x0F) == MB_YESNO;
    // A Yes/No question has no way out but its two buttons.
    CProgramBox box(owner, yesNo);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);

    switch (type & 0xF0) {
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }

    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }

    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Ok:
        return IDOK;
    default:
        return yesNo ? IDNO : IDOK;
    }
}

int AfxMessageBox(const QString& text, unsigned type)
{
    return MessageBox(nullptr, text, AppTitle(), type);
}

} // namespace kelvane::win
