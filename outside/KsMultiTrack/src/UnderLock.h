// Plain settings read and written under an engine object's lock, so that a reader on
// another thread never sees half a value.
#pragma once
#include <windows.h>

#include <mutex>

template <typename T, typename Out>
HRESULT ReadUnderLock(std::mutex& lock, const T& field, Out* out)
{
    if (!out)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(lock);
    *out = static_cast<Out>(field);
    return S_OK;
}

template <typename T>
HRESULT WriteUnderLock(std::mutex& lock, T& field, const T& value)
{
    std::lock_guard<std::mutex> guard(lock);
    field = value;
    return S_OK;
}
