#include "TipWindow.h"

#include "UiUtilities.h"

#include <commctrl.h>
#include <cstring>

namespace {

const char kTipClass[] = "Korvane-Tips";
const char kFaceName[] = "MS Sans Serif";
const UINT kTipFaceString = 27275;
const UINT kValueTipFaceString = 20223;

// Program-wide: one tip is visible at a time.
TipWindow* g_visibleTip = nullptr;
HWND g_showingWindow = nullptr;
POINT g_lastCursor = {-32768, -32768};

const char* RegisterTipClass()
{
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kTipClass;
    return AfxRegisterClass(&wc) ? kTipClass : nullptr;
}

LANGID UserInterfaceLanguage()
{
    using GetLanguage = LANGID(WINAPI*)();
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto get = kernel ? reinterpret_cast<GetLanguage>(
                            reinterpret_cast<void*>(::GetProcAddress(kernel, "GetUserDefaultUILanguage")))
                      : nullptr;
    return get ? get() : ::GetUserDefaultLangID();
}

void CreateTipFont(CFont& font, const char* face)
{
    LOGFONTA lf = {};
    lf.lfHeight = 12;
    lf.lfCharSet = PRIMARYLANGID(UserInterfaceLanguage()) == LANG_JAPANESE ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = 0x30;
    lstrcpynA(lf.lfFaceName, face && *face ? face : kFaceName, LF_FACESIZE);
    font.CreateFontIndirect(&lf);
}

CString FaceFromStrings(UINT id)
{
    CString face;
    if (!face.LoadString(id) || face.IsEmpty())
        face = kFaceName;
    return face;
}

// The background of the system's tool tips, read from a tool-tip control made for the purpose.
COLORREF SystemTipColor(HWND owner)
{
    COLORREF color = ::GetSysColor(COLOR_INFOBK);
    HWND tip = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                                 AfxGetInstanceHandle(), nullptr);
    if (tip) {
        color = (COLORREF)::SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0);
        ::DestroyWindow(tip);
    }
    return color;
}

bool IsMouseMove(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
}

// Screen point of a relayed mouse message.
POINT ScreenPoint(const MSG* msg)
{
    POINT p = {(short)LOWORD(msg->lParam), (short)HIWORD(msg->lParam)};
    bool client = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    if (client)
        ::ClientToScreen(msg->hwnd, &p);
    return p;
}

bool LeftButtonDown()
{
    return (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
}

// The area a tip must stay in: the desktop's icon view when there is one, else the work area.
RECT TipArea()
{
    static bool looked = false;
    static HWND view = nullptr;
    if (!looked) {
        looked = true;
        if (HWND desktop = ::FindWindowA("Progman", "Program Manager"))
            view = ::FindWindowExA(desktop, nullptr, "SHELLDLL_DefView", nullptr);
    }
    RECT area = {};
    if (view && ::IsWindow(view))
        ::GetWindowRect(view, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

} // namespace

TipTool* TipTool::FindById(int id)
{
    if (id == 0)
        return nullptr;
    for (TipTool* t = this; t; t = t->m_next)
        if (t->m_id == id)
            return t;
    for (TipTool* t = m_previous; t; t = t->m_previous)
        if (t->m_id == id)
            return t;
    return nullptr;
}

BEGIN_MESSAGE_MAP(TipWindow, CWnd)
    ON_WM_PAINT()
    ON_WM_TIMER()
END_MESSAGE_MAP()

TipWindow::TipWindow(const char* faceName, COLORREF background) : m_background(background)
{
    CreateTipFont(m_font, faceName);
}

TipWindow::~TipWindow()
{
    if (m_hWnd) {
        KillTimer(kWaitTimer);
        KillTimer(kDisplayTimer);
    }
    if (g_visibleTip == this) {
        g_visibleTip = nullptr;
        g_showingWindow = nullptr;
    }
    while (m_tools) {
        TipTool* next = m_tools->m_next;
        delete m_tools;
        m_tools = next;
    }
    m_current = nullptr;
    DestroyWindow();
}

BOOL TipWindow::Create(CWnd* owner, DWORD style, UINT format)
{
    if (format)
        m_format = format;
    m_owner = owner;
    const char* cls = RegisterTipClass();
    if (!cls)
        return FALSE;
    return CreateEx(WS_EX_TOOLWINDOW, cls, nullptr, WS_POPUP | WS_BORDER | style, 0, 0, 0, 0, nullptr, nullptr);
}

TipWindow* CreateTipWindow(CWnd* owner, DWORD style, UINT format)
{
    CString face = FaceFromStrings(kTipFaceString);
    auto* tip = new TipWindow(face, SystemTipColor(owner ? owner->m_hWnd : nullptr));
    if (!tip->Create(owner, style, format)) {
        delete tip;
        return nullptr;
    }
    return tip;
}

TipWindow* TipWindow::GetVisibleTip()
{
    return g_visibleTip;
}

BOOL TipWindow::RelayEvent(CWnd* window, const MSG* msg)
{
    if (!msg)
        return FALSE;
    switch (msg->message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnRelayedMessage(window, msg);
        return TRUE;
    default:
        return FALSE;
    }
}

void TipWindow::Cancel()
{
    KillTimer(kWaitTimer);
    KillTimer(kDisplayTimer);
    if (g_visibleTip)
        g_visibleTip->Hide();
    g_showingWindow = nullptr;
}

void TipWindow::SetActive(BOOL active)
{
    m_active = active;
    if (!active && m_owner && m_owner->m_hWnd) {
        m_owner->SetFocus();
        m_owner->UpdateWindow();
    }
}

int TipWindow::GetToolCount() const
{
    int count = 0;
    for (TipTool* t = m_tools; t; t = t->m_next)
        ++count;
    return count;
}

BOOL TipWindow::AddTool(const char* text, const RECT& rect, int id)
{
    auto* tool = new TipTool(id, rect, text);
    if (!m_tools) {
        m_tools = tool;
        return TRUE;
    }
    TipTool* last = m_tools;
    while (last->m_next)
        last = last->m_next;
    last->m_next = tool;
    tool->m_previous = last;
    return TRUE;
}

BOOL TipWindow::RemoveTool(int id)
{
    if (!m_tools)
        return FALSE;
    TipTool* tool = nullptr;
    if (id == 0) {
        tool = m_tools;
        while (tool->m_next)
            tool = tool->m_next;
    } else {
        tool = m_tools->FindById(id);
    }
    if (!tool)
        return FALSE;
    if (tool->m_previous)
        tool->m_previous->m_next = tool->m_next;
    else
        m_tools = tool->m_next;
    if (tool->m_next)
        tool->m_next->m_previous = tool->m_previous;
    if (m_current == tool)
        m_current = nullptr;
    delete tool;
    return TRUE;
}

TipTool* TipWindow::ToolAt(POINT screen) const
{
    if (!m_owner || !m_owner->m_hWnd)
        return nullptr;
    RECT owner;
    m_owner->GetWindowRect(&owner);
    POINT p = {screen.x - owner.left, screen.y - owner.top};
    for (TipTool* t = m_tools; t; t = t->m_next)
        if (t->HitTest(p))
            return t;
    return nullptr;
}

void TipWindow::OnRelayedMessage(CWnd* window, const MSG* msg)
{
    if (!window || !window->m_hWnd || !msg)
        return;
    if (!window->IsWindowVisible() || window->IsIconic())
        return;
    if (g_visibleTip && g_showingWindow != window->m_hWnd)
        g_visibleTip->Hide();
    if (!m_shown && LeftButtonDown())
        return;
    if (!IsMouseMove(msg->message)) {
        KillTimer(kWaitTimer);
        KillTimer(kDisplayTimer);
        Hide();
        return;
    }
    POINT p = ScreenPoint(msg);
    m_current = ToolAt(p);
    if (!m_current) {
        KillTimer(kWaitTimer);
        Hide();
    } else if (p.x != g_lastCursor.x || p.y != g_lastCursor.y) {
        KillTimer(kWaitTimer);
        Hide();
        m_relayWindow = window->m_hWnd;
        SetTimer(kWaitTimer, kWaitMs);
    }
    g_lastCursor = p;
}

void TipWindow::OnTimer(UINT_PTR id)
{
    KillTimer(id);
    if (id == kDisplayTimer) {
        if (m_displayTime)
            Hide();
        return;
    }
    if (id != kWaitTimer)
        return;
    if (!m_owner || !m_owner->m_hWnd || !m_owner->IsWindowVisible() || LeftButtonDown())
        return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    if (cursor.x != g_lastCursor.x || cursor.y != g_lastCursor.y)
        return;
    if (!m_current || ToolAt(cursor) != m_current)
        return;
    Position(TRUE);
    if (m_shown && m_displayTime)
        SetTimer(kDisplayTimer, (UINT)m_displayTime);
}

CSize TipWindow::MeasureText(const CString& text)
{
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    RECT r = {0, 0, 0, 0};
    UINT format = m_format | DT_CALCRECT;
    if (!strstr(text, "\r\n"))
        format |= DT_SINGLELINE;
    dc.DrawText(text, -1, &r, format);
    dc.SelectObject(old);
    return CSize(r.right - r.left, r.bottom - r.top);
}

void TipWindow::Position(BOOL show)
{
    if (!show) {
        Hide();
        return;
    }
    if (g_visibleTip && g_visibleTip != this)
        g_visibleTip->Hide();
    if (!m_current || m_current->m_text.IsEmpty())
        return;
    g_visibleTip = this;
    g_showingWindow = m_relayWindow;
    m_text = m_current->m_text;
    CSize text = MeasureText(m_text);
    SIZE size = {text.cx + 8, text.cy + 8};
    POINT at = {g_lastCursor.x, g_lastCursor.y + ::GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
    POINT placed = PlaceWindowNear(at, size, TipArea());
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, placed.x, placed.y, size.cx, size.cy,
                   SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOSENDCHANGING);
    m_shown = TRUE;
    Invalidate(FALSE);
    // The owner keeps the mouse, so that it sees the cursor leave the tool.
    if (m_owner && m_owner->m_hWnd && ::GetCapture() != m_owner->m_hWnd)
        m_owner->SetCapture();
}

void TipWindow::Hide()
{
    if (m_hWnd && (m_shown || IsWindowVisible()))
        ShowWindow(SW_HIDE);
    bool wasShown = m_shown != FALSE;
    m_shown = FALSE;
    if (g_visibleTip == this) {
        g_visibleTip = nullptr;
        g_showingWindow = nullptr;
    }
    if (wasShown && m_owner && m_owner->m_hWnd) {
        m_owner->UpdateWindow();
        if (::GetCapture() == m_owner->m_hWnd && !LeftButtonDown())
            ::ReleaseCapture();
    }
}

void TipWindow::OnPaint()
{
    CPaintDC dc(m_hWnd);
    DrawTip(&dc);
}

void TipWindow::DrawTip(CDC* dc)
{
    RECT client;
    GetClientRect(&client);
    dc->FillSolidRect(client, m_background);
    if (m_text.IsEmpty())
        return;
    UINT format = m_format;
    bool multiLine = strstr(m_text, "\r\n") != nullptr;
    if (!multiLine)
        format |= DT_SINGLELINE;
    CString text;
    bool hadTab = false;
    for (const char* c = m_text; *c; ++c) {
        if (*c == '\t')
            hadTab = true;
        else
            text += *c;
    }
    if (hadTab)
        format |= DT_CENTER;
    RECT r = client;
    if (multiLine) {
        r.left += 4;
        r.top += 4;
    }
    HGDIOBJ old = dc->SelectObject(m_font);
    int mode = dc->SetBkMode(TRANSPARENT);
    dc->DrawText(text, -1, &r, format);
    dc->SetBkMode(mode);
    dc->SelectObject(old);
}

// ---- ValueTipWnd ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(ValueTipWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

ValueTipWnd::ValueTipWnd(CWnd* owner) : m_owner(owner)
{
    CreateTipFont(m_font, FaceFromStrings(kValueTipFaceString));
    m_background = SystemTipColor(owner ? owner->m_hWnd : nullptr);
    if (const char* cls = RegisterTipClass())
        CreateEx(WS_EX_TOOLWINDOW, cls, nullptr, WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr);
}

ValueTipWnd::~ValueTipWnd()
{
    DestroyWindow();
}

void ValueTipWnd::SetText(const char* text)
{
    m_text = text ? text : "";
    if (m_hWnd)
        Invalidate(FALSE);
}

void ValueTipWnd::ShowAt(const char* text, int x, int y)
{
    SetText(text);
    if (!m_hWnd)
        return;
    RECT size{0, 0, 0, 0};
    if (HDC dc = ::GetDC(m_hWnd)) {
        HGDIOBJ old = ::SelectObject(dc, m_font.m_hObject);
        ::DrawTextA(dc, m_text.GetString(), -1, &size, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(m_hWnd, dc);
    }
    const int width = size.right - size.left + 8 + 2 * ::GetSystemMetrics(SM_CXBORDER);
    const int height = size.bottom - size.top + 4 + 2 * ::GetSystemMetrics(SM_CYBORDER);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::UpdateWindow(m_hWnd);
}

void ValueTipWnd::OnPaint()
{
    CPaintDC dc(m_hWnd);
    RECT client;
    GetClientRect(&client);
    Render(&dc, client);
}

void ValueTipWnd::Render(CDC* dc, const RECT& client)
{
    dc->FillSolidRect(client, m_background);
    RECT r = client;
    HGDIOBJ old = dc->SelectObject(m_font);
    int mode = dc->SetBkMode(TRANSPARENT);
    dc->DrawText(m_text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    dc->SetBkMode(mode);
    dc->SelectObject(old);
}
