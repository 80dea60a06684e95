// CEditMarkersDlg: edits a copy of one label (name, start, end and length in any time unit),
// checks each typed position, keeps the three consistent by a chosen fixed pair, and plays the
// label's range as a preview. The caller reads the record after IDOK.
#pragma once
#include "ComRef.h"
#include "Framework.h"
#include "KsMultiTrack.h"
#include "LabelRecord.h"

#include <cstdint>

class CNyMultiTrackDoc;

class CEditMarkersDlg : public CDialog {
public:
    explicit CEditMarkersDlg(CWnd* parent = nullptr);
    ~CEditMarkersDlg() override;

    enum Mode { kStartEnd, kStartLength, kEndLength };

    // What the caller fills before DoModal.
    uint32_t sampleRate = 0;
    uint32_t unit = 1;
    double frameRate = 0.0;
    LabelRecord record{};
    CNyMultiTrackDoc* document = nullptr;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // The field check run when a field loses the focus (and for every field on OK and
    // Preview); false when refused.
    bool TestField(int id);
    void TogglePreview();
    bool IsPreviewing() const { return m_previewing != 0; }
    // Where the preview is heard; E_POINTER while none plays.
    HRESULT GetPreviewPosition(int64_t* position);
    void SetMode(int mode);

private:
    bool HasEnd() const;
    bool IsLoop() const { return (record.kind & 0xFF) == kLabelLoop; }
    void ShowFields();
    void ApplyMode();
    int Mode() const;
    bool Reject(int id, bool beep);
    bool Fail(int id);
    bool FocusIsOn(int id) const;
    bool FocusInDialog() const;
    void StopPreview(bool forGood);
    void EndOfPlayback();
    void RestoreDocumentSelection();
    int64_t ReadField(int id, int64_t current);
    void OnStartKillFocus();
    void OnEndKillFocus();
    void OnLengthKillFocus();
    void OnUnitChange();
    void OnHelp();
    void OnDestroy();
    LRESULT OnTracksStop(WPARAM, LPARAM);

    ComRef<IMtTransport> m_player;
    int m_previewing = 0;
    LONG m_savedEngineValue = 0;
    DECLARE_MESSAGE_MAP()
};
