// The Open and Save commands of the main window and the format operations
// they dispatch to: each operation runs its options dialog, calls the codec
// and shows the message the codec ends with.
#include "app/EditorDlg.h"

#include "formats/AsmCharMap.h"
#include "app/AsmExportDlg.h"
#include "formats/DibFile.h"
#include "app/DibImportDlg.h"
#include "formats/FileTypes.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "app/RomImportDlg.h"
#include "formats/SafeFile.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QFileInfo>

#include <cstdio>

namespace kelvane {

namespace {

void ShowResult(const std::string& message)
{
    if (!message.empty())
        AfxMessageBox(QString::fromStdString(message));
}

void ShowCannotOpen(const QString& path)
{
    AfxMessageBox(path + QStringLiteral(" cannot be opened."));
}

}  // namespace

FileType CEditorDlg::OpenTypeOf(const QString& path)
{
    return EditorTypeOfExtension("." + QFileInfo(path).suffix().toLower().toStdString());
}

void CEditorDlg::OnOpen()
{
    CFileDialog dlg(true, QString(), QString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    QString::fromStdString(DialogFilter(true)));
    if (dlg.DoModal() != IDOK) {
        RefreshCaption();
        return;
    }

    OpenFile(dlg.GetPathName(), DialogType(true, dlg.GetFilterIndex()));
}

void CEditorDlg::OpenFile(const QString& path, FileType type)
{
    FILE* file = OpenForReading(path.toUtf8().toStdString());
    if (!file) {
        ShowCannotOpen(path);
        return;
    }

    m_pSheetWnd->Clear();
    m_pEditWnd->Reset();

    switch (type) {
    case FileType::Dib:
        ImportDib(file);
        break;
    case FileType::Rom:
        ImportRom(file);
        break;
    default:
        ReadNative(file);
        break;
    }

    RefreshCaption();
    m_pSheetWnd->update();
    RefreshEditor();
    std::fclose(file);
}

void CEditorDlg::OnSave()
{
    CFileDialog dlg(false, QString(), QString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    QString::fromStdString(DialogFilter(false)));
    if (dlg.DoModal() != IDOK) {
        RefreshCaption();
        return;
    }

    const FileTypeInfo& type = FileTypeOf(DialogType(false, dlg.GetFilterIndex()));
    QString path = dlg.GetPathName();
    if (dlg.GetFileExt().isEmpty()) {
        const std::string extensions = type.extensions;
        path += QString::fromStdString(extensions.substr(0, extensions.find(' ')));
    }

    // The file is written beside its target and takes its place only once
    // complete, so a failed save never destroys the file it would replace.
    CSafeFileWriter file;
    if (!file.Open(path.toUtf8().toStdString())) {
        ShowCannotOpen(path);
        return;
    }

    bool written;
    switch (type.type) {
    case FileType::Dib:
        written = ExportDib(file.stream());
        break;
    case FileType::Asm:
        written = ExportAsmCharMap(file.stream());
        break;
    default:
        written = WriteNative(file.stream());
        break;
    }

    m_pSheetWnd->update();
    RefreshEditor();

    if (!written)
        file.Abandon();
    else if (!file.Commit())
        // Buffered bytes that could not be flushed (a full disk) fail only
        // now; the writer's last message says so.
        AfxMessageBox(QString::fromLatin1(type.lastWriteError));

    RefreshCaption();
}

void CEditorDlg::ReadNative(FILE* file)
{
    ShowResult(ReadNativeFile(file, m_pSheetWnd->Sheet()));
}

bool CEditorDlg::WriteNative(FILE* file)
{
    CAsmExportDlg dlg;
    dlg.DoModal();  // however it ends, the count it holds is written
    const std::string message = WriteNativeFile(file, m_pSheetWnd->Sheet(), dlg.m_nChars);
    ShowResult(message);
    return message.empty();
}

void CEditorDlg::ImportRom(FILE* file)
{
    CRomImportDlg dlg(RomFileSize(file));
    dlg.DoModal();  // however it ends, the values it holds are used
    ShowResult(ReadRomChars(file, m_pSheetWnd->Sheet(), dlg.m_dwStart, dlg.m_nChars));
}

bool CEditorDlg::ExportAsmCharMap(FILE* file)
{
    CAsmExportDlg dlg;
    dlg.DoModal();
    const std::string message = WriteAsmCharMap(file, m_pSheetWnd->Sheet(), dlg.m_nChars);
    ShowResult(message);
    return message.empty();
}

void CEditorDlg::ImportDib(FILE* file)
{
    CDibImportDlg dlg;
    dlg.DoModal();  // however it ends, the choices shown are used
    DibImportOptions options;
    options.median = dlg.m_n3BitReduction != 0;
    options.adjustTiles = dlg.m_nReadAsCharMap != 0;
    ShowResult(ReadDibFile(file, m_pSheetWnd->Sheet(), options));
}

bool CEditorDlg::ExportDib(FILE* file)
{
    const std::string message = WriteDibFile(file, m_pSheetWnd->Sheet());
    ShowResult(message);
    return message.empty();
}

} // namespace kelvane
