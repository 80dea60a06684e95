#include "ChunkWalker.h"

#include "KvSSException.h"

#include <algorithm>

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

DWORD ChunkWalker::Read(void* buffer, DWORD bytes)
{
    if (!m_chunks.empty() && !(m_chunks.back().flags & kChunkCreated)) {
        const ChunkInfo& chunk = m_chunks.back();
        uint64_t end = chunk.dataStart + chunk.size;
        uint64_t position = Position();
        uint64_t left = position < end ? end - position : 0;
        bytes = static_cast<DWORD>(std::min<uint64_t>(bytes, left));
    }
    return m_store.Read(buffer, bytes);
}

bool ChunkWalker::ReadHeader(InterfaceTag* id, uint64_t* size)
{
    uint8_t header[kChunkHeaderSize];
    if (m_store.Read(header, sizeof(header)) != sizeof(header))
        return false;
    *id = GetUInt64(header);
    *size = GetUInt64(header + 8);
    return true;
}

HRESULT ChunkWalker::Create(ChunkInfo* info)
{
    if (!info)
        return E_POINTER;
    uint8_t header[kChunkHeaderSize];
    PutUInt64(header, info->id);
    PutUInt64(header + 8, info->size);
    if (m_store.Write(header, sizeof(header)) != sizeof(header))
        return E_FAIL;
    info->dataStart = Position();
    info->flags |= kChunkCreated;
    m_chunks.push_back(*info);
    return S_OK;
}

HRESULT ChunkWalker::Descend(ChunkInfo* info, DWORD flags)
{
    if (!info)
        return E_POINTER;
    const bool hasParent = !m_chunks.empty();
    // A top-level chunk is bounded by the store; it is cut to the store rather than refused,
    // because a journal left by a crash still holds the size of its last close.
    const uint64_t limit = hasParent ? m_chunks.back().dataStart + m_chunks.back().size : m_store.CurrentSize();

    InterfaceTag id = 0;
    uint64_t size = 0;
    uint64_t dataStart = 0;
    for (;;) {
        uint64_t position = Position();
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
        // Skip a chunk that is not wanted; one running past its parent or the store ends the search.
        if (!fits)
            return E_FAIL;
        uint64_t next = PaddedEnd(dataStart, size);
        if (m_store.Seek(static_cast<int64_t>(next), kSeekBegin) != next)
            return E_FAIL;
    }

    info->id = id;
    info->size = size;
    info->dataStart = dataStart;
    info->flags &= ~kChunkCreated;
    m_chunks.push_back(*info);
    return S_OK;
}

HRESULT ChunkWalker::Ascend()
{
    if (m_chunks.empty())
        throw CKvSSException(E_FAIL);
    ChunkInfo& chunk = m_chunks.back();
    if (chunk.flags & kChunkCreated) {
        uint64_t position = Position();
        uint64_t size = position > chunk.dataStart ? position - chunk.dataStart : 0;
        if (size != chunk.size) {
            chunk.size = size;
            uint8_t bytes[8];
            PutUInt64(bytes, size);
            m_store.Seek(static_cast<int64_t>(chunk.dataStart - 8), kSeekBegin);
            if (m_store.Write(bytes, sizeof(bytes)) != sizeof(bytes))
                throw CKvSSException(E_FAIL);
            m_store.Seek(static_cast<int64_t>(position), kSeekBegin);
        }
        if (position & 1) {
            const uint8_t pad = 0;
            if (m_store.Write(&pad, 1) != 1)
                throw CKvSSException(E_FAIL);
        }
    } else {
        m_store.Seek(static_cast<int64_t>(PaddedEnd(chunk.dataStart, chunk.size)), kSeekBegin);
    }
    m_chunks.pop_back();
    return S_OK;
}

HRESULT ChunkWalker::AscendAll()
{
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
    return failure;
}

ChunkInfo* ChunkWalker::Current()
{
    if (m_chunks.empty())
        throw CKvSSException(E_FAIL);
    return &m_chunks.back();
}
