// The view's plain panes (the track area, 101, and the time ruler, 104, have their own
// headers, as has the amplitude scale, 105): the video track (102), the track header column
// (103) and the caption-button strip (112). Each fills its client area with the pane background,
// so that the layout, the focus rule and the context menus already work on them.
#pragma once
#include "AmplitudeScalePane.h"
#include "BaseWin.h"
#include "TimeRulerPane.h"
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
class CaptionButtonStrip : public CPlainPane {};
