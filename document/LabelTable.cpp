#include "LabelTable.h"

#include "MultiTrackDoc.h"
#include "ResourceModule.h"
#include "SelectionModel.h"
#include "ViewGeometry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int32_t KindByte(int32_t kind)
{
    return kind & 0xFF;
}

// The name format of a string id, or the English text when the program's table lacks it.
void LoadFormat(UINT id, const char* fallback, char* buffer, int capacity)
{
    if (::LoadStringA(GetResourceModule(), id, buffer, capacity) <= 0)
        snprintf(buffer, capacity, "%s", fallback);
}

} // namespace

CLabelTable::CLabelTable(CNyMultiTrackDoc* owner) : m_owner(owner) {}

CLabelTable::~CLabelTable() = default;

int CLabelTable::GetCount(int kind) const
{
    switch (kind) {
    case kLabelTrack:
        return m_trackLabels;
    case kLabelCue:
        return m_cues;
    case kLabelSection:
        return m_sections;
    case kLabelLoop:
        return m_loopPresent;
    default:
        return m_trackLabels + m_cues + m_sections + m_loopAdditions;
    }
}

int CLabelTable::Add(LabelRecord& record)
{
    // The id is the place the record takes, whatever kinds came before it (kind 3 counts
    // nowhere, so the counters alone would fall behind the places).
    record.id = static_cast<int32_t>(m_records.size()) + 1;
    switch (KindByte(record.kind)) {
    case kLabelTrack:
        ++m_trackLabels;
        break;
    case kLabelCue:
        ++m_cues;
        break;
    case kLabelSection:
        ++m_sections;
        break;
    case kLabelLoop:
        if (m_loopPresent)
            return 0;
        m_loopPresent = 1;
        ++m_loopAdditions;
        break;
    default:
        break;
    }
    m_records.push_back(record);
    return 1;
}

LabelRecord* CLabelTable::PlaceOf(int id)
{
    long long place = llabs(static_cast<long long>(id));
    if (place < 1 || place > static_cast<long long>(m_records.size()))
        return nullptr;
    return &m_records[static_cast<size_t>(place - 1)];
}

int CLabelTable::SetAt(const LabelRecord& record)
{
    // Ids come from files and commands: one that names no place changes nothing.
    LabelRecord* place = PlaceOf(record.id);
    if (!place)
        return 0;
    *place = record;
    if (KindByte(record.kind) == kLabelLoop)
        m_loopPresent = record.id >= 0 ? 1 : 0;
    if (m_owner)
        m_owner->SetModifiedFlag(TRUE);
    return 1;
}

int CLabelTable::Remove(const LabelRecord& record)
{
    if (record.id < 1)
        return 0;
    LabelRecord* place = PlaceOf(record.id);
    if (!place)
        return 0;
    place->id = -record.id;
    if (KindByte(place->kind) == kLabelLoop)
        m_loopPresent = 0;
    return 1;
}

bool CLabelTable::FindById(int id, LabelRecord* out) const
{
    for (const LabelRecord& r : m_records) {
        if (llabs(r.id) == llabs(static_cast<long long>(id))) {
            if (out)
                *out = r;
            return true;
        }
    }
    return false;
}

bool CLabelTable::GetAt(int index, LabelRecord* out) const
{
    if (index < 0 || index >= static_cast<int>(m_records.size()))
        return false;
    if (out)
        *out = m_records[static_cast<size_t>(index)];
    return true;
}

int32_t CLabelTable::GetKindById(int id) const
{
    for (const LabelRecord& r : m_records)
        if (r.id == id)
            return r.kind;
    return 0;
}

int CLabelTable::TrackIndexToId(int index) const
{
    if (index == -1)
        return -1;
    if (!m_view || !m_owner)
        return -1;
    return m_owner->GetTrackId(index);
}

int CLabelTable::TrackIdToIndex(int id) const
{
    if (id == -1)
        return -1;
    if (!m_view || !m_owner)
        return -1;
    return m_owner->GetTrackIndex(id);
}

bool CLabelTable::Matches(const LabelRecord& r, int trackId, int64_t from, int64_t to, int32_t kind) const
{
    if (r.id < 0 || (r.kind & kLabelHidden))
        return false;
    if (kind != -1 && r.kind != kind)
        return false;
    if (r.trackId != trackId || r.end < from)
        return false;
    if (to >= 0 && r.start > to)
        return false;
    // A range that ends exactly where the search starts does not reach into it.
    return r.start == r.end || r.end > from;
}

int CLabelTable::FindInRange(int track, std::vector<LabelRecord>& out, int64_t from, int64_t to, int32_t kind) const
{
    out.clear();
    int trackId = TrackIndexToId(track);
    for (const LabelRecord& r : m_records)
        if (Matches(r, trackId, from, to, kind))
            out.push_back(r);
    return static_cast<int>(out.size());
}

int CLabelTable::FindInsideRange(int track, std::vector<LabelRecord>& out, int64_t from, int64_t to, int32_t kind) const
{
    out.clear();
    int trackId = TrackIndexToId(track);
    for (const LabelRecord& r : m_records)
        if (Matches(r, trackId, from, to, kind) && r.end <= to)
            out.push_back(r);
    return static_cast<int>(out.size());
}

void CLabelTable::CollectMarkers(std::vector<LabelRecord>& out) const
{
    out.clear();
    ForEachMarker([&](const LabelRecord& r) { out.push_back(r); });
}

int CLabelTable::FindNearest(int track, int64_t position, int direction, int32_t kind, bool selectedOnly) const
{
    int trackId = track < 0 ? -1 : TrackIndexToId(track);
    CSelectionModel* selection = m_owner ? m_owner->GetSelection() : nullptr;
    int best = -1;
    int64_t bestDistance = 0;
    // Every place is scanned: records of kinds that no counter counts lie within the array too.
    for (const LabelRecord& r : m_records) {
        if (kind != -1 && r.kind != kind)
            continue;
        if (KindByte(r.kind) == kLabelTrack || r.id < 0)
            continue;
        if (trackId != -1 && r.trackId >= 0 && r.trackId != trackId)
            continue;
        if (trackId == -1 && selectedOnly && r.trackId >= 0 && selection &&
            !selection->IsTrackSelectedAt(TrackIdToIndex(r.trackId)))
            continue;
        int64_t distance;
        if (direction > 0) {
            if (r.start > position)
                distance = r.start - position;
            else if (r.end > position)
                distance = r.end - position;
            else
                continue;
        } else if (direction == 0) {
            int64_t a = llabs(r.start - position), b = llabs(r.end - position);
            distance = a < b ? a : b;
        } else {
            if (r.end < position)
                distance = position - r.end;
            else if (r.start < position)
                distance = position - r.start;
            else
                continue;
        }
        if (best == -1 || distance < bestDistance) {
            best = r.id;
            bestDistance = distance;
        }
    }
    return best;
}

bool CLabelTable::GetTrackLabel(int track, LabelRecord* out) const
{
    int trackId = TrackIndexToId(track);
    for (const LabelRecord& r : m_records) {
        if (r.id >= 0 && r.kind == kLabelTrack && r.trackId == trackId) {
            *out = r;
            return true;
        }
    }
    memset(out, 0, sizeof(*out));
    out->trackId = trackId;
    char format[64];
    LoadFormat(kIdsTrackName, "Track%d", format, sizeof(format));
    snprintf(out->name, sizeof(out->name), format, m_trackLabels + 1);
    return false;
}

void CLabelTable::SetTrackLabel(LabelRecord& record)
{
    if (FindById(record.id, nullptr))
        SetAt(record);
    else
        Add(record);
}

void CLabelTable::RemoveAll()
{
    m_records.clear();
    m_trackLabels = m_sections = m_cues = m_loopAdditions = m_loopPresent = 0;
    m_currentId = m_activeId = 0;
}

int CLabelTable::IsActiveLabelInSelection()
{
    CSelectionModel* selection = m_owner ? m_owner->GetSelection() : nullptr;
    if (m_activeId > 0 && selection) {
        int lower = 0, upper = 0;
        selection->GetOrderedRowRange(&lower, &upper);
        LabelRecord r;
        if (!FindById(m_activeId, &r))
            m_activeId = 0;
        else if (selection->IsAllTracksMode())
            m_activeId = r.trackId == -1 ? m_activeId : 0;
        else
            m_activeId = r.trackId != -1 && lower == upper ? m_activeId : 0;
    }
    return m_activeId;
}
