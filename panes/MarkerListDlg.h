// CMarkerListDlg: the Marker List pane: every cue, section and loop of the attached view's
// document with name, track, start, end and length in a chosen unit; add, edit, delete, sort,
// copy to all tracks and export as CSV. A selected row moves the selection to its label.
#pragma once
#include "DialogPane.h"
#include "MarkerListRows.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

class ControllerViewLink;
class CNyMultiTrackDoc;

class CMarkerListDlg : public CDialogPane {
public:
    CMarkerListDlg();

    void SetView(ControllerViewLink* view);
    ControllerViewLink* GetView() const { return m_view; }
    void SetUnit(uint32_t unit);
    // The name the ruler's unit change calls it by.
    void SetTrackFilter(uint32_t unit) { SetUnit(unit); }
    void Refresh();
    void SelectItem(int labelId);
    void SelectItemClamped(int index);
    int GetSelectedItem() const;

    // The actions of the buttons.
    void AddMarker();
    void EditMarker();
    void DeleteMarkers();
    void ToAllTracks();
    // Writes the list as CSV; 0 or the file error.
    DWORD ExportCsv(const char* path);
    // The box for an export's file error: the system's text for it, or the program's words for
    // an unknown error when the system has none.
    void ShowExportError(DWORD error);
    void SortByColumn(int column);

    // Rows (for the pane's owner and the tests).
    int GetRowCount() const;
    int GetRowLabelId(int row) const;
    std::string GetRowText(int row, int column) const;
    void SelectRows(const std::vector<int>& rows);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override {}
    BOOL PreTranslateMessage(MSG* msg) override;

private:
    CNyMultiTrackDoc* Document() const;
    bool IsBusy() const;
    // Every label the list shows: those of all tracks first, then track by track, each group
    // in the table's order.
    void Collect(std::vector<MarkerRow>& rows);
    void SortCollected(std::vector<MarkerRow>& rows);
    std::string CellText(const MarkerRow& row, int column) const;
    void UpdateButtons();
    void GoToCurrentRow();
    void Layout();
    void SaveWidths();
    std::vector<int> SelectedRows() const;
    void ClearRows();
    // Tells the list how many rows there are; they are drawn from m_rows when shown.
    void ShowRowCount();
    // The list asks for a cell's text when it shows it.
    void FillDispInfo(NMLVDISPINFOA* info);
    // Typing in the list finds the next row from `from` whose name starts with the typed text
    // (LVFI_PARTIAL) or is it; -1 when none.
    int FindRow(const std::string& text, UINT flags, int from) const;
    void OnSize(UINT type, int cx, int cy);
    void OnShowWindow(BOOL show, UINT status);
    void OnEnable(BOOL enable);
    void OnDestroy();
    void OnToAllTracks();
    void OnExport();
    void OnHelp();
    void OnUnitChange();
    void OnColumnClick(NMHDR* header, LRESULT* result);
    void OnGetDispInfo(NMHDR* header, LRESULT* result);
    void OnDoubleClick(NMHDR* header, LRESULT* result);
    void OnClick(NMHDR* header, LRESULT* result);
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnRangeChanged(NMHDR* header, LRESULT* result);
    void OnFindItem(NMHDR* header, LRESULT* result);
    HWND List() const { return ::GetDlgItem(m_hWnd, 5065); }

    ControllerViewLink* m_view = nullptr;
    uint32_t m_unit = 1;
    int m_sort[5] = {1, 0, 0, 0, 0};
    int m_bulk = 0;
    // The labels of the rows in list order. The list holds no rows of its own (owner data):
    // it knows their count and asks for the texts of the rows it draws.
    std::vector<MarkerRow> m_rows;
    DECLARE_MESSAGE_MAP()
};

// The pane in a mini frame of the main frame, hidden; null when it cannot be made.
CMarkerListDlg* CreateMarkerListPane(CWnd* mainFrame);
