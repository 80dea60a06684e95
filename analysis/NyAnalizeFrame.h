// CNyAnalizeFrame: the floating frame of the frequency analysis pane: the dialog bar (channel
// list 5356 and Refresh 1065) on top, the analysis window as its client and a two-part status
// bar (0: the value under the mouse, 1: the analysed track). Closing hides it; commands go to
// the client first. A caption painter, when the creator attaches one, draws the skinned frame.
//
//   CNyAnalizeWnd* client = CreateAnalysisPane(mainFrame, true);   // hidden, 320 x 240
//   client->GetParent()->ShowWindow(SW_SHOW);
#pragma once
#include "Framework.h"

class CaptionFrameHelper;
class CNyAnalizeWnd;

class CNyAnalizeFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CNyAnalizeFrame)
public:
    CNyAnalizeFrame();
    ~CNyAnalizeFrame() override;

    // Takes ownership; call before the window is created.
    void AttachCaptionPainter(CaptionFrameHelper* painter) { m_captionPainter = painter; }
    void SetClient(CNyAnalizeWnd* client) { m_client = client; }
    HWND GetChannelList() const;
    CDialogBar& GetDialogBar() { return m_dialogBar; }
    CStatusBar& GetStatusBar() { return m_statusBar; }
    void SetStatusText(int part, const char* text);

    BOOL OnCmdMsg(kvfw::CmdRequest& request) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnSize(UINT type, int cx, int cy);
    void OnEnable(BOOL enable);
    void OnClose();
    LRESULT OnHideMessage(WPARAM, LPARAM);
    void OnNcPaint();
    BOOL OnNcActivate(BOOL active);
    void OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params);
    LRESULT OnNcHitTest(CPoint point);
    void OnNcLButtonDblClk(UINT hitTest, CPoint point);

protected:
    void LayoutClient(const CRect& rect) override;

private:
    CDialogBar m_dialogBar;
    CStatusBar m_statusBar;
    CaptionFrameHelper* m_captionPainter = nullptr;
    CNyAnalizeWnd* m_client = nullptr;
    int m_statusCharWidth = 6;
    DECLARE_MESSAGE_MAP()
};

// The pane for a main frame: the frame (owned by owner, hidden, 320 x 240, with the skinned
// caption when skinned) and its analysis window. The caller owns the window object and deletes
// it after the frame's window is gone; the frame object deletes itself with its window.
// Null when either window cannot be made.
CNyAnalizeWnd* CreateAnalysisPane(CWnd* owner, bool skinned);
