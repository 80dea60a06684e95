// WorkerThread: the small thread base of the video player. Start makes the thread suspended
// (the caller resumes it with Resume) on a procedure that calls OnThreadStart, then Run; Stop
// counts the request, calls SignalStop and waits for the thread to end.
#pragma once
#include <windows.h>

class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // Closes the thread's handle if one is left (Stop first: the thread must have ended).
    virtual ~WorkerThread();
    virtual void OnThreadStart() {}
    virtual void Run() = 0;
    // Asks Run to return soon (called by Stop): every wait of Run must wake on it.
    virtual void SignalStop() {}

    // False when the thread cannot be made; nothing happens when one exists.
    bool Start();
    void Resume();
    // Returns once the thread has ended, however long that takes: the object it runs on is
    // usually destroyed next.
    void Stop();

private:
    static DWORD WINAPI Procedure(void* self);

    HANDLE m_thread = nullptr;
    DWORD m_threadId = 0;
    volatile LONG m_stopRequests = 0;
};
