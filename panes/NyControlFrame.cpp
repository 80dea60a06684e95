#include "NyControlFrame.h"

#include "NyControlView.h"

namespace {
constexpr DWORD kCaptionFlagsCompact = 97;
constexpr DWORD kCaptionFlagsBig = 161;
constexpr DWORD kFrameStyle = 0x80040100; // WS_POPUP | WS_THICKFRAME | MFS_SYNCACTIVE
} // namespace

BOOL CNyControlFrame::Create(CWnd* parent)
{
    CString title;
    if (!title.LoadString(20348))
        title = "Controller";
    if (!CNyMiniFrame::Create(nullptr, title.GetString(), kFrameStyle, CRect(0, 0, 0, 0), parent, 0))
        return FALSE;
    InitCaption(kCaptionFlagsCompact);
    return TRUE;
}

void CNyControlFrame::FitToView()
{
    if (!m_view || !m_hWnd)
        return;
    m_view->SetCompactSkin(GetLayoutFlag() != FALSE);
    SetCaptionFlags(m_view->IsCompactSkin() ? kCaptionFlagsCompact : kCaptionFlagsBig);
    int left = 0, top = 0, right = 0, bottom = 0;
    GetBorderSizes(&left, &top, &right, &bottom);
    const CSize panel = m_view->GetPanelSize();
    const int width = panel.cx + left + right;
    const int height = panel.cy + top + bottom;
    SetSizeLimits(width, height, width, height);
    CRect window;
    GetWindowRect(&window);
    SetWindowPos(nullptr, window.right - width, window.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_view->m_hWnd)
        m_view->SetWindowPos(nullptr, 0, 0, panel.cx, panel.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_view->InitEngine(true);
    m_view->UpdateDisplay();
}

CNyControlFrame* CreateControllerPane(CWnd* mainFrame)
{
    // A frame or view whose window fails is deleted by the framework already; a view whose
    // window exists goes with its frame.
    auto* frame = new CNyControlFrame;
    if (!frame->Create(mainFrame))
        return nullptr;
    auto* view = new CNyControlView;
    if (!view->CreatePane(frame)) {
        frame->DestroyWindow();
        return nullptr;
    }
    frame->SetControlView(view);
    frame->SetPane(view);
    frame->FitToView();
    view->InitEngine(false);
    return frame;
}
