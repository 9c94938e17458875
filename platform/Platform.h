#pragma once

// platform/: the window system that the rest of the program is written
// against, in the shape of Win32 and its framework, built on Qt Widgets.
// Uses Qt and the core (tiles/, formats/), nothing above it.
//
// The surface, which views/, caption/ and app/ program against:
//   Dialog.h          dialogs built after a template, centring
//   DialogUnits.h     dialog units to pixels
//   DataExchange.h    DDX_/DDV_ data exchange and its checks
//   MessageBox.h      message boxes with the system's flags and results
//   FileDialog.h      the common open and save dialog
//   BitmapButton.h    push buttons drawn from bitmap resources
//   AnimateCtrl.h     the animation control
//   WindowProc.h      window procedures, messages, styles, the system menu
//   Gdi.h             regions and device contexts
//   SystemMetrics.h   frame and caption sizes, the standard colours
//   ResourceImage.h   images compiled into the program
// The Qt machinery behind it, which nothing above platform/ needs:
//   WindowFrame.h/.cpp  a window's frame as the window system keeps it:
//                       Qt's events turned into the messages of its
//                       procedure, its non-client area drawn by the program
//   the .cpp files      each service on Qt's widgets, painter and events
//
// Every Win32-shaped name lives in namespace kelvane::win, so that it never
// meets the global names of <windows.h> or of Qt's Windows headers. Every
// header of platform/ includes this one, and the program inside namespace
// kelvane uses those names as its own:
namespace kelvane::win {
}

namespace kelvane {
using namespace win;
}
