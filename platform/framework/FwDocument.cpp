#include "FwDocument.h"
#include "FwApp.h"
#include "FwDocTemplate.h"
#include "FwFrame.h"
#include "FwView.h"
#include <algorithm>
#include <memory>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const char* title)
{
    m_strTitle = title ? title : "";
    UpdateFrameCounts();
}

void CDocument::SetPathName(const char* path, BOOL addToRecent)
{
    char full[MAX_PATH];
    if (!path || !::GetFullPathNameA(path, MAX_PATH, full, nullptr))
        lstrcpynA(full, path ? path : "", MAX_PATH);
    m_strPathName = full;
    const char* name = strrchr(full, '\\');
    SetTitle(name ? name + 1 : full);
    if (addToRecent && AfxGetApp())
        AfxGetApp()->AddToRecentFileList(m_strPathName);
}

void CDocument::AddView(CView* view)
{
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    m_views.push_back(view);
    view->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* view)
{
    auto at = std::find(m_views.begin(), m_views.end(), view);
    if (at == m_views.end())
        return;
    m_views.erase(at);
    view->m_pDocument = nullptr;
    OnChangedViewList();
}

POSITION CDocument::GetFirstViewPosition() const
{
    return m_views.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(1));
}

CView* CDocument::GetNextView(POSITION& pos) const
{
    size_t index = static_cast<size_t>(reinterpret_cast<INT_PTR>(pos) - 1);
    CView* view = m_views.at(index);
    pos = index + 1 < m_views.size() ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(index + 2)) : nullptr;
    return view;
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject)
{
    std::vector<CView*> views = m_views; // a view may go away while updating
    for (CView* view : views)
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::OnChangedViewList()
{
    if (m_views.empty() && m_bAutoDelete) {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts()
{
    std::vector<CFrameWnd*> frames;
    for (CView* view : m_views) {
        if (!view->m_hWnd || !view->IsWindowVisible())
            continue;
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
            frames.push_back(frame);
    }
    int number = frames.size() > 1 ? 1 : 0;
    for (CFrameWnd* frame : frames) {
        frame->m_nWindow = number ? number++ : 0;
        frame->OnUpdateFrameTitle(TRUE);
    }
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char*)
{
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char*)
{
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    // Keep this object alive while its frames go (their views leave the list one by one).
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_views.empty()) {
        CView* view = m_views.front();
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && frame->m_hWnd) {
            frame->DestroyWindow();
        } else {
            view->DestroyWindow();
        }
        if (!m_views.empty() && m_views.front() == view)
            RemoveView(view); // a view without a window
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

BOOL CDocument::CanCloseFrame(CFrameWnd* frame)
{
    // Another frame still shows this document: closing this one loses nothing.
    for (CView* view : m_views) {
        CFrameWnd* other = view->GetParentFrame();
        if (other && other != frame)
            return TRUE;
    }
    return SaveModified();
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    if (name.IsEmpty())
        AfxFormatString1(name, AFX_IDS_UNTITLED, nullptr);
    CString prompt;
    AfxFormatString1(prompt, AFX_IDP_ASK_TO_SAVE, name);
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES:
        return DoFileSave();
    case IDNO:
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDocument::DoFileSave()
{
    DWORD attributes = m_strPathName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(m_strPathName);
    // No name yet, or a read-only file: ask for a name.
    if (m_strPathName.IsEmpty() || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)))
        return DoSave(nullptr);
    return DoSave(m_strPathName);
}

BOOL CDocument::DoSave(const char* path, BOOL replace)
{
    CString target(path);
    if (target.IsEmpty()) {
        target = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
        CWinApp* app = AfxGetApp();
        if (!app || !app->DoPromptFileName(target, "Save As", OFN_PATHMUSTEXIST, FALSE, m_pDocTemplate))
            return FALSE;
    }
    if (!OnSaveDocument(target))
        return FALSE;
    if (replace)
        SetPathName(target);
    return TRUE;
}

void CDocument::OnFileClose()
{
    if (!SaveModified())
        return;
    OnCloseDocument();
}

void CDocument::OnFileSave()
{
    DoFileSave();
}
void CDocument::OnFileSaveAs()
{
    DoSave(nullptr);
}

BOOL CDocument::OnCmdMsg(kvfw::CmdRequest& request)
{
    if (CCmdTarget::OnCmdMsg(request))
        return TRUE;
    return m_pDocTemplate ? m_pDocTemplate->OnCmdMsg(request) : FALSE;
}

// ---- files and mail -------------------------------------------------------------------------

namespace {

SendMailHook& MailHook()
{
    static SendMailHook hook;
    return hook;
}

CString FrameworkPrompt(UINT id, const char* fileName)
{
    CString text;
    AfxFormatString1(text, id, fileName);
    return text;
}

} // namespace

void AfxSetSendMailHook(SendMailHook hook)
{
    MailHook() = std::move(hook);
}

CFile* CDocument::GetFile(const char* path, UINT flags, DWORD* error)
{
    std::unique_ptr<CFile> file(new CFile);
    if (!file->Open(path, flags, error))
        return nullptr;
    return file.release();
}

void CDocument::ReleaseFile(CFile* file, BOOL abort)
{
    if (!file)
        return;
    if (abort)
        file->Abort();
    else
        file->Close();
    delete file;
}

void CDocument::ReportSaveLoadException(const char* path, DWORD error, BOOL saving, UINT defaultPromptId)
{
    if (defaultPromptId == 0)
        defaultPromptId = saving ? AFX_IDP_FAILED_TO_SAVE_DOC : AFX_IDP_FAILED_TO_OPEN_DOC;
    CString text = FrameworkPrompt(defaultPromptId, path);
    if (error) {
        // The system's reason, when it has words for it, follows the prompt.
        char* reason = nullptr;
        DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<char*>(&reason), 0, nullptr);
        if (length && reason) {
            CString words(reason);
            words.TrimRight();
            text += "\n";
            text += words;
        }
        if (reason)
            ::LocalFree(reason);
    }
    AfxMessageBox(text, MB_ICONEXCLAMATION);
}

void CDocument::OnFileSendMail()
{
    // A document without a file has nothing to attach yet.
    if (m_strPathName.IsEmpty() && !DoFileSave())
        return;
    if (m_strPathName.IsEmpty())
        return;

    HMODULE mapi = nullptr;
    SendMailHook send = MailHook();
    if (!send) {
        mapi = ::LoadLibraryA("MAPI32.DLL");
        auto function =
            mapi ? reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(::GetProcAddress(mapi, "MAPISendMail")))
                 : nullptr;
        if (!function) {
            if (mapi)
                ::FreeLibrary(mapi);
            AfxMessageBox(FrameworkPrompt(AFX_IDP_FAILED_MAPI_LOAD, nullptr), MB_ICONEXCLAMATION);
            return;
        }
        send = [function](HWND owner, MapiMessage& message) {
            return function(0, reinterpret_cast<ULONG_PTR>(owner), &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
        };
    }

    // The attachment shows under the document's title, with the file's extension.
    CString title = m_strTitle;
    int dot = m_strPathName.ReverseFind('.');
    int slash = m_strPathName.ReverseFind('\\');
    if (dot > slash && title.Find('.') < 0)
        title += m_strPathName.Mid(dot);
    MapiFileDesc attachment = {};
    attachment.nPosition = static_cast<ULONG>(-1);
    attachment.lpszPathName = const_cast<char*>(m_strPathName.GetString());
    attachment.lpszFileName = const_cast<char*>(title.GetString());
    MapiMessage message = {};
    message.nFileCount = 1;
    message.lpFiles = &attachment;

    CWnd* main = AfxGetMainWnd();
    HWND owner = main ? main->m_hWnd : nullptr;
    ULONG result;
    {
        // The mail system's dialog is modal over the whole program.
        CFrameWnd* frame = main ? dynamic_cast<CFrameWnd*>(main) : nullptr;
        if (frame)
            frame->BeginModalState();
        result = send(owner, message);
        if (frame)
            frame->EndModalState();
    }
    if (mapi)
        ::FreeLibrary(mapi);
    if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT)
        AfxMessageBox(FrameworkPrompt(AFX_IDP_FAILED_MAPI_SEND, nullptr), MB_ICONEXCLAMATION);
}
