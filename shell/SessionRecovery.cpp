#include "SessionRecovery.h"

#include "AppIds.h"
#include "ChunkFile.h"
#include "ComRef.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "NyApp.h"
#include "TempFilePaths.h"

#include <cstring>

namespace {

constexpr InterfaceTag kJournalId = MakeTag("KSCMKSTM");
constexpr InterfaceTag kTakeStoreId = MakeTag("KSCMKREC");
constexpr InterfaceTag kDocumentId = MakeTag("KSCMKDOC");
constexpr HRESULT kOtherVersion = static_cast<HRESULT>(0x83E80834);
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x83E800C9);
constexpr UINT kFitToWindowCommand = 1009;

template <size_t N>
void Terminate(char (&text)[N])
{
    text[N - 1] = 0;
}

// Any writer may have left the texts unterminated: each ends inside its field.
void TerminateTexts(SessionHeader* header)
{
    Terminate(header->version);
    Terminate(header->edition);
    Terminate(header->release);
    Terminate(header->title);
    Terminate(header->path);
}

bool IsThisVersion(const SessionHeader& header)
{
    return strcmp(header.version, "5.00") == 0 && strcmp(header.edition, "J") == 0 && strcmp(header.release, "R4") == 0;
}

// The header of the file's "KDOC" chunk inside its first chunk; false when it has none.
bool ReadHeader(IChunkFile* file, SessionHeader* header)
{
    if (FAILED(file->DescendById(kDocumentId, kChunkFindById)))
        return false;
    memset(header, 0, sizeof *header);
    file->Read(header, sizeof *header);
    file->Ascend();
    TerminateTexts(header);
    return true;
}

} // namespace

SessionHeader MakeSessionHeader(const char* title, const char* path)
{
    SessionHeader header = {};
    lstrcpynA(header.version, "5.00", sizeof header.version);
    lstrcpynA(header.edition, "J", sizeof header.edition);
    lstrcpynA(header.release, "R4", sizeof header.release);
    lstrcpynA(header.title, title ? title : "", sizeof header.title);
    lstrcpynA(header.path, path ? path : "", sizeof header.path);
    return header;
}

void SessionScan::Scan(const std::string& folderIn)
{
    std::string folder = folderIn;
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "KVC*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(folder + found.cFileName);
    while (::FindNextFileA(find, &found));
    ::FindClose(find);

    ComRef<IChunkFile> file(CreateChunkFile());
    if (!file)
        return;
    for (const std::string& path : names) {
        HRESULT failure = S_OK;
        try {
            file->SetFileName(path.c_str());
            file->Open(kFileRead);
            // A top-level chunk claiming more than the file holds is cut to what is there.
            if (FAILED(file->DescendById(0, 0)))
                throw CKvSSException(E_FAIL);
            const InterfaceTag kind = file->GetCurrentChunk()->id;
            if (kind == kJournalId || kind == kTakeStoreId) {
                auto record = std::make_unique<SessionRecord>();
                record->file = path;
                if (ReadHeader(file.Get(), &record->header)) {
                    if (!IsThisVersion(record->header))
                        throw CKvSSException(kOtherVersion);
                    (kind == kJournalId ? journals : takes).push_back(std::move(record));
                }
            }
        } catch (const CKvSSException& e) {
            failure = e.m_hr;
        }
        file->Close();
        if (failure == kOtherVersion)
            ::DeleteFileA(path.c_str());
    }
}

BEGIN_MESSAGE_MAP(SessionFileList, CWnd)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

void SessionFileList::OnLButtonDblClk(UINT flags, CPoint point)
{
    CWnd::OnLButtonDblClk(flags, point);
    if (HWND dialog = ::GetParent(m_hWnd))
        ::SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

BEGIN_MESSAGE_MAP(SessionRecoveryDlg, CDialog)
    ON_LBN_SELCHANGE(IDC_SESSION_LIST, OnSelChange)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

SessionRecoveryDlg::SessionRecoveryDlg(CWnd* parent) : CDialog(IDD, parent) {}

SessionRecoveryDlg::~SessionRecoveryDlg() = default;

INT_PTR SessionRecoveryDlg::DoModal()
{
    if (!m_scanned) {
        TempFilePaths paths;
        ScanFolder(paths.GetFolder());
        m_scanned = true;
    }
    if (m_scan.journals.empty()) {
        // Nothing to offer: take stores without their documents are of no use.
        for (const auto& take : m_scan.takes)
            ::DeleteFileA(take->file.c_str());
        m_scan.takes.clear();
        return IDCANCEL;
    }
    return CDialog::DoModal();
}

BOOL SessionRecoveryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_SESSION_LIST, this);
    HWND list = ::GetDlgItem(m_hWnd, IDC_SESSION_LIST);
    for (const auto& record : m_scan.journals) {
        LRESULT index = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record->header.title));
        ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(record.get()));
    }
    ::SendMessageA(list, LB_SETSEL, TRUE, -1);
    OnSelChange();
    return TRUE;
}

void SessionRecoveryDlg::OnSelChange()
{
    const LRESULT selected = ::SendDlgItemMessageA(m_hWnd, IDC_SESSION_LIST, LB_GETSELCOUNT, 0, 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDOK), selected > 0);
}

CDocument* SessionRecoveryDlg::RebuildDocument(SessionRecord& record)
{
    auto* app = static_cast<CNyApp*>(AfxGetApp());
    const SessionHeader& h = record.header;
    app->m_splitChannels = static_cast<int>(h.splitChannels);
    app->m_openAsFileType = -1;
    app->m_currentDocumentType = static_cast<int>(h.documentType);
    CDocument* document = h.path[0] ? app->OpenDocumentFile(h.path) : app->CreateNewDocument();
    HRESULT hr = E_FAIL;
    if (!document && h.path[0] && ::GetFileAttributesA(h.path) == INVALID_FILE_ATTRIBUTES)
        hr = kFileNotFound;
    else if (document)
        hr = TakeBackSessionJournal(document, record.file.c_str());
    if (FAILED(hr)) {
        // The work stays for a later start; the user learns why it did not come back.
        record.deleteOnClose = false;
        if (document)
            document->OnCloseDocument();
        app->ShowErrorBox(hr, nullptr, nullptr, MB_ICONEXCLAMATION);
        return nullptr;
    }
    document->SetTitle(h.title);
    record.deleteOnClose = false; // now the document's journal
    return document;
}

void SessionRecoveryDlg::OnOK()
{
    // The dialog goes out of sight at once; it ends when the documents are rebuilt.
    ShowWindow(SW_HIDE);
    if (CWnd* main = AfxGetMainWnd())
        main->UpdateWindow();
    HWND list = ::GetDlgItem(m_hWnd, IDC_SESSION_LIST);
    const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    int rebuilt = 0;
    for (LRESULT i = 0; i < count; ++i) {
        if (::SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(i), 0) <= 0)
            continue;
        auto* record =
            reinterpret_cast<SessionRecord*>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        if (record && RebuildDocument(*record))
            ++rebuilt;
    }
    if (rebuilt > 0 && !m_scan.takes.empty())
        RecoverSession();
    if (rebuilt > 0) {
        // Every open document shows its whole length and counts as unsaved.
        CWinApp* app = AfxGetApp();
        POSITION pos = app->GetFirstDocTemplatePosition();
        CDocTemplate* docTemplate = pos ? app->GetNextDocTemplate(pos) : nullptr;
        for (POSITION doc = docTemplate ? docTemplate->GetFirstDocPosition() : nullptr; doc;) {
            CDocument* document = docTemplate->GetNextDoc(doc);
            POSITION view = document->GetFirstViewPosition();
            if (CView* first = view ? document->GetNextView(view) : nullptr)
                first->SendMessage(WM_COMMAND, kFitToWindowCommand, 0);
            document->SetModifiedFlag(TRUE);
        }
    }
    EndDialog(rebuilt > 0 ? IDOK : IDCANCEL);
}

// Wiring point: each take store goes back to the document of its title as a recording
// command in a "Record" transaction, once the take store and recording command are in the
// program. Until then the stores are deleted with the dialog.
void SessionRecoveryDlg::RecoverSession() {}

void SessionRecoveryDlg::OnDestroy()
{
    for (const auto& record : m_scan.journals)
        if (record->deleteOnClose)
            ::DeleteFileA(record->file.c_str());
    for (const auto& take : m_scan.takes)
        ::DeleteFileA(take->file.c_str());
    m_scan.journals.clear();
    m_scan.takes.clear();
    CDialog::OnDestroy();
}

HRESULT TakeBackSessionJournal(CDocument* document, const char* sessionFile)
{
    auto* multitrack = dynamic_cast<CNyMultiTrackDoc*>(document);
    return multitrack ? multitrack->CloseWorkFilesReporting(sessionFile) : E_NOINTERFACE;
}
