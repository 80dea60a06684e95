#include "CdTrack.h"

#include "CdDriveAccess.h"
#include "KvSSException.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr uint32_t kFramesPerSector = CdDriveAccess::kAudioSectorBytes / 4;

bool ParsePath(const char* path, char* letter, int* track)
{
    if (!path || std::strlen(path) != 14)
        return false;
    const char l = char(std::toupper(static_cast<unsigned char>(path[0])));
    if (l < 'A' || l > 'Z' || path[1] != ':' || path[2] != '\\' || _strnicmp(path + 3, "Track", 5) != 0 ||
        !std::isdigit(static_cast<unsigned char>(path[8])) || !std::isdigit(static_cast<unsigned char>(path[9])) ||
        _stricmp(path + 10, ".cda") != 0)
        return false;
    const int n = (path[8] - '0') * 10 + (path[9] - '0');
    if (n < 1)
        return false;
    *letter = l;
    *track = n;
    return true;
}

// The drive, its table of contents and the track's place in it.
struct TrackPlace {
    CdAddress drive;
    uint32_t start = 0, sectors = 0;
};

void FindTrack(CdDriveAccess& access, const char* path, TrackPlace* place)
{
    char letter = 0;
    int number = 0;
    if (!ParsePath(path, &letter, &number))
        throw CKvSSException(kErrInvalidFormat);
    DiscToc toc;
    if (!access.Load(CdDriveAccess::OwnFolder()) || !access.FindDrive(letter, &place->drive) ||
        !access.ReadToc(place->drive, &toc))
        throw CKvSSException(kErrCannotOpen);
    for (size_t i = 0; i < toc.tracks.size(); ++i) {
        if (toc.tracks[i].number != number)
            continue;
        if (!toc.tracks[i].audio)
            throw CKvSSException(kErrInvalidFormat);
        place->start = toc.tracks[i].start;
        place->sectors = toc.Length(i);
        return;
    }
    throw CKvSSException(kErrNotFound);
}

class CdTrackSource : public SoundSource {
public:
    explicit CdTrackSource(const char* path) { FindTrack(m_access, path, &m_place); }

    size_t Read(uint8_t* buffer, size_t frames) override
    {
        // Whole sectors go straight to the buffer; a part sector through the carry.
        size_t done = 0;
        while (done < frames) {
            if (m_carryAt < m_carry.size()) {
                const size_t n = std::min((m_carry.size() - m_carryAt) / 4, frames - done);
                std::memcpy(buffer + done * 4, m_carry.data() + m_carryAt, n * 4);
                m_carryAt += n * 4;
                done += n;
                continue;
            }
            if (m_next >= m_place.sectors)
                break;
            const uint32_t whole = uint32_t((frames - done) / kFramesPerSector);
            const uint32_t count = std::min<uint32_t>(std::max<uint32_t>(whole, 1), m_place.sectors - m_next);
            uint8_t* target = buffer + done * 4;
            if (whole == 0) {
                m_carry.resize(CdDriveAccess::kAudioSectorBytes);
                m_carryAt = 0;
                target = m_carry.data();
            }
            if (!m_access.ReadAudio(m_place.drive, m_place.start + m_next, count, target))
                throw CKvSSException(kErrDamagedRiff);
            m_next += count;
            if (whole)
                done += size_t(count) * kFramesPerSector;
        }
        return done;
    }

private:
    CdDriveAccess m_access;
    TrackPlace m_place;
    uint32_t m_next = 0;
    std::vector<uint8_t> m_carry;
    size_t m_carryAt = 0;
};

} // namespace

bool IsCdTrackPath(const char* path)
{
    char letter;
    int track;
    return ParsePath(path, &letter, &track);
}

void ReadCdTrackInfo(const char* path, SoundFile* sound)
{
    CdDriveAccess access;
    TrackPlace place;
    FindTrack(access, path, &place);
    sound->type = kTypeCdTrack;
    sound->format = StoredFormat{};
    sound->format.coding = Coding::PcmLE;
    sound->format.channels = 2;
    sound->format.rate = 44100;
    sound->format.containerBits = sound->format.validBits = 16;
    sound->dataOffset = 0;
    sound->frames = uint64_t(place.sectors) * kFramesPerSector;
}

std::unique_ptr<SoundSource> OpenCdTrackSource(const char* path, const SoundFile&)
{
    return std::make_unique<CdTrackSource>(path);
}
