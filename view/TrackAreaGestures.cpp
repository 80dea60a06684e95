// The track area's modal gestures besides the selection, labels and envelopes: dragging a
// track's clip in time by its clip bar (with its marks, and with its group when grouping is
// on) and drawing one sample's value. Each ends as one step of the document's history.
#include "TrackAreaPane.h"

#include "AmplitudeScalePane.h"
#include "ClipCommands.h"
#include "ComObject.h"
#include "CursorIds.h"
#include "KsMultiTrack.h"
#include "LabelTable.h"
#include "MarkCommands.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "OffsetTrackCommand.h"
#include "SampleUnits.h"
#include "SelectionModel.h"
#include "SelectionMouse.h"
#include "TimeRulerPane.h"
#include "TransactionCommand.h"
#include "ViewHost.h"

#include <algorithm>
#include <cstdlib>

namespace {

HCURSOR ProgramCursor(const char* name)
{
    return ::LoadCursorA(::GetModuleHandleA(nullptr), name);
}

std::string GestureName(UINT id)
{
    CString text;
    text.LoadString(id);
    return text.GetString();
}

ComRef<IEditCommand> NewTransaction(UINT nameId)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<TransactionCommand>(GestureName(nameId).c_str()));
}

// Screen rectangle of a client rectangle of a window.
RECT ToScreen(HWND window, RECT r)
{
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

DragMessage FollowDrag(HWND pane, const std::function<void(const MSG& msg)>& follow)
{
    ::SetCapture(pane);
    DragMessage end;
    for (;;) {
        MSG msg;
        end = NextDragMessage(pane, &msg);
        if (end != DragMessage::kMouse)
            break;
        follow(msg);
        if (msg.message == WM_LBUTTONUP)
            break;
    }
    if (::GetCapture() == pane)
        ::ReleaseCapture();
    return end;
}

// Offset drag -----------------------------------------------------------------------------------

bool AddTrackLabelShift(CNyMultiTrackDoc* doc, int track, int64_t displacement, const char* name, ICommandList* list)
{
    std::vector<LabelRecord> labels;
    doc->GetLabels().FindInRange(track, labels, -1, -1, -1);
    for (LabelRecord r : labels) {
        if ((r.kind & 0xFF) == kLabelTrack)
            continue;
        ComRef<IEditCommand> command;
        // A mark pushed before the document's start goes; the others move with the clip.
        if (r.start + displacement < 0) {
            command = ComRef<IEditCommand>(ComObject<IEditCommand>::Create<DelMarkCommand>(name, doc, r.id));
        } else {
            r.start += displacement;
            r.end += displacement;
            command = ComRef<IEditCommand>(ComObject<IEditCommand>::Create<ModMarkCommand>(name, doc, r));
        }
        if (!command || FAILED(list->Add(command.Get())))
            return false;
    }
    return true;
}

void CTrackAreaPane::PressOnOffsetHandle(CPoint point)
{
    int track = m_view->TrackFromY(point.y, 1);
    if (track < 0)
        return;
    if (HCURSOR hold = ProgramCursor(kCursorHoldHorizontal))
        ::SetCursor(hold);
    CSelectionModel* selection = m_view->GetSelection();
    int64_t start = 0, end = 0;
    if (selection && selection->GetOrderedSelection(&start, &end)) {
        selection->SetSelection(start, start);
        selection->InvalidateSelection();
    }
    m_hitCode = -4;
    RECT strip = m_view->GetTrackTitleRect(track);
    strip.top += 1;
    strip.bottom -= 1;
    ::InvalidateRect(m_hWnd, &strip, FALSE);
    // The pointer runs along one line of the strip while the clip is dragged.
    POINT pointer{point.x, strip.top + 5};
    POINT screen = pointer;
    ::ClientToScreen(m_hWnd, &screen);
    ::SetCursorPos(screen.x, screen.y);
    RECT line = ToScreen(m_hWnd, RECT{strip.left, pointer.y, strip.right, pointer.y + 1});
    ::ClipCursor(&line);
    SetCaretHidden(1);
    DragTrackOffset(pointer.x, pointer.y, track);
    SetCaretHidden(0);
    ::ClipCursor(nullptr);
    m_hitCode = 0;
    ::InvalidateRect(m_hWnd, &strip, FALSE);
    if (HCURSOR hand = ProgramCursor(kCursorHandOffset))
        ::SetCursor(hand);
}

void CTrackAreaPane::DrawTitleStrips()
{
    PaintBuffered([&](HDC dc, HDC window, const RECT&) {
        for (int track : m_draggedTracks) {
            RECT strip = m_view->GetTrackTitleRect(track);
            strip.right += 1;
            DrawTrackTitle(dc, strip, track);
            ::BitBlt(window, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, dc, strip.left,
                     strip.top, SRCCOPY);
        }
    });
}

void CTrackAreaPane::DragTrackOffset(int x, int y, int track)
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    if (!doc || !doc->GetHistory())
        return;
    (void)y;
    m_dragStartOffset = m_currentOffset = doc->GetTrackExtent(track, -1);
    // With grouping on, the clips of the whole group move and none may start before 0.
    int group = doc->GetTrackGroup(track);
    bool grouped = doc->IsGroupingOn() && group > 0;
    m_draggedTracks.clear();
    int64_t leftmost = m_dragStartOffset;
    for (int i = 0, n = doc->GetTrackCount(); i < n; ++i) {
        bool member = i == track || (grouped && doc->GetTrackGroup(i) == group);
        if (!member || (i != track && doc->GetTrackExtent(i, 0) <= 0))
            continue;
        m_draggedTracks.push_back(i);
        if (doc->GetTrackExtent(i, 0) > 0)
            leftmost = std::min(leftmost, doc->GetTrackExtent(i, -1));
    }
    const int64_t limit = m_dragStartOffset - leftmost;
    RECT strip = m_view->GetTrackTitleRect(track);
    const int64_t anchor = m_view->XToSample(x);
    bool moved = false;
    DragMessage end = FollowDrag(m_hWnd, [&](const MSG& msg) {
        // The pointer is held on the strip's line; so are the positions read from it.
        int px = std::clamp<int>(short(LOWORD(msg.lParam)), strip.left, std::max(strip.left, strip.right - 1));
        if (!moved && std::abs(px - x) < 2)
            return;
        moved = true;
        int64_t candidate = std::max(m_view->XToSample(px) - anchor + m_dragStartOffset, limit);
        if (::GetKeyState(VK_MENU) & 0x8000)
            candidate = std::max(m_view->GetTimeRuler().GetTickAtOrBefore(candidate), limit);
        if (candidate != m_currentOffset) {
            m_currentOffset = candidate;
            DrawTitleStrips();
        }
    });
    if (end == DragMessage::kEscape)
        m_currentOffset = m_dragStartOffset;
    const int64_t displacement = m_currentOffset - m_dragStartOffset;
    std::vector<int> tracks = m_draggedTracks;
    m_dragStartOffset = m_currentOffset = 0;
    m_draggedTracks.clear();
    if (displacement == 0)
        return;
    ComRef<IEditCommand> transaction = NewTransaction(IDS_TRACK_OFFSET);
    ComRef<ICommandList> list = QueryCom<ICommandList>(transaction.Get());
    if (!list)
        return;
    std::vector<ComRef<IEditCommand>> done;
    for (int member : tracks) {
        ComRef<IEditCommand> command;
        if (!OffsetTrack(member, displacement, command.Out())) {
            // The tracks moved before the failure go back: nothing of the drag stays.
            for (auto it = done.rbegin(); it != done.rend(); ++it)
                (*it)->Undo();
            m_view->RepaintTracks();
            return;
        }
        if (!command)
            continue;
        done.push_back(command);
        list->Add(command.Get());
    }
    if (done.empty())
        return;
    doc->GetHistory()->Add(transaction.Get(), TRUE);
    m_view->UpdateScrollBars();
    doc->SetModifiedFlag(TRUE);
    GetViewHost().UpdateAnalysisAndEffects();
    m_view->RepaintTracks();
}

bool CTrackAreaPane::OffsetTrack(int track, int64_t displacement, IEditCommand** out)
{
    if (out)
        *out = nullptr;
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc || !doc->GetTrack(track))
        return false;
    if (doc->GetTrackExtent(track, 0) <= 0)
        return true;
    const std::string name = GestureName(IDS_TRACK_OFFSET);
    ComRef<IEditCommand> transaction = NewTransaction(IDS_TRACK_OFFSET);
    ComRef<ICommandList> list = QueryCom<ICommandList>(transaction.Get());
    ComRef<IEditCommand> offset(ComObject<IEditCommand>::Create<OffsetTrackCommand>(
        name.c_str(), doc, track, doc->GetTrackExtent(track, -1) + displacement));
    bool built = list && offset && SUCCEEDED(list->Add(offset.Get())) &&
                 AddTrackLabelShift(doc, track, displacement, name.c_str(), list.Get());
    HRESULT hr = built ? transaction->Do() : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        GetViewHost().ShowErrorBox(hr, nullptr);
        return false;
    }
    if (out)
        *out = transaction.Detach();
    return true;
}

// Sample edit -----------------------------------------------------------------------------------

void CTrackAreaPane::EditSampleValue(int64_t position, int row)
{
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    const int halfStep = SampleHalfStep();
    const int32_t saved = GetSampleValue(row, position);
    m_editedValue = saved;
    m_sampleEditRow = row;
    const RECT r = ValueRect(row);
    const int32_t fullScale = FullScaleForBits(doc->GetBitsPerSample());
    const int magnification = m_view->GetWaveMagnification();
    const int x = int(m_view->SampleToPixel(position - m_view->GetFirstVisibleSample())) + halfStep + r.left + 1;
    const int y = SampleValueToY(r.left, r.top, r.right, r.bottom, m_editedValue, magnification, fullScale);
    POINT screen{x - 1, y};
    ::ClientToScreen(m_hWnd, &screen);
    ::SetCursorPos(screen.x, screen.y);
    RECT column = ToScreen(m_hWnd, RECT{x, r.top, x + 1, r.bottom});
    ::ClipCursor(&column);
    CAmplitudeScalePane& scale = m_view->GetAmplitudeScale();
    if (scale.m_hWnd)
        scale.FormatScaleLabel(nullptr, row);
    const RECT box{x - 3, r.top - 2, x + 3, r.bottom + 2};
    bool accepted = false;
    POINT last{x - 1, y};
    DragMessage end = FollowDrag(m_hWnd, [&](const MSG& msg) {
        int py = std::clamp<int>(short(HIWORD(msg.lParam)), r.top, std::max<int>(r.top, r.bottom - 1));
        int px = short(LOWORD(msg.lParam));
        // The first accepted move must be a real one: at least 3 pixels up or down.
        if ((px == last.x && py == last.y) || (!accepted && std::abs(py - y) < 3))
            return;
        accepted = true;
        last = POINT{px, py};
        int32_t value = YToSampleValue(r.left, r.top, r.right, r.bottom, py, magnification, fullScale);
        if (value != m_editedValue) {
            m_editedValue = value;
            ::InvalidateRect(m_hWnd, &box, FALSE);
            if (scale.m_hWnd)
                scale.FormatScaleLabel(nullptr, row);
        }
    });
    if (end == DragMessage::kEscape)
        m_editedValue = saved;
    ::ClipCursor(nullptr);
    int32_t edited = m_editedValue;
    m_sampleEditRow = -1;
    if (edited != saved)
        EditSamples(row, position, edited);
    ::InvalidateRect(m_hWnd, &box, FALSE);
    if (scale.m_hWnd)
        scale.FormatScaleLabel(nullptr, row);
    SetCaretHidden(0);
}

bool CTrackAreaPane::EditSamples(int row, int64_t position, int32_t value)
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    int track = m_view ? m_view->TrackFromRow(row, 0) : -1;
    if (!doc || !doc->GetHistory() || !doc->GetTrack(track))
        return false;
    // The engine writes in its storage units; the view edits in peak units.
    int32_t stored = ViewToStorageSample(value, doc->GetBitsPerSample());
    ComRef<IEditCommand> command(ComObject<IEditCommand>::Create<EditSampleCommand>(
        GestureName(IDS_EDIT_SAMPLE).c_str(), doc, track, WORD(row - m_view->GetTrackRow(track, 0)), position, stored));
    if (!command || FAILED(doc->GetHistory()->Do(command.Get(), TRUE)))
        return false;
    doc->SetModifiedFlag(TRUE);
    return true;
}
