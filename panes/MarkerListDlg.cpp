#include "MarkerListDlg.h"

#include "CommandInterfaces.h"
#include "CommandSupport.h"
#include "ControllerViewLink.h"
#include "DocumentHost.h"
#include "EditMarkersDlg.h"
#include "ErrorText.h"
#include "HelpLauncher.h"
#include "MarkCommands.h"
#include "MarkerListRows.h"
#include "MultiTrackDoc.h"
#include "PanesIds.h"
#include "PositionText.h"
#include "ResourceModule.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "TimeUnitCombo.h"
#include "TransactionCommand.h"

#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <unordered_map>

namespace {

constexpr const char* kColumnTitles[kMarkerColumnCount] = {"Name", "Track", "Start", "End", "Length"};
constexpr int kCmdNewCue = 1033;
constexpr int kCmdNewSection = 1034;

void ShowError(HRESULT code)
{
    GetDocumentHost().ShowErrorBox(code, MB_ICONEXCLAMATION);
}

} // namespace

CMarkerListDlg::CMarkerListDlg() : CDialogPane(IDD_MARKER_LIST) {}

BOOL CMarkerListDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND list = List();
    // Until the user sizes them, the time columns are wide enough for a time of the list's font:
    // 50 pixels cut "00 : 00 : 01.000".
    const int time = std::max(50, int(ListView_GetStringWidth(list, "00 : 00 : 00.000")) + 16);
    int widths[5] = {150, 60, time, time, time};
    std::string saved;
    GetSettingString("Settings", "LabelWndHeaderWidth", "", &saved);
    if (!saved.empty())
        std::sscanf(saved.c_str(), "%d:%d:%d:%d:%d", &widths[0], &widths[1], &widths[2], &widths[3], &widths[4]);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    // Each column would otherwise lay the header out again, a handful of window moves apiece.
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (int c = 0; c < kMarkerColumnCount; ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.cx = widths[c] < 1 ? 50 : widths[c];
        column.pszText = const_cast<char*>(kColumnTitles[c]);
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    FillTimeUnitCombo(::GetDlgItem(m_hWnd, IDC_TIME_UNIT), m_unit);
    UpdateButtons();
    return TRUE;
}

CNyMultiTrackDoc* CMarkerListDlg::Document() const
{
    return m_view ? m_view->GetDocument() : nullptr;
}

bool CMarkerListDlg::IsBusy() const
{
    return GetDocumentHost().IsTransportBusy() != FALSE;
}

void CMarkerListDlg::SetView(ControllerViewLink* view)
{
    if (view == m_view)
        return;
    m_view = view;
    ClearRows();
    if (CNyMultiTrackDoc* doc = Document()) {
        m_unit = doc->GetSettings().rulerUnit;
        SelectTimeUnit(::GetDlgItem(m_hWnd, IDC_TIME_UNIT), m_unit);
        Refresh();
    } else {
        UpdateButtons();
    }
}

void CMarkerListDlg::SetUnit(uint32_t unit)
{
    m_unit = unit;
    SelectTimeUnit(::GetDlgItem(m_hWnd, IDC_TIME_UNIT), unit);
    Refresh();
}

void CMarkerListDlg::Collect(std::vector<MarkerRow>& rows)
{
    rows.clear();
    CNyMultiTrackDoc* doc = Document();
    if (!doc)
        return;
    std::unordered_map<int, int> indexOf;
    for (int track = 0, count = doc->GetTrackCount(); track < count; ++track)
        indexOf.emplace(doc->GetTrackId(track), track);
    rows.reserve(size_t(doc->GetLabels().GetSize()));
    doc->GetLabels().ForEachMarker([&](const LabelRecord& record) {
        if (record.trackId == -1)
            rows.emplace_back(record, -1);
        else if (auto found = indexOf.find(record.trackId); found != indexOf.end())
            rows.emplace_back(record, found->second);
    });
    std::stable_sort(rows.begin(), rows.end(),
                     [](const MarkerRow& a, const MarkerRow& b) { return a.trackIndex < b.trackIndex; });
}

void CMarkerListDlg::SortCollected(std::vector<MarkerRow>& rows)
{
    for (int c = 0; c < kMarkerColumnCount; ++c)
        if (m_sort[c])
            SortMarkerRows(rows, c, m_sort[c] == 2);
}

std::string CMarkerListDlg::CellText(const MarkerRow& row, int column) const
{
    CNyMultiTrackDoc* doc = Document();
    const uint32_t rate = doc ? doc->GetSamplesPerSec() : 0;
    const double frameRate = doc ? doc->GetSettings().frameRate : 0.0;
    switch (column) {
    case kMarkerColName: {
        const size_t last = row.name.find_last_not_of(' ');
        return last == std::string::npos ? "" : row.name.substr(0, last + 1);
    }
    case kMarkerColTrack: {
        if (row.trackIndex < 0) {
            CString all;
            if (!all.LoadString(IDS_ALL_TRACKS))
                all = "All";
            return all.GetString();
        }
        return std::to_string(row.trackIndex + 1);
    }
    case kMarkerColStart:
        return FormatPosition(rate, m_unit, frameRate, row.start);
    case kMarkerColEnd:
        return LabelHasEnd(row.kind) ? FormatPosition(rate, m_unit, frameRate, row.end) : "";
    default:
        return LabelHasEnd(row.kind) ? FormatPosition(rate, m_unit, frameRate, row.end - row.start) : "";
    }
}

void CMarkerListDlg::ClearRows()
{
    ListView_DeleteAllItems(List());
    m_rows.clear();
}

void CMarkerListDlg::ShowRowCount()
{
    ::SendMessageA(List(), LVM_SETITEMCOUNT, m_rows.size(), LVSICF_NOSCROLL);
}

void CMarkerListDlg::FillDispInfo(NMLVDISPINFOA* info)
{
    const int row = info->item.iItem;
    if (row < 0 || row >= int(m_rows.size()))
        return;
    if (info->item.mask & LVIF_PARAM)
        info->item.lParam = m_rows[size_t(row)].id;
    if (!(info->item.mask & LVIF_TEXT) || !info->item.pszText || info->item.cchTextMax <= 0)
        return;
    const int column = info->item.iSubItem;
    info->item.pszText[0] = 0;
    if (column >= 0 && column < kMarkerColumnCount)
        lstrcpynA(info->item.pszText, CellText(m_rows[size_t(row)], column).c_str(), info->item.cchTextMax);
}

int CMarkerListDlg::FindRow(const std::string& text, UINT flags, int from) const
{
    const int count = int(m_rows.size());
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || count == 0)
        return -1;
    const int first = from < 0 || from >= count ? 0 : from;
    for (int n = 0; n < count; ++n) {
        const int row = (first + n) % count;
        if (row < first && !(flags & LVFI_WRAP))
            break;
        const std::string name = CellText(m_rows[size_t(row)], kMarkerColName);
        const bool match = (flags & LVFI_PARTIAL) ? _strnicmp(name.c_str(), text.c_str(), text.size()) == 0
                                                  : _stricmp(name.c_str(), text.c_str()) == 0;
        if (match)
            return row;
    }
    return -1;
}

void CMarkerListDlg::Refresh()
{
    if (!m_view || !m_hWnd)
        return;
    if (HWND frame = ::GetParent(m_hWnd); frame && !::IsWindowVisible(frame))
        return;
    std::vector<MarkerRow> labels;
    Collect(labels);
    if (m_rows.empty())
        SortCollected(labels);
    std::unordered_map<int, size_t> live;
    for (size_t i = 0; i < labels.size(); ++i)
        if ((labels[i].kind & 0xFF) != 0)
            live.emplace(labels[i].id, i);

    HWND list = List();
    m_bulk = 1;
    std::vector<int> selectedIds;
    for (int row : SelectedRows())
        selectedIds.push_back(GetRowLabelId(row));
    const int focusedId = GetRowLabelId(ListView_GetNextItem(list, -1, LVNI_FOCUSED));
    const size_t before = m_rows.size();
    m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(),
                                [&](const MarkerRow& row) { return !live.count(row.id); }),
                 m_rows.end());
    const bool removed = m_rows.size() != before;
    std::unordered_map<int, size_t> rowOf;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        rowOf.emplace(m_rows[row].id, row);
        m_rows[row] = std::move(labels[live[m_rows[row].id]]);
    }
    for (MarkerRow& label : labels)
        if ((label.kind & 0xFF) != 0 && !rowOf.count(label.id))
            m_rows.push_back(std::move(label));
    if (removed) {
        // The list keeps its selection by row number: rows after a removed one moved up.
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ShowRowCount();
        for (int id : selectedIds)
            if (auto found = rowOf.find(id); found != rowOf.end())
                ListView_SetItemState(list, int(found->second), LVIS_SELECTED, LVIS_SELECTED);
        if (auto found = rowOf.find(focusedId); found != rowOf.end())
            ListView_SetItemState(list, int(found->second), LVIS_FOCUSED, LVIS_FOCUSED);
    } else {
        ShowRowCount();
    }
    m_bulk = 0;
    UpdateButtons();
}

void CMarkerListDlg::SortByColumn(int column)
{
    for (int c = 0; c < kMarkerColumnCount; ++c)
        m_sort[c] = c == column ? (m_sort[c] == 1 ? 2 : 1) : 0;
    std::vector<MarkerRow> labels;
    Collect(labels);
    SortCollected(labels);
    m_bulk = 1;
    ClearRows();
    for (MarkerRow& label : labels)
        if ((label.kind & 0xFF) != 0)
            m_rows.push_back(std::move(label));
    ShowRowCount();
    m_bulk = 0;
    UpdateButtons();
}

int CMarkerListDlg::GetRowCount() const
{
    return int(m_rows.size());
}

int CMarkerListDlg::GetRowLabelId(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].id : 0;
}

std::string CMarkerListDlg::GetRowText(int row, int column) const
{
    if (row < 0 || row >= int(m_rows.size()) || column < 0 || column >= kMarkerColumnCount)
        return "";
    return CellText(m_rows[size_t(row)], column);
}

std::vector<int> CMarkerListDlg::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = -1; (row = ListView_GetNextItem(List(), row, LVNI_SELECTED)) >= 0;)
        rows.push_back(row);
    return rows;
}

void CMarkerListDlg::SelectRows(const std::vector<int>& rows)
{
    HWND list = List();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : rows)
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

int CMarkerListDlg::GetSelectedItem() const
{
    return ListView_GetNextItem(List(), -1, LVNI_SELECTED);
}

void CMarkerListDlg::SelectItem(int labelId)
{
    HWND list = List();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    if (labelId == -1)
        return;
    for (int row = 0; row < GetRowCount(); ++row) {
        if (GetRowLabelId(row) == labelId) {
            ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(list, row, FALSE);
            return;
        }
    }
}

void CMarkerListDlg::SelectItemClamped(int index)
{
    HWND list = List();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    const int count = GetRowCount();
    if (count == 0)
        return;
    if (index < 0 || index >= count)
        index = count - 1;
    ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, index, FALSE);
}

void CMarkerListDlg::UpdateButtons()
{
    if (!m_hWnd)
        return;
    CNyMultiTrackDoc* doc = Document();
    const bool busy = IsBusy();
    const bool tracks = doc && doc->GetTrackCount() > 0;
    const std::vector<int> selected = SelectedRows();
    bool trackLabel = false;
    for (size_t i = 0; i < selected.size() && !trackLabel; ++i) {
        const MarkerRow& row = m_rows[size_t(selected[i])];
        trackLabel = row.trackId != -1 && (row.kind & 0xFF) != 0;
    }
    auto enable = [&](int id, bool on) { ::EnableWindow(::GetDlgItem(m_hWnd, id), on); };
    enable(IDC_MARKER_ADD, tracks && !busy);
    enable(IDC_MARKER_EDIT, doc ? tracks && !busy && !selected.empty() : !selected.empty());
    enable(IDC_MARKER_DELETE, tracks ? !busy && !selected.empty() : !selected.empty());
    enable(IDC_MARKER_EXPORT, doc && !busy && GetRowCount() > 0);
    enable(IDC_MARKER_TO_ALL, !busy && trackLabel);
    enable(IDC_TIME_UNIT, !busy);
    enable(IDC_PANE_HELP, !busy);
}

void CMarkerListDlg::GoToCurrentRow()
{
    CNyMultiTrackDoc* doc = Document();
    const std::vector<int> selected = SelectedRows();
    if (!doc || selected.size() != 1 || IsBusy())
        return;
    LabelRecord record{};
    if (!doc->GetLabels().FindById(GetRowLabelId(selected[0]), &record))
        return;
    doc->GetLabels().SetActiveId(record.id);
    doc->GetSelection()->SetSelection(record.start, record.end, TRUE);
    if (m_view)
        m_view->SelectionMoved();
}

void CMarkerListDlg::AddMarker()
{
    CNyMultiTrackDoc* doc = Document();
    if (!doc || doc->GetTrackCount() == 0)
        return;
    if (m_view)
        m_view->SendCommand(doc->GetSelection()->HasSelection() ? kCmdNewSection : kCmdNewCue);
    SelectItemClamped(-1);
}

void CMarkerListDlg::EditMarker()
{
    CNyMultiTrackDoc* doc = Document();
    const int row = GetSelectedItem();
    if (!doc || doc->GetTrackCount() == 0 || row < 0 || IsBusy())
        return;
    CEditMarkersDlg dialog(this);
    if (!doc->GetLabels().FindById(GetRowLabelId(row), &dialog.record))
        return;
    const LabelRecord before = dialog.record;
    dialog.sampleRate = doc->GetSamplesPerSec();
    dialog.unit = m_unit;
    dialog.frameRate = doc->GetSettings().frameRate;
    dialog.document = doc;
    const INT_PTR result = dialog.DoModal();
    ::SetFocus(m_hWnd);
    if (result != IDOK)
        return;
    if (dialog.record.start == before.start && dialog.record.end == before.end &&
        std::strncmp(dialog.record.name, before.name, sizeof before.name) == 0)
        return;
    auto* command = NewCommand<ModMarkCommand>("Cue", doc, dialog.record);
    ComRef<IEditCommand> held(command);
    const HRESULT hr = doc->GetHistory()->Do(command, TRUE);
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    doc->SetModifiedFlag();
    Refresh();
    GoToCurrentRow();
}

void CMarkerListDlg::DeleteMarkers()
{
    CNyMultiTrackDoc* doc = Document();
    const std::vector<int> selected = SelectedRows();
    if (!doc || selected.empty() || IsBusy())
        return;
    auto* transaction = NewCommand<TransactionCommand>("Cue");
    ComRef<IEditCommand> held(transaction);
    for (int row : selected) {
        auto* command = NewCommand<DelMarkCommand>("Cue", doc, GetRowLabelId(row));
        ComRef<IEditCommand> child(command);
        const HRESULT added = transaction->Add(command);
        if (FAILED(added)) {
            ShowError(added);
            return;
        }
    }
    const HRESULT hr = doc->GetHistory()->Do(transaction, TRUE);
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    doc->SetModifiedFlag();
    Refresh();
    if (doc->GetSelection()->HasSelection()) {
        int64_t start = 0, end = 0;
        doc->GetSelection()->GetSelection(&start, &end);
        doc->GetSelection()->SetSelection(end, end, FALSE);
    }
    if (m_view)
        m_view->SelectionMoved();
}

void CMarkerListDlg::ToAllTracks()
{
    CNyMultiTrackDoc* doc = Document();
    if (!doc || IsBusy())
        return;
    // One undoable "Cue" step, so that undoing an earlier edit of these labels stays right.
    auto* transaction = NewCommand<TransactionCommand>("Cue");
    ComRef<IEditCommand> held(transaction);
    UINT changed = 0;
    for (int row : SelectedRows()) {
        LabelRecord record{};
        if (!doc->GetLabels().FindById(GetRowLabelId(row), &record) || record.trackId == -1 ||
            (record.kind & 0xFF) == 0)
            continue;
        record.trackId = -1;
        auto* command = NewCommand<ModMarkCommand>("Cue", doc, record);
        ComRef<IEditCommand> child(command);
        if (FAILED(transaction->Add(command)))
            return;
        ++changed;
    }
    if (!changed)
        return;
    const HRESULT hr = doc->GetHistory()->Do(transaction, TRUE);
    if (FAILED(hr)) {
        ShowError(hr);
        return;
    }
    if (doc->GetSelection()->HasSelection()) {
        int64_t start = 0, end = 0;
        doc->GetSelection()->GetSelection(&start, &end);
        doc->GetSelection()->SetSelection(end, end, FALSE);
    }
    doc->SetModifiedFlag();
    Refresh();
    GoToCurrentRow();
}

DWORD CMarkerListDlg::ExportCsv(const char* path)
{
    CNyMultiTrackDoc* doc = Document();
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    char unitName[64] = "";
    HWND combo = ::GetDlgItem(m_hWnd, IDC_TIME_UNIT);
    ::GetWindowTextA(combo, unitName, sizeof unitName);
    std::string text = CsvLine({doc ? doc->GetTitle().GetString() : "", unitName});
    text += CsvLine({kColumnTitles, kColumnTitles + kMarkerColumnCount});
    std::vector<std::string> cells(kMarkerColumnCount);
    for (const MarkerRow& row : m_rows) {
        for (int c = 0; c < kMarkerColumnCount; ++c)
            cells[size_t(c)] = CellText(row, c);
        text += CsvLine(cells);
    }
    DWORD written = 0;
    DWORD error = 0;
    if (!::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr))
        error = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
    else if (written != text.size())
        error = ERROR_HANDLE_DISK_FULL; // a short write sets no error of its own
    ::CloseHandle(file);
    return error;
}

void CMarkerListDlg::ShowExportError(DWORD error)
{
    // The system's texts may hold inserts an export has no arguments for: they stay as written.
    ErrorText text(GetResourceModule());
    AfxMessageBox(text.GetText(static_cast<HRESULT>(error)), MB_OK | MB_ICONEXCLAMATION);
}

void CMarkerListDlg::Layout()
{
    CRect client;
    GetClientRect(&client);
    HWND list = List();
    HWND add = ::GetDlgItem(m_hWnd, IDC_MARKER_ADD);
    if (!list || !add)
        return;
    RECT listRect, addRect;
    ::GetWindowRect(list, &listRect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&listRect), 2);
    ::GetWindowRect(add, &addRect);
    const int x0 = listRect.left, y0 = listRect.top, h = addRect.bottom - addRect.top;
    // Only what moves is moved: a move to the same place still costs the list a layout of its
    // header, and every move a round trip to the window server.
    const int width = client.Width() - 2 * x0, height = client.Height() - h - 3 * y0;
    if (listRect.right - listRect.left != width || listRect.bottom - listRect.top != height)
        ::MoveWindow(list, x0, y0, width, height, TRUE);
    const int top = client.Height() - h - y0;
    for (int id : {IDC_MARKER_ADD, IDC_MARKER_EDIT, IDC_MARKER_DELETE, IDC_PANE_HELP, IDC_MARKER_TO_ALL,
                   IDC_MARKER_EXPORT, IDC_TIME_UNIT}) {
        HWND control = ::GetDlgItem(m_hWnd, id);
        RECT r;
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        if (r.top != top)
            ::SetWindowPos(control, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
}

void CMarkerListDlg::SaveWidths()
{
    int widths[5];
    for (int c = 0; c < kMarkerColumnCount; ++c)
        widths[c] = ListView_GetColumnWidth(List(), c);
    char text[64];
    std::snprintf(text, sizeof text, "%d:%d:%d:%d:%d", widths[0], widths[1], widths[2], widths[3], widths[4]);
    SetSettingString("Settings", "LabelWndHeaderWidth", text);
}

void CMarkerListDlg::OnOK()
{
    if (m_view)
        if (HWND view = m_view->GetViewWindow())
            ::SetFocus(view);
}

BOOL CMarkerListDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_DELETE || msg->wParam == VK_INSERT) &&
        (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        if (msg->wParam == VK_DELETE)
            DeleteMarkers();
        else
            AddMarker();
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

BEGIN_MESSAGE_MAP(CMarkerListDlg, CDialogPane)
    ON_WM_SIZE()
    ON_WM_SHOWWINDOW()
    ON_WM_ENABLE()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_MARKER_ADD, AddMarker)
    ON_BN_CLICKED(IDC_MARKER_EDIT, EditMarker)
    ON_BN_CLICKED(IDC_MARKER_DELETE, DeleteMarkers)
    ON_BN_CLICKED(IDC_MARKER_TO_ALL, OnToAllTracks)
    ON_BN_CLICKED(IDC_MARKER_EXPORT, OnExport)
    ON_BN_CLICKED(IDC_PANE_HELP, OnHelp)
    ON_CBN_SELCHANGE(IDC_TIME_UNIT, OnUnitChange)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_MARKER_LIST, OnColumnClick)
    ON_NOTIFY(LVN_GETDISPINFOA, IDC_MARKER_LIST, OnGetDispInfo)
    ON_NOTIFY(NM_DBLCLK, IDC_MARKER_LIST, OnDoubleClick)
    ON_NOTIFY(NM_CLICK, IDC_MARKER_LIST, OnClick)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_MARKER_LIST, OnItemChanged)
    ON_NOTIFY(LVN_ODSTATECHANGED, IDC_MARKER_LIST, OnRangeChanged)
    ON_NOTIFY(LVN_ODFINDITEMA, IDC_MARKER_LIST, OnFindItem)
    ON_NOTIFY(LVN_ODFINDITEMW, IDC_MARKER_LIST, OnFindItem)
END_MESSAGE_MAP()

void CMarkerListDlg::OnSize(UINT type, int cx, int cy)
{
    Default();
    (void)type, (void)cx, (void)cy;
    Layout();
}

void CMarkerListDlg::OnShowWindow(BOOL show, UINT status)
{
    Default();
    (void)status;
    if (show) {
        Layout();
        Refresh();
    }
}

void CMarkerListDlg::OnEnable(BOOL enable)
{
    Default();
    (void)enable;
    UpdateButtons();
}

void CMarkerListDlg::OnDestroy()
{
    SaveWidths();
    Default();
}

void CMarkerListDlg::OnToAllTracks()
{
    CString ask;
    if (!ask.LoadString(IDS_TO_ALL_TRACKS_ASK))
        ask = "Apply specified cue points and sections to all tracks?";
    if (!IsBusy() && ::MessageBoxA(m_hWnd, ask.GetString(), nullptr, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK)
        ToAllTracks();
}

void CMarkerListDlg::OnExport()
{
    CNyMultiTrackDoc* doc = Document();
    std::string name = doc ? doc->GetTitle().GetString() : "";
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    if (!name.empty())
        name += ".csv";
    char path[MAX_PATH] = "";
    std::strncpy(path, name.c_str(), sizeof path - 1);
    std::string folder;
    GetSettingString("Settings", "LastSaveDir", "", &folder);
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_hWnd;
    open.lpstrFilter = "CSV(comma separated value)(*.csv)\0*.CSV\0";
    open.lpstrFile = path;
    open.nMaxFile = sizeof path;
    open.lpstrDefExt = "csv";
    open.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    open.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!::GetSaveFileNameA(&open))
        return;
    if (const DWORD error = ExportCsv(path)) {
        ShowExportError(error);
        return;
    }
    std::string chosen(path);
    SetSettingString("Settings", "LastSaveDir", chosen.substr(0, chosen.rfind('\\') + 1).c_str());
}

void CMarkerListDlg::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(300, reinterpret_cast<DWORD_PTR>(m_hWnd));
}

void CMarkerListDlg::OnUnitChange()
{
    if (const uint32_t unit = GetSelectedTimeUnit(::GetDlgItem(m_hWnd, IDC_TIME_UNIT))) {
        m_unit = unit;
        Refresh();
    }
}

void CMarkerListDlg::OnColumnClick(NMHDR* header, LRESULT*)
{
    SortByColumn(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
}

void CMarkerListDlg::OnGetDispInfo(NMHDR* header, LRESULT*)
{
    FillDispInfo(reinterpret_cast<NMLVDISPINFOA*>(header));
}

void CMarkerListDlg::OnDoubleClick(NMHDR*, LRESULT*)
{
    EditMarker();
}

void CMarkerListDlg::OnClick(NMHDR*, LRESULT*)
{
    UpdateButtons();
}

void CMarkerListDlg::OnItemChanged(NMHDR* header, LRESULT*)
{
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!m_bulk && ((change->uNewState ^ change->uOldState) & (LVIS_SELECTED | LVIS_FOCUSED)) &&
        (change->uNewState & LVIS_FOCUSED)) {
        GoToCurrentRow();
        UpdateButtons();
    }
}

void CMarkerListDlg::OnRangeChanged(NMHDR*, LRESULT*)
{
    if (!m_bulk)
        UpdateButtons();
}

void CMarkerListDlg::OnFindItem(NMHDR* header, LRESULT* result)
{
    // The list asks in its own character set whatever the dialog's.
    std::string text;
    UINT flags = 0;
    int from = 0;
    if (header->code == LVN_ODFINDITEMW) {
        const auto* find = reinterpret_cast<const NMLVFINDITEMW*>(header);
        flags = find->lvfi.flags;
        from = find->iStart;
        if (find->lvfi.psz) {
            char narrow[256] = "";
            ::WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, narrow, sizeof narrow, nullptr, nullptr);
            text = narrow;
        }
    } else {
        const auto* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
        flags = find->lvfi.flags;
        from = find->iStart;
        text = find->lvfi.psz ? find->lvfi.psz : "";
    }
    *result = FindRow(text, flags, from);
}

CMarkerListDlg* CreateMarkerListPane(CWnd* mainFrame)
{
    return CreateDialogPane<CMarkerListDlg>(mainFrame, "Marker List", CRect(0, 0, 520, 300));
}
