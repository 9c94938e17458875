// An empty dialog of the main window's size and title "Empty": what start-up
// costs with Qt alone, to compare the program with.
#include "platform/DialogUnits.h"

#include <QApplication>
#include <QDialog>

using namespace kelvane;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dlg;
    dlg.setWindowTitle(QStringLiteral("Empty"));
    dlg.setFixedSize(MapDialogSize(279, 120));
    return dlg.exec();
}
