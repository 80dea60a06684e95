// KgPTP.dll: drive access for the CD writer and the CD tracks of the file module, with the
// ASPI for Win32 entries over real drives (pass-through) and disc images.
#include "AspiRequests.h"
#include "DeviceTable.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

DeviceTable& Table()
{
    static DeviceTable table;
    return table;
}

void Complete(aspi::SRB_ExecSCSICmd* srb)
{
    if ((srb->SRB_Flags & aspi::SRB_EVENT_NOTIFY) && srb->SRB_PostProc)
        SetEvent(static_cast<HANDLE>(srb->SRB_PostProc));
    else if ((srb->SRB_Flags & aspi::SRB_POSTING) && srb->SRB_PostProc)
        reinterpret_cast<aspi::PostRoutineFn>(srb->SRB_PostProc)(srb);
}

uint8_t Execute(aspi::SRB_ExecSCSICmd* srb)
{
    auto device = Table().Find(srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun);
    if (!device)
        return aspi::SS_NO_DEVICE;
    const bool in = (srb->SRB_Flags & aspi::SRB_DIR_IN) != 0;
    const bool out = (srb->SRB_Flags & aspi::SRB_DIR_OUT) != 0;
    if ((in && out) || srb->SRB_CDBLen == 0 || srb->SRB_CDBLen > 16 || (srb->SRB_BufLen && !srb->SRB_BufPointer))
        return aspi::SS_INVALID_SRB;
    cdimage::ScsiRequest request;
    request.cdb = srb->CDBByte;
    request.cdbLength = srb->SRB_CDBLen;
    request.data = srb->SRB_BufLen ? srb->SRB_BufPointer : nullptr;
    request.dataLength = srb->SRB_BufLen;
    request.in = in;
    request.out = out;
    uint8_t sense[cdimage::kSenseBytes] = {};
    const uint8_t status = device->Execute(request, sense);
    srb->SRB_HaStat = 0;
    srb->SRB_TargStat = status;
    if (status == cdimage::kScsiGood)
        return aspi::SS_COMP;
    std::memcpy(srb->SenseArea, sense, std::min<size_t>(srb->SRB_SenseLen, std::min(sizeof sense, sizeof srb->SenseArea)));
    return aspi::SS_ERR;
}

void Copy16(char* to, const char* text)
{
    std::memset(to, ' ', 16);
    std::memcpy(to, text, std::min<size_t>(16, std::strlen(text)));
}

} // namespace

extern "C" __declspec(dllexport) unsigned long __cdecl GetASPI32SupportInfo()
{
    Table().Refresh();
    return unsigned(aspi::SS_COMP) << 8 | uint8_t(Table().AdapterCount());
}

extern "C" __declspec(dllexport) unsigned long __cdecl GetASPI32DLLVersion()
{
    return 0x00000001;
}

extern "C" __declspec(dllexport) unsigned long __cdecl SendASPI32Command(void* block)
{
    auto* header = static_cast<aspi::SRB_Header*>(block);
    if (!header)
        return aspi::SS_INVALID_SRB;
    switch (header->SRB_Cmd) {
    case aspi::SC_HA_INQUIRY: {
        auto* srb = static_cast<aspi::SRB_HAInquiry*>(block);
        const int count = Table().AdapterCount();
        if (srb->SRB_HaId >= count)
            return srb->SRB_Status = aspi::SS_INVALID_HA;
        srb->HA_Count = uint8_t(count);
        srb->HA_SCSI_ID = DeviceTable::kAdapterScsiId;
        Copy16(srb->HA_ManagerId, "KgPTP");
        Copy16(srb->HA_Identifier, "KgPTP drives");
        std::memset(srb->HA_Unique, 0, sizeof srb->HA_Unique);
        srb->HA_Unique[3] = 8;                  // targets
        const uint32_t maxTransfer = 1u << 20;  // bytes of one command
        std::memcpy(srb->HA_Unique + 4, &maxTransfer, 4);
        return srb->SRB_Status = aspi::SS_COMP;
    }
    case aspi::SC_GET_DEV_TYPE: {
        auto* srb = static_cast<aspi::SRB_GDEVBlock*>(block);
        if (!Table().Find(srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun))
            return srb->SRB_Status = aspi::SS_NO_DEVICE;
        srb->SRB_DeviceType = aspi::kPeripheralCdRom;
        return srb->SRB_Status = aspi::SS_COMP;
    }
    case aspi::SC_EXEC_SCSI_CMD: {
        auto* srb = static_cast<aspi::SRB_ExecSCSICmd*>(block);
        srb->SRB_Status = Execute(srb);
        Complete(srb);
        return srb->SRB_Status;
    }
    case aspi::SC_ABORT_SRB:
        // Every command has completed before its call returned: nothing is left to abort.
        return header->SRB_Status = aspi::SS_COMP;
    case aspi::SC_RESET_DEV: {
        auto* srb = static_cast<aspi::SRB_BusDeviceReset*>(block);
        if (!Table().Find(srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun))
            return srb->SRB_Status = aspi::SS_NO_DEVICE;
        return srb->SRB_Status = aspi::SS_COMP;
    }
    case aspi::SC_GET_DISK_INFO: {
        auto* srb = static_cast<aspi::SRB_GetDiskInfo*>(block);
        auto device = Table().Find(srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun);
        if (!device)
            return srb->SRB_Status = aspi::SS_NO_DEVICE;
        srb->SRB_DriveFlags = 0;
        srb->SRB_Int13HDriveInfo = uint8_t(device->Letter() - 'A');
        srb->SRB_Heads = 0;
        srb->SRB_Sectors = 0;
        return srb->SRB_Status = aspi::SS_COMP;
    }
    default:
        return header->SRB_Status = aspi::SS_INVALID_CMD;
    }
}
