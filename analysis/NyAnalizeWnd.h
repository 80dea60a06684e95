// CNyAnalizeWnd: the client of the frequency analysis pane. Bound to one multitrack view, it
// analyses one channel of one selected track of the view's document (the whole selection, or
// the block at the playback position while the transport runs), draws the result, shows the
// value under the mouse in the frame's status bar, keeps its settings under "Settings" and
// exports what it shows as CSV. Files by topic:
//   NyAnalizeWnd.cpp          construction, settings, painting, mouse, view commands, dialogs
//   NyAnalizeWnd_Analyze.cpp  the channel list and the analysis runs
//   NyAnalizeWnd_Export.cpp   the CSV export
#pragma once
#include "AnalysisText.h"
#include "Framework.h"
#include "FrequencyGraph.h"

#include <cstdint>
#include <memory>
#include <string>

class CSpectrumAnalyzer;
class CNyAnalizeFrame;
class CNyMultiTrackView;

class CNyAnalizeWnd : public CWnd {
public:
    // Reads the settings (brought into their ranges) and primes the analyser with one run over
    // fftSize frames of silence, so that a result exists before the first analysis.
    CNyAnalizeWnd();
    ~CNyAnalizeWnd() override;

    void SetView(CNyMultiTrackView* view);
    CNyMultiTrackView* GetView() const { return m_view; }
    CNyAnalizeFrame* GetFrame() const;
    const CSpectrumAnalyzer& GetAnalyzer() const { return *m_analyzer; }
    const AnalysisSettings& GetSettings() const { return m_settings; }
    int GetTrack() const { return m_track; }
    int GetChannel() const { return m_channel; }
    bool IsBusy() const { return m_busy != 0; }

    // Nothing unless Auto Refresh is on and the size is at most 1024; resetKey forgets the last
    // run's key; then the selection is analysed again (list refilled).
    void Refresh(int resetKey);
    // The block of fftSize frames at a position while the transport runs; quiet when unbound or busy.
    void Analyze(int64_t position);
    // E_FAIL without a view, while the transport runs, while busy, or with no selected track.
    HRESULT AnalyzeSelection(BOOL refill);
    // The CSV file of what is shown, written beside the path and renamed over it when whole:
    // S_OK, or the system's error as HRESULT_FROM_WIN32 with nothing left behind.
    HRESULT ExportCsv(const char* path);
    // The name the export proposes (empty for a document without a title).
    std::string DefaultExportName() const;

    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* createParam = nullptr) override;

    // Window messages
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnMouseMove(UINT flags, CPoint point);
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnSize(UINT type, int cx, int cy);

    // Commands
    void OnAmplitudeRange();
    void OnAxisType(UINT id);
    void OnUpdateAxisType(CCmdUI* cmdUI);
    void OnGraphType(UINT id);
    void OnUpdateGraphType(CCmdUI* cmdUI);
    void OnFftParameters();
    void OnUpdateFftParameters(CCmdUI* cmdUI);
    void OnSaveData();
    void OnUpdateSaveData(CCmdUI* cmdUI);
    void OnClosePane();
    void OnRefreshCommand();
    void OnUpdateRefresh(CCmdUI* cmdUI);
    void OnChannelChange();
    void OnSelectTrack(UINT id);

private:
    struct Range {
        int64_t start;
        int64_t length;
        bool real; // a selection with a length (progress shown)
    };
    // The track and channel to analyse, checked against the document; FALSE without one.
    BOOL PickTrack();
    void FillChannelList();
    // Reads the range of the current track and channel into the analyser.
    HRESULT RunAnalysis(const Range& range, bool fixedBlocks);
    void InvalidateKey() { m_lastStart = m_lastLength = -1; }
    GraphSettings CurrentGraphSettings() const;
    void SaveSetting(const char* entry, int value);
    // The channel of the selected list entry (0 without one).
    int ShownChannel() const;
    std::string SelectedEntryText() const;

    CNyMultiTrackView* m_view = nullptr;
    std::unique_ptr<CSpectrumAnalyzer> m_analyzer;
    AnalysisSettings m_settings;
    GraphState m_graph;
    double m_cursorFrequency = -1.0, m_cursorLevel = -1.0;
    int m_busy = 0;
    int m_showProgress = 0;
    int m_track = -1, m_channel = -1;
    int64_t m_lastStart = 0, m_lastLength = 0;
    DECLARE_MESSAGE_MAP()
};
