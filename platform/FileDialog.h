#pragma once

#include "platform/Platform.h"

#include <QString>
#include <QStringList>

#include "platform/NoWindowsMacros.h"  // after every other include

class QWidget;

namespace kelvane::win {

// The common open/save file dialog as the program uses it: a filter string
// in which "|" separates display names from patterns (ending in "||"), the
// 1-based position of the file type chosen, and the chosen path.
enum : unsigned
{
    OFN_HIDEREADONLY = 0x00000004,
    OFN_OVERWRITEPROMPT = 0x00000002,
};

class CFileDialog
{
public:
    CFileDialog(bool bOpenFileDialog, const QString& defExt = QString(),
                const QString& fileName = QString(),
                unsigned flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const QString& filter = QString(), QWidget* parent = nullptr);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    int DoModal();

    // The full path of the chosen file, as chosen (no extension added).
    QString GetPathName() const { return m_path; }
    // The characters after the last full stop of the file name itself;
    // empty when the name has none or ends in one. Folders do not count.
    QString GetFileExt() const;
    // Position of the chosen file type in the filter list, from 1.
    int GetFilterIndex() const { return m_nFilterIndex; }

    // The Qt name filters made from a filter string: "Name|*.a;*.b|...||"
    // becomes "Name (*.a *.b)", or "Name" alone when the name already shows
    // its patterns in parentheses.
    static QStringList NameFilters(const QString& filter);

    // The extension rule of GetFileExt for any path.
    static QString FileExtOf(const QString& path);

private:
    bool m_bOpen;
    QString m_defExt;
    QString m_fileName;
    unsigned m_flags;
    QString m_filter;  // the filter string, "text|patterns|...||"
    QWidget* m_pParent;
    QString m_path;
    int m_nFilterIndex = 1;
};

} // namespace kelvane::win
