// CSilenceDetectionDialog ("Silence Detection Settings"): the split wizard's page for splitting
// at silence: the least duration of a silence (500 to 2000 ms), the source type that sets the
// detection levels, and the method, remembered as "BlankTimeType", "BlankTimeLength" and
// "DivideSilenceInfo". Without a window it holds a silence-detection run: the silence finder
// renders the whole document and reports its silences, which become cue points (one "Cue"
// step) or, for the split-to-files dialog, the cut positions it asked for.
#pragma once
#include "SplitTimePage.h"

#include <cstdint>
#include <vector>

class CNyMultiTrackDoc;
struct ISilenceFinderSettings;

class CSilenceDetectionDialog : public CSplitTimePage {
public:
    explicit CSilenceDetectionDialog(CWnd* parent = nullptr);

    // The page, then its run; the page's result (IDOK, IDCANCEL or 3 for Back).
    INT_PTR Run(CNyMultiTrackDoc* document);
    // Finds the silences of the whole document (the progress dialog over window) and, with
    // the cue-point method, sets a cue in the middle of each as one "Cue" step; with
    // m_cutPositions set, puts the middles there instead and leaves the document alone.
    // S_OK, 0x83E80005 after Cancel, or the failure (shown, but a cancel).
    HRESULT DetectSilence(CNyMultiTrackDoc* document, CWnd* window);
    // The middles of the silences the finder reported, from the rendered stream's start.
    static std::vector<int64_t> SilenceMiddles(ISilenceFinderSettings* finder);

    int m_sourceType = 0;
    int m_levelA = 600, m_levelB = 3000;
    // The split-to-files dialog's cut positions (null: the run sets cue points).
    std::vector<int64_t>* m_cutPositions = nullptr;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSourceTypeClicked();
    int64_t Minimum() const override;
    int64_t Maximum() const override;
    bool SpinFollowsValue() const override { return true; }
    void SetCuePoints(CNyMultiTrackDoc* document, CWnd* main) override;
    void DescribeCuts(CSplitToFilesDialog& files) const override;
    DECLARE_MESSAGE_MAP()

private:
    void ShowLevels();
};
