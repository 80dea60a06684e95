#include "MixerView.h"

#include "ChangePropertyCommand.h"
#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "ControllerViewLink.h"
#include "DocumentLevelTarget.h"
#include "MasterStrip.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "NyControlView.h"
#include "NyMiniFrame.h"
#include "PaneToolTip.h"
#include "RecordStrip.h"
#include "SelectionModel.h"
#include "SkinTables.h"
#include "TrackStrip.h"

#include <algorithm>
#include <commctrl.h>
#include <cstdlib>
#include <cstring>

namespace {
constexpr UINT kScrollBarId = 100;
constexpr UINT_PTR kMeterTimerId = 100;
constexpr int kScrollBarHeight = 16;
constexpr int kImageRecord = 58;
constexpr int kImageMaster = 59;
constexpr int kImageTrack = 60;
constexpr int kImageCorner = 77;
constexpr DWORD kFlagCollapsed = 32;
} // namespace

CMixerView::CMixerView() = default;

CMixerView::~CMixerView()
{
    ClearStrips();
    m_master.reset();
    m_record.reset();
}

BOOL CMixerView::CreatePane(CWnd* frame)
{
    static const char* const className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW));
    if (!CreateEx(0, className, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 100, 100), frame,
                  AFX_IDW_PANE_FIRST))
        return FALSE;
    if (!m_scrollBar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, kScrollBarId))
        return FALSE;
    // An empty range would hide the bar and leave its window blank: it stays drawn, disabled.
    SCROLLINFO info{sizeof info, SIF_ALL | SIF_DISABLENOSCROLL, 0, 0, 1, 0, 0};
    m_scrollBar.SetScrollInfo(&info, FALSE);
    m_scrollBar.EnableScrollBar(ESB_DISABLE_BOTH);
    m_tip = CreatePaneToolTip(m_hWnd);
    BuildStrips(nullptr);
    return TRUE;
}

CNyMultiTrackDoc* CMixerView::GetDocument() const
{
    return m_view ? m_view->GetDocument() : nullptr;
}

StripLevelTarget* CMixerView::GetLevelTarget()
{
    if (m_levelTarget)
        return m_levelTarget;
    if (StripLevelTarget* viewTarget = m_view ? m_view->GetLevelTarget() : nullptr)
        return viewTarget;
    CNyMultiTrackDoc* doc = GetDocument();
    if (!doc)
        return nullptr;
    if (!m_ownTarget || m_ownTargetDocument != doc) {
        m_ownTarget = std::make_unique<DocumentLevelTarget>(doc);
        m_ownTargetDocument = doc;
    }
    return m_ownTarget.get();
}

ControllerViewLink* CMixerView::SetView(ControllerViewLink* view)
{
    if (view != m_view) {
        // A drag ends with the strips it was on, its step given to the view it began in.
        ForEachControl(&CMixerCtrl::CancelDrag);
        m_view = view;
        BuildStrips(view);
    }
    return view;
}

CTrackStrip* CMixerView::GetTrackStrip(int index) const
{
    return index >= 0 && index < int(m_strips.size()) ? m_strips[size_t(index)].get() : nullptr;
}

CMixerCtrl* CMixerView::GetStripCtrl(int code) const
{
    if (code == kStripMaster)
        return m_master.get();
    if (code == kStripRecord)
        return m_record.get();
    return code >= 0 ? GetTrackStrip(code) : nullptr;
}

void CMixerView::ClearStrips()
{
    m_strips.clear();
    m_stripsTracks.clear();
    m_stripsDocument = nullptr;
    m_built = false;
}

void CMixerView::ForEachControl(void (CMixerCtrl::*action)())
{
    if (m_record)
        (m_record.get()->*action)();
    if (m_master)
        (m_master.get()->*action)();
    for (auto& strip : m_strips)
        (strip.get()->*action)();
}

void CMixerView::Rebuild()
{
    // Playback's stop and every edit come here: strips made again would end a fader drag the
    // user still holds, and cost a whole repaint of the pane.
    if (!m_built || !StripsFitTracks(m_view)) {
        ForEachControl(&CMixerCtrl::CancelDrag);
        BuildStrips(m_view);
        return;
    }
    ForEachControl(&CMixerCtrl::Refresh);
    ArrangeStrips();
}

bool CMixerView::StripsFitTracks(ControllerViewLink* view) const
{
    CNyMultiTrackDoc* doc = view ? view->GetDocument() : nullptr;
    if (doc != m_stripsDocument)
        return false;
    if (!doc)
        return true;
    // Multichannel documents have no track strips.
    const int count = doc->IsMultichannel() ? 0 : doc->GetTrackCount();
    if (count != int(m_stripsTracks.size()) || (m_master != nullptr) == (doc->IsMultichannel() != FALSE))
        return false;
    for (int i = 0; i < count; ++i)
        if (doc->GetTrack(i) != m_stripsTracks[size_t(i)])
            return false;
    return true;
}

void CMixerView::BuildStrips(ControllerViewLink* view)
{
    CNyMultiTrackDoc* doc = view ? view->GetDocument() : nullptr;
    // Multichannel documents have no mixer strips; neither do ASIO outputs, which this
    // program does not drive.
    const bool normal = !doc || !doc->IsMultichannel();
    m_record.reset();
    m_master.reset();
    if (normal) {
        m_record = std::make_unique<CRecordStrip>(this, kImageRecord);
        m_record->SetUp();
        m_record->Refresh();
        m_master = std::make_unique<CMasterStrip>(this, kImageMaster);
        m_master->SetUp();
        m_master->Refresh();
    }
    ClearStrips();
    m_focusedStrip = m_hotStrip = kStripNone;
    m_stripsDocument = doc;
    if (doc && normal) {
        for (int i = 0; i < doc->GetTrackCount(); ++i) {
            auto strip = std::make_unique<CTrackStrip>(this, kImageTrack, doc->GetTrack(i), i);
            strip->SetUp();
            strip->Refresh();
            m_strips.push_back(std::move(strip));
            m_stripsTracks.push_back(doc->GetTrack(i));
        }
    }
    ArrangeStrips();
}

void CMixerView::ArrangeStrips()
{
    if (m_hWnd) {
        CRect client;
        GetClientRect(&client);
        PlaceScrollBar(client.Width(), client.Height());
    }
    FitFrame();
    LayoutStrips();
    UpdateScrollRange();
    m_built = true;
    if (m_hWnd) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        ::UpdateWindow(m_hWnd);
    }
}

void CMixerView::FitFrame()
{
    auto* frame = m_hWnd ? dynamic_cast<CNyMiniFrame*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd))) : nullptr;
    if (!frame || !m_master)
        return;
    int left = 0, top = 0, right = 0, bottom = 0;
    frame->GetBorderSizes(&left, &top, &right, &bottom);
    // The resize corner takes the right edge of the strips' area: a whole track strip fits
    // beside it at the narrowest.
    const int sides = left + right + StripsWidth() + GetSkinImageSize(kImageCorner).cx;
    const int height = top + bottom + m_master->GetSize().cy;
    frame->SetSizeLimits(sides + GetSkinImageSize(kImageTrack).cx, height, -1, height);
    if (frame->IsRolledUp())
        return;
    CRect window;
    frame->GetWindowRect(&window);
    int width = window.Width();
    // New strips widen the pane until each shows, as far as the screen allows; a width the
    // user chose stays while the strips stay the same.
    if (int(m_strips.size()) != m_fittedStrips) {
        m_fittedStrips = int(m_strips.size());
        int all = sides;
        for (auto& strip : m_strips)
            all += strip->GetSize().cx;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (::GetMonitorInfoA(::MonitorFromWindow(frame->m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
            all = std::min<int>(all, monitor.rcWork.right - window.left);
        width = std::max(width, all);
    }
    // Moved to its own size again, so that the new limits take effect.
    frame->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CMixerView::StripsWidth() const
{
    int width = 0;
    if (m_record)
        width += m_record->GetSize().cx;
    if (m_master)
        width += m_master->GetSize().cx;
    return width;
}

POINT CMixerView::GetStripOrigin(int code) const
{
    if (code == kStripRecord)
        return {0, 0};
    if (code == kStripMaster)
        return {m_record ? m_record->GetSize().cx : 0, 0};
    CMixerCtrl* strip = GetStripCtrl(code);
    return strip ? strip->GetOrigin() : POINT{0, 0};
}

void CMixerView::LayoutStrips()
{
    if (m_record)
        m_record->SetOrigin(GetStripOrigin(kStripRecord));
    if (m_master)
        m_master->SetOrigin(GetStripOrigin(kStripMaster));
    int x = StripsWidth();
    for (int i = 0; i < int(m_strips.size()); ++i) {
        CTrackStrip* strip = m_strips[size_t(i)].get();
        if (i < m_scrollPosition) {
            strip->SetOrigin({-strip->GetSize().cx, 0});
        } else {
            strip->SetOrigin({x, 0});
            x += strip->GetSize().cx;
        }
    }
}

void CMixerView::UpdateScrollRange()
{
    if (!m_scrollBar.m_hWnd)
        return;
    const int count = int(m_strips.size());
    int total = 0;
    for (auto& strip : m_strips)
        total += strip->GetSize().cx;
    CRect bar;
    m_scrollBar.GetClientRect(&bar);
    SCROLLINFO info{sizeof info, SIF_ALL, 0, std::max(count - 1, 0), 1, m_scrollPosition, 0};
    // The bar stops short of the corner image, the strips above it do not.
    if (total - GetSkinImageSize(kImageCorner).cx <= bar.Width()) {
        info.fMask |= SIF_DISABLENOSCROLL;
        info.nMax = 0;
        info.nPos = 0;
        m_scrollBar.SetScrollInfo(&info, TRUE);
        m_scrollBar.EnableScrollBar(ESB_DISABLE_BOTH);
        if (m_scrollPosition != 0) {
            m_scrollPosition = 0;
            LayoutStrips();
        }
        return;
    }
    m_scrollBar.EnableScrollBar(ESB_ENABLE_BOTH);
    SCROLLINFO current{sizeof current, SIF_ALL, 0, 0, 0, 0, 0};
    m_scrollBar.GetScrollInfo(&current, SIF_ALL);
    if (current.nMin != info.nMin || current.nMax != info.nMax || current.nPage != info.nPage ||
        current.nPos != info.nPos)
        m_scrollBar.SetScrollInfo(&info, TRUE);
}

void CMixerView::PlaceScrollBar(int width, int height)
{
    if (!m_scrollBar.m_hWnd)
        return;
    const int x = StripsWidth();
    int barWidth = width - GetSkinImageSize(kImageCorner).cx - x;
    if (barWidth < 1)
        barWidth = 0;
    m_scrollBar.ShowWindow(SW_HIDE);
    m_scrollBar.MoveWindow(x, height - kScrollBarHeight, barWidth, kScrollBarHeight, TRUE);
    UpdateScrollRange();
    m_scrollBar.ShowWindow(SW_SHOW);
}

void CMixerView::ScrollStrips(UINT code, int position)
{
    const int count = int(m_strips.size());
    int next = m_scrollPosition;
    switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP:
        --next;
        break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
        ++next;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        next = position;
        break;
    case SB_TOP:
        next = 0;
        break;
    case SB_BOTTOM:
        next = count - 1;
        break;
    default:
        return;
    }
    next = std::max(0, std::min(next, count - 1));
    if (next == m_scrollPosition)
        return;
    m_scrollPosition = next;
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, next, 0};
    m_scrollBar.SetScrollInfo(&info, TRUE);
    LayoutStrips();
    InvalidateAll();
    ::UpdateWindow(m_hWnd);
}

void CMixerView::InvalidateAll()
{
    ForEachControl(&CMixerCtrl::Refresh);
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMixerView::RefreshStripValues(int track)
{
    for (int i = 0; i < int(m_strips.size()); ++i)
        if (track < 0 || track == i)
            m_strips[size_t(i)]->RefreshVolume();
}

void CMixerView::SyncStripsToPosition(int track)
{
    if (!GetDocument())
        return;
    const int64_t position = LevelPosition();
    for (int i = 0; i < int(m_strips.size()); ++i)
        if (track < 0 || track == i)
            m_strips[size_t(i)]->SyncToPosition(position);
}

int64_t CMixerView::LevelPosition()
{
    const int64_t played = m_view ? m_view->GetPlayPosition() : -1;
    if (played >= 0)
        return played;
    int64_t start = 0, end = 0;
    if (CNyMultiTrackDoc* doc = GetDocument(); doc && doc->GetSelection())
        doc->GetSelection()->GetOrderedSelection(&start, &end);
    return end;
}

void CMixerView::WriteStripAutomation(int kind, int track)
{
    CNyMultiTrackDoc* doc = GetDocument();
    StripLevelTarget* target = GetLevelTarget();
    const int64_t position = LevelPosition();
    if (!doc || !target || position < 0)
        return;
    for (int i = 0; i < int(m_strips.size()); ++i)
        if ((track < 0 || track == i) && doc->GetTrackFlag(i, kMtFlagWriteEnvelopes))
            target->DeleteEnvelopePoint(i, kind, position);
}

void CMixerView::UpdateMaster()
{
    if (m_master)
        m_master->Refresh();
}

void CMixerView::RefreshRecordStrip()
{
    if (m_record)
        m_record->Refresh();
}

void CMixerView::SetRecordLevel(int level)
{
    if (m_record)
        m_record->SetLevel(level);
}

void CMixerView::StartMeterTimer()
{
    if (m_meterTimer || !m_hWnd)
        return;
    m_meterTimer = ::SetTimer(m_hWnd, kMeterTimerId, 33, nullptr);
    m_meterTicks = 0;
}

bool CMixerView::DrawMeters(CDC* dc)
{
    const LONG play = m_controller ? m_controller->GetPlayStatus() : 0;
    const LONG record = m_controller ? m_controller->GetRecordStatus() : 0;
    bool settled = true;
    if (m_record)
        settled = m_record->DrawMeters(dc, record != 0) && settled;
    if (m_master)
        settled = m_master->DrawMeters(dc, play != 0) && settled;
    if (record >= 1 && record <= 3 && m_controller) {
        if (!m_controller->IsRecordWhilePlaying() && m_controller->IsResumedRecording())
            m_controller->ResetCounter(false);
        if (m_controller->IsResumedRecording() && ++m_meterTicks >= 150) {
            m_controller->UpdateCounter(nullptr);
            m_meterTicks = 0;
        }
    }
    return settled;
}

void CMixerView::MeterTick()
{
    if (!m_controller)
        return;
    bool settled = false;
    {
        CClientDC dc(m_hWnd);
        settled = DrawMeters(&dc);
    }
    if (settled && m_controller->GetPlayStatus() == 0 && m_controller->GetRecordStatus() == 0) {
        ::KillTimer(m_hWnd, m_meterTimer);
        m_meterTimer = 0;
    }
}

void CMixerView::ToggleTrackCollapse(int track)
{
    CNyMultiTrackDoc* doc = GetDocument();
    if (!doc)
        return;
    const BOOL collapsed = !doc->GetTrackFlag(track, kFlagCollapsed);
    doc->SetTrackFlag(track, kFlagCollapsed, collapsed);
    if (collapsed && m_focusedStrip == track) {
        HideFocus();
        FocusNextStrip(false);
    }
    LayoutStrips();
    UpdateScrollRange();
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMixerView::RenameTrack(int track, const char* name)
{
    CNyMultiTrackDoc* doc = GetDocument();
    if (!doc || !doc->GetHistory())
        return;
    auto* command = NewCommand<ChangePropertyCommand>("Properties", doc);
    ComRef<IEditCommand> held(command);
    if (track < 0 || track >= int(command->newTracks.size()))
        return;
    LabelRecord& label = command->newTracks[size_t(track)].label;
    std::memset(label.name, 0, sizeof label.name);
    std::strncpy(label.name, name, sizeof label.name - 1);
    if (SUCCEEDED(command->Do()) && command->Changed()) {
        doc->GetHistory()->Add(command, TRUE);
        doc->SetModifiedFlag();
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMixerView::SetPartTip(const RECT& rect, UINT textId)
{
    if (!m_tip)
        return;
    CString text;
    if (textId && text.LoadString(textId))
        SetPaneTool(m_tip, m_hWnd, 1, rect, text.GetString());
    else
        RemovePaneTool(m_tip, m_hWnd, 1);
}

bool CMixerView::WheelToStrips(UINT flags, short delta, CPoint screen)
{
    (void)flags;
    RECT bar;
    ::GetWindowRect(m_scrollBar.m_hWnd, &bar);
    if (PtInRect(&bar, screen)) {
        if (m_strips.size() > 1) {
            HideFocus();
            ShowFocus();
            ScrollStrips(delta < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
        }
        return true;
    }
    const UINT steps = UINT(std::abs(int(delta)) / WHEEL_DELTA);
    return steps && OnKeyDownToFocus(delta < 0 ? VK_DOWN : VK_UP, steps, 0);
}

// ---- drawing

void CMixerView::DrawAll(CDC* dc, const RECT& update)
{
    dc->FillSolidRect(update, SkinColorAt(17));
    if (m_record)
        m_record->Draw(dc, update);
    if (m_master)
        m_master->Draw(dc, update);
    for (int i = m_scrollPosition; i < int(m_strips.size()); ++i) {
        const CRect r = m_strips[size_t(i)]->GetRect();
        if (r.left >= update.right)
            break;
        m_strips[size_t(i)]->Draw(dc, update);
    }
    CRect client;
    GetClientRect(&client);
    const CSize corner = GetSkinImageSize(kImageCorner);
    DrawSkinImage(dc, kImageCorner, client.right - corner.cx, client.bottom - corner.cy);
}

void CMixerView::OnPaint()
{
    CPaintDC paint(m_hWnd);
    CRect client;
    GetClientRect(&client);
    const CRect update(paint.m_ps.rcPaint);
    MemoryDC buffer;
    if (CDC* dc = buffer.Create(&paint, client)) {
        DrawAll(dc, client);
        paint.BitBlt(update.left, update.top, update.Width(), update.Height(), dc, update.left, update.top, SRCCOPY);
    }
    if (CMixerCtrl* strip = GetStripCtrl(m_focusedStrip))
        strip->DrawFocus(&paint);
}

// ---- input

int CMixerView::HitTestStrip(int x, int y) const
{
    const POINT point{x, y};
    if (m_record && m_record->GetRect().PtInRect(point))
        return kStripRecord;
    if (m_master && m_master->GetRect().PtInRect(point))
        return kStripMaster;
    for (int i = m_scrollPosition; i < int(m_strips.size()); ++i)
        if (m_strips[size_t(i)]->GetRect().PtInRect(point))
            return i;
    return kStripNone;
}

bool CMixerView::IsStripFocusable(int code) const
{
    if (code == kStripMaster)
        return m_master != nullptr;
    if (code == kStripRecord)
        return m_record != nullptr;
    CTrackStrip* strip = GetTrackStrip(code);
    CNyMultiTrackDoc* doc = GetDocument();
    if (!strip || !doc || code < m_scrollPosition || doc->GetTrackFlag(code, kFlagCollapsed))
        return false;
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    return strip->GetRect().right <= client.right;
}

bool CMixerView::IsStripOnScreen(CMixerCtrl* strip) const
{
    if (!m_hWnd)
        return false;
    if (strip == m_master.get() || strip == m_record.get())
        return true;
    for (int i = 0; i < int(m_strips.size()); ++i)
        if (m_strips[size_t(i)].get() == strip)
            return IsStripFocusable(i);
    return false;
}

void CMixerView::HideFocus()
{
    CMixerCtrl* strip = m_built ? GetStripCtrl(m_focusedStrip) : nullptr;
    if (!strip)
        return;
    if (CElementBase* part = strip->Part(strip->GetFocusedPart()))
        part->EndEdit();
    strip->InvalidatePart(strip->GetFocusedPart());
    strip->SetFocusedPart(-1);
}

void CMixerView::ShowFocus()
{
    CMixerCtrl* strip = m_built ? GetStripCtrl(m_focusedStrip) : nullptr;
    if (!strip)
        return;
    if (strip->GetFocusedPart() < 0)
        strip->SetFocusedPart(strip->EdgePart(false));
    strip->InvalidatePart(strip->GetFocusedPart());
}

void CMixerView::FocusNextStrip(bool backwards)
{
    const int last = int(m_strips.size()) - 1;
    const int start = m_focusedStrip;
    int code = start;
    for (int n = 0; n < int(m_strips.size()) + 3; ++n) {
        if (backwards) {
            code = code == kStripNone ? last : code - 1;
            if (code < kStripRecord)
                code = last;
        } else {
            code = code == kStripNone ? kStripRecord : code + 1;
            if (code > last)
                code = m_record ? kStripRecord : kStripMaster;
        }
        if (IsStripFocusable(code))
            break;
        if (code == start)
            return;
    }
    HideFocus();
    m_focusedStrip = code;
    if (CMixerCtrl* strip = GetStripCtrl(code))
        strip->SetFocusedPart(strip->EdgePart(backwards));
    ShowFocus();
}

bool CMixerView::OnKeyDownToFocus(UINT key, UINT repeat, UINT flags)
{
    CMixerCtrl* strip = m_built ? GetStripCtrl(m_focusedStrip) : nullptr;
    if (!strip)
        return false;
    const bool handled = strip->OnKeyDown(key, repeat, flags);
    if (m_captureButton && strip->GetPressedPart() < 0)
        m_captureButton = 0;
    return handled;
}

bool CMixerView::OnKeyUpToFocus(UINT key, UINT repeat, UINT flags)
{
    CMixerCtrl* strip = m_built ? GetStripCtrl(m_focusedStrip) : nullptr;
    return strip && strip->OnKeyUp(key, repeat, flags);
}

BOOL CMixerView::PreTranslateMessage(MSG* msg)
{
    // Keys typed into a label's editor belong to the editor.
    if (msg->hwnd != m_hWnd)
        return CView::PreTranslateMessage(msg);
    if (m_tip && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
        ::SendMessageA(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    if (msg->message == WM_KEYDOWN)
        return OnKeyDownToFocus(UINT(msg->wParam), LOWORD(msg->lParam), HIWORD(msg->lParam));
    if (msg->message == WM_KEYUP)
        return OnKeyUpToFocus(UINT(msg->wParam), LOWORD(msg->lParam), HIWORD(msg->lParam));
    return CView::PreTranslateMessage(msg);
}

void CMixerView::RouteMouse(UINT message, UINT flags, CPoint point)
{
    const int hit = HitTestStrip(point.x, point.y);
    switch (message) {
    case WM_MOUSEMOVE: {
        if (!(flags & MK_LBUTTON) && !m_captureButton)
            m_hotStrip = hit;
        CMixerCtrl* strip = GetStripCtrl(m_captureButton ? m_hotStrip : hit);
        if (strip)
            strip->OnMouseMove(flags, point.x, point.y);
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        if (m_captureButton)
            return;
        m_captureButton = message == WM_LBUTTONDOWN ? 1 : 2;
        m_hotStrip = hit;
        if (hit != m_focusedStrip) {
            HideFocus();
            m_focusedStrip = hit;
            ShowFocus();
        }
        ::SetCapture(m_hWnd);
        if (CMixerCtrl* strip = GetStripCtrl(hit)) {
            if (message == WM_LBUTTONDOWN)
                strip->OnLButtonDown(flags, point.x, point.y);
            else
                strip->OnRButtonDown(flags, point.x, point.y);
        }
        break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        const int button = message == WM_LBUTTONUP ? 1 : 2;
        if (m_captureButton != button)
            return;
        m_captureButton = 0;
        ::ReleaseCapture();
        if (CMixerCtrl* strip = GetStripCtrl(m_hotStrip)) {
            if (button == 1)
                strip->OnLButtonUp(flags, point.x, point.y);
            else
                strip->OnRButtonUp(flags, point.x, point.y);
        }
        break;
    }
    case WM_LBUTTONDBLCLK:
        if (CMixerCtrl* strip = GetStripCtrl(hit))
            strip->OnLButtonDblClk(flags, point.x, point.y);
        break;
    default:
        break;
    }
}

BEGIN_MESSAGE_MAP(CMixerView, CView)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_TIMER()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEWHEEL()
    ON_WM_SETCURSOR()
    ON_WM_KILLFOCUS()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CMixerView::OnEraseBkgnd(CDC* dc)
{
    (void)dc; // painted whole from the off-screen bitmap
    return TRUE;
}

void CMixerView::OnSize(UINT type, int cx, int cy)
{
    (void)type;
    PlaceScrollBar(cx, cy);
    Default();
}

void CMixerView::OnHScroll(UINT code, UINT pos, CWnd* scrollBar)
{
    (void)scrollBar;
    ScrollStrips(code, short(pos));
}

void CMixerView::OnTimer(UINT_PTR id)
{
    if (id == kMeterTimerId)
        MeterTick();
    else
        Default();
}

void CMixerView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (!OnKeyDownToFocus(key, repeat, flags))
        Default();
}

void CMixerView::OnKeyUp(UINT key, UINT repeat, UINT flags)
{
    if (!OnKeyUpToFocus(key, repeat, flags))
        Default();
}

void CMixerView::OnMouseMove(UINT flags, CPoint point)
{
    RouteMouse(WM_MOUSEMOVE, flags, point);
}

void CMixerView::OnLButtonDown(UINT flags, CPoint point)
{
    RouteMouse(WM_LBUTTONDOWN, flags, point);
}

void CMixerView::OnLButtonUp(UINT flags, CPoint point)
{
    RouteMouse(WM_LBUTTONUP, flags, point);
}

void CMixerView::OnRButtonDown(UINT flags, CPoint point)
{
    RouteMouse(WM_RBUTTONDOWN, flags, point);
}

void CMixerView::OnRButtonUp(UINT flags, CPoint point)
{
    RouteMouse(WM_RBUTTONUP, flags, point);
}

void CMixerView::OnLButtonDblClk(UINT flags, CPoint point)
{
    RouteMouse(WM_LBUTTONDBLCLK, flags, point);
}

BOOL CMixerView::OnMouseWheel(UINT flags, short delta, CPoint point)
{
    if (WheelToStrips(flags, delta, point))
        return TRUE;
    return BOOL(Default());
}

BOOL CMixerView::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    (void)wnd;
    if (hitTest == HTCLIENT)
        if (CMixerCtrl* strip = GetStripCtrl(m_hotStrip))
            if (strip->SetCursor(this, HTCLIENT, message))
                return TRUE;
    return BOOL(Default());
}

void CMixerView::OnKillFocus(CWnd* newWnd)
{
    Default();
    const HWND next = newWnd ? newWnd->m_hWnd : nullptr;
    if (next && ::IsChild(m_hWnd, next))
        return;
    if (m_captureButton) {
        ::ClipCursor(nullptr);
        ::ReleaseCapture();
        m_captureButton = 0;
    }
    HideFocus();
    m_focusedStrip = m_hotStrip = kStripNone;
}

void CMixerView::OnDestroy()
{
    if (m_tip) {
        ::DestroyWindow(m_tip);
        m_tip = nullptr;
    }
    if (m_meterTimer) {
        ::KillTimer(m_hWnd, m_meterTimer);
        m_meterTimer = 0;
    }
    Default();
}
