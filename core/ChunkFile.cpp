#include "ChunkFile.h"

#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <new>

void Int64ToBytes(uint64_t value, void* buffer, size_t length)
{
    if (!buffer || length < 2)
        return;
    auto* out = static_cast<uint8_t*>(buffer);
    std::memset(out, 0, length);
    for (size_t i = 0; i < std::min<size_t>(length, 8); ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

IChunkFile* CreateChunkFile()
{
    return new (std::nothrow) ChunkFile();
}

ChunkFile::~ChunkFile()
{
    try {
        Close();
    } catch (const CKvSSException&) {
        // the handle is closed anyway; a destructor has no one to tell
    }
}

uint64_t ChunkFile::Open(DWORD mode)
{
    if (mode != kFileRead && mode != kFileReadWrite && mode != kFileCreate)
        throw CKvSSException(E_FAIL);
    Close();
    DWORD access = mode == kFileRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = mode == kFileCreate ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE handle = ::CreateFileA(m_name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                  FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw CKvSSException(LastErrorCode());
    FileHandle opened(handle);
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle, &size))
        throw CKvSSException(LastErrorCode());
    m_handle = std::move(opened);
    m_mode = mode;
    m_size = static_cast<uint64_t>(size.QuadPart);
    return m_size;
}

void ChunkFile::Close()
{
    if (!m_handle.IsValid())
        return;
    // Sizes of created chunks are fixed before the handle goes, even when one fix fails.
    HRESULT failure = m_chunks.AscendAll();
    m_handle.Reset();
    m_mode = 0;
    m_size = 0;
    ThrowIfFailed(failure);
}

DWORD ChunkFile::Read(void* buffer, DWORD bytes)
{
    return m_chunks.Read(buffer, bytes);
}

DWORD ChunkFile::Write(const void* buffer, DWORD bytes)
{
    return m_store.Write(buffer, bytes);
}

uint64_t ChunkFile::Seek(int64_t offset, DWORD origin)
{
    return m_store.Seek(offset, origin);
}

uint64_t ChunkFile::GetPosition()
{
    return Seek(0, kSeekCurrent);
}

BOOL ChunkFile::SetEndOfFile()
{
    if (!IsWritable())
        return FALSE;
    return ::SetEndOfFile(m_handle.Get());
}

BOOL ChunkFile::Exists()
{
    if (IsOpen())
        return TRUE;
    FileHandle probe(::CreateFileA(m_name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.IsValid() ? TRUE : FALSE;
}

DWORD ChunkFile::GetFileName(char* buffer, DWORD length)
{
    DWORD nameLength = static_cast<DWORD>(m_name.size());
    if (buffer && length) {
        DWORD copy = std::min(length, nameLength + 1); // end mark only when it fits
        std::memcpy(buffer, m_name.c_str(), copy);
    }
    return nameLength;
}

HRESULT ChunkFile::CreateChunkById(InterfaceTag id, DWORD flags)
{
    ChunkInfo info{id, 0, 0, 0};
    return CreateChunk(&info, flags);
}

HRESULT ChunkFile::CreateChunk(ChunkInfo* info, DWORD /*flags*/)
{
    return m_chunks.Create(info);
}

HRESULT ChunkFile::DescendById(InterfaceTag id, DWORD flags)
{
    ChunkInfo info{id, 0, 0, 0};
    return Descend(&info, flags);
}

HRESULT ChunkFile::Descend(ChunkInfo* info, DWORD flags)
{
    return m_chunks.Descend(info, flags);
}

HRESULT ChunkFile::Ascend()
{
    return m_chunks.Ascend();
}

ChunkInfo* ChunkFile::GetCurrentChunk()
{
    return m_chunks.Current();
}

DWORD ChunkFile::HandleStore::Read(void* buffer, DWORD bytes)
{
    DWORD done = 0;
    if (!::ReadFile(m_handle.Get(), buffer, bytes, &done, nullptr))
        throw CKvSSException(LastErrorCode());
    return done;
}

DWORD ChunkFile::HandleStore::Write(const void* buffer, DWORD bytes)
{
    DWORD done = 0;
    if (!::WriteFile(m_handle.Get(), buffer, bytes, &done, nullptr))
        throw CKvSSException(LastErrorCode());
    return done;
}

uint64_t ChunkFile::HandleStore::Seek(int64_t offset, DWORD origin)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (origin > kSeekEnd || !::SetFilePointerEx(m_handle.Get(), distance, &position, origin)) {
        if (origin > kSeekEnd)
            ::SetLastError(ERROR_INVALID_PARAMETER);
        throw CKvSSException(LastErrorCode());
    }
    return static_cast<uint64_t>(position.QuadPart);
}

uint64_t ChunkFile::HandleStore::CurrentSize()
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_handle.Get(), &size))
        throw CKvSSException(LastErrorCode());
    return static_cast<uint64_t>(size.QuadPart);
}
