// CDialogPane: a modeless dialog that is the pane of a mini frame of the main frame (the marker
// list, the selection control). Its close box hides the frame; it is deleted with its window.
// CreateDialogPane makes the frame and the pane, hidden.
#pragma once
#include "NyMiniFrame.h"

class CDialogPane : public CDialog {
public:
    explicit CDialogPane(UINT templateId) : CDialog(templateId) {}

    BOOL CreatePane(CWnd* frame) { return Create(m_nIDTemplate, frame); }
    void PostNcDestroy() override { delete this; }

protected:
    void OnClose();
    DECLARE_MESSAGE_MAP()
};

// Frame (close box and roll-up) and pane; null when the windows cannot be made.
template <class Pane> Pane* CreateDialogPane(CWnd* mainFrame, const char* title, const RECT& rect)
{
    // A frame whose window fails is deleted by the framework already.
    auto* frame = new CNyMiniFrame;
    if (!frame->Create(nullptr, title, WS_POPUP | WS_THICKFRAME, rect, mainFrame))
        return nullptr;
    frame->InitCaption(33);
    auto* pane = new Pane;
    if (!pane->CreatePane(frame)) {
        delete pane;
        frame->DestroyWindow();
        return nullptr;
    }
    frame->SetPane(pane);
    return pane;
}
