// The view's plain panes (the track area, 101, is TrackAreaPane.h): the video track (102),
// the track header column (103), the time ruler (104), the amplitude scale column (105) and the caption-button strip (112). Until then each is a plain
// pane on the panes' window base that fills its client area with the pane background, so
// that the layout, the focus rule and the context menus already work on them.
#pragma once
#include "BaseWin.h"
#include "TrackAreaPane.h"

class CPlainPane : public CBaseWin {
public:
    CPlainPane() = default;
    BOOL Create(CWnd* parent, UINT id);

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};

class CVideoTrackPane : public CPlainPane {
public:
    // No video until the video work lands: no frame step, no frame rate.
    bool HasVideo() const { return false; }
};
class CTrackHeaderPane : public CPlainPane {};
class CTimeRulerPane : public CPlainPane {
public:
    // The tick grid over the track area: first tick offset in pixels, its index and the
    // spacing in pixels; false when there is no grid.
    bool GetTickGrid(double* offset, int64_t* index, double* spacing) const;
};
class CAmplitudeScalePane : public CPlainPane {};
class CaptionButtonStrip : public CPlainPane {};
