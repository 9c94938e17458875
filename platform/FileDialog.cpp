#include "FileDialog.h"

#include "MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStyle>

namespace kelvane::win {

namespace {

// Choosing a file type in the save form leaves the name as typed: the type
// chooses the format, and the extension rule alone decides the file name.
// Qt's own dialog rewrites a typed suffix to the new type's on every choice,
// so its reaction to the type list is taken over here: the type is applied
// as Qt would, then the name is put back.
void KeepTypedNameOnTypeChange(QFileDialog& dlg)
{
    auto* types = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!types || !name)
        return;
    QObject::disconnect(types, &QComboBox::activated, &dlg, nullptr);
    QObject::connect(types, &QComboBox::activated, &dlg, [&dlg, name](int index) {
        const QString typed = name->text();
        dlg.selectNameFilter(dlg.nameFilters().value(index));
        if (name->text() != typed)
            name->setText(typed);
    });
}

// The type list shows each type's text exactly as the filter string gives
// it, with no patterns added: told to hide the details, Qt shows a filter's
// text without its last "(patterns)", so each text gets its patterns once
// more for Qt to take off.
QStringList ShownAsGiven(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (const QString& one : CFileDialog::NameFilters(filter)) {
        const QString patterns = one.mid(one.lastIndexOf(QLatin1Char('(')));
        const QString text = parts.value(2 * int(result.size()));
        result << text + QLatin1Char(' ') + patterns;
    }
    return result;
}

}  // namespace

CFileDialog::CFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName,
                         unsigned flags, const QString& filter, QWidget* parent)
    : m_bOpen(bOpenFileDialog),
      m_defExt(defExt),
      m_fileName(fileName),
      m_flags(flags),
      m_filter(filter),
      m_pParent(parent)
{
}

QStringList CFileDialog::NameFilters(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    // The list ends in "||": drop the empty tail.
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();

    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i];
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        const QString shown = QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        result << (name.endsWith(shown) ? name : name + QLatin1Char(' ') + shown);
    }
    return result;
}

QString CFileDialog::FileExtOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    return name.mid(dot + 1);
}

QString CFileDialog::GetFileExt() const
{
    return FileExtOf(m_path);
}

int CFileDialog::DoModal()
{
    QWidget* owner = m_pParent ? m_pParent : QApplication::activeWindow();
    QFileDialog dlg(owner);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    // The common dialog keeps the system's colours, not the program's black
    // and red (its lists would show dark text on black).
    dlg.setPalette(QApplication::style()->standardPalette());
    dlg.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = ShownAsGiven(m_filter);
    dlg.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Any name may be typed: a file that does not exist is reported when it
    // cannot be opened.
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !(m_flags & OFN_OVERWRITEPROMPT));
    dlg.setOption(QFileDialog::ReadOnly, false);
    if (!m_defExt.isEmpty())
        dlg.setDefaultSuffix(m_defExt);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters.first());
    }
    if (!m_bOpen)
        KeepTypedNameOnTypeChange(dlg);
    if (!m_fileName.isEmpty())
        dlg.selectFile(m_fileName);
    dlg.setWindowTitle(m_bOpen ? QStringLiteral("Open") : QStringLiteral("Save As"));

    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return IDCANCEL;

    m_path = dlg.selectedFiles().first();
    // The position in the list (the text Qt reports is the one shown).
    const auto* types = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    const int index = types ? types->currentIndex() : filters.indexOf(dlg.selectedNameFilter());
    m_nFilterIndex = index < 0 ? 1 : index + 1;
    return IDOK;
}

} // namespace kelvane::win
