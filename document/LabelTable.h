// CLabelTable: every named mark of a document (track labels, cue points, sections and at
// most one loop) in one array of fixed-size records. A record's id is its 1-based place in
// the array and stays so: records are never moved or deleted one by one, removing one
// negates its id, so that ids held by undo commands, panes and project files stay valid.
// The project files store the records byte for byte.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "LabelRecord.h"

class CNyMultiTrackDoc;
class ViewGeometry;

class CLabelTable {
public:
    // owner may be null (a table of its own); it maps track indices to ids and hears of changes.
    explicit CLabelTable(CNyMultiTrackDoc* owner = nullptr);
    virtual ~CLabelTable();

    void SetView(ViewGeometry* view) { m_view = view; }

    // 0 track labels, 1 cues, 2 sections, 4 whether a loop is live; other: all records counted
    // by kind (track labels + cues + sections + loops added).
    int GetCount(int kind) const;
    // Stores a copy with the next id (written into the caller's record too): 1, or 0 for a
    // second live loop (nothing stored).
    int Add(LabelRecord& record);
    // Replaces the record at place |id|: 1, or 0 when the id names no place.
    int SetAt(const LabelRecord& record);
    // Negates the id of the record at place id: 1, or 0 when the id names no place.
    int Remove(const LabelRecord& record);
    // The first record whose |id| is |id| (removed ones included).
    bool FindById(int id, LabelRecord* out) const;
    bool GetCurrentLabel(LabelRecord* out) const { return FindById(m_currentId, out); }
    bool GetAt(int index, LabelRecord* out) const;
    // Kind of the record with exactly this id; 0 when none.
    int32_t GetKindById(int id) const;
    bool HasLoop() const { return m_loopPresent != 0; }
    int GetSize() const { return static_cast<int>(m_records.size()); }

    int TrackIndexToId(int index) const;
    int TrackIdToIndex(int id) const;

    // Live, shown records of the track (-1: the all-tracks marks) that meet from..to (to
    // negative: no upper bound); kind -1 for any. Fill out (cleared first); return the count.
    int FindInRange(int track, std::vector<LabelRecord>& out, int64_t from, int64_t to, int32_t kind) const;
    // The same, and the record must end by to.
    int FindInsideRange(int track, std::vector<LabelRecord>& out, int64_t from, int64_t to, int32_t kind) const;
    // Every live, shown record that is not a track label, in table order.
    void CollectMarkers(std::vector<LabelRecord>& out) const;
    // Calls visit(const LabelRecord&) for the same records, without copying them.
    template <class Visit>
    void ForEachMarker(Visit visit) const
    {
        for (const LabelRecord& r : m_records)
            if (r.id >= 0 && (r.kind & 0xFF) != kLabelTrack && !(r.kind & kLabelHidden))
                visit(r);
    }
    // Id of the nearest mark after (direction > 0), around (0) or before (< 0) the position;
    // -1 when none.
    int FindNearest(int track, int64_t position, int direction, int32_t kind, bool selectedOnly) const;
    // The track's label (true), or a default one named "Track<n>" (false).
    bool GetTrackLabel(int track, LabelRecord* out) const;
    void SetTrackLabel(LabelRecord& record);
    void RemoveAll();

    // The active id after checking that the active label still fits the selection.
    int IsActiveLabelInSelection();
    // The mark edge within halfWidth pixels of x on the track's strip (-1: the all-tracks
    // marks): 1 with the hit part (4 start, 5 end) and the current label set, else 0. Nothing
    // is hit in a handle edit mode.
    int HitTest(int track, int x, int y, int halfWidth);
    int GetHitPart() const { return m_hitPart; }
    int GetActiveId() const { return m_activeId; }
    void SetActiveId(int id) { m_activeId = id; }

private:
    bool Matches(const LabelRecord& r, int trackId, int64_t from, int64_t to, int32_t kind) const;
    LabelRecord* PlaceOf(int id);

    int m_hitPart = 0;
    int m_activeId = 0;
    int m_currentId = 0;
    ViewGeometry* m_view = nullptr;
    CNyMultiTrackDoc* m_owner;
    std::vector<LabelRecord> m_records;
    int m_trackLabels = 0;
    int m_sections = 0;
    int m_cues = 0;
    int m_loopAdditions = 0;
    int m_loopPresent = 0;
};
