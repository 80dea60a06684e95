// CSelectionControlDlg: the Selection Control pane: the active document's selection as start,
// end and length in one of six units, typed values becoming the selection. It formats and
// parses with its own texts (SelectionFieldText.h). The view attaches itself (SetView).
#pragma once
#include "DialogPane.h"

#include <cstdint>

class ControllerViewLink;
class CNyMultiTrackDoc;

class CSelectionControlDlg : public CDialogPane {
public:
    CSelectionControlDlg();

    void SetView(ControllerViewLink* view);
    ControllerViewLink* GetView() const { return m_view; }
    void UpdateFromSelection();

    // Edit modes: which two fields are typed.
    enum Mode { kStartEnd, kStartLength, kEndLength };

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // The field's position: its stored value when untouched, else its parsed text (-1: bad).
    int64_t GetFieldValue(int id);
    void SetField(int id, uint32_t unit, int64_t position);
    // Commits a typed field (on leaving it); false when it was refused.
    bool CommitField(int id);

private:
    CNyMultiTrackDoc* Document() const;
    bool ReadFormat();
    uint32_t GetUnitFlags();
    int Mode() const;
    void ApplyModeReadOnly();
    int64_t& Stored(int id);
    void ReportField(int id);
    bool FocusInPane() const;
    void ApplyFields();
    void CommitIfTyped(int id);
    void OnStartKillFocus();
    void OnEndKillFocus();
    void OnLengthKillFocus();
    void OnUnitChange();

    ControllerViewLink* m_view = nullptr;
    uint32_t m_rate = 0;
    double m_frameRate = 0.0;
    int32_t m_reserved = -1;
    uint32_t m_lastUnitWord = uint32_t(-1);
    int64_t m_start = 0;
    int64_t m_end = 0;
    int64_t m_length = 0;
    DECLARE_MESSAGE_MAP()
};

// The pane in a mini frame of the main frame, hidden; null when it cannot be made.
CSelectionControlDlg* CreateSelectionControlPane(CWnd* mainFrame);
