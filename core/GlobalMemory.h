// Thin helpers over movable global memory (sample blocks, clipboard data).
#pragma once
#include <windows.h>

// Allocates and locks a block; the locked pointer, null on failure.
void* GlobalAllocLock(UINT flags, SIZE_T size);
// Unlocks and frees the block a locked pointer belongs to; null does nothing.
void GlobalUnlockFree(void* locked);
// Allocates a block; its handle, null on failure.
HGLOBAL GlobalAllocHandle(UINT flags, SIZE_T size);
// Frees a block by handle; null does nothing.
void GlobalFreeHandle(HGLOBAL handle);
