#include "VideoPreviewWnd.h"

#include "ContextMenu.h"
#include "FontSet.h"
#include "VideoIds.h"
#include "VideoLayout.h"
#include "VideoTrackPane.h"

#include <cstdio>
#include <cstring>

BEGIN_MESSAGE_MAP(CVideoPreviewWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_CONTEXTMENU()
    ON_COMMAND_RANGE(ID_VIDEO_ZOOM_25, ID_VIDEO_ZOOM_400, OnZoom)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIDEO_ZOOM_25, ID_VIDEO_ZOOM_400, OnUpdateZoom)
END_MESSAGE_MAP()

CVideoPreviewWnd::~CVideoPreviewWnd()
{
    if (m_pane)
        m_pane->SetPreviewWindow(nullptr);
}

BOOL CVideoPreviewWnd::Create(const char*, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                              UINT id, void* createParam)
{
    const char* cls = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC, LoadCursor(nullptr, IDC_ARROW));
    return CreateEx(WS_EX_CLIENTEDGE, cls, windowName, style, rect, parent, id, createParam);
}

int CVideoPreviewWnd::OnCreate(LPCREATESTRUCTA)
{
    ::GetClientRect(m_hWnd, &m_client);
    m_picture = m_client;
    m_picture.bottom = std::max<LONG>(m_picture.top, m_picture.bottom - kVideoStatusHeight);
    return 0;
}

void CVideoPreviewWnd::OnDestroy()
{
    SetActiveView(nullptr);
    CWnd::OnDestroy();
}

void CVideoPreviewWnd::SetActiveView(CWnd* view)
{
    if (m_pane)
        m_pane->SetPreviewWindow(nullptr);
    m_pane = nullptr;
    if (view && view->m_hWnd)
        m_pane = dynamic_cast<CVideoTrackPane*>(CWnd::FromHandlePermanent(::GetDlgItem(view->m_hWnd, kVideoTrackPaneId)));
    if (m_pane)
        m_pane->SetPreviewWindow(this);
    if (m_hWnd)
        Invalidate(TRUE);
}

bool CVideoPreviewWnd::HasVideo() const
{
    return m_pane && m_pane->DisplaySource();
}

void CVideoPreviewWnd::OnSize(UINT, int, int)
{
    ::GetClientRect(m_hWnd, &m_client);
    m_picture = m_client;
    m_picture.bottom = std::max<LONG>(m_picture.top, m_picture.bottom - kVideoStatusHeight);
    if (m_pane)
        m_pane->LayoutPreview(m_picture);
}

std::string CVideoPreviewWnd::StatusText() const
{
    if (!HasVideo())
        return "-----/-----  ---x---(---x---) --.--fps";
    CVideoSource* source = m_pane->DisplaySource();
    const RECT& f = m_pane->PreviewFrameRect();
    const double duration = source->GetFrameDuration();
    char text[128];
    std::snprintf(text, sizeof text, "     /%5d  %dx%d(%dx%d) %5.2ffps", source->GetFrameCount(),
                  static_cast<int>(f.right - f.left), static_cast<int>(f.bottom - f.top), source->GetWidth(),
                  source->GetHeight(), duration > 0 ? 1.0 / (duration * 0.0001) : 0.0);
    return text;
}

void CVideoPreviewWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    const RECT status{m_client.left, m_picture.bottom, m_client.right, m_client.bottom};
    SetBkColor(dc, RGB(0, 0, 0));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &status, nullptr, 0, nullptr);
    CFont* font = FontSet::Get(7);
    HGDIOBJ old = font ? SelectObject(dc, font->m_hObject) : nullptr;
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    const std::string text = StatusText();
    if (!HasVideo()) {
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &m_picture, nullptr, 0, nullptr);
        RECT picture = m_picture;
        ::DrawTextA(dc, "No Video", -1, &picture, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    TextOutA(dc, m_picture.left, m_picture.bottom + 2, text.c_str(), static_cast<int>(text.size()));
    if (old)
        SelectObject(dc, old);
    if (HasVideo())
        m_pane->PaintPreview(dc, m_picture);
    ::EndPaint(m_hWnd, &ps);
}

void CVideoPreviewWnd::OnContextMenu(CWnd*, CPoint point)
{
    TrackContextMenu(this, IDR_VIDEO_PREVIEW_MENU, point);
}

void CVideoPreviewWnd::OnUpdateZoom(CCmdUI* ui)
{
    if (!HasVideo()) {
        ui->Enable(FALSE);
        return;
    }
    ui->Enable(TRUE);
    CVideoSource* source = m_pane->DisplaySource();
    const RECT& f = m_pane->PreviewFrameRect();
    ui->SetCheck(ZoomCheck(source->GetWidth(), source->GetHeight(), f.right - f.left, f.bottom - f.top) == ui->m_nID);
}

void CVideoPreviewWnd::OnZoom(UINT id)
{
    if (!HasVideo())
        return;
    CVideoSource* source = m_pane->DisplaySource();
    const double scale = ZoomScale(id);
    const int w = static_cast<int>(source->GetWidth() * scale), h = static_cast<int>(source->GetHeight() * scale);
    // The frame around the picture: this window's edge and its frame's borders and caption.
    CWnd* frame = CWnd::FromHandle(::GetParent(m_hWnd));
    HWND outer = frame ? frame->m_hWnd : m_hWnd;
    RECT window, client;
    ::GetWindowRect(outer, &window);
    ::GetClientRect(m_hWnd, &client);
    RECT inner;
    ::GetWindowRect(m_hWnd, &inner);
    const int extraW = (window.right - window.left) - (client.right - client.left);
    const int extraH = (window.bottom - window.top) - (client.bottom - client.top);
    RECT wanted{window.left, window.top, window.left + w + extraW, window.top + h + kVideoStatusHeight + extraH};
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    using MonitorFromRectFn = HMONITOR(WINAPI*)(LPCRECT, DWORD);
    using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    HMODULE user = ::GetModuleHandleA("user32.dll");
    auto fromRect =
        user ? reinterpret_cast<MonitorFromRectFn>(reinterpret_cast<void*>(::GetProcAddress(user, "MonitorFromRect")))
             : nullptr;
    auto info =
        user ? reinterpret_cast<GetMonitorInfoFn>(reinterpret_cast<void*>(::GetProcAddress(user, "GetMonitorInfoA")))
             : nullptr;
    if (fromRect && info) {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        if (HMONITOR monitor = fromRect(&wanted, MONITOR_DEFAULTTONEAREST); monitor && info(monitor, &mi))
            work = mi.rcWork;
    }
    wanted = KeepInsideWorkArea(wanted, work);
    ::SetWindowPos(outer, nullptr, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}
