// CZoomButton (ids 108 and 109): a two-part button that posts the zoom commands to its view,
// once on the press and then every 200 ms while the mouse stays on the pressed half. The
// amplitude button (108, 16 x 32) is split into upper and lower halves (1006, 1008); the time
// button (109, 32 x 16) into left and right halves (1005, 1007). Moving to the other half
// while held only stops the repeats: it never switches the command.
#pragma once
#include "BaseWin.h"

constexpr UINT_PTR kZoomRepeatTimerId = 451;
constexpr UINT kZoomRepeatMs = 200;

class CZoomButton : public CBaseWin {
public:
    CZoomButton() = default;

    // Vertical halves for the amplitude button, horizontal ones for the time button.
    void SetTimeButton(bool time) { m_time = time; }
    // The parent becomes the view the commands go to.
    void Attach();
    char GetMode() const { return m_mode; }

    void Repeat(CPoint point);
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnTimer(UINT_PTR id);
    void OnCancelMode();
    BOOL OnEraseBkgnd(CDC* dc);

protected:
    UINT ZoomInCommand() const { return m_time ? 1005 : 1006; }
    UINT ZoomOutCommand() const { return m_time ? 1007 : 1008; }
    void Post(UINT command);
    void StartTimer();
    void Release();
    void RedrawPressed();

    int m_inPressed = 0;
    int m_outPressed = 0;
    char m_mode = ' ';
    RECT m_pressed{0, 0, 0, 0};
    UINT_PTR m_timer = 0;
    HWND m_view = nullptr;
    bool m_time = false;

    DECLARE_MESSAGE_MAP()
};
