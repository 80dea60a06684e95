#include "FileStream.h"

#include "KvSSException.h"

#include <algorithm>
#include <cstring>

DWORD CopyNameBounded(const std::string& text, char* buffer, DWORD capacity)
{
    DWORD count = std::min(capacity, static_cast<DWORD>(text.size()));
    std::memcpy(buffer, text.data(), count);
    if (count < capacity)
        buffer[count] = '\0';
    return count;
}

FileStream::~FileStream()
{
    m_handle.Reset();
}

HRESULT FileStream::Open(DWORD mode)
{
    DWORD access = mode & kStreamAccessMask;
    if (access != kStreamRead && access != kStreamReadWrite && access != kStreamCreate)
        throw CKvSSException(E_INVALIDARG);
    DWORD desired = access == kStreamRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD share = ((mode & kStreamDenyRead) ? 0 : FILE_SHARE_READ) | ((mode & kStreamDenyWrite) ? 0 : FILE_SHARE_WRITE);
    DWORD disposition = access == kStreamCreate ? CREATE_ALWAYS : OPEN_EXISTING;
    // A second open would otherwise leave the first handle behind.
    Close();
    FileHandle handle(
        ::CreateFileA(m_name.c_str(), desired, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.IsValid())
        throw CKvSSException(LastErrorCode());
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle.Get(), &size))
        throw CKvSSException(LastErrorCode());
    m_handle = std::move(handle);
    m_size = static_cast<uint64_t>(size.QuadPart);
    m_position = 0;
    m_mode = mode;
    return S_OK;
}

HRESULT FileStream::Close()
{
    BOOL closed = m_handle.Reset();
    m_position = 0;
    m_size = 0;
    m_mode = 0;
    if (!closed)
        throw CKvSSException(LastErrorCode());
    return S_OK;
}

HRESULT FileStream::GetSize(uint64_t* size)
{
    if (!size)
        return E_POINTER;
    if (!IsOpen())
        return E_PENDING;
    LARGE_INTEGER current;
    if (!::GetFileSizeEx(m_handle.Get(), &current))
        throw CKvSSException(LastErrorCode());
    *size = static_cast<uint64_t>(current.QuadPart);
    return S_OK;
}

DWORD FileStream::GetFileName(char* buffer, DWORD capacity)
{
    if (!buffer)
        return static_cast<DWORD>(m_name.size());
    return CopyNameBounded(m_name, buffer, capacity);
}

DWORD FileStream::SetFileName(const char* name)
{
    m_name = name ? name : "";
    return static_cast<DWORD>(m_name.size());
}

BOOL FileStream::Exists()
{
    if (IsOpen())
        return TRUE;
    FileHandle probe(::CreateFileA(m_name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.IsValid() ? TRUE : FALSE;
}

BOOL FileStream::IsWritable()
{
    DWORD access = m_mode & kStreamAccessMask;
    return access == kStreamReadWrite || access == kStreamCreate;
}

HRESULT FileStream::Read(void* buffer, DWORD bytes, DWORD* done)
{
    DWORD count = 0;
    if (!::ReadFile(m_handle.Get(), buffer, bytes, &count, nullptr))
        throw CKvSSException(LastErrorCode());
    if (done)
        *done = count;
    return S_OK;
}

HRESULT FileStream::Write(const void* buffer, DWORD bytes, DWORD* done)
{
    DWORD count = 0;
    if (!::WriteFile(m_handle.Get(), buffer, bytes, &count, nullptr))
        throw CKvSSException(LastErrorCode());
    if (done)
        *done = count;
    return S_OK;
}

BOOL FileStream::SetEndOfFile()
{
    if (!IsWritable())
        return FALSE;
    return ::SetEndOfFile(m_handle.Get());
}

HRESULT FileStream::Seek(int64_t offset, DWORD origin, uint64_t* position)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER moved;
    if (!::SetFilePointerEx(m_handle.Get(), distance, &moved, origin))
        throw CKvSSException(LastErrorCode());
    m_position = static_cast<uint64_t>(moved.QuadPart);
    if (position)
        *position = m_position;
    return S_OK;
}
