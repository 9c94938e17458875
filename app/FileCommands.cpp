// The Open and Save commands of the main window and the format operations
// they dispatch to: each operation runs its options dialog, calls the codec
// and shows the message the codec ends with.
#include "app/EditorDlg.h"

#include "formats/AsmCharMap.h"
#include "app/AsmExportDlg.h"
#include "formats/DibFile.h"
#include "app/DibImportDlg.h"
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

const char* const kOpenFilter =
    "Kelvane Format (*.kl)|*.kl|DIB Format (*.dib)|*.dib|VB ROM image|*.vb;*.bin;*.obj||";
const char* const kSaveFilter =
    "Kelvane Format (*.kl)|*.kl|DIB Format (*.dib)|*.dib|ASM Char Map (*.asm)|*.asm||";

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

int CEditorDlg::OpenFilterIndexOf(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"dib" || ext == u"bmp")
        return 2;
    if (ext == u"vb" || ext == u"bin" || ext == u"obj")
        return 3;
    return 1;
}

void CEditorDlg::OnOpen()
{
    CFileDialog dlg(true, QString(), QString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    QString::fromLatin1(kOpenFilter));
    if (dlg.DoModal() != IDOK) {
        RefreshCaption();
        return;
    }

    OpenFile(dlg.GetPathName(), dlg.GetFilterIndex());
}

void CEditorDlg::OpenFile(const QString& path, int nFilterIndex)
{
    FILE* file = OpenForReading(path.toUtf8().toStdString());
    if (!file) {
        ShowCannotOpen(path);
        return;
    }

    m_pSheetWnd->Clear();
    m_pEditWnd->Reset();

    switch (nFilterIndex) {
    case 2:
        ImportDib(file);
        break;
    case 3:
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
                    QString::fromLatin1(kSaveFilter));
    if (dlg.DoModal() != IDOK) {
        RefreshCaption();
        return;
    }

    const int index = dlg.GetFilterIndex();
    const char* defExt = index == 2 ? ".dib" : index == 3 ? ".asm" : ".kl";
    QString path = dlg.GetPathName();
    if (dlg.GetFileExt().isEmpty())
        path += QLatin1String(defExt);

    // The file is written beside its target and takes its place only once
    // complete, so a failed save never destroys the file it would replace.
    CSafeFileWriter file;
    if (!file.Open(path.toUtf8().toStdString())) {
        ShowCannotOpen(path);
        return;
    }

    bool written;
    const char* lastMessage;
    switch (index) {
    case 2:
        written = ExportDib(file.stream());
        lastMessage = kDibWritePixelsError;
        break;
    case 3:
        written = ExportAsmCharMap(file.stream());
        lastMessage = kAsmWriteLineError;
        break;
    default:
        written = WriteNative(file.stream());
        lastMessage = kNativeWriteCharError;
        break;
    }

    m_pSheetWnd->update();
    RefreshEditor();

    if (!written)
        file.Abandon();
    else if (!file.Commit())
        // Buffered bytes that could not be flushed (a full disk) fail only
        // now; the writer's last message says so.
        AfxMessageBox(QString::fromLatin1(lastMessage));

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
