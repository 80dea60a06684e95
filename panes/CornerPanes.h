// The three small panes in the corners of the multitrack view, on the CSkinCtrl base:
//   CGroupButtonPane (id 113)  top-left: the "Enable grouping for all tracks" button
//   CSkinPushButton  (id 114)  a click selects all track rows, a second click restores them
//   CSkinStatic      (id 115)  a plain filler
// They reach the view and its document only through ICornerPaneHost, which the view (their
// parent window) implements; with a parent that does not, they paint and do nothing else.
#pragma once
#include "BaseWin.h"

#include <cstdint>

// What the corner panes need of the multitrack view and its document.
class ICornerPaneHost {
public:
    virtual bool IsTransportIdle() const = 0;
    virtual int GetEditMode() const = 0;  // 0: no fade-handle or envelope mode
    virtual int GetMultiIcon() const = 0; // the document header's value
    virtual bool IsGroupingEnabled() const = 0;
    virtual void EnableGrouping(bool enable) = 0;
    virtual void RepaintTrackHeader() = 0;
    // Selection of the document.
    virtual bool HasTimeRange() const = 0;
    virtual bool IsAllTracksMode() const = 0;
    virtual void SetAllTracksMode(bool allTracks) = 0;
    virtual void GetPreviousRowRange(int* first, int* last) const = 0;
    virtual void SetRowRange(int first, int last, int current) = 0;
    virtual void SetTimeRange(int64_t start, int64_t end) = 0;
    // The view.
    virtual void InvalidateCaret(int show) = 0;         // the track area's edit caret
    virtual void RedrawSelectionArea(int track) = 0;    // -1: all tracks
    virtual void SetEditPosition(int64_t position) = 0; // -1: none
    virtual CWnd* GetViewWindow() = 0;

protected:
    ~ICornerPaneHost() = default;
};

// Base of the corner panes: paints nothing itself and never erases (each pane paints all of
// its area); clicks follow the base's focus rule.
class CSkinCtrl : public CBaseWin {
public:
    CSkinCtrl() = default;

protected:
    ICornerPaneHost* Host() const;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};

class CGroupButtonPane : public CSkinCtrl {
public:
    CGroupButtonPane() = default;

    // Paints the pane into dc for the client rectangle (and places the button).
    void Render(CDC* dc, const RECT& client);
    // 1 when the client point is on the button (as placed by the last paint), else 0.
    int HitTest(CPoint point);
    // The frame (0, 2, 4 or 6) the button shows for these states.
    static int ButtonFrame(bool groupingOn, bool pressedOnButton);

    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnCancelMode();

protected:
    int m_hover = 0;
    int m_pressed = 0;
    int m_buttonX = 0;
    int m_buttonY = 0;

    DECLARE_MESSAGE_MAP()
};

class CSkinPushButton : public CSkinCtrl {
public:
    CSkinPushButton() = default;

    void Render(CDC* dc, const RECT& client);

    void OnPaint();
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

protected:
    DECLARE_MESSAGE_MAP()
};

class CSkinStatic : public CSkinCtrl {
public:
    CSkinStatic() = default;

    void Render(CDC* dc, const RECT& client);
    void OnPaint();

protected:
    DECLARE_MESSAGE_MAP()
};
