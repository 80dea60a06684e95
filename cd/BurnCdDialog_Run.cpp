// The Burn CD dialog's runs: writer devices and speeds, the burn (conversion, test write,
// write), the erase, their timer, and media changes.
#include "BurnCdDialog.h"

#include "ComRef.h"
#include "FormatConverter.h"
#include "KvsStrm.h"
#include "Settings.h"

#include <dbt.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr UINT_PTR kRunTimer = 1;

std::string Text(UINT id)
{
    char text[512] = {};
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}

const char* MediaName(int type)
{
    switch (type) {
    case 513: return "CD-ROM";
    case 514: return "CD-R";
    case 515: return "CD-RW";
    case 516: return "DVD-R";
    case 517: return "DVD-ROM";
    case 518: return "DVD-RAM";
    case 519: return "DVD-RW";
    case 521: return "DVD+RW";
    case 528: return "DVD+R";
    default: return "";
    }
}

ComRef<IStrmConverter> CreateConverter()
{
    HMODULE library = GetModuleHandleA("KVSSTRM.dll");
    auto getRegistry = library ? reinterpret_cast<StrmGetRegistryFn>(reinterpret_cast<void*>(
                                     GetProcAddress(library, MAKEINTRESOURCEA(kStrmOrdGetRegistry))))
                               : nullptr;
    IStrmRegistry* registry = getRegistry ? getRegistry() : nullptr;
    const StrmRegistration* entry = registry ? registry->Find(TagLow(kTagConverter), TagHigh(kTagConverter)) : nullptr;
    ComRef<ITaggedObject> object;
    if (!entry || FAILED(entry->create(TagLow(kTagConverter), TagHigh(kTagConverter), object.Out())) || !object)
        return {};
    ComRef<IStrmConverter> converter;
    object->QueryInterface(kTagConverter, converter.OutVoid());
    return converter;
}

} // namespace

void CBurnCdDialog::ReadSpeeds(BurnDeviceEntry& entry)
{
    uint32_t speeds[kCdSpeedBufferValues], dvd[kCdSpeedBufferValues];
    std::fill(std::begin(speeds), std::end(speeds), kCdSpeedListEnd);
    int32_t modes = 0;
    if (SUCCEEDED(m_writer->GetSpeeds(entry.id, speeds, dvd, &modes))) {
        entry.writeModes = modes;
        entry.speeds = MergeSpeedLists(speeds, kCdSpeedBufferValues);
    } else {
        entry.speeds.clear();
    }
}

void CBurnCdDialog::ListDevices()
{
    m_testOption = GetSettingInt("Settings", "CDWriteTestMode", 0) != 0;
    std::string preferred;
    GetSettingString("Settings", "CDWriteDrive", "", &preferred);
    const char wanted = preferred.empty() ? 0 : char(toupper(static_cast<unsigned char>(preferred[0])));
    int32_t count = 0;
    HGLOBAL block = nullptr;
    m_devices.clear();
    if (FAILED(m_writer->GetDevices(&count, &block)) || !block)
        return;
    const auto* records = static_cast<const CdWriterDeviceRecord*>(block);
    int selected = -1;
    for (int32_t i = 0; i < count; ++i) {
        const CdWriterDeviceRecord& r = records[i];
        BurnDeviceEntry entry;
        entry.drive.assign(r.drive, strnlen(r.drive, sizeof r.drive));
        std::string name(r.name, strnlen(r.name, sizeof r.name));
        entry.name = name.substr(std::min(name.find_first_not_of(' '), name.size()));
        entry.capabilities = r.capabilities;
        entry.id = r.id;
        entry.last = r.reserved;
        ReadSpeeds(entry);
        if (!(entry.capabilities & (kCdCapWritesCdR | kCdCapWritesCdRw)))
            continue;
        m_devices.push_back(entry);
        if (selected < 0 && wanted && !entry.drive.empty() && toupper(entry.drive[0]) == wanted)
            selected = int(m_devices.size()) - 1;
    }
    GlobalFree(block);
    if (m_devices.empty())
        return;
    const BurnDeviceEntry& d = m_devices[size_t(selected < 0 ? 0 : selected)];
    m_deviceId = d.id;
    m_letter = d.drive.empty() ? 0 : char(toupper(static_cast<unsigned char>(d.drive[0])));
    m_capabilities = d.capabilities;
    m_writeModes = d.writeModes;
    m_unitMask = m_letter >= 'A' && m_letter <= 'Z' ? 1u << (m_letter - 'A') : 0;
    m_speed = 0;
}

const BurnDeviceEntry* CBurnCdDialog::Selected() const
{
    for (const BurnDeviceEntry& d : m_devices)
        if (d.id == m_deviceId)
            return &d;
    return nullptr;
}

void CBurnCdDialog::OnAdvanced()
{
    StopPreview();
    CBurnAdvancedDialog dialog(m_devices, this);
    char device[4] = {m_letter, ':', 0};
    dialog.m_device = device;
    dialog.m_test = m_testOption;
    dialog.m_speed = m_speed;
    m_advanced = &dialog;
    const INT_PTR result = dialog.DoModal();
    m_advanced = nullptr;
    if (result != IDOK)
        return;
    const char chosen = dialog.m_device.empty() ? 0 : char(toupper(static_cast<unsigned char>(dialog.m_device[0])));
    if (chosen && chosen != m_letter) {
        for (const BurnDeviceEntry& d : m_devices)
            if (!d.drive.empty() && toupper(d.drive[0]) == chosen) {
                m_deviceId = d.id;
                m_letter = chosen;
                m_capabilities = d.capabilities;
                m_writeModes = d.writeModes;
                m_unitMask = 1u << (chosen - 'A');
            }
        SetSettingString("Settings", "CDWriteDrive", dialog.m_device.c_str());
    }
    if (dialog.m_test != m_testOption) {
        m_testOption = dialog.m_test;
        SetSettingInt("Settings", "CDWriteTestMode", m_testOption ? 1 : 0);
    }
    m_speed = dialog.m_speed;
    EnableControls();
}

std::string CBurnCdDialog::TempFolder() const
{
    std::string folder;
    GetSettingString("Settings", "TempPath", "", &folder);
    if (folder.empty()) {
        char path[MAX_PATH] = {}, longPath[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, path);
        folder = GetLongPathNameA(path, longPath, MAX_PATH) ? longPath : path;
    }
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

void CBurnCdDialog::Report(int state, int percent, const std::string& text, bool cancelAllowed)
{
    if (!m_progress || !m_progress->m_hWnd)
        return;
    ProgressRecord record{};
    record.value = std::clamp(percent, 0, 100);
    lstrcpynA(record.text, text.c_str(), sizeof record.text);
    record.flags = cancelAllowed ? 0 : 1;
    m_progress->SendMessage(kProgressMessage, WPARAM(state), LPARAM(&record));
    if (record.cancel && state == kStateProgress)
        m_cancelSeen = true;
}

bool CBurnCdDialog::ReportCancelled()
{
    const bool seen = m_cancelSeen;
    m_cancelSeen = false;
    return seen;
}

bool CBurnCdDialog::CheckMedium()
{
    int32_t type = 0, status = 0, freeBlocks = 0, tracks = 0, sessions = 0, erasable = 0, capacity = 0;
    HRESULT hr = m_writer->ExamineMedium(m_deviceId, &type, &status);
    if (SUCCEEDED(hr))
        hr = m_writer->QueryMedia(&type, &status, &freeBlocks, &tracks, &sessions, &erasable, &capacity);
    if (FAILED(hr)) {
        if (hr == kCdWriterNoMedium)
            Box(IDS_BURN_EMPTY_DRIVE, MB_OK | MB_ICONSTOP);
        else
            AfxMessageBox(m_writer->GetErrorText(hr), MB_OK | MB_ICONSTOP);
        return false;
    }
    if (type < 513 || type > 515) {
        std::string writes;
        if (m_capabilities & kCdCapWritesCdR)
            writes = "CD-R";
        if (m_capabilities & kCdCapWritesCdRw)
            writes += writes.empty() ? "CD-RW" : "/CD-RW";
        Box(IDS_BURN_WRONG_MEDIA, MB_OK | MB_ICONSTOP, MediaName(type), writes);
        return false;
    }
    if (status != kCdMediaBlank) {
        Box(IDS_BURN_NOT_BLANK, MB_OK | MB_ICONSTOP);
        return false;
    }
    // Blocks of 1/75 s against the tracks' time in 100-ns units.
    if (TotalLength100ns() > int64_t(freeBlocks) * kHundredNsPerSecond / 75) {
        Box(IDS_BURN_TOO_LONG, MB_OK | MB_ICONSTOP, "CD", "CD");
        return false;
    }
    return true;
}

void CBurnCdDialog::OnOK()
{
    StopPreview();
    if (m_operation != kIdle)
        return;
    for (const BurnTrackRecord& r : m_tracks)
        if (r.length < 4 * kHundredNsPerSecond) {
            Box(IDS_BURN_TOO_SHORT, MB_OK | MB_ICONWARNING);
            return;
        }
    if (m_tracks.size() >= 100) {
        Box(IDS_BURN_TOO_MANY, MB_OK | MB_ICONWARNING);
        return;
    }
    if (m_tracks.empty() || !CheckMedium())
        return;
    if (!FileMode()) {
        BurnDocument();
        return;
    }
    m_operation = kConverting;
    EnableControls();
    for (const BurnTrackRecord& r : m_tracks)
        if (GetFileAttributesA((r.folder + r.fileName).c_str()) == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            m_operation = kIdle;
            EnableControls();
            m_host.ShowErrorBox(HRESULT_FROM_WIN32(error));
            return;
        }
    m_allFilesMs = 0;
    for (const BurnTrackRecord& r : m_tracks)
        m_allFilesMs += uint64_t(r.length / 10000);
    m_writeTracks.clear();
    m_finishedSum = 0;
    m_fileLength = 0;
    m_filePosition = 0;
    m_fileIndex = 0;
    if (FAILED(ConvertFile(0))) {
        EndRun(kStateError);
        return;
    }
    StartTimer();
}

void CBurnCdDialog::StartTimer()
{
    m_timer = SetTimer(kRunTimer, 100, nullptr);
    m_cancelSeen = false;
    Report(kStateStarted, 0, std::string(), true);
    EnableWindow(FALSE);
    if (m_progress && m_progress->m_hWnd)
        m_progress->SetFocus();
}

HRESULT CBurnCdDialog::ConvertFile(size_t index)
{
    m_finishedSum += m_fileLength;
    m_fileLength = 0;
    m_filePosition = 0;
    const BurnTrackRecord& r = m_tracks[index];
    const std::string source = r.folder + r.fileName;
    if (GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    const std::string folder = TempFolder();
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return E_FAIL;
    char temporary[MAX_PATH] = {};
    if (!GetTempFileNameA(folder.c_str(), "KsW", 0, temporary))
        return E_FAIL;
    m_temporaries.push_back(temporary);
    CdWriteTrack track{};
    lstrcpynA(track.path, temporary, sizeof track.path);
    track.preGapFrames = r.preGap * 75;
    m_writeTracks.push_back(track);

    CloseConverter();
    m_converter = CreateConverter();
    if (!m_converter)
        return E_FAIL;
    HRESULT hr = m_converter->Open(TagLow(kTagAnyReader), TagHigh(kTagAnyReader), source.c_str(),
                                   TagLow(kTagWavWriter), TagHigh(kTagWavWriter), temporary);
    if (SUCCEEDED(hr))
        hr = m_converter->Prepare();
    ComRef<IStrmAttributes> attributes;
    if (SUCCEEDED(hr))
        hr = m_converter->QueryInterface(kTagAttributes, attributes.OutVoid());
    if (SUCCEEDED(hr)) {
        const StrmFormat cd{44100, 2, 16, 16, 0};
        hr = attributes->SetOutputFormat(&cd);
    }
    if (SUCCEEDED(hr))
        hr = m_converter->SetNotify(m_hWnd, s_convertNotify);
    if (SUCCEEDED(hr))
        hr = m_converter->Start();
    m_converting = SUCCEEDED(hr);
    return hr;
}

void CBurnCdDialog::CloseConverter()
{
    if (!m_converter)
        return;
    m_converter->SetNotify(nullptr, 0);
    m_converter->Stop();
    m_converter.Reset();
    m_converting = false;
    m_fileLength = m_filePosition = 0;
}

LRESULT CBurnCdDialog::OnConverterReport(WPARAM code, LPARAM)
{
    if (!m_converter || m_operation != kConverting)
        return 0;
    if (HRESULT(code) < 0) {
        EndRun(kStateError);
        return 0;
    }
    if (code == kStrmConvertStarted) {
        m_converter->GetLength(&m_fileLength);
    } else if (code == kStrmConvertProgress) {
        m_converter->GetPosition(&m_filePosition);
    } else if (code == kStrmConvertFinished) {
        m_converter->GetPosition(&m_filePosition);
        if (++m_fileIndex < m_tracks.size()) {
            if (FAILED(ConvertFile(m_fileIndex)))
                EndRun(kStateError);
            return 0;
        }
        CloseConverter();
        BeginWriting();
    }
    return 0;
}

bool CBurnCdDialog::BeginWriting()
{
    const HRESULT hr = StartWrite();
    if (SUCCEEDED(hr))
        return true;
    // A refused drive has said why: the conversion itself did not fail.
    const bool explained = hr == E_FAIL;
    if (!explained)
        AfxMessageBox(m_writer->GetErrorText(hr), MB_OK | MB_ICONSTOP);
    EndRun(kStateError, !explained);
    return false;
}

HRESULT CBurnCdDialog::StartWrite()
{
    if (!m_writer->Reserve(m_deviceId, TRUE)) {
        char holder[256] = {};
        m_writer->GetDeviceUser(m_deviceId, holder);
        Box(IDS_BURN_DRIVE_HELD, MB_OK | MB_ICONSTOP, holder);
        return E_FAIL;
    }
    m_reserved = true;
    m_test = m_testOption;
    m_operation = kWriting;
    m_writer->SetSpeed(m_speed);
    m_phase = m_test ? 1 : 3;
    const CdWriteTrackList list{int32_t(m_writeTracks.size()), m_writeTracks.data()};
    return m_writer->Write(m_deviceId, 0, 0, 0, &list, 0, m_test, (m_writeModes & 1) != 0, !m_test);
}

void CBurnCdDialog::OnTimer(UINT_PTR id)
{
    if (id != m_timer || !m_timer)
        return;
    if (m_operation == kConverting) {
        if (m_converter)
            m_converter->GetPosition(&m_filePosition);
        const uint64_t done = m_finishedSum + m_filePosition;
        const int percent = m_allFilesMs ? int(std::min<uint64_t>(done * 100 / m_allFilesMs, 100)) : 0;
        const std::string name = m_fileIndex < m_tracks.size() ? m_tracks[m_fileIndex].fileName : std::string();
        Report(kStateProgress, percent, Text(IDS_BURN_CONVERTING) + " " + name, true);
        if (ReportCancelled()) {
            CloseConverter();
            EndRun(kStateAborted);
        }
    } else if (m_operation == kWriting) {
        TickWriting();
    } else if (m_operation == kErasing) {
        TickErasing();
    }
}

void CBurnCdDialog::TickWriting()
{
    int32_t done = 0, total = 0;
    const int status = m_writer->GetStatus(&done, &total);
    const int percent = total ? int(int64_t(done) * 100 / total) : 0;
    if (m_phase == 1 || m_phase == 2) {
        if (status == kCdStatusFinished) {
            m_phase = 3;
            const CdWriteTrackList list{int32_t(m_writeTracks.size()), m_writeTracks.data()};
            if (FAILED(m_writer->Write(m_deviceId, 0, 0, 0, &list, 0, FALSE, (m_writeModes & 1) != 0, TRUE)))
                EndRun(kStateError);
            return;
        }
        if (status != kCdStatusRunning) {
            EndRun(kStateAborted);
            return;
        }
        if (m_phase == 1 && total && done == total)
            m_phase = 2;
        Report(kStateProgress, percent, Text(m_phase == 1 ? IDS_BURN_TEST_WRITING : IDS_BURN_FINISHING_TEST), true);
    } else if (m_phase == 3 || m_phase == 4) {
        if (status == kCdStatusFinished) {
            EndRun(kStateDone);
            return;
        }
        if (status != kCdStatusRunning) {
            EndRun(kStateError);
            return;
        }
        if (m_phase == 3 && total && done == total)
            m_phase = 4;
        Report(kStateProgress, percent, Text(m_phase == 3 ? IDS_BURN_WRITING : IDS_BURN_FINISHING), m_phase == 3);
    } else if (m_phase == 5) {
        if (status != kCdStatusRunning) {
            EndRun(kStateAborted);
            return;
        }
        Report(kStateCancelling, percent, Text(IDS_BURN_CANCELLING), false);
        return;
    }
    if (ReportCancelled()) {
        m_writer->Cancel();
        m_phase = 5;
    }
}

void CBurnCdDialog::DeleteTemporaries()
{
    for (const std::string& path : m_temporaries)
        DeleteFileA(path.c_str());
    m_temporaries.clear();
}

void CBurnCdDialog::EndRun(int state, bool tell)
{
    if (m_timer) {
        KillTimer(m_timer);
        m_timer = 0;
    }
    CloseConverter();
    EnableWindow(TRUE);
    DeleteTemporaries();
    const int operation = m_operation;
    m_operation = kIdle;
    m_phase = 0;
    EnableControls();
    Report(state, 100, std::string(), false);
    if (operation == kWriting) {
        if (m_reserved)
            m_writer->Reserve(m_deviceId, FALSE);
        m_reserved = false;
        if (state == kStateDone)
            Box(IDS_BURN_WRITTEN, MB_OK | MB_ICONINFORMATION);
        else
            Box(state == kStateError ? IDS_BURN_WRITE_FAILED : IDS_BURN_WRITE_ABORTED, MB_OK | MB_ICONSTOP);
    } else if (operation == kConverting && state != kStateDone && tell) {
        Box(state == kStateError ? IDS_BURN_CONVERT_FAILED : IDS_BURN_CONVERT_ABORTED, MB_OK | MB_ICONSTOP);
    }
}

void CBurnCdDialog::OnErase()
{
    StopPreview();
    if (m_operation != kIdle || !Selected())
        return;
    CEraseMediaDialog dialog(this);
    if (dialog.DoModal() != IDOK)
        return;
    if (!m_writer->Reserve(m_deviceId, TRUE)) {
        char holder[256] = {};
        m_writer->GetDeviceUser(m_deviceId, holder);
        Box(IDS_BURN_DRIVE_HELD, MB_OK | MB_ICONWARNING, holder);
        return;
    }
    m_reserved = true;
    auto release = [this] {
        m_writer->Reserve(m_deviceId, FALSE);
        m_reserved = false;
    };
    int32_t type = 0, status = 0;
    const HRESULT hr = m_writer->ExamineMedium(m_deviceId, &type, &status);
    if (FAILED(hr)) {
        release();
        if (hr == kCdWriterNoMedium)
            Box(IDS_BURN_EMPTY_DRIVE, MB_OK | MB_ICONSTOP);
        else
            AfxMessageBox(m_writer->GetErrorText(hr), MB_OK | MB_ICONSTOP);
        return;
    }
    const bool complete = dialog.m_choice == 1;
    m_eraseEstimate = EraseEstimateSeconds(type, complete, m_writer->GetCdRwEraseSpeed(m_deviceId),
                                           m_writer->GetDvdEraseSpeed(m_deviceId));
    if (Box(complete ? IDS_BURN_CONFIRM_COMPLETE : IDS_BURN_CONFIRM_QUICK, MB_OKCANCEL | MB_ICONWARNING) != IDOK) {
        release();
        return;
    }
    m_eraseMode = complete ? 2 : 1;
    if (FAILED(m_writer->Erase(m_deviceId, m_eraseMode))) {
        release();
        Box(IDS_BURN_ERASE_FAILED, MB_OK | MB_ICONSTOP);
        return;
    }
    m_eraseStart = GetTickCount();
    m_operation = kErasing;
    m_eraseState = 0;
    EnableControls();
    StartTimer();
}

void CBurnCdDialog::TickErasing()
{
    const int status = m_writer->GetStatus(nullptr, nullptr);
    if (m_eraseState == 0 || m_eraseState == 2) {
        if (status == kCdStatusFinished || status == kCdStatusEraseStopped || status != kCdStatusRunning) {
            m_writer->Reserve(m_deviceId, FALSE);
            m_reserved = false;
            m_eraseState = status == kCdStatusFinished && m_eraseState == 0 ? 1 : 3;
        } else if (m_eraseState == 0) {
            const uint64_t elapsed = GetTickCount() - m_eraseStart;
            const int percent = m_eraseEstimate ? int(std::min<uint64_t>(elapsed * 100 / (uint64_t(m_eraseEstimate) * 1000), 100)) : 0;
            Report(kStateProgress, percent, Text(IDS_BURN_ERASING), true);
            if (ReportCancelled()) {
                m_writer->Cancel();
                m_eraseState = 2;
            }
            return;
        } else {
            Report(kStateCancelling, 0, Text(IDS_BURN_CANCELLING), false);
            return;
        }
    }
    KillTimer(m_timer);
    m_timer = 0;
    EnableWindow(TRUE);
    m_operation = kIdle;
    const bool finished = m_eraseState == 1;
    Report(finished ? kStateDone : kStateAborted, 100, std::string(), false);
    Box(finished ? IDS_BURN_ERASED : IDS_BURN_ERASE_ABORTED, MB_OK | (finished ? MB_ICONINFORMATION : MB_ICONSTOP));
    EnableControls();
}

LRESULT CBurnCdDialog::OnDeviceChange(WPARAM event, LPARAM data)
{
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if ((event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) || !header ||
        header->dbch_devicetype != DBT_DEVTYP_VOLUME)
        return TRUE;
    const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(header);
    if (volume->dbcv_flags != DBTF_MEDIA)
        return TRUE;
    for (BurnDeviceEntry& d : m_devices) {
        const char letter = d.drive.empty() ? 0 : char(toupper(static_cast<unsigned char>(d.drive[0])));
        if (letter < 'A' || letter > 'Z' || !(volume->dbcv_unitmask & (1u << (letter - 'A'))))
            continue;
        uint32_t speeds[kCdSpeedBufferValues], dvd[kCdSpeedBufferValues];
        int32_t modes = 0;
        HRESULT hr = m_writer->GetSpeeds(d.id, speeds, dvd, &modes);
        for (int retry = 0; event == DBT_DEVICEARRIVAL && hr == kCdWriterNotReady && retry < 6; ++retry) {
            Sleep(500);
            hr = m_writer->GetSpeeds(d.id, speeds, dvd, &modes);
        }
        d.speeds = SUCCEEDED(hr) ? MergeSpeedLists(speeds, kCdSpeedBufferValues) : BurnSpeedList();
        if (d.id == m_deviceId) {
            m_speed = 0;
            if (m_advanced && m_advanced->m_hWnd && m_advanced->ShownLetter() == letter) {
                m_advanced->m_speed = 0;
                m_advanced->FillSpeeds();
            }
        }
    }
    return TRUE;
}
