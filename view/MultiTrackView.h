// CNyMultiTrackView: the view of a multitrack document. So far it answers the geometry of
// the track area: channel rows (one per channel of each track, in track order), the track,
// waveform and channel rectangles, and the conversions between samples and pixels at the
// time zoom. Every row is the channel height c followed by a 1-pixel line; the first row of a
// track also carries the 8-pixel title strip, the marker area (20 pixels when markers are
// shown) and a 1-pixel gap:
//
//   track top -> title (8) | markers (m) | channel 0 (c) | line | channel 1 (c) | line | gap
//
// The panes and the layout that set the track area's size come later; until then the owner
// gives the sizes with SetPaneSizes.
#pragma once
#include "FwView.h"
#include "ViewGeometry.h"

#include <cstdint>

class CNyMultiTrackDoc;

class CNyMultiTrackView : public CView, public ViewGeometry {
    DECLARE_DYNCREATE(CNyMultiTrackView)
public:
    CNyMultiTrackView();
    ~CNyMultiTrackView() override;

    CNyMultiTrackDoc* GetMultiTrackDoc() const;

    // ViewGeometry
    int GetRowCount() override;
    int GetTrackRow(int track, int last) override;
    int GetRowOfChannel(int track, int channel) override;
    int TrackFromRow(int row, int extend) override;
    int TrackFromY(int y, int bounded) override;
    RECT GetChannelRect(int a, int channel) override;
    RECT GetTrackWaveRect(int track) override;
    double GetSamplesPerPixel(int raw) override;
    double SampleToPixel(int64_t samples) override;
    int64_t PixelToSample(double pixels) override;
    int64_t XToSample(int x) override;
    int64_t GetFirstVisibleSample() override { return m_firstVisibleSample; }
    int GetEditMode() override { return m_editMode; }
    void InvalidateTrackArea(const RECT& area) override;
    void RepaintTracks() override;

    // 32 x amplitude zoom + 5; 37 for a track with state flag 32.
    int GetChannelHeight(int track);
    int GetMarkerAreaHeight();
    int GetTrackTitleHeight() const { return 8; }
    int GetRowHeight(int row);
    int GetFirstVisibleRow() const { return m_firstVisibleRow; }
    RECT GetTrackRect(int track);
    RECT GetVisibleTrackRect(int track);
    RECT GetTracksRect();

    // The view's client width and the track area's client size (set by the layout).
    void SetPaneSizes(int viewWidth, int trackAreaWidth, int trackAreaHeight);
    // Samples per pixel x 64, a power of two.
    void SetTimeZoom(int64_t zoom) { m_timeZoom = zoom; }
    void SetAmplitudeZoom(int zoom) { m_amplitudeZoom = zoom; }
    void SetEditMode(int mode) { m_editMode = mode; }
    void SetFirstVisibleRow(int row) { m_firstVisibleRow = row; }
    // Snapped down to a whole pixel when a pixel holds more than one sample; never negative.
    int64_t SetFirstVisibleSample(int64_t position);

private:
    // y of a row's top, counted from the first visible row at the track area's top.
    int RowTop(int row);

    int m_editMode = 0;
    int64_t m_timeZoom = -1;
    int m_amplitudeZoom = 4;
    int64_t m_firstVisibleSample = 0;
    int m_firstVisibleRow = 0;
    int m_viewWidth = 0;
    RECT m_trackArea{0, 0, 0, 0};
};
