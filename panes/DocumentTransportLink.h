// DocumentTransportLink: the Controller's link for a document without a view of its own (and
// the tests' stand-in for the multitrack view): it keeps the state word, converts positions at
// the document's rate, plays the whole document or the selection, and answers Play/Stop and
// Go to Start itself.
#pragma once
#include "ControllerViewLink.h"

class CNyControlView;

class DocumentTransportLink : public ControllerViewLink {
public:
    DocumentTransportLink(CNyMultiTrackDoc* document, CNyControlView* controller)
        : m_document(document), m_controller(controller)
    {
    }
    virtual ~DocumentTransportLink() = default;

    CNyMultiTrackDoc* GetDocument() override { return m_document; }
    HWND GetViewWindow() override { return nullptr; }
    uint32_t GetTransportState() override { return m_state; }
    void SetTransportState(uint32_t state) override { m_state = state; }
    int64_t SamplesToTime(int64_t frames) override;
    bool IsSelectionPlayable() override;
    bool IsBusy() override { return false; }
    int64_t GetPausedPosition() override { return m_pausedPosition; }
    void SetPausedPosition(int64_t position) override { m_pausedPosition = position; }
    bool IsPlayTimerRunning() override { return m_playing; }
    void KillPlayTimer() override { m_playing = false; }
    void OnPlayStarted() override { m_playing = true; }
    void OnPlayStopped(int64_t position) override { m_stoppedAt = position; }
    void SetEditPosition(int64_t position) override { m_editPosition = position; }
    void SetEngineLoop(bool on) override;
    void SetAutomation(bool write, bool on) override;
    void SendCommand(UINT id) override;
    void SendChar(char ch) override;
    bool IsTransportIdle() override;
    void ShowCaret(bool) override {}
    void RefreshCaret() override {}
    void AfterStop() override {}
    void SelectionMoved() override {}
    StripLevelTarget* GetLevelTarget() override { return nullptr; }
    int64_t GetPlayPosition() override { return -1; }

private:
    CNyMultiTrackDoc* m_document;
    CNyControlView* m_controller;
    uint32_t m_state = 0;
    int64_t m_pausedPosition = -1;
    int64_t m_stoppedAt = -1;
    int64_t m_editPosition = -1;
    bool m_playing = false;
    int m_fitCommands = 0;
};
