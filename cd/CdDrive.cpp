#include "CdDrive.h"

#include "CdDriveAccess.h"

#include <winioctl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The drive access module's identification of an image or pass-through drive, for systems
// where neither the storage query nor ASPI answers.
std::string InquiryName(char letter)
{
    CdDriveAccess access;
    CdAddress drive;
    if (!access.Load(CdDriveAccess::OwnFolder()) || !access.FindDrive(letter, &drive))
        return std::string();
    uint8_t answer[36] = {};
    const uint8_t cdb[6] = {0x12, 0, 0, 0, sizeof answer, 0};
    if (access.Execute(drive, cdb, sizeof cdb, answer, sizeof answer, CdDriveAccess::Direction::In) != aspi::SS_COMP)
        return std::string();
    return std::string(reinterpret_cast<char*>(answer + 8), 8) + " " +
           std::string(reinterpret_cast<char*>(answer + 16), 16) + " " + std::string(reinterpret_cast<char*>(answer + 32), 4);
}

} // namespace

std::string DeviceNameFromDescriptor(const uint8_t* answer, size_t bytes)
{
    if (bytes < sizeof(STORAGE_DEVICE_DESCRIPTOR))
        return std::string();
    STORAGE_DEVICE_DESCRIPTOR d;
    std::memcpy(&d, answer, sizeof d);
    auto text = [&](DWORD offset) -> std::string {
        if (offset == 0 || offset >= bytes)
            return std::string();
        const char* start = reinterpret_cast<const char*>(answer + offset);
        return std::string(start, strnlen(start, bytes - offset));
    };
    std::string name;
    if (d.VendorIdOffset)
        name += text(d.VendorIdOffset) + " ";
    if (d.ProductIdOffset)
        name += text(d.ProductIdOffset) + " ";
    if (d.ProductRevisionOffset)
        name += text(d.ProductRevisionOffset);
    return name;
}

CCdDrive::CCdDrive() : m_mci(mciSendCommandA)
{
    if (!m_aspi.IsNtFamily())
        m_aspi.ScanHosts();
}

CCdDrive::CCdDrive(MciSendFn mci) : m_mci(mci)
{
    if (!m_aspi.IsNtFamily())
        m_aspi.ScanHosts();
}

CCdDrive::~CCdDrive()
{
    Close();
}

bool CCdDrive::IsCdRomDrive() const
{
    if (!m_letter)
        return false;
    char root[4];
    snprintf(root, sizeof root, "%c:\\", m_letter);
    return GetDriveTypeA(root) == DRIVE_CDROM;
}

HRESULT CCdDrive::Open(char letter)
{
    if (m_deviceId)
        Close();
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = "cdaudio";
    char element[4] = {};
    DWORD flags = MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE | MCI_WAIT;
    if (letter) {
        snprintf(element, sizeof element, "%c:", letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
        open.lpstrElementName = element;
        flags |= MCI_OPEN_ELEMENT;
    }
    if (const MCIERROR e = m_mci(0, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&open)))
        return MciResult(e);
    m_letter = letter;
    m_deviceId = WORD(open.wDeviceID);
    return S_OK;
}

HRESULT CCdDrive::Close()
{
    if (!m_deviceId)
        return S_OK;
    const MCIERROR e = m_mci(m_deviceId, MCI_CLOSE, MCI_WAIT, 0);
    m_deviceId = 0;
    return e ? MciResult(e) : S_OK;
}

int CCdDrive::GetTrackCount()
{
    if (!m_deviceId)
        return 0;
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
    if (m_mci(m_deviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&status)))
        return 0;
    return int(status.dwReturn);
}

DWORD_PTR CCdDrive::Capability(DWORD item)
{
    if (!m_deviceId)
        return 0;
    MCI_GETDEVCAPS_PARMS caps{};
    caps.dwItem = item;
    if (m_mci(m_deviceId, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&caps)))
        return 0;
    return caps.dwReturn;
}

bool CCdDrive::CanEject()
{
    return Capability(MCI_GETDEVCAPS_CAN_EJECT) != 0;
}

bool CCdDrive::CanPlay()
{
    return Capability(MCI_GETDEVCAPS_CAN_PLAY) != 0;
}

HRESULT CCdDrive::ReadTrackTable()
{
    if (!m_deviceId)
        return E_FAIL;
    m_tracks.clear();
    MCI_SET_PARMS set{};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    if (const MCIERROR e = m_mci(m_deviceId, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&set)))
        return MciResult(e);
    const int count = GetTrackCount();
    for (int t = 1; t <= count; ++t) {
        MCI_STATUS_PARMS type{};
        type.dwItem = MCI_CDA_STATUS_TYPE_TRACK;
        type.dwTrack = DWORD(t);
        if (m_mci(m_deviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&type)))
            continue;
        MCI_STATUS_PARMS position{};
        position.dwItem = MCI_STATUS_POSITION;
        position.dwTrack = DWORD(t);
        if (m_mci(m_deviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT,
                  reinterpret_cast<DWORD_PTR>(&position)))
            continue;
        m_tracks.emplace_back(t, int32_t(type.dwReturn), uint32_t(position.dwReturn), 0);
    }
    if (m_tracks.empty())
        return S_OK;
    MCI_STATUS_PARMS length{};
    length.dwItem = MCI_STATUS_LENGTH;
    length.dwTrack = DWORD(count);
    if (const MCIERROR e = m_mci(m_deviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT,
                                 reinterpret_cast<DWORD_PTR>(&length)))
        return MciResult(e);
    m_tracks.back().SetLength(uint32_t(length.dwReturn));
    for (size_t i = m_tracks.size() - 1; i-- > 0;)
        m_tracks[i].SetLength(m_tracks[i + 1].GetStart() - m_tracks[i].GetStart());
    return S_OK;
}

std::string CCdDrive::GetDeviceName()
{
    if (!m_deviceId || !m_letter)
        return std::string();
    if (!m_aspi.IsNtFamily()) {
        char text[260] = {};
        return SUCCEEDED(m_aspi.FindDevice(m_letter, text, sizeof text)) ? std::string(text) : std::string();
    }
    char path[8];
    snprintf(path, sizeof path, "\\\\.\\%c:", m_letter);
    std::string name;
    HANDLE device = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
        STORAGE_PROPERTY_QUERY query{};
        query.PropertyId = StorageDeviceProperty;
        query.QueryType = PropertyStandardQuery;
        std::vector<uint8_t> answer(2048, 0);
        DWORD returned = 0;
        if (DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, 12, answer.data(), DWORD(answer.size()),
                            &returned, nullptr))
            name = DeviceNameFromDescriptor(answer.data(), std::min<size_t>(returned, answer.size()));
        CloseHandle(device);
    }
    if (name.empty())
        name = InquiryName(m_letter);
    return name;
}
