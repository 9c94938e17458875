// Pictures that come into the sheet and the tile editor from outside the
// Open command: the clipboard (a tile or the whole sheet, both ways) and PNG
// files given on the command line or dropped on the window.
#include "app/EditorDlg.h"

#include "formats/PngDecoder.h"
#include "formats/PngRead.h"
#include "formats/SafeFile.h"
#include "platform/MessageBox.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QShortcut>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace kelvane {

namespace {

// The program's own clipboard formats: the pixel levels, side x side bytes,
// top row first, each row left pixel first.
const char* const kTileMime = "application/x-kelvane-tile";
const char* const kSheetMime = "application/x-kelvane-sheet";

// The same square of levels with its rows in the other order: the sheet
// and the tile buffer store their bottom row first.
std::vector<std::uint8_t> RowsReversed(const std::uint8_t* levels, int side)
{
    std::vector<std::uint8_t> result(std::size_t(side) * std::size_t(side));
    for (int y = 0; y < side; ++y)
        std::copy(levels + y * side, levels + (y + 1) * side,
                  result.begin() + std::ptrdiff_t(side - 1 - y) * side);
    return result;
}

bool AreLevels(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        const auto v = static_cast<unsigned char>(c);
        return v == 0 || v == 85 || v == 170 || v == 255;
    });
}

// Puts a square of levels (bottom row first) on the clipboard as a picture
// in the red ramp, which other programs paste, and in the program's format.
void CopyLevels(const std::uint8_t* bottomFirst, int side, const char* mime)
{
    const std::vector<std::uint8_t> levels = RowsReversed(bottomFirst, side);
    QImage picture(side, side, QImage::Format_Indexed8);
    QList<QRgb> ramp;
    for (int v = 0; v < 256; ++v)
        ramp << qRgb(v, 0, 0);
    picture.setColorTable(ramp);
    for (int y = 0; y < side; ++y)
        std::copy(levels.begin() + std::ptrdiff_t(y) * side,
                  levels.begin() + std::ptrdiff_t(y + 1) * side, picture.scanLine(y));
    auto* data = new QMimeData;
    data->setImageData(picture.convertToFormat(QImage::Format_RGB32));
    data->setData(QString::fromLatin1(mime),
                  QByteArray(reinterpret_cast<const char*>(levels.data()), qsizetype(levels.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}

// The clipboard's square of levels (bottom row first) into `bottomFirst`:
// the program's format as it is, or a picture of side x side pixels with
// each colour reduced to the nearest of the four shades. False, after
// saying why, when the clipboard holds neither; `what` names the keys.
bool PasteLevels(std::uint8_t* bottomFirst, int side, const char* mime, const char* what)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QByteArray own = data ? data->data(QString::fromLatin1(mime)) : QByteArray();
    std::vector<std::uint8_t> levels(std::size_t(side) * std::size_t(side));
    if (own.size() == qsizetype(levels.size()) && AreLevels(own)) {
        std::copy(own.begin(), own.end(), levels.begin());
    } else if (data && data->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        if (picture.width() != side || picture.height() != side) {
            AfxMessageBox(QStringLiteral("The picture on the clipboard is %1 x %2 pixels; %3 "
                                         "takes a picture of %4 x %4 pixels.")
                              .arg(picture.width())
                              .arg(picture.height())
                              .arg(QLatin1String(what))
                              .arg(side));
            return false;
        }
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        DibImportOptions nearest;
        nearest.nearest = true;
        for (int y = 0; y < side; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < side; ++x)
                levels[std::size_t(y * side + x)] = std::uint8_t(
                    85 * ReduceColour(nearest, qRed(line[x]), qGreen(line[x]), qBlue(line[x])));
        }
    } else {
        AfxMessageBox(QStringLiteral("The clipboard holds no picture."));
        return false;
    }
    const std::vector<std::uint8_t> stored = RowsReversed(levels.data(), side);
    std::copy(stored.begin(), stored.end(), bottomFirst);
    return true;
}

}  // namespace

void CEditorDlg::AddClipboardKeys()
{
    const struct
    {
        QKeyCombination key;
        void (CEditorDlg::*handler)();
    } keys[] = {
        {Qt::CTRL | Qt::Key_C, &CEditorDlg::OnCopyTile},
        {Qt::CTRL | Qt::Key_V, &CEditorDlg::OnPasteTile},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_C, &CEditorDlg::OnCopySheet},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_V, &CEditorDlg::OnPasteSheet},
    };
    for (const auto& k : keys)
        connect(new QShortcut(QKeySequence(k.key), this), &QShortcut::activated, this, k.handler);
}

void CEditorDlg::OnCopyTile()
{
    CopyLevels(m_pEditWnd->GetPixels().data(), kTilePixels, kTileMime);
}

void CEditorDlg::OnPasteTile()
{
    TileBuffer tile{};
    if (!PasteLevels(tile.data(), kTilePixels, kTileMime, "Ctrl+V"))
        return;
    m_pEditWnd->SaveUndo();
    m_pEditWnd->SetTile(&tile);
    m_pEditWnd->Invalidate();
}

void CEditorDlg::OnCopySheet()
{
    CopyLevels(m_pSheetWnd->GetPixels(), kSheetPixels, kSheetMime);
}

void CEditorDlg::OnPasteSheet()
{
    std::array<std::uint8_t, kSheetBytes> pixels{};
    if (!PasteLevels(pixels.data(), kSheetPixels, kSheetMime, "Ctrl+Shift+V"))
        return;
    ReplaceSheet(pixels.data());
}

void CEditorDlg::ReplaceSheet(const std::uint8_t* pixels)
{
    // As Open replaces it: the selection stays, the editor starts afresh
    // from the selected tile.
    std::copy(pixels, pixels + kSheetBytes, m_pSheetWnd->GetPixels());
    m_pEditWnd->Reset();
    RefreshCaption();
    m_pSheetWnd->update();
    RefreshEditor();
}

void CEditorDlg::OpenPng(const QString& path)
{
    FILE* file = OpenForReading(path.toUtf8().toStdString());
    if (!file) {
        AfxMessageBox(path + QStringLiteral(" cannot be opened."));
        return;
    }
    // Read as kelvane-convert reads a PNG into a tileset: a palette picture
    // by its indices' two low bits, any other by the nearest shade, laid
    // into a blank sheet tile by tile. A picture that cannot be read leaves
    // the sheet as it was.
    DibImportOptions png;
    png.nearest = true;
    CTileSheet sheet;
    const std::string message = ReadPngFileWith(&KelvaneDecodePng, file, sheet, png, DibImportOptions());
    std::fclose(file);
    if (!message.empty()) {
        AfxMessageBox(QString::fromStdString(message));
        return;
    }
    ReplaceSheet(sheet.GetPixels());
}

} // namespace kelvane
