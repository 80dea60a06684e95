// The analysis pane's two modal dialogs. The caller fills the values before DoModal and reads
// them after IDOK.
//   CAnalysisRangeDialog (125, "Amplitude Range"): upper in -299 .. 100, lower in -300 .. 99, and
//   not both the same (message 10013); the caller orders the pair.
//   CAnalysisFftDialog (126, "FFT Parameters"): size from the ten offered, overlap kept below
//   the size whenever the overlap edit is left or the size changes, window by list position,
//   Auto Refresh offered for sizes up to 1024 only.
#pragma once
#include "Framework.h"

class CAnalysisRangeDialog : public CDialog {
public:
    explicit CAnalysisRangeDialog(CWnd* parent = nullptr);
    int m_upper = 0;
    int m_lower = -130;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnHelp();
    DECLARE_MESSAGE_MAP()
};

class CAnalysisFftDialog : public CDialog {
public:
    explicit CAnalysisFftDialog(CWnd* parent = nullptr);
    int m_overlap = 0;
    int m_window = -1;
    int m_autoRefresh = 0;
    int m_fftSize = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOverlapKillFocus();
    void OnSizeChange();
    void OnHelp();
    // Reads the controls, brings the overlap below the size and writes them back.
    void LimitOverlap();
    DECLARE_MESSAGE_MAP()
};
