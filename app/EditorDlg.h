#pragma once

#include "caption/CaptionPainter.h"
#include "formats/FileTypes.h"
#include "platform/BitmapButton.h"
#include "platform/Dialog.h"

#include <QCursor>
#include <cstdint>
#include <cstdio>
#include <QIcon>
#include <QPointer>

class QMimeData;

namespace kelvane {

class CTileEditWnd;
class CTileSheetWnd;

// The program's icon: icon resource 128 (32 x 32) with the desktop icon's
// other sizes, 16 to 256 pixels; or, with bAllSizes false, the sizes up to
// 48 only (quicker to make and to hand to the window system at start-up).
QIcon ProgramIcon(bool bAllSizes = true);

// Zoom step of the tile editor, 0 (editor fills its frame) to 3 (smallest).
extern int g_nZoomStep;

// The main window: command buttons down the left, the tile editor over the
// frame on the left, the tile sheet view over the frame on the right, and
// the four colour buttons, of which exactly one shows pushed: the current
// colour of the editor.
//
// Every control's objectName() is its control id (app/Resource.h) in
// decimal ("1013" for New, "1003" for the editor's frame, "-1" for the
// separator lines).
class CEditorDlg : public CDialog, public CWnd
{
    Q_OBJECT

public:
    // A button of the window: its control id, its template text (kept as its
    // accessible name) and rectangle in dialog units, its up and pushed
    // images, its tool tip, the member bound to it and the command it runs.
    struct Button
    {
        int id;
        const char* text;
        int x, y, cx, cy;
        unsigned up, down;
        const char* tip;
        CBitmapButton CEditorDlg::*member;
        void (CEditorDlg::*command)();
    };
    static constexpr int kButtonCount = 14;
    // The buttons in template (tab) order; the controls, their images, tool
    // tips and commands are all made from it.
    static const Button kButtons[kButtonCount];

    explicit CEditorDlg(QWidget* parent = nullptr);
    ~CEditorDlg() override;

    // Loads the selected sheet tile into the editor and repaints it; the
    // editor's undo copy and the selection stay.
    void RefreshEditor();
    // Draws the caption anew from a fresh image, active if the window is.
    void RefreshCaption();

    CTileEditWnd* EditWnd() const { return m_pEditWnd; }
    CTileSheetWnd* SheetWnd() const { return m_pSheetWnd; }

    // The client rectangle (in client() coordinates) of the control with
    // the given id, also of the hidden frames.
    QRect ControlRect(int id) const;

    // Open after its file dialog: reads the file at `path` as a file of
    // the given type (formats/FileTypes.h).
    void OpenFile(const QString& path, FileType type);
    // The type a file opened by name takes from its extension: DIB for
    // .dib and .bmp, ROM image for .vb, .bin and .obj, PNG picture for .png,
    // tileset file for any other.
    static FileType OpenTypeOf(const QString& path);
    // Opens `path` as `kelvane FILE` does, with the type its extension names,
    // once the event being handled is done: the file's options dialogs and
    // messages are modal. For the command line, a dropped file and a file
    // that the desktop asks the program to open (macOS: from the Finder).
    void OpenFileLater(const QString& path);
    // A PNG picture opens as kelvane-convert reads it into a tileset,
    // replacing the sheet as Open does.
    void OpenPng(const QString& path);

    // The format operations of the Open and Save commands. Each works on a
    // stream the command has opened and will close, runs its options dialog
    // where it has one and shows the message it ends with. The writers
    // return false when they failed, so that the file they were writing
    // does not replace the old one.
    void ReadNative(FILE* file);
    bool WriteNative(FILE* file);
    void ImportRom(FILE* file);
    bool ExportAsmCharMap(FILE* file);
    void ImportDib(FILE* file);
    bool ExportDib(FILE* file);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    // The message table of the window's frame: system commands and the
    // caption painter's paint message.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // After the first paint: the icon at all its sizes, for this window and
    // the program's every other window.
    bool event(QEvent* event) override;
    // A file dropped on the window opens as `kelvane FILE` opens it (of
    // several, the first).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    void OnColor1();
    void OnColor2();
    void OnColor3();
    void OnColor4();
    void OnNew();
    void OnExit();
    void OnUndo();
    void OnHFlip();
    void OnVFlip();
    void OnModify();
    void OnZoom();
    void OnOpen();
    void OnSave();
    // Shows the About box, modally; its clip starts from the first frame.
    void OnAbout();
    // The clipboard: Ctrl+C and Ctrl+V copy the editor's working tile and
    // paste into it (an undo copy first; Modify writes it into the sheet),
    // Ctrl+Shift+C and Ctrl+Shift+V the whole sheet (the paste replaces it
    // as Open does). A picture comes as an 8 x 8 (or 128 x 128) image in
    // the red ramp, and in the program's own format with the levels; a
    // pasted image is reduced to the four shades by the nearest shade, and
    // one of another size is refused with a message.
    void OnCopyTile();
    void OnPasteTile();
    void OnCopySheet();
    void OnPasteSheet();
    // The About item runs the About box; Move, Close and the rest are the system's.
    void OnSysCommand(UINT nID, LPARAM lParam);
    LRESULT OnCaptionPaint(WPARAM wParam, LPARAM lParam);
    // Sets the cursor of widget w for the cursor at globalPos: the editing
    // cursor over the editor's frame (whatever the zoom), the selection
    // cursor over the sheet's frame, the arrow elsewhere.
    void OnSetCursor(QWidget* w, const QPoint& globalPos);

private:
    // Makes w a control of the client area: id, template rectangle (dialog
    // units), tab order after the controls added before it.
    void AddControl(QWidget* w, int id, int x, int y, int cx, int cy);
    // Editor level from colour index n (0-3), button C(n+1) pushed, the others not.
    void SelectColor(int index);
    QWidget* Control(int id) const;
    // The clipboard's keys, beside the buttons' keys.
    void AddClipboardKeys();
    // The sheet's pixels := `pixels` (kSheetBytes), then the refresh that
    // ends an Open.
    void ReplaceSheet(const std::uint8_t* pixels);
    // The local file a drag carries first ("" for none).
    static QString DroppedFile(const QMimeData* data);

    QIcon m_hIcon;
    bool m_bAllIconSizes = false;
    CCaptionPainter m_captionPainter;
    CBitmapButton m_btnColor4;
    CBitmapButton m_btnColor3;
    CBitmapButton m_btnColor2;
    CBitmapButton m_btnColor1;
    CBitmapButton m_btnZoom;
    CBitmapButton m_btnVFlip;
    CBitmapButton m_btnUndo;
    CBitmapButton m_btnSave;
    CBitmapButton m_btnOpen;
    CBitmapButton m_btnNew;
    CBitmapButton m_btnModify;
    CBitmapButton m_btnHFlip;
    CBitmapButton m_btnExit;
    CBitmapButton m_btnAbout;
    CTileEditWnd* m_pEditWnd = nullptr;
    CTileSheetWnd* m_pSheetWnd = nullptr;

    QCursor m_hCursorEdit;   // IDC_CURSOR_EDIT
    QCursor m_hCursorSheet;  // IDC_CURSOR_SHEET
    // The template's last control with a tab stop (null once it has gone).
    QPointer<QWidget> m_pLastControl;
};

} // namespace kelvane
