#include "SessionRecovery.h"

#include "AppIds.h"
#include "ChunkFile.h"
#include "CommandHeader.h"
#include "CommandHistory.h"
#include "CommandRegistry.h"
#include "ComRef.h"
#include "DocumentHost.h"
#include "DocWiring.h"
#include "FileCommands.h"
#include "KvSSException.h"
#include "MultiTrackDoc.h"
#include "CommandSupport.h"
#include "NyApp.h"
#include "OperationEdge.h"
#include "RecoveryIds.h"
#include "TempFilePaths.h"
#include "TransactionCommand.h"

#include <cstring>
#include <vector>

namespace {

constexpr InterfaceTag kJournalId = MakeTag("KSCMKSTM");
constexpr InterfaceTag kTakeStoreId = MakeTag("KSCMKREC");
constexpr InterfaceTag kDocumentId = MakeTag("KSCMKDOC");
constexpr HRESULT kOtherVersion = static_cast<HRESULT>(0x83E80834);
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x83E800C9);
constexpr UINT kFitToWindowCommand = 1009;

bool IsThisVersion(const SessionHeader& header)
{
    return strcmp(header.version, "5.00") == 0 && strcmp(header.edition, "J") == 0 && strcmp(header.release, "R4") == 0;
}

// The header of the file's "KDOC" chunk inside its first chunk, with the name record that
// may follow it; false when it has none.
bool ReadHeader(IChunkFile* file, SessionRecord* record)
{
    if (FAILED(file->DescendById(kDocumentId, kChunkFindById)))
        return false;
    std::vector<uint8_t> data(kJournalHeaderSize + sizeof(JournalIdentity), 0);
    const DWORD read = file->Read(data.data(), static_cast<DWORD>(data.size()));
    file->Ascend();
    record->header = ReadSessionHeader(data.data(), read);
    record->named = ReadJournalIdentity(data.data(), read, &record->identity);
    // A take store names the journal of its document where a journal header has the path.
    record->journal = std::string(record->header.path);
    return true;
}

int UndoCount(CDocument* document)
{
    auto* multitrack = dynamic_cast<CNyMultiTrackDoc*>(document);
    ComRef<ICommandCursor> cursor;
    if (!multitrack || !multitrack->GetHistory() || FAILED(multitrack->GetHistory()->GetUndoCursor(cursor.Out())))
        return 0;
    int count = 0;
    for (ComRef<IEditCommand> entry; cursor->Next(entry.Out()) == S_OK; entry.Reset())
        ++count;
    return count;
}

std::string LoadText(UINT id, const char* otherwise)
{
    char text[1024] = {};
    return ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text) > 0 ? text : otherwise;
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
            if (kind == kTakeStoreId) {
                // A store is sized when its recording ends: one left by a kill says 0 and
                // runs to the file's end, as the store itself reads it.
                ChunkInfo* chunk = file->GetCurrentChunk();
                const uint64_t size = file->GetSize();
                chunk->size = size > chunk->dataStart ? size - chunk->dataStart : 0;
            }
            if (kind == kJournalId || kind == kTakeStoreId) {
                auto record = std::make_unique<SessionRecord>();
                record->file = path;
                if (ReadHeader(file.Get(), record.get())) {
                    if (kind == kJournalId)
                        record->journal.clear();
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
    // The document comes back of its kind, and one never saved in its format: new documents
    // take these from the program's defaults, set for this one alone.
    DocumentSettings& defaults = GetDocumentHost().DefaultSettings();
    const DocumentSettings kept = defaults;
    defaults.documentType = h.documentType == 1 ? 1 : 0;
    if (!h.path[0]) {
        if (h.sampleRate)
            defaults.samplesPerSec = h.sampleRate;
        if (h.bitsPerSample == 8 || h.bitsPerSample == 16 || h.bitsPerSample == 32) {
            defaults.bitsPerSample = h.bitsPerSample;
            defaults.validBits = 0;
        } else if (h.bitsPerSample == 20 || h.bitsPerSample == 24) {
            defaults.bitsPerSample = 32;
            defaults.validBits = h.bitsPerSample;
        }
        if (h.channels == 1 || h.channels == 2 || (h.channels == 6 && defaults.documentType == 1))
            defaults.dataChannels = h.channels;
    }
    CDocument* document = h.path[0] ? app->OpenDocumentFile(h.path) : app->CreateNewDocument();
    defaults = kept;
    HRESULT hr = E_FAIL;
    if (!document && h.path[0] && ::GetFileAttributesA(h.path) == INVALID_FILE_ATTRIBUTES)
        hr = kFileNotFound;
    else if (document)
        hr = TakeBackSessionJournal(document, record.file.c_str());
    // Whatever happens now, the file stays until the user has its work back or declines it.
    record.deleteOnClose = false;
    if (FAILED(hr)) {
        // The work stays for a later start; the user learns why it did not come back.
        if (document)
            document->OnCloseDocument();
        app->ShowErrorBox(hr, nullptr, nullptr, MB_ICONEXCLAMATION);
        return nullptr;
    }
    if (record.named) {
        // Named as it was at the crash, which a save under another name may have changed.
        if (auto* multitrack = dynamic_cast<CNyMultiTrackDoc*>(document))
            multitrack->GetFileInfo() = record.identity.fileInfo;
        if (record.identity.path[0])
            document->SetPathName(record.identity.path, FALSE);
        else
            document->SetTitle(record.identity.title);
    } else {
        document->SetTitle(h.title);
    }
    if (hr == kJournalReplayedInPart) {
        // The edits before the first record that could not be replayed came back; the session
        // file stays as it is for a later attempt.
        const std::string format = LoadText(IDS_RECOVERED_IN_PART, "%d edits of \"%s\" came back.\n%s");
        char text[2048] = {};
        snprintf(text, sizeof text, format.c_str(), UndoCount(document), document->GetTitle().GetString(),
                 record.file.c_str());
        app->ShowMessageText(text, MB_OK | MB_ICONEXCLAMATION);
    }
    m_rebuilt.push_back({document, record.file});
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
    if (!m_scan.takes.empty())
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
        DocWiring::RefreshMarkerList(-1);
    }
    EndDialog(rebuilt > 0 ? IDOK : IDCANCEL);
}

CDocument* SessionRecoveryDlg::DocumentOfTakes(const SessionRecord& take) const
{
    for (const Rebuilt& rebuilt : m_rebuilt)
        if (!take.journal.empty() && lstrcmpiA(take.journal.c_str(), rebuilt.journal.c_str()) == 0)
            return rebuilt.document;
    // A store that does not name its journal names its document by title or by path.
    const char* text = take.header.title;
    for (const Rebuilt& rebuilt : m_rebuilt)
        if (text[0] && (rebuilt.document->GetTitle() == text || lstrcmpiA(rebuilt.document->GetPathName(), text) == 0))
            return rebuilt.document;
    return nullptr;
}

HRESULT SessionRecoveryDlg::RecoverTakes(SessionRecord& take)
{
    auto* document = dynamic_cast<CNyMultiTrackDoc*>(DocumentOfTakes(take));
    if (!document || !document->GetHistory())
        return S_FALSE; // its document was not rebuilt: the takes stay for a later start
    ComRef<RecordingTakeStore> store(ComObject<IJournalFile>::Create<RecordingTakeStore>());
    if (!store)
        return E_OUTOFMEMORY;
    HRESULT hr = store->Open(take.file.c_str());
    if (FAILED(hr)) {
        store->KeepFile();
        return hr;
    }
    hr = RunAtEdge([&] {
        ThrowIfFailed(store->SetLinkedObject(document->GetTrackSet()));
        ThrowIfFailed(store->SetUserValue(reinterpret_cast<UINT_PTR>(static_cast<CommandDocument*>(document))));
        ComRef<IChunkFile> file;
        ThrowIfFailed(store->GetChunkFile(file.Out()));
        file->Seek(static_cast<int64_t>(file->GetCurrentChunk()->dataStart), kSeekBegin);
        ThrowIfFailed(file->DescendById(kCommandChunkId, kChunkFindById));
        uint8_t header[CommandHeader::kSize] = {};
        const DWORD read = file->Read(header, sizeof header);
        file->Seek(-static_cast<int64_t>(read), kSeekCurrent);
        if (read != sizeof header)
            throw CKvSSException(kBadJournal);
        ComRef<IEditCommand> recording;
        ThrowIfFailed(CreateCommandByName(CommandHeader::TypeName(header).c_str(), recording.Out()));
        ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(recording.Get());
        if (!persist)
            throw CKvSSException(E_NOINTERFACE);
        ThrowIfFailed(persist->Load(store.Get()));
        ThrowIfFailed(file->Ascend());
        ComRef<IEditCommand> transaction(
            NewCommand<TransactionCommand>(LoadText(IDS_RECORD_STEP, "Record").c_str()));
        ThrowIfFailed(QueryCom<ICommandList>(transaction.Get())->Add(recording.Get()));
        return ThrowIfFailed(document->GetHistory()->Do(transaction.Get(), TRUE));
    });
    if (FAILED(hr))
        store->KeepFile(); // the takes stay for a later start
    return hr;
}

void SessionRecoveryDlg::RecoverSession()
{
    // Each store goes back to its document as one "Record" step; the stores of documents not
    // rebuilt and those that failed stay for a later start.
    for (const auto& take : m_scan.takes) {
        HRESULT hr = RecoverTakes(*take);
        if (FAILED(hr)) {
            take->deleteOnClose = false;
            static_cast<CNyApp*>(AfxGetApp())->ShowErrorBox(hr, nullptr, nullptr, MB_ICONEXCLAMATION);
        } else if (hr == S_FALSE) {
            // Not rebuilt: kept while its journal is kept, gone with a journal declined.
            take->deleteOnClose = true;
            for (const auto& journal : m_scan.journals)
                if (!journal->deleteOnClose && lstrcmpiA(journal->file.c_str(), take->journal.c_str()) == 0)
                    take->deleteOnClose = false;
        }
    }
}

void SessionRecoveryDlg::OnDestroy()
{
    for (const auto& record : m_scan.journals)
        if (record->deleteOnClose)
            ::DeleteFileA(record->file.c_str());
    for (const auto& take : m_scan.takes)
        if (take->deleteOnClose)
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
