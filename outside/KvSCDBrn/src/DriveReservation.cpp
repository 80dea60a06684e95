#include "DriveReservation.h"

#include <cstring>

struct DriveReservation::Record {
    DWORD processId;
    uint64_t holder; // the holding object within its process
    char program[256];
};

namespace {

bool ProcessAlive(DWORD id)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process)
        return false;
    DWORD code = 0;
    const bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return alive;
}

std::string ProgramName()
{
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, n);
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

} // namespace

DriveReservation::DriveReservation(char letter)
{
    const std::string base = std::string("KvSCDBrn.Drive.") + letter;
    m_mutex = CreateMutexA(nullptr, FALSE, (base + ".Lock").c_str());
    m_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Record), base.c_str());
    if (m_mapping)
        m_record = static_cast<Record*>(MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Record)));
}

DriveReservation::~DriveReservation()
{
    Release();
    if (m_record)
        UnmapViewOfFile(m_record);
    if (m_mapping)
        CloseHandle(m_mapping);
    if (m_mutex)
        CloseHandle(m_mutex);
}

DriveReservation::Record* DriveReservation::Lock()
{
    if (!m_mutex || !m_record)
        return nullptr;
    const DWORD wait = WaitForSingleObject(m_mutex, 5000);
    return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED ? m_record : nullptr;
}

void DriveReservation::Unlock()
{
    ReleaseMutex(m_mutex);
}

bool DriveReservation::Acquire()
{
    Record* record = Lock();
    if (!record)
        return false;
    const uint64_t self = reinterpret_cast<uintptr_t>(this);
    const bool mine = record->processId == GetCurrentProcessId() && record->holder == self;
    if (mine || !record->processId || !ProcessAlive(record->processId)) {
        record->processId = GetCurrentProcessId();
        record->holder = self;
        const std::string name = ProgramName();
        lstrcpynA(record->program, name.c_str(), sizeof record->program);
        m_held = true;
    }
    Unlock();
    return m_held;
}

void DriveReservation::Release()
{
    if (!m_held)
        return;
    if (Record* record = Lock()) {
        if (record->processId == GetCurrentProcessId() && record->holder == reinterpret_cast<uintptr_t>(this))
            std::memset(record, 0, sizeof *record);
        Unlock();
    }
    m_held = false;
}

std::string DriveReservation::Holder()
{
    std::string name;
    if (Record* record = Lock()) {
        if (record->processId && ProcessAlive(record->processId))
            name.assign(record->program, strnlen(record->program, sizeof record->program));
        Unlock();
    }
    return name;
}
