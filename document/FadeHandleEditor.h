// CFadeHandleEditor: the handles of one track in the fade and envelope handle modes: gain
// values at sample positions over the stretch the editor was bound to, sorted, at most one
// per position. The document owns one per track while a handle mode runs and fills them
// (CNyMultiTrackDoc::BuildFadeHandles); the editor changes only its own list.
#pragma once
#include <cstdint>
#include <vector>

class ViewGeometry;

struct HandlePoint {
    int64_t position;
    float gain; // linear, 1.0 unity
};

class CFadeHandleEditor {
public:
    // start and end -1 for a track without handles.
    void Init(ViewGeometry* view, int track, int64_t start, int64_t end);
    // 0 outside [start, end]; replaces the gain at the position or inserts in order; 1.
    int SetHandles(int64_t position, float gain);
    // -1 removes every handle; else the handle at exactly the position (0 when none).
    int Reset(int64_t position);
    // The bound stretch; returns the handle count.
    int GetRange(int64_t* start, int64_t* end) const;
    // Repaints the track's waveform rectangle.
    void InvalidateTrack(int flag);

    const std::vector<HandlePoint>& Handles() const { return m_handles; }
    int GetTrack() const { return m_track; }

private:
    std::vector<HandlePoint> m_handles;
    ViewGeometry* m_view = nullptr;
    int64_t m_rangeStart = 0;
    int64_t m_rangeEnd = 0;
    int64_t m_hitPosition = 0;
    int64_t m_dragLeftBound = 0;
    int64_t m_dragRightBound = 0;
    int m_track = 0;
    float m_defaultValue = 0.0f;
};
