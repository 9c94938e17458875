#include "EditorApp.h"

#include "EditorDlg.h"

#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>

CEditorApp::CEditorApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

void CEditorApp::ApplyLook()
{
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

    QPalette tipPal = QToolTip::palette();
    tipPal.setColor(QPalette::ToolTipBase, black);
    tipPal.setColor(QPalette::ToolTipText, tipText);
    tipPal.setColor(QPalette::Window, black);
    tipPal.setColor(QPalette::WindowText, tipText);
    QToolTip::setPalette(tipPal);
}

bool CEditorApp::InitInstance()
{
    ApplyLook();
    CEditorDlg dlg;
    dlg.DoModal();
    return false;
}
