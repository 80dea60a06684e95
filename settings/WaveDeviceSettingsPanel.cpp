#include "WaveDeviceSettingsPanel.h"

#include "AudioDeviceIds.h"
#include "Settings.h"

#include <cmath>
#include <string>

namespace {

CString SettingText(const char* entry)
{
    std::string text;
    GetSettingString(kSettingsSection, entry, "", &text);
    return CString(text.c_str());
}

CString ResourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

// Before Windows 2000 the NT family had no DirectSound worth using.
bool IsOldNt()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version))
        return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion < 5;
}

// Lists first (the mapper or primary driver, index 0) and then the devices; disabled with no device.
void FillDeviceCombo(HWND combo, const CString& first, const std::vector<std::string>& names, const CString& stored)
{
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    ::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)(const char*)first);
    for (const std::string& name : names)
        ::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)name.c_str());
    ::EnableWindow(combo, !names.empty());
    // The device of that very name first; else the stored name may be a prefix of the device's
    // (names are cut where they are stored), searched from item 1 round to item 0. An empty name
    // is the mapper: a prefix search for "" would pick the first device instead.
    LRESULT found = CB_ERR;
    if (!stored.IsEmpty()) {
        found = ::SendMessageA(combo, CB_FINDSTRINGEXACT, 0, (LPARAM)(const char*)stored);
        if (found == CB_ERR)
            found = ::SendMessageA(combo, CB_FINDSTRING, 0, (LPARAM)(const char*)stored);
    }
    ::SendMessageA(combo, CB_SETCURSEL, found == CB_ERR ? 0 : (WPARAM)found, 0);
}

// Item 0 (the mapper) and no selection both mean "no particular device".
CString TakeDeviceName(HWND combo)
{
    CString name;
    int index = (int)::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index <= 0)
        return name;
    int length = (int)::SendMessageA(combo, CB_GETLBTEXTLEN, (WPARAM)index, 0);
    ::SendMessageA(combo, CB_GETLBTEXT, (WPARAM)index, (LPARAM)name.GetBuffer(length + 1));
    name.ReleaseBuffer();
    return name;
}

RECT ChildRect(HWND parent, int id)
{
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(parent, id), &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

BEGIN_MESSAGE_MAP(WaveDeviceSettingsPanel, CDialog)
    ON_BN_CLICKED(IDC_WAVEOUT_MODE, OnWaveOutMode)
    ON_BN_CLICKED(IDC_DIRECTSOUND_MODE, OnDirectSoundMode)
END_MESSAGE_MAP()

WaveDeviceSettingsPanel::WaveDeviceSettingsPanel(const AudioDeviceLists& devices)
    : CDialog(IDD_WAVE_DEVICE_PANEL), m_devices(devices)
{
    LoadValues();
}

double WaveDeviceSettingsPanel::StoredMillisecondsToSeconds(int milliseconds)
{
    return (milliseconds / 100 * 100) / 1000.0;
}

int WaveDeviceSettingsPanel::SecondsToStored(double seconds, int unitsPerSecond)
{
    return (int)std::lround(seconds * unitsPerSecond);
}

void WaveDeviceSettingsPanel::LoadValues()
{
    m_mode = GetSettingInt(kSettingsSection, "DirectSoundUse", 0) ? kDirectSound : kWaveOut;
    m_directSoundDevice = SettingText("DirectSoundDevice");
    m_directSoundBuffer = StoredMillisecondsToSeconds(GetSettingInt(kSettingsSection, "DirectSoundBufferLength", 500));
    m_waveOutDevice = SettingText("WaveOutDevice");
    m_waveOutBuffer = StoredMillisecondsToSeconds(GetSettingInt(kSettingsSection, "WaveOutBufferLength", 200));
    m_waveOutBufferCount = GetSettingInt(kSettingsSection, "WaveOutBufferCount", 5);
    m_waveOutExtensible = GetSettingInt(kSettingsSection, "WaveOutEnableExTensible", 0);
    m_directSoundExtensible = GetSettingInt(kSettingsSection, "DirectSoundEnableExTensible", 0);
    m_waveInDevice = SettingText("WaveInDevice");
    m_waveInBuffer = GetSettingInt(kSettingsSection, "WaveInBufferCount", 20) * 0.1;
    m_waveInOffset = GetSettingInt(kSettingsSection, "WaveInOffset", 0);
    m_waveInExtensible = GetSettingInt(kSettingsSection, "WaveInUseExTensible", 0);
}

BOOL WaveDeviceSettingsPanel::CreatePanel(CWnd* parent)
{
    return Create(IDD_WAVE_DEVICE_PANEL, parent);
}

BOOL WaveDeviceSettingsPanel::OnInitDialog()
{
    if (IsOldNt()) {
        ::ShowWindow(::GetDlgItem(m_hWnd, IDC_DIRECTSOUND_MODE), SW_HIDE);
        m_mode = kWaveOut;
    }
    ::CheckRadioButton(m_hWnd, IDC_WAVEOUT_MODE, IDC_DIRECTSOUND_MODE, IDC_WAVEOUT_MODE + m_mode);
    FillPlayback();
    FillRecording();
    HideExtensibleControls();
    CString sixteenBit = ResourceText(IDS_SIXTEEN_BIT);
    for (int id : {IDC_PLAYBACK_BITS, IDC_RECORDING_BITS}) {
        SendDlgItemMessage(id, CB_ADDSTRING, 0, (LPARAM)(const char*)sixteenBit);
        SendDlgItemMessage(id, CB_SETCURSEL, 0, 0);
    }
    return FALSE; // the hosting dialog places the focus
}

void WaveDeviceSettingsPanel::OnOK()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, IDOK, 0);
}

void WaveDeviceSettingsPanel::OnCancel()
{
    ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, IDCANCEL, 0);
}

void WaveDeviceSettingsPanel::FillPlayback()
{
    bool waveOut = m_mode == kWaveOut;
    for (int id : {IDC_BUFFER_COUNT_LABEL, IDC_BUFFER_COUNT, IDC_BUFFER_COUNT_RANGE})
        ::ShowWindow(::GetDlgItem(m_hWnd, id), waveOut ? SW_SHOW : SW_HIDE);
    FillDeviceCombo(::GetDlgItem(m_hWnd, IDC_PLAYBACK_DEVICE),
                    ResourceText(waveOut ? IDS_WAVE_MAPPER_OUT : IDS_PRIMARY_SOUND_DRIVER),
                    m_devices.PlaybackNames(waveOut ? 0 : 1), waveOut ? m_waveOutDevice : m_directSoundDevice);
    CString range;
    range.Format(ResourceText(IDS_SECONDS_RANGE), waveOut ? kWaveOutBufferMin : kDirectSoundBufferMin,
                 waveOut ? kWaveOutBufferMax : kDirectSoundBufferMax);
    ::SetDlgItemTextA(m_hWnd, IDC_PLAYBACK_BUFFER_RANGE, range);
    range.Format(ResourceText(IDS_COUNT_RANGE), kBufferCountMin, kBufferCountMax);
    ::SetDlgItemTextA(m_hWnd, IDC_BUFFER_COUNT_RANGE, range);
    ExchangePlayback(FALSE);
}

void WaveDeviceSettingsPanel::FillRecording()
{
    FillDeviceCombo(::GetDlgItem(m_hWnd, IDC_RECORDING_DEVICE), ResourceText(IDS_WAVE_MAPPER_IN),
                    m_devices.RecordingNames(), m_waveInDevice);
    CString range;
    range.Format(ResourceText(IDS_SECONDS_RANGE), kRecordingBufferMin, kRecordingBufferMax);
    ::SetDlgItemTextA(m_hWnd, IDC_RECORDING_BUFFER_RANGE, range);
    ExchangeRecording(FALSE);
}

BOOL WaveDeviceSettingsPanel::ExchangePlayback(BOOL take)
{
    bool waveOut = m_mode == kWaveOut;
    double buffer = waveOut ? m_waveOutBuffer : m_directSoundBuffer;
    int count = m_waveOutBufferCount;
    CDataExchange dx(this, take);
    try {
        DDX_Text(&dx, IDC_PLAYBACK_BUFFER, buffer);
        DDV_MinMaxDouble(&dx, buffer, waveOut ? kWaveOutBufferMin : kDirectSoundBufferMin,
                         waveOut ? kWaveOutBufferMax : kDirectSoundBufferMax);
        if (waveOut) {
            DDX_Text(&dx, IDC_BUFFER_COUNT, count);
            DDV_MinMaxInt(&dx, count, kBufferCountMin, kBufferCountMax);
        }
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    if (!take)
        return TRUE;
    CString device = TakeDeviceName(::GetDlgItem(m_hWnd, IDC_PLAYBACK_DEVICE));
    if (waveOut) {
        m_waveOutDevice = device;
        m_waveOutBuffer = buffer;
        m_waveOutBufferCount = count;
    } else {
        m_directSoundDevice = device;
        m_directSoundBuffer = buffer;
    }
    return TRUE;
}

BOOL WaveDeviceSettingsPanel::ExchangeRecording(BOOL take)
{
    double buffer = m_waveInBuffer;
    int offset = m_waveInOffset;
    CDataExchange dx(this, take);
    try {
        DDX_Text(&dx, IDC_RECORDING_BUFFER, buffer);
        DDV_MinMaxDouble(&dx, buffer, kRecordingBufferMin, kRecordingBufferMax);
        DDX_Text(&dx, IDC_RECORDING_OFFSET, offset);
        DDV_MinMaxInt(&dx, offset, kOffsetMin, kOffsetMax);
    } catch (const DataExchangeFailure&) {
        return FALSE;
    }
    if (!take)
        return TRUE;
    m_waveInDevice = TakeDeviceName(::GetDlgItem(m_hWnd, IDC_RECORDING_DEVICE));
    m_waveInBuffer = buffer;
    m_waveInOffset = offset;
    return TRUE;
}

void WaveDeviceSettingsPanel::HideExtensibleControls()
{
    // The extensible-format row and the sample type row under it go; each group ends below its
    // last row that stays, and the recording group moves up under the playback group.
    RECT playbackGroup = ChildRect(m_hWnd, IDC_PLAYBACK_GROUP);
    int playbackCut = ChildRect(m_hWnd, IDC_PLAYBACK_BITS).bottom - ChildRect(m_hWnd, IDC_BUFFER_COUNT).bottom;
    int recordingCut = ChildRect(m_hWnd, IDC_RECORDING_BITS).bottom - ChildRect(m_hWnd, IDC_RECORDING_OFFSET).bottom;
    int recordingTop = ChildRect(m_hWnd, IDC_RECORDING_GROUP).top;
    for (int id : {IDC_PLAYBACK_EXTENSIBLE, IDC_RECORDING_EXTENSIBLE, IDC_PLAYBACK_BITS, IDC_RECORDING_BITS,
                   IDC_PLAYBACK_BITS_LABEL, IDC_RECORDING_BITS_LABEL})
        ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_HIDE);

    ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PLAYBACK_GROUP), nullptr, 0, 0, playbackGroup.right - playbackGroup.left,
                   playbackGroup.bottom - playbackGroup.top - playbackCut, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        if (rect.top < recordingTop)
            continue;
        int height = rect.bottom - rect.top;
        if (::GetDlgCtrlID(child) == IDC_RECORDING_GROUP)
            height -= recordingCut;
        ::SetWindowPos(child, nullptr, rect.left, rect.top - playbackCut, rect.right - rect.left, height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void WaveDeviceSettingsPanel::OnWaveOutMode()
{
    SwitchMode(kWaveOut);
}

void WaveDeviceSettingsPanel::OnDirectSoundMode()
{
    SwitchMode(kDirectSound);
}

void WaveDeviceSettingsPanel::SwitchMode(Mode mode)
{
    if (mode == m_mode)
        return;
    if (!ExchangePlayback(TRUE)) {
        ::CheckRadioButton(m_hWnd, IDC_WAVEOUT_MODE, IDC_DIRECTSOUND_MODE, IDC_WAVEOUT_MODE + m_mode);
        return;
    }
    m_mode = mode;
    FillPlayback();
}

BOOL WaveDeviceSettingsPanel::SaveValues()
{
    if (!ExchangePlayback(TRUE) || !ExchangeRecording(TRUE))
        return FALSE;
    SetSettingInt(kSettingsSection, "DirectSoundUse", m_mode == kDirectSound ? 1 : 0);
    SetSettingString(kSettingsSection, "DirectSoundDevice", m_directSoundDevice);
    SetSettingInt(kSettingsSection, "DirectSoundBufferLength", SecondsToStored(m_directSoundBuffer, 1000));
    SetSettingInt(kSettingsSection, "DirectSoundEnableExTensible", m_directSoundExtensible);
    SetSettingString(kSettingsSection, "WaveOutDevice", m_waveOutDevice);
    SetSettingInt(kSettingsSection, "WaveOutBufferLength", SecondsToStored(m_waveOutBuffer, 1000));
    SetSettingInt(kSettingsSection, "WaveOutBufferCount", m_waveOutBufferCount);
    SetSettingInt(kSettingsSection, "WaveOutEnableExTensible", m_waveOutExtensible);
    SetSettingString(kSettingsSection, "WaveInDevice", m_waveInDevice);
    SetSettingInt(kSettingsSection, "WaveInBufferCount", SecondsToStored(m_waveInBuffer, 10));
    SetSettingInt(kSettingsSection, "WaveInOffset", m_waveInOffset);
    SetSettingInt(kSettingsSection, "WaveInUseExTensible", m_waveInExtensible);
    return TRUE;
}
