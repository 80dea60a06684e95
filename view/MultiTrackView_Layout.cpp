#include "DocumentHost.h"
#include "DrawIds.h"
#include "EditModeHost.h"
#include "EditModeIds.h"
#include "LabelEditWnd.h"
#include "LabelMarks.h"
#include "MarkCommands.h"
#include "MarksAddedHint.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "RulerUnitsDialog.h"
#include "SelectionModel.h"
#include "SkinTables.h"
#include "ViewHost.h"
#include "ViewIds.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CNyMultiTrackView, CView)

namespace {
UINT g_tracksStopPlay = CNyMultiTrackView::RegisterTracksStopPlayMessage();
}

UINT CNyMultiTrackView::RegisterTracksStopPlayMessage()
{
    static UINT message = ::RegisterWindowMessageA("NyTracksStopPlay");
    return message;
}

// clang-format off
BEGIN_MESSAGE_MAP(CNyMultiTrackView, CView)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_VSCROLL()
ON_WM_HSCROLL()
ON_WM_TIMER()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_DESTROYCLIPBOARD()
ON_COMMAND(kCmdZoomIn, OnZoomIn)
ON_COMMAND(kCmdZoomOut, OnZoomOut)
ON_UPDATE_COMMAND_UI(kCmdZoomIn, OnUpdateTimeZoom)
ON_UPDATE_COMMAND_UI(kCmdZoomOut, OnUpdateTimeZoom)
ON_COMMAND(kCmdZoomInAmplitude, OnZoomInAmplitude)
ON_COMMAND(kCmdZoomOutAmplitude, OnZoomOutAmplitude)
ON_UPDATE_COMMAND_UI(kCmdZoomInAmplitude, OnUpdateAmplitudeZoom)
ON_UPDATE_COMMAND_UI(kCmdZoomOutAmplitude, OnUpdateAmplitudeZoom)
ON_COMMAND(kCmdFitToWindow, OnFitToWindow)
ON_UPDATE_COMMAND_UI(kCmdFitToWindow, OnUpdateTimeZoom)
ON_COMMAND(kCmdViewVideoTrack, OnVideoTrack)
ON_UPDATE_COMMAND_UI(kCmdViewVideoTrack, OnUpdateVideoTrack)
ON_COMMAND(kCmdViewSpectrum, OnSpectrum)
ON_UPDATE_COMMAND_UI(kCmdViewSpectrum, OnUpdateSpectrum)
ON_COMMAND(kCmdViewTimeRuler, OnTimeRuler)
ON_UPDATE_COMMAND_UI(kCmdViewTimeRuler, OnUpdateTimeRuler)
ON_COMMAND(kCmdViewMarkers, OnMarkers)
ON_UPDATE_COMMAND_UI(kCmdViewMarkers, OnUpdateMarkers)
ON_COMMAND(kCmdViewVolumeEnvelopes, OnShowVolumeEnvelopes)
ON_UPDATE_COMMAND_UI(kCmdViewVolumeEnvelopes, OnUpdateShowVolumeEnvelopes)
ON_COMMAND_RANGE(kCmdViewPanEnvelopes, kCmdViewPanEnvelopes2, OnShowPanEnvelopes)
ON_UPDATE_COMMAND_UI_RANGE(kCmdViewPanEnvelopes, kCmdViewPanEnvelopes2, OnUpdateShowPanEnvelopes)
ON_WM_KEYDOWN()
ON_WM_MOUSEWHEEL()
ON_WM_NCPAINT()
ON_WM_DROPFILES()
ON_COMMAND(kCmdDeleteMarker, OnDeleteMarker)
ON_UPDATE_COMMAND_UI(kCmdDeleteMarker, OnUpdateDeleteMarker)
ON_COMMAND(kCmdEditMarker, OnEditMarker)
ON_UPDATE_COMMAND_UI(kCmdEditMarker, OnUpdateEditMarker)
ON_COMMAND(kCmdPlayStop, OnPlayStop)
ON_UPDATE_COMMAND_UI(kCmdPlayStop, OnUpdatePlayStop)
ON_COMMAND(kCmdRecord, OnRecord)
ON_UPDATE_COMMAND_UI(kCmdRecord, OnUpdateRecord)
ON_COMMAND(kCmdPause, OnPause)
ON_UPDATE_COMMAND_UI(kCmdPause, OnUpdatePause)
ON_COMMAND(kCmdLoop, OnLoop)
ON_UPDATE_COMMAND_UI(kCmdLoop, OnUpdateLoop)
ON_COMMAND(kCmdRecordWhilePlaying, OnRecordWhilePlaying)
ON_UPDATE_COMMAND_UI(kCmdRecordWhilePlaying, OnUpdateRecordWhilePlaying)
ON_COMMAND(kCmdMovePlayCursorToStart, OnMovePlayCursorToStart)
ON_UPDATE_COMMAND_UI(kCmdMovePlayCursorToStart, OnUpdateMovePlayCursorToStart)
ON_COMMAND(kCmdReadAutomation, OnReadAutomation)
ON_UPDATE_COMMAND_UI(kCmdReadAutomation, OnUpdateReadAutomation)
ON_COMMAND(kCmdWriteAutomation, OnWriteAutomation)
ON_UPDATE_COMMAND_UI(kCmdWriteAutomation, OnUpdateWriteAutomation)
ON_COMMAND(kCmdRecordingTimer, OnRecordingTimer)
ON_UPDATE_COMMAND_UI(kCmdRecordingTimer, OnUpdateRecordingTimer)
ON_WM_CHAR()
ON_COMMAND(kCmdGoToZeroCrossing, OnGoToZeroCrossing)
ON_UPDATE_COMMAND_UI(kCmdGoToZeroCrossing, OnUpdateGoToPoint)
ON_COMMAND(kCmdGoToMaximumPoint, OnGoToMaximumPoint)
ON_UPDATE_COMMAND_UI(kCmdGoToMaximumPoint, OnUpdateGoToPoint)
ON_COMMAND(kCmdGoToSelection, OnGoToSelection)
ON_UPDATE_COMMAND_UI(kCmdGoToSelection, OnUpdateGoToSelection)
ON_WM_DESTROY()
ON_COMMAND(kCmdProperties, OnProperties)
ON_COMMAND(IDC_RULER_UNITS_COMMAND, OnRulerUnits)
ON_UPDATE_COMMAND_UI(kCmdProperties, OnUpdateProperties)
ON_WM_CONTEXTMENU()
ON_WM_KEYUP()
ON_COMMAND(kCmdPreviousMarker, OnPreviousMarker)
ON_COMMAND(kCmdNextMarker, OnNextMarker)
ON_UPDATE_COMMAND_UI(kCmdPreviousMarker, OnUpdatePrevNextMarker)
ON_UPDATE_COMMAND_UI(kCmdNextMarker, OnUpdatePrevNextMarker)
ON_REGISTERED_MESSAGE(g_tracksStopPlay, OnTracksStopPlay)
// Kept enabled while the view is active: the frame's own handlers serve them.
ON_UPDATE_COMMAND_UI(kCmdFileNew, OnUpdateKeepEnabled)
ON_UPDATE_COMMAND_UI(kCmdFileOpen, OnUpdateKeepEnabled)
ON_UPDATE_COMMAND_UI(kCmdRecordingControl, OnUpdateKeepEnabled)
ON_COMMAND(ID_HANDLE_EXECUTE, OnFadeExecute)
ON_COMMAND(ID_HANDLE_CANCEL, OnFadeCancel)
ON_COMMAND(ID_HANDLE_RESET, OnResetHandles)
ON_COMMAND(ID_HANDLE_PREVIEW, OnFadePreview)
ON_COMMAND(ID_HANDLE_FADE_IN, OnFadeIn)
ON_COMMAND(ID_HANDLE_FADE_OUT, OnFadeOut)
ON_COMMAND(ID_HANDLE_SINE, OnSine)
ON_COMMAND(ID_HANDLE_LINEAR, OnLinear)
ON_UPDATE_COMMAND_UI_RANGE(ID_HANDLE_EXECUTE, ID_HANDLE_RESET, OnUpdateFadeEditCommand)
ON_UPDATE_COMMAND_UI(ID_HANDLE_PREVIEW, OnUpdateFadePreview)
ON_UPDATE_COMMAND_UI(ID_HANDLE_FADE_IN, OnUpdateFadeIn)
ON_UPDATE_COMMAND_UI(ID_HANDLE_FADE_OUT, OnUpdateFadeOut)
ON_UPDATE_COMMAND_UI(ID_HANDLE_SINE, OnUpdateSine)
ON_UPDATE_COMMAND_UI(ID_HANDLE_LINEAR, OnUpdateLinear)
END_MESSAGE_MAP()
// clang-format on

CNyMultiTrackView::CNyMultiTrackView()
{
    m_timeZoomButton.SetTimeButton(true);
}

CNyMultiTrackView::~CNyMultiTrackView()
{
    GetViewHost().DetachToolPanes(this);
    GetEditModeHost().DetachToolWindows(this);
    IViewHost& host = GetViewHost();
    if (IViewController* c = host.GetController(); c && c->GetActiveView() == this)
        c->SetActiveView(nullptr);
    if (IViewMixer* m = host.GetMixer(); m && m->GetView() == this)
        m->SetView(nullptr);
}

BOOL CNyMultiTrackView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, nullptr, nullptr, nullptr);
    cs.style |= WS_BORDER;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return cs.lpszClass != nullptr;
}

void CNyMultiTrackView::CalcWindowRect(RECT* rect, UINT adjustType)
{
    CView::CalcWindowRect(rect, adjustType);
    ::InflateRect(rect, -1, -1);
}

BOOL CNyMultiTrackView::OnCmdMsg(kvfw::CmdRequest& request)
{
    if (m_trackArea.m_hWnd && m_trackArea.OnCmdMsg(request))
        return TRUE;
    if (m_video.m_hWnd && m_video.OnCmdMsg(request))
        return TRUE;
    return CView::OnCmdMsg(request);
}

void CNyMultiTrackView::OnDraw(CDC*) {}

int CNyMultiTrackView::OnCreate(LPCREATESTRUCTA cs)
{
    if (CView::OnCreate(cs) == -1)
        return -1;
    // A cue or section the user adds opens its name editor over the new mark.
    SetLabelEditStarter(&StartNewLabelEdit);
    const RECT none{0, 0, 0, 0};
    const DWORD style = WS_CHILD | WS_VISIBLE;
    bool ok = m_header.Create(this, kChildTrackHeader) && m_ruler.Create(this, kChildTimeRuler) &&
              m_scale.Create(this, kChildAmplitudeScale) && m_video.Create(this, kChildVideoTrack, &m_videoLink) &&
              m_overview.Create(nullptr, nullptr, style, none, this, kChildOverview) &&
              m_splitter.Create(nullptr, nullptr, style, none, this, kChildSplitter) &&
              m_groupButton.Create(nullptr, nullptr, style, none, this, kChildGroupButton) &&
              m_sizeBox.Create(nullptr, nullptr, style, none, this, kChildSizeBox) &&
              m_selectAll.Create(nullptr, nullptr, style, none, this, kChildSelectAll) &&
              m_amplitudeZoomButton.Create(nullptr, nullptr, style, none, this, kChildAmplitudeZoom) &&
              m_vertScroll.Create(style | SBS_VERT, none, this, kChildVertScroll) &&
              m_timeZoomButton.Create(nullptr, nullptr, style, none, this, kChildTimeZoom) &&
              m_horzScroll.Create(style | SBS_HORZ, none, this, kChildHorzScroll) &&
              m_captionStrip.Create(this, kChildCaptionStrip) && m_trackArea.Create(this, kChildTrackArea);
    if (!ok)
        return -1;
    m_overview.SetView(this);
    return 0;
}

ViewLayoutInput CNyMultiTrackView::LayoutInput()
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    auto option = [doc](int id) { return doc && doc->GetViewOption(id); };
    RECT client{0, 0, 0, 0};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &client);
    ViewLayoutInput in;
    in.width = client.right;
    in.height = client.bottom;
    in.videoHeight = option(kCmdViewVideoTrack) ? 50 : 0;
    in.overviewHeight = GetSkinImageSize(kSkinNaviBg).cy;
    in.rulerHeight = option(kCmdViewTimeRuler) ? GetSkinImageSize(kSkinViewTopLeft).cy : 0;
    in.headerWidth = option(kCmdViewHeader) ? GetSkinImageSize(kSkinViewTopLeft).cx : 0;
    in.scaleWidth = GetSkinImageSize(kSkinViewRuler2).cx;
    return in;
}

void CNyMultiTrackView::RecalcLayout()
{
    m_timeZoomButton.Attach();
    m_amplitudeZoomButton.Attach();
    ViewLayoutInput in = LayoutInput();
    for (const ViewChildRect& child : LayoutViewChildren(in)) {
        HWND hwnd = ::GetDlgItem(m_hWnd, child.id);
        if (hwnd)
            ::SetWindowPos(hwnd, nullptr, child.rect.left, child.rect.top, child.rect.right - child.rect.left,
                           child.rect.bottom - child.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (child.id == kChildTrackArea)
            SetPaneSizes(in.width, child.rect.right - child.rect.left, child.rect.bottom - child.rect.top);
    }
    if (m_trackArea.m_hWnd)
        m_trackArea.AttachToView();
    if (m_ruler.m_hWnd)
        m_ruler.CalcHeight();
    if (m_scale.m_hWnd)
        m_scale.Attach();
    if (m_header.m_hWnd)
        m_header.Attach();
    m_video.UpdateLayout();
}

void CNyMultiTrackView::OnSize(UINT, int, int)
{
    Default();
    RecalcLayout();
    UpdateScrollBars();
}

void CNyMultiTrackView::EndInPlaceEdit()
{
    if (IInPlaceEditHost* host = GetInPlaceEditHost(); host && host->GetInPlaceEdit())
        host->EndInPlaceEdit();
}

bool CNyMultiTrackView::InPlaceEditWritable() const
{
    IInPlaceEditHost* host = GetInPlaceEditHost();
    CWnd* edit = host ? host->GetInPlaceEdit() : nullptr;
    return edit && edit->m_hWnd && !(::GetWindowLongPtrA(edit->m_hWnd, GWL_STYLE) & ES_READONLY);
}

void CNyMultiTrackView::OnSetFocus(CWnd*)
{
    Default();
    EndInPlaceEdit();
    InvalidateCaret(1);
    IViewHost& host = GetViewHost();
    host.EnableSelectionPanes(this, IsTransportBusy() || m_editMode != 0);
    host.EnableControllerPanes(this, m_editMode != 0);
}

void CNyMultiTrackView::OnKillFocus(CWnd* next)
{
    Default();
    if (!next || !::IsChild(m_hWnd, next->m_hWnd))
        EndInPlaceEdit();
}

void CNyMultiTrackView::AttachToolWindows(int refresh)
{
    IViewHost& host = GetViewHost();
    IViewController* controller = host.GetController();
    IViewMixer* mixer = host.GetMixer();
    if (!controller || !mixer)
        return;
    CNyMultiTrackView* before = controller->GetActiveView();
    bool changed = before != this;
    if (changed)
        controller->SetActiveView(this);
    if (changed || refresh)
        controller->UpdateDisplay();
    if (before != this)
        mixer->SetView(this);
    else if (refresh)
        mixer->Rebuild();
}

void CNyMultiTrackView::OnActivateView(BOOL activate, CView* activated, CView* deactivated)
{
    if (activate) {
        AttachToolWindows(0);
        IViewHost& host = GetViewHost();
        host.AttachToolPanes(this);
        host.EnableSelectionPanes(this, IsTransportBusy() || m_editMode != 0);
        host.EnableControllerPanes(this, m_editMode != 0);
        ActivateEditMode();
    } else {
        InvalidateCaret(0);
    }
    CView::OnActivateView(activate, activated, deactivated);
}

void CNyMultiTrackView::OnUpdate(CView* sender, LPARAM hint, CObject* hintObject)
{
    auto* added = hint == kHintMarksAdded ? dynamic_cast<MarksAddedHint*>(hintObject) : nullptr;
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    if (!added || !doc || !m_hWnd) {
        CView::OnUpdate(sender, hint, hintObject);
        return;
    }
    for (int id = added->firstId; id <= doc->GetLabels().GetSize(); ++id)
        InvalidateLabel(this, id);
}

void CNyMultiTrackView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    ::DragAcceptFiles(m_hWnd, TRUE);
    RecalcLayout();
    ZoomToFit(m_timeZoom == -1 ? 0 : -1, 0);
    EnsureSampleVisible(0);
    if (CSelectionModel* selection = GetSelection()) {
        selection->SetAllTracksMode(TRUE);
        selection->SetRowRange(0, -1);
        selection->SetSelection(0, 0);
    }
    UpdateScrollBars();
}

void CNyMultiTrackView::OnNcPaint()
{
    HDC dc = ::GetWindowDC(m_hWnd);
    RECT r;
    ::GetWindowRect(m_hWnd, &r);
    ::OffsetRect(&r, -r.left, -r.top);
    HBRUSH dark = ::CreateSolidBrush(SkinColorAt(15)), pane = ::CreateSolidBrush(SkinColorAt(kSkinColorPaneBack));
    RECT bottom{0, r.bottom - 1, r.right, r.bottom}, right{r.right - 1, 0, r.right, r.bottom};
    RECT left{0, 0, 1, r.bottom}, top{0, 0, r.right, 1};
    ::FillRect(dc, &bottom, dark);
    ::FillRect(dc, &right, dark);
    ::FillRect(dc, &left, pane);
    ::FillRect(dc, &top, pane);
    ::DeleteObject(dark);
    ::DeleteObject(pane);
    ::ReleaseDC(m_hWnd, dc);
}

void CNyMultiTrackView::UpdateNow()
{
    if (m_hWnd)
        ::UpdateWindow(m_hWnd);
}

// Repaints -----------------------------------------------------------------------------------

void CNyMultiTrackView::InvalidateTrackArea(const RECT& area)
{
    if (m_trackArea.m_hWnd)
        ::InvalidateRect(m_trackArea.m_hWnd, &area, TRUE);
    if (m_ruler.m_hWnd) {
        RECT ruler;
        ::GetClientRect(m_ruler.m_hWnd, &ruler);
        ruler.left = area.left;
        ruler.right = area.right;
        ::InvalidateRect(m_ruler.m_hWnd, &ruler, TRUE);
    }
}

void CNyMultiTrackView::RepaintTracks()
{
    if (m_trackArea.m_hWnd)
        ::InvalidateRect(m_trackArea.m_hWnd, nullptr, TRUE);
    RepaintTrackHeader();
}

void CNyMultiTrackView::RedrawSelectionArea(int track)
{
    RECT area;
    if (track == -1) {
        RECT axis = GetTrackWaveRect(-1), rows = GetTracksRect();
        area = RECT{axis.left, rows.top, axis.right, rows.bottom};
    } else {
        area = GetTrackWaveRect(track);
    }
    int64_t s = 0, e = 0;
    CSelectionModel* selection = GetSelection();
    if (selection && selection->GetOrderedSelection(&s, &e)) {
        double spp = GetSamplesPerPixel(0);
        int left = area.left;
        int x1 = left + int(SampleToPixel(std::max<int64_t>(s - m_firstVisibleSample, 0)));
        int x2 = left + int(SampleToPixel(std::max<int64_t>(e - m_firstVisibleSample, 0))) + 1;
        if (spp < 1.0) {
            x1 -= int(1.0 / spp);
            x2 += int(1.0 / spp);
        }
        area.left = x1;
        area.right = std::min<int>(x2, area.right);
    }
    if (m_trackArea.m_hWnd)
        ::InvalidateRect(m_trackArea.m_hWnd, &area, TRUE);
    if (m_ruler.m_hWnd)
        ::InvalidateRect(m_ruler.m_hWnd, nullptr, TRUE);
    if (!m_deferredUpdate) {
        m_immediateRepaint = 0;
        if (m_trackArea.m_hWnd)
            ::UpdateWindow(m_trackArea.m_hWnd);
        if (m_ruler.m_hWnd)
            ::UpdateWindow(m_ruler.m_hWnd);
        m_overview.Redraw();
        m_immediateRepaint = 1;
    }
}

void CNyMultiTrackView::InvalidateSampleRange(int64_t start, int64_t end, int firstRow, int lastRow)
{
    if (start > end)
        std::swap(start, end);
    RECT axis = GetTrackWaveRect(-1);
    double spp = GetSamplesPerPixel(0);
    int x1 = axis.left + int(SampleToPixel(std::max<int64_t>(start - m_firstVisibleSample, 0)));
    int x2 = axis.left + int(SampleToPixel(std::max<int64_t>(end - m_firstVisibleSample, 0))) + 1;
    if (spp < 1.0) {
        x1 -= int(1.0 / spp);
        x2 += int(1.0 / spp);
    }
    x1 = std::clamp<int>(x1, axis.left, axis.right);
    x2 = std::clamp<int>(x2, axis.left, axis.right);
    if (m_ruler.m_hWnd) {
        RECT ruler;
        ::GetClientRect(m_ruler.m_hWnd, &ruler);
        RECT r{x1, ruler.top + 1, x2, ruler.bottom - 1};
        ::InvalidateRect(m_ruler.m_hWnd, &r, TRUE);
    }
    int rows = GetRowCount();
    if (lastRow < 0)
        lastRow = rows - 1;
    RECT client = m_trackAreaRect;
    int top = GetChannelRect(firstRow, -1).top;
    int bottom = lastRow < rows ? GetChannelRect(lastRow, -1).bottom : client.bottom;
    bottom = std::max<int>(bottom, lastRow < rows ? bottom : client.bottom);
    RECT area{x1, top, x2, bottom};
    if (m_trackArea.m_hWnd)
        ::InvalidateRect(m_trackArea.m_hWnd, &area, TRUE);
    if (!m_deferredUpdate) {
        if (m_ruler.m_hWnd)
            ::UpdateWindow(m_ruler.m_hWnd);
        if (m_trackArea.m_hWnd)
            ::UpdateWindow(m_trackArea.m_hWnd);
        m_overview.Redraw();
    }
}

void CNyMultiTrackView::InvalidateTrack(int64_t start, int64_t end, int firstTrack, int lastTrack)
{
    InvalidateSampleRange(start, end, GetTrackRow(firstTrack, 0), GetTrackRow(lastTrack, 1));
}

void CNyMultiTrackView::RefreshView()
{
    m_noIntermediateRepaint = 1;
    UpdateHorzScrollBar();
    UpdateVertScrollBar();
    UpdateStatusText();
    m_noIntermediateRepaint = 0;
    UpdateNow();
    m_trackArea.RefreshCaret();
    GetViewHost().RefreshMarkerList(-1);
}

void CNyMultiTrackView::InvalidateTimeline()
{
    for (CWnd* pane : {static_cast<CWnd*>(&m_ruler), static_cast<CWnd*>(&m_video), static_cast<CWnd*>(&m_trackArea)})
        if (pane->m_hWnd)
            ::InvalidateRect(pane->m_hWnd, nullptr, TRUE);
    GetViewHost().RefreshMarkerList(-1);
}

// Corner panes ------------------------------------------------------------------------------

bool CNyMultiTrackView::HasSelection() const
{
    CSelectionModel* selection = GetSelection();
    return selection && selection->HasSelection();
}

bool CNyMultiTrackView::IsTransportBusy() const
{
    return GetDocumentHost().IsTransportBusy() != FALSE;
}

int CNyMultiTrackView::GetMultiIcon() const
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    return doc ? doc->IsMultichannel() : 0;
}

bool CNyMultiTrackView::IsGroupingEnabled() const
{
    CNyMultiTrackDoc* doc = GetMultiTrackDoc();
    return doc && doc->IsGroupingOn();
}

void CNyMultiTrackView::EnableGrouping(bool enable)
{
    if (CNyMultiTrackDoc* doc = GetMultiTrackDoc())
        doc->EnableGrouping(enable);
}

void CNyMultiTrackView::RepaintTrackHeader()
{
    if (m_header.m_hWnd)
        ::InvalidateRect(m_header.m_hWnd, nullptr, TRUE);
}

bool CNyMultiTrackView::IsAllTracksMode() const
{
    CSelectionModel* selection = GetSelection();
    return selection && selection->IsAllTracksMode();
}

void CNyMultiTrackView::SetAllTracksMode(bool allTracks)
{
    if (CSelectionModel* selection = GetSelection())
        selection->SetAllTracksMode(allTracks);
}

void CNyMultiTrackView::GetPreviousRowRange(int* first, int* last) const
{
    *first = *last = 0;
    if (CSelectionModel* selection = GetSelection())
        selection->GetPreviousRowRange(first, last);
}

void CNyMultiTrackView::SetRowRange(int first, int last, int)
{
    if (CSelectionModel* selection = GetSelection())
        selection->SetRowRange(first, last);
}

void CNyMultiTrackView::SetTimeRange(int64_t start, int64_t end)
{
    if (CSelectionModel* selection = GetSelection())
        selection->SetSelection(start, end, TRUE);
}

void CNyMultiTrackView::InvalidateCaret(int show)
{
    if (m_trackArea.m_hWnd)
        m_trackArea.InvalidateCaret(show);
}

void CNyMultiTrackView::OnRulerUnits()
{
    RunRulerUnitsCommand(this);
}
