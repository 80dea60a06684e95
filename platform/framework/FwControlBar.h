// Control bars along a frame's edges: CToolBar (buttons from a TOOLBAR resource or an id list),
// CStatusBar (panes named by string-resource ids; pane 0 stretches when it is ID_SEPARATOR) and
// CDialogBar (a dialog template as a bar). The frame lays them out (CFrameWnd::RecalcLayout) and
// sends them WM_IDLEUPDATECMDUI at idle; each bar then runs the update handlers of its items
// through the frame's routing chain.
#pragma once
#include "FwWnd.h"
#include "FwResource.h"
#include <vector>

class CFrameWnd;

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    DWORD GetBarStyle() const { return m_dwBarStyle; }
    void SetBarStyle(DWORD style) { m_dwBarStyle = style; }
    void EnableDocking(DWORD) {}
    // Height (top/bottom bars) or width (left/right bars) the bar wants along its edge.
    virtual CSize CalcFixedLayout(BOOL stretch, BOOL horizontal);
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
    BOOL IsVisible() const { return m_hWnd && (GetStyle() & WS_VISIBLE); }

    LRESULT OnIdleUpdateMessage(WPARAM wParam, LPARAM);
    void OnDestroy();

protected:
    // Joins the parent frame's list of bars (called once the bar's window exists).
    void AttachToFrame();
    CFrameWnd* m_pDockFrame = nullptr;
    // Splits a caller's style into the bar style (CBRS_...) and the window style.
    DWORD TakeBarStyle(DWORD style);
    DWORD m_dwBarStyle = 0;
    DECLARE_MESSAGE_MAP()
};

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  CRect borders = CRect(0, 0, 0, 0), UINT id = AFX_IDW_TOOLBAR);
    // Buttons and bitmap from a TOOLBAR resource (and the bitmap of the same id).
    BOOL LoadToolBar(UINT resourceId);
    BOOL LoadBitmap(UINT resourceId);
    // Buttons by command id; ID_SEPARATOR gives a separator. Button i uses image i of the bitmap
    // (separators take no image).
    BOOL SetButtons(const UINT* ids, int count);
    void SetSizes(SIZE button, SIZE image);

    int GetCount() const;
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    void GetItemRect(int index, RECT* rect) const;
    UINT GetButtonStyle(int index) const;
    void SetButtonStyle(int index, UINT style);
    // The tool bar itself is the common control; send TB_ messages to it.
    CWnd& GetToolBarCtrl() { return *this; }

    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

protected:
    CSize m_imageSize = CSize(16, 15);
    DECLARE_MESSAGE_MAP()
};

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
    // Panes named by string ids (the string gives the pane's width); ID_SEPARATOR = a stretching pane.
    BOOL SetIndicators(const UINT* ids, int count);
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    void GetItemRect(int index, RECT* rect) const;
    BOOL SetPaneText(int index, const char* text, BOOL update = TRUE);
    CString GetPaneText(int index) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    UINT GetPaneStyle(int index) const;
    void SetPaneStyle(int index, UINT style);

    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    void OnSize(UINT type, int cx, int cy);

    struct Pane {
        UINT id;
        UINT style;
        int width;
        CString text;
    };

protected:
    void ApplyParts();
    std::vector<Pane> m_panes;
    DECLARE_MESSAGE_MAP()
};

// Pane styles of CStatusBar
const UINT SBPS_NORMAL = 0x0000;
const UINT SBPS_NOBORDERS = 0x0100;
const UINT SBPS_POPOUT = 0x0200;
const UINT SBPS_DISABLED = 0x0400; // the pane shows no text
const UINT SBPS_STRETCH = 0x0800;

class CDialogBar : public CControlBar {
    DECLARE_DYNAMIC(CDialogBar)
public:
    BOOL Create(CWnd* parent, UINT templateId, UINT style, UINT id);
    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    // Commands of the bar's controls go to the frame's routing chain.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    CSize m_sizeDefault;
    DECLARE_MESSAGE_MAP()
};
