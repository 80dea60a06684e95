// The writer object: reference count, drives, reservations, texts and the worker thread.
#include "CdWriter.h"

#include "ComRef.h"

#include <cstring>

CdWriter::CdWriter()
{
    m_installed = m_access.Load(CdDriveAccess::OwnFolder());
}

CdWriter::~CdWriter() = default;

ULONG CdWriter::AddRef()
{
    return ULONG(++m_refs);
}

ULONG CdWriter::Release()
{
    const long n = --m_refs;
    if (n == 0)
        delete this;
    return ULONG(n);
}

CdAddress CdWriter::AddressOf(int32_t device)
{
    CdAddress drive;
    drive.letter = char(uint32_t(device) >> 24);
    drive.adapter = uint8_t(device >> 16);
    drive.target = uint8_t(device >> 8);
    drive.lun = uint8_t(device);
    return drive;
}

int32_t CdWriter::IdOf(const CdAddress& drive)
{
    return int32_t(uint32_t(uint8_t(drive.letter)) << 24 | uint32_t(drive.adapter) << 16 |
                   uint32_t(drive.target) << 8 | drive.lun);
}

HRESULT CdWriter::Command(const CdAddress& drive, const uint8_t* cdb, uint8_t length, void* data, uint32_t bytes,
                          CdDriveAccess::Direction direction)
{
    uint32_t sense = 0;
    const uint8_t status = m_access.Execute(drive, cdb, length, data, bytes, direction, &sense);
    if (status == aspi::SS_COMP)
        return S_OK;
    if (status == aspi::SS_NO_DEVICE || status == aspi::SS_INVALID_HA)
        return kCdWriterNoDevice;
    if (sense >> 16 == 0x02)
        return (sense >> 8 & 0xFF) == 0x3A ? kCdWriterNoMedium : kCdWriterNotReady;
    return kCdWriterFailed;
}

HRESULT CdWriter::GetDevices(int32_t* count, HGLOBAL* block)
{
    if (!count || !block)
        return E_POINTER;
    *count = 0;
    *block = nullptr;
    if (!m_installed)
        return kCdWriterNotInstalled;
    std::vector<CdWriterDeviceRecord> records;
    std::lock_guard<std::mutex> hold(m_lock);
    for (const CdAddress& drive : m_access.Drives()) {
        uint8_t inquiry[36] = {};
        const uint8_t cdb[6] = {0x12, 0, 0, 0, sizeof inquiry, 0};
        if (Command(drive, cdb, sizeof cdb, inquiry, sizeof inquiry, CdDriveAccess::Direction::In) != S_OK ||
            (inquiry[0] & 0x1F) != aspi::kPeripheralCdRom)
            continue;
        std::vector<uint32_t> cdr, cdrw;
        uint32_t read = 0;
        uint8_t caps = 0;
        ReadSpeeds(drive, &cdr, &cdrw, &read, &caps);
        CdWriterDeviceRecord record{};
        record.drive[0] = drive.letter;
        record.drive[1] = ':';
        char name[64] = {};
        std::memcpy(name, inquiry + 8, 8);
        name[8] = ' ';
        std::memcpy(name + 9, inquiry + 16, 16);
        int end = 25;
        while (end > 0 && name[end - 1] == ' ')
            --end;
        name[end] = 0;
        std::memcpy(record.name, name, sizeof record.name);
        record.capabilities = (caps & 0x01 ? kCdCapWritesCdR : 0) | (caps & 0x02 ? kCdCapWritesCdRw : 0);
        record.id = IdOf(drive);
        record.reserved = uint32_t(drive.adapter) << 8 | drive.target;
        records.push_back(record);
    }
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, std::max<size_t>(records.size(), 1) * sizeof(CdWriterDeviceRecord));
    if (!memory)
        return E_OUTOFMEMORY;
    if (!records.empty())
        std::memcpy(memory, records.data(), records.size() * sizeof(CdWriterDeviceRecord));
    *count = int32_t(records.size());
    *block = memory;
    return S_OK;
}

BOOL CdWriter::Reserve(int32_t device, BOOL reserve)
{
    const char letter = AddressOf(device).letter;
    if (letter < 'A' || letter > 'Z')
        return FALSE;
    std::unique_ptr<DriveReservation>& reservation = m_reservations[letter];
    if (!reservation)
        reservation = std::make_unique<DriveReservation>(letter);
    if (!reserve) {
        reservation->Release();
        return TRUE;
    }
    return reservation->Acquire() ? TRUE : FALSE;
}

void CdWriter::GetDeviceUser(int32_t device, char* name)
{
    if (!name)
        return;
    name[0] = 0;
    const char letter = AddressOf(device).letter;
    if (letter < 'A' || letter > 'Z')
        return;
    DriveReservation probe(letter);
    lstrcpynA(name, probe.Holder().c_str(), 256);
}

const char* CdWriter::GetErrorText(HRESULT code)
{
    switch (code) {
    case kCdWriterNoDevice:
        return "The CD-R/RW drive could not be found.";
    case kCdWriterBadTrack:
        return "A track file is missing or is not CD audio (44100 Hz, 16 bits, stereo).";
    case kCdWriterBusy:
        return "The CD-R/RW drive is busy with another operation.";
    case kCdWriterNotErasable:
        return "The media in the drive cannot be erased.";
    case kCdWriterTooLong:
        return "The tracks do not fit on the media.";
    case kCdWriterNotReady:
        return "The CD-R/RW drive is not ready.";
    case kCdWriterNoMedium:
        return "The drive is empty.";
    case kCdWriterNotInstalled:
        return "The CD writing engine is not installed.";
    default:
        return "The CD-R/RW drive reported an error.";
    }
}

HRESULT CdWriter::GetVersionText(char* text, int32_t size)
{
    if (!text || size <= 0)
        return E_POINTER;
    text[0] = 0;
    if (!m_installed)
        return kCdWriterNotInstalled;
    lstrcpynA(text, "1.00", size);
    return S_OK;
}

int CdWriter::GetStatus(int32_t* done, int32_t* total)
{
    if (done)
        *done = m_done;
    if (total)
        *total = m_total;
    return m_status;
}

void CdWriter::Cancel()
{
    m_cancel = true;
}

void CdWriter::SetSpeed(int32_t speed)
{
    m_speed = speed < 0 ? 0 : speed;
}

namespace {

struct WorkStart {
    ComRef<CdWriter> writer; // the worker's reference
    void (CdWriter::*work)();
    HMODULE module;
};

DWORD WINAPI WorkThread(void* parameter)
{
    std::unique_ptr<WorkStart> start(static_cast<WorkStart*>(parameter));
    const HMODULE module = start->module;
    (start->writer.Get()->*start->work)();
    start.reset(); // the writer may go now: nothing runs past the exit below
    // The thread's own hold on the module lets the caller free it the moment the work is done.
    FreeLibraryAndExitThread(module, 0);
}

} // namespace

bool CdWriter::StartWork(void (CdWriter::*work)())
{
    if (m_status == kCdStatusRunning)
        return false;
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&WorkThread), &module))
        return false;
    m_cancel = false;
    m_done = 0;
    m_total = 0;
    m_status = kCdStatusRunning;
    auto start = std::make_unique<WorkStart>(WorkStart{ComRef<CdWriter>::Share(this), work, module});
    HANDLE thread = CreateThread(nullptr, 0, WorkThread, start.get(), 0, nullptr);
    if (!thread) {
        m_status = kCdStatusFailed;
        FreeLibrary(module);
        return false;
    }
    start.release(); // the thread's now
    CloseHandle(thread);
    return true;
}
