// FileHandle: owns one Win32 file handle and closes it when it goes (or on Reset).
#pragma once
#include <windows.h>

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Reset(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : m_handle(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    // Closes the handle held (if any) and takes the new one; FALSE when closing failed.
    BOOL Reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        BOOL closed = TRUE;
        if (IsValid())
            closed = ::CloseHandle(m_handle);
        m_handle = handle;
        return closed;
    }
    HANDLE Release()
    {
        HANDLE h = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// The failure code of the calling thread's last system error: 0x80070000 | error
// (E_FAIL when the system reports none).
inline HRESULT LastErrorCode()
{
    DWORD error = ::GetLastError();
    return error ? static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu)) : E_FAIL;
}
