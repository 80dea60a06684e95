// CSplitIntervalDialog ("Interval Settings"): the split wizard's page for splitting at a set
// interval (500 ms up to the document's length), remembered as "DivideEquallyInfo"; Run goes
// on to the split-to-files dialog or sets cue points every interval as one "Cue" step.
#pragma once
#include "SplitTimePage.h"

#include <cstdint>

class CNyMultiTrackDoc;

class CSplitIntervalDialog : public CSplitTimePage {
public:
    explicit CSplitIntervalDialog(CWnd* parent = nullptr);

    // The page, then its run; the page's result (IDOK, IDCANCEL or 3 for Back).
    INT_PTR Run(CNyMultiTrackDoc* document);
    // Cue points every interval below the document's end, as one "Cue" step (removing every
    // label but the track labels first when asked); failures shown.
    static HRESULT SetCuePointsAtInterval(CNyMultiTrackDoc* document, int64_t intervalMs, bool removeExisting);

    int64_t m_maximumMs = -1; // the document's length in milliseconds

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    int64_t Minimum() const override;
    int64_t Maximum() const override;
    void SetCuePoints(CNyMultiTrackDoc* document, CWnd* main) override;
    void DescribeCuts(CSplitToFilesDialog& files) const override;
    DECLARE_MESSAGE_MAP()
};
