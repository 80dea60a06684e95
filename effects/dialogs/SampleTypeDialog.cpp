// The Sample Type dialog around the attribute module's page.
#include "SampleTypeDialog.h"

#include "GeneratorIds.h"
#include "HelpLauncher.h"
#include "IAttributeSettings.h"
#include "ModuleObjects.h"
#include "Settings.h"

namespace {

constexpr DWORD kHelpTopic = 428;

} // namespace

BEGIN_MESSAGE_MAP(CSampleTypeDialog, CSkinnedPageDialog)
    ON_BN_CLICKED(IDC_SAMPLE_TYPE_HELP, OnHelp)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSampleTypeDialog::CSampleTypeDialog(CWnd* parent, DWORD samplesPerSec, WORD bitsPerSample)
    : CSkinnedPageDialog(IDD_SAMPLE_TYPE, parent), m_bitsPerSample(bitsPerSample), m_samplesPerSec(samplesPerSec)
{
}

CSampleTypeDialog::~CSampleTypeDialog()
{
    ReleasePages();
    m_settings.Reset();
    m_filter.Reset();
}

HRESULT CSampleTypeDialog::LoadAttributePage()
{
    HRESULT hr = CreateModuleObject("KvSEAttr.dll", CLSID_KvSEAttr, IID_IBaseFilter, m_filter.OutVoid(), &m_module);
    if (SUCCEEDED(hr) && !m_filter)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = m_filter->QueryInterface(__uuidof(IAttributeSettings), m_settings.OutVoid());
    ComRef<ISpecifyPropertyPages> specify;
    if (SUCCEEDED(hr))
        hr = m_filter->QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid());
    CAUUID list{};
    if (SUCCEEDED(hr))
        hr = specify->GetPages(&list);
    if (SUCCEEDED(hr) && list.cElems == 0)
        hr = E_FAIL;
    ComRef<IPropertyPage> page;
    if (SUCCEEDED(hr))
        hr = CreatePage(list.pElems[0], m_module, m_filter.Get(), &page);
    ::CoTaskMemFree(list.pElems);
    if (SUCCEEDED(hr))
        m_pages.push_back(page);
    return hr;
}

BOOL CSampleTypeDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_samplesPerSec == 0 || m_bitsPerSample == 0) {
        m_samplesPerSec = static_cast<DWORD>(GetSettingInt("Settings", "LastSamplesPerSec", 44100));
        m_bitsPerSample = static_cast<WORD>(GetSettingInt("Settings", "LastBitsPerSample", 16));
    }
    m_calcPrecision = static_cast<DWORD>(GetSettingInt("Settings", "LastCalcPrecision", 8));
    if (m_settings) {
        m_settings->SetCalcPrecision(m_calcPrecision);
        m_settings->SetSamplesPerSec(m_samplesPerSec);
        m_settings->SetBitsPerSample(m_bitsPerSample);
    }
    MakeBackground();
    if (!m_pages.empty()) {
        // The page re-reads the values just set, and the dialog fits around it.
        RefreshPages(m_filter.Get());
        PROPPAGEINFO info{};
        info.cb = sizeof info;
        SIZE size{0, 0};
        if (SUCCEEDED(m_pages[0]->GetPageInfo(&info)))
            size = info.size;
        for (LPOLESTR text : {info.pszTitle, info.pszDocString, info.pszHelpFile})
            ::CoTaskMemFree(text);
        RECT area{8, 8, 8 + size.cx, 8 + size.cy};
        m_pages[0]->Activate(m_hWnd, &area, TRUE);
        m_pages[0]->Show(SW_SHOW);
        // The buttons right of the page, the window around both.
        RECT ok{}, window{}, client{};
        ::GetWindowRect(::GetDlgItem(m_hWnd, IDOK), &ok);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&ok), 2);
        const int dx = area.right + 10 - ok.left;
        for (int id : {IDOK, IDCANCEL, IDC_SAMPLE_TYPE_HELP}) {
            RECT r{};
            ::GetWindowRect(::GetDlgItem(m_hWnd, id), &r);
            ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
            ::SetWindowPos(::GetDlgItem(m_hWnd, id), nullptr, r.left + dx, r.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        GetWindowRect(&window);
        GetClientRect(&client);
        const int width = (window.right - window.left) - client.right + (ok.right + dx) + 8;
        const int height = (window.bottom - window.top) - client.bottom + std::max<LONG>(area.bottom, 0) + 8;
        SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        MakeBackground();
    }
    CenterWindow(AfxGetMainWnd());
    return TRUE;
}

void CSampleTypeDialog::OnOK()
{
    ::SetFocus(::GetDlgItem(m_hWnd, IDOK));
    if (m_pages.empty() || FAILED(m_pages[0]->Apply()))
        return;
    if (m_settings) {
        m_settings->GetSamplesPerSec(&m_samplesPerSec);
        m_settings->GetBitsPerSample(&m_bitsPerSample);
        m_settings->GetCalcPrecision(&m_calcPrecision);
    }
    SetSettingInt("Settings", "LastSamplesPerSec", static_cast<int>(m_samplesPerSec));
    SetSettingInt("Settings", "LastBitsPerSample", m_bitsPerSample);
    SetSettingInt("Settings", "LastCalcPrecision", static_cast<int>(m_calcPrecision));
    CDialog::OnOK();
}

void CSampleTypeDialog::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(kHelpTopic, 0);
}

void CSampleTypeDialog::OnDestroy()
{
    DeactivateCurrentPage();
    CDialog::OnDestroy();
}
