#include "FwFileDialog.h"
#include "FwApp.h"

namespace {
const DWORD kFileBufferSize = 8192;
}

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

BEGIN_MESSAGE_MAP(CFileDialog, CDialog)
END_MESSAGE_MAP()

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defExt, const char* fileName, DWORD flags, const char* filter,
                         CWnd* parent)
    : CDialog(0, parent), m_bOpenFileDialog(openFileDialog), m_strDefExt(defExt)
{
    m_fileBuffer.assign(kFileBufferSize, '\0');
    if (fileName)
        lstrcpynA(m_fileBuffer.data(), fileName, static_cast<int>(kFileBufferSize));
    // "a|b|c|d||" becomes "a\0b\0c\0d\0\0".
    m_strFilter = filter;
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = kFileBufferSize;
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : static_cast<const char*>(m_strDefExt);
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    m_ofn.nFilterIndex = 1;
}

INT_PTR CFileDialog::DoModal()
{
    std::vector<char> filter(m_strFilter.GetString(), m_strFilter.GetString() + m_strFilter.GetLength() + 1);
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.push_back('\0');
    if (!m_strFilter.IsEmpty() && !m_ofn.lpstrFilter)
        m_ofn.lpstrFilter = filter.data();
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : (AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr);
    owner = kvfw::TopLevelOwner(owner);
    m_ofn.hwndOwner = owner;
    kvfw::ModalOwnerScope modal(owner);
    if (!m_ofn.hInstance)
        m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
    m_bModal = TRUE;
    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    m_bModal = FALSE;
    if (m_ofn.lpstrFilter == filter.data())
        m_ofn.lpstrFilter = nullptr;
    if (m_hWnd)
        Detach();
    return ok ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        const OPENFILENAMEA* ofn = reinterpret_cast<const OPENFILENAMEA*>(lp);
        CFileDialog* dialog = ofn ? reinterpret_cast<CFileDialog*>(ofn->lCustData) : nullptr;
        if (!dialog)
            return TRUE;
        dialog->AttachObject(hwnd);
        return static_cast<UINT_PTR>(dialog->HandleDialogMessage(msg, wp, lp));
    }
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd || !wnd->IsKindOf(RUNTIME_CLASS(CFileDialog)))
        return 0;
    return static_cast<UINT_PTR>(static_cast<CFileDialog*>(wnd)->HandleDialogMessage(msg, wp, lp));
}

BOOL CFileDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    switch (header->code) {
    case CDN_INITDONE:
        OnInitDone();
        *result = 0;
        return TRUE;
    case CDN_SELCHANGE:
        OnFileNameChange();
        *result = 0;
        return TRUE;
    case CDN_FOLDERCHANGE:
        OnFolderChange();
        *result = 0;
        return TRUE;
    case CDN_TYPECHANGE:
        m_ofn.nFilterIndex = reinterpret_cast<OFNOTIFYA*>(lParam)->lpOFN->nFilterIndex;
        OnTypeChange();
        *result = 0;
        return TRUE;
    case CDN_FILEOK: {
        // The name being accepted is in the notification's structure; the dialog's own
        // answer to CDM_GETFILEPATH may still combine the typed text with the folder.
        const OPENFILENAMEA* ofn = reinterpret_cast<OFNOTIFYA*>(lParam)->lpOFN;
        m_acceptingPath = (ofn && ofn->lpstrFile && !(ofn->Flags & OFN_ALLOWMULTISELECT)) ? ofn->lpstrFile : "";
        // Non-zero keeps the dialog open.
        *result = OnFileNameOK() ? 1 : 0;
        m_acceptingPath.Empty();
        return TRUE;
    }
    default:
        return CDialog::OnNotify(wParam, lParam, result);
    }
}

CString CFileDialog::GetPathName() const
{
    if (!m_acceptingPath.IsEmpty())
        return m_acceptingPath;
    if (m_hWnd) {
        char path[MAX_PATH * 2] = "";
        ::SendMessageA(GetExplorerWindow(), CDM_GETFILEPATH, sizeof path, reinterpret_cast<LPARAM>(path));
        return CString(path);
    }
    if (m_ofn.Flags & OFN_ALLOWMULTISELECT) {
        std::vector<CString> paths = ChosenPaths();
        return paths.empty() ? CString() : paths.front();
    }
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const
{
    CString path = GetPathName();
    int slash = path.ReverseFind('\\');
    return slash < 0 ? path : path.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const
{
    if (m_hWnd) {
        char path[MAX_PATH * 2] = "";
        ::SendMessageA(GetExplorerWindow(), CDM_GETFOLDERPATH, sizeof path, reinterpret_cast<LPARAM>(path));
        return CString(path);
    }
    CString path = GetPathName();
    int slash = path.ReverseFind('\\');
    return slash < 0 ? CString() : path.Left(slash);
}

std::vector<CString> CFileDialog::ChosenPaths() const
{
    std::vector<CString> paths;
    const char* buffer = m_ofn.lpstrFile;
    if (!buffer || !*buffer)
        return paths;
    // One file: the whole buffer is its path. Several: the folder, then each name, then "".
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT) || m_ofn.nFileOffset == 0 || buffer[m_ofn.nFileOffset - 1] != '\0') {
        paths.emplace_back(buffer);
        return paths;
    }
    CString folder(buffer);
    if (folder.GetLength() && folder[folder.GetLength() - 1] != '\\')
        folder += '\\';
    for (const char* name = buffer + m_ofn.nFileOffset; *name; name += lstrlenA(name) + 1)
        paths.push_back(folder + name);
    return paths;
}

POSITION CFileDialog::GetStartPosition() const
{
    return ChosenPaths().empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(1));
}

CString CFileDialog::GetNextPathName(POSITION& pos) const
{
    std::vector<CString> paths = ChosenPaths();
    size_t index = static_cast<size_t>(reinterpret_cast<INT_PTR>(pos) - 1);
    if (index >= paths.size()) {
        pos = nullptr;
        return CString();
    }
    pos = index + 1 < paths.size() ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(index + 2)) : nullptr;
    return paths[index];
}
