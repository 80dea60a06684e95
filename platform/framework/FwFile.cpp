#include "FwFile.h"

BOOL CFile::Open(const char* path, UINT flags, DWORD* error)
{
    if (error)
        *error = 0;
    Abort();
    if (!path || !*path) {
        if (error)
            *error = ERROR_INVALID_NAME;
        return FALSE;
    }
    DWORD access = GENERIC_READ;
    switch (flags & 3) {
    case modeWrite:
        access = GENERIC_WRITE;
        break;
    case modeReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    default:
        break;
    }
    DWORD share = 0;
    switch (flags & 0x70) {
    case shareDenyWrite:
        share = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        share = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    default:
        break; // exclusive (and the old compatibility mode)
    }
    DWORD disposition = OPEN_EXISTING;
    if (flags & modeCreate)
        disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, (flags & modeNoInherit) ? FALSE : TRUE};
    HANDLE handle = ::CreateFileA(path, access, share, &sa, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error = ::GetLastError();
        return FALSE;
    }
    m_hFile = handle;
    m_strFilePath = path;
    return TRUE;
}

BOOL CFile::Close()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return TRUE;
    BOOL ok = ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_strFilePath.Empty();
    return ok;
}

void CFile::Abort()
{
    Close();
}

UINT CFile::Read(void* buffer, UINT count)
{
    DWORD done = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !::ReadFile(m_hFile, buffer, count, &done, nullptr))
        return 0;
    return done;
}

BOOL CFile::Write(const void* buffer, UINT count)
{
    DWORD done = 0;
    if (m_hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    return ::WriteFile(m_hFile, buffer, count, &done, nullptr) && done == count;
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (m_hFile == INVALID_HANDLE_VALUE || !::SetFilePointerEx(m_hFile, distance, &position, from))
        return static_cast<ULONGLONG>(-1);
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (m_hFile == INVALID_HANDLE_VALUE || !::GetFileSizeEx(m_hFile, &size))
        return static_cast<ULONGLONG>(-1);
    return static_cast<ULONGLONG>(size.QuadPart);
}
