#pragma once

// app/: the application, the main window with its commands (Open and Save
// with the format operations and their options dialogs), and the About box.
// Uses every folder below it: tiles/, formats/, platform/, views/, caption/.

#include <QApplication>

// The application: sets the look of all its windows, runs the main window
// modally and ends when that window ends.
class CEditorApp : public QApplication
{
    Q_OBJECT

public:
    CEditorApp(int& argc, char** argv);

    // Runs the program; returns false: there is no message loop after the
    // main window's own.
    bool InitInstance();

    // The program's look, application-wide: black dialog backgrounds; red
    // texts for windows, static texts and buttons (edit fields keep the
    // system colours); tool tips in RGB(200, 0, 255) on black; the Fusion
    // style's three-dimensional controls.
    static void ApplyLook();
};
