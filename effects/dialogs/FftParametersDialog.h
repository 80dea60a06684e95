// CFftParametersDialog: the FFT size, overlap and window of the FFT equaliser's analysis. The
// caller sets fftSize, overlap and windowType, runs it, and reads them after IDOK. The overlap
// stays below the size as either is changed; the readout beside it shows "/size (percent%)".
#pragma once
#include "Framework.h"

#include <string>

class CFftParametersDialog : public CDialog {
public:
    explicit CFftParametersDialog(CWnd* parent = nullptr);

    // "/1024 (25.000%)" for a size of 1024 and an overlap of 256.
    static std::string OverlapReadout(int fftSize, int overlap);

    CComboBox windowList;
    CComboBox sizeList;
    int overlap = 0;
    int fftSize = 0;
    int windowType = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnHelp();
    void OnSizeChange();
    void OnOverlapChange();

    DECLARE_MESSAGE_MAP()

private:
    // The chosen size's value into fftSize; false when no size is chosen.
    bool TakeChosenSize();
    // Keeps the overlap below the size, writing it back when it changed.
    void LimitOverlap();
    void ShowReadout();
    bool m_writing = false; // the dialog sets the overlap's text itself
};
