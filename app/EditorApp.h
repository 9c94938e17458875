#pragma once

// app/: the application, the main window with its commands (Open and Save
// with the format operations and their options dialogs), and the About box.
// Uses every folder below it: tiles/, formats/, platform/, views/, caption/.

#include <QApplication>

namespace kelvane {

// The application: sets the look of all its windows, runs the main window
// modally and ends when that window ends.
class CEditorApp : public QApplication
{
    Q_OBJECT

public:
    CEditorApp(int& argc, char** argv);

    // The program: reads the command line (ParseCommandLine) and, unless it
    // answers on the console, runs the editor with the file it names.
    // Returns the process's exit code.
    static int Main(int argc, char** argv);

    // Runs the program; returns false: there is no message loop after the
    // main window's own. A file given is opened once the main window shows.
    bool InitInstance(const QString& strFile = QString());

    // Runs the main window modally (the application's look applied). A
    // non-empty strFile is opened as the Open command would open it with
    // the file type its extension names, once the window's loop runs:
    // failures get Open's messages and leave the program running.
    static void RunMainWindow(const QString& strFile);

    // The program's identity (desktop file name, the icon of every window)
    // and look, application-wide: black dialog backgrounds; red
    // texts for windows, static texts and buttons (edit fields keep the
    // system colours); tool tips in RGB(200, 0, 255) on black; the Fusion
    // style's three-dimensional controls.
    static void ApplyLook();
};

} // namespace kelvane
