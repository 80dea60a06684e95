#include "FwThread.h"
#include <process.h>

CWinThread::~CWinThread()
{
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize)
{
    if (m_hThread)
        return FALSE;
    unsigned id = 0;
    // Always created suspended, so that the handle and id are stored before the function runs
    // (and, with auto-delete, before it can delete this object).
    uintptr_t handle = _beginthreadex(nullptr, stackSize, &CWinThread::Start, this, CREATE_SUSPENDED, &id);
    if (!handle)
        return FALSE;
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = id;
    if (!(createFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

unsigned __stdcall CWinThread::Start(void* self)
{
    CWinThread* thread = static_cast<CWinThread*>(self);
    UINT code;
    try {
        code = thread->m_pfnThreadProc(thread->m_pThreadParams);
    } catch (...) {
        code = static_cast<UINT>(-1); // nothing thrown leaves a thread procedure
    }
    if (thread->m_bAutoDelete)
        delete thread;
    return code;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES)
{
    if (!proc)
        return nullptr;
    CWinThread* thread = new CWinThread(proc, param);
    if (!thread->CreateThread(CREATE_SUSPENDED, stackSize)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(createFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}
