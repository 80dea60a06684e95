#include "ImageDevice.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace cdimage {
namespace {

constexpr uint16_t kSpeedUnit = 176; // kB/s of 1x

bool FileSize(const std::string& path, uint64_t* bytes, void*)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    *bytes = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

bool ReadText(const std::string& path, std::string* text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 20);
    if (ok) {
        text->resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = text->empty() || (ReadFile(file, &(*text)[0], DWORD(text->size()), &got, nullptr) && got == text->size());
    }
    CloseHandle(file);
    return ok;
}

// Writes beside the target, then replaces it, so a failure leaves the old file.
bool WriteTextReplacing(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD wrote = 0;
    const bool ok = WriteFile(file, text.data(), DWORD(text.size()), &wrote, nullptr) && wrote == text.size();
    CloseHandle(file);
    if (!ok || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

uint8_t FromBcd(uint8_t v) { return uint8_t((v >> 4) * 10 + (v & 0x0F)); }

void PutAddress(uint8_t* p, uint32_t lba, bool msf)
{
    if (!msf) {
        PutBe32(p, lba);
        return;
    }
    const uint32_t a = lba + kLeadInSectors;
    p[0] = 0;
    p[1] = uint8_t(a / (60 * kSectorsPerSecond));
    p[2] = uint8_t(a / kSectorsPerSecond % 60);
    p[3] = uint8_t(a % kSectorsPerSecond);
}

// Held by a burn from closing its staging file until it has renamed it, and by the removal of
// a stale one: a drive made in another process meanwhile would take the closed file for one
// that a killed burn left.
class StagingLock {
public:
    explicit StagingLock(const std::string& stagingPath)
    {
        uint64_t hash = 14695981039346656037ull;
        for (char c : stagingPath) {
            hash ^= uint8_t(c == '/' ? '\\' : tolower(static_cast<unsigned char>(c)));
            hash *= 1099511628211ull;
        }
        char name[40];
        snprintf(name, sizeof name, "KgPTPStaging-%016llx", static_cast<unsigned long long>(hash));
        m_mutex = CreateMutexA(nullptr, FALSE, name);
        if (m_mutex)
            WaitForSingleObject(m_mutex, INFINITE);
    }
    ~StagingLock()
    {
        if (m_mutex) {
            ReleaseMutex(m_mutex);
            CloseHandle(m_mutex);
        }
    }
    StagingLock(const StagingLock&) = delete;
    StagingLock& operator=(const StagingLock&) = delete;

private:
    HANDLE m_mutex;
};

uint16_t Profile(Medium medium)
{
    return medium == Medium::CdRom ? 0x0008 : medium == Medium::CdR ? 0x0009 : medium == Medium::CdRw ? 0x000A : 0x0010;
}

} // namespace

ImageDevice::ImageDevice(char letter, const std::string& sheetPath)
    : m_letter(letter), m_sheetPath(sheetPath), m_folder(FolderOf(sheetPath))
{
    RemoveStaleStaging();
}

ImageDevice::~ImageDevice()
{
    DropSession();
    for (HANDLE file : m_files)
        CloseHandle(file);
}

std::vector<uint16_t> ImageDevice::WriteSpeeds(Medium medium)
{
    std::vector<uint16_t> speeds;
    if (medium == Medium::CdR)
        for (int x : {52, 48, 40, 32, 24, 16})
            speeds.push_back(uint16_t(x * kSpeedUnit));
    else if (medium == Medium::CdRw)
        for (int x : {24, 16, 10, 4})
            speeds.push_back(uint16_t(x * kSpeedUnit));
    return speeds;
}

std::string ImageDevice::BinPath() const
{
    const size_t dot = m_sheetPath.find_last_of('.');
    const size_t slash = m_sheetPath.find_last_of("\\/");
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                                 ? m_sheetPath.substr(0, dot)
                                 : m_sheetPath;
    return stem + ".bin";
}

bool ImageDevice::LoadDisc(Sense* sense)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(m_sheetPath.c_str(), GetFileExInfoStandard, &data)) {
        m_loaded = false;
        *sense = {0x02, 0x3A, 0x00}; // medium not present
        return false;
    }
    if (m_loaded && CompareFileTime(&data.ftLastWriteTime, &m_loadedTime) == 0)
        return true;
    for (HANDLE file : m_files)
        CloseHandle(file);
    m_files.clear();
    m_loaded = false;
    std::string text, error;
    CueDisc disc;
    if (!ReadText(m_sheetPath, &text) || !ParseCueSheet(text, m_folder, FileSize, nullptr, &disc, &error)) {
        *sense = {0x03, 0x30, 0x01}; // cannot read medium: unknown format
        return false;
    }
    for (const CueFile& f : disc.files) {
        const bool absolute = f.path.size() > 1 && f.path[1] == ':';
        HANDLE file = CreateFileA((absolute ? f.path : m_folder + f.path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            for (HANDLE open : m_files)
                CloseHandle(open);
            m_files.clear();
            *sense = {0x03, 0x30, 0x01};
            return false;
        }
        m_files.push_back(file);
    }
    m_disc = disc;
    m_loadedTime = data.ftLastWriteTime;
    m_loaded = true;
    return true;
}

uint8_t ImageDevice::Fail(uint8_t key, uint8_t asc, uint8_t ascq, uint8_t* sense)
{
    m_lastSense = {key, asc, ascq};
    m_lastSense.Write(sense);
    return kScsiCheckCondition;
}

void ImageDevice::Copy(const ScsiRequest& r, const uint8_t* answer, size_t bytes)
{
    if (r.data && r.in)
        std::memcpy(r.data, answer, std::min<size_t>(bytes, r.dataLength));
}

uint8_t ImageDevice::Execute(const ScsiRequest& request, uint8_t* sense)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!request.cdb || request.cdbLength < 6)
        return Fail(0x05, 0x20, 0x00, sense);
    const uint8_t status = Dispatch(request, sense);
    if (status == kScsiGood && request.cdb[0] != 0x03)
        m_lastSense = {};
    return status;
}

uint8_t ImageDevice::Dispatch(const ScsiRequest& r, uint8_t* sense)
{
    const uint8_t op = r.cdb[0];
    switch (op) {
    case 0x12:
        return Inquiry(r);
    case 0x03: {
        uint8_t answer[kSenseBytes];
        m_lastSense.Write(answer);
        Copy(r, answer, sizeof answer);
        m_lastSense = {};
        return kScsiGood;
    }
    case 0x46:
        return GetConfiguration(r);
    case 0x1B: // start stop unit
    case 0x1E: // prevent allow medium removal
        return kScsiGood;
    case 0xBB: // set cd speed
        m_writeSpeed = Be16(r.cdb + 4);
        return kScsiGood;
    case 0x5A:
        return ModeSense(r, sense);
    case 0x55:
        return ModeSelect(r, sense);
    default:
        break;
    }
    Sense noMedium;
    if (!LoadDisc(&noMedium))
        return Fail(noMedium.key, noMedium.asc, noMedium.ascq, sense);
    switch (op) {
    case 0x00: // test unit ready
        return kScsiGood;
    case 0x25: { // read capacity
        uint8_t answer[8] = {};
        PutBe32(answer, m_disc.leadOut ? m_disc.leadOut - 1 : 0);
        PutBe32(answer + 4, 2048);
        Copy(r, answer, sizeof answer);
        return kScsiGood;
    }
    case 0x43:
        return ReadToc(r, sense);
    case 0xBE:
        return ReadCd(r, sense);
    case 0x51:
        return ReadDiscInformation(r);
    case 0x52:
        return ReadTrackInformation(r, sense);
    case 0x5D:
        return SendCueSheet(r, sense);
    case 0x2A:
        return Write(r, sense);
    case 0x35: // synchronize cache
    case 0x5B: // close track/session
        return CloseSession(sense);
    case 0xA1:
        return Blank(sense);
    default:
        return Fail(0x05, 0x20, 0x00, sense); // invalid command operation code
    }
}

uint8_t ImageDevice::Inquiry(const ScsiRequest& r)
{
    uint8_t answer[36] = {};
    answer[0] = 0x05; // CD-ROM device
    answer[1] = 0x80; // removable
    answer[2] = 0x05;
    answer[3] = 0x02;
    answer[4] = sizeof answer - 5;
    std::memcpy(answer + 8, "KVIMAGE ", 8);
    std::memcpy(answer + 16, "Disc Image      ", 16);
    std::memcpy(answer + 32, "1.00", 4);
    Copy(r, answer, std::min<size_t>(sizeof answer, r.cdb[4] ? r.cdb[4] : sizeof answer));
    return kScsiGood;
}

uint8_t ImageDevice::GetConfiguration(const ScsiRequest& r)
{
    Sense ignored;
    const bool medium = LoadDisc(&ignored);
    uint8_t answer[8 + 4 + 16] = {};
    PutBe32(answer, sizeof answer - 4);
    if (medium)
        PutBe16(answer + 6, Profile(m_disc.medium));
    answer[10] = 0x03; // persistent, current
    answer[11] = 16;
    const uint16_t profiles[4] = {0x0010, 0x000A, 0x0009, 0x0008};
    for (int i = 0; i < 4; ++i) {
        PutBe16(answer + 12 + 4 * i, profiles[i]);
        answer[14 + 4 * i] = medium && profiles[i] == Profile(m_disc.medium) ? 1 : 0;
    }
    Copy(r, answer, std::min<size_t>(sizeof answer, Be16(r.cdb + 7)));
    return kScsiGood;
}

uint8_t ImageDevice::ModeSense(const ScsiRequest& r, uint8_t* sense)
{
    if (r.cdbLength < 10)
        return Fail(0x05, 0x24, 0x00, sense);
    const uint8_t page = r.cdb[2] & 0x3F;
    std::vector<uint8_t> answer(8, 0);
    if (page == 0x05) {
        uint8_t p[52] = {};
        p[0] = 0x05;
        p[1] = 0x32;
        p[2] = uint8_t((m_testWrite ? 0x10 : 0) | (m_writeType & 0x0F));
        answer.insert(answer.end(), p, p + sizeof p);
    } else if (page == 0x2A) {
        Sense ignored;
        const Medium medium = LoadDisc(&ignored) ? m_disc.medium : Medium::CdRom;
        const std::vector<uint16_t> speeds = WriteSpeeds(medium);
        std::vector<uint8_t> p(32 + 4 * speeds.size(), 0);
        p[0] = 0x2A;
        p[1] = uint8_t(p.size() - 2);
        p[2] = 0x03;             // reads CD-R and CD-RW
        p[3] = 0x07;             // writes CD-R and CD-RW, test write
        p[5] = 0x03;             // CD-DA commands, accurate stream
        p[6] = 0x29;             // lock, eject, tray
        PutBe16(&p[8], 52 * kSpeedUnit);
        PutBe16(&p[14], 52 * kSpeedUnit);
        PutBe16(&p[18], speeds.empty() ? 0 : speeds.front());
        const uint16_t current = speeds.empty() ? 0 : m_writeSpeed && m_writeSpeed < speeds.front() ? m_writeSpeed : speeds.front();
        PutBe16(&p[20], current);
        PutBe16(&p[28], current);
        PutBe16(&p[30], uint16_t(speeds.size()));
        for (size_t i = 0; i < speeds.size(); ++i)
            PutBe16(&p[32 + 4 * i + 2], speeds[i]);
        answer.insert(answer.end(), p.begin(), p.end());
    } else {
        return Fail(0x05, 0x24, 0x00, sense);
    }
    PutBe16(answer.data(), uint16_t(answer.size() - 2));
    Copy(r, answer.data(), std::min<size_t>(answer.size(), Be16(r.cdb + 7)));
    return kScsiGood;
}

uint8_t ImageDevice::ModeSelect(const ScsiRequest& r, uint8_t* sense)
{
    if (r.cdbLength < 10 || !r.out || !r.data)
        return Fail(0x05, 0x24, 0x00, sense);
    const uint32_t length = std::min<uint32_t>(Be16(r.cdb + 7), r.dataLength);
    if (length < 8 + 3)
        return Fail(0x05, 0x1A, 0x00, sense); // parameter list length error
    const uint8_t* page = r.data + 8 + Be16(r.data + 6);
    if (page + 3 > r.data + length)
        return Fail(0x05, 0x1A, 0x00, sense);
    if ((page[0] & 0x3F) != 0x05)
        return Fail(0x05, 0x26, 0x00, sense);
    const uint8_t type = page[2] & 0x0F;
    if (type > 3)
        return Fail(0x05, 0x26, 0x02, sense);
    m_testWrite = (page[2] & 0x10) != 0;
    m_writeType = type;
    return kScsiGood;
}

uint8_t ImageDevice::ReadToc(const ScsiRequest& r, uint8_t* sense)
{
    if (r.cdbLength < 10)
        return Fail(0x05, 0x24, 0x00, sense);
    if (m_disc.IsBlank())
        return Fail(0x05, 0x24, 0x00, sense);
    const bool msf = (r.cdb[1] & 0x02) != 0;
    uint8_t format = r.cdb[2] & 0x0F;
    if (!format)
        format = r.cdb[9] >> 6;
    std::vector<uint8_t> answer(4, 0);
    auto add = [&](const CueTrack* t) {
        uint8_t d[8] = {};
        d[1] = uint8_t(0x10 | (t && !t->audio ? 0x04 : 0x00));
        d[2] = uint8_t(t ? t->number : 0xAA);
        PutAddress(d + 4, t ? t->index1 : m_disc.leadOut, msf);
        answer.insert(answer.end(), d, d + 8);
    };
    if (format == 0) {
        const uint8_t start = r.cdb[6];
        if (start > m_disc.tracks.back().number && start != 0xAA)
            return Fail(0x05, 0x24, 0x00, sense);
        for (const CueTrack& t : m_disc.tracks)
            if (t.number >= start)
                add(&t);
        add(nullptr);
        answer[2] = uint8_t(m_disc.tracks.front().number);
        answer[3] = uint8_t(m_disc.tracks.back().number);
    } else if (format == 1) {
        add(&m_disc.tracks.front());
        answer[2] = answer[3] = 1;
    } else {
        return Fail(0x05, 0x24, 0x00, sense);
    }
    PutBe16(answer.data(), uint16_t(answer.size() - 2));
    Copy(r, answer.data(), std::min<size_t>(answer.size(), Be16(r.cdb + 7)));
    return kScsiGood;
}

bool ImageDevice::ReadSectors(uint32_t lba, uint32_t count, uint8_t* out)
{
    while (count) {
        const CueTrack* t = m_disc.TrackAt(lba);
        if (!t)
            return false;
        const uint32_t run = std::min(count, t->end - lba);
        uint32_t n = run;
        if (lba < t->index1 && lba >= t->index1 - t->gapNotInFile) {
            // A gap that no file holds reads as silence.
            n = std::min(run, t->index1 - lba);
            std::memset(out, 0, size_t(n) * t->sectorBytes);
        } else {
            // Before index 1 the file's own pre-gap sectors lie before the gap no file holds.
            const int64_t fromIndex1 = int64_t(lba) - int64_t(t->index1) + (lba < t->index1 ? t->gapNotInFile : 0);
            if (lba < t->index1)
                n = std::min(run, t->index1 - t->gapNotInFile - lba);
            const int64_t offset = int64_t(t->fileOffset) + fromIndex1 * t->sectorBytes;
            OVERLAPPED at{};
            at.Offset = DWORD(uint64_t(offset));
            at.OffsetHigh = DWORD(uint64_t(offset) >> 32);
            DWORD got = 0;
            const DWORD bytes = n * t->sectorBytes;
            if (!ReadFile(m_files[t->file], out, bytes, &got, &at) || got != bytes)
                return false;
        }
        out += size_t(n) * t->sectorBytes;
        lba += n;
        count -= n;
    }
    return true;
}

uint8_t ImageDevice::ReadCd(const ScsiRequest& r, uint8_t* sense)
{
    if (r.cdbLength < 12 || !r.in || !r.data)
        return Fail(0x05, 0x24, 0x00, sense);
    const uint32_t lba = Be32(r.cdb + 2);
    const uint32_t count = uint32_t(r.cdb[6]) << 16 | uint32_t(r.cdb[7]) << 8 | r.cdb[8];
    const uint8_t expected = (r.cdb[1] >> 2) & 0x07;
    if (count == 0)
        return kScsiGood;
    if (lba >= m_disc.leadOut || count > m_disc.leadOut - lba)
        return Fail(0x05, 0x21, 0x00, sense); // logical block address out of range
    const CueTrack* first = m_disc.TrackAt(lba);
    const CueTrack* last = m_disc.TrackAt(lba + count - 1);
    if (!first || !last || first->audio != last->audio || first->sectorBytes != kRawSectorBytes ||
        last->sectorBytes != kRawSectorBytes || (expected == 1 && !first->audio) || (expected >= 2 && first->audio))
        return Fail(0x05, 0x64, 0x00, sense); // illegal mode for this track
    const bool userDataOnly = !first->audio && (r.cdb[9] & 0xF8) == 0x10;
    const uint32_t sectorOut = userDataOnly ? 2048 : kRawSectorBytes;
    if (uint64_t(count) * sectorOut > r.dataLength)
        return Fail(0x05, 0x24, 0x00, sense);
    if (!userDataOnly) {
        if (!ReadSectors(lba, count, r.data))
            return Fail(0x03, 0x11, 0x00, sense); // unrecovered read error
        return kScsiGood;
    }
    std::vector<uint8_t> raw(kRawSectorBytes);
    for (uint32_t i = 0; i < count; ++i) {
        if (!ReadSectors(lba + i, 1, raw.data()))
            return Fail(0x03, 0x11, 0x00, sense);
        std::memcpy(r.data + size_t(i) * 2048, raw.data() + 16, 2048);
    }
    return kScsiGood;
}

uint8_t ImageDevice::ReadDiscInformation(const ScsiRequest& r)
{
    uint8_t answer[34] = {};
    PutBe16(answer, sizeof answer - 2);
    const bool blank = m_disc.IsBlank();
    const uint8_t erasable = m_disc.medium == Medium::CdRw ? 0x10 : 0;
    answer[2] = uint8_t(erasable | (blank ? 0x00 : 0x0C | 0x02));
    answer[3] = 1;
    answer[4] = 1;
    answer[5] = 1;
    answer[6] = uint8_t(blank ? 1 : m_disc.tracks.back().number);
    answer[7] = 0x20;
    if (blank) {
        PutAddress(answer + 16, (97 * 60 + 26) * 75 + 66 - kLeadInSectors, true);
        PutAddress(answer + 20, m_disc.capacity, true);
    } else {
        std::memset(answer + 16, 0xFF, 8);
    }
    Copy(r, answer, std::min<size_t>(sizeof answer, Be16(r.cdb + 7)));
    return kScsiGood;
}

uint8_t ImageDevice::ReadTrackInformation(const ScsiRequest& r, uint8_t* sense)
{
    if (r.cdbLength < 10)
        return Fail(0x05, 0x24, 0x00, sense);
    const uint32_t number = Be32(r.cdb + 2);
    uint8_t answer[36] = {};
    PutBe16(answer, sizeof answer - 2);
    answer[2] = uint8_t(number);
    answer[3] = 1;
    if (m_disc.IsBlank()) {
        if (number != 1)
            return Fail(0x05, 0x24, 0x00, sense);
        answer[6] = 0x40; // blank
        answer[7] = 0x01; // next writable address valid
        PutBe32(answer + 16, m_disc.capacity);
        PutBe32(answer + 24, m_disc.capacity);
    } else {
        if (number < 1 || number > m_disc.tracks.size())
            return Fail(0x05, 0x24, 0x00, sense);
        const CueTrack& t = m_disc.tracks[number - 1];
        answer[5] = t.audio ? 0x00 : 0x04;
        PutBe32(answer + 8, t.index1);
        PutBe32(answer + 24, t.end - t.index1);
    }
    Copy(r, answer, std::min<size_t>(sizeof answer, Be16(r.cdb + 7)));
    return kScsiGood;
}

uint8_t ImageDevice::SendCueSheet(const ScsiRequest& r, uint8_t* sense)
{
    if (r.cdbLength < 10 || !r.out || !r.data)
        return Fail(0x05, 0x24, 0x00, sense);
    if ((m_disc.medium != Medium::CdR && m_disc.medium != Medium::CdRw) || !m_disc.IsBlank())
        return Fail(0x05, 0x30, 0x05, sense); // cannot write medium
    if (m_writeType != 2)
        return Fail(0x05, 0x2C, 0x00, sense); // command sequence error: not disc at once
    const uint32_t length = std::min<uint32_t>(uint32_t(r.cdb[6]) << 16 | uint32_t(r.cdb[7]) << 8 | r.cdb[8],
                                               r.dataLength);
    if (length % 8 || length < 24)
        return Fail(0x05, 0x26, 0x00, sense);
    DropSession();
    std::vector<CueEntry> tracks;
    uint32_t leadOut = 0;
    int64_t previous = -int64_t(kLeadInSectors);
    for (uint32_t at = 0; at < length; at += 8) {
        const uint8_t* e = r.data + at;
        const int64_t address = int64_t((e[5] * 60 + e[6]) * kSectorsPerSecond + e[7]) - kLeadInSectors;
        if (e[6] >= 60 || e[7] >= kSectorsPerSecond)
            return Fail(0x05, 0x26, 0x00, sense);
        if (e[1] == 0x00)
            continue; // lead-in
        if (address < previous)
            return Fail(0x05, 0x26, 0x00, sense);
        previous = address;
        if (e[1] == 0xAA) {
            leadOut = uint32_t(std::max<int64_t>(address, 0));
            break;
        }
        const int track = FromBcd(e[1]);
        const int index = FromBcd(e[2]);
        if (track < 1 || track > 99 || (e[3] & 0x3F) != 0x00)
            return Fail(0x05, 0x26, 0x00, sense); // audio tracks only
        if (tracks.empty() || tracks.back().track != track) {
            if (track != int(tracks.size()) + 1 || index > 1)
                return Fail(0x05, 0x26, 0x00, sense);
            CueEntry entry;
            entry.track = track;
            entry.index0 = entry.index1 = uint32_t(std::max<int64_t>(address, 0));
            tracks.push_back(entry);
        } else if (index == 1) {
            tracks.back().index1 = uint32_t(address);
        }
    }
    if (tracks.empty() || !leadOut || leadOut <= tracks.back().index1)
        return Fail(0x05, 0x26, 0x00, sense);
    if (leadOut > m_disc.capacity)
        return Fail(0x05, 0x21, 0x00, sense); // longer than the disc
    RemoveStaleStaging();
    if (!m_testWrite) {
        m_staging = CreateFileA((BinPath() + ".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (m_staging == INVALID_HANDLE_VALUE)
            return Fail(0x03, 0x0C, 0x00, sense); // write error
    }
    m_cue = tracks;
    m_cueLeadOut = leadOut;
    m_session = true;
    m_burnStart = GetTickCount();
    m_burnSectors = 0;
    return kScsiGood;
}

uint8_t ImageDevice::Write(const ScsiRequest& r, uint8_t* sense)
{
    if (r.cdbLength < 10 || !r.out || !r.data)
        return Fail(0x05, 0x24, 0x00, sense);
    if (!m_session)
        return Fail(0x05, 0x2C, 0x00, sense);
    const int32_t lba = int32_t(Be32(r.cdb + 2));
    const uint32_t count = Be16(r.cdb + 7);
    if (uint64_t(count) * kRawSectorBytes > r.dataLength)
        return Fail(0x05, 0x24, 0x00, sense);
    if (lba < -int32_t(kLeadInSectors) || int64_t(lba) + count > int64_t(m_cueLeadOut))
        return Fail(0x05, 0x21, 0x00, sense);
    // A speed chosen below the fastest is kept as a drive would keep it (75 sectors a second
    // at 1x), so that a burn lasts long enough to be watched and cancelled.
    m_burnSectors += count;
    if (m_writeSpeed && m_writeSpeed != 0xFFFF) {
        const uint64_t due = m_burnSectors * 1000 * kSpeedUnit / (75 * uint64_t(m_writeSpeed));
        const DWORD elapsed = GetTickCount() - m_burnStart;
        if (due > elapsed)
            Sleep(DWORD(due - elapsed));
    }
    if (m_testWrite || lba + int64_t(count) <= 0)
        return kScsiGood;
    const uint32_t skip = lba < 0 ? uint32_t(-lba) : 0;
    const uint64_t offset = uint64_t(lba + int64_t(skip)) * kRawSectorBytes;
    OVERLAPPED at{};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    const DWORD bytes = (count - skip) * kRawSectorBytes;
    DWORD wrote = 0;
    if (!WriteFile(m_staging, r.data + size_t(skip) * kRawSectorBytes, bytes, &wrote, &at) || wrote != bytes)
        return Fail(0x03, 0x0C, 0x00, sense);
    return kScsiGood;
}

uint8_t ImageDevice::CloseSession(uint8_t* sense)
{
    if (!m_session)
        return kScsiGood;
    if (m_testWrite) {
        DropSession();
        return kScsiGood;
    }
    StagingLock lock(BinPath() + ".part");
    LARGE_INTEGER end;
    end.QuadPart = int64_t(m_cueLeadOut) * kRawSectorBytes;
    const bool sized = SetFilePointerEx(m_staging, end, nullptr, FILE_BEGIN) && SetEndOfFile(m_staging);
    CloseHandle(m_staging);
    m_staging = INVALID_HANDLE_VALUE;
    const std::string bin = BinPath();
    std::vector<BurnedTrack> tracks;
    for (const CueEntry& e : m_cue)
        tracks.push_back({e.index0, e.index1});
    const Medium medium = m_disc.medium;
    const uint32_t capacity = m_disc.capacity;
    m_session = false;
    m_cue.clear();
    for (HANDLE file : m_files)
        CloseHandle(file);
    m_files.clear();
    m_loaded = false;
    const std::string name = bin.substr(bin.find_last_of("\\/") + 1);
    if (!sized || !MoveFileExA((bin + ".part").c_str(), bin.c_str(), MOVEFILE_REPLACE_EXISTING) ||
        !WriteTextReplacing(m_sheetPath, FormatBurnedSheet(medium, capacity, name, tracks))) {
        DeleteFileA((bin + ".part").c_str());
        return Fail(0x03, 0x0C, 0x00, sense);
    }
    return kScsiGood;
}

void ImageDevice::RemoveStaleStaging()
{
    // Left by a burn that was killed. A burn still under way holds its staging file open
    // unshared, so the delete fails on it, or holds the lock while it renames it.
    const std::string part = BinPath() + ".part";
    StagingLock lock(part);
    DeleteFileA(part.c_str());
}

void ImageDevice::DropSession()
{
    if (m_staging != INVALID_HANDLE_VALUE) {
        CloseHandle(m_staging);
        m_staging = INVALID_HANDLE_VALUE;
        DeleteFileA((BinPath() + ".part").c_str());
    }
    m_session = false;
    m_cue.clear();
    m_cueLeadOut = 0;
}

uint8_t ImageDevice::Blank(uint8_t* sense)
{
    if (m_disc.medium != Medium::CdRw)
        return Fail(0x05, 0x30, 0x06, sense); // cannot format medium
    DropSession();
    std::vector<std::string> files;
    for (const CueFile& f : m_disc.files)
        files.push_back(f.path.size() > 1 && f.path[1] == ':' ? f.path : m_folder + f.path);
    for (HANDLE file : m_files)
        CloseHandle(file);
    m_files.clear();
    m_loaded = false;
    if (!WriteTextReplacing(m_sheetPath, FormatBlankSheet(m_disc.medium, m_disc.capacity)))
        return Fail(0x03, 0x0C, 0x00, sense);
    for (const std::string& path : files)
        DeleteFileA(path.c_str());
    return kScsiGood;
}

} // namespace cdimage
