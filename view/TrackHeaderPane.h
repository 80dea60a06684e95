// CTrackHeaderPane: the view's child 103, the column of track headers. Each header is as tall
// as its track's rows and shows the track number, its name and image buttons (stretch height,
// mute, solo, record, information, split, mix). A button acts when it is pressed and released
// over itself on the same track.
#pragma once
#include "BaseWin.h"

class CNyMultiTrackView;
class CNyMultiTrackDoc;

class CTrackHeaderPane : public CBaseWin {
public:
    // Hit codes of the cells; 1 in a header off every cell, 0 none, -100 a disabled button.
    enum Hit {
        kHitNone = 0,
        kHitHeader = 1,
        kHitNumber = -1,
        kHitMute = -2,
        kHitSolo = -3,
        kHitRecord = -4,
        kHitInfo = -5,
        kHitSplit = -6,
        kHitStretch = -7,
        kHitName = -8,
        kHitMix = -9,
        kHitDisabled = -100
    };

    CTrackHeaderPane() = default;
    BOOL Create(CWnd* parent, UINT id);
    void Attach();

    RECT GetTrackRect(int track);
    // The nine cells' offsets from the header's top-left corner (y -1: the cell does not fit).
    void GetCellLayout(int track, POINT cells[9]);
    int HitTest(POINT point, int track, RECT* cell = nullptr);
    int FilterHit(int code, int track);
    void DrawTrackHeader(HDC dc, int track);
    // Renames the track through one "Properties" step; false when nothing changed (the same
    // text, or a command that failed or changed nothing).
    bool RenameTrack(int track, const char* name);
    // The track properties dialog, modal, for the track (nothing while the transport runs).
    void ShowTrackProperties(int track);

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnCancelMode();
    void OnLButtonDblClk(UINT flags, CPoint point);

private:
    bool Bind();
    bool InFadeMode();
    int CellFrame(int cell, int track);
    void Click(int code, int track, bool shift);
    // The tool tip follows the button under the mouse.
    void UpdateTip(POINT point, int track);

    int m_pressedTrack = -1;
    int m_propertiesTrack = -1;
    int m_pressedCode = 0;
    int m_state = 0;
    int m_tipCode = 0;
    CNyMultiTrackView* m_view = nullptr;
    CNyMultiTrackDoc* m_doc = nullptr;

    DECLARE_MESSAGE_MAP()
};
