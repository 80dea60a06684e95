// CBaseWin: the window base of the multitrack view's panes and of the small skinned controls.
// All of them share one right-click menu, one click rule (the keyboard focus stays with the view,
// the pane's parent, never with a pane), one rule for the application's in-place edit window,
// and an owned tool tip that sees the pane's mouse and key messages first.
//
//   class CRulerPane : public CBaseWin { void OnLButtonDown(UINT f, CPoint p) { CBaseWin::OnLButtonDown(f, p); ... } };
//   pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, view, id);
//
// The parent view answers IPaneParent (which menu to show); the application installs its
// in-place edit window behind IInPlaceEditHost. Without them a pane shows the no-selection menu
// and knows no edit window.
#pragma once
#include "Framework.h"

class TipWindow;

// The application's one in-place edit window (the label editor).
class IInPlaceEditHost {
public:
    // Takes the edit window (ending an open one) and the id of the control it edits; a host
    // that keeps no edit window deletes it.
    virtual void BeginInPlaceEdit(CWnd* edit, int) { delete edit; }
    // The open edit window, or null.
    virtual CWnd* GetInPlaceEdit() = 0;
    // Hides and deletes the edit window.
    virtual void EndInPlaceEdit() = 0;
    // Recreates the edit window for the same owner and gives it the focus.
    virtual void RestartInPlaceEdit() = 0;

protected:
    ~IInPlaceEditHost() = default;
};
void SetInPlaceEditHost(IInPlaceEditHost* host);
IInPlaceEditHost* GetInPlaceEditHost();

// What a pane asks of the view it lies in.
class IPaneParent {
public:
    // The document's selection has a range.
    virtual bool HasSelection() const = 0;

protected:
    ~IPaneParent() = default;
};

// Context menus (menu resources with one pop-up each).
const UINT kBaseWinMenuSelection = 413;
const UINT kBaseWinMenuNoSelection = 409;

class CBaseWin : public CWnd {
public:
    CBaseWin() = default;
    // Deletes the tip window.
    ~CBaseWin() override;

    BOOL PreTranslateMessage(MSG* msg) override;

    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    BOOL OnNcCreate(LPCREATESTRUCTA cs);
    // An edit child chooses its own colours: the request goes back to it (0x2000 + message).
    LRESULT OnCtlColorEdit(WPARAM dc, LPARAM child);

    // The parent remembered at creation (null before).
    CWnd* GetParentWnd() const;
    TipWindow* GetTip() const { return m_tip; }
    // Takes ownership of the tip window.
    void SetTip(TipWindow* tip);
    int GetState() const { return m_state; }
    // The menu resource the context menu shows now (a pane with a menu of its own answers it).
    virtual UINT ContextMenuId() const;
    // Leaves the in-place edit: a read-only edit ends, a writable one loses the focus to the
    // parent (and settles its text itself).
    void LeaveInPlaceEdit();
    // The first popup of a menu resource at a screen point (-1, -1: below the pane's corner),
    // owned by the top-level window so that its commands take the frame's route.
    void ShowContextMenu(UINT menuId, CPoint point);

protected:
    HWND m_parent = nullptr; // the window, not an object: a parent without one stays valid
    int m_state = 0;
    TipWindow* m_tip = nullptr;

    DECLARE_MESSAGE_MAP()
};
