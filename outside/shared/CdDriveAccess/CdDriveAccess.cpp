#include "CdDriveAccess.h"

#include <algorithm>
#include <cstring>

CdDriveAccess::~CdDriveAccess()
{
    if (m_library)
        FreeLibrary(m_library);
}

std::string CdDriveAccess::OwnFolder()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&CdDriveAccess::OwnFolder), &self);
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    std::string folder(path, n);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

bool CdDriveAccess::Load(const std::string& folder)
{
    if (m_library)
        return Loaded();
    m_library = LoadLibraryA((folder + "KgPTP.dll").c_str());
    if (!m_library)
        return false;
    m_support = reinterpret_cast<aspi::GetSupportInfoFn>(reinterpret_cast<void*>(GetProcAddress(m_library, "GetASPI32SupportInfo")));
    m_send = reinterpret_cast<aspi::SendCommandFn>(reinterpret_cast<void*>(GetProcAddress(m_library, "SendASPI32Command")));
    if (!m_support || !m_send) {
        FreeLibrary(m_library);
        m_library = nullptr;
        m_support = nullptr;
        m_send = nullptr;
        return false;
    }
    return true;
}

std::vector<CdAddress> CdDriveAccess::Drives()
{
    std::vector<CdAddress> drives;
    if (!Loaded())
        return drives;
    const unsigned long support = m_support();
    if (((support >> 8) & 0xFF) != aspi::SS_COMP)
        return drives;
    const int adapters = int(support & 0xFF);
    for (int ha = 0; ha < adapters; ++ha) {
        aspi::SRB_HAInquiry inquiry{};
        inquiry.SRB_Cmd = aspi::SC_HA_INQUIRY;
        inquiry.SRB_HaId = uint8_t(ha);
        if (m_send(&inquiry) != aspi::SS_COMP)
            continue;
        for (uint8_t target = 0; target < 8; ++target) {
            if (target == inquiry.HA_SCSI_ID)
                continue;
            aspi::SRB_GetDiskInfo info{};
            info.SRB_Cmd = aspi::SC_GET_DISK_INFO;
            info.SRB_HaId = uint8_t(ha);
            info.SRB_Target = target;
            if (m_send(&info) != aspi::SS_COMP || info.SRB_Int13HDriveInfo >= 26)
                continue;
            CdAddress drive;
            drive.adapter = uint8_t(ha);
            drive.target = target;
            drive.letter = char('A' + info.SRB_Int13HDriveInfo);
            drives.push_back(drive);
        }
    }
    return drives;
}

bool CdDriveAccess::FindDrive(char letter, CdAddress* drive)
{
    if (letter >= 'a' && letter <= 'z')
        letter = char(letter - 'a' + 'A');
    for (const CdAddress& d : Drives())
        if (d.letter == letter) {
            *drive = d;
            return true;
        }
    return false;
}

uint8_t CdDriveAccess::Execute(const CdAddress& drive, const uint8_t* cdb, uint8_t cdbLength, void* data,
                               uint32_t bytes, Direction direction, uint32_t* sense)
{
    if (!Loaded() || cdbLength > 16)
        return aspi::SS_INVALID_SRB;
    aspi::SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = drive.adapter;
    srb.SRB_Target = drive.target;
    srb.SRB_Lun = drive.lun;
    srb.SRB_Flags = direction == Direction::In ? aspi::SRB_DIR_IN : direction == Direction::Out ? aspi::SRB_DIR_OUT : 0;
    srb.SRB_BufLen = bytes;
    srb.SRB_BufPointer = static_cast<uint8_t*>(data);
    srb.SRB_SenseLen = aspi::kSenseLength;
    srb.SRB_CDBLen = cdbLength;
    std::memcpy(srb.CDBByte, cdb, cdbLength);
    uint8_t status = uint8_t(m_send(&srb));
    if (status == aspi::SS_PENDING) {
        // Another library may complete later: poll, as without an event.
        const DWORD start = GetTickCount();
        while (srb.SRB_Status == aspi::SS_PENDING && GetTickCount() - start < 60000)
            Sleep(1);
        status = srb.SRB_Status;
    }
    if (sense)
        *sense = status == aspi::SS_ERR ? uint32_t(srb.SenseArea[2] & 0x0F) << 16 | uint32_t(srb.SenseArea[12]) << 8 |
                                              srb.SenseArea[13]
                                        : 0;
    return status;
}

bool CdDriveAccess::ReadToc(const CdAddress& drive, DiscToc* toc)
{
    uint8_t answer[4 + 8 * 100] = {};
    const uint8_t cdb[10] = {0x43, 0, 0, 0, 0, 0, 1, uint8_t(sizeof answer >> 8), uint8_t(sizeof answer & 0xFF), 0};
    if (Execute(drive, cdb, sizeof cdb, answer, sizeof answer, Direction::In) != aspi::SS_COMP)
        return false;
    const size_t length = std::min<size_t>(size_t(answer[0] << 8 | answer[1]) + 2, sizeof answer);
    DiscToc out;
    for (size_t at = 4; at + 8 <= length; at += 8) {
        const uint8_t* d = answer + at;
        const uint32_t lba = uint32_t(d[4]) << 24 | uint32_t(d[5]) << 16 | uint32_t(d[6]) << 8 | d[7];
        if (d[2] == 0xAA) {
            out.leadOut = lba;
            break;
        }
        DiscToc::Track track;
        track.number = d[2];
        track.audio = (d[1] & 0x04) == 0;
        track.start = lba;
        out.tracks.push_back(track);
    }
    if (out.tracks.empty() || out.leadOut <= out.tracks.back().start)
        return false;
    *toc = out;
    return true;
}

bool CdDriveAccess::ReadAudio(const CdAddress& drive, uint32_t lba, uint32_t count, void* out)
{
    uint8_t* to = static_cast<uint8_t*>(out);
    // Within the library's largest transfer (1 MB).
    constexpr uint32_t kChunk = 440;
    while (count) {
        const uint32_t n = std::min(count, kChunk);
        const uint8_t cdb[12] = {0xBE, 0x04, uint8_t(lba >> 24), uint8_t(lba >> 16), uint8_t(lba >> 8), uint8_t(lba),
                                 uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0xF8, 0, 0};
        if (Execute(drive, cdb, sizeof cdb, to, n * kAudioSectorBytes, Direction::In) != aspi::SS_COMP)
            return false;
        to += size_t(n) * kAudioSectorBytes;
        lba += n;
        count -= n;
    }
    return true;
}
