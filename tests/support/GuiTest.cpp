#include "support/GuiTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace kelvane {

ModalScript::ModalScript()
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
}

ModalScript::~ModalScript()
{
    m_timer.stop();
}

ModalScript& ModalScript::then(Handler handler)
{
    m_handlers.push_back(std::move(handler));
    return *this;
}

ModalScript& ModalScript::ignore(QWidget* w)
{
    m_ignored = w;
    return *this;
}

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == m_last.data())
        return;
    m_last = modal;
    if (!modal || modal == m_ignored.data())
        return;
    if (!modal->isVisible())
        return;
    if (m_handlers.empty()) {
        ++m_unexpected;
        ADD_FAILURE() << "unexpected modal dialog: " << modal->metaObject()->className() << " \""
                      << modal->windowTitle().toStdString() << "\"";
        if (auto* dlg = qobject_cast<QDialog*>(modal))
            dlg->reject();
        else
            modal->close();
        return;
    }
    // The handler runs from its own zero timer, not from inside this
    // timer's callback: Qt never fires a timer again while its callback is
    // still running, so a handler that opens a nested modal (an OK that
    // shows a message box) would otherwise never see that modal answered.
    Handler h = std::move(m_handlers.front());
    m_handlers.pop_front();
    QPointer<QWidget> target = modal;
    QTimer::singleShot(0, modal, [h = std::move(h), target] {
        if (target)
            h(target);
    });
}

ModalScript::Handler AnswerMessageBox(SeenMessageBox* seen, int button)
{
    return [seen, button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            ADD_FAILURE() << "expected a message box, got " << w->metaObject()->className();
            if (auto* dlg = qobject_cast<QDialog*>(w))
                dlg->reject();
            return;
        }
        if (seen) {
            seen->seen = true;
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            seen->buttons = int(box->standardButtons());
        }
        QAbstractButton* b = box->button(QMessageBox::StandardButton(button));
        if (!b) {
            ADD_FAILURE() << "message box has no such button";
            box->reject();
            return;
        }
        b->click();
    };
}

QImage Grab(QWidget* widget)
{
    QImage img = widget->grab().toImage();
    img.setDevicePixelRatio(1.0);
    return img.convertToFormat(QImage::Format_RGB32);
}

void ProcessEvents()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

bool WaitExposed(QWidget* widget)
{
    return QTest::qWaitForWindowExposed(widget);
}

std::string LfText(const QByteArray& text)
{
    return QByteArray(text).replace("\r\n", "\n").toStdString();
}

std::string MissingProgram(const QString& program)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return "no " + program.toStdString() + " here";
    return {};
}

std::string MissingDevice(const char* path)
{
    return QFileInfo::exists(QString::fromLatin1(path)) ? "" : std::string("no ") + path + " here";
}

} // namespace kelvane
