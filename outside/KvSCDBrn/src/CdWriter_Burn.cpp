// The writer object: writing an audio disc at once. The cue sheet places each track's pre-gap
// (silence the worker writes) before its start; the first track's pre-gap is the disc's two
// seconds before sector 0.
#include "CdWriter.h"
#include "KvSSException.h"
#include "SoundFile.h"

#include <cstring>

namespace {

constexpr uint32_t kSectorBytes = 2352;
constexpr int32_t kLeadIn = 150;
constexpr uint32_t kSectorsPerCommand = 27; // within the 64 kB of a drive's transfer
constexpr uint32_t kKbPerX = 176;

uint8_t Bcd(int v) { return uint8_t((v / 10) << 4 | (v % 10)); }

void PutMsf(uint8_t* p, int32_t lba)
{
    const uint32_t a = uint32_t(lba + kLeadIn);
    p[0] = uint8_t(a / (60 * 75));
    p[1] = uint8_t(a / 75 % 60);
    p[2] = uint8_t(a % 75);
}

struct CueEntry {
    uint8_t bytes[8];
};

CueEntry Entry(uint8_t track, uint8_t index, uint8_t form, int32_t lba)
{
    CueEntry e{{0x01, track, index, form, 0, 0, 0, 0}};
    PutMsf(e.bytes + 5, lba);
    return e;
}

} // namespace

HRESULT CdWriter::Write(int32_t device, int32_t, int32_t, int32_t, const CdWriteTrackList* tracks, int32_t,
                        BOOL test, BOOL, BOOL real)
{
    if (!m_installed)
        return kCdWriterNotInstalled;
    if (!tracks || !tracks->tracks || tracks->count < 1 || tracks->count > 99 || (!test) == (!real))
        return E_INVALIDARG;
    if (m_status == kCdStatusRunning)
        return kCdWriterBusy;
    std::vector<Track> list;
    for (int32_t i = 0; i < tracks->count; ++i) {
        const CdWriteTrack& in = tracks->tracks[i];
        Track t;
        t.path.assign(in.path, strnlen(in.path, sizeof in.path));
        t.preGap = uint32_t(std::max(in.preGapFrames, 0));
        try {
            InFile file(t.path.c_str());
            SoundFile sound;
            ReadWav(file, &sound);
            const StoredFormat& f = sound.format;
            if (f.coding != Coding::PcmLE || f.channels != 2 || f.rate != 44100 || f.containerBits != 16 ||
                sound.missingFrames)
                return kCdWriterBadTrack;
            t.dataOffset = sound.dataOffset;
            t.bytes = sound.frames * 4;
        } catch (const CKvSSException&) {
            return kCdWriterBadTrack;
        }
        t.sectors = uint32_t((t.bytes + kSectorBytes - 1) / kSectorBytes);
        if (!t.sectors)
            return kCdWriterBadTrack;
        list.push_back(t);
    }
    m_drive = AddressOf(device);
    m_tracks = std::move(list);
    m_test = test != FALSE;
    return StartWork(&CdWriter::BurnWork) ? S_OK : kCdWriterBusy;
}

HRESULT CdWriter::ModeSelectWriteParameters(bool test)
{
    uint8_t parameters[8 + 52] = {};
    uint8_t* page = parameters + 8;
    page[0] = 0x05;
    page[1] = 0x32;
    page[2] = uint8_t((test ? 0x10 : 0x00) | 0x02); // disc at once
    page[3] = 0x00;                                 // audio, two channels, no pre-emphasis
    page[4] = 0x00;                                 // raw 2352-byte blocks
    const uint8_t cdb[10] = {0x55, 0x10, 0, 0, 0, 0, 0, 0, sizeof parameters, 0};
    return Command(m_drive, cdb, sizeof cdb, parameters, sizeof parameters, CdDriveAccess::Direction::Out);
}

HRESULT CdWriter::SendCueSheet(const std::vector<Track>& tracks, uint32_t* leadOut)
{
    std::vector<CueEntry> sheet;
    sheet.push_back(Entry(0x00, 0x00, 0x01, -kLeadIn));
    int32_t at = -kLeadIn;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const uint8_t number = Bcd(int(i) + 1);
        const int32_t gap = i == 0 ? kLeadIn : int32_t(tracks[i].preGap);
        if (gap)
            sheet.push_back(Entry(number, 0x00, 0x00, at));
        at += gap;
        sheet.push_back(Entry(number, 0x01, 0x00, at));
        at += int32_t(tracks[i].sectors);
    }
    sheet.push_back(Entry(0xAA, 0x01, 0x01, at));
    *leadOut = uint32_t(at);
    const uint32_t bytes = uint32_t(sheet.size() * sizeof(CueEntry));
    const uint8_t cdb[10] = {0x5D, 0, 0, 0, 0, 0, uint8_t(bytes >> 16), uint8_t(bytes >> 8), uint8_t(bytes), 0};
    return Command(m_drive, cdb, sizeof cdb, sheet.data(), bytes, CdDriveAccess::Direction::Out);
}

void CdWriter::BurnWork()
{
    HRESULT hr;
    try {
        hr = Burn();
    } catch (...) {
        hr = kCdWriterFailed;
    }
    m_status = SUCCEEDED(hr) && !m_cancel ? kCdStatusFinished : kCdStatusFailed;
}

HRESULT CdWriter::Burn()
{
    uint32_t leadOut = 0;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        HRESULT hr = ModeSelectWriteParameters(m_test);
        if (FAILED(hr))
            return hr;
        const uint32_t speed = m_speed ? std::min<uint32_t>(uint32_t(m_speed) * kKbPerX, 0xFFFE) : 0xFFFF;
        const uint8_t setSpeed[12] = {0xBB, 0, 0xFF, 0xFF, uint8_t(speed >> 8), uint8_t(speed), 0, 0, 0, 0, 0, 0};
        Command(m_drive, setSpeed, sizeof setSpeed, nullptr, 0, CdDriveAccess::Direction::None);
        hr = SendCueSheet(m_tracks, &leadOut);
        if (FAILED(hr))
            return hr;
    }
    m_total = int32_t(leadOut + kLeadIn);
    std::vector<uint8_t> buffer(size_t(kSectorsPerCommand) * kSectorBytes);
    int32_t lba = -kLeadIn;
    auto writeSectors = [&](uint32_t count) {
        const uint8_t cdb[10] = {0x2A, 0, uint8_t(uint32_t(lba) >> 24), uint8_t(uint32_t(lba) >> 16),
                                 uint8_t(uint32_t(lba) >> 8), uint8_t(lba), 0, uint8_t(count >> 8), uint8_t(count), 0};
        std::lock_guard<std::mutex> hold(m_lock);
        const HRESULT hr = Command(m_drive, cdb, sizeof cdb, buffer.data(), count * kSectorBytes,
                                   CdDriveAccess::Direction::Out);
        lba += int32_t(count);
        m_done = lba + kLeadIn;
        return hr;
    };
    HRESULT hr = S_OK;
    for (size_t i = 0; i < m_tracks.size() && SUCCEEDED(hr) && !m_cancel; ++i) {
        const Track& t = m_tracks[i];
        uint32_t gap = i == 0 ? uint32_t(kLeadIn) : t.preGap;
        std::memset(buffer.data(), 0, buffer.size());
        while (gap && SUCCEEDED(hr) && !m_cancel) {
            const uint32_t n = std::min(gap, kSectorsPerCommand);
            hr = writeSectors(n);
            gap -= n;
        }
        try {
            InFile file(t.path.c_str());
            uint64_t offset = 0;
            uint32_t left = t.sectors;
            while (left && SUCCEEDED(hr) && !m_cancel) {
                const uint32_t n = std::min(left, kSectorsPerCommand);
                const size_t want = size_t(std::min<uint64_t>(uint64_t(n) * kSectorBytes, t.bytes - offset));
                if (file.ReadSome(t.dataOffset + offset, buffer.data(), want) != want)
                    return kCdWriterBadTrack;
                std::memset(buffer.data() + want, 0, size_t(n) * kSectorBytes - want); // the last sector's rest
                hr = writeSectors(n);
                offset += want;
                left -= n;
            }
        } catch (const CKvSSException&) {
            return kCdWriterBadTrack;
        }
    }
    // Closing ends the session on the drive even after a cancel: what was written stays written.
    const uint8_t synchronize[10] = {0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::lock_guard<std::mutex> hold(m_lock);
    const HRESULT closed = Command(m_drive, synchronize, sizeof synchronize, nullptr, 0, CdDriveAccess::Direction::None);
    return FAILED(hr) ? hr : closed;
}
