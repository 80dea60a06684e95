// CTrackPropertiesDialog (template 167): the document's file facts and one track's label,
// volume, pan and time offset. It edits a snapshot of all track properties (a
// ChangePropertyCommand) and, on OK, runs it in a "Properties" transaction together with the
// label moves an offset change brings; the transaction enters the history when the window goes.
// A dialog that cannot take its snapshot ends at once with IDABORT.
#pragma once
#include "ChangePropertyCommand.h"
#include "ComRef.h"
#include "FwDialog.h"
#include "TransactionCommand.h"

#include <cstdint>
#include <string>

class CNyMultiTrackView;
class CNyMultiTrackDoc;

// The decimal value of a text times 100, half away from zero ("3.525" -> 353).
int32_t ParseHundredthsText(const char* text);

class CTrackPropertiesDialog : public CDialog {
public:
    explicit CTrackPropertiesDialog(CWnd* parent = nullptr);
    ~CTrackPropertiesDialog() override;

    void SetView(CNyMultiTrackView* view) { m_view = view; }
    void SetTrack(int track) { m_track = track; }
    // Modeless use (tests drive the controls): created over the parent, ended by OK/Cancel.
    BOOL CreateModeless(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void FillFields();
    std::string FormatOffset(int64_t position) const;
    // 1 on success, 0 when the transaction failed (the dialog stays open).
    int Apply();
    void ShiftTrackLabels();

    void OnSelChangeOffsetUnit();
    void OnVolumeSpin(NMHDR* header, LRESULT* result);
    void OnPanSpin(NMHDR* header, LRESULT* result);
    void OnVolumeKillFocus();
    void OnPanKillFocus();
    void OnDestroy();

    ChangePropertyCommand* GetPropertyCommand() const { return m_property.Get(); }

private:
    CNyMultiTrackDoc* Doc() const;
    TrackPropertyRecord& Entry() { return m_property->newTracks[size_t(m_track)]; }
    void Spin(NMHDR* header, LRESULT* result, int edit, int low, int high);
    void SetHundredths(int edit, int spin, int value);
    std::string ItemText(int id) const;

    CNyMultiTrackView* m_view = nullptr;
    int m_track = 0;
    ComRef<ChangePropertyCommand> m_property;
    uint32_t m_unit = 2;
    DWORD m_rate = 0;
    ComRef<TransactionCommand> m_transaction;
    int64_t m_offsetChange = 0;
    // Changes taken into the snapshot that no successful Apply has run yet.
    bool m_pending = false;

    DECLARE_MESSAGE_MAP()
};
