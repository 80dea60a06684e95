// CNyMixerCtrlFrame: the Mixer pane's mini frame. Its view takes the keys; the frame adds nothing.
// CreateMixerPane makes frame and view for the main frame.
#pragma once
#include "NyMiniFrame.h"

class CMixerView;

class CNyMixerCtrlFrame : public CNyMiniFrame {
public:
    CNyMixerCtrlFrame() = default;

    // Caption flags 41 (close, minimise, roll-up), title "Mixer", hidden.
    BOOL Create(CWnd* parent);
    CMixerView* GetMixerView() const { return m_view; }
    void SetMixerView(CMixerView* view) { m_view = view; }
    BOOL PreTranslateMessage(MSG* msg) override;

private:
    CMixerView* m_view = nullptr;
};

// Frame and view at 600 x 420 pixels; null when the windows cannot be made.
CNyMixerCtrlFrame* CreateMixerPane(CWnd* mainFrame);
