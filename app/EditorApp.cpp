#include "EditorApp.h"

#include "EditorDlg.h"
#include "app/CommandLine.h"
#include "formats/SysFileName.h"

#include <QFileInfo>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QToolTip>

namespace kelvane {

namespace {

// Where no session bus can be found (build machines, containers, a bare X
// server), libdbus would start one (dbus-launch --autolaunch) for Qt's
// accessibility bridge, which the first widget with a text asks for while
// the window is still being built: start-up would wait for it. Nothing the
// window needs uses D-Bus, and a bus started that way has no accessibility
// service on it, so the session bus is left out there.
void LeaveOutAutolaunchedBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

}  // namespace

CEditorApp::CEditorApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

void CEditorApp::ApplyLook()
{
    // Who the windows belong to: the desktop entry (on Wayland the windows'
    // app id) and the icon every window of the program carries (its larger
    // sizes join once the main window shows).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kelvane.Kelvane"));
    QApplication::setWindowIcon(ProgramIcon(false));

    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);

    const QColor black(0, 0, 0);
    const QColor red(255, 0, 0);
    const QColor tipText(200, 0, 255);

    QPalette pal = QApplication::style()->standardPalette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Window, black);
        pal.setColor(group, QPalette::WindowText, red);
        pal.setColor(group, QPalette::ButtonText, red);
        pal.setColor(group, QPalette::ToolTipBase, black);
        pal.setColor(group, QPalette::ToolTipText, tipText);
    }
    pal.setColor(QPalette::Disabled, QPalette::Window, black);
    QApplication::setPalette(pal);
    // Menus and the lists that drop down like them (a combo box's) keep the
    // system's colours, as the system draws them in the program's windows too.
    QApplication::setPalette(QApplication::style()->standardPalette(), "QMenu");

    QPalette tipPal = QToolTip::palette();
    tipPal.setColor(QPalette::ToolTipBase, black);
    tipPal.setColor(QPalette::ToolTipText, tipText);
    tipPal.setColor(QPalette::Window, black);
    tipPal.setColor(QPalette::WindowText, tipText);
    QToolTip::setPalette(tipPal);
}

int CEditorApp::Main(int argc, char** argv)
{
    // The file's name in UTF-8 on every system; Qt reads Windows' command
    // line itself.
    CProgramArguments utf8(argc, argv);
    const CommandLine cl = ParseCommandLine(utf8.argc(), utf8.argv(), stdout, stderr);
    if (!cl.run)
        return cl.exitCode;
    LeaveOutAutolaunchedBus();
    CEditorApp app(argc, argv);
    // Open names the file by its full path, in its messages too.
    const QString file = QString::fromStdString(cl.file);
    app.InitInstance(file.isEmpty() ? file : QFileInfo(file).absoluteFilePath());
    return 0;
}

bool CEditorApp::InitInstance(const QString& strFile)
{
    RunMainWindow(strFile);
    return false;
}

void CEditorApp::RunMainWindow(const QString& strFile)
{
    ApplyLook();
    CEditorDlg dlg;
    if (!strFile.isEmpty())
        dlg.OpenFileLater(strFile);
    dlg.DoModal();
}

} // namespace kelvane
