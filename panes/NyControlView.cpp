#include "NyControlView.h"

#include "DocumentHost.h"
#include "KsMultiTrackLoader.h"
#include "MemoryDC.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "NyException.h"
#include "PaneToolTip.h"
#include "SkinTables.h"
#include "TipWindow.h"

#include <algorithm>
#include <commctrl.h>
#include <iterator>

namespace {

constexpr UINT_PTR kWindTimerId = 1;

struct LayoutEntry {
    int id;
    int x;
    int y;
};

// Top-left corner of each image of both skins in the panel.
constexpr LayoutEntry kLayout[] = {
    {27, 199, 31}, {28, 172, 31}, {29, 2, 31},   {30, 30, 31},  {31, 82, 31},  {32, 56, 31},
    {33, 109, 31}, {34, 136, 31}, {35, 219, 5},  {36, 149, 5},  {37, 2, 65},   {38, 235, 31},
    {39, 263, 31}, {40, 13, 8},   {41, 213, 68}, {43, 298, 48}, {44, 263, 48}, {45, 2, 48},
    {46, 44, 48},  {47, 128, 48}, {48, 86, 48},  {49, 170, 48}, {50, 212, 48}, {51, 323, 11},
    {52, 232, 11}, {53, 2, 93},   {54, 343, 48}, {55, 378, 48}, {56, 11, 11},  {57, 307, 97},
};

// Frames in each button's image strip, buttons 27 to 39.
constexpr int kFrames[13] = {8, 4, 4, 8, 4, 4, 8, 8, 8, 8, 2, 4, 4};

constexpr UINT kTips[13] = {22001, 22002, 22003, 22004, 22005, 22006, 22007, 22008, 22009, 22010, 22011, 22035, 22034};

POINT LayoutOf(int id)
{
    for (const LayoutEntry& e : kLayout)
        if (e.id == id)
            return {e.x, e.y};
    return {0, 0};
}


CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

CNyControlView::CNyControlView()
{
    InitializeCriticalSection(&m_lock);
}

CNyControlView::~CNyControlView()
{
    if (m_tooltip)
        ::DestroyWindow(m_tooltip);
    ReleaseRunInterfaces();
    m_recorder.Reset();
    m_engine.Reset();
    ReleaseRecording();
    m_mixerDevice.Close();
    DeleteCriticalSection(&m_lock);
}

BOOL CNyControlView::CreatePane(CWnd* frame)
{
    static const char* const className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW));
    const CSize size = GetPanelSize();
    return CreateEx(0, className, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, size.cx, size.cy), frame, AFX_IDW_PANE_FIRST);
}

CSize CNyControlView::GetPanelSize() const
{
    return GetSkinImageSize(m_compact ? kSkinCtrlBase : kSkinBctrlBase);
}

bool CNyControlView::InitEngine(bool keepEngine)
{
    if (m_tooltip) {
        ::DestroyWindow(m_tooltip);
        m_tooltip = nullptr;
    }
    m_positionFont = std::make_unique<DigitFont>();
    m_remainingFont = std::make_unique<DigitFont>();
    LayoutButtons();
    if (keepEngine)
        return true;
    m_engine.Reset();
    m_recorder.Reset();
    auto create = MtEngine::ExportAs<PFN_MtCreateInstance>(kMtOrdCreateInstance);
    if (!create || FAILED(create(kMtClsidTransport, m_engine.OutVoid(), __uuidof(IMtTransport)))) {
        m_engine.Reset();
        return false;
    }
    m_monitoring = 0;
    m_ownState = 0;
    EnumWaveInDevices();
    return true;
}

void CNyControlView::LayoutButtons()
{
    if (m_compact) {
        m_positionFont->SetImage(kSkinCtrlNumBig, 11, 16, 13);
        m_remainingFont->SetImage(kSkinCtrlNumSmall, 8, 11, 13);
    } else {
        m_positionFont->SetImage(kSkinBctrlNumBig, 19, 28, 13);
        m_remainingFont->SetImage(kSkinBctrlNumSmall, 11, 15, 13);
    }
    for (int i = 0; i < 13; ++i) {
        const int image = ImageOf(kBtnLoop + i);
        const POINT at = LayoutOf(image);
        const CSize size = GetSkinImageSize(image);
        m_buttons[i] = CRect(at.x, at.y, at.x + size.cx / kFrames[i], at.y + size.cy);
    }
}

CRect CNyControlView::GetButtonRect(UINT id) const
{
    return id >= kBtnLoop && id <= kBtnNextMarker ? m_buttons[id - kBtnLoop] : CRect();
}

CNyMultiTrackDoc* CNyControlView::Document() const
{
    return m_view ? m_view->GetDocument() : nullptr;
}

IMtTrackSet* CNyControlView::DocumentEngine() const
{
    CNyMultiTrackDoc* doc = Document();
    return doc ? doc->GetTrackSet() : nullptr;
}

void CNyControlView::SetActiveView(ControllerViewLink* view)
{
    if (m_resumed)
        return;
    if (IsPlaying() && m_view) {
        try {
            Stop();
        } catch (const CNyException&) {
        }
    }
    if (m_monitoring)
        MonitoringFailed(SetupMonitoring());
    m_view = view;
    if (!view)
        InitEngine(false);
}

void CNyControlView::UpdateDisplay()
{
    if (!m_hWnd)
        return;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
}

// ---- state

uint32_t CNyControlView::GetTransportState() const
{
    return m_view ? m_view->GetTransportState() : m_ownState;
}

void CNyControlView::SetTransportState(uint32_t state)
{
    if (m_view)
        m_view->SetTransportState(state);
    else
        m_ownState = state;
}

void CNyControlView::SetPlaying()
{
    SetTransportState((GetTransportState() | kTransportPlaying) & ~kTransportPaused);
}

void CNyControlView::ClearRunState()
{
    SetTransportState(GetTransportState() & ~(kTransportPlaying | kTransportPaused | kTransportRecording));
}

void CNyControlView::SetRecordingState()
{
    SetTransportState(GetTransportState() | kTransportPlaying | kTransportPaused | kTransportRecording);
}

void CNyControlView::SetPaused(bool on)
{
    const uint32_t state = GetTransportState();
    SetTransportState(on ? state | kTransportPaused : state & ~kTransportPaused);
}

bool CNyControlView::IsReadAutomation()
{
    return GetDocumentHost().DefaultSettings().readAutomation != 0;
}
bool CNyControlView::IsWriteAutomation()
{
    return GetDocumentHost().DefaultSettings().writeAutomation != 0;
}

bool CNyControlView::CanLoop() const
{
    return m_view && !IsRecording() && !IsWriteAutomation();
}

bool CNyControlView::CanGoToStart() const
{
    return m_view && !m_resumed && !IsRecording() && !IsPlaying();
}

bool CNyControlView::CanWind() const
{
    return m_view && IsPlaying() && !m_resumed && !IsRecording() && !IsPaused() && m_view->IsSelectionPlayable();
}

bool CNyControlView::CanPlay() const
{
    if (IsPaused())
        return true;
    if (!m_view || m_resumed)
        return false;
    if (IsRecording())
        return true;
    if (IsPlaying())
        return false;
    return m_view->IsSelectionPlayable();
}

bool CNyControlView::CanStop() const
{
    return IsPlaying() || IsRecording() || (m_view && m_view->GetPausedPosition() >= 0);
}

bool CNyControlView::CanPause() const
{
    if (IsRecording())
        return !IsRecordWhilePlaying() || !m_resumed;
    return IsPlaying();
}

bool CNyControlView::CanRecord() const
{
    CNyMultiTrackDoc* doc = Document();
    return doc && !IsRecording() && !m_resumed && !IsPlaying() && SUCCEEDED(doc->CheckRecordTracks());
}

bool CNyControlView::CanRecordWhilePlaying() const
{
    return m_view && !IsRecording();
}

bool CNyControlView::CanToggleAutomation() const
{
    if (!m_view)
        return false;
    return m_monitoring || (!m_resumed && !IsRecording());
}

bool CNyControlView::CanGoToMarker() const
{
    return m_view && !m_resumed && !IsRecording() && !IsPaused();
}

// ---- engine queries

HRESULT CNyControlView::GetPlayPosition(int64_t* position)
{
    if (!m_position)
        return E_POINTER;
    LONGLONG value = 0;
    const HRESULT hr = m_position->GetPosition(&value);
    *position = value;
    return hr;
}

HRESULT CNyControlView::SetPlayPosition(int64_t position)
{
    return m_position ? m_position->SetPosition(position) : E_POINTER;
}

HRESULT CNyControlView::GetEngineState(LONG* state)
{
    return m_engine ? m_engine->GetState(state) : E_POINTER;
}

LONG CNyControlView::GetRecordStatus()
{
    return m_recorder ? m_recorder->GetStatus() : 0;
}

HRESULT CNyControlView::GetRecordLevels(LONG* left, LONG* right)
{
    return m_recorder ? m_recorder->GetLevels(left, right) : E_POINTER;
}

LONG CNyControlView::GetPlayStatus()
{
    return m_status ? m_status->GetStatus() : 0;
}

HRESULT CNyControlView::GetPlayLevels(DWORD* packed)
{
    return m_status ? m_status->GetLevels(packed) : E_POINTER;
}

HRESULT CNyControlView::QueryPlayStatus(LONG* underruns, LONG* bufferMs)
{
    return m_status ? m_status->GetBufferStatus(underruns, bufferMs) : E_POINTER;
}

// ---- drawing

int CNyControlView::GetButtonState(UINT id) const
{
    int frame = 0;
    switch (id) {
    case kBtnLoop:
        frame = (IsLooping() ? 4 : 0) + (CanLoop() ? 0 : 1);
        break;
    case kBtnPlay:
        frame = (IsPlaying() ? 4 : 0) + (CanPlay() ? 0 : 1);
        break;
    case kBtnPause:
        frame = ((IsRecording() && !m_resumed) || IsPaused() ? 4 : 0) + (CanPause() ? 0 : 1);
        break;
    case kBtnRecord:
        frame = (IsRecording() ? 4 : 0) + (CanRecord() ? 0 : 1);
        break;
    case kBtnReadAuto:
        frame = (IsReadAutomation() ? 4 : 0) + (CanToggleAutomation() ? 0 : 1);
        break;
    case kBtnWriteAuto:
        frame = (IsWriteAutomation() ? 4 : 0) + (CanToggleAutomation() ? 0 : 1);
        break;
    case kBtnToStart:
        frame = CanGoToStart() ? 0 : 1;
        break;
    case kBtnRewind:
    case kBtnForward:
        frame = CanWind() ? 0 : 1;
        break;
    case kBtnStop:
        frame = CanStop() ? 0 : 1;
        break;
    case kBtnPrevMarker:
    case kBtnNextMarker:
        frame = CanGoToMarker() ? 0 : 1;
        break;
    case kBtnRecordWhilePlaying:
        return IsRecordWhilePlaying() ? 1 : 0;
    default:
        break;
    }
    if (id == m_capturedButton && id == m_hotButton)
        frame += 2;
    if (m_view && m_view->IsBusy())
        frame = 1;
    return frame;
}

void CNyControlView::RedrawButtons(CDC* dc)
{
    if (!dc) {
        if (m_hWnd) {
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
            ::UpdateWindow(m_hWnd);
        }
        return;
    }
    for (int i = 0; i < 13; ++i) {
        const UINT id = kBtnLoop + i;
        const CRect& r = m_buttons[i];
        DrawSkinImagePart(dc, ImageOf(id), r.left, r.top, GetButtonState(id) * r.Width(), 0, r.Width(), r.Height());
    }
}

void CNyControlView::Render(CDC* dc)
{
    DrawSkinImage(dc, m_compact ? kSkinCtrlBase : kSkinBctrlBase, 0, 0);
    DrawCounter(dc);
    RedrawButtons(dc);
    UpdateCounter(dc);
}

void CNyControlView::OnDraw(CDC* dc)
{
    DrawSkinImage(dc, m_compact ? kSkinCtrlBase : kSkinBctrlBase, 0, 0);
}

void CNyControlView::OnPaint()
{
    if (!::GetUpdateRect(m_hWnd, nullptr, FALSE))
        return;
    CPaintDC paint(m_hWnd);
    CRect client;
    GetClientRect(&client);
    MemoryDC buffer;
    if (CDC* dc = buffer.Create(&paint, client)) {
        Render(dc);
        paint.BitBlt(0, 0, client.Width(), client.Height(), dc, 0, 0, SRCCOPY);
    }
}

// ---- mouse

UINT CNyControlView::HitTestButton(CPoint point)
{
    if (!m_tooltip && m_hWnd) {
        m_tooltip = CreatePaneToolTip(m_hWnd);
        constexpr UINT kToolOrder[13] = {27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 39, 38};
        for (UINT n = 0; m_tooltip && n < 13; ++n) {
            const UINT id = kToolOrder[n];
            SetPaneTool(m_tooltip, m_hWnd, n, m_buttons[id - kBtnLoop], LoadText(kTips[id - kBtnLoop]).GetString());
        }
    }
    UINT hit = 0;
    constexpr UINT kOrder[13] = {27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 39, 38};
    for (UINT id : kOrder) {
        if (!m_buttons[id - kBtnLoop].PtInRect(point))
            continue;
        bool allowed = true;
        switch (id) {
        case kBtnLoop:
            allowed = CanLoop();
            break;
        case kBtnToStart:
            allowed = CanGoToStart();
            break;
        case kBtnRewind:
        case kBtnForward:
            allowed = CanWind();
            break;
        case kBtnPlay:
            allowed = CanPlay();
            break;
        case kBtnStop:
            allowed = CanStop();
            break;
        case kBtnPause:
            allowed = CanPause();
            break;
        case kBtnRecord:
            allowed = CanRecord();
            break;
        case kBtnReadAuto:
        case kBtnWriteAuto:
            allowed = CanToggleAutomation();
            break;
        default:
            break;
        }
        if (allowed)
            hit = id;
    }
    return hit;
}

void CNyControlView::OnLButtonDown(UINT flags, CPoint point)
{
    (void)flags;
    m_capturedButton = m_hotButton = HitTestButton(point);
    if (!m_capturedButton)
        return;
    if (m_capturedButton == kBtnRecordWhilePlaying && !CanRecordWhilePlaying()) {
        m_capturedButton = m_hotButton = 0;
        return;
    }
    if (m_capturedButton == kBtnRewind || m_capturedButton == kBtnForward) {
        if (m_windTimer)
            ::KillTimer(m_hWnd, m_windTimer);
        m_windDirection = m_capturedButton == kBtnRewind ? -1 : 1;
        m_windTimer = ::SetTimer(m_hWnd, kWindTimerId, 100, nullptr);
        if (!m_windTimer)
            return;
    }
    ::SetCapture(m_hWnd);
    RedrawButtons(nullptr);
}

void CNyControlView::OnMouseMove(UINT flags, CPoint point)
{
    (void)flags;
    if (!m_capturedButton)
        return;
    const UINT hot = HitTestButton(point);
    if (hot != m_hotButton) {
        m_hotButton = hot;
        RedrawButtons(nullptr);
    }
}

void CNyControlView::MonitoringFailed(HRESULT code)
{
    if (SUCCEEDED(code))
        return;
    m_monitoring = 0;
    if (m_mixer)
        m_mixer->InvalidateAll();
    ShowError(code);
}

void CNyControlView::ShowError(HRESULT code)
{
    if (FAILED(code))
        GetDocumentHost().ShowErrorBox(code, MB_ICONEXCLAMATION);
}

void CNyControlView::RunButton(UINT id)
{
    switch (id) {
    case kBtnLoop:
        ToggleLoop();
        break;
    case kBtnToStart:
        GoToStart();
        break;
    case kBtnRewind:
        Rewind();
        break;
    case kBtnPlay:
        Play();
        break;
    case kBtnForward:
        FastForward();
        break;
    case kBtnStop:
        Stop();
        break;
    case kBtnPause:
        Pause();
        break;
    case kBtnRecord:
        Record();
        break;
    case kBtnReadAuto:
        ToggleReadAutomation();
        break;
    case kBtnWriteAuto:
        ToggleWriteAutomation();
        break;
    case kBtnRecordWhilePlaying:
        ToggleRecordWhilePlaying();
        break;
    case kBtnPrevMarker:
        PreviousMarker();
        break;
    case kBtnNextMarker:
        NextMarker();
        break;
    default:
        break;
    }
}

void CNyControlView::OnLButtonUp(UINT flags, CPoint point)
{
    (void)flags, (void)point;
    if (!m_capturedButton)
        return;
    ::ReleaseCapture();
    if (m_hotButton == m_capturedButton) {
        if (m_view)
            m_view->ShowCaret(false);
        try {
            RunButton(m_capturedButton);
        } catch (const CNyException& e) {
            ShowError(e.m_hr);
        }
        if (m_view) {
            if (HWND view = m_view->GetViewWindow())
                ::SetFocus(view);
            m_view->ShowCaret(true);
        }
    }
    if (m_windTimer) {
        ::KillTimer(m_hWnd, m_windTimer);
        m_windTimer = 0;
        m_windDirection = 0;
        m_lastWindTick = 0;
    }
    m_capturedButton = m_hotButton = 0;
    RedrawButtons(nullptr);
}

void CNyControlView::OnLButtonDblClk(UINT flags, CPoint point)
{
    (void)flags;
    const CRect area = m_compact ? CRect(3, 7, 136, 26) : CRect(3, 5, 296, 48);
    if (area.PtInRect(point) && !IsPlaying() && !m_resumed)
        ResetCounter(true);
}

void CNyControlView::OnTimer(UINT_PTR id)
{
    (void)id;
    if (m_shuttleStart) {
        if (IMtTrackSet* engine = DocumentEngine())
            engine->SetShuttleStart(0);
        m_shuttleStart = 0;
    }
    try {
        if (m_windDirection < 0)
            Rewind();
        else if (m_windDirection > 0)
            FastForward();
    } catch (const CNyException& e) {
        StopWinding();
        ShowError(e.m_hr);
    }
}

BOOL CNyControlView::PreTranslateMessage(MSG* msg)
{
    if (m_tooltip)
        ::SendMessageA(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    return CView::PreTranslateMessage(msg);
}

BEGIN_MESSAGE_MAP(CNyControlView, CView)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(kMsgPlayEnd, OnPlayEnd)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_TIMER()
    ON_MESSAGE(MM_MIXM_LINE_CHANGE, OnMixerLineChange)
    ON_MESSAGE(MM_MIXM_CONTROL_CHANGE, OnMixerControlChange)
END_MESSAGE_MAP()

BOOL CNyControlView::OnEraseBkgnd(CDC* dc)
{
    (void)dc; // the panel paints every pixel
    return TRUE;
}

LRESULT CNyControlView::OnMixerLineChange(WPARAM, LPARAM)
{
    return OnMixerChange();
}

LRESULT CNyControlView::OnMixerControlChange(WPARAM, LPARAM)
{
    return OnMixerChange();
}

void CNyControlView::ToggleReadAutomation()
{
    if (m_view)
        m_view->SetAutomation(false, !IsReadAutomation());
    RedrawButtons(nullptr);
    if (m_view)
        m_view->SelectionMoved();
    if (m_mixer)
        m_mixer->InvalidateAll();
}

void CNyControlView::ToggleWriteAutomation()
{
    if (m_view)
        m_view->SetAutomation(true, !IsWriteAutomation());
    if (IsLooping())
        ToggleLoop();
    RedrawButtons(nullptr);
}
