// CNyControlView: the Controller pane's view. It owns the engine's transport object (made by
// MtCreateInstance), starts, pauses and stops playback and recording of the attached view's
// document, keeps the transport state bits, paints the skinned panel with its thirteen
// buttons and two digit counters, repeats Rewind and Fast Forward while held, and measures
// what the recording drive can still hold.
//
//   The pane is made by CreateControllerPane (NyControlFrame.h); the view attaches itself:
//   controller->SetActiveView(&link);   ...   controller->Play();
//
// Transport actions throw CNyException; the buttons catch and show it.
#pragma once
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "ControllerViewLink.h"
#include "FontSet.h"
#include "Framework.h"
#include "KsMultiTrack.h"
#include "MixerDevice.h"
#include "TransportBits.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CMixerView;
class RecordingCommand;
class RecordingTakeStore;

// The message the engine posts its end and failures with (code in wParam).
constexpr UINT kMsgPlayEnd = WM_USER + 100;

// Button ids (the compact skin's image ids; the big skin adds 16).
enum ControllerButton : UINT {
    kBtnLoop = 27,
    kBtnToStart = 28,
    kBtnRewind = 29,
    kBtnPlay = 30,
    kBtnForward = 31,
    kBtnStop = 32,
    kBtnPause = 33,
    kBtnRecord = 34,
    kBtnReadAuto = 35,
    kBtnWriteAuto = 36,
    kBtnRecordWhilePlaying = 37,
    kBtnPrevMarker = 38,
    kBtnNextMarker = 39,
};

constexpr HRESULT kErrTooManyRecordChannels = static_cast<HRESULT>(0x83E807D5);
constexpr HRESULT kErrRecordDriveFull = static_cast<HRESULT>(0x83E800DA);

// The 500-byte take description written at the start of a recording.
struct TakeDescription {
    uint8_t bytes[500];
};
// Path: at most 127 bytes and a terminator.
TakeDescription MakeTakeDescription(const char* documentPath, uint32_t documentValue, uint32_t rate, uint16_t bits,
                                    uint16_t channels);

// The read-automation switch the mixdown passes to the tracks reader.
inline BOOL IsReadAutomation();

class CNyControlView : public CView {
public:
    CNyControlView();
    ~CNyControlView() override;

    BOOL CreatePane(CWnd* frame);
    bool InitEngine(bool keepEngine);
    void SetActiveView(ControllerViewLink* view);
    ControllerViewLink* GetActiveView() const { return m_view; }
    void SetMixerView(CMixerView* mixer) { m_mixer = mixer; }
    // The panes that take no input while the transport runs (either may be null).
    void SetTransportPanes(CWnd* selectionControl, CWnd* markerList)
    {
        m_selectionPane = selectionControl;
        m_markerPane = markerList;
    }
    void SetCompactSkin(bool compact) { m_compact = compact; }
    bool IsCompactSkin() const { return m_compact; }
    // The panel image's size in the current skin.
    CSize GetPanelSize() const;
    void UpdateDisplay();

    // Transport state.
    uint32_t GetTransportState() const;
    void SetTransportState(uint32_t state);
    // The engine's state under the name other panes use: 1 stopped, 2 playing, 3 recording.
    HRESULT GetTransportState(LONG* state) { return GetEngineState(state); }
    bool IsLooping() const { return (GetTransportState() & kTransportLoop) != 0; }
    bool IsPlaying() const { return (GetTransportState() & kTransportPlaying) != 0; }
    bool IsPaused() const { return (GetTransportState() & kTransportPaused) != 0; }
    bool IsRecording() const { return (GetTransportState() & kTransportRecording) != 0; }
    bool IsRecordWhilePlaying() const { return (GetTransportState() & kTransportRecordWhilePlaying) != 0; }
    bool IsResumedRecording() const { return m_resumed != 0; }
    bool CanLoop() const;
    bool CanGoToStart() const;
    bool CanWind() const;
    bool CanPlay() const;
    bool CanStop() const;
    bool CanPause() const;
    bool CanRecord() const;
    bool CanRecordWhilePlaying() const;
    bool CanToggleAutomation() const;
    bool CanGoToMarker() const;
    static bool IsReadAutomation();
    static bool IsWriteAutomation();

    // Transport actions.
    void Play();
    void Pause();
    void Record();
    void Stop();
    void StopEngine();
    void FinishRecording();
    void ToggleLoop();
    void ToggleRecordWhilePlaying();
    void ToggleReadAutomation();
    void ToggleWriteAutomation();
    void GoToStart();
    void NextMarker() { JumpToMarker(true); }
    void PreviousMarker() { JumpToMarker(false); }
    void Rewind();
    void FastForward();
    void WindFromKey(bool backward);
    void StartWinding(bool backward);
    void StopWinding();
    int GetWindDirection() const { return m_windDirection; }
    bool IsWindTimerRunning() const { return m_windTimer != 0; }

    // Engine queries of other panes and the view.
    virtual HRESULT GetPlayPosition(int64_t* position);
    virtual HRESULT SetPlayPosition(int64_t position);
    virtual HRESULT GetEngineState(LONG* state);
    virtual LONG GetRecordStatus();
    virtual HRESULT GetRecordLevels(LONG* left, LONG* right);
    virtual LONG GetPlayStatus();
    virtual HRESULT GetPlayLevels(DWORD* packed);
    virtual HRESULT QueryPlayStatus(LONG* underruns, LONG* bufferMs);
    // The lock the thumbnail thread takes around position reads.
    void Lock() { EnterCriticalSection(&m_lock); }
    void Unlock() { LeaveCriticalSection(&m_lock); }

    // Counters and recording input.
    void DrawCounter(CDC* dc);
    void ResetCounter(bool toZero);
    void SetCounterPosition(int64_t position) { m_counterPosition = position; }
    int64_t GetCounterPosition() const { return m_counterPosition; }
    void UpdateCounter(CDC* dc);
    // The remaining-time counter's text (right-aligned in nine characters).
    std::string RemainingText();
    bool GetRecordFormat(uint32_t* rate, uint16_t* bits, uint16_t* channels);
    void GetDefaultRecordFormat(uint32_t* rate, uint16_t* bits, uint16_t* channels);
    int64_t GetRecordableBytes();
    void EnumWaveInDevices();
    void ReloadDeviceSettings();
    void CheckRecordFormat();
    void UpdateMonitoring();
    HRESULT SetupMonitoring();
    bool IsMonitoring() const { return m_monitoring != 0; }
    void SetRecordVolume(int value);
    int GetRecordVolume();
    bool HasRecordVolume() const { return m_recordVolumeControl != DWORD(-1); }

    // The button frame of the current state (0 normal, 1 disabled, 2 pressed, 4 lit ...).
    int GetButtonState(UINT id) const;
    UINT HitTestButton(CPoint point);
    CRect GetButtonRect(UINT id) const;
    // Draws the whole panel into dc (the client's size).
    void Render(CDC* dc);

    // Handlers.
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnDraw(CDC* dc) override;
    LRESULT OnPlayEnd(WPARAM code, LPARAM);

protected:
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnTimer(UINT_PTR id);
    BOOL OnEraseBkgnd(CDC* dc);
    LRESULT OnMixerChange();
    LRESULT OnMixerLineChange(WPARAM, LPARAM);
    LRESULT OnMixerControlChange(WPARAM, LPARAM);

private:
    void LayoutButtons();
    void RedrawButtons(CDC* dc);
    void RunButton(UINT id);
    void SetPlaying();
    void ClearRunState();
    void SetRecordingState();
    void SetPaused(bool on);
    void AfterTransportChange();
    void EnableTransportPanes(bool enable);
    void ReleaseRunInterfaces();
    void ReleaseRecording();
    void PrepareRecording();
    void JumpToMarker(bool next);
    void WindFrom(CNyMultiTrackDoc* doc);
    CNyMultiTrackDoc* Document() const;
    IMtTrackSet* DocumentEngine() const;
    int ImageOf(UINT id) const { return int(id) + (m_compact ? 0 : 16); }
    void ShowError(HRESULT code);
    // Monitoring that failed to start is left off, and the failure shown.
    void MonitoringFailed(HRESULT code);

    CRITICAL_SECTION m_lock;
    ControllerViewLink* m_view = nullptr;
    CMixerView* m_mixer = nullptr;
    CWnd* m_selectionPane = nullptr;
    CWnd* m_markerPane = nullptr;
    uint32_t m_ownState = 0;
    uint32_t m_defaultRate = 44100;
    uint32_t m_deviceBits = 16;
    uint32_t m_requestedBits = 16;
    int m_monitoring = 0;
    int m_resumed = 0;
    CMixerDevice m_mixerDevice;
    DWORD m_recordVolumeControl = DWORD(-1);
    int64_t m_counterPosition = 0;
    UINT m_hotButton = 0;
    UINT m_capturedButton = 0;
    UINT_PTR m_windTimer = 0;
    CRect m_buttons[13];
    std::unique_ptr<DigitFont> m_positionFont;
    std::unique_ptr<DigitFont> m_remainingFont;
    HWND m_tooltip = nullptr;
    int m_endNotice = 0;
    ComRef<IEditCommand> m_recordingCommand;
    ComRef<IJournalFile> m_takeStore;
    ComRef<IMtTransport> m_engine;
    ComRef<IMtPlayPosition> m_position;
    ComRef<IMtRecorder> m_recorder;
    ComRef<IMtPlayStatus> m_status;
    int m_shuttleStart = 0;
    int m_windDirection = 0;
    int64_t m_recordBase = 0;
    DWORD m_lastWindTick = 0;
    bool m_compact = true;
    DECLARE_MESSAGE_MAP()
};

inline BOOL IsReadAutomation()
{
    return CNyControlView::IsReadAutomation() ? TRUE : FALSE;
}
