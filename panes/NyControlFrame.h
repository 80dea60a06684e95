// CNyControlFrame: the Controller pane's mini frame, sized to its view's panel image in the
// compact or the big skin. CreateControllerPane makes frame and view for the main frame.
#pragma once
#include "NyMiniFrame.h"

class CNyControlView;

class CNyControlFrame : public CNyMiniFrame {
public:
    CNyControlFrame() = default;

    // Caption flags 97 (close, roll-up, layout), title "Controller", hidden.
    BOOL Create(CWnd* parent);
    // Sizes the frame to the panel of the view's skin, keeping its right edge and top.
    void FitToView();
    void RecalcFrameLayout() override { FitToView(); }
    CNyControlView* GetControlView() const { return m_view; }
    void SetControlView(CNyControlView* view) { m_view = view; }

private:
    CNyControlView* m_view = nullptr;
};

// Frame and view, the engine made (a failing engine leaves the pane without transport);
// null when the windows cannot be made. The frame deletes itself when destroyed.
CNyControlFrame* CreateControllerPane(CWnd* mainFrame);
