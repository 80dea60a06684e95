// The view's plain panes (the track area, 101, and the time ruler, 104, have their own
// headers, as have the amplitude scale, 105, the track headers, 103, and the video track, 102,
// which lives with the video preview): the caption-button strip (112). Each fills its client area with the pane background,
// so that the layout, the focus rule and the context menus already work on them.
#pragma once
#include "AmplitudeScalePane.h"
#include "BaseWin.h"
#include "TimeRulerPane.h"
#include "TrackAreaPane.h"
#include "TrackHeaderPane.h"
#include "VideoTrackLink.h"
#include "VideoTrackPane.h"

class CPlainPane : public CBaseWin {
public:
    CPlainPane() = default;
    BOOL Create(CWnd* parent, UINT id);

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};

class CaptionButtonStrip : public CPlainPane {};
