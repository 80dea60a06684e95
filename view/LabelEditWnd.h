// CLabelEditWnd: the in-place edit box over a mark's name in the track area's marker strip or
// in the time ruler. Enter renames the mark as one "Cue" step (blanks only: the mark is deleted
// as one undoable step); Escape leaves it; losing the focus ends the edit through the
// application's in-place edit slot, which owns the box.
#pragma once
#include "Framework.h"
#include "LabelRecord.h"

class CLabelTable;
class CommandDocument;
class CNyMultiTrackView;

class CLabelEditWnd : public CEdit {
public:
    static constexpr UINT kControlId = 1099;

    CLabelEditWnd() = default;
    ~CLabelEditWnd() override;

    // Creates the box over the label's name (a child of the ruler for an all-tracks mark,
    // else of the track area) and shows the name; FALSE when the label or the pane is missing.
    BOOL StartEdit(CNyMultiTrackView* view, CLabelTable* table, int labelId, DWORD extraStyle);
    CLabelTable* GetTarget() const { return m_table; }

    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKillFocus(CWnd* next);
    // The parent pane hands its colour request back (0x2000 + WM_CTLCOLOREDIT).
    LRESULT OnCtlColor(WPARAM dc, LPARAM);

private:
    // Enter: the typed name replaces the mark's, or blanks delete the mark.
    void Commit();
    void Close();

    LabelRecord m_record{};
    CLabelTable* m_table = nullptr;
    DWORD m_readOnly = 0;
    RECT m_screen{};
    CNyMultiTrackView* m_view = nullptr;

    DECLARE_MESSAGE_MAP()
};

// The label editor opened in the application's in-place edit slot (the view's Edit Marker
// command and a click on a mark come here through the view host).
void BeginLabelEdit(CNyMultiTrackView* view, int labelId);
// What a new cue or section command calls (SetLabelEditStarter): the name editor over the new
// mark in the document's view.
void StartNewLabelEdit(CommandDocument* document, const LabelRecord& record, DWORD style);
