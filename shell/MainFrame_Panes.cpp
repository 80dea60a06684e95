// The floating panes: creation on first request, first placement, arranging next to the main
// window, enabling per view, and the transport state the controller pane reports.
#include "MainFrame.h"
#include "MainFrameIds.h"
#include "MainFrameWiring.h"
#include "NyAnalizeFrame.h"
#include "NyAnalizeWnd.h"
#include "NyMiniFrame.h"
#include "SkinTables.h"

#include <vector>

namespace {

const DWORD kPlainFrameStyle = 0x80040100;       // WS_POPUP | WS_THICKFRAME | 0x100
const DWORD kVideoFrameStyle = 0x80000500;       // WS_POPUP | 0x500
const DWORD kControllerClientStyle = 0x50010000; // WS_CHILD | WS_VISIBLE | WS_TABSTOP
const DWORD kViewClientStyle = 0x52010000;       // ... | WS_CLIPCHILDREN
const DWORD kPlainCaptionFlags = 33;             // close and roll-up buttons
const int kSkinMixerBase = 59;
const int kSkinMixerExtra = 58;
const int kSkinMixerAsioBase = 62;
const UINT kMarkerListSizeControl = 194;

bool IsViewPane(PaneKind kind)
{
    return kind == PaneKind::Controller || kind == PaneKind::Mixer || kind == PaneKind::EffectLauncher;
}

// While a pane is built its frame is still hidden, yet its views and dialogs give themselves the
// focus, which activates the hidden frame. When the activation later returns to the main window,
// Wine's desktop leaves that window above its own panes. Nothing hidden is activated or focused
// while the guard lives.
class HiddenActivationGuard {
public:
    HiddenActivationGuard() : m_hook(::SetWindowsHookExA(WH_CBT, Filter, nullptr, ::GetCurrentThreadId())) {}
    ~HiddenActivationGuard()
    {
        if (m_hook)
            ::UnhookWindowsHookEx(m_hook);
    }
    HiddenActivationGuard(const HiddenActivationGuard&) = delete;
    HiddenActivationGuard& operator=(const HiddenActivationGuard&) = delete;

private:
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE || code == HCBT_SETFOCUS) {
            HWND target = reinterpret_cast<HWND>(wParam);
            HWND root = target ? ::GetAncestor(target, GA_ROOT) : nullptr;
            if (root && !::IsWindowVisible(root))
                return 1;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK m_hook;
};

// Where a pane without a saved place goes: at its offset from the main window where that is
// free, else the nearest place on the main window's monitor clear of the main window's bars,
// of the panes not being arranged (bits of arranging) and of those already placed.
RECT ClearPaneRect(const CMainFrame* main, PaneKind kind, SIZE minimum, unsigned arranging,
                   const std::vector<RECT>& placed)
{
    RECT window, client = {};
    ::GetWindowRect(main->m_hWnd, &window);
    std::vector<RECT> taken = placed;
    if (main->m_hWndMDIClient && ::GetWindowRect(main->m_hWndMDIClient, &client)) {
        taken.push_back({window.left, window.top, window.right, client.top});
        taken.push_back({window.left, client.bottom, window.right, window.bottom});
    }
    for (int i = 0; i < kPaneKindCount; ++i) {
        const PaneKind other = static_cast<PaneKind>(i);
        if (other == kind || (arranging & (1u << i)))
            continue;
        CWnd* pane = main->HeldPane(other);
        RECT rect;
        if (pane && pane->m_hWnd && ::GetWindowRect(::GetParent(pane->m_hWnd), &rect))
            taken.push_back(rect);
    }
    const RECT preferred = ArrangedPaneRect(kind, window, minimum);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(main->m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
        return preferred;
    return FindFreePaneRect(preferred, monitor.rcWork, taken);
}

// The analysis pane has a frame of its own (dialog bar, status bar): made hidden with the skinned
// caption, then placed from its saved value or next to the main window.
CWnd* CreatePlacedAnalysisPane(CMainFrame* main)
{
    CNyAnalizeWnd* client = CreateAnalysisPane(main, true);
    if (!client)
        return nullptr;
    HWND frame = ::GetParent(client->m_hWnd);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    int extra = 0;
    RECT rect;
    if (LoadWindowPlacement(GetPaneInfo(PaneKind::Analysis).valueName, &placement, &extra)) {
        placement.showCmd = SW_HIDE;
        ::SetWindowPlacement(frame, &placement);
        ::GetWindowRect(frame, &rect);
        if (MoveRectOntoMonitor(&rect))
            ::SetWindowPos(frame, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        rect = ClearPaneRect(main, PaneKind::Analysis, SIZE{0, 0}, 0, {});
        ::MoveWindow(frame, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    }
    return client;
}

} // namespace

CNyMiniFrame* CMainFrame::PaneFrame(PaneKind kind) const
{
    CWnd* client = HeldPane(kind);
    if (!client || !client->m_hWnd)
        return nullptr;
    return dynamic_cast<CNyMiniFrame*>(CWnd::FromHandlePermanent(::GetParent(client->m_hWnd)));
}

CNyMiniFrame* CMainFrame::CreatePlainPaneFrame(PaneKind kind)
{
    auto* frame = new CNyMiniFrame;
    frame->InitCaption(kPlainCaptionFlags);
    CString title;
    title.LoadString(GetPaneInfo(kind).titleStringId);
    const bool video = kind == PaneKind::VideoPreview;
    // A frame whose window fails is deleted by the framework already.
    if (!frame->Create(nullptr, title, video ? kVideoFrameStyle : kPlainFrameStyle,
                       video ? CRect(0, 0, 320, 240) : CRect(0, 0, 0, 0), this, 0))
        return nullptr;
    return frame;
}

CWnd* CMainFrame::CreateViewClient(CView* view, CNyMiniFrame* frame, DWORD style)
{
    if (!view)
        return nullptr;
    // A view whose window fails is deleted by the framework.
    if (!view->Create(nullptr, nullptr, style, CRect(0, 0, 0, 0), frame, AFX_IDW_PANE_FIRST))
        return nullptr;
    return view;
}

CWnd* CMainFrame::CreateChildClient(CWnd* wnd, CNyMiniFrame* frame)
{
    if (!wnd)
        return nullptr;
    if (!wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), frame, AFX_IDW_PANE_FIRST)) {
        delete wnd;
        return nullptr;
    }
    return wnd;
}

CWnd* CMainFrame::CreateDialogClient(CDialog* dialog, UINT templateId, CNyMiniFrame* frame)
{
    if (!dialog)
        return nullptr;
    // A pane without its dialog window would be held as if it were there.
    if (!dialog->Create(templateId, frame)) {
        delete dialog;
        return nullptr;
    }
    dialog->ShowWindow(SW_SHOW);
    return dialog;
}

CWnd* CMainFrame::EnsurePane(PaneKind kind)
{
    CWnd*& slot = m_panes[static_cast<int>(kind)];
    if (slot)
        return slot;
    HiddenActivationGuard guard;
    if (kind == PaneKind::Analysis) {
        slot = CreatePlacedAnalysisPane(this);
        if (slot)
            ConnectPane(kind, slot);
        return slot;
    }
    CNyMiniFrame* frame = CreatePaneFrame(kind);
    if (!frame)
        return nullptr;
    CWnd* client = CreatePaneClient(kind, frame);
    if (!client) {
        frame->DestroyWindow();
        return nullptr;
    }
    slot = client;
    if (kind == PaneKind::Controller)
        InitControllerEngine(client);
    if (IsViewPane(kind) || kind == PaneKind::VideoPreview) {
        frame->RecalcLayout(TRUE);
        if (auto* view = dynamic_cast<CView*>(client); view && IsViewPane(kind))
            frame->SetActiveView(view, TRUE);
    }
    if (kind != PaneKind::VideoPreview)
        frame->SetPane(client);
    if (kind == PaneKind::Controller)
        client->ShowWindow(SW_SHOW);
    SetPaneSizeLimits(kind, frame, client);
    PlaceNewPane(kind, frame);
    client->UpdateWindow();
    ConnectPane(kind, client);
    return client;
}

void CMainFrame::SetPaneSizeLimits(PaneKind kind, CNyMiniFrame* frame, CWnd* client)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    frame->GetBorderSizes(&left, &top, &right, &bottom);
    switch (kind) {
    case PaneKind::Controller: {
        CSize image = GetSkinImageSize(kSkinCtrlBase);
        int width = left + right + image.cx;
        int height = top + bottom + image.cy;
        frame->SetSizeLimits(width, height, width, height);
        break;
    }
    case PaneKind::Mixer: {
        const BOOL asio = frame_wiring::AsioInUse();
        CSize base = GetSkinImageSize(asio ? kSkinMixerAsioBase : kSkinMixerBase);
        int extra = asio ? 0 : GetSkinImageSize(kSkinMixerExtra).cx;
        int height = top + bottom + base.cy;
        frame->SetSizeLimits(left + right + base.cx + extra, height, -1, height);
        break;
    }
    case PaneKind::Selection: {
        CRect window;
        frame->GetWindowRect(&window);
        frame->SetSizeLimits(window.Width(), window.Height(), window.Width(), window.Height());
        break;
    }
    case PaneKind::MarkerList: {
        CRect control;
        if (HWND item = ::GetDlgItem(client->m_hWnd, kMarkerListSizeControl)) {
            ::GetWindowRect(item, &control);
            ::MapWindowPoints(nullptr, client->m_hWnd, reinterpret_cast<POINT*>(&control), 2);
            // The control marks the smallest client area; the frame adds its borders around it.
            frame->SetSizeLimits(control.right + left + right, control.bottom + top + bottom, -1, -1);
        }
        break;
    }
    case PaneKind::VideoPreview: {
        frame->SetSizeLimits(200, 140, -1, -1);
        CRect window, inside;
        frame->GetWindowRect(&window);
        frame->GetClientRect(&inside);
        frame->SetWindowPos(nullptr, 0, 0, window.Width() - inside.Width() + 360,
                            window.Height() - inside.Height() + 256, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    default:
        break;
    }
}

void CMainFrame::PlaceNewPane(PaneKind kind, CNyMiniFrame* frame)
{
    const PaneInfo& info = GetPaneInfo(kind);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    int extra = 0;
    if (!LoadWindowPlacement(info.valueName, &placement, &extra)) {
        ArrangeFloatingPanes(info.commandId);
        m_panesWithoutPlace |= 1u << static_cast<int>(kind);
        return;
    }
    if (kind == PaneKind::Controller) {
        frame->SetLayoutFlag((extra >> 4) & 15);
        frame->RecalcFrameLayout();
    }
    // A pane saved smaller than it can be shown keeps what it can of its saved size.
    SIZE minimum = {0, 0}, maximum = {0, 0};
    frame->GetSizeLimits(&minimum, &maximum);
    CRect main;
    GetWindowRect(&main);
    placement.rcNormalPosition = RestoredPaneRect(kind, placement.rcNormalPosition, main, minimum);
    frame->ShowPane(&placement, extra & 15);
    // A monitor that was there when the value was saved may be gone now. Checked at the size
    // the pane has taken (its limits may have stretched the saved rectangle).
    CRect rect;
    frame->GetWindowRect(&rect);
    if (MoveRectOntoMonitor(&rect))
        frame->SetWindowPos(nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::RaiseFloatingPanes()
{
    // Every pane's frame: the mini frames and the analysis pane's frame of its own.
    const auto isShownPane = [this](HWND w) {
        for (int i = 0; i < kPaneKindCount; ++i) {
            CWnd* client = HeldPane(static_cast<PaneKind>(i));
            if (client && client->m_hWnd && ::GetParent(client->m_hWnd) == w)
                return ::IsWindowVisible(w) != FALSE;
        }
        return false;
    };
    // Shown panes found below this window go back to the top, keeping their order. Not while a
    // window of ours other than a pane (a dialog, a message box) lies above this one: it stays on
    // top. Raised to the top rather than placed after a sibling: only that reaches the X
    // stacking of Wine's desktop.
    std::vector<HWND> below;
    bool mainSeen = false;
    for (HWND w = ::GetWindow(m_hWnd, GW_HWNDFIRST); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (w == m_hWnd) {
            mainSeen = true;
        } else if (!mainSeen) {
            if (::IsWindowVisible(w) && !isShownPane(w) &&
                ::GetWindowThreadProcessId(w, nullptr) == ::GetCurrentThreadId())
                return;
        } else if (isShownPane(w)) {
            below.push_back(w);
        }
    }
    for (auto it = below.rbegin(); it != below.rend(); ++it)
        ::SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMainFrame::ArrangeFloatingPanes(int commandId)
{
    // Every pane goes next to the main window, also one that waits for its first show: built
    // now, it ends where it would have as a pane built at start.
    if (commandId == -1)
        for (PaneKind kind : {PaneKind::MarkerList, PaneKind::VideoPreview})
            if (!HeldPane(kind) && IsPaneBuiltOnFirstShow(kind))
                EnsurePane(kind);
    unsigned mask = 0;
    for (int i = 0; i < kPaneKindCount; ++i)
        if (commandId == -1 || commandId == GetPaneInfo(static_cast<PaneKind>(i)).commandId)
            mask |= 1u << i;
    ArrangePanes(mask);
}

void CMainFrame::ArrangeNewPanes()
{
    ArrangePanes(m_panesWithoutPlace);
    m_panesWithoutPlace = 0;
}

void CMainFrame::ArrangePanes(unsigned mask)
{
    struct Move {
        CWnd* frame;
        RECT rect;
    };
    Move moves[kPaneKindCount] = {};
    std::vector<RECT> placed;
    // The panes a first start shows pick their places before those that stay hidden.
    for (bool shown : {true, false}) {
        for (int i = 0; i < kPaneKindCount; ++i) {
            const PaneKind kind = static_cast<PaneKind>(i);
            const PaneInfo& info = GetPaneInfo(kind);
            CWnd* client = HeldPane(kind);
            if (!(mask & (1u << i)) || info.showWhenArranged != shown || !client || !client->m_hWnd)
                continue;
            CWnd* frame = CWnd::FromHandle(::GetParent(client->m_hWnd));
            auto* miniFrame = dynamic_cast<CNyMiniFrame*>(frame);
            if (info.rollsUp && miniFrame && miniFrame->IsRolledUp())
                miniFrame->SetRolledUp(FALSE);
            if (frame->IsIconic())
                frame->ShowWindow(SW_RESTORE);
            SIZE minimum = {0, 0}, maximum = {0, 0};
            if (miniFrame)
                miniFrame->GetSizeLimits(&minimum, &maximum);
            moves[i] = {frame, ClearPaneRect(this, kind, minimum, mask, placed)};
            placed.push_back(moves[i].rect);
        }
    }
    for (int i = 0; i < kPaneKindCount; ++i) {
        CWnd* frame = moves[i].frame;
        if (!frame)
            continue;
        const RECT& rect = moves[i].rect;
        frame->MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
        // Raised without taking the activation: a pane that took it here, when the main window
        // takes it back, ends up behind that window under Wine's X11 desktop.
        ::SetWindowPos(frame->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (GetPaneInfo(static_cast<PaneKind>(i)).showWhenArranged)
            frame->ShowWindow(SW_SHOWNA);
    }
}

namespace {
void EnablePaneFor(CWnd* pane, CView* bound, CView* view, BOOL disable)
{
    if (pane && pane->m_hWnd && bound && bound == view)
        pane->EnableWindow(!disable);
}
} // namespace

void CMainFrame::EnableSelectionPanesForView(CView* view, BOOL disable)
{
    for (PaneKind kind : {PaneKind::Selection, PaneKind::MarkerList})
        if (CWnd* pane = HeldPane(kind))
            EnablePaneFor(pane, PaneBoundView(kind, pane), view, disable);
}

void CMainFrame::EnableControllerPanesForView(CView* view, BOOL disable)
{
    for (PaneKind kind : {PaneKind::Controller, PaneKind::Mixer})
        if (CWnd* pane = HeldPane(kind))
            EnablePaneFor(pane, PaneBoundView(kind, pane), view, disable);
}

BOOL CMainFrame::IsEngineRunning()
{
    return IsTransportActive() || IsRecordingActive();
}

BOOL CMainFrame::IsTransportActive()
{
    CWnd* controller = HeldPane(PaneKind::Controller);
    if (!controller)
        return FALSE;
    int state = 0;
    HRESULT hr = ControllerTransportState(controller, &state);
    return FAILED(hr) || state == 2 || state == 3;
}

BOOL CMainFrame::IsRecordingActive()
{
    CWnd* controller = HeldPane(PaneKind::Controller);
    return controller && ControllerIsRecording(controller);
}
