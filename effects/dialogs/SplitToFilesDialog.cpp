// The split-to-files dialog: Execute, its controls, the folder browser and the divider's page.
#include "SplitToFilesDialog.h"

#include "EffectProgramHost.h"
#include "GlobalMemory.h"
#include "HelpLauncher.h"
#include <mmreg.h>

#include "KvSDivFl.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "ProcessTarget.h"
#include "RenderWorker.h"
#include "ResourceModule.h"
#include "Settings.h"
#include "SplitIds.h"
#include "SplitRender.h"
#include "SplitValues.h"
#include "SplitWizard.h"

#include <shlobj.h>
#include <versionhelpers.h>

namespace {

constexpr UINT kIdsPluginLoadFailed = 20263; // "Failed to load the plugin(s)."
constexpr UINT kIdsPlugin = 21021;           // "Plug-in"
constexpr UINT kIdsBrowseCaption = 20282;    // "Set"
constexpr UINT kIdsInvalidFolder = 20297;    // "Invalid folder name."
constexpr HRESULT kPluginNotSupported = static_cast<HRESULT>(0x83E8044C);

SplitAdvancedSettingsRunner g_advancedRunner = nullptr;

// The format of the voice editor is offered when that editor (2.2 or later) is installed.
bool VoiceEditorInstalled()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SoftWare\\Sony Corporation\\Digital Voice Editor", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    char version[33] = {}, folder[261] = {};
    DWORD size = 32;
    bool installed = ::RegQueryValueExA(key, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(version), &size) ==
                         ERROR_SUCCESS &&
                     std::string(version, 3) >= "2.2";
    size = 260;
    installed = installed && ::RegQueryValueExA(key, "AppDir", nullptr, nullptr, reinterpret_cast<BYTE*>(folder),
                                                &size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return installed && ::GetFileAttributesA((std::string(folder) + "\\DVEdit.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        ::SetWindowTextA(window, SplitText(kIdsBrowseCaption).c_str());
        if (data)
            ::SendMessageA(window, BFFM_SETSELECTIONA, FALSE, data);
    } else if (message == BFFM_VALIDATEFAILEDA) {
        ::MessageBoxA(window, SplitText(kIdsInvalidFolder).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
        return 1; // the browser stays open
    }
    (void)lParam;
    return 0;
}

} // namespace

void SetSplitAdvancedSettingsRunner(SplitAdvancedSettingsRunner runner)
{
    g_advancedRunner = runner;
}

BEGIN_MESSAGE_MAP(CSplitToFilesDialog, CDialog)
    ON_BN_CLICKED(IDC_SPLIT_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_SPLIT_ADVANCED, OnAdvanced)
    ON_BN_CLICKED(IDC_SPLIT_HELP, OnHelp)
    ON_LBN_SELCHANGE(IDC_SPLIT_FORMAT, OnFormatChanged)
END_MESSAGE_MAP()

CSplitToFilesDialog::CSplitToFilesDialog(CWnd* parent) : CDialog(IDD_SPLIT_TO_FILES, parent)
{
    m_prefix = SplitText(IDS_SPLIT_PREFIX_DEFAULT);
    GetSettingString(kSettingsSection, "LastSaveDir", "", &m_folder);
    if (!m_folder.empty() && m_folder.back() != '\\')
        m_folder += '\\';
    m_outputFormat.InitPcm(44100, 16, 1);
}

CSplitToFilesDialog::~CSplitToFilesDialog() = default;

HRESULT CSplitToFilesDialog::Execute(CNyMultiTrackDoc* document, HWND mainWindow)
{
    m_document = document;
    m_mainWindow = mainWindow;
    int64_t start = 0, length = 0;
    HRESULT hr = document->GetWholeDocumentTarget(&m_targetCount, &m_targetTracks, &start, &length, &m_targetMono);
    if (FAILED(hr))
        return hr;
    struct Target {
        CSplitToFilesDialog* d;
        ~Target() { ReleaseProcessTarget(d->m_targetTracks, d->m_targetCount); }
    } target{this};

    m_render = std::make_unique<SplitRender>(document);
    hr = m_render->Start();
    if (FAILED(hr)) {
        m_render.reset();
        return hr;
    }
    hr = CreateModuleObject("KvSDivFl.dll", CLSID_KvSDivFl, IID_IBaseFilter, m_divider.OutVoid(), &m_module);
    if (FAILED(hr) || !m_divider) {
        m_render.reset();
        AfxMessageBox(SplitText(kIdsPluginLoadFailed).c_str(), MB_OK | MB_ICONSTOP);
        return S_OK;
    }
    if (FAILED(m_divider->QueryInterface(__uuidof(IFileDividerSettings), m_settings.OutVoid()))) {
        m_render.reset();
        m_divider.Reset();
        GetEffectProgramHost().ShowErrorBox(kPluginNotSupported, SplitText(kIdsPlugin).c_str(), MB_ICONEXCLAMATION);
        return S_OK;
    }
    m_settings->SetFormatWord(document->GetStoredBits());
    if (FAILED(m_render->AddTerminal(m_divider.Get()))) {
        m_settings.Reset();
        m_divider.Reset();
        m_render.reset();
        AfxMessageBox(SplitText(kIdsPluginLoadFailed).c_str(), MB_OK | MB_ICONSTOP);
        return S_OK;
    }
    DoModal();
    m_render.reset(); // stops the graph, takes the chain down, ends the worker
    m_settings.Reset();
    m_divider.Reset();
    return S_OK;
}

void CSplitToFilesDialog::FillFormatList()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_SPLIT_FORMAT);
    const bool multichannel = m_document && m_document->IsMultichannel();
    for (int id : split::ListedSplitFormats(multichannel ? 1 : 0, ::IsWindowsXPOrGreater(), VoiceEditorInstalled())) {
        const LRESULT item = ::SendMessageA(list, LB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(split::SplitFormatById(id)->text));
        ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), id);
    }
    ::SendMessageA(list, LB_SETCURSEL, 0, 0);
}

int CSplitToFilesDialog::SelectedFormatId() const
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_SPLIT_FORMAT);
    const LRESULT item = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    return item == LB_ERR ? -1 : static_cast<int>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(item), 0));
}

void CSplitToFilesDialog::InitOutputFormat()
{
    if (m_formatSet)
        return;
    const WORD channels = m_document->IsMultichannel() ? 6 : m_targetMono ? 1 : 2;
    m_outputFormat = WaveFormat(m_document->GetSamplesPerSec(), m_document->GetBitsPerSample(), channels);
    m_formatSet = true;
}

BOOL CSplitToFilesDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    HICON icon = static_cast<HICON>(
        ::LoadImageA(GetResourceModule(), MAKEINTRESOURCEA(IDI_SPLIT_BROWSE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ::SendDlgItemMessageA(m_hWnd, IDC_SPLIT_BROWSE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    ::SetDlgItemTextA(m_hWnd, IDC_SPLIT_FOLDER, m_folder.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_SPLIT_PREFIX, m_prefix.c_str());
    FillFormatList();
    InitOutputFormat();
    if (m_settings) {
        m_settings->SetOutputBase((m_folder + m_prefix).c_str());
        m_settings->SetOutputFormat(reinterpret_cast<const WAVEFORMATEX*>(&m_outputFormat));
        m_settings->SetChannelWord(m_formatWord);
        m_settings->SetFormatId(0);
    }
    return TRUE;
}

void CSplitToFilesDialog::OnFormatChanged()
{
    const int id = SelectedFormatId();
    if (id >= 0 && m_settings)
        m_settings->SetFormatId(id);
}

void CSplitToFilesDialog::OnBrowse()
{
    char typed[MAX_PATH] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_SPLIT_FOLDER, typed, sizeof typed);
    LPITEMIDLIST start = nullptr;
    ComRef<IShellFolder> desktop;
    if (typed[0] && SUCCEEDED(::SHGetDesktopFolder(desktop.Out()))) {
        wchar_t wide[MAX_PATH] = L"";
        ::MultiByteToWideChar(CP_ACP, 0, typed, -1, wide, MAX_PATH);
        desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &start, nullptr);
    }
    char name[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = m_hWnd;
    info.pszDisplayName = name;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_VALIDATE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start);
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    if (chosen) {
        char path[MAX_PATH] = {};
        if (::SHGetPathFromIDListA(chosen, path))
            ::SetDlgItemTextA(m_hWnd, IDC_SPLIT_FOLDER, path);
        ::CoTaskMemFree(chosen);
    }
    if (start)
        ::CoTaskMemFree(start);
}

void CSplitToFilesDialog::OnAdvanced()
{
    ComRef<ISpecifyPropertyPages> specify;
    CAUUID pages{};
    if (!m_divider || FAILED(m_divider->QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid())) ||
        FAILED(specify->GetPages(&pages)))
        return;
    ComRef<IPropertyPage> page;
    if (pages.cElems > 0 &&
        SUCCEEDED(CreateObjectFromModule(m_module, pages.pElems[0], IID_IPropertyPage, page.OutVoid()))) {
        IUnknown* object = m_settings.Get();
        if (SUCCEEDED(page->SetObjects(1, &object)) && g_advancedRunner)
            g_advancedRunner(this, page.Get());
        page->SetObjects(0, nullptr);
    }
    ::CoTaskMemFree(pages.pElems);
}

void CSplitToFilesDialog::OnHelp()
{
    HelpLauncher help;
    if (!help.ShowTopic(603, 0))
        help.ShowTopic(600, 0);
}
