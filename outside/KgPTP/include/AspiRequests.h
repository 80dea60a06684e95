// The ASPI for Win32 request blocks as a 64-bit process passes them: the published field order,
// packed to one byte, with pointers of 8 bytes (so the 80-byte command block of 32-bit systems
// is 88 here). Every user of the drive access (the program's ASPI layer, the CD writer, the file
// module's CD tracks, the tests' MCI driver) includes this one header.
//
// Entries of KgPTP.dll (and of any WNASPI32.DLL):
//   GetASPI32SupportInfo() -> (status << 8) | host adapter count; status SS_COMP when usable.
//   SendASPI32Command(block) -> the block's status. KgPTP completes every command before it
//   returns (never SS_PENDING); a block with SRB_EVENT_NOTIFY still has its event set, and one
//   with SRB_POSTING its routine called, as the contract asks.
#pragma once
#include <cstddef>
#include <cstdint>

namespace aspi {

enum Command : uint8_t {
    SC_HA_INQUIRY = 0,
    SC_GET_DEV_TYPE = 1,
    SC_EXEC_SCSI_CMD = 2,
    SC_ABORT_SRB = 3,
    SC_RESET_DEV = 4,
    SC_GET_DISK_INFO = 6,
};

enum Status : uint8_t {
    SS_PENDING = 0x00,
    SS_COMP = 0x01,
    SS_ABORTED = 0x02,
    SS_ABORT_FAIL = 0x03,
    SS_ERR = 0x04,
    SS_INVALID_CMD = 0x80,
    SS_INVALID_HA = 0x81,
    SS_NO_DEVICE = 0x82,
    SS_INVALID_SRB = 0xE0,
    SS_BUFFER_TO_BIG = 0xE6,
    SS_NO_ADAPTERS = 0xE8,
};

enum Flags : uint8_t {
    SRB_POSTING = 0x01,
    SRB_DIR_IN = 0x08,
    SRB_DIR_OUT = 0x10,
    SRB_EVENT_NOTIFY = 0x40,
};

constexpr uint8_t kStatusCheckCondition = 0x02; // SRB_TargStat after a failed command
constexpr uint8_t kSenseLength = 14;            // SENSE_LEN
constexpr uint8_t kPeripheralCdRom = 5;

#pragma pack(push, 1)
struct SRB_Header {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t HA_Count;
    uint8_t HA_SCSI_ID;
    char HA_ManagerId[16];
    char HA_Identifier[16];
    uint8_t HA_Unique[16];
    uint16_t HA_Rsvd1;
};

struct SRB_GDEVBlock {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_DeviceType;
    uint8_t SRB_Rsvd1;
};

struct SRB_ExecSCSICmd {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint16_t SRB_Rsvd1;
    uint32_t SRB_BufLen;
    uint8_t* SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    void* SRB_PostProc; // an event handle with SRB_EVENT_NOTIFY, a routine with SRB_POSTING
    uint8_t SRB_Rsvd2[20];
    uint8_t CDBByte[16];
    uint8_t SenseArea[kSenseLength + 2];
};

struct SRB_Abort {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    void* SRB_ToAbort;
};

struct SRB_BusDeviceReset {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_Rsvd1[12];
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    void* SRB_PostProc;
    uint8_t SRB_Rsvd2[36];
};

struct SRB_GetDiskInfo {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint8_t SRB_DriveFlags;
    uint8_t SRB_Int13HDriveInfo; // drive number: 0 = A:, 1 = B:, ...
    uint8_t SRB_Heads;
    uint8_t SRB_Sectors;
    uint8_t SRB_Rsvd1[10];
};
#pragma pack(pop)

static_assert(sizeof(SRB_Header) == 8, "request header");
static_assert(sizeof(SRB_HAInquiry) == 60, "adapter inquiry block");
static_assert(sizeof(SRB_GDEVBlock) == 12, "device type block");
static_assert(sizeof(SRB_ExecSCSICmd) == 88, "command block: 80 bytes with 4-byte pointers");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16, "buffer pointer");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 28, "post routine");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 56, "command bytes");
static_assert(sizeof(SRB_Abort) == 16, "abort block");
static_assert(sizeof(SRB_GetDiskInfo) == 24, "disk information block");

using GetSupportInfoFn = unsigned long(__cdecl*)();
using SendCommandFn = unsigned long(__cdecl*)(void* block);
using PostRoutineFn = void(__cdecl*)(SRB_ExecSCSICmd* block);

// The registry key under the program's settings root whose values name disc images: value name
// the drive letter ("X"), data the path of a cue sheet. Only tests and benches set it.
constexpr const char* kImageSection = "CdImages";

} // namespace aspi
