// The Burn CD dialog: its track list, gauge, file-mode edits, preview and context menu.
#include "BurnCdDialog.h"

#include "GlobalMemory.h"
#include "HelpLauncher.h"
#include "IKvSKsFIO.h"
#include "MultiTrackDoc.h"
#include "Settings.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr UINT kPreviewEvent = 0x536;
constexpr UINT kEngineReport = 0x40A;
constexpr HRESULT kUnsupportedFile = HRESULT(0x83EA0003);

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

} // namespace

UINT CBurnCdDialog::s_tracksStop = RegisterWindowMessageA("NyTracksStop");
UINT CBurnCdDialog::s_convertNotify = RegisterWindowMessageA("AudioCD Convert Kvss Notify");

BEGIN_MESSAGE_MAP(CBurnCdDialog, CDialog)
    ON_BN_CLICKED(IDC_BURN_PREGAP, OnPreGap)
    ON_COMMAND(ID_BURN_PREGAP, OnPreGap)
    ON_BN_CLICKED(IDC_BURN_ADVANCED, OnAdvanced)
    ON_BN_CLICKED(IDC_BURN_ADD, OnAddFiles)
    ON_COMMAND(ID_BURN_ADD_FILES, OnAddFiles)
    ON_BN_CLICKED(IDC_BURN_PREVIEW, OnPreview)
    ON_COMMAND(ID_BURN_PREVIEW, OnPreview)
    ON_BN_CLICKED(IDC_BURN_MOVE_UP, OnMoveUp)
    ON_BN_CLICKED(IDC_BURN_MOVE_DOWN, OnMoveDown)
    ON_BN_CLICKED(IDC_BURN_HELP, OnHelp)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_BURN_TRACKS, OnListChanged)
    ON_BN_CLICKED(IDC_BURN_DELETE, OnDelete)
    ON_COMMAND(ID_BURN_DELETE_FILES, OnDelete)
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_BN_CLICKED(IDC_BURN_ERASE, OnErase)
    ON_WM_CONTEXTMENU()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(kEngineReport, OnNoAction)
    ON_REGISTERED_MESSAGE(s_tracksStop, OnPreviewStopped)
    ON_MESSAGE(kPreviewEvent, OnPreviewStopped)
    ON_REGISTERED_MESSAGE(s_convertNotify, OnConverterReport)
    ON_COMMAND(ID_BURN_COMBINE, OnCombine)
    ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange)
END_MESSAGE_MAP()

CBurnCdDialog::CBurnCdDialog(CWnd* parent, CdHost& host) : CDialog(IDD, parent), m_host(host)
{
    if (SUCCEEDED(m_module.Load(&m_writer)))
        ListDevices();
}

CBurnCdDialog::~CBurnCdDialog()
{
    if (m_player)
        m_player->Stop();
    CloseConverter();
    DeleteTemporaries();
    if (m_reserved && m_writer)
        m_writer->Reserve(m_deviceId, FALSE);
    if (m_writer)
        m_writer->Release();
}

void CBurnCdDialog::SetSourceView(CView* view)
{
    if (view != m_view)
        m_rebuild = true;
    m_view = view;
}

int CBurnCdDialog::Box(UINT id, UINT flags, const std::string& argument, const std::string& second)
{
    std::string text = Text(id);
    if (!argument.empty()) {
        char formatted[1024];
        std::snprintf(formatted, sizeof formatted, text.c_str(), argument.c_str(), second.c_str());
        text = formatted;
    }
    return AfxMessageBox(text.c_str(), flags);
}

BOOL CBurnCdDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_writer) {
        Box(20375, MB_OK | MB_ICONSTOP);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    if (m_devices.empty()) {
        Box(IDS_BURN_NO_WRITER, MB_OK | MB_ICONWARNING);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    if (!FileMode() && (!SourceDocument() || SourceDocument()->IsMultichannel())) {
        Box(IDS_BURN_MULTICHANNEL, MB_OK | MB_ICONWARNING);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    HINSTANCE resources = AfxGetResourceHandle();
    const int up[2] = {IDC_BURN_MOVE_UP, IDI_BURN_MOVE_UP}, down[2] = {IDC_BURN_MOVE_DOWN, IDI_BURN_MOVE_DOWN};
    for (const int* button : {up, down}) {
        HICON icon = HICON(LoadImageA(resources, MAKEINTRESOURCEA(button[1]), IMAGE_ICON, 16, 16, 0));
        ::SendDlgItemMessageA(m_hWnd, button[0], BM_SETIMAGE, IMAGE_ICON, LPARAM(icon));
        ::EnableWindow(::GetDlgItem(m_hWnd, button[0]), FALSE);
    }
    SetDlgItemText(IDC_BURN_PREVIEW, Text(20369).c_str());
    if (!FileMode())
        for (int id : {IDC_BURN_ADD, IDC_BURN_DELETE, IDC_BURN_MOVE_UP, IDC_BURN_MOVE_DOWN})
            ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);
    SetTotal(0);
    ::SendDlgItemMessageA(m_hWnd, IDC_BURN_GAUGE, PBM_SETRANGE32, 0, 4800);

    // The labels stand centred on 20, 74 and 80 minutes of the gauge.
    RECT gauge;
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_BURN_GAUGE), &gauge);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&gauge), 2);
    const int width = gauge.right - gauge.left;
    const int labels[3][2] = {{IDC_BURN_LABEL_20, 20}, {IDC_BURN_LABEL_74, 74}, {IDC_BURN_LABEL_80, 80}};
    for (const auto& label : labels) {
        HWND item = ::GetDlgItem(m_hWnd, label[0]);
        RECT r;
        ::GetWindowRect(item, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        const int x = gauge.left + width * label[1] / 80 - (r.right - r.left) / 2;
        ::SetWindowPos(item, nullptr, x, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetColumns();
    if (!FileMode())
        BuildTracksFromDocument();
    FillList();
    EnableControls();
    m_progress = m_host.OpenProgress(this);
    return TRUE;
}

void CBurnCdDialog::SetColumns()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_BURN_TRACKS);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    ::GetClientRect(list, &client);
    struct Column {
        UINT text;
        int width, format;
    } columns[] = {{61241, 75, LVCFMT_LEFT},  {IDS_BURN_PREGAP_COLUMN, 60, LVCFMT_RIGHT}, {IDS_BURN_START, 90, LVCFMT_RIGHT},
                   {IDS_BURN_END, 90, LVCFMT_RIGHT}, {IDS_BURN_LENGTH, 90, LVCFMT_RIGHT},
                   {61242, std::max<int>(client.right - 521, 60), LVCFMT_LEFT}, {IDS_BURN_SOURCE, 100, LVCFMT_LEFT}};
    const int count = FileMode() ? 7 : 5;
    for (int i = 0; i < count; ++i) {
        std::string text = Text(columns[i].text);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = columns[i].format;
        column.cx = columns[i].width;
        column.pszText = &text[0];
        column.iSubItem = i;
        ::SendMessageA(list, LVM_INSERTCOLUMNA, i, LPARAM(&column));
    }
}

int64_t CBurnCdDialog::TotalLength100ns() const
{
    int64_t total = 0;
    for (const BurnTrackRecord& r : m_tracks)
        total += r.preGap * kHundredNsPerSecond + r.length;
    return total;
}

void CBurnCdDialog::SetTotal(int64_t total)
{
    m_total = total;
    const int seconds = GaugeSeconds(total);
    ::SendDlgItemMessageA(m_hWnd, IDC_BURN_GAUGE, PBM_SETPOS, seconds, 0);
    char text[64];
    std::snprintf(text, sizeof text, Text(IDS_BURN_TOTAL).c_str(), seconds / 60, seconds % 60);
    SetDlgItemText(IDC_BURN_TOTAL, text);
}

void CBurnCdDialog::FillList()
{
    if (!FileMode()) {
        FillWindowList();
        return;
    }
    HWND list = ::GetDlgItem(m_hWnd, IDC_BURN_TRACKS);
    ListView_DeleteAllItems(list);
    const int64_t total = LayOutFileTracks(m_tracks);
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        const BurnTrackRecord& r = m_tracks[i];
        char number[16], gap[16];
        std::snprintf(number, sizeof number, "%02d", r.trackNumber);
        std::snprintf(gap, sizeof gap, "%d", r.preGap);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = int(i);
        item.pszText = number;
        ::SendMessageA(list, LVM_INSERTITEMA, 0, LPARAM(&item));
        const std::string cells[] = {gap, BurnTimeText(r.start), BurnTimeText(r.end), BurnTimeText(r.length),
                                     r.fileName, r.folder};
        for (int c = 0; c < (FileMode() ? 6 : 4); ++c)
            ListView_SetItemText(list, int(i), c + 1, const_cast<char*>(cells[c].c_str()));
    }
    SetTotal(total);
}

std::vector<int> CBurnCdDialog::SelectedRows() const
{
    std::vector<int> rows;
    HWND list = ::GetDlgItem(m_hWnd, IDC_BURN_TRACKS);
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void CBurnCdDialog::EnableControls()
{
    const BurnControls c = BurnControlsFor(m_operation != kIdle, FileMode(), (m_capabilities & kCdCapWritesCdRw) != 0,
                                           int(m_tracks.size()), SelectedRows());
    const std::pair<int, bool> states[] = {
        {IDC_BURN_ADD, c.add},         {IDOK, c.burn},           {IDC_BURN_PREVIEW, c.preview},
        {IDC_BURN_PREGAP, c.preGap},   {IDC_BURN_DELETE, c.remove}, {IDC_BURN_MOVE_UP, c.moveUp},
        {IDC_BURN_MOVE_DOWN, c.moveDown}, {IDCANCEL, c.cancel},  {IDC_BURN_ADVANCED, c.advanced},
        {IDC_BURN_HELP, c.help},       {IDC_BURN_ERASE, c.erase}};
    for (const auto& state : states)
        ::EnableWindow(::GetDlgItem(m_hWnd, state.first), state.second);
}

void CBurnCdDialog::OnListChanged(NMHDR* header, LRESULT* result)
{
    if (reinterpret_cast<const NMLISTVIEW*>(header)->uChanged & LVIF_STATE)
        EnableControls();
    *result = 0;
}

void CBurnCdDialog::StopPreview()
{
    if (!m_preview)
        return;
    if (!FileMode())
        StopDocumentPreview();
    else if (IKvSKsFIO* fio = m_host.FileModule())
        fio->StopPreview();
    m_preview = false;
    SetDlgItemText(IDC_BURN_PREVIEW, Text(20369).c_str());
}

LRESULT CBurnCdDialog::OnPreviewStopped(WPARAM, LPARAM)
{
    if (!FileMode()) {
        StopPreview();
        return 0;
    }
    if (IKvSKsFIO* fio = m_host.FileModule()) {
        LONG code = 0;
        LONG_PTR a = 0, b = 0;
        bool complete = false;
        while (fio->GetNextEvent(&code, &a, &b, 0) == 0)
            complete |= code == 1;
        if (!complete && !m_preview)
            return 0;
    }
    StopPreview();
    return 0;
}

void CBurnCdDialog::OnPreview()
{
    if (m_preview) {
        StopPreview();
        return;
    }
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1)
        return;
    IKvSKsFIO* fio = m_host.FileModule();
    const BurnTrackRecord& r = m_tracks[size_t(rows.front())];
    const HRESULT hr = !FileMode() ? PreviewDocumentTrack(r)
                       : fio       ? fio->PlayPreview(m_hWnd, (r.folder + r.fileName).c_str())
                                   : E_FAIL;
    if (FAILED(hr)) {
        m_host.ShowErrorBox(hr);
        return;
    }
    m_preview = true;
    SetDlgItemText(IDC_BURN_PREVIEW, Text(20370).c_str());
}

void CBurnCdDialog::OnAddFiles()
{
    StopPreview();
    IKvSKsFIO* fio = m_host.FileModule();
    LONG count = 0;
    FileFormatEntry* table = nullptr;
    if (!fio || FAILED(fio->GetFileTypes(&count, &table, 1)) || !table || count <= 0) {
        if (table)
            GlobalFree(table);
        return;
    }
    std::vector<ReadableFormat> formats;
    std::vector<FileFormatEntry> offered;
    for (LONG i = 0; i < count; ++i) {
        const ReadableFormat f{std::string(table[i].description, strnlen(table[i].description, sizeof table[i].description)),
                               std::string(table[i].extensions, strnlen(table[i].extensions, sizeof table[i].extensions))};
        int one = 0;
        BuildAddFilesFilter({f}, "", "", &one);
        if (one) {
            formats.push_back(f);
            offered.push_back(table[i]);
        }
    }
    GlobalFree(table);
    int n = 0;
    const std::string filter = BuildAddFilesFilter(formats, Text(20242), Text(20243), &n);
    std::string folder;
    GetSettingString("Settings", "LastLoadDir", "", &folder);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    std::vector<std::string> paths;
    if (!m_host.ChooseSoundFiles(this, filter.c_str(), folder.c_str(), n, offered.data(), &paths))
        return;
    std::vector<std::string> unsupported, tooManyChannels;
    for (const std::string& path : paths) {
        if (path.find(".dvf") != std::string::npos || path.find(".msv") != std::string::npos) {
            unsupported.push_back(path);
            continue;
        }
        FileInfoRecord info{};
        const HRESULT hr = fio->QueryFileInfo(nullptr, path.c_str(), -1, 0, &info);
        if (hr == kUnsupportedFile) {
            unsupported.push_back(path);
            continue;
        }
        if (FAILED(hr))
            continue;
        if (info.channels > 2) {
            tooManyChannels.push_back(path);
            continue;
        }
        BurnTrackRecord r;
        r.trackNumber = int32_t(m_tracks.size()) + 1;
        r.preGap = r.trackNumber == 1 ? 2 : 0;
        r.length = info.duration;
        const size_t slash = path.find_last_of("\\/");
        r.folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        r.fileName = path.substr(slash == std::string::npos ? 0 : slash + 1);
        m_tracks.push_back(r);
    }
    FillList();
    const std::pair<UINT, const std::vector<std::string>*> boxes[] = {{IDS_BURN_UNSUPPORTED, &unsupported},
                                                                      {IDS_BURN_TOO_MANY_CHANNELS, &tooManyChannels}};
    for (const auto& box : boxes) {
        if (box.second->empty())
            continue;
        std::string text = Text(box.first);
        for (const std::string& path : *box.second)
            text += "\n" + path;
        AfxMessageBox(text.c_str(), MB_OK);
    }
    EnableControls();
}

void CBurnCdDialog::OnMoveUp()
{
    StopPreview();
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1 || !MoveTrackUp(m_tracks, rows.front()))
        return;
    FillList();
    ListView_SetItemState(::GetDlgItem(m_hWnd, IDC_BURN_TRACKS), rows.front() - 1, LVIS_SELECTED, LVIS_SELECTED);
}

void CBurnCdDialog::OnMoveDown()
{
    StopPreview();
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1 || !MoveTrackDown(m_tracks, rows.front()))
        return;
    FillList();
    ListView_SetItemState(::GetDlgItem(m_hWnd, IDC_BURN_TRACKS), rows.front() + 1, LVIS_SELECTED, LVIS_SELECTED);
}

void CBurnCdDialog::OnDelete()
{
    StopPreview();
    if (!DeleteTracks(m_tracks, SelectedRows()))
        return;
    FillList();
    EnableControls();
}

void CBurnCdDialog::OnCombine()
{
    StopPreview();
    const std::vector<int> rows = SelectedRows();
    if (FileMode() || rows.size() != 1 || !CombineWithNext(m_tracks, rows.front()))
        return;
    FillList();
}

void CBurnCdDialog::OnPreGap()
{
    StopPreview();
    std::vector<int> rows = SelectedRows();
    rows.erase(std::remove(rows.begin(), rows.end(), 0), rows.end());
    if (rows.empty())
        return;
    CPreGapDialog dialog(m_tracks[size_t(rows.front())].preGap, this);
    if (dialog.DoModal() != IDOK)
        return;
    SetPreGaps(m_tracks, rows, dialog.m_preGap);
    FillList();
    EnableControls();
}

void CBurnCdDialog::OnHelp()
{
    StopPreview();
    HelpLauncher help;
    if (!help.ShowTopic(FileMode() ? 118 : 117, 0))
        help.ShowTopic(121, 0);
}

void CBurnCdDialog::OnCancel()
{
    if (m_operation != kIdle)
        return;
    StopPreview();
    CDialog::OnCancel();
}

void CBurnCdDialog::OnPaint()
{
    CPaintDC dc(m_hWnd);
    RECT gauge;
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_BURN_GAUGE), &gauge);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&gauge), 2);
    const int width = gauge.right - gauge.left;
    for (int minutes : {20, 74, 80}) {
        const int x = gauge.left + width * minutes / 80 - (minutes == 80 ? 1 : 0);
        ::MoveToEx(dc.m_hDC, x, gauge.bottom + 1, nullptr);
        ::LineTo(dc.m_hDC, x, gauge.bottom + 5);
    }
}

void CBurnCdDialog::OnContextMenu(CWnd*, CPoint point)
{
    HMENU menu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_BURN_CD_MENU));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu, FileMode() ? 1 : 0);
    if (point.x == -1 && point.y == -1)
        ::GetCursorPos(&point);
    HWND top = m_hWnd;
    while (HWND parent = ::GetParent(top))
        top = parent;
    OnInitMenuPopup(popup, 0, FALSE);
    const UINT command = UINT(::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr));
    DestroyMenu(menu);
    if (command)
        ::SendMessageA(m_hWnd, WM_COMMAND, command, 0);
}

void CBurnCdDialog::OnInitMenuPopup(HMENU menu, UINT, BOOL systemMenu)
{
    if (systemMenu || !menu)
        return;
    const std::vector<int> rows = SelectedRows();
    const BurnControls c = BurnControlsFor(m_operation != kIdle, FileMode(), false, int(m_tracks.size()), rows);
    const bool combine = m_tracks.size() > 1 && rows.size() == 1 && rows.front() + 1 < int(m_tracks.size());
    const std::pair<UINT, bool> items[] = {{ID_BURN_COMBINE, combine}, {ID_BURN_ADD_FILES, c.add},
                                           {ID_BURN_DELETE_FILES, c.remove}, {ID_BURN_PREGAP, c.preGap},
                                           {ID_BURN_PREVIEW, c.preview}};
    for (const auto& item : items)
        ::EnableMenuItem(menu, item.first, MF_BYCOMMAND | (item.second ? MF_ENABLED : MF_GRAYED));
}
