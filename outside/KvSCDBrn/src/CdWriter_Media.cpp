// The writer object: the medium in a drive, its speeds, and erasing.
#include "CdWriter.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kKbPerX = 176;
constexpr uint32_t kLeadIn = 150;

int32_t MediaTypeOfProfile(uint16_t profile)
{
    switch (profile) {
    case 0x08: return kCdMediaCdRom;
    case 0x09: return kCdMediaCdR;
    case 0x0A: return kCdMediaCdRw;
    case 0x10: return 517; // DVD-ROM
    case 0x11: return 516; // DVD-R
    case 0x12: return 518; // DVD-RAM
    case 0x13:
    case 0x14: return 519; // DVD-RW
    case 0x1A: return 521; // DVD+RW
    case 0x1B: return 528; // DVD+R
    default: return 0;
    }
}

uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

uint32_t MsfToLba(const uint8_t* p)
{
    const uint32_t a = (uint32_t(p[1]) * 60 + p[2]) * 75 + p[3];
    return a > kLeadIn ? a - kLeadIn : 0;
}

} // namespace

HRESULT CdWriter::Ready(const CdAddress& drive)
{
    const uint8_t cdb[6] = {0x00, 0, 0, 0, 0, 0};
    return Command(drive, cdb, sizeof cdb, nullptr, 0, CdDriveAccess::Direction::None);
}

HRESULT CdWriter::ReadSpeeds(const CdAddress& drive, std::vector<uint32_t>* cdr, std::vector<uint32_t>* cdrw,
                             uint32_t* readSpeed, uint8_t* writeCaps)
{
    uint8_t page[8 + 32 + 4 * 64] = {};
    const uint8_t cdb[10] = {0x5A, 0, 0x2A, 0, 0, 0, 0, uint8_t(sizeof page >> 8), uint8_t(sizeof page & 0xFF), 0};
    HRESULT hr = Command(drive, cdb, sizeof cdb, page, sizeof page, CdDriveAccess::Direction::In);
    if (FAILED(hr))
        return hr;
    const uint8_t* p = page + 8 + Be16(page + 6);
    if (p + 32 > page + sizeof page || (p[0] & 0x3F) != 0x2A)
        return kCdWriterFailed;
    *writeCaps = p[3];
    *readSpeed = (Be16(p + 8) + kKbPerX / 2) / kKbPerX;
    // The drive lists the write speeds of the medium it holds.
    uint8_t configuration[8] = {};
    const uint8_t config[10] = {0x46, 0x02, 0, 0, 0, 0, 0, 0, sizeof configuration, 0};
    int32_t medium = 0;
    if (SUCCEEDED(Command(drive, config, sizeof config, configuration, sizeof configuration,
                          CdDriveAccess::Direction::In)))
        medium = MediaTypeOfProfile(Be16(configuration + 6));
    std::vector<uint32_t>* list = medium == kCdMediaCdR ? cdr : medium == kCdMediaCdRw ? cdrw : nullptr;
    const size_t count = std::min<size_t>(Be16(p + 30), (page + sizeof page - (p + 32)) / 4);
    for (size_t i = 0; list && i < count; ++i) {
        const uint32_t x = (Be16(p + 32 + 4 * i + 2) + kKbPerX / 2) / kKbPerX;
        if (x && std::find(list->begin(), list->end(), x) == list->end())
            list->push_back(x);
    }
    if (list)
        std::sort(list->begin(), list->end(), [](uint32_t a, uint32_t b) { return a > b; });
    return S_OK;
}

HRESULT CdWriter::GetSpeeds(int32_t device, uint32_t* speeds, uint32_t* dvdSpeeds, int32_t* writeModes)
{
    if (!speeds)
        return E_POINTER;
    if (dvdSpeeds)
        std::fill(dvdSpeeds, dvdSpeeds + 3, kCdSpeedListEnd);
    std::fill(speeds, speeds + 3, kCdSpeedListEnd);
    if (writeModes)
        *writeModes = 0;
    if (!m_installed)
        return kCdWriterNotInstalled;
    std::lock_guard<std::mutex> hold(m_lock);
    const CdAddress drive = AddressOf(device);
    const HRESULT ready = Ready(drive);
    if (ready == kCdWriterNotReady || ready == kCdWriterNoDevice)
        return ready;
    std::vector<uint32_t> cdr, cdrw;
    uint32_t read = 0;
    uint8_t caps = 0;
    HRESULT hr = ReadSpeeds(drive, &cdr, &cdrw, &read, &caps);
    if (FAILED(hr))
        return hr;
    // Three lists in 192 values: each list's values and its end mark.
    size_t at = 0;
    auto put = [&](const std::vector<uint32_t>& list) {
        for (uint32_t v : list)
            if (at + 4 < size_t(kCdSpeedBufferValues))
                speeds[at++] = v;
        speeds[at++] = kCdSpeedListEnd;
    };
    put(read ? std::vector<uint32_t>{read} : std::vector<uint32_t>{});
    put(cdr);
    put(cdrw);
    return S_OK;
}

HRESULT CdWriter::ExamineMedium(int32_t device, int32_t* type, int32_t* status)
{
    if (!m_installed)
        return kCdWriterNotInstalled;
    std::lock_guard<std::mutex> hold(m_lock);
    const CdAddress drive = AddressOf(device);
    m_media = Media();
    HRESULT hr = Ready(drive);
    if (FAILED(hr))
        return hr;
    uint8_t configuration[8] = {};
    const uint8_t config[10] = {0x46, 0x02, 0, 0, 0, 0, 0, 0, sizeof configuration, 0};
    hr = Command(drive, config, sizeof config, configuration, sizeof configuration, CdDriveAccess::Direction::In);
    if (FAILED(hr))
        return hr;
    Media media;
    media.type = MediaTypeOfProfile(Be16(configuration + 6));
    if (!media.type)
        return kCdWriterNoMedium;
    uint8_t info[34] = {};
    const uint8_t cdb[10] = {0x51, 0, 0, 0, 0, 0, 0, 0, sizeof info, 0};
    hr = Command(drive, cdb, sizeof cdb, info, sizeof info, CdDriveAccess::Direction::In);
    if (FAILED(hr))
        return hr;
    const int discStatus = info[2] & 0x03;
    media.status = kCdMediaBlank + discStatus;
    media.erasable = (info[2] & 0x10) != 0;
    media.sessions = info[4];
    media.tracks = discStatus == 0 ? 0 : info[6];
    media.capacity = discStatus == 0 ? int32_t(MsfToLba(info + 20)) : 0;
    media.freeBlocks = media.capacity;
    m_media = media;
    if (type)
        *type = media.type;
    if (status)
        *status = media.status;
    return S_OK;
}

HRESULT CdWriter::QueryMedia(int32_t* type, int32_t* status, int32_t* freeBlocks, int32_t* tracks, int32_t* sessions,
                             int32_t* erasable, int32_t* capacity)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_media.type)
        return kCdWriterNoMedium;
    const std::pair<int32_t*, int32_t> out[] = {{type, m_media.type},         {status, m_media.status},
                                                {freeBlocks, m_media.freeBlocks}, {tracks, m_media.tracks},
                                                {sessions, m_media.sessions}, {erasable, m_media.erasable},
                                                {capacity, m_media.capacity}};
    for (const auto& value : out)
        if (value.first)
            *value.first = value.second;
    return S_OK;
}

int32_t CdWriter::GetCdRwEraseSpeed(int32_t device)
{
    if (!m_installed)
        return 0;
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<uint32_t> cdr, cdrw;
    uint32_t read = 0;
    uint8_t caps = 0;
    if (FAILED(ReadSpeeds(AddressOf(device), &cdr, &cdrw, &read, &caps)) || cdrw.empty())
        return 0;
    return int32_t(cdrw.front());
}

int32_t CdWriter::GetDvdEraseSpeed(int32_t)
{
    return 0; // no DVD media
}

HRESULT CdWriter::Erase(int32_t device, int32_t mode)
{
    if (!m_installed)
        return kCdWriterNotInstalled;
    if (mode != 1 && mode != 2)
        return E_INVALIDARG;
    if (m_status == kCdStatusRunning)
        return kCdWriterBusy;
    int32_t type = 0, status = 0;
    HRESULT hr = ExamineMedium(device, &type, &status);
    if (FAILED(hr))
        return hr;
    if (!m_media.erasable)
        return kCdWriterNotErasable;
    m_drive = AddressOf(device);
    m_eraseMode = mode;
    return StartWork(&CdWriter::EraseWork) ? S_OK : kCdWriterBusy;
}

void CdWriter::EraseWork()
{
    m_total = 1;
    // Blanking type 1 keeps the old program area and only clears the table of contents.
    const uint8_t cdb[12] = {0xA1, uint8_t(m_eraseMode == 1 ? 0x01 : 0x00), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    HRESULT hr;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        hr = Command(m_drive, cdb, sizeof cdb, nullptr, 0, CdDriveAccess::Direction::None);
    }
    m_done = SUCCEEDED(hr) ? 1 : 0;
    m_status = SUCCEEDED(hr) ? kCdStatusFinished : kCdStatusEraseStopped;
}
