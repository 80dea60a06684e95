#include "AspiLayer.h"

#include "KvSSException.h"

#include <cstdio>
#include <cstring>
#include <memory>

CAspiLayer::CAspiLayer()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version))
        return;
#pragma GCC diagnostic pop
    m_ntFamily = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (!m_ntFamily)
        Load();
}

CAspiLayer::CAspiLayer(const Entries& entries, bool ntFamily, DWORD waitMs) : m_ntFamily(ntFamily), m_waitMs(waitMs)
{
    Bind(entries);
}

CAspiLayer::~CAspiLayer()
{
    Unload();
}

bool CAspiLayer::Bind(const Entries& entries)
{
    m_support = entries.support;
    m_send = entries.send;
    if (!m_support || !m_send) {
        m_support = nullptr;
        m_send = nullptr;
        return false;
    }
    const unsigned long info = m_support();
    if (((info >> 8) & 0xFF) != aspi::SS_COMP) {
        m_support = nullptr;
        m_send = nullptr;
        return false;
    }
    m_adapterCount = int(info & 0xFF);
    return true;
}

int CAspiLayer::Load()
{
    Unload();
    m_library = LoadLibraryA("WNASPI32.DLL");
    if (!m_library)
        return 0;
    Entries entries;
    entries.support = reinterpret_cast<aspi::GetSupportInfoFn>(reinterpret_cast<void*>(GetProcAddress(m_library, "GetASPI32SupportInfo")));
    entries.send = reinterpret_cast<aspi::SendCommandFn>(reinterpret_cast<void*>(GetProcAddress(m_library, "SendASPI32Command")));
    // A library without its entries, or one that calls itself unusable, names no devices; it
    // does not keep the drive from being used.
    if (!Bind(entries)) {
        Unload();
        return 0;
    }
    return 1;
}

void CAspiLayer::Unload()
{
    if (m_library && !m_abandoned)
        FreeLibrary(m_library);
    m_library = nullptr;
    m_support = nullptr;
    m_send = nullptr;
    m_adapterCount = -1;
}

void CAspiLayer::ScanHosts()
{
    for (int adapter = 0; adapter < m_adapterCount; ++adapter)
        ScanHost(uint8_t(adapter));
}

void CAspiLayer::ScanHost(uint8_t adapter)
{
    if (!m_send)
        return;
    aspi::SRB_HAInquiry inquiry{};
    inquiry.SRB_Cmd = aspi::SC_HA_INQUIRY;
    inquiry.SRB_HaId = adapter;
    if (m_send(&inquiry) != aspi::SS_COMP)
        return;
    for (uint8_t target = 0; target < 8; ++target) {
        if (target == inquiry.HA_SCSI_ID)
            continue;
        for (uint8_t lun = 0; lun < 8; ++lun)
            Probe(adapter, target, lun);
    }
}

void CAspiLayer::Probe(uint8_t adapter, uint8_t target, uint8_t lun)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!event)
        return;
    // The block and its buffer belong to the library until the command has ended.
    auto block = std::make_unique<aspi::SRB_ExecSCSICmd>();
    auto buffer = std::make_unique<uint8_t[]>(512);
    std::memset(block.get(), 0, sizeof *block);
    std::memset(buffer.get(), 0, 512);
    block->SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    block->SRB_HaId = adapter;
    block->SRB_Flags = aspi::SRB_DIR_IN | aspi::SRB_EVENT_NOTIFY;
    block->SRB_Target = target;
    block->SRB_Lun = lun;
    block->SRB_BufLen = 128;
    block->SRB_BufPointer = buffer.get();
    block->SRB_SenseLen = aspi::kSenseLength;
    block->SRB_CDBLen = 6;
    block->SRB_PostProc = event;
    const uint8_t cdb[6] = {0x12, 0, 0, 0, 0x80, 0};
    std::memcpy(block->CDBByte, cdb, sizeof cdb);
    if (m_send(block.get()) == aspi::SS_PENDING && WaitForSingleObject(event, m_waitMs) == WAIT_TIMEOUT) {
        aspi::SRB_Abort abort{};
        abort.SRB_Cmd = aspi::SC_ABORT_SRB;
        abort.SRB_HaId = adapter;
        abort.SRB_ToAbort = block.get();
        const bool aborted = m_send(&abort) == aspi::SS_COMP && block->SRB_Status != aspi::SS_PENDING;
        if (!aborted) {
            // The library may still write into them: leave them to it.
            block.release();
            buffer.release();
            ++m_abandoned;
            return;
        }
        CloseHandle(event);
        return;
    }
    if (block->SRB_Status == aspi::SS_COMP && (buffer[0] & 0x1F) == aspi::kPeripheralCdRom) {
        AspiDeviceRecord record;
        record.adapter = adapter;
        record.target = target;
        record.lun = lun;
        record.driveNumber = DriveNumber(adapter, target, lun);
        std::memcpy(record.vendor, buffer.get() + 8, 8);
        std::memcpy(record.product, buffer.get() + 16, 16);
        std::memcpy(record.revision, buffer.get() + 32, 4);
        m_devices.push_back(record);
    }
    CloseHandle(event);
}

uint32_t CAspiLayer::DriveNumber(uint8_t adapter, uint8_t target, uint8_t lun)
{
    aspi::SRB_GetDiskInfo info{};
    info.SRB_Cmd = aspi::SC_GET_DISK_INFO;
    info.SRB_HaId = adapter;
    info.SRB_Target = target;
    info.SRB_Lun = lun;
    m_send(&info);
    const DWORD start = GetTickCount();
    while (*static_cast<volatile uint8_t*>(&info.SRB_Status) == aspi::SS_PENDING) {
        if (GetTickCount() - start >= m_waitMs)
            return 0xFF;
    }
    return info.SRB_Status == aspi::SS_COMP ? info.SRB_Int13HDriveInfo : 0xFF;
}

HRESULT CAspiLayer::FindDevice(char letter, char* text, size_t size) const
{
    for (const AspiDeviceRecord& d : m_devices) {
        if (d.driveNumber != uint32_t(letter - 'A'))
            continue;
        if (text && size)
            snprintf(text, size, "%s %s %s", d.vendor, d.product, d.revision);
        return S_OK;
    }
    return E_FAIL;
}
