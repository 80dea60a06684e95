// The track area under the mouse: the hit test, the cursor it chooses, the edit position that
// follows the pointer, double clicks, the right button and the context menus with the envelope
// point deletions.
#include "TrackAreaPane.h"

#include "ComObject.h"
#include "CursorIds.h"
#include "EnvelopeEditor.h"
#include "FadeHandleEditor.h"
#include "KsMultiTrack.h"
#include "LabelMarks.h"
#include "LabelTable.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SampleUnits.h"
#include "SelectionModel.h"
#include "ViewDialogs.h"
#include "ViewHost.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
constexpr int kOptionVolumeEnvelopes = 1023;
constexpr int kOptionPanEnvelopes = 1115;

bool InFadeMode(CNyMultiTrackView* view)
{
    return view->GetEditMode() == 1 || view->GetEditMode() == 2;
}

bool InPlaceEditOpen()
{
    IInPlaceEditHost* host = GetInPlaceEditHost();
    return host && host->GetInPlaceEdit();
}

bool ReadAutomationOn(CNyMultiTrackDoc* doc)
{
    LONG on = 0;
    IMtTrackSet* set = doc->GetTrackSet();
    return set && SUCCEEDED(set->GetReadAutomation(&on)) && on > 0;
}

std::vector<EnvelopePoint> HandlePoints(const CFadeHandleEditor& handles)
{
    std::vector<EnvelopePoint> points;
    for (const HandlePoint& h : handles.Handles())
        points.push_back(EnvelopePoint{h.position, h.gain});
    return points;
}

// A track's fade handles as an envelope editor sees them (false without handles).
bool LoadFadeHandles(CNyMultiTrackView* view, int track, CEnvelopeEditor* editor)
{
    CFadeHandleEditor* handles = view->GetMultiTrackDoc()->GetHandleEditTrack(track);
    if (!handles || handles->Handles().empty())
        return false;
    int64_t start = 0, end = 0;
    handles->GetRange(&start, &end);
    editor->LoadHandles(view, track, start, end, HandlePoints(*handles));
    return true;
}

// The tracks of a track's group that follow its handles (grouping on, a group number, handles).
std::vector<int> HandleGroupOf(CNyMultiTrackDoc* doc, int track)
{
    std::vector<int> members;
    int group = doc->GetTrackGroup(track);
    if (!doc->IsGroupingOn() || group <= 0)
        return members;
    for (int i = 0, n = doc->GetTrackCount(); i < n; ++i)
        if (i != track && doc->GetTrackGroup(i) == group && doc->HasEditHandles(i))
            members.push_back(i);
    return members;
}
} // namespace

// Grouped tracks take the whole handle list of the track a gesture changed.
void CopyHandlesToGroup(CNyMultiTrackDoc* doc, int track)
{
    CFadeHandleEditor* source = doc->GetHandleEditTrack(track);
    if (!source)
        return;
    for (int member : HandleGroupOf(doc, track)) {
        CFadeHandleEditor* target = doc->GetHandleEditTrack(member);
        if (!target)
            continue;
        target->Reset(-1);
        for (const HandlePoint& h : source->Handles())
            target->SetHandles(h.position, h.gain);
        target->InvalidateTrack(1);
    }
}

// Hit test ------------------------------------------------------------------------------------

short CTrackAreaPane::FadeHitAt(int track, int x, int y)
{
    CEnvelopeEditor editor;
    if (!LoadFadeHandles(m_view, track, &editor))
        return 0;
    int hit = editor.HitTest(x, y);
    return short(hit == CEnvelopeEditor::kHitLine ? -10 : hit == CEnvelopeEditor::kHitPoint ? -11 : hit);
}

short CTrackAreaPane::EnvelopeHitAt(int track, int x, int y)
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    if (!ReadAutomationOn(doc))
        return 0;
    int64_t first = 0, last = 0;
    m_view->GetVisibleRange(&first, &last);
    for (int kind : {0, 1}) {
        if (!doc->GetViewOption(kind == 0 ? kOptionVolumeEnvelopes : kOptionPanEnvelopes))
            continue;
        CEnvelopeEditor editor;
        editor.Load(m_view, track, kind, first, last);
        int hit = editor.HitTest(x, y);
        if (hit == CEnvelopeEditor::kHitLine)
            return short(kind == 0 ? -12 : -14);
        if (hit == CEnvelopeEditor::kHitPoint)
            return short(kind == 0 ? -13 : -15);
    }
    return 0;
}

int CTrackAreaPane::SampleHalfStep()
{
    double spp = m_view->GetSamplesPerPixel(0);
    return spp > 0 && spp < 1.0 ? int(0.5 / spp) : 0;
}

RECT CTrackAreaPane::ValueRect(int row)
{
    RECT r = m_view->GetChannelRect(row, -1);
    return RECT{r.left, r.top + 2, r.right, r.bottom - 2};
}

short CTrackAreaPane::HitTest(int x, int y)
{
    if (!m_view)
        AttachToView();
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc)
        return 0;
    int track = m_view->TrackFromY(y, 1);
    if (track < 0)
        return 0;
    if (InFadeMode(m_view)) {
        if (doc->GetHandleEditTrack(track))
            return FadeHitAt(track, x, y);
    } else if (short envelope = EnvelopeHitAt(track, x, y)) {
        return envelope;
    }
    if (m_hitCode == 1)
        m_hitCode = 0;
    RECT visible = m_view->GetVisibleTrackRect(track);
    if (x <= visible.left || x >= visible.right || y < visible.top || y >= visible.bottom)
        return 0;
    POINT p{x, y};
    RECT spectrum = m_view->GetTrackSpectrumRect(track);
    if (::PtInRect(&spectrum, p))
        return -3;
    RECT markers = m_view->GetTrackMarkerRect(track);
    if (::PtInRect(&markers, p))
        return doc->GetLabels().HitTest(track, x, y, LabelHitHalfWidth()) == 1 ? -5 : -2;
    RECT title = m_view->GetTrackTitleRect(track);
    if (::PtInRect(&title, p)) {
        int64_t at = m_view->XToSample(x), start = doc->GetTrackExtent(track, -1);
        bool onClip = start <= at && at <= start + doc->GetTrackExtent(track, 0);
        return short(onClip && doc->IsViewIdle() ? -4 : 0);
    }
    int row = m_view->RowFromY(y, 0);
    RECT rowRect = m_view->GetChannelRect(row, -1);
    if (row >= m_view->GetRowCount() || !::PtInRect(&rowRect, p))
        return 0;
    int64_t first = m_view->GetFirstVisibleSample();
    CSelectionModel* selection = doc->GetSelection();
    int64_t s = 0, e = 0;
    if (!selection || !selection->GetSelection(&s, &e)) {
        if (!m_view->IsSampleWide())
            return -1;
        int64_t at = m_view->XToSample(x);
        RECT r = ValueRect(row);
        int sx = int(m_view->SampleToPixel(at - first)) + rowRect.left + SampleHalfStep();
        int sy = SampleValueToY(r.left, r.top, r.right, r.bottom, GetSampleValue(row, at),
                                m_view->GetWaveMagnification(), FullScaleForBits(doc->GetBitsPerSample()));
        RECT box{sx - 3, sy - 3, sx + 3, sy + 3};
        int64_t spanStart = 0, spanEnd = 0;
        doc->GetTrackSpan(track, &spanStart, &spanEnd);
        if (!::PtInRect(&box, p) || at < spanStart || at > spanEnd)
            return -1;
        m_hitCode = 1;
        return 1;
    }
    short result = -1;
    if (std::abs(x - (int(m_view->SampleToPixel(s - first)) + rowRect.left)) <= 4)
        result = 4;
    if (std::abs(x - (int(m_view->SampleToPixel(e - first)) + rowRect.left)) <= 4)
        result = 5;
    return selection->IsRowSelected(row) ? result : short(-1);
}

short CTrackAreaPane::HitTestAtCursor()
{
    POINT p;
    ::GetCursorPos(&p);
    ::ScreenToClient(m_hWnd, &p);
    return HitTest(p.x, p.y);
}

int32_t CTrackAreaPane::YToSampleValue(int, int top, int, int bottom, int y, int magnification, int32_t fullScale)
{
    int64_t half = (bottom - top) / 2;
    if (half == 0)
        return 0;
    int64_t m = magnification ? magnification : 1;
    int64_t v = (int64_t(top - y) + half) * fullScale / half / m;
    return int32_t(std::min<int64_t>(fullScale - 1, v));
}

// Cursor and pointer ----------------------------------------------------------------------------

BOOL CTrackAreaPane::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest != HTCLIENT || !m_view)
        return static_cast<BOOL>(Default());
    short code = HitTestAtCursor();
    LPCSTR system = nullptr;
    switch (code) {
    case -15:
    case -13:
    case -11:
        system = IDC_SIZEALL;
        break;
    case -14:
    case -12:
    case -10:
        system = IDC_CROSS;
        break;
    case 4:
    case 5:
        system = IDC_SIZEWE;
        break;
    case -5:
        if (!InPlaceEditOpen())
            system = IDC_UPARROW;
        break;
    default:
        break;
    }
    if (m_hitCode == 1)
        system = IDC_CROSS;
    HCURSOR cursor = nullptr;
    if (code == -4)
        cursor = ::LoadCursorA(::GetModuleHandleA(nullptr), kCursorHandOffset);
    else if (system)
        cursor = ::LoadCursor(nullptr, system);
    if (!cursor)
        return static_cast<BOOL>(Default());
    ::SetCursor(cursor);
    return TRUE;
}

void CTrackAreaPane::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_view)
        AttachToView();
    if (!m_view || InPlaceEditOpen())
        return;
    if ((flags & MK_LBUTTON) && (m_hitCode == 1 || m_hitCode == 4 || m_hitCode == 5))
        return;
    // One point for the whole program: a move message that repeats it changes nothing.
    static POINT last{0, 0};
    if (point.x == last.x && point.y == last.y)
        return;
    last = point;
    double spp = m_view->GetSamplesPerPixel(0);
    int off = spp > 0 && spp < 1.0 ? -3 + int(0.5 / spp) : 0;
    m_view->SetEditPosition(m_view->XToSample(point.x + off));
}

// Double click ----------------------------------------------------------------------------------

void CTrackAreaPane::OnLButtonDblClk(UINT flags, CPoint point)
{
    CBaseWin::OnLButtonDblClk(flags, point);
    if (!m_view)
        AttachToView();
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc || !doc->IsViewIdle() || InFadeMode(m_view))
        return;
    if (m_hitCode == 1) {
        int64_t at = std::max<int64_t>(0, m_view->XToSample(point.x - SampleHalfStep()));
        int32_t value = GetSampleValue(m_pressRow, at);
        const ViewDialogs& dialogs = GetViewDialogs();
        if (dialogs.sampleValue && dialogs.sampleValue(m_view, at, &value) && EditSamples(m_pressRow, at, value)) {
            RECT r = m_view->GetChannelRect(m_pressRow, -1);
            int x = int(m_view->SampleToPixel(at - m_view->GetFirstVisibleSample())) + r.left + SampleHalfStep();
            RECT box{x - 3, r.top, x + 4, r.bottom};
            ::InvalidateRect(m_hWnd, &box, FALSE);
        }
        return;
    }
    short code = HitTest(point.x, point.y);
    bool shift = (flags & MK_SHIFT) != 0;
    if (code == -5 || m_pressRow < 0 || m_pressRow >= m_view->GetRowCount() || (!shift && code != -1))
        return;
    CSelectionModel* selection = doc->GetSelection();
    int track = m_view->TrackFromRow(m_pressRow, 0);
    int64_t clipStart = doc->GetTrackExtent(track, -1), clipEnd = doc->GetTrackExtent(track, 1);
    int64_t at = m_view->XToSample(point.x);
    int64_t lower = clipStart, upper = clipEnd;
    if (clipStart < at && at < clipEnd) {
        // The marks nearest on either side narrow the clip to the stretch around the point.
        CLabelTable& labels = doc->GetLabels();
        LabelRecord r{};
        if (labels.FindById(labels.FindNearest(track, at, -1, -1, false), &r)) {
            for (int64_t edge : {r.start, r.end})
                if (edge < at)
                    lower = std::max(lower, edge);
        }
        if (labels.FindById(labels.FindNearest(track, at, 1, -1, false), &r)) {
            for (int64_t edge : {r.start, r.end})
                if (edge > at)
                    upper = std::min(upper, edge);
        }
    } else {
        selection->SetRowRange(m_view->GetTrackRow(track, 0), m_view->GetTrackRow(track, 1));
        if (clipEnd <= clipStart) {
            selection->InvalidateSelection();
            GetViewHost().UpdateAnalysisAndEffects();
            return;
        }
    }
    int64_t oldStart = 0, oldEnd = 0;
    bool had = selection->GetOrderedSelection(&oldStart, &oldEnd);
    if (shift && had) {
        lower = std::min(lower, oldStart);
        upper = std::max(upper, oldEnd);
    }
    selection->SetSelection(lower, upper, TRUE);
    m_view->InvalidateSampleRange(std::min(lower, oldStart), std::max(upper, oldEnd), 0, m_view->GetRowCount() - 1);
    selection->InvalidateSelection();
    GetViewHost().UpdateAnalysisAndEffects();
}

// Right button and context menus ----------------------------------------------------------------

void CTrackAreaPane::OnRButtonDown(UINT flags, CPoint point)
{
    if (!m_view)
        AttachToView();
    if (!m_view || !InFadeMode(m_view)) {
        Default();
        return;
    }
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    int track = m_view->TrackFromY(point.y, 1);
    if (track < 0) {
        Default();
        return;
    }
    short code = HitTest(point.x, point.y);
    if (code == -14 || code == -12 || code == -10) {
        m_hitCode = code;
        return;
    }
    if (code != -11) {
        Default();
        return;
    }
    m_hitCode = -11;
    CFadeHandleEditor* handles = doc->GetHandleEditTrack(track);
    CEnvelopeEditor editor;
    if (!handles || !LoadFadeHandles(m_view, track, &editor))
        return;
    int64_t at = m_view->XToSample(point.x);
    EnvelopePoint segment[3];
    int found = 0;
    for (int dx : {0, 3, -3})
        if ((found = editor.FindSegment(m_view->XToSample(point.x + dx), segment)) != 0) {
            at = m_view->XToSample(point.x + dx);
            break;
        }
    if (!found)
        return;
    // The handle at the position, else the nearer end of the segment around it.
    int64_t handle =
        found == 3 ? segment[1].position
                   : (at - segment[0].position <= segment[1].position - at ? segment[0].position : segment[1].position);
    const std::vector<HandlePoint>& list = handles->Handles();
    if (list.size() < 3 || handle == list.front().position || handle == list.back().position)
        return;
    handles->Reset(handle);
    CopyHandlesToGroup(doc, track);
    handles->InvalidateTrack(1);
    (void)flags;
}

void CTrackAreaPane::OnRButtonUp(UINT flags, CPoint point)
{
    if (m_hitCode <= -10 && m_hitCode >= -15) {
        m_hitCode = 0;
        return;
    }
    if (!m_view)
        AttachToView();
    int track = m_view ? m_view->TrackFromY(point.y, 1) : -1;
    if (track >= 0 && m_view->GetMultiTrackDoc()->GetHandleEditTrack(track))
        return;
    m_hitCode = 0;
    CBaseWin::OnRButtonUp(flags, point);
}

UINT CTrackAreaPane::ContextMenuAt(POINT client)
{
    if (!m_view)
        AttachToView();
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    int track = doc ? m_view->TrackFromY(client.y, 1) : -1;
    if (track >= 0) {
        RECT markers = m_view->GetTrackMarkerRect(track);
        if (::PtInRect(&markers, client) && doc->GetLabels().HitTest(track, client.x, client.y, LabelHitHalfWidth()))
            return IDM_TRACKAREA_LABEL;
    }
    if (::GetCursor() && ::GetCursor() == ::LoadCursor(nullptr, IDC_SIZEALL))
        return IDM_TRACKAREA_POINT;
    return ContextMenuId();
}

void CTrackAreaPane::OnContextMenu(CWnd* wnd, CPoint point)
{
    // An open label editor: a writable one gives the focus back, a read-only one ends.
    LeaveInPlaceEdit();
    POINT client = point;
    if (point.x == -1 && point.y == -1) {
        client = POINT{4, 4};
        point = CPoint(client);
        ClientToScreen(&point);
    } else {
        ::ScreenToClient(m_hWnd, &client);
    }
    m_contextPoint = client;
    UINT id = ContextMenuAt(client);
    if (id != IDM_TRACKAREA_LABEL && id != IDM_TRACKAREA_POINT) {
        CBaseWin::OnContextMenu(wnd, point);
        return;
    }
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
    if (!menu)
        return;
    HWND owner = m_hWnd;
    while (owner && (::GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD) && ::GetParent(owner))
        owner = ::GetParent(owner);
    if (HMENU popup = ::GetSubMenu(menu, 0))
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
    ::DestroyMenu(menu);
}

void CTrackAreaPane::OnDeleteAllPoints()
{
    DeleteEnvelopePoints(1);
}

void CTrackAreaPane::OnDeleteCurrentPoint()
{
    DeleteEnvelopePoints(0);
}

void CTrackAreaPane::DeleteEnvelopePoints(int all)
{
    if (!m_view)
        AttachToView();
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    int track = doc ? m_view->TrackFromY(m_contextPoint.y, 1) : -1;
    if (track < 0 || !doc->GetHistory())
        return;
    // Fade handles are no envelope: over them (or their line) nothing is deleted.
    short code = HitTest(m_contextPoint.x, m_contextPoint.y);
    int kind = code == -15 || code == -14 ? 1 : code == -13 || code == -12 ? 0 : -1;
    if (kind < 0)
        return;
    CEnvelopeEditor editor;
    ComRef<IEditCommand> command;
    if (all) {
        editor.Load(m_view, track, kind, 0, INT64_MAX / 2);
        editor.DeletePoint(-1, command.Out());
    } else {
        int64_t first = 0, last = 0;
        m_view->GetVisibleRange(&first, &last);
        editor.Load(m_view, track, kind, first, last);
        if (editor.HitTest(m_contextPoint.x, m_contextPoint.y) != CEnvelopeEditor::kHitPoint)
            return;
        editor.DeletePoint(editor.GetHitPosition(), command.Out());
    }
    if (!command)
        return;
    doc->GetHistory()->Add(command.Get(), TRUE);
    doc->SetModifiedFlag(TRUE);
    m_view->InvalidateTrackArea(m_view->GetTrackWaveRect(track));
}
