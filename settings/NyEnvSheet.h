// CNyEnvSheet ("Settings"): the general defaults of the program on five pages (recording,
// audio properties of new data, temporary folder, display, editing). It reads the application's
// settings fields (the document host's default settings record) and section "Settings" when it
// is built; SaveValues, after OK, writes back what changed and says whether views need a repaint.
//
//   CNyEnvSheet sheet(caption, mainFrame, lastPage);
//   if (sheet.DoModal() == IDOK && sheet.SaveValues()) ...   // repaint the views
//   lastPage = sheet.PageIndex();
#pragma once
#include "Framework.h"

class CNyEnvRecordPage : public CPropertyPage {
    DECLARE_DYNCREATE(CNyEnvRecordPage)
public:
    CNyEnvRecordPage();
    int m_peakHold = 0;
    int m_channels = 1; // 1 mono, 2 stereo

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnMono() { m_channels = 1; }
    void OnStereo() { m_channels = 2; }
    DECLARE_MESSAGE_MAP()
};

class CNyEnvDataPage : public CPropertyPage {
    DECLARE_DYNCREATE(CNyEnvDataPage)
public:
    CNyEnvDataPage();
    CString m_rateText;
    CString m_bitsText;
    int m_channels = 1;

    // "44,100Hz" for 44100, "800Hz" below 1000.
    static CString FormatRate(int rate);
    // Commas dropped, the number at the start ("44,100Hz" gives 44100).
    static int ParseRate(const CString& text);
    static constexpr int kMinRate = 2000, kMaxRate = 192000;

protected:
    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnRateKillFocus();
    void OnChannelsChanged();
    DECLARE_MESSAGE_MAP()
};

class CNyEnvTempPage : public CPropertyPage {
    DECLARE_DYNCREATE(CNyEnvTempPage)
public:
    CNyEnvTempPage();
    CString m_folder;
    int m_keepFiles = 0;

    // Deletes the temporary files no open document uses; the failing code, or S_OK.
    static HRESULT DeleteUnusedTempFiles();

protected:
    BOOL OnKillActive() override;
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnBrowse();
    void OnDeleteTempFiles();
    DECLARE_MESSAGE_MAP()
};

class CNyEnvViewPage : public CPropertyPage {
    DECLARE_DYNCREATE(CNyEnvViewPage)
public:
    CNyEnvViewPage();
    int m_resetPanes = 0;
    int m_openLastFiles = 0;
    int m_waveShowMode = 0; // 0 quick, 1 detailed

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnQuickView() { m_waveShowMode = 0; }
    void OnDetailedView() { m_waveShowMode = 1; }
    DECLARE_MESSAGE_MAP()
};

class CNyEnvEditPage : public CPropertyPage {
    DECLARE_DYNCREATE(CNyEnvEditPage)
public:
    CNyEnvEditPage();
    int m_mouseEdit = 1;

protected:
    void OnOK() override;
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
};

class CNyEnvSheet : public CPropertySheet {
public:
    CNyEnvSheet(const char* caption, CWnd* parent, int startPage);

    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    void LoadValues();
    // 1 when a change needs the views repainted.
    int SaveValues();
    // The page shown when the sheet closed (the start page until then).
    int PageIndex() const { return m_pageIndex; }

    CNyEnvRecordPage m_record;
    CNyEnvDataPage m_data;
    CNyEnvTempPage m_temp;
    CNyEnvViewPage m_view;
    CNyEnvEditPage m_edit;

protected:
    void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    int m_pageIndex = 0;
    bool m_recordChannelsCorrected = false;
};
