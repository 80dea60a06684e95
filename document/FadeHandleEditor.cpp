#include "FadeHandleEditor.h"

#include "ViewGeometry.h"

#include <algorithm>

void CFadeHandleEditor::Init(ViewGeometry* view, int track, int64_t start, int64_t end)
{
    m_view = view;
    m_track = track;
    m_rangeStart = start;
    m_rangeEnd = end;
}

int CFadeHandleEditor::SetHandles(int64_t position, float gain)
{
    if (position < m_rangeStart || position > m_rangeEnd)
        return 0;
    auto at = std::lower_bound(m_handles.begin(), m_handles.end(), position,
                               [](const HandlePoint& p, int64_t pos) { return p.position < pos; });
    if (at != m_handles.end() && at->position == position)
        at->gain = gain;
    else
        m_handles.insert(at, HandlePoint{position, gain});
    return 1;
}

int CFadeHandleEditor::Reset(int64_t position)
{
    if (m_handles.empty())
        return 1;
    if (position == -1) {
        m_handles.clear();
        return 1;
    }
    auto at = std::find_if(m_handles.begin(), m_handles.end(),
                           [position](const HandlePoint& p) { return p.position == position; });
    if (at == m_handles.end())
        return 0;
    m_handles.erase(at);
    return 1;
}

int CFadeHandleEditor::GetRange(int64_t* start, int64_t* end) const
{
    *start = m_rangeStart;
    *end = m_rangeEnd;
    return static_cast<int>(m_handles.size());
}

void CFadeHandleEditor::InvalidateTrack(int)
{
    if (m_view)
        m_view->InvalidateTrackArea(m_view->GetTrackWaveRect(m_track));
}
