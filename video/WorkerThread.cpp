#include "WorkerThread.h"

WorkerThread::~WorkerThread()
{
    if (m_thread)
        CloseHandle(m_thread);
}

DWORD WINAPI WorkerThread::Procedure(void* self)
{
    auto* thread = static_cast<WorkerThread*>(self);
    thread->OnThreadStart();
    thread->Run();
    return 0;
}

bool WorkerThread::Start()
{
    if (m_thread)
        return true;
    m_thread = CreateThread(nullptr, 0, &WorkerThread::Procedure, this, CREATE_SUSPENDED, &m_threadId);
    return m_thread != nullptr;
}

void WorkerThread::Resume()
{
    if (m_thread)
        ResumeThread(m_thread);
}

void WorkerThread::Stop()
{
    InterlockedIncrement(&m_stopRequests);
    SignalStop();
    if (!m_thread)
        return;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}
