#include "EditorDlg.h"

#include "platform/DialogUnits.h"
#include "platform/MessageBox.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPixmap>

#include <array>

int g_nZoomStep = 0;

namespace {

const QString kTitle = QStringLiteral("Kelvane");

// Template size of the main window, in dialog units.
constexpr int kTemplateCx = 279;
constexpr int kTemplateCy = 120;

constexpr int kIdEditFrame = 1003;
constexpr UINT IDS_ABOUTBOX = 101;
constexpr UINT IDM_ABOUTBOX = 0x0010;
constexpr UINT WM_CAPTIONPAINT = WM_USER + 5;

// The program's string table.
QString LoadStringResource(UINT id)
{
    return id == IDS_ABOUTBOX ? QStringLiteral("&About Kelvane...") : QString();
}
constexpr int kIdSheetFrame = 1005;

}  // namespace

CEditorDlg::CEditorDlg(QWidget* parent)
    : CDialog(parent),
      m_hIcon(QStringLiteral(":/res/icon128.png")),
      m_hCursorEdit(QPixmap(QStringLiteral(":/res/cursor162.png")), 0, 0),
      m_hCursorSheet(QPixmap(QStringLiteral(":/res/cursor163.png")), 9, 8)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(kTitle);
    setFont(QFont(QStringLiteral("Arial"), 8));
    SetTemplateSize(kTemplateCx, kTemplateCy);
    // A pop-up with a caption, a system menu and a modal frame, which the
    // program draws itself around the client area.
    CreateFrame(this, client(), WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME);

    // The controls in template (tab) order.
    AddButton(m_btnNew, 1013, "New", 5, 5, 15, 15);
    AddButton(m_btnOpen, 1000, "Open", 5, 20, 15, 15);
    AddButton(m_btnSave, 1002, "Save", 5, 35, 15, 15);
    AddButton(m_btnAbout, 1011, "About", 5, 60, 15, 15);
    AddButton(m_btnExit, 1007, "Exit", 5, 75, 15, 15);
    AddButton(m_btnUndo, 1016, "Undo", 5, 100, 15, 15);
    AddButton(m_btnZoom, 1008, "Zoom", 20, 100, 15, 15);
    AddButton(m_btnHFlip, 1014, "HFlip", 35, 100, 15, 15);
    AddButton(m_btnVFlip, 1015, "VFlip", 50, 100, 15, 15);
    AddButton(m_btnModify, 1017, "Modify", 95, 100, 45, 15);
    // The two frames only lend their rectangles to the views; never shown.
    for (const auto& [id, x, y, cx, cy] : {std::array{kIdEditFrame, 25, 5, 115, 90},
                                           std::array{kIdSheetFrame, 145, 5, 130, 110}}) {
        auto* frame = new QWidget(client());
        AddControl(frame, id, x, y, cx, cy);
        frame->hide();
    }
    AddButton(m_btnColor1, 1022, "C1", 70, 95, 10, 10);
    AddButton(m_btnColor2, 1023, "C2", 80, 95, 10, 10);
    AddButton(m_btnColor3, 1024, "C3", 70, 105, 10, 10);
    AddButton(m_btnColor4, 1025, "C4", 80, 105, 10, 10);
    // Separator lines: white rectangles.
    for (const int y : {54, 95}) {
        auto* line = new QWidget(client());
        AddControl(line, -1, 5, y, 15, 1);
        QPalette pal = line->palette();
        pal.setColor(QPalette::Window, Qt::white);
        line->setPalette(pal);
        line->setAutoFillBackground(true);
    }
    // The colour buttons hold their pushed state between clicks.
    for (QPushButton* b : {&m_btnColor1, &m_btnColor2, &m_btnColor3, &m_btnColor4})
        b->setCheckable(true);
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

void CEditorDlg::AddButton(QPushButton& button, int id, const char* text, int x, int y, int cx,
                           int cy)
{
    button.setText(QString::fromLatin1(text));
    AddControl(&button, id, x, y, cx, cy);
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
    // The buttons' images are loaded here, before the base initialisation.
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
    m_pEditWnd->CreateView(ControlRect(kIdEditFrame), client());
    // A new editor fills its frame: zoom step 0.
    g_nZoomStep = 0;
    m_pSheetWnd = new CTileSheetWnd;
    m_pSheetWnd->CreateView(ControlRect(kIdSheetFrame), client());
    connect(m_pSheetWnd, &CTileSheetWnd::TileClicked, this, &CEditorDlg::RefreshEditor);

    // C1, "Black": the editor's level at start.
    m_btnColor1.setChecked(true);

    const struct
    {
        QPushButton* button;
        const char* text;
    } tips[] = {
        {&m_btnColor1, "Black"},         {&m_btnColor2, "Low Red"},
        {&m_btnColor3, "Med Red"},       {&m_btnColor4, "Hi Red"},
        {&m_btnExit, "Exit Kelvane"},    {&m_btnAbout, "About Kelvane"},
        {&m_btnHFlip, "H-Flip Tile"},    {&m_btnVFlip, "V-Flip Tile"},
        {&m_btnOpen, "Open tileset"},    {&m_btnSave, "Save tileset"},
        {&m_btnUndo, "Undo"},            {&m_btnZoom, "Zoom tile"},
        {&m_btnNew, "New tileset"},      {&m_btnModify, "Modify current tile"},
    };
    for (const auto& tip : tips)
        tip.button->setToolTip(QString::fromLatin1(tip.text));

    // The cursor follows the position over the client area and every control.
    client()->setMouseTracking(true);
    client()->installEventFilter(this);
    for (QWidget* w : client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->installEventFilter(this);
    OnSetCursor(m_pEditWnd, m_pEditWnd->mapToGlobal(QPoint(0, 0)));
    OnSetCursor(m_pSheetWnd, m_pSheetWnd->mapToGlobal(QPoint(0, 0)));

    // Commands of the buttons.
    connect(&m_btnColor1, &QPushButton::clicked, this, &CEditorDlg::OnColor1);
    connect(&m_btnColor2, &QPushButton::clicked, this, &CEditorDlg::OnColor2);
    connect(&m_btnColor3, &QPushButton::clicked, this, &CEditorDlg::OnColor3);
    connect(&m_btnColor4, &QPushButton::clicked, this, &CEditorDlg::OnColor4);
    connect(&m_btnExit, &QPushButton::clicked, this, &CEditorDlg::OnExit);
    connect(&m_btnOpen, &QPushButton::clicked, this, &CEditorDlg::OnOpen);
    connect(&m_btnSave, &QPushButton::clicked, this, &CEditorDlg::OnSave);
    connect(&m_btnHFlip, &QPushButton::clicked, this, &CEditorDlg::OnHFlip);
    connect(&m_btnUndo, &QPushButton::clicked, this, &CEditorDlg::OnUndo);
    connect(&m_btnVFlip, &QPushButton::clicked, this, &CEditorDlg::OnVFlip);
    connect(&m_btnZoom, &QPushButton::clicked, this, &CEditorDlg::OnZoom);
    connect(&m_btnNew, &QPushButton::clicked, this, &CEditorDlg::OnNew);
    connect(&m_btnModify, &QPushButton::clicked, this, &CEditorDlg::OnModify);

    m_captionPainter.Install(this, WM_CAPTIONPAINT);
    return true;
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

// Replaced by the About box on merge.
void CEditorDlg::OnAbout()
{
    CDialog dlg(this);
    dlg.setWindowTitle(QStringLiteral("About Kelvane"));
    dlg.DoModal();
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
    if (ControlRect(kIdEditFrame).contains(p))
        w->setCursor(m_hCursorEdit);
    else if (ControlRect(kIdSheetFrame).contains(p))
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
    // Drawn anew as active: the window is active again once its file
    // dialog has gone.
    m_captionPainter.m_bActive = TRUE;
    m_captionPainter.m_cxCache = 0;
    m_captionPainter.m_cyCache = 0;
    m_captionPainter.PaintCaption();
}

void CEditorDlg::SelectColor(int index)
{
    m_pEditWnd->SetColor(index);
    QPushButton* buttons[] = {&m_btnColor1, &m_btnColor2, &m_btnColor3, &m_btnColor4};
    for (int i = 0; i < 4; ++i)
        buttons[i]->setChecked(i == index);
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
    QRect r = ControlRect(kIdEditFrame);
    const int dx = g_nZoomStep * ((r.width() / 2 - 8) / 3);
    const int dy = g_nZoomStep * ((r.height() / 2 - 8) / 3);
    r.adjust(dx, dy, -dx, -dy);
    m_pEditWnd->setGeometry(r);
    m_pEditWnd->Invalidate();
}
