// CNyEffectFrame: the floating frame of the effect launcher ("Effect Launcher"), a skinned
// tool mini frame with close, minimise and roll-up buttons; its one view is CEffectPaletteView.
#pragma once
#include "NyMiniFrame.h"

class CNyEffectFrame : public CNyMiniFrame {
    DECLARE_DYNCREATE(CNyEffectFrame)
public:
    static constexpr DWORD kCaptionFlags = 41;
    static constexpr DWORD kFrameStyle = 0x80040100; // WS_POPUP | WS_THICKFRAME | MFS_SYNCACTIVE

    // Nonzero when the window was made.
    BOOL Create(CWnd* parent);
};
