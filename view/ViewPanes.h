// The view's plain panes (the track area, 101, and the time ruler, 104, have their own
// headers, as have the amplitude scale, 105, and the track headers, 103): the video track
// (102) and the caption-button strip (112). Each fills its client area with the pane background,
// so that the layout, the focus rule and the context menus already work on them.
#pragma once
#include "AmplitudeScalePane.h"
#include "BaseWin.h"
#include "TimeRulerPane.h"
#include "TrackAreaPane.h"
#include "TrackHeaderPane.h"

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
class CaptionButtonStrip : public CPlainPane {};
