// CView: a child window of a frame that shows a document. It paints through OnDraw, hears of
// document changes through OnUpdate, and passes commands it does not handle to its document.
#pragma once
#include "FwWnd.h"

class CDocument;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView() = default;
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    virtual void OnDraw(CDC* dc) { (void)dc; }
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    virtual void OnActivateView(BOOL activate, CView* activated, CView* deactivated);
    virtual void OnActivateFrame(UINT state, CFrameWnd* frame)
    {
        (void)state;
        (void)frame;
    }

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCmdMsg(kvfw::CmdRequest& request) override;
    void PostNcDestroy() override;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnPaint();
    int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message);
    LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

protected:
    CDocument* m_pDocument = nullptr;
    friend class CDocument;
    DECLARE_MESSAGE_MAP()
};
