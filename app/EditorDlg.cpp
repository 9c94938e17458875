#include "EditorDlg.h"

#include "AboutDlg.h"
#include "Resource.h"
#include "platform/DataExchange.h"
#include "platform/DialogUnits.h"
#include "platform/MessageBox.h"
#include "platform/ResourceImage.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QFileOpenEvent>
#include <QTimer>
#include <QUrl>

#include <array>

namespace kelvane {

namespace {

// Files that the desktop asks the program to open: on macOS a tileset file
// opened from the Finder comes as an event to the application, at start and
// while the program runs.
class CFileOpenFilter : public QObject
{
public:
    explicit CFileOpenFilter(CEditorDlg* dlg) : QObject(dlg), m_pDlg(dlg) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != QCoreApplication::instance() || event->type() != QEvent::FileOpen)
            return false;
        m_pDlg->OpenFileLater(static_cast<QFileOpenEvent*>(event)->file());
        return true;
    }

private:
    CEditorDlg* m_pDlg;
};

} // namespace

int g_nZoomStep = 0;

namespace {

const QString kTitle = QStringLiteral("Kelvane");

// Template size of the main window, in dialog units.
constexpr int kTemplateCx = 279;
constexpr int kTemplateCy = 120;

// The message that the caption painter sends to have the caption drawn.
constexpr UINT WM_CAPTIONPAINT = WM_USER + 5;

// The program's string table.
QString LoadStringResource(UINT id)
{
    return id == IDS_ABOUTBOX ? QStringLiteral("&About Kelvane...") : QString();
}

// An image or cursor compiled into the program: ":/res/<kind><id>.png".
QPixmap ResourcePng(const char* kind, int id)
{
    return LoadResourcePixmap(QStringLiteral(":/res/%1%2.png").arg(QLatin1String(kind)).arg(id));
}

}  // namespace

const CEditorDlg::Button CEditorDlg::kButtons[kButtonCount] = {
    {IDC_NEW, "New", 5, 5, 15, 15, IDB_NEW, IDB_NEW_DOWN, "New tileset", &CEditorDlg::m_btnNew,
     &CEditorDlg::OnNew},
    {IDC_OPEN, "Open", 5, 20, 15, 15, IDB_OPEN, IDB_OPEN_DOWN, "Open tileset",
     &CEditorDlg::m_btnOpen, &CEditorDlg::OnOpen},
    {IDC_SAVE, "Save", 5, 35, 15, 15, IDB_SAVE, IDB_SAVE_DOWN, "Save tileset",
     &CEditorDlg::m_btnSave, &CEditorDlg::OnSave},
    {IDC_ABOUT, "About", 5, 60, 15, 15, IDB_ABOUT, IDB_ABOUT_DOWN, "About Kelvane",
     &CEditorDlg::m_btnAbout, &CEditorDlg::OnAbout},
    {IDC_EXIT, "Exit", 5, 75, 15, 15, IDB_EXIT, IDB_EXIT_DOWN, "Exit Kelvane",
     &CEditorDlg::m_btnExit, &CEditorDlg::OnExit},
    {IDC_UNDO, "Undo", 5, 100, 15, 15, IDB_UNDO, IDB_UNDO_DOWN, "Undo", &CEditorDlg::m_btnUndo,
     &CEditorDlg::OnUndo},
    {IDC_ZOOM, "Zoom", 20, 100, 15, 15, IDB_ZOOM, IDB_ZOOM_DOWN, "Zoom tile",
     &CEditorDlg::m_btnZoom, &CEditorDlg::OnZoom},
    {IDC_HFLIP, "HFlip", 35, 100, 15, 15, IDB_HFLIP, IDB_HFLIP_DOWN, "H-Flip Tile",
     &CEditorDlg::m_btnHFlip, &CEditorDlg::OnHFlip},
    {IDC_VFLIP, "VFlip", 50, 100, 15, 15, IDB_VFLIP, IDB_VFLIP_DOWN, "V-Flip Tile",
     &CEditorDlg::m_btnVFlip, &CEditorDlg::OnVFlip},
    {IDC_MODIFY, "Modify", 95, 100, 45, 15, IDB_MODIFY, IDB_MODIFY_DOWN, "Modify current tile",
     &CEditorDlg::m_btnModify, &CEditorDlg::OnModify},
    {IDC_COLOR1, "C1", 70, 95, 10, 10, IDB_COLOR1, IDB_COLOR1_DOWN, "Black",
     &CEditorDlg::m_btnColor1, &CEditorDlg::OnColor1},
    {IDC_COLOR2, "C2", 80, 95, 10, 10, IDB_COLOR2, IDB_COLOR2_DOWN, "Low Red",
     &CEditorDlg::m_btnColor2, &CEditorDlg::OnColor2},
    {IDC_COLOR3, "C3", 70, 105, 10, 10, IDB_COLOR3, IDB_COLOR3_DOWN, "Med Red",
     &CEditorDlg::m_btnColor3, &CEditorDlg::OnColor3},
    {IDC_COLOR4, "C4", 80, 105, 10, 10, IDB_COLOR4, IDB_COLOR4_DOWN, "Hi Red",
     &CEditorDlg::m_btnColor4, &CEditorDlg::OnColor4},
};

QIcon ProgramIcon(bool bAllSizes)
{
    // Made once each; the images read as the PNGs they are, without asking
    // every image plugin what they might be. (Kept to the end of the
    // process, not destroyed after the application.)
    static const QIcon* const small = [] {
        auto* icon = new QIcon(ResourcePng("icon", IDR_MAINFRAME));
        for (const int size : {16, 48})
            icon->addPixmap(LoadResourcePixmap(QStringLiteral(":/icons/kelvane-%1.png").arg(size)));
        return icon;
    }();
    if (!bAllSizes)
        return IconAtPixelSizes(*small);
    static const QIcon* const all = [] {
        auto* icon = new QIcon(*small);
        for (const int size : {64, 128, 256})
            icon->addPixmap(LoadResourcePixmap(QStringLiteral(":/icons/kelvane-%1.png").arg(size)));
        return icon;
    }();
    return IconAtPixelSizes(*all);
}

CEditorDlg::CEditorDlg(QWidget* parent)
    : CDialog(parent),
      m_hIcon(ProgramIcon(false)),
      m_hCursorEdit(ResourcePng("cursor", IDC_CURSOR_EDIT), 0, 0),
      m_hCursorSheet(ResourcePng("cursor", IDC_CURSOR_SHEET), 9, 8)
{
    // A window of its own, owned by none (a dialog type would make it
    // transient for an invisible leader window).
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(kTitle);
    setFont(QFont(QStringLiteral("Arial"), 8));
    SetTemplateSize(kTemplateCx, kTemplateCy);
    // A pop-up with a caption, a system menu and a modal frame, which the
    // program draws itself around the client area.
    CreateFrame(this, client(), WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME);

    // The controls in template (tab) order: the buttons, which show their
    // text until DoDataExchange binds their members in their places, and
    // the two frames, which only lend their rectangles to the views and are
    // never shown.
    for (const Button& b : kButtons)
        AddControl(new QPushButton(QString::fromLatin1(b.text), client()), b.id, b.x, b.y, b.cx,
                   b.cy);
    for (const auto& [id, x, y, cx, cy] : {std::array{IDC_EDIT_FRAME, 25, 5, 115, 90},
                                           std::array{IDC_SHEET_FRAME, 145, 5, 130, 110}}) {
        auto* frame = new QWidget(client());
        AddControl(frame, id, x, y, cx, cy);
        frame->hide();
    }
    // Separator lines: white rectangles.
    for (const int y : {54, 95}) {
        auto* line = new QWidget(client());
        AddControl(line, -1, 5, y, 15, 1);
        QPalette pal = line->palette();
        pal.setColor(QPalette::Window, Qt::white);
        line->setPalette(pal);
        line->setAutoFillBackground(true);
    }
}

CEditorDlg::~CEditorDlg()
{
    // The window ends while the caption painter still lives.
    DestroyWindow();
}

void CEditorDlg::AddControl(QWidget* w, int id, int x, int y, int cx, int cy)
{
    w->setParent(client());
    w->setObjectName(QString::number(id));
    PlaceControl(w, x, y, cx, cy);
    if (w->focusPolicy() & Qt::TabFocus) {
        if (m_pLastControl)
            setTabOrder(m_pLastControl, w);
        m_pLastControl = w;
    }
}

void CEditorDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    for (const Button& b : kButtons)
        DDX_Control(pDX, b.id, this->*b.member);
}

QWidget* CEditorDlg::Control(int id) const
{
    return client()->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QRect CEditorDlg::ControlRect(int id) const
{
    const QWidget* w = Control(id);
    return w ? w->geometry() : QRect();
}

bool CEditorDlg::OnInitDialog()
{
    // Each button's up and pushed image, before the base initialisation
    // binds the buttons in the places of the template's controls.
    for (const Button& b : kButtons)
        (this->*b.member).LoadBitmaps(b.up, b.down);
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(GetSafeHwnd(), FALSE)) {
        const QString strAboutMenu = LoadStringResource(IDS_ABOUTBOX);
        if (!strAboutMenu.isEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    setWindowIcon(m_hIcon);

    m_pEditWnd = new CTileEditWnd;
    m_pEditWnd->CreateView(ControlRect(IDC_EDIT_FRAME), client());
    // A new editor fills its frame: zoom step 0.
    g_nZoomStep = 0;
    m_pSheetWnd = new CTileSheetWnd;
    m_pSheetWnd->CreateView(ControlRect(IDC_SHEET_FRAME), client());
    connect(m_pSheetWnd, &CTileSheetWnd::TileClicked, this, &CEditorDlg::RefreshEditor);

    // C1, "Black": the editor's level at start.
    m_btnColor1.SetState(true);

    for (const Button& b : kButtons)
        (this->*b.member).setToolTip(QString::fromLatin1(b.tip));

    // The cursor follows the position over the client area and every control.
    client()->setMouseTracking(true);
    client()->installEventFilter(this);
    for (QWidget* w : client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->installEventFilter(this);
    OnSetCursor(m_pEditWnd, m_pEditWnd->mapToGlobal(QPoint(0, 0)));
    OnSetCursor(m_pSheetWnd, m_pSheetWnd->mapToGlobal(QPoint(0, 0)));

    // Commands of the buttons.
    for (const Button& b : kButtons)
        connect(&(this->*b.member), &QAbstractButton::clicked, this, b.command);

    // The desktop's keys for the buttons, each running the button's own handler.
    const struct
    {
        Qt::Key key;
        void (CEditorDlg::*handler)();
    } keys[] = {
        {Qt::Key_N, &CEditorDlg::OnNew},  {Qt::Key_O, &CEditorDlg::OnOpen},
        {Qt::Key_S, &CEditorDlg::OnSave}, {Qt::Key_Z, &CEditorDlg::OnUndo},
        {Qt::Key_Q, &CEditorDlg::OnExit},
    };
    for (const auto& k : keys)
        connect(new QShortcut(QKeySequence(Qt::CTRL | k.key), this), &QShortcut::activated, this,
                k.handler);
    AddClipboardKeys();
    setAcceptDrops(true);
    QCoreApplication::instance()->installEventFilter(new CFileOpenFilter(this));

    m_captionPainter.Install(this, WM_CAPTIONPAINT);
    return true;
}

QString CEditorDlg::DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return QString();
    const QList<QUrl> urls = data->urls();
    return urls.isEmpty() || !urls.first().isLocalFile() ? QString() : urls.first().toLocalFile();
}

void CEditorDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CEditorDlg::dropEvent(QDropEvent* event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The window takes the focus, as drops on other programs do.
    activateWindow();
    // Once the drop has ended, not inside the drag's own loop.
    OpenFileLater(path);
}

void CEditorDlg::OpenFileLater(const QString& path)
{
    QTimer::singleShot(0, this, [this, path] {
        const FileType type = OpenTypeOf(path);
        if (type == FileType::Png)
            OpenPng(path);
        else
            OpenFile(path, type);
    });
}

LRESULT CEditorDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        OnSysCommand(UINT(wParam), lParam);
        return 0;
    case WM_CAPTIONPAINT:
        return OnCaptionPaint(wParam, lParam);
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CEditorDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & ~0xFu) == IDM_ABOUTBOX)
        OnAbout();
    else
        Default();
}

LRESULT CEditorDlg::OnCaptionPaint(WPARAM wParam, LPARAM lParam)
{
    m_captionPainter.DrawGradientCaption(BOOL(wParam), reinterpret_cast<CaptionPaintInfo*>(lParam),
                                         kTitle);
    return 0;
}

bool CEditorDlg::event(QEvent* event)
{
    if (event->type() == QEvent::Paint && !m_bAllIconSizes) {
        // Shown: the larger sizes can come now, without holding up the start.
        m_bAllIconSizes = true;
        QTimer::singleShot(0, this, [this] {
            m_hIcon = ProgramIcon();
            setWindowIcon(m_hIcon);
            QApplication::setWindowIcon(m_hIcon);
        });
    }
    return CDialog::event(event);
}

bool CEditorDlg::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && (w == client() || w->parentWidget() == client())) {
        if (event->type() == QEvent::Enter)
            OnSetCursor(w, static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
        else if (event->type() == QEvent::MouseMove)
            OnSetCursor(w, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
    }
    return CDialog::eventFilter(watched, event);
}

void CEditorDlg::OnSetCursor(QWidget* w, const QPoint& globalPos)
{
    const QPoint p = client()->mapFromGlobal(globalPos);
    if (ControlRect(IDC_EDIT_FRAME).contains(p))
        w->setCursor(m_hCursorEdit);
    else if (ControlRect(IDC_SHEET_FRAME).contains(p))
        w->setCursor(m_hCursorSheet);
    else
        w->setCursor(Qt::ArrowCursor);
}

void CEditorDlg::RefreshEditor()
{
    if (!m_pEditWnd || !m_pSheetWnd)
        return;
    TileBuffer tile{};
    m_pSheetWnd->GetSelectedTile(tile);
    m_pEditWnd->SetTile(&tile);
    m_pEditWnd->Invalidate();
}

void CEditorDlg::RefreshCaption()
{
    // Drawn anew as the window is: once its file dialog has gone it is
    // active again (the caption follows when the focus comes back), but
    // after a file dropped on it or given on the command line it may not be.
    m_captionPainter.m_bActive = isActiveWindow();
    m_captionPainter.m_cxCache = 0;
    m_captionPainter.m_cyCache = 0;
    m_captionPainter.PaintCaption();
}

void CEditorDlg::SelectColor(int index)
{
    m_pEditWnd->SetColor(index);
    CBitmapButton* buttons[] = {&m_btnColor1, &m_btnColor2, &m_btnColor3, &m_btnColor4};
    for (int i = 0; i < 4; ++i)
        buttons[i]->SetState(i == index);
}

void CEditorDlg::OnColor1()
{
    SelectColor(0);
}

void CEditorDlg::OnColor2()
{
    SelectColor(1);
}

void CEditorDlg::OnColor3()
{
    SelectColor(2);
}

void CEditorDlg::OnColor4()
{
    SelectColor(3);
}

void CEditorDlg::OnNew()
{
    if (MessageBox(this, QStringLiteral("Do you really create a new tileset?"), kTitle,
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_pSheetWnd->Clear();
    m_pSheetWnd->update();
    m_pEditWnd->Reset();
    m_pEditWnd->Invalidate();
}

void CEditorDlg::OnExit()
{
    if (MessageBox(this, QStringLiteral("Do you really want to quit?"), kTitle,
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    done(0);
}

void CEditorDlg::OnUndo()
{
    m_pEditWnd->Undo();
}

void CEditorDlg::OnHFlip()
{
    m_pEditWnd->FlipH();
}

void CEditorDlg::OnVFlip()
{
    m_pEditWnd->FlipV();
}

void CEditorDlg::OnModify()
{
    m_pSheetWnd->PutSelectedTile(m_pEditWnd->GetPixels());
    m_pSheetWnd->update();
}

void CEditorDlg::OnZoom()
{
    if (++g_nZoomStep > 3)
        g_nZoomStep = 0;
    QRect r = ControlRect(IDC_EDIT_FRAME);
    const int dx = g_nZoomStep * ((r.width() / 2 - 8) / 3);
    const int dy = g_nZoomStep * ((r.height() / 2 - 8) / 3);
    r.adjust(dx, dy, -dx, -dy);
    m_pEditWnd->setGeometry(r);
    m_pEditWnd->Invalidate();
}

void CEditorDlg::OnAbout()
{
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

} // namespace kelvane
