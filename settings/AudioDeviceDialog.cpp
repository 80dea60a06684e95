#include "AudioDeviceDialog.h"

#include "AudioDeviceIds.h"
#include "HelpLauncher.h"

namespace {

constexpr DWORD kHelpTopicAudioDevice = 123;

RECT ChildRect(HWND parent, int id)
{
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(parent, id), &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveUp(HWND parent, int id, int distance)
{
    RECT rect = ChildRect(parent, id);
    ::SetWindowPos(::GetDlgItem(parent, id), nullptr, rect.left, rect.top - distance, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

BEGIN_MESSAGE_MAP(AudioDeviceDialog, CDialog)
    ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

AudioDeviceDialog::AudioDeviceDialog(CWnd* parent, const AudioDeviceLists& devices)
    : CDialog(IDD_AUDIO_DEVICE, parent), m_devices(devices)
{
}

AudioDeviceDialog::~AudioDeviceDialog() = default;

BOOL AudioDeviceDialog::OnInitDialog()
{
    m_useAsio = 0;
    // The switch goes and everything below it moves up into its place.
    int distance = ChildRect(m_hWnd, IDC_AUDIO_PLACEHOLDER).top - ChildRect(m_hWnd, IDC_USE_ASIO).top;
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_USE_ASIO), SW_HIDE);
    for (int id : {IDC_AUDIO_PLACEHOLDER, IDOK, IDCANCEL, IDHELP})
        MoveUp(m_hWnd, id, distance);
    RECT window{};
    GetWindowRect(&window);
    SetWindowPos(nullptr, 0, 0, window.right - window.left, window.bottom - window.top - distance,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowPanel();
    // The first control of the panel, not the hidden switch, takes the focus.
    HWND first = ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
    if (first)
        ::SetFocus(first);
    return FALSE;
}

void AudioDeviceDialog::ShowPanel()
{
    RECT place = ChildRect(m_hWnd, IDC_AUDIO_PLACEHOLDER);
    if (!m_wavePanel) {
        auto panel = std::make_unique<WaveDeviceSettingsPanel>(m_devices);
        if (!panel->CreatePanel(this))
            return;
        m_wavePanel = std::move(panel);
    }
    ::SetWindowPos(m_wavePanel->m_hWnd, ::GetDlgItem(m_hWnd, IDC_USE_ASIO), place.left, place.top,
                   place.right - place.left, place.bottom - place.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void AudioDeviceDialog::OnOK()
{
    if (m_wavePanel && !m_wavePanel->SaveValues())
        return;
    EndDialog(IDOK);
}

void AudioDeviceDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void AudioDeviceDialog::OnHelp()
{
    HelpLauncher help;
    help.ShowTopic(kHelpTopicAudioDevice, 0);
}
