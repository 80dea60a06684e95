#include "WaveFormatSettings.h"

#include "FormatSettingsIds.h"
#include "Framework.h"
#include "ResourceModule.h"
#include "ViewIds.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr LONG kKindAiff = 2;
constexpr DWORD kNoMask = 0x80000000;

const SampleFormatChoice kWaveFormats[] = {
    {WAVE_FORMAT_PCM, 8, "8-bit PCM"},         {WAVE_FORMAT_PCM, 16, "16-bit PCM"},
    {WAVE_FORMAT_PCM, 24, "24-bit PCM"},       {WAVE_FORMAT_PCM, 32, "32-bit PCM"},
    {WAVE_FORMAT_IEEE_FLOAT, 32, "32-bit float"},
};
const SampleFormatChoice kAiffFormats[] = {
    {WAVE_FORMAT_PCM, 8, "8-bit PCM"},
    {WAVE_FORMAT_PCM, 16, "16-bit PCM"},
    {WAVE_FORMAT_PCM, 24, "24-bit PCM"},
    {WAVE_FORMAT_PCM, 32, "32-bit PCM"},
};

int BitCount(DWORD mask)
{
    int n = 0;
    for (; mask; mask &= mask - 1)
        ++n;
    return n;
}

std::string LoadText(UINT id)
{
    char text[256] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}

// The page's controls: a child dialog inside the host's page rectangle.
class WaveFormatPageDialog : public CDialog {
public:
    explicit WaveFormatPageDialog(WaveFormatSettings* settings) : m_settings(settings) {}
    void SetSite(IPropertyPageSite* site) { m_site = site; }
    bool IsDirty() const { return m_dirty; }

    // The controls' choices into the settings.
    void Apply()
    {
        int format = int(SendDlgItemMessage(IDC_WAVE_SAMPLE_FORMAT, CB_GETCURSEL, 0, 0));
        if (format >= 0)
            m_settings->SetSampleFormat(size_t(format));
        if (::IsWindowVisible(::GetDlgItem(m_hWnd, IDC_WAVE_CHANNELS))) {
            int channels = int(SendDlgItemMessage(IDC_WAVE_CHANNELS, CB_GETCURSEL, 0, 0));
            m_settings->SetChosenChannels(channels == 0 ? 1 : 2);
        }
        m_dirty = false;
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        HWND formats = ::GetDlgItem(m_hWnd, IDC_WAVE_SAMPLE_FORMAT);
        for (const SampleFormatChoice& c : WaveFormatSettings::SampleFormats(m_settings->Kind()))
            ::SendMessageA(formats, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.text));
        ::SendMessageA(formats, CB_SETCURSEL, m_settings->SampleFormat(), 0);
        // Mono and stereo documents choose their file's channels here; more channels are
        // chosen among Advanced Settings' output channels.
        const bool few = m_settings->Source().channels <= 2;
        HWND channels = ::GetDlgItem(m_hWnd, IDC_WAVE_CHANNELS);
        ::ShowWindow(channels, few ? SW_SHOW : SW_HIDE);
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_WAVE_CHANNELS_LABEL), few ? SW_SHOW : SW_HIDE);
        for (UINT id : {IDS_VIEW_MONO, IDS_VIEW_STEREO})
            ::SendMessageA(channels, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(id).c_str()));
        ::SendMessageA(channels, CB_SETCURSEL, m_settings->OutputChannels() == 1 ? 0 : 1, 0);
        return TRUE;
    }
    void OnChoiceChanged()
    {
        m_dirty = true;
        if (m_site)
            m_site->OnStatusChange(PROPPAGESTATUS_DIRTY);
    }
    DECLARE_MESSAGE_MAP()

private:
    WaveFormatSettings* m_settings;
    IPropertyPageSite* m_site = nullptr;
    bool m_dirty = false;
};

BEGIN_MESSAGE_MAP(WaveFormatPageDialog, CDialog)
    ON_CBN_SELCHANGE(IDC_WAVE_SAMPLE_FORMAT, OnChoiceChanged)
    ON_CBN_SELCHANGE(IDC_WAVE_CHANNELS, OnChoiceChanged)
END_MESSAGE_MAP()

// The property page the Advanced Settings dialog hosts for the format.
class WaveFormatPage : public ComObject<IPropertyPage> {
public:
    explicit WaveFormatPage(WaveFormatSettings* settings) : m_settings(ComRef<IOutputFormatSettings>::Share(settings))
    {
    }
    ~WaveFormatPage() override { DestroyDialog(); }

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override
    {
        m_site = ComRef<IPropertyPageSite>::Share(site);
        if (m_dialog)
            m_dialog->SetSite(site);
        return S_OK;
    }
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override
    {
        if (!rect)
            return E_POINTER;
        if (m_dialog)
            return E_UNEXPECTED;
        m_dialog = MakeDialog(parent);
        if (!m_dialog)
            return E_OUTOFMEMORY;
        return Move(rect);
    }
    STDMETHODIMP Deactivate() override
    {
        if (!m_dialog)
            return E_UNEXPECTED;
        DestroyDialog();
        return S_OK;
    }
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override
    {
        if (!info)
            return E_POINTER;
        std::memset(info, 0, sizeof *info);
        info->cb = sizeof *info;
        const std::string title = LoadText(IDS_WAVE_PAGE_TITLE);
        const size_t bytes = (title.size() + 1) * sizeof(WCHAR);
        info->pszTitle = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
        if (!info->pszTitle)
            return E_OUTOFMEMORY;
        ::MultiByteToWideChar(CP_ACP, 0, title.c_str(), -1, info->pszTitle, int(title.size() + 1));
        // The template's own size in this system's dialog units.
        std::unique_ptr<WaveFormatPageDialog> probe = MakeDialog(::GetDesktopWindow());
        if (probe) {
            RECT r{};
            probe->GetWindowRect(&r);
            info->size.cx = r.right - r.left;
            info->size.cy = r.bottom - r.top;
            probe->DestroyWindow();
        }
        return S_OK;
    }
    STDMETHODIMP SetObjects(ULONG, IUnknown**) override { return S_OK; }
    STDMETHODIMP Show(UINT show) override
    {
        if (!m_dialog)
            return E_UNEXPECTED;
        m_dialog->ShowWindow(int(show));
        return S_OK;
    }
    STDMETHODIMP Move(LPCRECT rect) override
    {
        if (!rect)
            return E_POINTER;
        if (!m_dialog)
            return E_UNEXPECTED;
        m_dialog->MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
        return S_OK;
    }
    STDMETHODIMP IsPageDirty() override { return m_dialog && m_dialog->IsDirty() ? S_OK : S_FALSE; }
    STDMETHODIMP Apply() override
    {
        if (m_dialog)
            m_dialog->Apply();
        return S_OK;
    }
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

private:
    std::unique_ptr<WaveFormatPageDialog> MakeDialog(HWND parent)
    {
        auto dialog = std::make_unique<WaveFormatPageDialog>(static_cast<WaveFormatSettings*>(m_settings.Get()));
        if (!dialog->Create(IDD_WAVE_FORMAT_PAGE, CWnd::FromHandle(parent)))
            return nullptr;
        dialog->SetSite(m_site.Get());
        return dialog;
    }
    void DestroyDialog()
    {
        if (m_dialog && m_dialog->m_hWnd)
            m_dialog->DestroyWindow();
        m_dialog.reset();
    }

    ComRef<IOutputFormatSettings> m_settings;
    ComRef<IPropertyPageSite> m_site;
    std::unique_ptr<WaveFormatPageDialog> m_dialog;
};

} // namespace

WaveFormatSettings* WaveFormatSettings::Create(const OutputSource& source)
{
    return ComObject<IOutputFormatSettings>::Create<WaveFormatSettings>(source);
}

std::vector<SampleFormatChoice> WaveFormatSettings::SampleFormats(LONG kind)
{
    if (kind == kKindAiff)
        return {std::begin(kAiffFormats), std::end(kAiffFormats)};
    return {std::begin(kWaveFormats), std::end(kWaveFormats)};
}

size_t WaveFormatSettings::OwnSampleFormat(LONG kind, WORD documentBits)
{
    // 20-bit sound is kept in 24 bits; 32-bit sound is the engine's float.
    const WORD bits = documentBits == 20 ? 24 : documentBits;
    const std::vector<SampleFormatChoice> formats = SampleFormats(kind);
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i].bits == bits && (bits != 32 || formats[i].formatTag == WAVE_FORMAT_IEEE_FLOAT))
            return i;
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i].bits == bits)
            return i;
    return 1;
}

void WaveFormatSettings::SetSampleFormat(size_t index)
{
    const size_t count = SampleFormats(m_kind).size();
    m_sampleFormat = index < count ? index : count - 1;
    m_sampleFormatChosen = m_sampleFormat != OwnSampleFormat(m_kind, m_source.bitsPerSample);
}

WORD WaveFormatSettings::OutputChannels() const
{
    if (m_mask != kNoMask && m_mask != 0)
        return WORD(BitCount(m_mask));
    return m_channels ? m_channels : m_source.channels;
}

std::string WaveFormatSettings::Describe() const
{
    const SampleFormatChoice& format = SampleFormats(m_kind)[m_sampleFormat];
    const DWORD rate = m_source.samplesPerSec;
    char text[128];
    if (rate >= 1000)
        std::snprintf(text, sizeof text, "%s, %lu,%03lu Hz, ", format.text, rate / 1000, rate % 1000);
    else
        std::snprintf(text, sizeof text, "%s, %lu Hz, ", format.text, rate);
    const WORD channels = OutputChannels();
    const UINT name = channels == 1 ? IDS_VIEW_MONO : channels == 2 ? IDS_VIEW_STEREO : 0;
    return text + (name ? LoadText(name) : std::to_string(channels) + " channels");
}

HRESULT WaveFormatSettings::CopySettings(IOutputFormatSettings** copy)
{
    if (!copy)
        return E_POINTER;
    WaveFormatSettings* made = Create(m_source);
    if (!made)
        return E_OUTOFMEMORY;
    made->m_kind = m_kind;
    made->m_bitsValue = m_bitsValue;
    made->m_name = m_name;
    made->m_sampleFormat = m_sampleFormat;
    made->m_sampleFormatChosen = m_sampleFormatChosen;
    made->m_channels = m_channels;
    made->m_mask = m_mask;
    made->m_mixChannels = m_mixChannels;
    *copy = made;
    return S_OK;
}

HRESULT WaveFormatSettings::RenewCopy(LONG, IOutputFormatSettings** copy)
{
    return CopySettings(copy);
}

HRESULT WaveFormatSettings::GetWaveFormat(WAVEFORMATEX* format)
{
    if (!format)
        return E_POINTER;
    std::memset(format, 0, sizeof *format);
    const bool channelsChosen = (m_mask != kNoMask && m_mask != 0) || (m_channels && m_channels != m_source.channels);
    if (!m_sampleFormatChosen && !channelsChosen)
        return S_OK;
    const SampleFormatChoice& choice = SampleFormats(m_kind)[m_sampleFormat];
    format->wFormatTag = choice.formatTag;
    format->nChannels = OutputChannels();
    format->nSamplesPerSec = m_source.samplesPerSec;
    format->wBitsPerSample = choice.bits;
    format->nBlockAlign = WORD(format->nChannels * choice.bits / 8);
    format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
    return S_OK;
}

HRESULT WaveFormatSettings::SetFormat(LONG kind, WORD bits, const char* name)
{
    if (kind != m_kind) {
        m_kind = kind;
        // Another kind offers other formats: it starts from the document's samples.
        m_sampleFormat = OwnSampleFormat(kind, m_source.bitsPerSample);
        m_sampleFormatChosen = false;
    }
    m_bitsValue = bits;
    m_name = name ? name : "";
    return S_OK;
}

HRESULT WaveFormatSettings::SetChannels(DWORD mask, LONG mixChannels)
{
    m_mask = mask;
    m_mixChannels = mixChannels;
    return S_OK;
}

LONG WaveFormatSettings::GetOptionWord()
{
    return m_mixChannels > 0 ? kOutputOptionMixAll : 0;
}

HRESULT WaveFormatSettings::GetSettingsPage(IPropertyPage** page)
{
    if (!page)
        return E_POINTER;
    *page = ComObject<IPropertyPage>::Create<WaveFormatPage>(this);
    return *page ? S_OK : E_OUTOFMEMORY;
}

LONG WaveFormatSettings::IsChannelSettingUsable()
{
    if (m_mask == kNoMask || m_mask == 0)
        return 1;
    // The writer mixes into one, two or six channels.
    const int n = BitCount(m_mask);
    return (m_mask & ~0x3Fu) == 0 && (n == 1 || n == 2 || n == 6) ? 1 : 0;
}
