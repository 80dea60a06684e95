// DriveReservation: one holder of a drive at a time across every process of the session. The
// holder's process id and program name stand in a named shared record, changed under a named
// lock; a record whose process has ended counts as free.
#pragma once
#include <windows.h>

#include <string>

class DriveReservation {
public:
    explicit DriveReservation(char letter);
    ~DriveReservation();
    DriveReservation(const DriveReservation&) = delete;
    DriveReservation& operator=(const DriveReservation&) = delete;

    // True when this object holds the drive afterwards (it may have held it already).
    bool Acquire();
    void Release();
    bool Held() const { return m_held; }
    // The program name of the current holder, empty when the drive is free.
    std::string Holder();

private:
    struct Record;
    Record* Lock();
    void Unlock();

    HANDLE m_mutex = nullptr;
    HANDLE m_mapping = nullptr;
    Record* m_record = nullptr;
    bool m_held = false;
};
