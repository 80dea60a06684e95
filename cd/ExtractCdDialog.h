// CExtractCdDialog: "Extract Audio from CD". The user picks a CD drive, sees its audio tracks,
// ticks tracks, previews one, and imports the ticked tracks into new windows or the active
// window, each as its own track or all one after another on one track with a mark at each join.
// A track is the file "%c:\Track%02d.cda"; the file module reads it.
#pragma once
#include "CdDrive.h"
#include "CdHost.h"
#include "CdIds.h"
#include "CheckListCtrl.h"
#include "Framework.h"

class CNyMultiTrackDoc;

class CExtractCdDialog : public CDialog {
public:
    enum { IDD = IDD_EXTRACT_CD };
    CExtractCdDialog(CWnd* parent, CdHost& host);
    ~CExtractCdDialog() override;

    // The engine's report record of message 0x40A.
    struct Report {
        LONG value;
        char text[320];
        LONG cancel;
        WORD flags;
        LONG closeValue;
    };

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnSelectAll();
    void OnDeselectAll();
    void OnRefresh();
    void OnCancelImport();
    void OnImportNew();
    void OnImportActive();
    void OnPreview();
    void OnHelp();
    void OnDestroy();
    void OnTracksChanged(NMHDR* header, LRESULT* result);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT draw);
    LRESULT OnEngineReport(WPARAM state, LPARAM record);
    LRESULT OnPreviewEvent(WPARAM, LPARAM);
    LRESULT OnDeviceChange(WPARAM event, LPARAM data);

private:
    void FillDriveList();
    void RefreshTracks();
    void UpdateButtons();
    void StopPreview();
    char SelectedLetter();
    void Import(bool newWindow);
    bool AppendToAnchor(CNyMultiTrackDoc* document, int anchor, const std::string& path);
    void SetTicks(bool ticked);

    CdHost& m_host;
    CComboBox m_drives;
    CCheckListCtrl m_tracks;
    CProgressCtrl m_progress;
    int m_asOne = 0;
    HIMAGELIST m_images = nullptr;
    CCdDrive m_drive;
    LONG m_cancel = 1;
    int m_preview = 0;
    int m_importRow = -1;
    int m_savedSplit = 0;
    bool m_importing = false;
    DECLARE_MESSAGE_MAP()
};
