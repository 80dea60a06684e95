// CKvSSException: carries a failed 32-bit result code out of an operation.
// Thrown by value at a failed step, caught by reference at the operation's edge,
// where the code is reported or returned. Nothing thrown crosses a COM method,
// window procedure, thread procedure or module export.
#pragma once
#include <windows.h>

class CKvSSException {
public:
    explicit CKvSSException(HRESULT code) : m_hr(code) {}
    HRESULT m_hr;
};

// Throws the code of a failed call; returns successful codes (S_FALSE included) unchanged.
inline HRESULT ThrowIfFailed(HRESULT hr)
{
    if (FAILED(hr))
        throw CKvSSException(hr);
    return hr;
}
