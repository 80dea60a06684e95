// CChildFrame: the MDI child window of one multitrack view. Below the view it keeps a status
// bar of its own with three parts (the last two fixed at the right end, the first taking the
// rest); its caption shows the document's title, its protection and modified state and the
// window number; it cannot be made narrower than two corner images of the view nor lower
// than 161 pixels.
#pragma once
#include "Framework.h"

class CChildFrame : public CMDIChildWnd {
    DECLARE_DYNCREATE(CChildFrame)
public:
    CChildFrame() = default;
    ~CChildFrame() override;

    // Control id of the frame's status bar.
    static const UINT kStatusBarId = 100;
    // Part widths in average character widths of the bar's font: part 0, 1, 2.
    static const int kPartChars[3];
    static const int kMinTrackHeight = 161;

    CStatusBar& GetStatusBar() { return m_statusBar; }

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // A double click on part 1 of the status bar runs the document's Sample Type command.
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context) override;
    // "title(Overwrite protected) *:2"
    void OnUpdateFrameTitle(BOOL addToTitle) override;

    // A click on a frame's non-client area (this one's or the main frame's) ends the
    // application's in-place edit.
    static void EndInPlaceEditOnNcClick();
    void OnNcLButtonDown(UINT hitTest, CPoint point);
    void OnSize(UINT type, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info);

private:
    // Sets the three parts: at creation part 0 has its table width, afterwards the rest.
    void LayoutParts(bool stretchFirst);

    CStatusBar m_statusBar;

    DECLARE_MESSAGE_MAP()
};
