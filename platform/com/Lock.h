// A critical section and its scoped holder.
#pragma once
#include <windows.h>

class CritSec {
public:
    CritSec() { InitializeCriticalSection(&m_cs); }
    ~CritSec() { DeleteCriticalSection(&m_cs); }
    CritSec(const CritSec&) = delete;
    CritSec& operator=(const CritSec&) = delete;
    void Lock() { EnterCriticalSection(&m_cs); }
    void Unlock() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class AutoLock {
public:
    explicit AutoLock(CritSec& cs) : m_cs(cs) { m_cs.Lock(); }
    ~AutoLock() { m_cs.Unlock(); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

private:
    CritSec& m_cs;
};
