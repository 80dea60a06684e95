// CNyApp: the program's application object. It registers the multitrack document template,
// creates the main frame, starts GDI+ and loads the skin, and runs the framework's message
// loop; the program ends when the main frame closes. It is also what the document asks of the
// program around it (DocumentHost) and keeps the one in-place edit window of the panes
// (IInPlaceEditHost).
#pragma once
#include "BaseWin.h"
#include "DocumentHost.h"
#include "EnvSheetHost.h"
#include "Framework.h"

#include <unknwn.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CProgressDlg;
struct IMtTempStore;
struct IMtTrackSet;
struct FileFormatEntry;
class CSkinColorTable;
class CSkinImageTable;
class FontSet;
class GdiplusSession;

class CNyApp : public CWinApp, public DocumentHost, public IInPlaceEditHost, public EnvSheetHost {
public:
    CNyApp();
    ~CNyApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;
    // The framework's message boxes run with the main window in its modal state.
    int DoMessageBox(const char* text, UINT type, UINT helpId) override;
    // The shell's (or a second copy's) "[open("path")]": detects the file's type.
    BOOL OnDDECommand(char* command) override;
    // The DDE atoms "KvSound" and "system" the main frame answers the shell with.
    void RegisterShellOpenAtoms();

    // Program-wide settings of section "Settings" (NyApp_Settings.cpp).
    void LoadSettings();
    void SaveSettings();
    // Where the running program is, for other programs; 0 or the key's creation error.
    LONG WriteInstanceInfo();
    // The documents to reopen at the next start ("Last File List").
    void SaveLastFiles();
    void ReopenLastFiles(int fromMachineKey);
    void UpdateAllDocuments();
    // The automation switches: kept, given to every open document's engine, views redrawn.
    void SetReadAutomation(int on);
    void SetWriteAutomation(int on);
    // The main menus kept loaded: 0 normal (403), 1 fade mode (423), 2 envelope mode (424).
    HMENU GetKeptMenu(int mode) const { return mode >= 0 && mode < 3 ? m_menus[mode] : nullptr; }

    // The operation's progress dialog when one is open, else the start-up one.
    CProgressDlg* GetProgressDialog();
    BOOL OpenProgressDialog(CWnd* owner);
    void CloseProgressDialog();

    // File commands (NyApp_FileCommands.cpp).
    void OnFileNew();
    void OnFileOpen();
    void OnUpdateFileNewOpen(CCmdUI* cmdUI);
    BOOL OnOpenRecentFile(UINT id) override;
    void OnUpdateRecentFileMenu(CCmdUI* cmdUI);
    void OnUpdateAppExit(CCmdUI* cmdUI);
    void OnAppAbout();
    // The chosen files' full paths: 1 when files were chosen, else the dialog's result (0
    // when the file module offers no types). Command 57601 open, 1000 import.
    int RunOpenDialog(std::vector<CString>* paths, UINT command, int filterArgument);
    // File New, and the newest document of the template.
    CDocument* CreateNewDocument();
    // A document asks to be closed and loaded again; the main frame's reopen message runs it.
    void RequestReopenDocument(CDocument* document);
    void ReopenDocument();
    // Playback or recording runs: file commands and Exit wait.
    BOOL IsEngineBusy();

    // Pending-open parameters the document reads when it opens a file.
    int m_openAsFileType = -1; // -1: detect from the file
    int m_splitChannels = 0;
    int m_currentDocumentType = 0;
    int m_pendingFileInfoSet = -1; // second word of the pending file-information record
    int m_commandLogging = 1;
    // Whether the CD writer module is there: looked at on first use, not at start (reading a
    // module's version maps it, and only the CD commands' states need it).
    BOOL IsCdWriterPresent();
    uint64_t m_tempSpaceBudget = ~uint64_t(0);

    // The code's text in a box: the prefix (when given) and "\n\r" before it; the caption
    // given, "Warning" for a full set of tracks, else the program's. A cancel shows nothing
    // and returns 0; otherwise the box's result, and the active view gets the focus back.
    int ShowErrorBox(HRESULT code, const char* caption, const char* prefix, UINT style);

    // The in-place edit window: whether one is open, and the id of the control it edits
    // (0 when none is open).
    BOOL IsInPlaceEditActive(int* controlId);

    // DocumentHost
    DocumentSettings& DefaultSettings() override;
    BOOL IsAsioInUse() override;
    void ShowErrorText(HRESULT code) override;
    void ShowErrorBox(HRESULT code, UINT style) override;
    void ShowLoadError(HRESULT code, const char* path) override;
    COLORREF SkinColorAt(int index) override;
    BOOL IsTransportBusy() override;
    BOOL IsRecordWhilePlaying() override;
    HRESULT SetupMonitoring() override;
    HRESULT StopTransport() override;
    void RefreshController() override;
    void RefreshMixer(BOOL rebuild) override;
    void UpdateMasterVolume() override;
    // The file flows (NyApp_DocumentFiles.cpp): the program's file module, main window,
    // pending-open choices and the Save and Import dialogs.
    int ShowMessageText(const char* text, UINT style) override;
    IKvSKsFIO* FileModule() override;
    LONG FileTypeHint() override;
    BOOL IsChannelSplitOn() override;
    BOOL IsCommandLoggingOn() override;
    HWND OwnerWindow() override;
    BOOL RunSaveDialog(CNyMultiTrackDoc* document, int mode, SaveAsChoice* choice) override;
    BOOL RunImportDialog(CNyMultiTrackDoc* document, std::vector<std::string>* paths) override;
    uint32_t CurrentDocumentType() override;
    void ClearFileTypeHint() override;
    void RequestReopen(CNyMultiTrackDoc* document) override;
    void OpenFurtherDocument(const char* path, int fileType, uint32_t documentType) override;

    // EnvSheetHost (NyApp_DocumentFiles.cpp): the settings sheet's temporary folder, panes and
    // store; installed with the document host, with the format texts of Properties and the
    // dialogs the view opens (Properties, the recording timer).
    std::string TempFolder() override;
    void SetTempFolder(const std::string& folder) override;
    void CreateTempFolder() override;
    void ArrangePanesAtDefaults() override;
    HRESULT GetTempStore(ComRef<IMtTempStore>& store) override;
    void InstallSettingsHosts(bool install);

    // IInPlaceEditHost
    void BeginInPlaceEdit(CWnd* edit, int controlId) override;
    CWnd* GetInPlaceEdit() override;
    void EndInPlaceEdit() override;
    void RestartInPlaceEdit() override;

private:
    int m_cdWriterPresent = -1; // -1 until first asked
    struct OpenRequest {
        const char* filter;
        DWORD flags;
        const char* title;
        const char* folder;
        UINT command;
        int filterArgument;
        const FileFormatEntry* types;
        LONG count;
    };
    struct OpenChoice {
        std::vector<CString> paths;
        int fileType = -1;
        int splitChannels = 0;
    };
    INT_PTR ChooseFilesToOpen(const OpenRequest& request, OpenChoice* choice);
    static int DocumentFileFormat(CDocument* document);
    static bool DocumentViewIsBusy(CDocument* document);
    void ForEachDocumentTrackSet(const std::function<void(IMtTrackSet*)>& apply);

    // Refuses a second copy (handing it the file named) and a copy of another user; FALSE ends
    // the start.
    BOOL ClaimSingleInstance();
    void ReleaseInstanceObjects();
    // Temporary folders, the engine's store and the last save folder; FALSE ends the start.
    BOOL PrepareFolders();
    BOOL StartEngine();
    void PlaceMainWindow(CWnd* frame);
    // The ddeexec values of the document type, for the shell's open by DDE.
    void RegisterDdeExecValues();
    // The stream library and its AIFF channel tables; nothing of it is checked.
    void StartStreamLibrary();
    // Offers the work a killed session left; IDOK when documents were rebuilt.
    INT_PTR RunSessionRecovery();
    // The main frame's panes, asked for once each in their order.
    void CreatePanes();
    // Colours, images and fonts every window draws with; images need GDI+ running.
    bool LoadSkin();
    void FreeSkin();
    // Takes this object out of the document's and the panes' reach.
    void ReleaseHosts();

    std::unique_ptr<GdiplusSession> m_gdiplus;
    std::unique_ptr<CSkinColorTable> m_skinColors;
    std::unique_ptr<CSkinImageTable> m_skinImages;
    std::unique_ptr<FontSet> m_fonts;

    // The record new documents copy, read from "Settings" once.
    DocumentSettings m_defaultSettings{};
    bool m_defaultSettingsRead = false;

    // The label editor opens it; until then the slot stays empty.
    std::unique_ptr<CWnd> m_inPlaceEdit;
    int m_inPlaceEditControlId = 0;

    // Single instance: the mutexes and the block naming the user who runs the program.
    HANDLE m_globalMutex = nullptr;
    HANDLE m_localMutex = nullptr;
    HANDLE m_sharedMemory = nullptr;
    PSECURITY_DESCRIPTOR m_everyoneDescriptor = nullptr;
    bool m_globalBlockRan = false;

    CString m_tempPath;
    CString m_vstPath;
    HBITMAP m_patternBitmap = nullptr;
    HMENU m_menus[3] = {};
    ComRef<IMtTempStore> m_tempStore;
    ComRef<IUnknown> m_fileIo; // the file module's object
    bool m_comStarted = false;
    bool m_engineStarted = false;
    bool m_streamLibraryStarted = false;
    std::unique_ptr<CProgressDlg> m_startupProgress;
    std::unique_ptr<CProgressDlg> m_operationProgress;
    CString m_reopenPath;
    CDocument* m_reopenDocument = nullptr;
    int m_reopenFileType = -1;
    DECLARE_MESSAGE_MAP()
};

// The private clipboard format "KorvaneSound Clip".
UINT RegisterClipboardFormatClip();
// The document of the main window's active frame, or null.
CDocument* GetActiveFrameDocument();
