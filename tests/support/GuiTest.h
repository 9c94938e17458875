#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>

class QMessageBox;

namespace kelvane {

// Answers the modal dialogs that code under test opens, one handler per
// dialog, in the order they appear. A dialog counts as new each time the
// active modal widget changes to it, so a dialog that shows a message box
// and comes back to the front gets the next handler again.
//
//     ModalScript script;
//     script.then([](QWidget* w) { ...click a button of w... });
//     QTest::mouseClick(button, Qt::LeftButton);  // returns once answered
//     EXPECT_TRUE(script.done());
//
// A modal dialog that appears when no handler is left is rejected and
// counted in unexpected(), so a test never hangs on it.
class ModalScript
{
public:
    using Handler = std::function<void(QWidget*)>;

    ModalScript();
    ~ModalScript();

    ModalScript& then(Handler handler);
    // Never counts w as a modal to answer: the dialog whose own modal run
    // the test drives, which comes to the front again after each box it shows.
    ModalScript& ignore(QWidget* w);
    bool done() const { return m_handlers.empty(); }
    int unexpected() const { return m_unexpected; }

private:
    void poll();

    QTimer m_timer;
    std::deque<Handler> m_handlers;
    QPointer<QWidget> m_last;
    QPointer<QWidget> m_ignored;
    int m_unexpected = 0;
};

// What a message box showed when it was answered.
struct SeenMessageBox
{
    bool seen = false;
    QString title;
    QString text;
    int icon = -1;      // QMessageBox::Icon
    int buttons = 0;    // QMessageBox::StandardButtons
};

// A handler that records the message box and clicks the given standard
// button (a QMessageBox::StandardButton value).
ModalScript::Handler AnswerMessageBox(SeenMessageBox* seen, int button);

bool WaitExposed(QWidget* widget);

// A fresh top-level host widget with `view` made its child by the view's own
// CreateView, at (10, 10) with a client area of `client`, shown and exposed.
// Returns false when the host never got exposed.
template <class View>
bool ShowViewInHost(std::unique_ptr<QWidget>& host, View* view, QSize client)
{
    host = std::make_unique<QWidget>();
    host->resize(client + QSize(20, 20));
    view->CreateView(QRect(QPoint(10, 10), client), host.get());
    host->show();
    return WaitExposed(host.get());
}

// Grabs a widget as it is drawn now, in device-independent pixels.
QImage Grab(QWidget* widget);

// Lets pending events (repaints, deferred deletes) run.
void ProcessEvents();

// What a program wrote as text to standard output or error, with the CR LF
// line ends of Windows' text streams made LF.
std::string LfText(const QByteArray& text);

// Why a test cannot start `program` here ("no bash here"), or "" when it is
// on the PATH; and likewise for a device such as /dev/full.
std::string MissingProgram(const QString& program);
std::string MissingDevice(const char* path);

} // namespace kelvane
