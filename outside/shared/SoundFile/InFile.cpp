// The sound-file readers' source on disk: Win32 file reads at 64-bit offsets.
#include "SoundFile.h"

#include "KvSSException.h"

#include <algorithm>

InFile::InFile(const char* path)
{
    m_file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        throw CKvSSException(e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kErrNotFound
                                                                                    : HRESULT_FROM_WIN32(e));
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file, &size)) {
        CloseHandle(m_file);
        throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
    }
    m_size = static_cast<uint64_t>(size.QuadPart);
}

InFile::~InFile()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
}

size_t InFile::ReadSome(uint64_t offset, void* buffer, size_t bytes) const
{
    size_t done = 0;
    while (done < bytes) {
        OVERLAPPED at{};
        const uint64_t where = offset + done;
        at.Offset = static_cast<DWORD>(where);
        at.OffsetHigh = static_cast<DWORD>(where >> 32);
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(m_file, static_cast<uint8_t*>(buffer) + done, ask, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            throw CKvSSException(HRESULT_FROM_WIN32(GetLastError()));
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void InFile::ReadAt(uint64_t offset, void* buffer, size_t bytes) const
{
    if (ReadSome(offset, buffer, bytes) != bytes)
        throw CKvSSException(kErrDamagedRiff);
}
