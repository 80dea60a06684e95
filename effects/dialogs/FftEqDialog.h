// CFftEqDialog: the FFT equaliser's dialog. It hosts the module's one page (a curve over the
// spectrum of one channel of one track), chooses that track and channel, sets the analysis
// (FFT size, overlap, window), the level range and the frequency axis, and runs the analysis,
// the preview, the apply and the render into a new window on its own worker. LoadPlugin
// analyses the first selected track's first channel and shows the dialog only when that
// succeeded.
//
//   CFftEqDialog dialog;                                  // no parent
//   HRESULT hr = dialog.LoadPlugin(row, document, mainWindow);
//
// The page hears of every job through the registered message "WM_FFTEQ_BUTTONDOWN" (lParam:
// 1 an apply or new-window render starts, 4 it failed, 2 a preview starts, 3 it ended, 0 the
// dialog is cancelled), and re-reads the filter when its curve (control 1063) is double-clicked.
// The page site and the skinned look are CSkinnedPageDialog's. Split by topic: FftEqDialog.cpp
// (the run, the buttons, the jobs), FftEqDialog_Look.cpp (the page and the layout).
#pragma once
#include "ComRef.h"
#include "SkinnedPageDialog.h"

#include <map>
#include <string>
#include <vector>

#include <ocidl.h>
#include <strmif.h>

class CFftEqRenderWorker;
class CNyMultiTrackDoc;
struct EffectModuleEntry;
struct FftEqParameters;
struct IFftEqualizer;
struct IMtTrackSet;

// The registered "WM_FFTEQ_BUTTONDOWN"; the program registers it at start.
UINT FftEqButtonDownMessage();

class CFftEqDialog : public CSkinnedPageDialog {
public:
    explicit CFftEqDialog(CWnd* parent = nullptr);
    ~CFftEqDialog() override;

    // The whole run; the first analysis's result (whatever the user chose in the dialog), or
    // the failing code (a module that cannot be loaded has shown "Failed to load the
    // plugin(s)."; a document without a selected track has said so, before the module or the
    // engine was asked anything, and answers the cancel code).
    HRESULT LoadPlugin(EffectModuleEntry* row, CNyMultiTrackDoc* document, HWND progressWindow);

    // The track list: one item per channel of each selected track ("TRACK 2" for a mono track,
    // "TRACK 1 - L", "TRACK 1 - R" for a stereo one), and back: the track index and the channel
    // of an item, given each track's channel count (false for text of no track).
    struct TrackShape {
        int index;
        int channels;
    };
    static std::vector<std::string> TrackItems(const std::vector<TrackShape>& selected);
    static bool ParseTrackItem(const char* item, const std::vector<int>& channelsOfTracks, int* track, int* channel);

    // What a test looks at.
    IFftEqualizer* Equalizer() const { return m_equalizer.Get(); }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnPreview();
    void OnNewWindow();
    void OnReset();
    void OnHelp();
    void OnSettings();
    void OnRange();
    void OnLogAxis();
    void OnLinearAxis();
    void OnTrackChange();

    DECLARE_MESSAGE_MAP()

private:
    struct LayoutRecord {
        int id;
        RECT rect; // client coordinates
    };

    // The jobs (FftEqDialog.cpp).
    bool GetParameters(FftEqParameters* parameters);
    HRESULT SetParameters(const FftEqParameters& parameters);
    HRESULT RestoreLastSettings();
    HRESULT SaveLastSettings();
    void Broadcast(LPARAM stage);
    void RefreshPage();
    void EnableChildren(BOOL enable);
    HRESULT RunJob(void (CFftEqRenderWorker::*post)(HWND));
    void Reanalyse(const FftEqParameters& previous);
    void FillTrackList();
    void EndPreview();
    void CopyTrackLabels(CNyMultiTrackDoc* target);
    // The page and the layout (FftEqDialog_Look.cpp).
    void RecordLayout();
    void MoveControl(const char* name, int dx, int dy, bool grow);

    ComRef<IBaseFilter> m_effect;
    ComRef<IFftEqualizer> m_equalizer;
    ComRef<IMtTrackSet> m_engine;
    int m_layoutRecorded = 0;
    UINT m_commandId = 0;
    std::string m_moduleFile;
    CLSID m_classId{};
    std::string m_caption;
    HMODULE m_module = nullptr;
    CNyMultiTrackDoc* m_document = nullptr;
    HWND m_progressWindow = nullptr;
    std::map<std::string, LayoutRecord> m_layout;
    SIZE m_minimumSize{0, 0};
    CFftEqRenderWorker* m_worker = nullptr;
    bool m_busy = false; // a job runs: Esc and the caption's close wait
};
