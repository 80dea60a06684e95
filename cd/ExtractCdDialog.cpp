#include "ExtractCdDialog.h"

#include "CommandSupport.h"
#include "DocCommandSupport.h"
#include "ExtractCdRows.h"
#include "FileCommands.h"
#include "GlobalMemory.h"
#include "HelpLauncher.h"
#include "IKvSKsFIO.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "Settings.h"
#include "TransactionCommand.h"

#include <dbt.h>

#include <cstdio>
#include <vector>

namespace {

constexpr UINT kEngineReport = WM_USER + 10;
constexpr UINT kPreviewEvent = 0x536;
constexpr int kTrackType = 11;

std::string ResourceText(UINT id)
{
    char text[512] = {};
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CExtractCdDialog, CDialog)
    ON_BN_CLICKED(IDC_CD_SELECT_ALL, OnSelectAll)
    ON_BN_CLICKED(IDC_CD_DESELECT_ALL, OnDeselectAll)
    ON_BN_CLICKED(IDC_CD_REFRESH, OnRefresh)
    ON_CBN_SELCHANGE(IDC_CD_DRIVE, OnRefresh)
    ON_BN_CLICKED(IDC_CD_CANCEL, OnCancelImport)
    ON_BN_CLICKED(IDC_CD_IMPORT_NEW, OnImportNew)
    ON_BN_CLICKED(IDC_CD_IMPORT_ACTIVE, OnImportActive)
    ON_BN_CLICKED(IDC_CD_PREVIEW, OnPreview)
    ON_BN_CLICKED(IDHELP, OnHelp)
    ON_WM_DESTROY()
    ON_WM_DRAWITEM()
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_CD_TRACKS, OnTracksChanged)
    ON_MESSAGE(kEngineReport, OnEngineReport)
    ON_MESSAGE(kPreviewEvent, OnPreviewEvent)
    ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange)
END_MESSAGE_MAP()

CExtractCdDialog::CExtractCdDialog(CWnd* parent, CdHost& host) : CDialog(IDD, parent), m_host(host) {}

CExtractCdDialog::~CExtractCdDialog()
{
    if (m_images)
        ImageList_Destroy(m_images);
}

void CExtractCdDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_CD_AS_ONE, m_asOne);
}

BOOL CExtractCdDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_drives.Attach(::GetDlgItem(m_hWnd, IDC_CD_DRIVE));
    m_tracks.SubclassDlgItem(IDC_CD_TRACKS, this);
    m_progress.Attach(::GetDlgItem(m_hWnd, IDC_CD_PROGRESS));
    FillDriveList();
    std::string last;
    GetSettingString("Settings", "LastCdDrive", "", &last);
    int select = 0;
    if (!last.empty()) {
        const char letter = char(toupper(static_cast<unsigned char>(last[0])));
        for (int i = 0; i < m_drives.GetCount(); ++i)
            if (char(m_drives.GetItemData(i)) == letter)
                select = i;
    }
    if (m_drives.GetCount())
        m_drives.SetCurSel(select);

    ListView_SetExtendedListViewStyle(m_tracks.m_hWnd, LVS_EX_GRIDLINES);
    RECT client;
    ::GetClientRect(m_tracks.m_hWnd, &client);
    m_tracks.InsertColumn(0, ResourceText(IDS_CD_TRACK_NUMBER).c_str(), LVCFMT_LEFT, 100);
    m_tracks.InsertColumn(1, ResourceText(IDS_CD_FILENAME).c_str(), LVCFMT_LEFT, client.right - 236 > 40 ? client.right - 236 : 40);
    m_tracks.InsertColumn(2, ResourceText(IDS_CD_LENGTH).c_str(), LVCFMT_RIGHT, 60);
    m_images = ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_CD_CHECK_STATES), 16, 0,
                                    RGB(255, 0, 0), IMAGE_BITMAP, 0);
    // State image 1 (the bitmap's first image) unticked, 2 ticked.
    if (m_images)
        ListView_SetImageList(m_tracks.m_hWnd, m_images, LVSIL_STATE);
    RefreshTracks();
    m_savedSplit = m_host.ChannelSplit();
    m_host.SetChannelSplit(0);
    return TRUE;
}

void CExtractCdDialog::OnDrawItem(int id, LPDRAWITEMSTRUCT draw)
{
    if (id == IDC_CD_TRACKS)
        m_tracks.DrawItem(draw);
}

char CExtractCdDialog::SelectedLetter()
{
    const int i = m_drives.GetCurSel();
    return i < 0 ? 0 : char(m_drives.GetItemData(i));
}

void CExtractCdDialog::FillDriveList()
{
    m_drives.ResetContent();
    m_drive.Close();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4];
        snprintf(root, sizeof root, "%c:\\", letter);
        if (GetDriveTypeA(root) != DRIVE_CDROM)
            continue;
        try {
            CCdDrive drive;
            if (FAILED(drive.Open(letter)) || !drive.CanPlay())
                continue;
            char text[300];
            snprintf(text, sizeof text, "%c: %s", letter, drive.GetDeviceName().c_str());
            const int item = m_drives.AddString(text);
            m_drives.SetItemData(item, DWORD_PTR(letter));
        } catch (const CKvSSException&) {
            // A drive whose object cannot be made is not listed.
        }
    }
}

void CExtractCdDialog::RefreshTracks()
{
    StopPreview();
    const char letter = SelectedLetter();
    if (letter) {
        HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        SetDlgItemText(IDC_CD_STATUS, "");
        if (SUCCEEDED(m_drive.Open(letter)) && SUCCEEDED(m_drive.ReadTrackTable())) {
            m_tracks.DeleteAllItems();
            int row = 0;
            for (int i = 0; i < int(m_drive.TableSize()); ++i) {
                const CCdTrackEntry& entry = m_drive.GetTrack(i);
                if (!entry.IsAudioType())
                    continue;
                const CdTrackRowTexts texts = TrackRowTexts(entry);
                m_tracks.InsertItem(row, texts.number.c_str());
                m_tracks.SetItemText(row, 1, texts.name.c_str());
                m_tracks.SetItemText(row, 2, texts.length.c_str());
                m_tracks.SetItemData(row, DWORD_PTR(i));
                m_tracks.SetChecked(row, false);
                ++row;
            }
        }
        m_drive.Close();
        SetCursor(cursor);
    }
    for (int id : {IDC_CD_IMPORT_NEW, IDC_CD_IMPORT_ACTIVE, IDC_CD_CANCEL, IDC_CD_AS_ONE, IDC_CD_PREVIEW})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);
}

void CExtractCdDialog::UpdateButtons()
{
    int ticked = 0;
    for (int row = 0; row < m_tracks.GetItemCount(); ++row) {
        m_tracks.SetItemText(row, 3, "");
        if (m_tracks.IsChecked(row))
            ++ticked;
    }
    const bool selected = ListView_GetNextItem(m_tracks.m_hWnd, -1, LVNI_SELECTED) >= 0;
    const ExtractButtons b = ExtractButtonsFor(ticked, m_host.ActiveDocument() != nullptr, selected);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CD_IMPORT_NEW), b.importNew && !m_importing);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CD_IMPORT_ACTIVE), b.importActive && !m_importing);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CD_AS_ONE), b.asOne && !m_importing);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CD_PREVIEW), b.preview && !m_importing);
}

void CExtractCdDialog::OnTracksChanged(NMHDR* header, LRESULT* result)
{
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->uChanged & LVIF_STATE)
        UpdateButtons();
    *result = 0;
}

void CExtractCdDialog::SetTicks(bool ticked)
{
    for (int row = 0; row < m_tracks.GetItemCount(); ++row)
        m_tracks.SetChecked(row, ticked);
}

void CExtractCdDialog::OnSelectAll()
{
    SetTicks(true);
}

void CExtractCdDialog::OnDeselectAll()
{
    SetTicks(false);
}

void CExtractCdDialog::OnRefresh()
{
    RefreshTracks();
}

void CExtractCdDialog::OnCancelImport()
{
    m_cancel = 1;
}

void CExtractCdDialog::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(116, 0);
}

void CExtractCdDialog::StopPreview()
{
    if (!m_preview)
        return;
    if (IKvSKsFIO* fio = m_host.FileModule())
        fio->StopPreview();
    SetDlgItemText(IDC_CD_PREVIEW, ResourceText(20371).c_str());
    m_preview = 0;
}

void CExtractCdDialog::OnPreview()
{
    if (m_preview) {
        StopPreview();
        return;
    }
    const int row = ListView_GetNextItem(m_tracks.m_hWnd, -1, LVNI_SELECTED);
    IKvSKsFIO* fio = m_host.FileModule();
    if (row < 0 || !fio)
        return;
    const CCdTrackEntry& entry = m_drive.GetTrack(int(m_tracks.GetItemData(row)));
    const HRESULT hr = fio->PlayPreview(m_hWnd, CdTrackPath(SelectedLetter(), entry.GetTrackNumber()).c_str());
    if (FAILED(hr)) {
        m_host.ShowErrorBox(hr);
        return;
    }
    SetDlgItemText(IDC_CD_PREVIEW, ResourceText(20372).c_str());
    m_preview = 1;
}

LRESULT CExtractCdDialog::OnPreviewEvent(WPARAM, LPARAM)
{
    IKvSKsFIO* fio = m_host.FileModule();
    LONG code = 0;
    LONG_PTR a = 0, b = 0;
    while (fio && fio->GetNextEvent(&code, &a, &b, 0) == S_OK)
        if (code == 1 && m_preview) {
            SetDlgItemText(IDC_CD_PREVIEW, ResourceText(20371).c_str());
            m_preview = 0;
        }
    return 0;
}

LRESULT CExtractCdDialog::OnEngineReport(WPARAM state, LPARAM data)
{
    auto* report = reinterpret_cast<Report*>(data);
    if (!report)
        return 0;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_CD_CANCEL), (report->flags & 1) == 0);
    if ((state == 2 || state == 3) && report->value >= 0 && report->value <= 100)
        m_progress.SetPos(report->value);
    // Only the Cancel of a running import stops the engine; a preview is never cancelled here.
    report->cancel = m_importing && m_cancel ? 1 : 0;
    return 0;
}

void CExtractCdDialog::OnImportNew()
{
    Import(true);
}

void CExtractCdDialog::OnImportActive()
{
    Import(false);
}

void CExtractCdDialog::Import(bool newWindow)
{
    UpdateData(TRUE);
    std::vector<int> rows;
    for (int row = 0; row < m_tracks.GetItemCount(); ++row) {
        m_tracks.SetItemText(row, 3, "");
        if (m_tracks.IsChecked(row))
            rows.push_back(row);
    }
    if (rows.empty())
        return;
    StopPreview();
    m_cancel = 0;
    m_importing = true;
    UpdateButtons();
    m_host.SetFileTypeHint(kTrackType);
    const char letter = SelectedLetter();
    CNyMultiTrackDoc* first = nullptr;
    int anchor = -1;
    bool loaded = false;
    for (size_t k = 0; k < rows.size() && !m_cancel; ++k) {
        m_importRow = rows[k];
        char status[32];
        snprintf(status, sizeof status, "%d/%d", int(k + 1), int(rows.size()));
        SetDlgItemText(IDC_CD_STATUS, status);
        const CCdTrackEntry& entry = m_drive.GetTrack(int(m_tracks.GetItemData(rows[k])));
        const std::string path = CdTrackPath(letter, entry.GetTrackNumber());
        CNyMultiTrackDoc* document = nullptr;
        if (newWindow && (!m_asOne || k == 0))
            document = m_host.NewDocument();
        else
            document = m_asOne && first ? first : m_host.ActiveDocument();
        if (!document)
            continue;
        if (!m_asOne || !loaded) {
            if (newWindow) {
                char title[32];
                snprintf(title, sizeof title, "Track%02d", entry.GetTrackNumber());
                document->SetTitle(title);
            }
            ComRef<IUnknown> command;
            int loadStatus = 0;
            // Loaded as a new track: a new window's empty default tracks keep their own channels.
            if (!document->LoadFile(path.c_str(), 1, &loadStatus, command.Out()))
                continue;
            ComRef<IEditCommand> edit = QueryCom<IEditCommand>(command.Get());
            if (edit && document->GetHistory())
                document->GetHistory()->Add(edit.Get(), TRUE);
            // The track the load created; in a document of mono tracks the left one of its pair.
            anchor = document->GetLeadTrack();
            if (document->GetTrackChannels(anchor) == 1 && anchor > 0)
                --anchor;
            first = document;
            loaded = true;
        } else if (!AppendToAnchor(document, anchor, path)) {
            continue;
        }
        document->SetSelectionRange(0, 0, TRUE);
        document->UpdateAllViews(nullptr);
    }
    m_host.UpdateAllDocuments();
    m_host.SetFileTypeHint(-1);
    m_importing = false;
    m_cancel = 1;
    m_importRow = -1;
    UpdateButtons();
}

bool CExtractCdDialog::AppendToAnchor(CNyMultiTrackDoc* document, int anchor, const std::string& path)
{
    IKvSKsFIO* fio = m_host.FileModule();
    if (!fio || anchor < 0)
        return false;
    FileInfoRecord record{};
    if (FAILED(fio->QueryFileInfo(m_hWnd, path.c_str(), kTrackType, 1, &record)))
        return false;
    if (record.samplesPerSec != document->GetSamplesPerSec() || record.bitsPerSample != document->GetBitsPerSample())
        return false; // the first track gave the document the disc's format
    // A document of mono tracks holds the disc's two channels on two tracks.
    const bool split = document->GetTrackChannels(anchor) == 1;
    char* names = nullptr;
    void* markers = nullptr;
    void* loop = nullptr;
    LONG files = 0, channels = 0;
    WORD markerCount = 0;
    HRESULT hr = fio->ConvertToTrackFiles(m_hWnd, path.c_str(), &record, nullptr, &names, 0, &files, &channels,
                                          &markerCount, &markers, &loop, split ? 1 : 0, 2);
    GlobalUnlockFree(markers);
    GlobalUnlockFree(loop);
    std::vector<std::string> fileNames;
    for (LONG i = 0; names && i < 2 * files; ++i)
        fileNames.emplace_back(names + size_t(i) * kFioNameLength);
    GlobalUnlockFree(names);
    if (FAILED(hr) || files < 1 || anchor + files > document->GetTrackCount()) {
        for (const std::string& name : fileNames)
            DeleteFileA(name.c_str());
        return false;
    }
    ComRef<TransactionCommand> transaction(NewCommand<TransactionCommand>(ResourceText(21024).c_str()));
    IEditCommand* group = static_cast<IEditCommand*>(transaction.Get());
    try {
        const int64_t position = document->GetTrackExtent(anchor, 1);
        CommandDocument* doc = document;
        for (LONG k = 0; k < files; ++k) {
            MtFileItemRecord request{};
            lstrcpynA(request.path, path.c_str(), sizeof request.path);
            request.trackNumber = WORD(split ? k + 1 : 0);
            request.channels = WORD(channels ? channels : 2);
            request.bitsPerSample = document->GetBitsPerSample();
            request.samplesPerSec = document->GetSamplesPerSec();
            ComRef<IMtItemList> items;
            ThrowIfFailed(MtEngine::CreateItemList(items));
            ThrowIfFailed(items->AddFileItem(&request, fileNames[size_t(2 * k)].c_str(),
                                             fileNames[size_t(2 * k + 1)].c_str(), 0));
            ThrowIfFailed(items->ResetItems(0));
            ComRef<IUnknown> item;
            LONG id = 0;
            ThrowIfFailed(items->NextItem(item.Out(), &id));
            doccmd::RunAndAppend(group,
                                 doccmd::MakeCommand<OpenFileCommand>(doc, anchor + int(k), position, 0, item.Get()).Get());
        }
        doccmd::RunAndAppend(group, doccmd::MakeCommand<AddMarkCommand>("", doc, anchor, position, 0).Get());
    } catch (const CKvSSException& e) {
        group->Undo();
        m_host.ShowErrorBox(e.m_hr);
        return false;
    }
    if (document->GetHistory())
        document->GetHistory()->Add(group, TRUE);
    document->SetModifiedFlag(TRUE);
    return true;
}

LRESULT CExtractCdDialog::OnDeviceChange(WPARAM event, LPARAM data)
{
    if (event == DBT_DEVNODES_CHANGED) {
        const char selected = SelectedLetter();
        HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        FillDriveList();
        m_drives.SetCurSel(-1);
        for (int i = 0; i < m_drives.GetCount(); ++i)
            if (char(m_drives.GetItemData(i)) == selected)
                m_drives.SetCurSel(i);
        if (SelectedLetter())
            RefreshTracks();
        SetCursor(cursor);
    } else if ((event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE) && data) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
        if (header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
            const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(data);
            if (MediaChangeConcerns(header->dbch_devicetype, volume->dbcv_flags, volume->dbcv_unitmask, SelectedLetter()))
                RefreshTracks();
        }
    }
    return TRUE;
}

void CExtractCdDialog::OnDestroy()
{
    StopPreview();
    const char letter = SelectedLetter();
    const char text[2] = {letter, 0};
    SetSettingString("Settings", "LastCdDrive", text);
    m_host.SetChannelSplit(m_savedSplit);
    m_drives.Detach();
    m_progress.Detach();
    CDialog::OnDestroy();
}
