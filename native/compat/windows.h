// The native build's stand-in for the system header: only the base types and result macros
// that code free of Win32 calls still names (sizes as on 64-bit Windows). No function is
// declared here, so a file that calls the system fails to build natively, as it should.
#pragma once
#include <cstdint>

typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int32_t BOOL;
typedef int32_t HRESULT;
typedef int64_t LONG_PTR;
typedef uint64_t ULONG_PTR;
typedef void* HANDLE;

#define TRUE 1
#define FALSE 0
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define E_POINTER ((HRESULT)0x80004003)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define CF_TEXT 1
