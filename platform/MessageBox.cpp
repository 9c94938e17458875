#include "MessageBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

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

    QMessageBox box(owner);
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

    if ((type & 0x0F) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
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
        return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
    }
}

int AfxMessageBox(const QString& text, unsigned type)
{
    return MessageBox(nullptr, text, AppTitle(), type);
}
