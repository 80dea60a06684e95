// CWinApp: the application object. It runs the message loop (PreTranslateMessage chain, idle
// processing), owns the document templates and acts as the document manager (new, open, close,
// save all, recent-file list), keeps the profile in the registry under
// HKCU\Software\<registry key>\<application name>, and shows the framework's message boxes.
//
//   class CMyApp : public CWinApp { BOOL InitInstance() override; DECLARE_MESSAGE_MAP() };
//   BOOL CMyApp::InitInstance() { EnableCommonControls(); ... }
//   CMyApp theApp;   // one per program; AfxGetApp() returns it
//   int WINAPI WinMain(HINSTANCE i, HINSTANCE, LPSTR cmd, int show) { return AfxWinMain(i, nullptr, cmd, show); }
#pragma once
#include "FwCommandLineInfo.h"
#include "FwWnd.h"
#include "FwResource.h"
#include <commdlg.h>
#include <functional>
#include <memory>
#include <vector>

class CDocTemplate;
class CDocument;
class CRecentFileList;
typedef struct KvFwPosition* POSITION;

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;
    const char* m_pszAppName = nullptr; // also the caption of message boxes
    const char* m_pszRegistryKey = nullptr;
    CRecentFileList* m_pRecentFileList = nullptr;

    // Runs before the message loop; EnableCommonControls first, before any window is made.
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    virtual int Run();
    // Idle work; count is 0 on the first call after messages. TRUE asks for more idle calls.
    virtual BOOL OnIdle(LONG count);
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Registers the common controls' window classes. Left to InitInstance, so that a program that
    // ends before it shows a window need not load them (a delay-loaded common controls library
    // then stays unloaded).
    static void EnableCommonControls();
    // Takes one message from the queue and dispatches it; FALSE on WM_QUIT.
    BOOL PumpMessage();
    BOOL PumpMessage(MSG* msg); // also gives the message taken
    // Every framework message box comes here (AfxMessageBox, the document prompts).
    virtual int DoMessageBox(const char* text, UINT type, UINT helpId);

    // Profile (registry)
    void SetRegistryKey(const char* key);
    void SetRegistryKey(UINT stringId);
    HKEY GetAppRegistryKey();                // caller closes; null without a registry key
    HKEY GetSectionKey(const char* section); // caller closes; created when missing
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    // Reads the recent-file list (maxRecent entries, 0 = none) from the profile.
    void LoadStdProfileSettings(UINT maxRecent = 4);
    void SaveStdProfileSettings();

    // Document management
    void AddDocTemplate(CDocTemplate* docTemplate); // the application owns it
    POSITION GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
    int GetDocTemplateCount() const { return static_cast<int>(m_templates.size()); }
    // Opens a file (or activates the document that has it open); null on failure.
    virtual CDocument* OpenDocumentFile(const char* path);
    virtual void AddToRecentFileList(const char* path);
    BOOL SaveAllModified(); // FALSE when the user cancelled
    void CloseAllDocuments(BOOL endSession);
    // Shows the open or save dialog for the templates' file types; FALSE when cancelled.
    virtual BOOL DoPromptFileName(CString& fileName, const char* title, DWORD flags, BOOL openDialog,
                                  CDocTemplate* docTemplate);

    // Command line and shell
    void ParseCommandLine(CCommandLineInfo& info);
    // Opens the named file or a new document as the command line asks; FALSE when that failed.
    BOOL ProcessShellCommand(CCommandLineInfo& info);
    // Registers each template's file type for the current user (HKCU\Software\Classes): the
    // extension, the type's name and icon, and the open verb (by DDE when the atoms are set).
    void RegisterShellFileTypes(BOOL compat = FALSE);
    // Adds the DDE atoms (application name, "system") the main frame answers the shell with.
    void EnableShellOpen();
    // Carries out a DDE execute string from the shell: "[open("path")]". FALSE when not understood.
    virtual BOOL OnDDECommand(char* command);
    ATOM m_atomApp = 0; // deleted by the destructor
    ATOM m_atomSystemTopic = 0;

    // Command handlers (in the application's message map)
    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    virtual BOOL OnOpenRecentFile(UINT id);
    void OnUpdateRecentFileMenu(CCmdUI* cmdUI);

protected:
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    UINT m_maxRecent = 0;
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
// Runs the application object: InitInstance, then the message loop, then ExitInstance.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow);

int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// A framework string (AFX_IDP_..., AFX_IDS_...): the program's own from its string table when it
// has one, else the built-in English text; "%1" becomes insert. Other ids: the string table only.
void AfxFormatString1(CString& result, UINT id, const char* insert);
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));

// Every message box of the framework ends here. A hook installed by tests answers instead of
// the user (it gets the text, caption and type and returns the button id); null removes it.
using MessageBoxHook = std::function<int(const char* text, const char* caption, UINT type)>;
void AfxSetMessageBoxHook(MessageBoxHook hook);
int AfxShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

namespace kvfw {
void DeleteTempWindows();
// Notes an exception that a handler let escape (it is dropped at the window procedure).
void ReportEscapedException(UINT message);
} // namespace kvfw
