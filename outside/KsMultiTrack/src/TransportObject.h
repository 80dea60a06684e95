// CTransport's declaration, shared by its files: Transport.cpp (the session, the worker and
// the module's list of live transports), Transport_Playback.cpp (the output, its position and
// levels) and Transport_Recording.cpp (the input, monitoring and the takes).
#pragma once
#include "AudioDevices.h"
#include "OutputClock.h"
#include "PlaybackRenderer.h"
#include "TakeFile.h"
#include "Transport.h"

#include "ComObject.h"
#include "ComRef.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CTransport : public ComObject<IMtTransport, PlayPositionFace, RecorderFace, PlayStatusFace, IMtSourceLink,
                                    IMtNotify, IMtDeviceWindow, IMtRecordItems> {
public:
    CTransport();
    ~CTransport() override;

    // IMtTransport
    STDMETHODIMP TogglePause() override;
    STDMETHODIMP Start(LONG mode) override;
    STDMETHODIMP Stop() override;
    STDMETHODIMP Reserved6() override { return E_NOTIMPL; }
    STDMETHODIMP GetState(LONG* state) override;

    // IMtPlayPosition
    HRESULT GetAudiblePosition(LONGLONG* position) override;
    HRESULT SetAudiblePosition(LONGLONG position) override;

    // IMtRecorder
    HRESULT GetRecordedEnd(LONGLONG* position) override;
    LONG GetRecorderStatus() override;
    HRESULT GetInputLevels(LONG* left, LONG* right) override;
    HRESULT GetTakeBytes(LONGLONG* bytes) override;

    // IMtPlayStatus
    HRESULT GetPlayedPosition(LONGLONG* position) override { return GetAudiblePosition(position); }
    LONG GetPlayingStatus() override;
    HRESULT GetOutputLevels(DWORD* packed) override;
    HRESULT GetOutputBuffer(LONG* underruns, LONG* bufferMs) override;

    // IMtSourceLink
    STDMETHODIMP Attach(IUnknown* trackSet, LONG mode) override;
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP SetMonitoring(IUnknown* trackSet, LONG on) override;

    // IMtNotify
    STDMETHODIMP SetNotifyWindow(HWND window, UINT message, LONG) override;

    // IMtDeviceWindow
    STDMETHODIMP SetMainWindow(HWND window) override;

    // IMtRecordItems
    STDMETHODIMP GetItemList(IMtItemList** list) override;

    // MtSuspendAudio: closes the devices, keeping what plays and what is recorded.
    void Suspend();
    void Reopen();

private:
    static constexpr LONG kStopped = 1;
    static constexpr LONG kPlaying = 2;
    static constexpr LONG kRecording = 3;

    // One stretch of output: where it lies in the output's frame count and on the time line.
    struct Span {
        LONGLONG device;
        LONGLONG timeline;
        LONGLONG frames;
        LONG peakLeft;
        LONG peakRight;
    };
    struct Take {
        LONG trackId;
        std::unique_ptr<TakeFile> file;
    };

    // The session (Transport.cpp).
    void PlayRange(LONGLONG* start, LONGLONG* end);
    HRESULT Refuse(const DeviceSettings& settings, bool playback, bool record);
    void CloseSession();
    void Post(HRESULT code);
    void StartWorker();
    void JoinWorker();
    void Run();

    // Playback (Transport_Playback.cpp).
    HRESULT StartPlayback();
    LONGLONG AudibleLocked(const Span** at);
    void ArmTail();
    void HoldUntilFilled();
    void FillOutput();

    // Recording (Transport_Recording.cpp).
    static MtFormat RecordFormat(IMtTrackSet* set);
    HRESULT StartRecording();
    HRESULT FinishTakes();
    void StopMonitoring();
    void DrainInput();

    std::mutex m_lock;
    HANDLE m_wake = nullptr;
    std::thread m_worker;
    std::atomic<bool> m_quit{false};

    ComRef<IMtTrackSet> m_set;
    LONG m_mode = 0;
    ComRef<IMtItemList> m_items;
    HWND m_notifyWindow = nullptr;
    UINT m_notifyMessage = 0;
    HWND m_mainWindow = nullptr;

    LONG m_state = kStopped;
    std::unique_ptr<AudioOutput> m_out;
    std::unique_ptr<AudioInput> m_in;
    PlaybackRenderer m_renderer;
    std::deque<Span> m_spans;
    std::vector<int16_t> m_block;
    LONGLONG m_heard = 0;
    // Silent frames still to go behind the end of the played range.
    LONGLONG m_tailFrames = 0;
    OutputClock m_clock;
    bool m_paused = false;
    bool m_endPosted = false;
    // Paused until the worker's next pass has queued all the output holds.
    bool m_holding = false;
    bool m_suspended = false;

    MtFormat m_inputFormat;
    std::vector<Take> m_takes;
    LONGLONG m_recordStart = 0;
    LONGLONG m_writeFrom = 0;
    LONGLONG m_offsetFrames = 0;
    bool m_armed = false;
    bool m_writing = false;
    bool m_monitoring = false;
    bool m_inputSeen = false;
    bool m_diskFullPosted = false;
    LONG m_inputLeft = 0;
    LONG m_inputRight = 0;
};
