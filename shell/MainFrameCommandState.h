// The main frame's command-UI decisions, apart from windows so that tests can ask them as
// tables of states.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// A pane toggle's check: 1 when the pane exists and its frame is visible.
int PaneCheckState(bool exists, bool visible);
// Settings and audio device settings: not while a view plays or the controller records.
BOOL SettingsEnabled(BOOL anyViewBusy, BOOL recording);
// Extract Audio from CD: not while the active document is busy.
BOOL ExtractCdEnabled(bool hasDocument, bool documentIdle);

struct BurnCdState {
    enum Popup { kPopupUnchanged, kPopupGrey, kPopupEnabled };
    BOOL enabled;
    Popup popup; // what the "&Burn CD" entry gets when the item stands for the popup
};
BurnCdState BurnCdItemState(UINT commandId, bool hasCdWriter, bool hasDocument, bool documentIdle, int64_t length);

// The controller's state as the "&Control" menu reads it.
struct TransportSnapshot {
    bool hasController = false;
    bool recording = false;
    bool paused = false;
    bool playing = false;
    bool playStartSet = false; // the active view's playback start position is set
};
struct ControlMenuItem {
    UINT id;       // 0: separator
    UINT stringId; // text of the item
};
// The items put above "Recording &Control...", top down.
std::vector<ControlMenuItem> ControlMenuItems(const TransportSnapshot& state);

// Percent of a CD extraction from message 0x1400: done (taken as unsigned 32-bit) x 100 / total,
// in double precision, truncated. total must not be 0.
UINT CdExtractPercent(WPARAM done, LPARAM total);

// The recording device's name asks for the sound card maker's mixer ("USB" prefix, any case).
bool IsUsbRecordDeviceName(const char* name);
struct RecordingMixerProgram {
    const char* file;
    const char* parameters;
};
// The program Recording Control starts for LocateRecordingMixer's answer.
RecordingMixerProgram ChooseRecordingMixer(int located);
// -1: no USB recording device named; 0: its mixer has no recording line to count; else the
// number of recording sources with controls.
int LocateRecordingMixer();
