#include "NyEnvSheet.h"

#include "DocumentHost.h"
#include "EnvSheetHost.h"
#include "FileNames.h"
#include "HelpLauncher.h"
#include "KsMultiTrack.h"
#include "MultiTrackDoc.h"
#include "RegistryKey.h"
#include "Settings.h"
#include "SettingsIds.h"
#include "AudioDeviceIds.h"

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kHelpTopicSettings = 122;
constexpr const char* kRates[] = {"2,000Hz",  "4,000Hz",  "6,000Hz",  "8,000Hz",   "11,025Hz",  "12,000Hz",
                                  "16,000Hz", "22,050Hz", "24,000Hz", "32,000Hz",  "44,100Hz",  "48,000Hz",
                                  "64,000Hz", "88,200Hz", "96,000Hz", "128,000Hz", "176,400Hz", "192,000Hz"};

CString ResourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

int QueryInt(RegistryKey& key, const char* name, int missing)
{
    DWORD value = 0;
    return key.QueryDword(name, &value) == ERROR_SUCCESS ? (int)value : missing;
}

std::string WithBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

// The short form where the folder exists, for comparing two spellings of one folder.
std::string ShortForm(const std::string& path)
{
    char buffer[MAX_PATH] = "";
    DWORD length = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length && length < MAX_PATH ? std::string(buffer) : path;
}

bool SameFolder(const std::string& a, const std::string& b)
{
    return _stricmp(ShortForm(WithBackslash(a)).c_str(), ShortForm(WithBackslash(b)).c_str()) == 0;
}

bool IsFolderWritable(const std::string& folder)
{
    char name[MAX_PATH] = "";
    if (!::GetTempFileNameA(folder.c_str(), "KVW", 0, name))
        return false;
    ::DeleteFileA(name);
    return true;
}

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data)
{
    if (msg == BFFM_INITIALIZED) {
        ::SetWindowTextA(hwnd, ResourceText(IDS_BROWSE_CAPTION));
        if (data)
            ::SendMessageA(hwnd, BFFM_SETSELECTIONA, FALSE, data);
    } else if (msg == BFFM_VALIDATEFAILEDA) {
        (void)lParam;
        AfxMessageBox(ResourceText(IDS_INVALID_FOLDER), MB_OK | MB_ICONEXCLAMATION);
        return 1; // keep the browser open
    }
    return 0;
}

} // namespace

// ------------------------------------------------------------------------------------------
// Record

IMPLEMENT_DYNCREATE(CNyEnvRecordPage, CPropertyPage)
BEGIN_MESSAGE_MAP(CNyEnvRecordPage, CPropertyPage)
    ON_BN_CLICKED(IDC_ENV_MONO, OnMono)
    ON_BN_CLICKED(IDC_ENV_STEREO, OnStereo)
END_MESSAGE_MAP()

CNyEnvRecordPage::CNyEnvRecordPage() : CPropertyPage(IDD_ENV_RECORD_PAGE) {}

BOOL CNyEnvRecordPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ::CheckRadioButton(m_hWnd, IDC_ENV_MONO, IDC_ENV_STEREO, m_channels == 1 ? IDC_ENV_MONO : IDC_ENV_STEREO);
    return TRUE;
}

void CNyEnvRecordPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Check(dx, IDC_ENV_PEAK_HOLD, m_peakHold);
}

// ------------------------------------------------------------------------------------------
// Audio Properties

IMPLEMENT_DYNCREATE(CNyEnvDataPage, CPropertyPage)
BEGIN_MESSAGE_MAP(CNyEnvDataPage, CPropertyPage)
    ON_CONTROL(CBN_KILLFOCUS, IDC_ENV_SAMPLE_RATE, OnRateKillFocus)
    ON_CBN_SELCHANGE(IDC_ENV_CHANNELS, OnChannelsChanged)
END_MESSAGE_MAP()

CNyEnvDataPage::CNyEnvDataPage() : CPropertyPage(IDD_ENV_DATA_PAGE) {}

CString CNyEnvDataPage::FormatRate(int rate)
{
    CString text;
    if (rate >= 1000)
        text.Format("%d,%03dHz", rate / 1000, rate % 1000);
    else
        text.Format("%dHz", rate);
    return text;
}

int CNyEnvDataPage::ParseRate(const CString& text)
{
    std::string digits;
    for (const char* p = text; *p; ++p)
        if (*p != ',')
            digits += *p;
    return atoi(digits.c_str());
}

BOOL CNyEnvDataPage::OnInitDialog()
{
    for (const char* rate : kRates)
        SendDlgItemMessage(IDC_ENV_SAMPLE_RATE, CB_ADDSTRING, 0, (LPARAM)rate);
    for (UINT id : {IDS_EIGHT_BIT, IDS_SIXTEEN_BIT})
        SendDlgItemMessage(IDC_ENV_BIT_DEPTH, CB_ADDSTRING, 0, (LPARAM)(const char*)ResourceText(id));
    for (UINT id : {IDS_VIEW_MONO, IDS_VIEW_STEREO})
        SendDlgItemMessage(IDC_ENV_CHANNELS, CB_ADDSTRING, 0, (LPARAM)(const char*)ResourceText(id));
    SendDlgItemMessage(IDC_ENV_CHANNELS, CB_SETCURSEL, m_channels == 2 ? 1 : m_channels == 1 ? 0 : (WPARAM)-1, 0);
    return CPropertyPage::OnInitDialog();
}

void CNyEnvDataPage::DoDataExchange(CDataExchange* dx)
{
    DDX_CBString(dx, IDC_ENV_SAMPLE_RATE, m_rateText);
    DDX_CBString(dx, IDC_ENV_BIT_DEPTH, m_bitsText);
}

void CNyEnvDataPage::OnRateKillFocus()
{
    CString text;
    GetDlgItemText(IDC_ENV_SAMPLE_RATE, text);
    SetDlgItemText(IDC_ENV_SAMPLE_RATE, FormatRate(ParseRate(text)));
}

void CNyEnvDataPage::OnChannelsChanged()
{
    m_channels = SendDlgItemMessage(IDC_ENV_CHANNELS, CB_GETCURSEL, 0, 0) == 1 ? 2 : 1;
}

BOOL CNyEnvDataPage::OnKillActive()
{
    if (!CPropertyPage::OnKillActive())
        return FALSE;
    int rate = ParseRate(m_rateText);
    if (rate >= kMinRate && rate <= kMaxRate)
        return TRUE;
    CString message;
    message.Format(ResourceText(IDS_RATE_RANGE), kMinRate, kMaxRate);
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_ENV_SAMPLE_RATE));
    return FALSE;
}

// ------------------------------------------------------------------------------------------
// Temporary Files

IMPLEMENT_DYNCREATE(CNyEnvTempPage, CPropertyPage)
BEGIN_MESSAGE_MAP(CNyEnvTempPage, CPropertyPage)
    ON_BN_CLICKED(IDC_ENV_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_ENV_DELETE_TEMP, OnDeleteTempFiles)
END_MESSAGE_MAP()

CNyEnvTempPage::CNyEnvTempPage() : CPropertyPage(IDD_ENV_TEMP_PAGE) {}

void CNyEnvTempPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_ENV_TEMP_FOLDER, m_folder);
    DDX_Check(dx, IDC_ENV_CHECK, m_keepFiles);
}

BOOL CNyEnvTempPage::OnKillActive()
{
    if (!CPropertyPage::OnKillActive())
        return FALSE;
    HWND edit = ::GetDlgItem(m_hWnd, IDC_ENV_TEMP_FOLDER);
    if (m_folder.IsEmpty()) {
        AfxMessageBox(ResourceText(IDS_LOCATE_FOLDER), MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(edit);
        return FALSE;
    }
    if (!CreateDirectoryPath(std::string(m_folder))) {
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 0, -1);
        return FALSE;
    }
    return TRUE;
}

void CNyEnvTempPage::OnOK()
{
    GetEnvSheetHost().CreateTempFolder();
    CPropertyPage::OnOK();
}

void CNyEnvTempPage::OnBrowse()
{
    CString text;
    GetDlgItemText(IDC_ENV_TEMP_FOLDER, text);
    ComRef<IMalloc> allocator;
    if (FAILED(::SHGetMalloc(allocator.Out())))
        return;
    ComRef<IShellFolder> desktop;
    LPITEMIDLIST start = nullptr, root = nullptr;
    if (!text.IsEmpty() && SUCCEEDED(::SHGetDesktopFolder(desktop.Out()))) {
        wchar_t wide[MAX_PATH] = L"";
        ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH);
        desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &start, nullptr);
    }
    ::SHGetSpecialFolderLocation(m_hWnd, CSIDL_DRIVES, &root);
    char name[MAX_PATH] = "";
    BROWSEINFOA info{};
    info.hwndOwner = m_hWnd;
    info.pidlRoot = root;
    info.pszDisplayName = name;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_VALIDATE;
    info.lpfn = BrowseCallback;
    info.lParam = (LPARAM)start;
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    char path[MAX_PATH] = "";
    if (chosen && ::SHGetPathFromIDListA(chosen, path)) {
        std::string folder = WithBackslash(path);
        if (IsFolderWritable(folder))
            SetDlgItemText(IDC_ENV_TEMP_FOLDER, folder.c_str());
        else
            AfxMessageBox(ResourceText(IDS_DOC_FOLDER_NOT_WRITABLE), MB_OK | MB_ICONEXCLAMATION);
    }
    for (LPITEMIDLIST list : {chosen, start, root})
        if (list)
            allocator->Free(list);
}

HRESULT CNyEnvTempPage::DeleteUnusedTempFiles()
{
    ComRef<IMtTempStore> store;
    HRESULT hr = GetEnvSheetHost().GetTempStore(store);
    if (FAILED(hr))
        return hr;
    ComRef<IMtTempSettings> settings = QueryCom<IMtTempSettings>(store.Get());
    if (!settings)
        return E_NOINTERFACE;
    std::vector<MtFileItemRecord> records;
    CWinApp* app = AfxGetApp();
    POSITION templates = app ? app->GetFirstDocTemplatePosition() : nullptr;
    if (CDocTemplate* docTemplate = templates ? app->GetNextDocTemplate(templates) : nullptr) {
        for (POSITION pos = docTemplate->GetFirstDocPosition(); pos;) {
            auto* document = dynamic_cast<CNyMultiTrackDoc*>(docTemplate->GetNextDoc(pos));
            if (!document)
                continue;
            MtFileItemRecord record{};
            // The engine reads the path as a terminated text: a longer one is cut, never left open.
            lstrcpynA(record.path, document->GetPathName(), (int)sizeof record.path);
            record.bitsPerSample = document->GetBitsPerSample();
            record.samplesPerSec = document->GetSamplesPerSec();
            records.push_back(record);
        }
    }
    return settings->DeleteUnusedFiles(records.empty() ? nullptr : records.data(), (LONG)records.size());
}

void CNyEnvTempPage::OnDeleteTempFiles()
{
    CWaitCursor wait;
    HRESULT hr = DeleteUnusedTempFiles();
    if (FAILED(hr))
        GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION);
}

// ------------------------------------------------------------------------------------------
// Display and Edit

IMPLEMENT_DYNCREATE(CNyEnvViewPage, CPropertyPage)
BEGIN_MESSAGE_MAP(CNyEnvViewPage, CPropertyPage)
    ON_BN_CLICKED(IDC_ENV_QUICK_VIEW, OnQuickView)
    ON_BN_CLICKED(IDC_ENV_DETAILED_VIEW, OnDetailedView)
END_MESSAGE_MAP()

CNyEnvViewPage::CNyEnvViewPage() : CPropertyPage(IDD_ENV_VIEW_PAGE) {}

BOOL CNyEnvViewPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    ::CheckRadioButton(m_hWnd, IDC_ENV_QUICK_VIEW, IDC_ENV_DETAILED_VIEW,
                       m_waveShowMode ? IDC_ENV_DETAILED_VIEW : IDC_ENV_QUICK_VIEW);
    return TRUE;
}

void CNyEnvViewPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Check(dx, IDC_ENV_RESET_PANES, m_resetPanes);
    DDX_Check(dx, IDC_ENV_CHECK, m_openLastFiles);
}

IMPLEMENT_DYNCREATE(CNyEnvEditPage, CPropertyPage)
BEGIN_MESSAGE_MAP(CNyEnvEditPage, CPropertyPage)
END_MESSAGE_MAP()

CNyEnvEditPage::CNyEnvEditPage() : CPropertyPage(IDD_ENV_EDIT_PAGE) {}

void CNyEnvEditPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Check(dx, IDC_ENV_CHECK, m_mouseEdit);
}

void CNyEnvEditPage::OnOK()
{
    UpdateData(TRUE);
    CPropertyPage::OnOK();
}

// ------------------------------------------------------------------------------------------
// The sheet

BEGIN_MESSAGE_MAP(CNyEnvSheet, CPropertySheet)
    ON_COMMAND(IDHELP, OnHelp)
END_MESSAGE_MAP()

CNyEnvSheet::CNyEnvSheet(const char* caption, CWnd* parent, int startPage)
    : CPropertySheet(caption, parent, (UINT)startPage), m_pageIndex(startPage)
{
    LoadValues();
    for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{&m_record, &m_data, &m_temp, &m_view, &m_edit}) {
        page->m_psp.dwFlags |= PSP_HASHELP;
        AddPage(page);
    }
    m_psh.dwFlags |= PSH_NOAPPLYNOW | PSH_HASHELP;
}

INT_PTR CNyEnvSheet::DoModal()
{
    INT_PTR result = CPropertySheet::DoModal();
    m_pageIndex = GetActiveIndex();
    return result;
}

BOOL CNyEnvSheet::OnInitDialog()
{
    HWND help = ::GetDlgItem(m_hWnd, IDHELP);
    if (help)
        ::SetWindowLongPtrA(help, GWL_STYLE, ::GetWindowLongPtrA(help, GWL_STYLE) & ~WS_GROUP);
    return TRUE;
}

void CNyEnvSheet::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(kHelpTopicSettings, 0);
}

void CNyEnvSheet::LoadValues()
{
    RegistryKey key;
    if (key.Open(kSettingsSection) != ERROR_SUCCESS)
        return;
    DocumentSettings& app = GetDocumentHost().DefaultSettings();
    int channels = QueryInt(key, "DefaultRecChannels", 1);
    if (channels <= 0 || channels >= 3) {
        channels = 1;
        m_recordChannelsCorrected = true; // written back as 1 on OK
    }
    app.recordChannels = (uint16_t)channels;
    m_record.m_channels = channels;
    int peak = QueryInt(key, "PeakIndicate", 0);
    if (peak < 0 || peak >= 2)
        peak = 0;
    app.peakIndicate = (uint16_t)peak;
    m_record.m_peakHold = peak != 0;

    m_data.m_rateText = CNyEnvDataPage::FormatRate((int)app.samplesPerSec);
    int bits = app.validBits ? app.validBits : app.bitsPerSample;
    m_data.m_bitsText = bits == 8 ? ResourceText(IDS_EIGHT_BIT) : bits == 16 ? ResourceText(IDS_SIXTEEN_BIT) : "";
    m_data.m_channels = app.dataChannels;

    m_temp.m_folder = GetEnvSheetHost().TempFolder().c_str();
    m_temp.m_keepFiles = QueryInt(key, "TempLogging", 0);
    m_view.m_waveShowMode = app.waveShowMode;
    m_view.m_openLastFiles = QueryInt(key, "OpenLastFiles", 1);
    m_edit.m_mouseEdit = (int)app.mouseEdit;
}

int CNyEnvSheet::SaveValues()
{
    RegistryKey key;
    if (key.Create(kSettingsSection) != ERROR_SUCCESS)
        return 0;
    DocumentSettings& app = GetDocumentHost().DefaultSettings();
    int changed = 0;
    if (m_record.m_channels != app.recordChannels) {
        app.recordChannels = (uint16_t)m_record.m_channels;
        key.SetDword("DefaultRecChannels", (DWORD)m_record.m_channels);
        changed = 1;
    } else if (m_recordChannelsCorrected) {
        key.SetDword("DefaultRecChannels", (DWORD)m_record.m_channels);
    }
    // Peak hold goes to the application's field, which the program writes at exit.
    app.peakIndicate = m_record.m_peakHold ? 1 : 0;

    if (!m_data.m_rateText.IsEmpty()) {
        int rate = CNyEnvDataPage::ParseRate(m_data.m_rateText);
        rate = rate < CNyEnvDataPage::kMinRate   ? CNyEnvDataPage::kMinRate
               : rate > CNyEnvDataPage::kMaxRate ? CNyEnvDataPage::kMaxRate
                                                 : rate;
        if ((DWORD)rate != app.samplesPerSec) {
            app.samplesPerSec = (uint32_t)rate;
            key.SetDword("DefaultSamplesPerSec", (DWORD)rate);
            changed = 1;
        }
    }
    int bits = m_data.m_bitsText == ResourceText(IDS_EIGHT_BIT)     ? 8
               : m_data.m_bitsText == ResourceText(IDS_SIXTEEN_BIT) ? 16
                                                                    : 0;
    int appBits = app.validBits ? app.validBits : app.bitsPerSample;
    if (bits && bits != appBits) {
        app.bitsPerSample = (uint16_t)bits;
        app.validBits = 0;
        key.SetDword("DefaultBitsPerSample", (DWORD)bits);
        changed = 1;
    }
    if (m_data.m_channels != app.dataChannels) {
        app.dataChannels = (uint16_t)m_data.m_channels;
        key.SetDword("DefaultDataChannels", (DWORD)m_data.m_channels);
    }

    EnvSheetHost& host = GetEnvSheetHost();
    std::string folder(m_temp.m_folder);
    if (!SameFolder(host.TempFolder(), folder))
        AfxMessageBox(ResourceText(IDS_TEMP_PATH_CHANGED), MB_OK | MB_ICONINFORMATION);
    host.SetTempFolder(folder);
    key.SetDword("TempLogging", (DWORD)m_temp.m_keepFiles);

    key.SetDword("WaveShowMode", (DWORD)m_view.m_waveShowMode);
    if (m_view.m_waveShowMode != app.waveShowMode) {
        app.waveShowMode = (uint16_t)m_view.m_waveShowMode;
        changed = 1;
    }
    if (m_view.m_resetPanes)
        host.ArrangePanesAtDefaults();
    key.SetDword("OpenLastFiles", (DWORD)m_view.m_openLastFiles);
    if ((uint32_t)m_edit.m_mouseEdit != app.mouseEdit) {
        app.mouseEdit = (uint32_t)m_edit.m_mouseEdit;
        key.SetDword("EnableMouseEdit", (DWORD)m_edit.m_mouseEdit);
        changed = 1;
    }
    return changed;
}
