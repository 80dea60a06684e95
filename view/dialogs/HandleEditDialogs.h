// FadeToolDialog and FadeHandleDialog: the main frame's tool windows of the fade and envelope
// handle modes (its second and first auxiliary windows). Each is a modeless window bound to
// the view whose mode it serves: Preview starts or stops the document's preview, the other
// buttons are the mode's commands, sent to the view as the menu would send them.
#pragma once
#include "Framework.h"

class CNyMultiTrackDoc;

class HandleToolDialog : public CDialog {
public:
    explicit HandleToolDialog(UINT templateId) : CDialog(templateId) {}

    // The modeless window, hidden, owned by the parent near its top right corner; FALSE when
    // it cannot be made.
    BOOL CreatePanel(CWnd* parent);
    // The view served (null: none).
    void SetView(CView* view) { m_view = view; }
    CView* GetView() const { return m_view; }
    // Shows and focuses, or hides, the window.
    virtual void ShowPanel(BOOL show);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Enter does nothing; Esc and the close box cancel the mode as the Cancel button does.
    void OnOK() override {}
    void OnCancel() override;
    CNyMultiTrackDoc* Document() const;

    CView* m_view = nullptr;
};

// The fade mode's window: direction and curve buttons besides the mode's actions. Shown, it
// starts over from Fade In and Linear.
class FadeToolDialog : public HandleToolDialog {
public:
    FadeToolDialog();
    void ShowPanel(BOOL show) override;
    // The buttons show the document's direction and curve.
    void ShowShape();
};

// The envelope mode's window.
class FadeHandleDialog : public HandleToolDialog {
public:
    FadeHandleDialog();
};
