#include "SelectionModel.h"

#include "ComRef.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "ViewGeometry.h"

#include <algorithm>

CSelectionModel::CSelectionModel() = default;

CSelectionModel::~CSelectionModel() = default;

HRESULT CSelectionModel::Attach(CNyMultiTrackDoc* document)
{
    if (!document)
        return kSelErrInvalidParameter;
    m_document = document;
    m_view = document->GetMultiTrackView();
    return S_OK;
}

bool CSelectionModel::GetSelection(int64_t* start, int64_t* end) const
{
    *start = m_start;
    *end = m_end;
    return m_start != m_end;
}

bool CSelectionModel::GetOrderedSelection(int64_t* start, int64_t* end) const
{
    if (!GetSelection(start, end))
        return false;
    *start = std::min(m_start, m_end);
    *end = std::max(m_start, m_end);
    return true;
}

int64_t CSelectionModel::GetStartAndLength(int64_t* start) const
{
    *start = std::min(m_start, m_end);
    return std::max(m_start, m_end) - *start;
}

HRESULT CSelectionModel::SetSelection(int64_t start, int64_t end, BOOL force)
{
    if (m_view && m_view->GetEditMode() != 0)
        return S_OK;
    if (m_previousStart == -1)
        force = TRUE;
    m_previousStart = m_start;
    m_previousEnd = m_end;
    if (start != m_start) {
        m_start = start;
        force = TRUE;
    }
    if (end != m_end) {
        m_end = end;
        force = TRUE;
    }
    if (!force)
        return S_OK;
    if (m_view)
        m_view->SelectionChanged();
    if (!m_tracking)
        SendRangeToEngine(m_start, m_end);
    return S_OK;
}

RECT CSelectionModel::SelectionRegion()
{
    RECT area{0, 0, 0, 0};
    if (!m_view)
        return area;
    int lowerRow = std::min(std::min(m_anchorRow, m_currentRow), std::min(m_previousAnchorRow, m_previousCurrentRow));
    int upperRow = std::max(std::max(m_anchorRow, m_currentRow), std::max(m_previousAnchorRow, m_previousCurrentRow));
    area.top = m_view->GetChannelRect(lowerRow, -1).top;
    area.bottom = m_view->GetChannelRect(upperRow, -1).bottom;

    int64_t first = m_view->GetFirstVisibleSample();
    int64_t lower = std::min(std::min(m_previousStart, m_previousEnd), std::min(m_start, m_end)) - first;
    int64_t upper = std::max(std::max(m_previousStart, m_previousEnd), std::max(m_start, m_end)) - first;
    lower = std::max<int64_t>(lower, 0);
    upper = std::max<int64_t>(upper, 0);
    RECT wave = m_view->GetTrackWaveRect(-1);
    int x1 = wave.left + static_cast<int>(m_view->SampleToPixel(lower));
    int x2 = wave.left + static_cast<int>(m_view->SampleToPixel(upper)) + 1;
    double spp = m_view->GetSamplesPerPixel(0);
    if (spp < 1.0) {
        int widen = static_cast<int>(1.0 / spp);
        x1 -= widen;
        x2 += widen;
    }
    area.left = std::max(x1, static_cast<int>(wave.left));
    area.right = std::min(x2, static_cast<int>(wave.right));
    return area;
}

void CSelectionModel::InvalidateSelection()
{
    if (m_view)
        m_view->InvalidateTrackArea(SelectionRegion());
}

void CSelectionModel::Collapse(int which)
{
    if (which == -1) {
        SetRowRange(m_currentRow, m_currentRow);
        SetSelection(m_end, m_end);
    } else {
        SetRowRange(m_anchorRow, m_anchorRow);
        SetSelection(m_start, m_start);
    }
}

int CSelectionModel::SyncRowCount()
{
    int count = m_view ? m_view->GetRowCount() : 0;
    if (count <= 0) {
        std::vector<int32_t>().swap(m_rowFlags);
        return 0;
    }
    m_rowFlags.resize(static_cast<size_t>(count), 0);
    return count;
}

void CSelectionModel::SetRowRange(int anchor, int current, BOOL keepFlags)
{
    int count = SyncRowCount();
    m_previousAnchorRow = m_anchorRow;
    m_previousCurrentRow = m_currentRow;
    anchor = std::min(anchor, count - 1);
    if (current < 0 || current > count - 1)
        current = count - 1;
    m_anchorRow = anchor;
    m_currentRow = current;
    if (anchor < 0)
        return;
    if (m_allTracks && abs(current - anchor) != count - 1)
        m_allTracks = 0;
    if (keepFlags)
        return;
    if (anchor == current)
        m_singleRow = anchor;
    int lo = std::min(anchor, current), hi = std::max(anchor, current);
    for (int i = 0; i < count; ++i)
        m_rowFlags[static_cast<size_t>(i)] = (i >= lo && i <= hi) ? 1 : 0;
    if (!m_tracking)
        SendTrackSelectionToEngine(-1);
}

int CSelectionModel::GetRowRange(int* anchor, int* current) const
{
    *anchor = m_anchorRow;
    *current = m_currentRow;
    return IsRowSelected(m_currentRow);
}

int CSelectionModel::GetOrderedRowRange(int* lower, int* upper) const
{
    *lower = std::min(m_anchorRow, m_currentRow);
    *upper = std::max(m_anchorRow, m_currentRow);
    return IsRowSelected(m_currentRow);
}

void CSelectionModel::GetPreviousRowRange(int* anchor, int* current) const
{
    *anchor = m_previousAnchorRow;
    *current = m_previousCurrentRow;
}

int CSelectionModel::IsRowSelected(int row) const
{
    return row >= 0 && row < RowCount() ? m_rowFlags[static_cast<size_t>(row)] : 0;
}

int CSelectionModel::IsTrackSelectedAt(int track)
{
    if (!m_document || !m_view || track < 0 || track >= m_document->GetTrackCount())
        return 0;
    int first = m_view->GetTrackRow(track, 0);
    int channels = m_document->GetTrackChannels(track);
    if (first < 0 || first >= RowCount() || channels < 1)
        return 0;
    for (int row = first; row < first + channels && row < RowCount(); ++row)
        if (m_rowFlags[static_cast<size_t>(row)])
            return 1;
    return 0;
}

int CSelectionModel::IsChannelSelected(int track, int channel)
{
    if (!m_document || !m_view || track < 0 || track >= m_document->GetTrackCount())
        return 0;
    return IsRowSelected(m_view->GetRowOfChannel(track, channel));
}

HRESULT CSelectionModel::SetTrackSelected(int track, BOOL selected)
{
    int count = SyncRowCount();
    if (track >= 0) {
        int first = m_view ? m_view->GetTrackRow(track, 0) : 0;
        int channels = m_document ? m_document->GetTrackChannels(track) : 1;
        if (first + channels > count)
            return kSelErrFailed;
        for (int row = first; row < first + channels; ++row)
            m_rowFlags[static_cast<size_t>(row)] = selected ? 1 : 0;
    } else {
        std::fill(m_rowFlags.begin(), m_rowFlags.end(), selected ? 1 : 0);
    }
    int lower = count, upper = -1;
    for (int row = 0; row < count; ++row) {
        if (m_rowFlags[static_cast<size_t>(row)]) {
            lower = std::min(lower, row);
            upper = row;
        }
    }
    if (m_anchorRow > m_currentRow) {
        m_anchorRow = upper;
        m_currentRow = lower;
    } else {
        m_anchorRow = lower;
        m_currentRow = upper;
    }
    SendTrackSelectionToEngine(track);
    return S_OK;
}

int CSelectionModel::IsAllTracksMode()
{
    int rows = m_view ? m_view->GetRowCount() : 0;
    if (rows <= 0 || RowCount() == 0)
        return 0;
    if (m_allTracks) {
        int n = std::min(rows, RowCount());
        for (int row = 0; row < n; ++row)
            if (!m_rowFlags[static_cast<size_t>(row)])
                return 0;
    }
    return m_allTracks;
}

void CSelectionModel::UpdateChannelZone(int x, int y)
{
    m_zone = 0;
    if (!m_view || !m_document)
        return;
    int track = m_view->TrackFromY(y, 1);
    int channels = m_document->GetTrackChannels(track);
    if (track < 0 || channels <= 1)
        return;
    for (int c = 0; c < channels; ++c) {
        RECT r = m_view->GetChannelRect(track, c);
        if (y < r.top) {
            m_zone = 4 * c;
            return;
        }
        int band = (r.bottom - r.top) / 4;
        for (int b = 0; b < 4; ++b) {
            RECT part{r.left, r.top + band * b, r.right, r.top + band * (b + 1)};
            POINT p{x, y};
            if (PtInRect(&part, p)) {
                m_zone = 4 * c + b;
                return;
            }
        }
    }
}

void CSelectionModel::RowsForZone(int zone, int clickedRow, int* first, int* last)
{
    *first = *last = clickedRow;
    if (!m_view)
        return;
    int track = m_view->TrackFromRow(clickedRow, 0);
    int top = m_view->GetTrackRow(track, 0);
    int bottom = m_view->GetTrackRow(track, 1);
    if (zone >= 1 && zone <= 6) {
        *first = top;
        *last = top + 1;
    } else if (zone >= 9 && zone <= 14) {
        *first = top;
        *last = bottom;
    } else if (zone >= 17 && zone <= 22) {
        *first = bottom - 1;
        *last = bottom;
    }
}

HRESULT CSelectionModel::SendRangeToEngine(int64_t start, int64_t end)
{
    IMtTrackSet* engine = m_document ? m_document->GetTrackSet() : nullptr;
    if (!engine)
        return S_OK;
    ComRef<IMtSelection> selection;
    ThrowIfFailed(engine->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(selection.Out())));
    return ThrowIfFailed(selection->SetRange(start, end));
}

HRESULT CSelectionModel::SendTrackSelectionToEngine(int track)
{
    IMtTrackSet* engine = m_document ? m_document->GetTrackSet() : nullptr;
    if (!engine)
        return S_OK;
    ComRef<IMtSelection> selection;
    ThrowIfFailed(engine->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(selection.Out())));
    int first = track < 0 ? 0 : track;
    int last = track < 0 ? m_document->GetTrackCount() - 1 : track;
    HRESULT hr = S_OK;
    for (int t = first; t <= last; ++t) {
        int selected = IsTrackSelectedAt(t);
        hr = ThrowIfFailed(selection->SelectTrack(t, selected));
        if (!selected)
            continue;
        ComRef<IMtTrack> object;
        ThrowIfFailed(engine->GetTrack(t, object.Out()));
        WORD channels = 0;
        ThrowIfFailed(object->GetChannels(&channels));
        DWORD mask = 0;
        bool all = true;
        for (int c = 0; c < channels; ++c) {
            if (IsChannelSelected(t, c))
                mask |= 1u << c;
            else
                all = false;
        }
        hr = ThrowIfFailed(object->SetSelectedChannels(all ? kMtAllChannels : mask));
    }
    return hr;
}
