// CWinThread and AfxBeginThread: a worker thread running a plain function.
//
//   CWinThread* t = AfxBeginThread(Proc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
//   t->m_bAutoDelete = FALSE;     // keep the object (and its handle) to wait on it
//   t->ResumeThread();
//   ... ::WaitForSingleObject(t->m_hThread, INFINITE); delete t;
//
// With m_bAutoDelete left TRUE the object deletes itself (closing its handle) when the function
// returns, so a caller must not touch it after starting it unless it started it suspended and
// cleared the flag. An exception escaping the function ends the thread with exit code (UINT)-1.
#pragma once
#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID param);

class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread (suspended with CREATE_SUSPENDED); FALSE when it could not be created.
    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    BOOL SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    static unsigned __stdcall Start(void* self);
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Null when the thread could not be started (nothing is left behind then).
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
