#include "EnvelopeEditor.h"

#include "SelectionMouse.h"

#include "ChangeMixingParamCommand.h"
#include "ComObject.h"
#include "EnvelopeCommands.h"
#include "KsMultiTrack.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SkinTables.h"
#include "TipWindow.h"
#include "TransactionCommand.h"
#include "KvSSException.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
constexpr const char* kEnvelopeName = "Envelope";

ComRef<IEditCommand> Hand(IEditCommand* made)
{
    return ComRef<IEditCommand>(made);
}

bool Run(ComRef<IEditCommand>& command, IEditCommand** out)
{
    if (!command || FAILED(command->Do()))
        return false;
    if (out)
        *out = command.Detach();
    return true;
}
} // namespace

void CEnvelopeEditor::Load(CNyMultiTrackView* view, int track, int kind, int64_t start, int64_t end)
{
    m_view = view;
    m_pane = view->GetTrackArea().m_hWnd;
    m_track = track;
    m_kind = kind;
    m_rangeStart = start;
    m_rangeEnd = end;
    m_points.clear();
    CNyMultiTrackDoc* doc = view->GetMultiTrackDoc();
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(doc ? doc->GetTrack(track) : nullptr);
    if (!set)
        return;
    float sign = kind == 2 ? -1.0f : 1.0f;
    if (SUCCEEDED(set->GetValue(kind, &m_defaultValue)))
        m_defaultValue *= sign;
    ComRef<IMtEnvelope> envelope;
    ComRef<IMtEnvelopePointEnum> points;
    if (FAILED(set->GetEnvelope(kind, envelope.Out())) || FAILED(envelope->EnumPoints(points.Out())))
        return;
    int64_t p = doc->GetTrackExtent(track, -1);
    bool previous = false;
    EnvelopePoint last{0, 0};
    MtEnvelopePointItem item{};
    while (points->Next(&item) == S_OK) {
        if (p >= end)
            break;
        p += item.distance;
        if (previous && (p >= start || p > end))
            m_points.push_back(last);
        last = EnvelopePoint{p, item.value * sign};
        previous = true;
    }
    if (previous)
        m_points.push_back(last);
}

void CEnvelopeEditor::LoadHandles(CNyMultiTrackView* view, int track, int64_t start, int64_t end,
                                  const std::vector<EnvelopePoint>& handles)
{
    m_view = view;
    m_pane = view->GetTrackArea().m_hWnd;
    m_track = track;
    m_kind = 0;
    m_rangeStart = start;
    m_rangeEnd = end;
    m_points = handles;
    m_defaultValue = 0.0f;
    m_handles = true;
}

int CEnvelopeEditor::FindSegment(int64_t position, EnvelopePoint out[3])
{
    if (position < m_rangeStart || position > m_rangeEnd)
        return 0;
    size_t n = m_points.size();
    if (n == 0) {
        out[0] = EnvelopePoint{m_rangeStart, m_defaultValue};
        out[1] = EnvelopePoint{m_rangeEnd, m_defaultValue};
        return 2;
    }
    size_t i = 0;
    while (i < n && m_points[i].position < position)
        ++i;
    if (i == n) {
        out[0] = m_points[n - 1];
        out[1] = EnvelopePoint{m_rangeEnd, m_points[n - 1].value};
        return 2;
    }
    out[0] = i == 0 ? EnvelopePoint{m_rangeStart, m_points[0].value} : m_points[i - 1];
    out[1] = m_points[i];
    if (m_points[i].position != position)
        return 2;
    out[2] = i + 1 < n ? m_points[i + 1] : EnvelopePoint{m_rangeEnd, m_points[i].value};
    return 3;
}

float CEnvelopeEditor::ValueAt(int64_t position)
{
    EnvelopePoint seg[3];
    if (!FindSegment(position, seg))
        return m_defaultValue;
    if (seg[1].position == seg[0].position)
        return seg[0].value;
    double t = double(position - seg[0].position) / double(seg[1].position - seg[0].position);
    return float(seg[0].value + (seg[1].value - seg[0].value) * t);
}

int CEnvelopeEditor::SetPointAt(int64_t oldPosition, int64_t newPosition, float value)
{
    for (EnvelopePoint& p : m_points)
        if (p.position == oldPosition) {
            p.position = newPosition;
            p.value = value;
            return 1;
        }
    return 0;
}

int CEnvelopeEditor::InsertPoint(int64_t position, float value, IEditCommand** out)
{
    if (m_rangeStart == m_rangeEnd || position < m_rangeStart || position > m_rangeEnd)
        return 0;
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    auto at = std::lower_bound(m_points.begin(), m_points.end(), position,
                               [](const EnvelopePoint& p, int64_t v) { return p.position < v; });
    const char* name = kEnvelopeName;
    if (at != m_points.end() && at->position == position) {
        at->value = value;
        name = "";
    } else {
        m_points.insert(at, EnvelopePoint{position, value});
    }
    ComRef<IEditCommand> command =
        Hand(ComObject<IEditCommand>::Create<InsertEnvelopePointCommand>(name, doc, m_track, m_kind, position, value));
    return Run(command, out) ? 1 : 0;
}

int CEnvelopeEditor::DeletePoint(int64_t position, IEditCommand** out)
{
    if (m_points.empty())
        return 1;
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    if (position == -1) {
        ComRef<IEditCommand> group = Hand(ComObject<IEditCommand>::Create<TransactionCommand>(kEnvelopeName));
        ComRef<ICommandList> list = QueryCom<ICommandList>(group.Get());
        if (!list)
            return 0;
        ComRef<IEditCommand> clear =
            Hand(ComObject<IEditCommand>::Create<DeleteClearEnvelopeCommand>(kEnvelopeName, doc, m_track, m_kind));
        ComRef<IEditCommand> reset = Hand(ComObject<IEditCommand>::Create<ChangeMixingParamCommand>(
            kEnvelopeName, doc, m_track, m_kind, m_kind == 0 ? 1.0f : 0.0f, 0.0f));
        if (!clear || !reset || FAILED(list->Add(clear.Get())) || FAILED(list->Add(reset.Get())))
            return 0;
        if (!Run(group, out))
            return 0;
        m_points.clear();
        return 1;
    }
    auto at = std::find_if(m_points.begin(), m_points.end(),
                           [position](const EnvelopePoint& p) { return p.position == position; });
    if (at == m_points.end())
        return 0;
    m_points.erase(at);
    ComRef<IEditCommand> command = Hand(
        ComObject<IEditCommand>::Create<DeleteEnvelopePointCommand>(kEnvelopeName, doc, m_track, m_kind, position));
    return Run(command, out) ? 1 : 0;
}

int CEnvelopeEditor::SetAnchor(int64_t position)
{
    m_anchor = position;
    return 1;
}

int CEnvelopeEditor::ClearAnchor()
{
    m_anchor = -1;
    return 1;
}

int CEnvelopeEditor::DeletePassedPoints(int64_t position, ICommandList* list)
{
    if (m_points.empty())
        return 1;
    if (m_anchor == -1)
        return 0;
    const int64_t anchor = m_anchor;
    auto passed = [&](int64_t p) {
        if (anchor <= position)
            return anchor <= p && p <= position;
        return p <= position || p >= anchor; // looped back to the start
    };
    m_anchor = position;
    std::vector<int64_t> gone;
    for (const EnvelopePoint& p : m_points)
        if (passed(p.position))
            gone.push_back(p.position);
    if (gone.empty())
        return 1;
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    for (int64_t at : gone) {
        m_points.erase(std::find_if(m_points.begin(), m_points.end(),
                                    [at](const EnvelopePoint& p) { return p.position == at; }));
        ComRef<IEditCommand> command =
            Hand(ComObject<IEditCommand>::Create<DeleteEnvelopePointCommand>(kEnvelopeName, doc, m_track, m_kind, at));
        if (!command)
            throw CKvSSException(E_OUTOFMEMORY);
        ThrowIfFailed(command->Do());
        if (list)
            ThrowIfFailed(list->Add(command.Get()));
    }
    RECT wave = m_view->GetTrackWaveRect(m_track);
    ::InvalidateRect(m_pane, &wave, TRUE);
    ::UpdateWindow(m_pane);
    return 1;
}

const EnvelopePoint* CEnvelopeEditor::FindPointAt(int x, int y)
{
    if (HitTest(x, y) == kHitNone)
        return nullptr;
    for (const EnvelopePoint& p : m_points)
        if (p.position == m_hitPosition)
            return &p;
    return nullptr;
}

void CEnvelopeEditor::GetEndPoints(EnvelopePoint* first, EnvelopePoint* last) const
{
    const EnvelopePoint none{-1, m_defaultValue};
    *first = m_points.empty() ? none : m_points.front();
    *last = m_points.size() >= 2 ? m_points.back() : none;
}

void CEnvelopeEditor::InvalidateTrack(int shown)
{
    m_shown = shown;
    RECT wave = m_view->GetTrackWaveRect(m_track);
    ::InvalidateRect(m_pane, &wave, FALSE);
}

int CEnvelopeEditor::HalfSampleWidth() const
{
    double spp = m_view->GetSamplesPerPixel(0);
    return spp > 0 && spp < 1.0 ? int(1.0 / spp) / 2 : 0;
}

int CEnvelopeEditor::ValueToY(const RECT& wave, float value) const
{
    int h = wave.bottom - wave.top;
    if (m_kind == 0)
        return wave.bottom - int(h * value * 0.6666667);
    return wave.bottom - int((1.0 - value) * h * 0.5);
}

int CEnvelopeEditor::YToPercent(const RECT& wave, int y) const
{
    int h = std::max<int>(1, wave.bottom - wave.top);
    if (m_kind == 0)
        return std::clamp(int((wave.bottom - y) * 150 / h), 0, 150);
    return std::clamp(int((y - wave.top) * 200 / h - 100), -100, 100);
}

POINT CEnvelopeEditor::ToPixels(const RECT& wave, int64_t position, float value) const
{
    int x = wave.left + HalfSampleWidth() +
            int(std::trunc(m_view->SampleToPixel(position - m_view->GetFirstVisibleSample())));
    return POINT{x, ValueToY(wave, value)};
}

COLORREF CEnvelopeEditor::Colour() const
{
    if (m_handles || m_view->GetEditMode() == 1 || m_view->GetEditMode() == 2)
        return SkinColorAt(28);
    int on = 0;
    if (CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc())
        if (IMtTrackSet* set = doc->GetTrackSet()) {
            LONG automation = 0;
            on = SUCCEEDED(set->GetReadAutomation(&automation)) && automation > 0;
        }
    static const int kColours[3][2] = {{31, 29}, {33, 32}, {35, 34}};
    return SkinColorAt(kColours[std::min(m_kind, 2)][on]);
}

void CEnvelopeEditor::Draw(HDC dc, const RECT& clip)
{
    RECT wave = m_view->GetTrackWaveRect(m_track);
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    COLORREF colour = Colour();
    HPEN pen = ::CreatePen(PS_SOLID, 1, colour);
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::SelectObject(dc, pen);
    ::SelectObject(dc, brush);
    auto meets = [&](int left, int top, int right, int bottom) {
        return left < clip.right && right > clip.left && top < clip.bottom && bottom > clip.top;
    };
    // The line as one path: a corner joins the path only when it moves, so that a stretch of
    // zero length draws nothing, as a separate line would.
    std::vector<POINT> path;
    auto lineTo = [&](POINT p) {
        if (path.empty() || path.back().x != p.x || path.back().y != p.y)
            path.push_back(p);
    };
    auto flush = [&] {
        if (path.size() > 1)
            ::Polyline(dc, path.data(), int(path.size()));
        path.clear();
    };
    if (m_points.empty()) {
        int y = ValueToY(wave, m_defaultValue);
        if (meets(0, y, clip.right + 1, y + 1)) {
            ::MoveToEx(dc, 0, y, nullptr);
            ::LineTo(dc, clip.right, y);
        }
    } else {
        POINT previous = ToPixels(wave, m_rangeStart, m_points.front().value);
        if (HalfSampleWidth()) {
            lineTo(POINT{wave.left, previous.y});
            lineTo(previous);
            flush();
        }
        // Only the points near the clip are drawn: a long envelope costs its visible part.
        int64_t from = m_view->XToSample(std::max<int>(clip.left - 4, wave.left));
        auto first = std::lower_bound(m_points.begin(), m_points.end(), std::max<int64_t>(from, 0),
                                      [](const EnvelopePoint& p, int64_t v) { return p.position < v; });
        if (first != m_points.begin()) {
            --first;
            if (first != m_points.begin())
                previous = ToPixels(wave, (first - 1)->position, (first - 1)->value);
        }
        lineTo(previous);
        // Points denser than the pixels: one square per column, and a column's run of points
        // goes into the path as its first, lowest, highest and last corner, which cover the
        // same pixels as every stretch between them.
        int squareX = INT_MIN;
        POINT runFirst{}, runLast{};
        int runLow = 0, runHigh = 0;
        bool run = false;
        auto endRun = [&] {
            if (!run)
                return;
            for (LONG y : {runFirst.y, LONG(runLow), LONG(runHigh), runLast.y})
                lineTo(POINT{runFirst.x, y});
            run = false;
        };
        for (auto it = first; it != m_points.end(); ++it) {
            POINT p = ToPixels(wave, it->position, it->value);
            if (run && p.x == runFirst.x) {
                runLow = std::min<int>(runLow, p.y);
                runHigh = std::max<int>(runHigh, p.y);
            } else {
                endRun();
                runFirst = p;
                runLow = runHigh = p.y;
                run = true;
            }
            runLast = p;
            if (p.x != squareX && meets(p.x - 2, p.y - 2, p.x + 3, p.y + 3)) {
                ::PatBlt(dc, p.x - 2, p.y - 2, 5, 5, PATCOPY);
                squareX = p.x;
            }
            previous = p;
            if (p.x > clip.right + 4)
                break;
        }
        endRun();
        if (m_points.back().position < m_rangeEnd && previous.x <= clip.right)
            lineTo(POINT{clip.right, previous.y});
        flush();
    }
    ::RestoreDC(dc, saved);
    ::DeleteObject(pen);
    ::DeleteObject(brush);
}

int CEnvelopeEditor::HitTest(int x, int y)
{
    m_hitPosition = -1;
    if (!m_shown)
        return kHitNone;
    RECT wave = m_view->GetTrackWaveRect(m_track);
    EnvelopePoint seg[3];
    int64_t position = m_view->XToSample(x);
    int n = FindSegment(position, seg);
    for (int dx : {-3, 3}) {
        if (n)
            break;
        int64_t p = m_view->XToSample(x + dx);
        if (p != -1) {
            position = p;
            n = FindSegment(position, seg);
        }
    }
    if (!n)
        return kHitNone;
    for (int i = 0; i < n; ++i) {
        if (seg[i].position < m_view->GetFirstVisibleSample())
            continue;
        POINT p = ToPixels(wave, seg[i].position, seg[i].value);
        if (x >= p.x - 3 && x < p.x + 4 && y >= p.y - 3 && y < p.y + 4) {
            m_hitPosition = seg[i].position;
            return kHitPoint;
        }
    }
    EnvelopePoint a = seg[0], b = seg[1];
    if (n == 3 && x >= ToPixels(wave, seg[1].position, seg[1].value).x) {
        a = seg[1];
        b = seg[2];
    }
    POINT pa = ToPixels(wave, a.position, a.value), pb = ToPixels(wave, b.position, b.value);
    // A vertical segment has no slope: it is hit within 5 pixels of its column.
    int lineY = pb.x == pa.x ? y : pa.y + int(int64_t(pb.y - pa.y) * (x - pa.x) / (pb.x - pa.x));
    if (pb.x == pa.x && std::abs(x - pa.x) >= 5)
        return kHitNone;
    if (std::abs(lineY - y) >= 5)
        return kHitNone;
    m_hitPosition = position;
    return position == a.position || position == b.position ? kHitPoint : kHitLine;
}

void CEnvelopeEditor::DrawDragLines(HDC dc, const RECT& wave, int64_t position) const
{
    auto at = std::find_if(m_points.begin(), m_points.end(),
                           [position](const EnvelopePoint& p) { return p.position == position; });
    if (at == m_points.end())
        return;
    POINT line[3];
    int n = 0;
    if (at == m_points.begin())
        line[n++] = ToPixels(wave, m_rangeStart, at->value);
    else
        line[n++] = ToPixels(wave, (at - 1)->position, (at - 1)->value);
    line[n++] = ToPixels(wave, at->position, at->value);
    if (at + 1 == m_points.end())
        line[n++] = ToPixels(wave, std::max(m_rangeEnd, at->position), at->value);
    else
        line[n++] = ToPixels(wave, (at + 1)->position, (at + 1)->value);
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, wave.left, wave.top, wave.right, wave.bottom);
    ::SetROP2(dc, R2_NOT);
    ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Polyline(dc, line, n);
    ::RestoreDC(dc, saved);
}

void CEnvelopeEditor::DrawDragSquares(HDC dc, const RECT& wave, int64_t position) const
{
    auto at = std::find_if(m_points.begin(), m_points.end(),
                           [position](const EnvelopePoint& p) { return p.position == position; });
    if (at == m_points.end())
        return;
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, wave.left, wave.top, wave.right, wave.bottom);
    HBRUSH brush = ::CreateSolidBrush(Colour());
    ::SelectObject(dc, brush);
    for (auto it = at == m_points.begin() ? at : at - 1; it != m_points.end() && it <= at + 1; ++it) {
        POINT p = ToPixels(wave, it->position, it->value);
        ::PatBlt(dc, p.x - 2, p.y - 2, 5, 5, PATCOPY);
    }
    ::RestoreDC(dc, saved);
    ::DeleteObject(brush);
}

int CEnvelopeEditor::Drag(int x, int y, IEditCommand** out)
{
    int64_t pixel = std::max<int64_t>(1, m_view->PixelToSample(1.0));
    if (HitTest(x, y) == kHitNone)
        return 0;
    EnvelopePoint seg[3];
    int n = FindSegment(m_hitPosition, seg);
    int64_t left = seg[0].position, right = seg[n == 3 ? 2 : 1].position;
    int percent = int((n == 3 ? seg[1].value : m_hitPosition == seg[0].position ? seg[0].value : seg[1].value) * 100);
    m_dragLeftBound = left;
    m_dragRightBound = right;
    EnvelopePoint firstPoint, lastPoint;
    GetEndPoints(&firstPoint, &lastPoint);
    const int64_t first = firstPoint.position, last = lastPoint.position;
    int64_t startPosition = m_hitPosition, current = m_hitPosition;
    const int startPercent = percent;
    RECT wave = m_view->GetTrackWaveRect(m_track);
    wave.top += 2;
    wave.bottom -= 2;
    ::SetCapture(m_pane);
    HDC dc = ::GetDC(m_pane);
    const RECT full = m_view->GetTrackWaveRect(m_track);
    std::unique_ptr<ValueTipWnd> tip;
    bool cancelled = false, moved = false;
    for (;;) {
        MSG msg;
        DragMessage next = NextDragMessage(m_pane, &msg);
        if (next == DragMessage::kEnded)
            break;
        if (next == DragMessage::kEscape) {
            cancelled = true;
            break;
        }
        int px = short(LOWORD(msg.lParam)), py = short(HIWORD(msg.lParam));
        int64_t position = m_view->GetFirstVisibleSample() + m_view->PixelToSample(px - (wave.left));
        int newPercent = YToPercent(wave, py);
        if (m_handles && (left == startPosition || right == startPosition)) {
            position = startPosition; // an end handle keeps its place
        } else if (m_handles) {
            if (position <= left)
                position = left + (left >= first && first >= 0 ? 2 * pixel : pixel);
            if (position >= right)
                position = right - (right >= last && last >= 0 ? 2 * pixel : pixel);
        } else {
            if (position <= left)
                position = left + (left >= first && first >= 0 ? pixel : 0);
            if (position >= right)
                position = right - (right >= last && last >= 0 ? pixel : 0);
        }
        if (newPercent != percent || position != current) {
            if (moved)
                DrawDragLines(dc, full, current);
            SetPointAt(current, position, newPercent * 0.01f);
            current = position;
            percent = newPercent;
            moved = true;
            DrawDragLines(dc, full, current);
            DrawDragSquares(dc, full, current);
            if (!tip)
                tip = std::make_unique<ValueTipWnd>(m_view);
            POINT at{wave.left - 50, wave.top};
            ::ClientToScreen(m_pane, &at);
            char text[16];
            std::snprintf(text, sizeof text, "%d", percent);
            tip->ShowAt(text, at.x, at.y);
        }
        if (msg.message == WM_LBUTTONUP)
            break;
    }
    if (moved)
        DrawDragLines(dc, full, current);
    ::ReleaseDC(m_pane, dc);
    tip.reset();
    if (::GetCapture() == m_pane)
        ::ReleaseCapture();
    m_dragLeftBound = m_dragRightBound = 0;
    if (m_view->GetPlayPosition() >= 0) {
        ::InvalidateRect(m_pane, nullptr, TRUE);
    } else {
        // The strip over both changed segments.
        const int x0 = std::min(ToPixels(full, left, 0).x, ToPixels(full, startPosition, 0).x) - 3;
        const int x1 = std::max(ToPixels(full, right, 0).x, ToPixels(full, current, 0).x) + 3;
        RECT strip{std::max<int>(x0, full.left), full.top, std::min<int>(x1, full.right), full.bottom};
        if (m_handles)
            strip = RECT{full.left, wave.top, full.right, wave.bottom};
        ::InvalidateRect(m_pane, &strip, TRUE);
    }
    // Escape or a press that never moved leaves the envelope as it was: nothing to record.
    if (cancelled || !moved) {
        SetPointAt(current, startPosition, startPercent * 0.01f);
        return 0;
    }
    if (m_handles)
        return 1;
    ComRef<IEditCommand> move = Hand(ComObject<IEditCommand>::Create<MoveEnvelopePointCommand>(
        kEnvelopeName, m_view->GetMultiTrackDoc(), m_track, m_kind, startPosition, current, percent * 0.01f));
    return Run(move, out) ? 1 : 0;
}
