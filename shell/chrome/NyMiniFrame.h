// CNyMiniFrame: the floating tool-pane frame. Once InitCaption switches it to the skinned mode,
// an embedded CaptionFrameHelper draws and drives its caption and borders. It holds one pane that
// fills its client area, rolls up to its caption, hides instead of closing, and offers commands
// to its child windows before its own handlers.
//
//   auto* frame = new CNyMiniFrame;
//   frame->Create(nullptr, "Markers", WS_POPUP | WS_THICKFRAME, rect, mainFrame);
//   frame->InitCaption(kCaptionFlagClose | kCaptionFlagRollUp);   // 33
//   frame->SetPane(pane);                                          // sizes the frame to the pane
//   frame->ShowPane(savedPlacement, savedRolledUp);
#pragma once
#include "CaptionFrameHelper.h"
#include "Framework.h"

class CNyMiniFrame : public CMiniFrameWnd {
    DECLARE_DYNCREATE(CNyMiniFrame)
public:
    CNyMiniFrame();
    ~CNyMiniFrame() override;

    virtual void RecalcFrameLayout() {}
    virtual void OnHelpButton() {}
    virtual void SetCaptionFlags(DWORD flags);
    virtual void SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight);
    virtual void GetSizeLimits(SIZE* minimum, SIZE* maximum);
    virtual void GetBorderSizes(int* left, int* top, int* right, int* bottom);
    virtual void InitCaption(DWORD flags);

    void SetPane(CWnd* pane);
    CWnd* GetPane() const { return m_pane; }
    // Applies a saved placement, first stretched to the minimum size (and to a fixed size).
    void RestorePlacement(WINDOWPLACEMENT* placement);
    void ShowPane(WINDOWPLACEMENT* placement, BOOL rolledUp);
    BOOL IsRolledUp() const { return m_caption->IsRolledUp(); }
    void SetRolledUp(BOOL rolledUp) { m_caption->SetRolledUp(rolledUp); }
    void ToggleCompact();
    BOOL GetLayoutFlag() const { return m_layout; }
    void SetLayoutFlag(BOOL layout) { m_layout = layout ? TRUE : FALSE; }
    // The full height while rolled up (the height it unrolls to); the window's height otherwise.
    int GetFullHeight() const;
    CaptionFrameHelper* GetCaptionHelper() const { return m_caption; }

    BOOL OnCmdMsg(kvfw::CmdRequest& request) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnClose();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    void OnNcPaint();
    BOOL OnNcActivate(BOOL active);
    LRESULT OnFloatStatus(WPARAM, LPARAM);
    void OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params);
    LRESULT OnNcHitTest(CPoint point);
    void OnNcLButtonDown(UINT hitTest, CPoint point);
    void OnNcLButtonUp(UINT hitTest, CPoint point);
    void OnNcMouseMove(UINT hitTest, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnNcLButtonDblClk(UINT hitTest, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnSysCommand(UINT id, LPARAM lParam);

protected:
    CWnd* m_pane = nullptr;
    BOOL m_layout = TRUE;
    BOOL m_skinned = FALSE;
    CaptionFrameHelper* m_caption = nullptr;

    DECLARE_MESSAGE_MAP()
};
