// CAmplitudeRangeDialog: the upper and lower bound, in whole dB, of the level axis of the FFT
// equaliser's page. The caller sets both, runs it, and reads them after IDOK; OK is refused
// ("Entered value was out of range.") unless the maximum lies above the minimum.
#pragma once
#include "Framework.h"

class CAmplitudeRangeDialog : public CDialog {
public:
    explicit CAmplitudeRangeDialog(CWnd* parent = nullptr);

    int maximum = 0;
    int minimum = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnHelp();

    DECLARE_MESSAGE_MAP()
};

// The help topic of a small dialog of the FFT equaliser, or the equaliser's own when that one
// cannot be shown.
void ShowFftEqHelp(DWORD topic, HWND owner);
