// PropertiesDialog ("Properties"): the facts of a multitrack document and its editable
// properties (master volume, reference video file, and per track label, volume, pan and start
// offset). Every change of one opening becomes one undoable action: a "Properties" transaction
// holding the document's property snapshot and the label moves a changed offset causes. Apply
// and OK execute them; the transaction reaches the history when the window goes, after at least
// one successful Apply.
//
//   PropertiesDialog dialog(document, view, shownTrack);
//   dialog.DoModal();   // throws CKvSSException when the commands cannot be made
#pragma once
#include "ChangePropertyCommand.h"
#include "ComRef.h"
#include "Framework.h"
#include "TransactionCommand.h"

#include <cstdint>
#include <functional>
#include <string>

class CNyMultiTrackDoc;

// The text's decimal value times 100, rounded half away from zero ("-3.256" gives -326; no
// number gives 0). What follows the number is ignored.
int64_t ParseHundredths(const char* text);

// The document's format name and attribute text ("44.1 kHz, 16 bit, ..."), which the file
// formats know; empty until the program installs a source.
using DocumentFormatTexts = std::function<void(CNyMultiTrackDoc* document, std::string* name, std::string* attributes)>;
void SetDocumentFormatTexts(DocumentFormatTexts source);

class PropertiesDialog : public CDialog {
public:
    PropertiesDialog(CNyMultiTrackDoc* document, CWnd* parent = nullptr, int shownTrack = 0);

    // Makes the transaction and the snapshot (a failure is thrown as CKvSSException), then runs.
    INT_PTR DoModal() override;
    // The same for a modeless run.
    BOOL Create(UINT templateId, CWnd* parent = nullptr) override;

    // Offset units of the unit combo (FormatPosition codes).
    static constexpr uint32_t kUnitSeconds = 2, kUnitMilliseconds = 4, kUnitSamples = 8;
    // The length as "hh:mm:ss.fff".
    static CString FormatLength(int64_t samples, DWORD rate);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDestroy();
    void OnApply();
    void OnBrowse();
    void OnHelp();
    void OnTrackChanged();
    void OnUnitChanged();
    void OnEditKillFocus(UINT id);
    void OnEditSetFocus(UINT id);
    void OnEditChange(UINT id);
    void OnSpin(UINT id, NMHDR* header, LRESULT* result);

private:
    void MakeCommands();
    // Takes the values and executes; false (the user told) when a value or the execution failed.
    bool Apply();
    bool TakesVideo() const;
    void ShowValues();
    // Moves the shown controls into the snapshot; the id of the first edit that failed, or 0.
    int TakeValues();
    // Runs the snapshot, then moves the labels; takes back what ran when a step fails.
    HRESULT Execute();
    void SetLevelText(int id, int hundredths);

    CNyMultiTrackDoc* m_document;
    int m_track;
    DWORD m_rate = 0;
    uint32_t m_unit = kUnitSeconds;
    ComRef<TransactionCommand> m_transaction;
    ComRef<ChangePropertyCommand> m_snapshot;
    bool m_applied = false;
    bool m_showing = false;
    DECLARE_MESSAGE_MAP()
};
