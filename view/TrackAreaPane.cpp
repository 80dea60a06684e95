#include "TrackAreaPane.h"

#include "ComObject.h"
#include "CursorIds.h"
#include "DrawIds.h"
#include "EnvelopeEditor.h"
#include "FadeHandleEditor.h"
#include "LabelMarks.h"
#include "KsMultiTrack.h"
#include "TransactionCommand.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "SelectionMouse.h"
#include "SkinTables.h"
#include "TimeRulerPane.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CTrackAreaPane, CBaseWin)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_CONTEXTMENU()
    ON_COMMAND(IDC_DELETE_CURRENT_POINT, OnDeleteCurrentPoint)
    ON_COMMAND(IDC_DELETE_ALL_POINTS, OnDeleteAllPoints)
END_MESSAGE_MAP()

namespace {
constexpr int kOptionMarkers = 1014;
constexpr int kOptionVolumeEnvelopes = 1023;
constexpr int kOptionPanEnvelopes = 1115;

bool Meets(const RECT& a, const RECT& b, RECT* out = nullptr)
{
    RECT r;
    bool met = ::IntersectRect(&r, &a, &b) != 0;
    if (out)
        *out = met ? r : RECT{0, 0, 0, 0};
    return met;
}

bool InFadeMode(CNyMultiTrackView* view)
{
    return view->GetEditMode() == 1 || view->GetEditMode() == 2;
}
} // namespace

CTrackAreaPane::CTrackAreaPane()
    : m_painter(std::make_unique<CWaveformPainter>()), m_playLine(std::make_unique<CPlayCursorLine>(this))
{
}

CTrackAreaPane::~CTrackAreaPane()
{
    if (m_backBuffer)
        ::DeleteObject(m_backBuffer);
}

BOOL CTrackAreaPane::Create(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent, id);
}

void CTrackAreaPane::AttachToView()
{
    BindView(dynamic_cast<CNyMultiTrackView*>(CWnd::FromHandle(m_parent ? m_parent : ::GetParent(m_hWnd))));
}

void CTrackAreaPane::BindView(CNyMultiTrackView* view)
{
    m_view = view;
    m_doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    m_painter->SetView(m_view);
}

BOOL CTrackAreaPane::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CTrackAreaPane::OnLButtonDown(UINT flags, CPoint point)
{
    CBaseWin::OnLButtonDown(flags, point);
    if (!m_view)
        AttachToView();
    if (!m_view || m_view->IsRecording() || !m_view->GetMultiTrackDoc())
        return;
    short code = HitTest(point.x, point.y);
    const bool overSample = m_hitCode == 1;
    switch (code) {
    case 0:
    case -2:
    case -3:
        return;
    case -4:
        PressOnOffsetHandle(point);
        return;
    case -5: {
        int track = m_view->TrackFromY(point.y, 1);
        InvalidateCaret(0);
        SetCaretHidden(1);
        PressOnLabel(m_view, m_hWnd, track, point.x, point.y);
        SetCaretHidden(0);
        InvalidateCaret(1);
        return;
    }
    default:
        break;
    }
    if (InFadeMode(m_view)) {
        // A press in a handle edit mode never changes the selection.
        FadeHandleGesture(point.x, point.y);
        return;
    }
    if (SelectionEdgeAt(m_view, point.x, point.y) && ActiveLabelStretchable(m_view)) {
        EditLabelAt(m_view, m_hWnd, false, -1, point.x, point.y, flags);
        return;
    }
    m_pressRow = m_view->RowFromY(point.y, 0);
    if (m_pressRow >= m_view->GetRowCount())
        return;
    if (code <= -12 && code >= -15 && EnvelopeGesture(point.x, point.y, code))
        return;
    if (overSample) {
        // Over an editable sample (the cross cursor) the press only puts the caret on it, then
        // the sample's value follows the mouse.
        CSelectionModel* selection = m_view->GetSelection();
        SetCaretHidden(1);
        selection->SetRowRange(m_pressRow, m_pressRow);
        int64_t at = std::max<int64_t>(0, m_view->XToSample(point.x));
        selection->SetSelection(at, at);
        InvalidateCaret(1);
        selection->InvalidateSelection();
        int64_t start = 0;
        selection->GetStartAndLength(&start);
        if (HitTest(point.x, point.y) == 1)
            EditSampleValue(start, m_pressRow);
    } else {
        SelectionMouseDown(m_view, m_hWnd, false, -1, point.x, point.y, flags);
    }
    m_view->SyncMixerAutomation();
}

void CTrackAreaPane::SyncPlayCursorRows()
{
    std::vector<int> rows;
    int count = m_view ? m_view->GetRowCount() : 0;
    for (int row = 0; row < count; ++row)
        rows.push_back(row);
    m_playLine->SetRows(std::move(rows));
}

int32_t CTrackAreaPane::GetSampleValue(int row, int64_t position)
{
    if (!m_view)
        AttachToView();
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc || row < 0)
        return 0;
    if (row == m_sampleEditRow)
        return m_editedValue;
    int track = m_view->TrackFromRow(row, 0);
    IMtTrack* object = doc->GetTrack(track);
    LONG value = 0;
    // The out value counts only on success.
    if (!object || FAILED(object->ReadSample(WORD(row - m_view->GetTrackRow(track, 0)), position, &value)))
        return 0;
    return StorageToViewSample(value, doc->GetBitsPerSample());
}

bool CTrackAreaPane::IsTrackDragged(int track) const
{
    return m_hitCode == -4 && std::find(m_draggedTracks.begin(), m_draggedTracks.end(), track) != m_draggedTracks.end();
}

// Painting -------------------------------------------------------------------------------------

void CTrackAreaPane::OnPaint()
{
    PAINTSTRUCT ps;
    HDC paint = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (m_backBuffer) {
        HDC memory = ::CreateCompatibleDC(paint);
        HGDIOBJ old = ::SelectObject(memory, m_backBuffer);
        ::BitBlt(paint, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        ::EndPaint(m_hWnd, &ps);
        return;
    }
    if (!m_view)
        AttachToView();
    bool caretShown = m_caret.shown != 0;
    if (caretShown)
        InvalidateCaret(0);
    CDC target(paint);
    MemoryDC buffer;
    if (CDC* dc = buffer.Create(&target, client)) {
        const RECT& r = ps.rcPaint;
        DrawTracks(dc->m_hDC, r, client);
        ::BitBlt(paint, r.left, r.top, r.right - r.left, r.bottom - r.top, dc->m_hDC, r.left, r.top, SRCCOPY);
    }
    ::EndPaint(m_hWnd, &ps);
    if (m_view)
        m_view->SetEditPosition(m_view->GetEditPosition());
    if (caretShown)
        InvalidateCaret(1);
}

void CTrackAreaPane::DrawTracks(HDC dc, const RECT& clip, const RECT& client)
{
    FillColour(dc, clip, SkinColorAt(17));
    if (!m_view)
        return;
    // The rows' grid is the ruler's at this zoom and scroll position.
    m_view->GetTimeRuler().SetUnits(0, 0);
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    int count = doc ? doc->GetTrackCount() : 0;
    SyncPlayCursorRows();
    int first = m_view->TrackFromRow(m_view->GetFirstVisibleRow(), 0);
    for (int t = std::max(first, 0); t < count; ++t) {
        IMtTrack* track = doc->GetTrack(t);
        RECT visible = m_view->GetVisibleTrackRect(t);
        RECT r;
        if (Meets(visible, clip, &r)) {
            DrawTrackTitle(dc, clip, t);
            m_painter->DrawTrackPeaks(dc, t, track, clip);
            if (InFadeMode(m_view))
                DrawFadeHandles(dc, clip, t);
            else
                DrawEnvelopes(dc, clip, t);
            DrawMarkerArea(dc, t);
            // The marker lines cross the waveform whether or not the marker strips show.
            DrawMarkers(m_view, dc, t, m_view->GetTrackWaveRect(t));
            if (doc->GetViewOption(kOptionMarkers))
                DrawTrackLabels(m_view, dc, t, m_view->GetTrackMarkerRect(t));
        } else if (clip.bottom < m_view->GetTrackRect(t).top) {
            break;
        }
    }
    RECT bottom{client.left, client.bottom - 1, client.right, client.bottom}, line;
    if (Meets(bottom, clip, &line))
        FillColour(dc, line, SkinColorAt(11));
    m_playLine->Draw(dc, clip, -1);
}

void CTrackAreaPane::DrawTrackTitle(HDC dc, const RECT& clip, int track)
{
    RECT strip = m_view->GetTrackTitleRect(track);
    RECT wide{strip.left, strip.top, strip.right + 1, strip.bottom}, r;
    if (!Meets(wide, clip, &r))
        return;
    FillColour(dc, r, SkinColorAt(17));
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    int bottom = strip.bottom - 1, height = bottom - strip.top;
    FillColour(dc, RECT{strip.left, bottom - 1, strip.right, bottom}, SkinColorAt(12));
    FillColour(dc, RECT{strip.right, strip.top, strip.right + 1, strip.top + height}, SkinColorAt(12));
    FillColour(dc, RECT{strip.left, strip.top, strip.left + 1, strip.top + height}, SkinColorAt(13));
    FillColour(dc, RECT{strip.left, strip.top, strip.right, strip.top + 1}, SkinColorAt(13));

    RECT bar{strip.left, strip.top + 1, strip.right, strip.bottom - 1};
    int64_t start = 0, end = 0;
    m_view->GetMultiTrackDoc()->GetTrackSpan(track, &start, &end);
    bool dragged = IsTrackDragged(track);
    if (dragged) {
        start += GetDragDisplacement();
        end += GetDragDisplacement();
    }
    if (end != start) {
        int64_t first = m_view->GetFirstVisibleSample();
        double x1 = std::max(m_view->SampleToPixel(start - first) + strip.left, -2147483648.0);
        double x2 = std::min(m_view->SampleToPixel(end - first) + strip.left, 2147483647.0);
        int64_t spp = int64_t(m_view->GetSamplesPerPixel(0));
        int right = int(x2);
        if (spp && ((end - start) < 0 ? start - end : end - start) % spp != 0)
            right += 1;
        RECT clipBar{int(x1), bar.top, right, bar.bottom}, drawn;
        if (Meets(clipBar, strip, &drawn)) {
            if (CBrush* pattern = GetSkinPatternBrush(88))
                ::FillRect(dc, &drawn, static_cast<HBRUSH>(pattern->m_hObject));
            else
                FillColour(dc, drawn, SkinColorAt(15));
            COLORREF light = SkinColorAt(dragged ? 16 : 15), dark = SkinColorAt(dragged ? 15 : 16);
            FillColour(dc, RECT{drawn.left, drawn.top, drawn.right, drawn.top + 1}, light);
            FillColour(dc, RECT{drawn.left, drawn.top, drawn.left + 1, drawn.bottom}, light);
            FillColour(dc, RECT{drawn.left, drawn.bottom - 1, drawn.right, drawn.bottom}, dark);
            FillColour(dc, RECT{drawn.right - 1, drawn.top, drawn.right, drawn.bottom}, dark);
        }
    }
    ::RestoreDC(dc, saved);
}

void CTrackAreaPane::DrawMarkerArea(HDC dc, int track)
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    if (!doc->GetViewOption(kOptionMarkers))
        return;
    RECT area = m_view->GetTrackMarkerRect(track);
    if (::IsRectEmpty(&area))
        return;
    FillColour(dc, area, SkinColorAt(14));
    FillColour(dc, RECT{area.left, area.top, area.left + 1, area.bottom}, SkinColorAt(19));
    FillColour(dc, RECT{area.left, area.top, area.right, area.top + 1}, SkinColorAt(19));
    FillColour(dc, RECT{area.left, area.bottom - 1, area.right, area.bottom}, SkinColorAt(20));
    FillColour(dc, RECT{area.right, area.top, area.right + 1, area.bottom}, SkinColorAt(20));
}

void CTrackAreaPane::DrawEnvelopes(HDC dc, const RECT& clip, int track)
{
    RECT wave = m_view->GetTrackWaveRect(track), r;
    if (!Meets(wave, clip, &r))
        return;
    int64_t first = 0, last = 0;
    m_view->GetVisibleRange(&first, &last);
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    for (int kind : {0, 1}) {
        if (!doc->GetViewOption(kind == 0 ? kOptionVolumeEnvelopes : kOptionPanEnvelopes))
            continue;
        CEnvelopeEditor editor;
        editor.Load(m_view, track, kind, first, last);
        editor.Draw(dc, r);
    }
}

bool CTrackAreaPane::EnvelopeGesture(int x, int y, int code)
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    int track = m_view->TrackFromY(y, 1);
    int kind = code == -14 || code == -15 ? 1 : 0;
    if (track < 0 || !doc->GetHistory() ||
        !doc->GetViewOption(kind == 0 ? kOptionVolumeEnvelopes : kOptionPanEnvelopes))
        return false;
    int64_t first = 0, last = 0;
    m_view->GetVisibleRange(&first, &last);
    CEnvelopeEditor editor;
    editor.Load(m_view, track, kind, first, last);
    int hit = editor.HitTest(x, y);
    if (hit == CEnvelopeEditor::kHitNone)
        return false;
    CString name;
    name.LoadString(IDS_LIVE_ENVELOPE);
    ComRef<IEditCommand> group(ComObject<IEditCommand>::Create<TransactionCommand>(name.GetString()));
    ComRef<ICommandList> list = QueryCom<ICommandList>(group.Get());
    if (!list)
        return true;
    ComRef<IEditCommand> inserted;
    if (hit == CEnvelopeEditor::kHitLine) {
        // A press on the line puts a point there at the line's value first.
        int64_t at = editor.GetHitPosition();
        if (!editor.InsertPoint(at, editor.ValueAt(at), inserted.Out()) || !inserted)
            return true;
        list->Add(inserted.Get());
        ::SetCursor(::LoadCursor(nullptr, IDC_SIZEALL));
    }
    ComRef<IEditCommand> moved;
    if (editor.Drag(x, y, moved.Out()) && moved) {
        list->Add(moved.Get());
        doc->GetHistory()->Add(group.Get(), TRUE);
        doc->SetModifiedFlag(TRUE);
    } else if (inserted) {
        // Nothing moved: the point put in for the drag goes again, and nothing is recorded.
        inserted->Undo();
    }
    m_view->InvalidateTrackArea(m_view->GetTrackWaveRect(track));
    return true;
}

namespace {
std::vector<EnvelopePoint> HandlesOf(const CFadeHandleEditor& handles)
{
    std::vector<EnvelopePoint> points;
    for (const HandlePoint& h : handles.Handles())
        points.push_back(EnvelopePoint{h.position, h.gain});
    return points;
}
} // namespace

void CTrackAreaPane::DrawFadeHandles(HDC dc, const RECT& clip, int track)
{
    CFadeHandleEditor* handles = m_view->GetMultiTrackDoc()->GetHandleEditTrack(track);
    RECT wave = m_view->GetTrackWaveRect(track), r;
    if (!handles || handles->Handles().empty() || !Meets(wave, clip, &r))
        return;
    int64_t start = 0, end = 0;
    handles->GetRange(&start, &end);
    CEnvelopeEditor editor;
    editor.LoadHandles(m_view, track, start, end, HandlesOf(*handles));
    editor.Draw(dc, r);
}

bool CTrackAreaPane::FadeHandleGesture(int x, int y)
{
    int track = m_view->TrackFromY(y, 1);
    CFadeHandleEditor* handles = track >= 0 ? m_view->GetMultiTrackDoc()->GetHandleEditTrack(track) : nullptr;
    if (!handles || handles->Handles().empty())
        return false;
    int64_t start = 0, end = 0;
    handles->GetRange(&start, &end);
    CEnvelopeEditor editor;
    editor.LoadHandles(m_view, track, start, end, HandlesOf(*handles));
    if (editor.HitTest(x, y) == CEnvelopeEditor::kHitNone)
        return false;
    // A press on the line between handles adds one there first, as on an envelope.
    if (editor.HitTest(x, y) == CEnvelopeEditor::kHitLine) {
        int64_t at = editor.GetHitPosition();
        handles->SetHandles(at, editor.ValueAt(at));
        editor.LoadHandles(m_view, track, start, end, HandlesOf(*handles));
    }
    if (editor.Drag(x, y, nullptr)) {
        handles->Reset(-1);
        for (const EnvelopePoint& p : editor.Points())
            handles->SetHandles(p.position, p.value);
    }
    CopyHandlesToGroup(m_view->GetMultiTrackDoc(), track);
    handles->InvalidateTrack(1);
    return true;
}

void CTrackAreaPane::PaintBuffered(const std::function<void(HDC buffer, HDC window, const RECT& client)>& paint)
{
    if (!m_hWnd)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HDC window = ::GetDC(m_hWnd);
    CDC target(window);
    {
        MemoryDC buffer;
        if (CDC* dc = buffer.Create(&target, client))
            paint(dc->m_hDC, window, client);
    }
    ::ReleaseDC(m_hWnd, window);
}

void CTrackAreaPane::RedrawRect(const RECT& rect)
{
    PaintBuffered([&](HDC dc, HDC window, const RECT& client) {
        ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
        DrawTracks(dc, rect, client);
        ::BitBlt(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, dc, rect.left, rect.top,
                 SRCCOPY);
        ::SelectClipRgn(dc, nullptr);
    });
}

int CTrackAreaPane::RenderBackBuffer(int create)
{
    SetCaretHidden(create);
    if (m_backBuffer) {
        ::DeleteObject(m_backBuffer);
        m_backBuffer = nullptr;
    }
    if (create && m_hWnd) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        HDC window = ::GetDC(m_hWnd);
        HDC memory = ::CreateCompatibleDC(window);
        m_backBuffer =
            ::CreateCompatibleBitmap(window, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
        ::ReleaseDC(m_hWnd, window);
        if (memory && m_backBuffer) {
            HGDIOBJ old = ::SelectObject(memory, m_backBuffer);
            if (!m_view)
                AttachToView();
            DrawTracks(memory, client, client);
            ::SelectObject(memory, old);
        }
        if (memory)
            ::DeleteDC(memory);
    }
    return 1;
}

// Caret ----------------------------------------------------------------------------------------

void CTrackAreaPane::InvalidateCaret(int show)
{
    if (!m_view)
        AttachToView();
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    CSelectionModel* selection = doc ? doc->GetSelection() : nullptr;
    if (m_view && m_view->IsCaretEnabled() && doc && doc->GetTrackCount() > 0 && show && m_sampleEditRow == -1 &&
        selection) {
        int64_t start = 0, end = 0;
        selection->GetOrderedSelection(&start, &end);
        int lower = 0, upper = 0;
        selection->GetOrderedRowRange(&lower, &upper);
        RECT wave = m_view->GetTrackWaveRect(m_view->TrackFromRow(upper, 0));
        int x = int(m_view->SampleToPixel(end - m_view->GetFirstVisibleSample())) + wave.left;
        if (start == end && wave.left <= x && x <= wave.right) {
            if (InFadeMode(m_view))
                return;
            if (m_caret.shown && m_caret.x != x)
                SetCaretHidden(1);
            m_caret.x = x;
            SetCaretHidden(0);
            return;
        }
    }
    SetCaretHidden(1);
}

void CTrackAreaPane::SetCaretHidden(int hide)
{
    if (!hide) {
        if (m_caret.shown && m_caret.drawnPhase)
            return;
        m_caret.drawnPhase = 0;
        m_caret.shown = 1;
        DrawCaret();
        return;
    }
    if (m_caret.drawnPhase)
        DrawCaret();
    m_caret.shown = 0;
}

void CTrackAreaPane::DrawCaret()
{
    if (!m_view || !m_hWnd || !m_view->IsTransportIdle() || !m_caret.shown)
        return;
    bool editing = m_view->InPlaceEditWritable();
    if (editing && m_caret.drawnPhase == 0) {
        m_caret.shown = 0;
        return;
    }
    CSelectionModel* selection = m_view->GetSelection();
    if (selection) {
        int lower = 0, upper = 0;
        selection->GetOrderedRowRange(&lower, &upper);
        HDC dc = ::GetDC(m_hWnd);
        for (int row = lower; row <= upper; ++row) {
            if (!selection->IsRowSelected(row))
                continue;
            RECT r = m_view->GetChannelRect(row, -1);
            if (r.right > r.left)
                m_caret.Draw(dc, r);
        }
        ::ReleaseDC(m_hWnd, dc);
    }
    m_caret.drawnPhase = !m_caret.drawnPhase;
    if (editing)
        m_caret.shown = 0;
}

void CTrackAreaPane::RefreshCaret()
{
    if (m_caret.shown)
        InvalidateCaret(0);
    InvalidateCaret(1);
}
