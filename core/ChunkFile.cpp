#include "ChunkFile.h"

#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

void PutUInt64(uint8_t* out, uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetUInt64(const uint8_t* in)
{
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= static_cast<uint64_t>(in[i]) << (8 * i);
    return value;
}

// Where a chunk's data ends, pad byte included: data that ends at an odd position is padded.
uint64_t PaddedEnd(uint64_t dataStart, uint64_t size)
{
    uint64_t end = dataStart + size;
    return end + (end & 1);
}

} // namespace

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
    HRESULT failure = S_OK;
    while (!m_chunks.empty()) {
        try {
            Ascend();
        } catch (const CKvSSException& e) {
            if (SUCCEEDED(failure))
                failure = e.m_hr;
            m_chunks.pop_back();
        }
    }
    m_handle.Reset();
    m_mode = 0;
    m_size = 0;
    ThrowIfFailed(failure);
}

DWORD ChunkFile::Read(void* buffer, DWORD bytes)
{
    if (!m_chunks.empty() && !(m_chunks.back().flags & kChunkCreated)) {
        const ChunkInfo& chunk = m_chunks.back();
        uint64_t end = chunk.dataStart + chunk.size;
        uint64_t position = GetPosition();
        uint64_t left = position < end ? end - position : 0;
        bytes = static_cast<DWORD>(std::min<uint64_t>(bytes, left));
    }
    DWORD done = 0;
    if (!::ReadFile(m_handle.Get(), buffer, bytes, &done, nullptr))
        throw CKvSSException(LastErrorCode());
    return done;
}

DWORD ChunkFile::Write(const void* buffer, DWORD bytes)
{
    DWORD done = 0;
    if (!::WriteFile(m_handle.Get(), buffer, bytes, &done, nullptr))
        throw CKvSSException(LastErrorCode());
    return done;
}

uint64_t ChunkFile::Seek(int64_t offset, DWORD origin)
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

uint64_t ChunkFile::CurrentFileSize()
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_handle.Get(), &size))
        throw CKvSSException(LastErrorCode());
    return static_cast<uint64_t>(size.QuadPart);
}

bool ChunkFile::ReadHeader(InterfaceTag* id, uint64_t* size)
{
    uint8_t header[kChunkHeaderSize];
    DWORD done = 0;
    if (!::ReadFile(m_handle.Get(), header, sizeof(header), &done, nullptr))
        throw CKvSSException(LastErrorCode());
    if (done != sizeof(header))
        return false;
    *id = GetUInt64(header);
    *size = GetUInt64(header + 8);
    return true;
}

HRESULT ChunkFile::CreateChunkById(InterfaceTag id, DWORD flags)
{
    ChunkInfo info{id, 0, 0, 0};
    return CreateChunk(&info, flags);
}

HRESULT ChunkFile::CreateChunk(ChunkInfo* info, DWORD /*flags*/)
{
    if (!info)
        return E_POINTER;
    uint8_t header[kChunkHeaderSize];
    PutUInt64(header, info->id);
    PutUInt64(header + 8, info->size);
    if (Write(header, sizeof(header)) != sizeof(header))
        return E_FAIL;
    info->dataStart = GetPosition();
    info->flags |= kChunkCreated;
    m_chunks.push_back(*info);
    return S_OK;
}

HRESULT ChunkFile::DescendById(InterfaceTag id, DWORD flags)
{
    ChunkInfo info{id, 0, 0, 0};
    return Descend(&info, flags);
}

HRESULT ChunkFile::Descend(ChunkInfo* info, DWORD flags)
{
    if (!info)
        return E_POINTER;
    const bool hasParent = !m_chunks.empty();
    // A top-level chunk is bounded by the file; it is cut to the file rather than refused,
    // because a journal left by a crash still holds the size of its last close.
    const uint64_t limit = hasParent ? m_chunks.back().dataStart + m_chunks.back().size : CurrentFileSize();

    InterfaceTag id = 0;
    uint64_t size = 0;
    uint64_t dataStart = 0;
    for (;;) {
        uint64_t position = GetPosition();
        if (hasParent && (position >= limit || limit - position < kChunkHeaderSize))
            return E_FAIL;
        if (!ReadHeader(&id, &size))
            return E_FAIL;
        dataStart = position + kChunkHeaderSize;
        const bool fits = dataStart <= limit && size <= limit - dataStart;
        const bool wanted = !(flags & kChunkFindById) || id == info->id;
        if (wanted) {
            if (!fits) {
                if (hasParent)
                    return E_FAIL;
                size = dataStart <= limit ? limit - dataStart : 0;
            }
            break;
        }
        // Skip a chunk that is not wanted; one running past its parent or the file ends the search.
        if (!fits)
            return E_FAIL;
        uint64_t next = PaddedEnd(dataStart, size);
        if (Seek(static_cast<int64_t>(next), kSeekBegin) != next)
            return E_FAIL;
    }

    info->id = id;
    info->size = size;
    info->dataStart = dataStart;
    info->flags &= ~kChunkCreated;
    m_chunks.push_back(*info);
    return S_OK;
}

HRESULT ChunkFile::Ascend()
{
    if (m_chunks.empty())
        throw CKvSSException(E_FAIL);
    ChunkInfo& chunk = m_chunks.back();
    if (chunk.flags & kChunkCreated) {
        uint64_t position = GetPosition();
        uint64_t size = position > chunk.dataStart ? position - chunk.dataStart : 0;
        if (size != chunk.size) {
            chunk.size = size;
            uint8_t bytes[8];
            PutUInt64(bytes, size);
            Seek(static_cast<int64_t>(chunk.dataStart - 8), kSeekBegin);
            if (Write(bytes, sizeof(bytes)) != sizeof(bytes))
                throw CKvSSException(E_FAIL);
            Seek(static_cast<int64_t>(position), kSeekBegin);
        }
        if (position & 1) {
            const uint8_t pad = 0;
            if (Write(&pad, 1) != 1)
                throw CKvSSException(E_FAIL);
        }
    } else {
        Seek(static_cast<int64_t>(PaddedEnd(chunk.dataStart, chunk.size)), kSeekBegin);
    }
    m_chunks.pop_back();
    return S_OK;
}

ChunkInfo* ChunkFile::GetCurrentChunk()
{
    if (m_chunks.empty())
        throw CKvSSException(E_FAIL);
    return &m_chunks.back();
}
