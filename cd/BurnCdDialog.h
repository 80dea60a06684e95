// CBurnCdDialog: "Burn CD". In file mode each added sound file is one track; in window mode the
// tracks are cut from the active document at its cue marks. The dialog lists the tracks with
// their pre-gaps and times beside an 80-minute gauge, converts the files to CD audio through
// the stream library's converter, writes them through the CD writer module (a test write
// first when asked) and erases rewritable media, following each run by a 100 ms timer in the
// application's progress dialog.
#pragma once
#include "BurnSettingsDialogs.h"
#include "BurnTrackList.h"
#include "CdHost.h"
#include "CdIds.h"
#include "CdWriterModule.h"
#include "ComRef.h"
#include "Framework.h"
#include "KsMultiTrack.h"
#include "KvsStrm.h"

#include <memory>
#include <string>
#include <vector>

class CNyMultiTrackDoc;

class CBurnCdDialog : public CDialog {
public:
    enum { IDD = IDD_BURN_CD };
    CBurnCdDialog(CWnd* parent, CdHost& host);
    ~CBurnCdDialog() override;

    void SetSourceView(CView* view);

    static UINT s_tracksStop;     // "NyTracksStop"
    static UINT s_convertNotify;  // "AudioCD Convert Kvss Notify"

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnPreGap();
    void OnAdvanced();
    void OnAddFiles();
    void OnPreview();
    void OnMoveUp();
    void OnMoveDown();
    void OnHelp();
    void OnDelete();
    void OnCombine();
    void OnErase();
    void OnListChanged(NMHDR* header, LRESULT* result);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnContextMenu(CWnd* window, CPoint point);
    void OnInitMenuPopup(HMENU menu, UINT index, BOOL systemMenu);
    LRESULT OnNoAction(WPARAM, LPARAM) { return 0; }
    LRESULT OnPreviewStopped(WPARAM, LPARAM);
    LRESULT OnConverterReport(WPARAM code, LPARAM);
    LRESULT OnDeviceChange(WPARAM event, LPARAM data);

private:
    enum Operation { kIdle = 0, kConverting = 1, kWriting = 2, kErasing = 5 };
    // What the progress dialog is told of a run.
    enum RunState { kStateStarted = 1, kStateProgress = 2, kStateCancelling = 3, kStateDone = 4, kStateError = 5,
                    kStateAborted = 6 };

    // Track list and layout.
    bool FileMode() const { return m_view == nullptr; }
    std::vector<int> SelectedRows() const;
    void FillList();
    void SetTotal(int64_t total);
    void EnableControls();
    void StopPreview();
    void SetColumns();
    // Window mode (BurnCdDialog_Window.cpp).
    CNyMultiTrackDoc* SourceDocument() const;
    void BuildTracksFromDocument();
    void FillWindowList();
    std::string TrackFileName(int trackNumber) const;
    HRESULT RenderDocument();
    void BurnDocument();
    // The mix of the document over the track's range through the engine's player.
    HRESULT PreviewDocumentTrack(const BurnTrackRecord& track);
    // Stops that player and gives the engine the document's selection back.
    void StopDocumentPreview();
    int64_t TotalLength100ns() const;
    // Writer devices, speeds and the chosen one (BurnCdDialog_Run.cpp).
    void ListDevices();
    void ReadSpeeds(BurnDeviceEntry& entry);
    const BurnDeviceEntry* Selected() const;
    // The runs.
    bool CheckMedium();
    HRESULT ConvertFile(size_t index);
    void CloseConverter();
    HRESULT StartWrite();
    // Starts writing the track list; false when it could not start (the run has ended).
    bool BeginWriting();
    void StartTimer();
    // Ends the run; tell: show the end's message.
    void EndRun(int state, bool tell = true);
    void Report(int state, int percent, const std::string& text, bool cancelAllowed);
    bool ReportCancelled();
    void DeleteTemporaries();
    void TickWriting();
    void TickErasing();
    std::string TempFolder() const;
    int Box(UINT id, UINT flags, const std::string& argument = std::string(), const std::string& second = std::string());

    CdHost& m_host;
    CView* m_view = nullptr;
    bool m_rebuild = false;
    std::vector<BurnTrackRecord> m_tracks;
    int64_t m_total = 0;
    bool m_preview = false;
    ComRef<IMtTransport> m_player; // window mode's preview

    CCdWriterModule m_module;
    ICdWriter* m_writer = nullptr;
    std::vector<BurnDeviceEntry> m_devices;
    int32_t m_deviceId = 0;
    char m_letter = 0;
    uint32_t m_capabilities = 0;
    int32_t m_writeModes = 0;
    DWORD m_unitMask = 0;
    int32_t m_speed = 0;
    bool m_testOption = false;
    CBurnAdvancedDialog* m_advanced = nullptr;

    // The run under way.
    UINT_PTR m_timer = 0;
    int m_operation = kIdle;
    int m_phase = 0;
    bool m_test = false;
    bool m_reserved = false;
    ComRef<IStrmConverter> m_converter;
    size_t m_fileIndex = 0;
    uint64_t m_fileLength = 0, m_filePosition = 0, m_finishedSum = 0, m_allFilesMs = 0;
    bool m_converting = false;
    std::vector<CdWriteTrack> m_writeTracks;
    std::vector<std::string> m_temporaries;
    DWORD m_eraseStart = 0;
    int m_eraseEstimate = 0;
    int m_eraseMode = 0;
    int m_eraseState = 0;
    CWnd* m_progress = nullptr;
    bool m_cancelSeen = false;
    DECLARE_MESSAGE_MAP()
};
