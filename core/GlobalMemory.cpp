#include "GlobalMemory.h"

void* GlobalAllocLock(UINT flags, SIZE_T size)
{
    HGLOBAL handle = GlobalAlloc(flags, size);
    if (!handle)
        return nullptr;
    void* p = GlobalLock(handle);
    if (!p)
        GlobalFree(handle);
    return p;
}

void GlobalUnlockFree(void* locked)
{
    if (!locked)
        return;
    HGLOBAL handle = GlobalHandle(locked);
    if (!handle)
        return;
    GlobalUnlock(handle);
    GlobalFree(handle);
}

HGLOBAL GlobalAllocHandle(UINT flags, SIZE_T size)
{
    return GlobalAlloc(flags, size);
}

void GlobalFreeHandle(HGLOBAL handle)
{
    if (handle)
        GlobalFree(handle);
}
