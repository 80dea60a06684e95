// The Controller's measuring side: the position and remaining-time counters, the recording
// device and its sound-card volume, input monitoring, and the objects a recording starts with.
#include "NyControlView.h"

#include "AudioFormat.h"
#include "ChunkFile.h"
#include "CommandSupport.h"
#include "DiskSpaceInfo.h"
#include "DocumentHost.h"
#include "FileCommands.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "NyException.h"
#include "Settings.h"
#include "TaggedInterface.h"
#include "TempFilePaths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mmsystem.h>

namespace {

constexpr int kRecordChannelLimit = 6;

void Check(HRESULT hr)
{
    if (FAILED(hr))
        throw CNyException(hr);
}

} // namespace

TakeDescription MakeTakeDescription(const char* documentPath, uint32_t documentValue, uint32_t rate, uint16_t bits,
                                    uint16_t channels)
{
    TakeDescription d{};
    std::memcpy(d.bytes + 0, "5.00", 4);
    std::memcpy(d.bytes + 32, "J", 1);
    std::memcpy(d.bytes + 64, "R4", 2);
    if (documentPath) {
        // 128 bytes of room: a longer path is cut so that the terminator stays inside.
        const size_t length = std::min<size_t>(std::strlen(documentPath), 127);
        std::memcpy(d.bytes + 96, documentPath, length);
    }
    std::memcpy(d.bytes + 484, &documentValue, 4);
    std::memcpy(d.bytes + 488, &rate, 4);
    std::memcpy(d.bytes + 492, &bits, 2);
    std::memcpy(d.bytes + 494, &channels, 2);
    return d;
}

// ---- counters

void CNyControlView::DrawCounter(CDC* dc)
{
    if (!dc || !m_positionFont)
        return;
    double seconds = 0.0;
    if (m_view)
        seconds = double(m_view->SamplesToTime(m_counterPosition)) * 0.0001;
    else
        seconds = double(m_counterPosition * 10000 / int64_t(m_defaultRate)) * 0.0001;
    const int64_t whole = int64_t(seconds);
    const int hundredths = int((seconds - double(whole)) * 100.0);
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d", int(whole / 3600), int(whole / 60 % 60), int(whole % 60),
                  hundredths);
    const int x = m_compact ? 13 : 11;
    const int y = m_compact ? 8 : 11;
    m_positionFont->DrawText(dc, x, y, text);
}

void CNyControlView::ResetCounter(bool toZero)
{
    if (toZero) {
        m_counterPosition = 0;
    } else {
        LONGLONG position = 0;
        if (m_recorder)
            m_recorder->GetPosition(&position);
        else if (m_status)
            m_status->GetPosition(&position);
        m_counterPosition = position;
    }
    if (m_hWnd) {
        CClientDC dc(m_hWnd);
        DrawCounter(&dc);
    }
}

std::string CNyControlView::RemainingText()
{
    uint32_t rate = 0;
    uint16_t bits = 0, channels = 0;
    if (!GetRecordFormat(&rate, &bits, &channels))
        GetDefaultRecordFormat(&rate, &bits, &channels);
    AudioFormat format;
    format.Set(rate, bits, channels);
    const int64_t bytes = GetRecordableBytes();
    int64_t seconds = format.FramesToTime(format.BytesToFrames64(bytes)) / 10000000;
    if (seconds <= 0) {
        if (GetRecordStatus() == 2 && !m_endNotice && m_hWnd) {
            ::PostMessageA(m_hWnd, kMsgPlayEnd, static_cast<WPARAM>(kErrRecordDriveFull), 0);
            m_endNotice = 1;
        }
        seconds = 0;
    }
    CString pattern;
    if (!pattern.LoadString(20217))
        pattern = "%d:%02d:%02d";
    char inner[64];
    std::snprintf(inner, sizeof inner, pattern.GetString(), int(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60));
    char text[64];
    std::snprintf(text, sizeof text, "%9.9s", inner);
    return text;
}

void CNyControlView::UpdateCounter(CDC* dc)
{
    const std::string text = RemainingText();
    if (!m_remainingFont)
        return;
    const int x = m_compact ? 213 : 307;
    const int y = m_compact ? 68 : 97;
    if (dc) {
        m_remainingFont->DrawText(dc, x, y, text.c_str());
    } else if (m_hWnd) {
        CClientDC client(m_hWnd);
        m_remainingFont->DrawText(&client, x, y, text.c_str());
    }
}

int64_t CNyControlView::GetRecordableBytes()
{
    DiskSpaceInfo info;
    info.Query(TempFilePaths().GetFolder());
    LONGLONG recorded = 0;
    if (m_recorder)
        m_recorder->GetRecordedBytes(&recorded);
    return RecordableBytes(info, IsRecording(), recorded, m_recordBase);
}

// ---- recording format

bool CNyControlView::GetRecordFormat(uint32_t* rate, uint16_t* bits, uint16_t* channels)
{
    IMtTrackSet* engine = DocumentEngine();
    if (!engine)
        return false;
    DWORD r = 0;
    WORD b = 0, c = 0;
    if (FAILED(engine->GetSamplesPerSec(&r)) || FAILED(engine->GetBitsPerSample(&b)) ||
        FAILED(engine->GetRecordChannels(&c)))
        return false;
    *rate = r;
    *bits = b;
    *channels = c;
    return true;
}

void CNyControlView::GetDefaultRecordFormat(uint32_t* rate, uint16_t* bits, uint16_t* channels)
{
    if (CNyMultiTrackDoc* doc = Document()) {
        *rate = doc->GetSamplesPerSec();
        *bits = doc->GetBitsPerSample();
        *channels = 2;
        return;
    }
    *rate = m_defaultRate;
    *bits = 16;
    *channels = 2;
}

void CNyControlView::CheckRecordFormat()
{
    uint32_t rate = 0;
    uint16_t bits = 0, channels = 0;
    if (!GetRecordFormat(&rate, &bits, &channels))
        GetDefaultRecordFormat(&rate, &bits, &channels);
    // Monitoring runs in the format it started with: a new depth restarts it.
    const uint32_t wanted = bits;
    if (wanted == m_requestedBits)
        return;
    m_requestedBits = wanted;
    if (!m_monitoring || IsRecording())
        return;
    SetupMonitoring(); // off
    MonitoringFailed(SetupMonitoring());
}

// ---- monitoring

HRESULT CNyControlView::SetupMonitoring()
{
    if (!m_view || !m_engine || IsRecording())
        return S_OK;
    ComRef<IMtSourceLink> link;
    HRESULT hr = m_engine->QueryInterface(__uuidof(IMtSourceLink), link.OutVoid());
    if (FAILED(hr))
        return hr;
    if (m_monitoring) {
        m_monitoring = 0;
        m_recorder.Reset();
        if (IMtTrackSet* engine = DocumentEngine())
            link->SetMonitoring(engine, 0);
        return S_OK;
    }
    m_monitoring = 1;
    hr = link->SetMonitoring(DocumentEngine(), 1);
    if (FAILED(hr))
        return hr;
    m_recorder.Reset();
    hr = m_engine->QueryInterface(__uuidof(IMtRecorder), m_recorder.OutVoid());
    if (FAILED(hr))
        return hr;
    if (m_mixer)
        m_mixer->StartMeterTimer();
    return S_OK;
}

void CNyControlView::UpdateMonitoring()
{
    // Monitoring follows the armed tracks only with several inputs (an ASIO driver), which
    // this program does not drive.
}

// ---- recording device

void CNyControlView::EnumWaveInDevices()
{
    m_recordVolumeControl = DWORD(-1);
    std::string wanted;
    GetSettingString("Settings", "WaveInDevice", "", &wanted);
    UINT device = WAVE_MAPPER;
    if (!wanted.empty()) {
        const UINT count = waveInGetNumDevs();
        for (UINT i = 0; i < count; ++i) {
            WAVEINCAPSA caps{};
            if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR &&
                std::strncmp(caps.szPname, wanted.c_str(), 32) == 0) {
                device = i;
                break;
            }
        }
    }
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    HWAVEIN in = nullptr;
    if (waveInOpen(&in, device, &format, 0, 0, WAVE_ALLOWSYNC) != MMSYSERR_NOERROR)
        return;
    m_mixerDevice.Close();
    m_mixerDevice.Open(reinterpret_cast<UINT_PTR>(in), MIXERLINE_COMPONENTTYPE_DST_WAVEIN,
                       reinterpret_cast<DWORD_PTR>(m_hWnd), 0, MIXER_OBJECTF_HWAVEIN | CALLBACK_WINDOW);
    waveInClose(in);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (!m_mixerDevice.IsOpen() || m_mixerDevice.ReadSourceList() != 0)
        return;
    for (const MixerSourceItem& source : m_mixerDevice.SourceItems()) {
        if (!source.selected)
            continue;
        if (m_mixerDevice.ReadLines() == 0)
            for (const MixerLineRecord& line : m_mixerDevice.Lines())
                if (std::strncmp(line.name, source.name, MIXER_LONG_NAME_CHARS) == 0) {
                    m_recordVolumeControl = line.controlId;
                    break;
                }
        break;
    }
}

LRESULT CNyControlView::OnMixerChange()
{
    if (m_recordVolumeControl == DWORD(-1))
        return 0;
    EnumWaveInDevices();
    const DWORD control = m_recordVolumeControl;
    const int volume = GetRecordVolume();
    // The record strip's fader must not write the value back to the card.
    m_recordVolumeControl = DWORD(-1);
    if (m_mixer)
        m_mixer->SetRecordLevel(volume);
    m_recordVolumeControl = control;
    return 0;
}

void CNyControlView::ReloadDeviceSettings()
{
    EnumWaveInDevices();
    if (m_mixer) {
        m_mixer->RefreshRecordStrip();
        m_mixer->InvalidateAll();
    }
    CheckRecordFormat();
    UpdateMonitoring();
    UpdateCounter(nullptr);
    if (!m_engine)
        return;
    ComRef<IMtDeviceWindow> device;
    if (SUCCEEDED(m_engine->QueryInterface(__uuidof(IMtDeviceWindow), device.OutVoid())))
        device->SetMainWindow(AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr);
}

void CNyControlView::SetRecordVolume(int value)
{
    if (m_recordVolumeControl == DWORD(-1))
        return;
    const DWORD level = DWORD(value * 6.5535) & 0xFFFF;
    m_mixerDevice.SetControlValue(m_recordVolumeControl, level | (level << 16));
}

int CNyControlView::GetRecordVolume()
{
    if (m_recordVolumeControl == DWORD(-1))
        return 0;
    DWORD packed = 0;
    if (m_mixerDevice.GetControlValue(m_recordVolumeControl, &packed) != 0)
        return 0;
    return int((packed & 0xFFFF) * 0.15259021896696423);
}

// ---- recording objects

void CNyControlView::PrepareRecording()
{
    CNyMultiTrackDoc* doc = Document();
    if (!doc)
        throw CNyException(E_POINTER);
    ComRef<IMtRecordItems> records;
    Check(m_engine->QueryInterface(__uuidof(IMtRecordItems), records.OutVoid()));
    ComRef<IMtItemList> items;
    Check(records->GetItemList(items.Out()));
    Check(items->ResetItems(0));

    int total = 0;
    for (int i = 0; i < doc->GetTrackCount(); ++i)
        total += doc->GetTrackChannels(i);
    ComRef<IUnknown> item;
    LONG trackId = -1;
    while (items->NextItem(item.Out(), &trackId) == S_OK) {
        const int index = doc->GetTrackIndex(trackId);
        if (index >= 0 && index < doc->GetTrackCount())
            total -= doc->GetTrackChannels(index);
        ComRef<IMtItem> take;
        MtFileItemRecord info{};
        if (SUCCEEDED(item->QueryInterface(__uuidof(IMtItem), take.OutVoid())))
            take->GetInfo(&info);
        total += info.channels;
    }
    if (total > kRecordChannelLimit)
        throw CNyException(kErrTooManyRecordChannels);

    ReleaseRecording();
    m_recordingCommand = ComRef<IEditCommand>(NewCommand<RecordingCommand>(doc, items.Get()));
    const char* path = TempFilePaths().MakeTempFileName("KVC");
    if (!path || !*path)
        throw CNyException(E_OUTOFMEMORY);
    m_takeStore = ComRef<IJournalFile>(ComObject<IJournalFile>::Create<RecordingTakeStore>());
    if (!m_takeStore)
        throw CNyException(E_OUTOFMEMORY);
    Check(m_takeStore->Open(path));

    ComRef<IChunkFile> file;
    Check(m_takeStore->GetChunkFile(file.Out()));
    Check(file->CreateChunkById(MakeTag("KSCMKDOC"), 0));
    uint32_t rate = doc->GetSamplesPerSec();
    uint16_t channels = 2;
    if (IMtTrackSet* engine = doc->GetTrackSet()) {
        WORD c = 0;
        if (SUCCEEDED(engine->GetRecordChannels(&c)))
            channels = c;
    }
    TakeDescription description =
        MakeTakeDescription(doc->GetPathName().GetString(), 0, rate, doc->GetBitsPerSample(), channels);
    // The journal of the document names it for a recovery, also when it was never saved.
    if (ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory()))
        journal->GetPath(reinterpret_cast<char*>(description.bytes + 224), 259);
    if (file->Write(description.bytes, sizeof description.bytes) != sizeof description.bytes)
        throw CNyException(E_FAIL);
    Check(file->Ascend());
    // The recording command itself, with its takes: after a crash the takes written so far
    // come back from here.
    ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(m_recordingCommand.Get());
    if (!persist)
        throw CNyException(E_NOINTERFACE);
    Check(persist->Save(m_takeStore.Get()));
}
