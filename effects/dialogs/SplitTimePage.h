// CSplitTimePage: what the interval and silence pages of the split wizard share: a time in
// milliseconds typed into an edit in seconds or milliseconds (the unit list beside it), stepped
// by a spin and kept inside the page's limits; the choice between splitting into files and
// setting cue points, with the "Remove existing cue points" box that only the cue points take;
// "&Back" (the page ends with 3) and "&Help"; and the run after OK: the cue points, or the
// split-to-files dialog with the page's way of cutting.
#pragma once
#include "Framework.h"

#include <commctrl.h>

#include <cstdint>
#include <string>

class CNyMultiTrackDoc;
class CSplitToFilesDialog;

class CSplitTimePage : public CDialog {
public:
    static constexpr int kBack = 3;

    int64_t m_valueMs = 0;     // the time the page shows
    int m_unit = 0;            // 0 seconds, 1 milliseconds
    int m_method = 0;          // 0 split to files, 1 set cue points
    bool m_removeCues = false; // remove existing cue points first
    DWORD m_formatWord = 0x80000000; // a multichannel document's channel word, for the files

protected:
    struct TimeControls {
        int edit, spin, unit;
    };
    CSplitTimePage(UINT templateId, CWnd* parent, TimeControls controls, UINT helpTopic);

    // The page's limits of the time (inclusive).
    virtual int64_t Minimum() const = 0;
    virtual int64_t Maximum() const = 0;
    // The spin follows the value (else only its arrows are used).
    virtual bool SpinFollowsValue() const { return false; }
    // The cue-point method's run after OK (the main window repainted).
    virtual void SetCuePoints(CNyMultiTrackDoc* document, CWnd* main) = 0;
    // The page's way of cutting handed to the split-to-files dialog.
    virtual void DescribeCuts(CSplitToFilesDialog& files) const = 0;

    // The page, then the chosen method's run; the page's result (IDOK, IDCANCEL or kBack).
    INT_PTR RunPage(CNyMultiTrackDoc* document);

    // Fills the unit list, checks the method and the box and shows the time.
    void InitTimeControls();
    // The edit's time, unclamped; the shown one when the text holds no number.
    int64_t ReadTypedTime();
    // The edit read and brought inside the limits, then shown again.
    void TakeTypedTime();
    void ShowTime();
    // The checked method and the box, with the button text and the box's state they imply.
    void ApplyMethodRule();
    int CheckedMethod() const;

    void OnSpin(NMHDR* header, LRESULT* result);
    void OnUnitChanged();
    void OnTimeKillFocus();
    void OnMethodClicked();
    void OnBack();
    void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    int64_t Clamp(int64_t ms) const;

    TimeControls m_controls;
    std::string m_shownText; // what ShowTime put into the edit
    UINT m_helpTopic;
};
