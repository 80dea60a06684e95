#include "PassThroughDevice.h"

#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>
#include <cstdio>

namespace {

struct PassThroughBlock {
    SCSI_PASS_THROUGH_DIRECT spt;
    ULONG filler;
    UCHAR sense[32];
};

// Long enough for a blank of a whole rewritable disc.
constexpr ULONG kTimeoutSeconds = 60 * 60;

} // namespace

PassThroughDevice::~PassThroughDevice()
{
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
}

uint8_t PassThroughDevice::Execute(const cdimage::ScsiRequest& request, uint8_t* sense)
{
    std::lock_guard<std::mutex> hold(m_lock);
    cdimage::Sense failure{0x02, 0x04, 0x00}; // not ready
    if (m_handle == INVALID_HANDLE_VALUE) {
        char path[8];
        snprintf(path, sizeof path, "\\\\.\\%c:", m_letter);
        m_handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE) {
            failure.Write(sense);
            return cdimage::kScsiCheckCondition;
        }
    }
    PassThroughBlock block{};
    block.spt.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    block.spt.CdbLength = request.cdbLength > 16 ? 16 : request.cdbLength;
    block.spt.SenseInfoLength = sizeof block.sense;
    block.spt.DataIn = request.in ? SCSI_IOCTL_DATA_IN : request.out ? SCSI_IOCTL_DATA_OUT : SCSI_IOCTL_DATA_UNSPECIFIED;
    block.spt.DataTransferLength = request.data ? request.dataLength : 0;
    block.spt.TimeOutValue = kTimeoutSeconds;
    block.spt.DataBuffer = request.data;
    block.spt.SenseInfoOffset = offsetof(PassThroughBlock, sense);
    memcpy(block.spt.Cdb, request.cdb, block.spt.CdbLength);
    DWORD returned = 0;
    if (!DeviceIoControl(m_handle, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof block, &block, sizeof block,
                         &returned, nullptr)) {
        failure.Write(sense);
        return cdimage::kScsiCheckCondition;
    }
    if (block.spt.ScsiStatus != cdimage::kScsiGood) {
        memset(sense, 0, cdimage::kSenseBytes);
        memcpy(sense, block.sense, cdimage::kSenseBytes);
        return block.spt.ScsiStatus;
    }
    return cdimage::kScsiGood;
}
