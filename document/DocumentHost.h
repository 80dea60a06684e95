// DocumentHost: what the multitrack document asks of the program around it (the application
// object, its main frame and the controller and mixer panes). The program installs its own at
// start-up; without one the built-in host answers as a program without panes would: the
// default settings record read from "Settings" on first use, no ASIO driver, no transport,
// no mixer, failures shown in a plain message box.
#pragma once
#include "DocumentRecords.h"

#include <windows.h>

#include <string>
#include <vector>

struct IKvSKsFIO;
class CNyMultiTrackDoc;

// What the save dialog gives back: the path, the chosen file type and whether the document
// holds what that type cannot store (it is then written as a mixdown).
struct SaveAsChoice {
    std::string path;
    int type = -1;
    BOOL formatLoss = FALSE;
};

class DocumentHost {
public:
    // The program-wide default settings record; new documents copy it, and the envelope
    // display switches (view-option bits 7 and 8) live only here.
    virtual DocumentSettings& DefaultSettings() = 0;
    // Playback and recording run through an ASIO driver: several tracks may be armed.
    virtual BOOL IsAsioInUse() = 0;
    // Shows the text of a result code in a plain message box (record arming refusals).
    virtual void ShowErrorText(HRESULT code) = 0;
    // The common error box (nothing for a cancel).
    virtual void ShowErrorBox(HRESULT code, UINT style) = 0;
    // A colour of the skin (index 1: the colour of a track that has none yet).
    virtual COLORREF SkinColorAt(int index) = 0;

    // The controller: plays or records; records while playing; (re)starts input monitoring
    // for the armed tracks; stops the transport; re-checks its format, monitoring and display.
    virtual BOOL IsTransportBusy() = 0;
    virtual BOOL IsRecordWhilePlaying() = 0;
    virtual HRESULT SetupMonitoring() = 0;
    virtual HRESULT StopTransport() = 0;
    virtual void RefreshController() = 0;
    // The mixer: repaints its strips, or discards and rebuilds them; refreshes the master.
    virtual void RefreshMixer(BOOL rebuild) = 0;
    virtual void UpdateMasterVolume() = 0;
    // A text in a message box of these buttons and icon; the button pressed (IDOK, IDYES ...).
    virtual int ShowMessageText(const char* text, UINT style);
    // The file module the program holds; the built-in host makes one from "KvSKsFIO.dll" on
    // first use. Null when it cannot be made.
    virtual IKvSKsFIO* FileModule();
    // The file type the open or save dialog chose for the next load (-1: detect it).
    virtual LONG FileTypeHint() { return -1; }
    // The "ChannelSplit" setting: every sound file opens as one mono track per channel.
    virtual BOOL IsChannelSplitOn();
    // The "CommandLogging" switch: documents keep an edit journal for recovery.
    virtual BOOL IsCommandLoggingOn();
    // The window that owns the file module's progress and questions (the main frame).
    virtual HWND OwnerWindow() { return nullptr; }
    // Runs the save dialog of a mode (0 export, 1 save as, 2 save of a sound-file document)
    // for the document; FALSE when cancelled. The built-in host has no dialog.
    virtual BOOL RunSaveDialog(CNyMultiTrackDoc* document, int mode, SaveAsChoice* choice);
    // The open dialog of a video file ("Open Video File"), starting at path; FALSE when cancelled.
    virtual BOOL RunOpenVideoDialog(std::string* path);
    // Runs the open dialog in import mode for the document: the chosen paths; FALSE when
    // cancelled. The built-in host has no dialog.
    virtual BOOL RunImportDialog(CNyMultiTrackDoc* document, std::vector<std::string>* paths);

protected:
    ~DocumentHost() = default;
};

// Null puts the built-in host back.
void SetDocumentHost(DocumentHost* host);
DocumentHost& GetDocumentHost();
