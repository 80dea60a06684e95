// CVideoPreviewWnd: the "Video Preview" tool window (the client of its mini frame, id 59648):
// the frame of the active multitrack view's video at the current position, fitted into its
// picture area, with a status line below, and zoom steps from 25% to 400% of the video's size
// (menu 412, commands 1087-1091).
#pragma once
#include "Framework.h"

#include <string>

class CVideoTrackPane;

constexpr int kVideoStatusHeight = 16;

class CVideoPreviewWnd : public CWnd {
public:
    CVideoPreviewWnd() = default;
    ~CVideoPreviewWnd() override;

    // A child of its frame, of its own window class (own device context) with the client edge;
    // the class name given is not used.
    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* createParam = nullptr) override;
    // Binds to a view's video track pane (its child 102), or unbinds with null; repaints.
    void SetActiveView(CWnd* view);
    CVideoTrackPane* Pane() const { return m_pane; }
    const RECT& PictureRect() const { return m_picture; }
    // The status line's text as painted now.
    std::string StatusText() const;

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnZoom(UINT id);
    void OnUpdateZoom(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()

private:
    bool HasVideo() const;

    RECT m_client{};
    RECT m_picture{};
    CVideoTrackPane* m_pane = nullptr;
};
