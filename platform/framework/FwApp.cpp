#include "FwApp.h"
#include "FwDocTemplate.h"
#include "FwDocument.h"
#include "FwFileDialog.h"
#include "FwFrame.h"
#include "FwRecentFileList.h"
#include "FwView.h"

namespace {

CWinApp* g_app = nullptr;
HINSTANCE g_resourceHandle = nullptr;
MessageBoxHook g_messageBoxHook;

const char kRecentSection[] = "Recent File List";
const char kRecentEntry[] = "File%d";

} // namespace

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName)
{
    g_app = this;
    m_hInstance = ::GetModuleHandleA(nullptr);
    if (!m_pszAppName)
        m_pszAppName = "Application";
}

CWinApp::~CWinApp()
{
    CloseAllDocuments(TRUE);
    m_templates.clear();
    delete m_pRecentFileList;
    if (m_atomApp)
        ::GlobalDeleteAtom(m_atomApp);
    if (m_atomSystemTopic)
        ::GlobalDeleteAtom(m_atomSystemTopic);
    if (g_app == this)
        g_app = nullptr;
    kvfw::DeleteTempWindows();
}

CWinApp* AfxGetApp()
{
    return g_app;
}
CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}
HINSTANCE AfxGetInstanceHandle()
{
    return g_app ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}
HINSTANCE AfxGetResourceHandle()
{
    return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle();
}
void AfxSetResourceHandle(HINSTANCE instance)
{
    g_resourceHandle = instance;
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = cmdLine ? cmdLine : "";
    app->m_nCmdShow = cmdShow;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

void CWinApp::EnableCommonControls()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return 0;
}

BOOL CWinApp::PumpMessage()
{
    MSG msg;
    return PumpMessage(&msg);
}

BOOL CWinApp::PumpMessage(MSG* msg)
{
    if (!::GetMessageA(msg, nullptr, 0, 0))
        return FALSE;
    if (!PreTranslateMessage(msg)) {
        ::TranslateMessage(msg);
        ::DispatchMessageA(msg);
    }
    return TRUE;
}

int CWinApp::Run()
{
    LONG idleCount = 0;
    bool idle = true;
    for (;;) {
        MSG peek;
        while (idle && !::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        do {
            MSG msg;
            if (!PumpMessage(&msg))
                return ExitInstance();
            // Mouse moves and timer ticks come too often to count as activity.
            UINT m = msg.message;
            if (m != WM_MOUSEMOVE && m != WM_NCMOUSEMOVE && m != WM_TIMER && m != 0x0118 /* caret blink */) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinApp::OnIdle(LONG count)
{
    if (count <= 0) {
        // Command-UI of every bar and the frame titles.
        if (m_pMainWnd && m_pMainWnd->m_hWnd) {
            m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
            m_pMainWnd->SendMessageToObjectDescendants(WM_IDLEUPDATECMDUI, TRUE, 0);
        }
        // Floating frames owned by the main window are not its descendants. This thread's
        // windows are listed at once: a walk of the z-order ends early when another program's
        // window goes during it.
        std::vector<HWND> tops;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND top, LPARAM lp) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(top);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&tops));
        for (HWND top : tops) {
            if (!::IsWindow(top))
                continue;
            if (m_pMainWnd && top == m_pMainWnd->m_hWnd)
                continue;
            CWnd* wnd = CWnd::FromHandlePermanent(top);
            if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)) && ::IsWindowVisible(top)) {
                ::SendMessageA(top, WM_IDLEUPDATECMDUI, TRUE, 0);
                wnd->SendMessageToObjectDescendants(WM_IDLEUPDATECMDUI, TRUE, 0);
            }
        }
        return TRUE;
    }
    kvfw::DeleteTempWindows();
    return FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    // From the target window up through its parents, then the main window.
    HWND stop = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd))
            if (wnd->PreTranslateMessage(msg))
                return TRUE;
        if (hwnd == stop)
            return FALSE;
    }
    if (stop && msg->hwnd) {
        // Owned windows (floating panes) that are not children of the main window.
        if (!::IsChild(stop, msg->hwnd) && ::GetAncestor(msg->hwnd, GA_ROOTOWNER) != stop)
            return FALSE;
        return m_pMainWnd->PreTranslateMessage(msg);
    }
    return FALSE;
}

// ---- message boxes ---------------------------------------------------------------------------

void AfxSetMessageBoxHook(MessageBoxHook hook)
{
    g_messageBoxHook = std::move(hook);
}

int AfxShowMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    if (!caption)
        caption = g_app ? g_app->m_pszAppName : "";
    if (g_messageBoxHook)
        return g_messageBoxHook(text ? text : "", caption, type);
    return ::MessageBoxA(owner, text ? text : "", caption, type);
}

int CWinApp::DoMessageBox(const char* text, UINT type, UINT)
{
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (owner)
        owner = ::GetLastActivePopup(owner);
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            type |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            type |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    return AfxShowMessageBox(owner, text, m_pszAppName, type);
}

int AfxMessageBox(const char* text, UINT type, UINT helpId)
{
    if (CWinApp* app = AfxGetApp())
        return app->DoMessageBox(text, type, helpId);
    return AfxShowMessageBox(nullptr, text, nullptr, type);
}

void AfxFormatString1(CString& result, UINT id, const char* insert)
{
    if (!result.LoadString(id)) {
        switch (id) {
        case AFX_IDP_FAILED_TO_OPEN_DOC:
            result = "Failed to open document %1.";
            break;
        case AFX_IDP_FAILED_TO_SAVE_DOC:
            result = "Failed to save document %1.";
            break;
        case AFX_IDP_FAILED_MAPI_LOAD:
            result = "Unable to load mail system support.";
            break;
        case AFX_IDP_FAILED_MAPI_SEND:
            result = "Send Mail failed to send message.";
            break;
        case AFX_IDP_ASK_TO_SAVE:
            result = "Save changes to %1?";
            break;
        case AFX_IDS_UNTITLED:
            result = "Untitled";
            break;
        default:
            result.Empty();
            break;
        }
    }
    result.Replace("%1", insert ? insert : "");
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId)
{
    CString text;
    text.LoadString(promptId);
    return AfxMessageBox(text, type, helpId == static_cast<UINT>(-1) ? promptId : helpId);
}

// ---- profile ---------------------------------------------------------------------------------

void CWinApp::SetRegistryKey(const char* key)
{
    m_pszRegistryKey = key;
}

void CWinApp::SetRegistryKey(UINT stringId)
{
    static CString stored;
    stored.LoadString(stringId);
    m_pszRegistryKey = stored;
}

HKEY CWinApp::GetAppRegistryKey()
{
    if (!m_pszRegistryKey || !m_pszAppName)
        return nullptr;
    CString path;
    path.Format("Software\\%s\\%s", m_pszRegistryKey, m_pszAppName);
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CWinApp::GetSectionKey(const char* section)
{
    HKEY app = GetAppRegistryKey();
    if (!app)
        return nullptr;
    HKEY key = nullptr;
    LONG rc = ::RegCreateKeyExA(app, section, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                                nullptr);
    ::RegCloseKey(app);
    return rc == ERROR_SUCCESS ? key : nullptr;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    HKEY key = GetSectionKey(section);
    if (!key)
        return static_cast<UINT>(defaultValue);
    DWORD value = 0, type = 0, size = sizeof value;
    LONG rc = ::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return (rc == ERROR_SUCCESS && type == REG_DWORD) ? static_cast<UINT>(value) : static_cast<UINT>(defaultValue);
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    HKEY key = GetSectionKey(section);
    if (!key)
        return FALSE;
    DWORD data = static_cast<DWORD>(value);
    LONG rc = ::RegSetValueExA(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue)
{
    CString result(defaultValue);
    HKEY key = GetSectionKey(section);
    if (!key)
        return result;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExA(key, entry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        CString value;
        char* buffer = value.GetBuffer(static_cast<int>(size) + 1);
        if (::RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS) {
            buffer[size] = '\0';
            value.ReleaseBuffer();
            result = value;
        }
    }
    ::RegCloseKey(key);
    return result;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value)
{
    HKEY key = GetSectionKey(section);
    if (!key)
        return FALSE;
    LONG rc;
    if (!entry) {
        ::RegCloseKey(key);
        HKEY app = GetAppRegistryKey();
        rc = app ? ::RegDeleteKeyA(app, section) : ERROR_INVALID_HANDLE;
        if (app)
            ::RegCloseKey(app);
    } else if (!value) {
        rc = ::RegDeleteValueA(key, entry);
        ::RegCloseKey(key);
    } else {
        rc = ::RegSetValueExA(key, entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                              static_cast<DWORD>(lstrlenA(value)) + 1);
        ::RegCloseKey(key);
    }
    return rc == ERROR_SUCCESS;
}

void CWinApp::LoadStdProfileSettings(UINT maxRecent)
{
    m_maxRecent = maxRecent > 16 ? 16 : maxRecent;
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (m_maxRecent > 0) {
        m_pRecentFileList =
            new CRecentFileList(ID_FILE_MRU_FILE1, kRecentSection, kRecentEntry, static_cast<int>(m_maxRecent));
        m_pRecentFileList->ReadList();
    }
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList)
        m_pRecentFileList->WriteList();
}

// ---- document management ---------------------------------------------------------------------

void CWinApp::AddDocTemplate(CDocTemplate* docTemplate)
{
    if (!docTemplate)
        return;
    docTemplate->LoadTemplate();
    m_templates.emplace_back(docTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const
{
    return m_templates.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(1));
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const
{
    size_t index = static_cast<size_t>(reinterpret_cast<INT_PTR>(pos) - 1);
    CDocTemplate* result = m_templates.at(index).get();
    pos = index + 1 < m_templates.size() ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(index + 2)) : nullptr;
    return result;
}

CDocument* CWinApp::OpenDocumentFile(const char* path)
{
    if (m_templates.empty() || !path || !*path)
        return nullptr;
    char full[MAX_PATH];
    if (!::GetFullPathNameA(path, MAX_PATH, full, nullptr))
        lstrcpynA(full, path, MAX_PATH);
    // A file already open only activates its window.
    for (auto& tpl : m_templates) {
        for (POSITION pos = tpl->GetFirstDocPosition(); pos;) {
            CDocument* doc = tpl->GetNextDoc(pos);
            if (doc->GetPathName().CompareNoCase(full) != 0)
                continue;
            POSITION viewPos = doc->GetFirstViewPosition();
            if (viewPos) {
                CView* view = doc->GetNextView(viewPos);
                if (CFrameWnd* frame = view->GetParentFrame())
                    frame->ActivateFrame();
            }
            return doc;
        }
    }
    // The template whose extension matches, else the first.
    CDocTemplate* chosen = m_templates.front().get();
    const char* dot = strrchr(full, '.');
    for (auto& tpl : m_templates) {
        CString ext;
        if (dot && tpl->GetDocString(ext, CDocTemplate::filterExt) && ext.CompareNoCase(dot) == 0) {
            chosen = tpl.get();
            break;
        }
    }
    return chosen->OpenDocumentFile(full);
}

void CWinApp::AddToRecentFileList(const char* path)
{
    if (m_pRecentFileList)
        m_pRecentFileList->Add(path);
}

BOOL CWinApp::SaveAllModified()
{
    for (auto& tpl : m_templates)
        if (!tpl->SaveAllModified())
            return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL endSession)
{
    for (auto& tpl : m_templates)
        tpl->CloseAllDocuments(endSession);
}

BOOL CWinApp::DoPromptFileName(CString& fileName, const char* title, DWORD flags, BOOL openDialog,
                               CDocTemplate* docTemplate)
{
    CString filter;
    for (auto& tpl : m_templates) {
        if (docTemplate && tpl.get() != docTemplate)
            continue;
        CString name, ext;
        if (tpl->GetDocString(name, CDocTemplate::filterName) && tpl->GetDocString(ext, CDocTemplate::filterExt))
            filter += name + "|*" + ext + "|";
    }
    filter += "All Files (*.*)|*.*||";
    CString defExt;
    if (docTemplate && docTemplate->GetDocString(defExt, CDocTemplate::filterExt) && defExt[0] == '.')
        defExt = defExt.Mid(1);
    CFileDialog dialog(openDialog, defExt.IsEmpty() ? nullptr : static_cast<const char*>(defExt), fileName,
                       flags | OFN_HIDEREADONLY | (openDialog ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT), filter,
                       m_pMainWnd);
    if (title)
        dialog.m_ofn.lpstrTitle = title;
    if (dialog.DoModal() != IDOK)
        return FALSE;
    fileName = dialog.GetPathName();
    return TRUE;
}

void CWinApp::OnFileNew()
{
    if (m_templates.empty())
        return;
    m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    CString path;
    if (!DoPromptFileName(path, "Open", OFN_FILEMUSTEXIST, TRUE, nullptr))
        return;
    OpenDocumentFile(path);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT id)
{
    if (!m_pRecentFileList)
        return FALSE;
    int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_pRecentFileList->GetCount())
        return FALSE;
    CString path = (*m_pRecentFileList)[index];
    if (!OpenDocumentFile(path)) {
        // A file that cannot be opened any more leaves the list.
        m_pRecentFileList->Remove(index);
    }
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* cmdUI)
{
    if (!m_pRecentFileList) {
        cmdUI->Enable(FALSE);
        return;
    }
    m_pRecentFileList->UpdateMenu(cmdUI);
}
