// ViewGeometry: what the document, its selection, its labels and its fade handle lists ask of
// the multitrack view: channel rows, rectangles of the track area, the time axis, the edit
// mode, and repaints of a region. The view implements it; the document finds it among its
// views (CNyMultiTrackDoc::GetMultiTrackView) and never includes view headers.
//
// Rows: one per channel of each track, numbered from 0 across the tracks in order.
// Rectangles are in track-area client pixels, right and bottom exclusive.
#pragma once
#include <windows.h>

#include <cstdint>

class ViewGeometry {
public:
    // Sum of the tracks' channel counts; 0 without an engine.
    virtual int GetRowCount() = 0;
    // Row of the track's first channel, or of its last one when last is non-zero.
    virtual int GetTrackRow(int track, int last) = 0;
    // Row of a channel (-1: the track's last channel); -1 for a channel beyond the track.
    virtual int GetRowOfChannel(int track, int channel) = 0;
    // Track holding a row; past the last track the track count.
    virtual int TrackFromRow(int row, int extend) = 0;
    // Track under a y of the track area; -1 above the rows (and, bounded, past them).
    virtual int TrackFromY(int y, int bounded) = 0;
    // Channel rectangle of (track, channel), or of row a when channel is -1.
    virtual RECT GetChannelRect(int a, int channel) = 0;
    // Waveform rectangle of a track; for -1 only left and right count (the time axis).
    virtual RECT GetTrackWaveRect(int track) = 0;

    // Samples per pixel (raw: the zoom word itself, 64 = one sample per pixel).
    virtual double GetSamplesPerPixel(int raw) = 0;
    virtual double SampleToPixel(int64_t samples) = 0;
    virtual int64_t PixelToSample(double pixels) = 0;
    // Sample under a track-area x; -1 left of the waveform area.
    virtual int64_t XToSample(int x) = 0;
    virtual int64_t GetFirstVisibleSample() = 0;
    // Where playback is heard now (asked of the transport, not the view's last poll); -1 while
    // nothing plays.
    virtual int64_t GetPlayPositionNow() = 0;
    // 0 normal; 1 and 2 the fade and envelope handle modes.
    virtual int GetEditMode() = 0;

    // Repaints a region of the track area (with erase) and the ruler columns over its width.
    virtual void InvalidateTrackArea(const RECT& area) = 0;
    // Repaints the track area and the track headers (after a track state changed).
    virtual void RepaintTracks() = 0;
    // The selection changed: the panes that show it, the controller's lamps and the overview
    // follow.
    virtual void SelectionChanged() = 0;

protected:
    ~ViewGeometry() = default;
};
