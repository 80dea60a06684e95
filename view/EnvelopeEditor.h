// CEnvelopeEditor: one envelope (kind 0 volume, 1 pan, 2-4 the engine's others) of one track
// over a stretch, as a private sorted copy of its points. Built for one paint, hit test, drag
// or live change and dropped after; every lasting change is an executed edit command handed
// back to the caller, who records it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

class CNyMultiTrackView;
struct ICommandList;
struct IEditCommand;

struct EnvelopePoint {
    int64_t position; // from the document's start
    float value;
};

class CEnvelopeEditor {
public:
    enum { kHitNone = 0, kHitLine = 6, kHitPoint = 7 };

    void Load(CNyMultiTrackView* view, int track, int kind, int64_t start, int64_t end);
    // The fade handles of a track in a handle edit mode as volume points: drawn in the handle
    // colour, the end handles drag only up and down, and a drag builds no command (Drag gives
    // 1 when the handles moved; Points() holds them).
    void LoadHandles(CNyMultiTrackView* view, int track, int64_t start, int64_t end,
                     const std::vector<EnvelopePoint>& handles);
    // 1 done (the command executed and handed out with a reference), 0 refused or failed.
    int InsertPoint(int64_t position, float value, IEditCommand** out);
    // position -1 clears the envelope and resets the mixing value.
    int DeletePoint(int64_t position, IEditCommand** out);
    // A live sweep while playback writes values: its start, then each step deletes the points
    // it passed since the last (a position before the anchor means playback looped). Every
    // deletion runs as a command added to list (when given); a failure is thrown as its code.
    int SetAnchor(int64_t position);
    int ClearAnchor();
    int DeletePassedPoints(int64_t position, ICommandList* list);
    void Draw(HDC dc, const RECT& clip);
    int HitTest(int x, int y);
    int64_t GetHitPosition() const { return m_hitPosition; }
    // The point under the mouse, or null.
    const EnvelopePoint* FindPointAt(int x, int y);
    // The first point and the last one (when there are two or more); (-1, default) otherwise.
    void GetEndPoints(EnvelopePoint* first, EnvelopePoint* last) const;
    // Stores the shown flag and repaints the track's waveform rectangle without erasing.
    void InvalidateTrack(int shown);
    // Modal drag of the point or line under (x, y). 1 moved (the move command handed out), 0
    // nothing hit, no movement, or Escape: then nothing was written.
    int Drag(int x, int y, IEditCommand** out);
    // Left, at and right neighbours of a position: 0 outside the stretch, else 2 or 3.
    int FindSegment(int64_t position, EnvelopePoint out[3]);
    int SetPointAt(int64_t oldPosition, int64_t newPosition, float value);
    // The curve's value at a position of the stretch (linear between its neighbours).
    float ValueAt(int64_t position);
    const std::vector<EnvelopePoint>& Points() const { return m_points; }
    // y of a value in a waveform rectangle, and back as whole percent.
    int ValueToY(const RECT& wave, float value) const;
    int YToPercent(const RECT& wave, int y) const;

private:
    POINT ToPixels(const RECT& wave, int64_t position, float value) const;
    // The drag's inverted line over the segments next to the dragged point (drawn twice it is
    // gone), and the points' squares in the envelope colour.
    void DrawDragLines(HDC dc, const RECT& wave, int64_t position) const;
    void DrawDragSquares(HDC dc, const RECT& wave, int64_t position) const;
    int HalfSampleWidth() const;
    COLORREF Colour() const;

    CNyMultiTrackView* m_view = nullptr;
    HWND m_pane = nullptr;
    int64_t m_hitPosition = -1;
    int64_t m_dragRightBound = 0;
    int64_t m_dragLeftBound = 0;
    int64_t m_rangeStart = 0;
    int64_t m_rangeEnd = 0;
    int64_t m_anchor = -1;
    int m_track = 0;
    int m_kind = 0;
    int m_shown = 1;
    bool m_handles = false;
    std::vector<EnvelopePoint> m_points;
    float m_defaultValue = 0.0f;
};
