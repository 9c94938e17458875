#include "FileDialog.h"

#include "MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

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
    QObject::connect(types, &QComboBox::activated, &dlg, [&dlg, types, name](int index) {
        const QString typed = name->text();
        dlg.selectNameFilter(types->itemText(index));
        if (name->text() != typed)
            name->setText(typed);
    });
}

}  // namespace

CFileDialog::CFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName,
                         unsigned flags, const QString& filter, QWidget* parent)
    : m_bOpen(bOpenFileDialog),
      m_defExt(defExt),
      m_fileName(fileName),
      m_flags(flags),
      m_filters(NameFilters(filter)),
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
    dlg.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Any name may be typed: a file that does not exist is reported when it
    // cannot be opened.
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !(m_flags & OFN_OVERWRITEPROMPT));
    dlg.setOption(QFileDialog::ReadOnly, false);
    if (!m_defExt.isEmpty())
        dlg.setDefaultSuffix(m_defExt);
    if (!m_filters.isEmpty()) {
        dlg.setNameFilters(m_filters);
        dlg.selectNameFilter(m_filters.first());
    }
    if (!m_bOpen)
        KeepTypedNameOnTypeChange(dlg);
    if (!m_fileName.isEmpty())
        dlg.selectFile(m_fileName);
    dlg.setWindowTitle(m_bOpen ? QStringLiteral("Open") : QStringLiteral("Save As"));

    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return IDCANCEL;

    m_path = dlg.selectedFiles().first();
    const int index = m_filters.indexOf(dlg.selectedNameFilter());
    m_nFilterIndex = index < 0 ? 1 : index + 1;
    return IDOK;
}

} // namespace kelvane::win
