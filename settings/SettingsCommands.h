// The main frame's settings commands: "Settings..." (the settings sheet) and "Audio Device
// Settings..." (the device dialog with the engine's audio suspended while it is open). What
// follows an accepted run in the panes (the controller reloads its device settings, the mixer
// rebuilds; the ASIO flag reaches the documents' engines and the pane layout) is the main
// frame's, after these return.
#pragma once
#include "Framework.h"

#include <functional>

struct SettingsSheetRun {
    BOOL accepted = FALSE; // closed with OK and saved
    int lastPage = 0;      // the page to start at next time
};

// Runs the sheet at startPage; on OK saves under a wait cursor and, when a change needs it,
// repaints every view of every document of the first template.
SettingsSheetRun RunSettingsSheet(CWnd* mainWindow, int startPage);

// Engine audio on (0) and off (1); the engine's MtSuspendAudio unless a test gives its own.
using AudioSuspender = std::function<void(LONG suspend)>;

struct AudioDeviceRun {
    INT_PTR result = IDCANCEL;
    int asioUse = 0; // "AsioUse" read after OK
};

// Runs the audio device dialog modally between suspending the engine's audio and resuming it.
AudioDeviceRun RunAudioDeviceSettings(const AudioSuspender& suspend = AudioSuspender());
