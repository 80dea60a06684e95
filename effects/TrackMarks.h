// The engine's track marks during a render job: which tracks are marked when the job starts,
// one or some of them marked while it runs, and the first ones marked again when it ends.
#pragma once
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "KvSSException.h"

#include <vector>

inline ComRef<IMtSelection> SelectionOf(IMtTrackSet* set)
{
    ComRef<IMtSelection> selection;
    if (!set)
        throw CKvSSException(E_FAIL);
    ThrowIfFailed(set->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()));
    return selection;
}

// The marked tracks of a set, in track order, and puts them back marked when it goes.
class TrackMarks {
public:
    TrackMarks(IMtTrackSet* set, IMtSelection* selection) : m_selection(selection)
    {
        LONG count = 0;
        set->GetTrackCount(&count);
        for (LONG i = 0; i < count; ++i) {
            LONG marked = 0;
            if (SUCCEEDED(selection->IsTrackMarked(i, &marked)) && marked)
                m_marked.push_back(i);
        }
    }
    ~TrackMarks() { Restore(m_marked); }
    TrackMarks(const TrackMarks&) = delete;
    TrackMarks& operator=(const TrackMarks&) = delete;

    const std::vector<LONG>& Marked() const { return m_marked; }
    void SelectOnly(LONG track)
    {
        m_selection->SetAllTracks(0);
        m_selection->SelectTrack(track, 1);
    }
    void Restore(const std::vector<LONG>& tracks)
    {
        m_selection->SetAllTracks(0);
        for (LONG t : tracks)
            m_selection->SelectTrack(t, 1);
    }

private:
    IMtSelection* m_selection;
    std::vector<LONG> m_marked;
};
