#include "LabelMarks.h"

#include "ComObject.h"
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "DocCommandIds.h"
#include "FontSet.h"
#include "LabelRecord.h"
#include "LabelTable.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "ResourceModule.h"
#include "SelectionModel.h"
#include "SelectionMouse.h"
#include "SkinTables.h"
#include "ViewHost.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr int kOptionMarkers = 1014;
constexpr int kShownNameLength = 16;

std::string CueText()
{
    char text[256] = "Cue";
    ::LoadStringA(GetResourceModule(), IDS_CMD_CUE, text, sizeof text);
    return text;
}

int KindOf(const LabelRecord& r)
{
    return r.kind & 0xFF;
}

int StartImage(int kind)
{
    return kind == kLabelLoop ? kSkinLoopStart : kind == kLabelSection ? kSkinMarkStart : kSkinMarkCue;
}

int EndImage(int kind)
{
    return kind == kLabelLoop ? kSkinLoopEnd : kSkinMarkEnd;
}

COLORREF TextColour(int kind)
{
    return SkinColorAt(kind == kLabelLoop ? 23 : kind == kLabelSection ? 25 : 24);
}

int LineImage(int kind)
{
    return kind == kLabelLoop ? kSkinLoopLine : kind == kLabelSection ? kSkinSecLine : kSkinCueLine;
}

bool Drawn(const LabelRecord& r)
{
    int kind = KindOf(r);
    return kind == kLabelCue || kind == kLabelSection || kind == kLabelLoop;
}

// The visible marks of a track sorted by start, one per pixel and kind, with their pixels.
struct ShownMark {
    LabelRecord record;
    int x, endX;
};

std::vector<ShownMark> ShownMarks(CNyMultiTrackView* view, int track)
{
    std::vector<ShownMark> shown;
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    if (!doc)
        return shown;
    int64_t first = 0, last = 0;
    view->GetVisibleRange(&first, &last);
    std::vector<LabelRecord> marks;
    doc->GetLabels().FindInRange(track, marks, first, last, -1);
    std::stable_sort(marks.begin(), marks.end(),
                     [](const LabelRecord& a, const LabelRecord& b) { return a.start < b.start; });
    RECT axis = view->GetTrackWaveRect(-1);
    std::map<int, int> lastX;
    for (const LabelRecord& r : marks) {
        if (!Drawn(r))
            continue;
        int x = axis.left + int(std::floor(view->SampleToPixel(r.start - first)));
        auto previous = lastX.find(KindOf(r));
        if (previous != lastX.end() && previous->second == x)
            continue;
        lastX[KindOf(r)] = x;
        shown.push_back({r, x, axis.left + int(std::floor(view->SampleToPixel(r.end - first)))});
    }
    return shown;
}

// The first characters of a name as the strip shows them.
std::string ShownName(const LabelRecord& r)
{
    return std::string(r.name, strnlen(r.name, std::min<size_t>(sizeof r.name, kShownNameLength)));
}

void Repaint(CNyMultiTrackView* view, const RECT& r, bool ruler)
{
    CWnd& pane = ruler ? static_cast<CWnd&>(view->GetTimeRuler()) : view->GetTrackArea();
    if (pane.m_hWnd)
        ::InvalidateRect(pane.m_hWnd, &r, TRUE);
}

// The track area and the ruler repainted now, whole.
void RepaintBoth(CNyMultiTrackView* view)
{
    for (HWND pane : {view->GetTimeRuler().m_hWnd, view->GetTrackArea().m_hWnd})
        if (pane) {
            ::InvalidateRect(pane, nullptr, TRUE);
            ::UpdateWindow(pane);
        }
}

HRESULT DoModMark(CNyMultiTrackDoc* doc, const LabelRecord& record)
{
    if (!doc->GetHistory())
        return E_UNEXPECTED;
    ComRef<ModMarkCommand> command(ComObject<IEditCommand>::Create<ModMarkCommand>(CueText().c_str(), doc, record));
    return command ? doc->GetHistory()->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
}

} // namespace

void DrawTrackLabels(CNyMultiTrackView* view, HDC dc, int track, const RECT& strip)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    if (!doc || (track != -1 && !doc->GetViewOption(kOptionMarkers)))
        return;
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, strip.left, strip.top, strip.right, strip.bottom);
    ::SetBkMode(dc, TRANSPARENT);
    if (CFont* font = FontSet::Get(2))
        ::SelectObject(dc, font->m_hObject);
    CDC target(dc);
    for (const ShownMark& m : ShownMarks(view, track)) {
        int kind = KindOf(m.record);
        CSize image = GetSkinImageSize(StartImage(kind));
        DrawSkinImage(&target, StartImage(kind), m.x, strip.top);
        if (kind != kLabelCue)
            DrawSkinImage(&target, EndImage(kind), m.endX, strip.top);
        std::string name = ShownName(m.record);
        ::SetTextColor(dc, TextColour(kind));
        RECT text{m.x + image.cx, strip.top, strip.right, strip.bottom};
        ::DrawTextA(dc, name.c_str(), int(name.size()), &text, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
    }
    ::RestoreDC(dc, saved);
}

void DrawMarkers(CNyMultiTrackView* view, HDC dc, int track, const RECT& area)
{
    CDC target(dc);
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    for (int t : {track, -1}) {
        for (const ShownMark& m : ShownMarks(view, t)) {
            int kind = KindOf(m.record), image = LineImage(kind);
            int width = std::max<int>(1, GetSkinImageSize(image).cx);
            TileSkinImage(&target, image, RECT{m.x, area.top, m.x + width, area.bottom});
            if (kind != kLabelCue)
                TileSkinImage(&target, image, RECT{m.endX, area.top, m.endX + width, area.bottom});
        }
    }
    ::RestoreDC(dc, saved);
}

int LabelHitHalfWidth()
{
    return std::max<int>(2, GetSkinImageSize(kSkinMarkCue).cx / 2);
}

RECT GetLabelRect(CNyMultiTrackView* view, int labelId)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    LabelRecord r{};
    if (!doc || !doc->GetLabels().FindById(labelId, &r) || r.id <= 0)
        return RECT{};
    RECT strip = r.trackId == -1 ? RECT{} : view->GetTrackMarkerRect(doc->TrackIdToIndex(r.trackId));
    if (r.trackId == -1 && view->GetTimeRuler().m_hWnd)
        ::GetClientRect(view->GetTimeRuler().m_hWnd, &strip);
    int64_t first = view->GetFirstVisibleSample();
    RECT axis = view->GetTrackWaveRect(-1);
    int x = axis.left + int(std::floor(view->SampleToPixel(r.start - first)));
    int endX = axis.left + int(std::floor(view->SampleToPixel(r.end - first)));
    int kind = KindOf(r);
    CSize image = GetSkinImageSize(StartImage(kind));
    int textWidth = kShownNameLength * 8;
    if (CFont* font = FontSet::Get(2)) {
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, font->m_hObject);
        std::string name = ShownName(r);
        SIZE size{};
        ::GetTextExtentPoint32A(dc, name.c_str(), int(name.size()), &size);
        textWidth = size.cx;
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
    }
    int right = std::max<int>(x + image.cx + textWidth, endX + GetSkinImageSize(EndImage(kind)).cx);
    return RECT{x, strip.top, right + 1, strip.bottom};
}

void InvalidateLabel(CNyMultiTrackView* view, int labelId)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    LabelRecord r{};
    if (!doc || !doc->GetLabels().FindById(labelId, &r) || r.id <= 0 || !Drawn(r))
        return;
    const RECT strip = GetLabelRect(view, labelId);
    Repaint(view, strip, r.trackId == -1);
    HWND area = view->GetTrackArea().m_hWnd;
    if (!area)
        return;
    RECT client{};
    ::GetClientRect(area, &client);
    const int64_t first = view->GetFirstVisibleSample();
    const int left = view->GetTrackWaveRect(-1).left;
    const int width = std::max<int>(1, GetSkinImageSize(LineImage(KindOf(r))).cx);
    for (int64_t at : {r.start, r.end}) {
        const int x = left + int(std::floor(view->SampleToPixel(at - first)));
        RECT line{x, client.top, x + width, client.bottom};
        ::InvalidateRect(area, &line, TRUE);
    }
}

void SelectLabel(CNyMultiTrackView* view, int labelId, bool scroll)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    CSelectionModel* selection = view->GetSelection();
    LabelRecord r{};
    if (!doc || !selection || !doc->GetLabels().FindById(labelId, &r) || r.id <= 0)
        return;
    CTrackAreaPane& area = view->GetTrackArea();
    area.SetCaretHidden(1);
    if (selection->HasSelection())
        selection->Collapse(1);
    view->SetEditPosition(r.start);
    if (scroll)
        view->EnsureSampleVisible(r.start);
    if (r.trackId == -1) {
        selection->SetAllTracksMode(TRUE);
        selection->SetRowRange(0, view->GetRowCount() - 1);
    } else {
        int track = doc->TrackIdToIndex(r.trackId);
        selection->SetAllTracksMode(FALSE);
        selection->SetRowRange(view->GetTrackRow(track, 0), view->GetTrackRow(track, 1));
    }
    selection->SetSelection(r.start, r.end);
    selection->InvalidateSelection();
    area.SetCaretHidden(0);
    area.InvalidateCaret(1);
    GetViewHost().UpdateAnalysisAndEffects();
}

void DragLabel(CNyMultiTrackView* view, HWND pane, int x, int)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    if (!doc)
        return;
    CLabelTable& labels = doc->GetLabels();
    int part = labels.GetHitPart();
    LabelRecord saved{}, moving{};
    if (!labels.GetCurrentLabel(&saved) || saved.id <= 0)
        return;
    moving = saved;
    GetViewHost().RefreshMarkerList(saved.id);
    labels.SetActiveId(saved.id);
    bool onRuler = saved.trackId == -1;
    ::SetCapture(pane);
    HCURSOR cursor = ::GetCursor();
    int64_t length = saved.end - saved.start;
    bool moved = false, cancelled = false;
    for (;;) {
        MSG msg;
        DragMessage next = NextDragMessage(pane, &msg);
        if (next == DragMessage::kEnded)
            break;
        if (next == DragMessage::kEscape) {
            cancelled = true;
            break;
        }
        if (msg.message == WM_LBUTTONUP)
            break;
        POINT p{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
        if (!moved && std::abs(p.x - x) < 2)
            continue;
        RECT wave = view->GetTrackWaveRect(-1);
        if (p.x < wave.left) {
            view->SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
            p.x = wave.left;
        } else if (p.x >= wave.right) {
            view->SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
            p.x = wave.right - 1;
        }
        int64_t position = view->GetFirstVisibleSample() + view->PixelToSample(double(p.x - wave.left));
        if (::GetKeyState(VK_MENU) & 0x8000)
            position = view->GetTimeRuler().GetTickAtOrBefore(position);
        if (part == 5) {
            position = std::max(position, length);
            moving.end = position;
            moving.start = position - length;
        } else {
            moving.start = std::max<int64_t>(0, position);
            moving.end = moving.start + length;
        }
        if (!moved) {
            moved = true;
            ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
            view->GetTrackArea().SetCaretHidden(1);
        }
        Repaint(view, GetLabelRect(view, moving.id), onRuler);
        labels.SetAt(moving);
        Repaint(view, GetLabelRect(view, moving.id), onRuler);
        if (view->GetTrackArea().m_hWnd)
            ::InvalidateRect(view->GetTrackArea().m_hWnd, nullptr, FALSE);
    }
    if (::GetCapture() == pane)
        ::ReleaseCapture();
    labels.SetAt(saved);
    if (moved && !cancelled) {
        GetViewHost().RefreshMarkerList(saved.id);
        HRESULT hr = DoModMark(doc, moving);
        if (FAILED(hr))
            GetViewHost().ShowErrorBox(hr, nullptr);
    }
    LabelRecord now{};
    labels.FindById(saved.id, &now);
    RepaintBoth(view);
    if (!moved && !cancelled)
        GetViewHost().BeginLabelEdit(view, saved.id);
    if (!cancelled) {
        if (CSelectionModel* selection = view->GetSelection()) {
            selection->SetSelection(now.start, now.start);
            selection->InvalidateSelection();
        }
        SelectLabel(view, labels.GetActiveId(), false);
    }
    view->GetTrackArea().SetCaretHidden(0);
    ::SetCursor(cursor);
}

bool PressOnLabel(CNyMultiTrackView* view, HWND pane, int track, int x, int y)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    if (!doc || (track != -1 && !doc->GetViewOption(kOptionMarkers)))
        return false;
    if (!doc->GetLabels().HitTest(track, x, y, LabelHitHalfWidth()))
        return false;
    DragLabel(view, pane, x, y);
    return true;
}

bool ActiveLabelStretchable(CNyMultiTrackView* view)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    LabelRecord r{};
    if (!doc || !doc->GetLabels().FindById(doc->GetLabels().IsActiveLabelInSelection(), &r) || r.id <= 0)
        return false;
    return KindOf(r) == kLabelSection || KindOf(r) == kLabelLoop;
}

void EditLabelAt(CNyMultiTrackView* view, HWND pane, bool fromRuler, int edge, int x, int y, UINT flags)
{
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    CSelectionModel* selection = view->GetSelection();
    if (!doc || !selection)
        return;
    CLabelTable& labels = doc->GetLabels();
    LabelRecord r{};
    if (!labels.FindById(labels.GetActiveId(), &r) || r.id <= 0)
        return;
    SelectionMouseDown(view, pane, fromRuler, edge, x, y, flags);
    int64_t start = 0;
    int64_t length = selection->GetStartAndLength(&start);
    if (length == 0) {
        labels.SetActiveId(0);
        return;
    }
    r.start = start;
    r.end = start + length;
    HRESULT hr = DoModMark(doc, r);
    if (FAILED(hr)) {
        GetViewHost().ShowErrorBox(hr, nullptr);
        return;
    }
    RepaintBoth(view);
    GetViewHost().RefreshMarkerList(r.id);
}
