// MemoryChunkStore: bytes in memory as a chunk store (ChunkWalker.h), growing as a file does
// when written past its end; and CheckChunkTree, a walk of every chunk of a store that checks
// what the walker promises, for tests and the fuzzer alike.
#pragma once
#include "ChunkWalker.h"
#include "KvSSException.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

class MemoryChunkStore : public ChunkStore {
public:
    MemoryChunkStore() = default;
    explicit MemoryChunkStore(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    DWORD Read(void* buffer, DWORD bytes) override
    {
        const uint64_t left = m_position < m_bytes.size() ? m_bytes.size() - m_position : 0;
        const DWORD done = static_cast<DWORD>(std::min<uint64_t>(bytes, left));
        if (done)
            std::memcpy(buffer, m_bytes.data() + m_position, done);
        m_position += done;
        return done;
    }
    DWORD Write(const void* buffer, DWORD bytes) override
    {
        if (m_position + bytes > m_bytes.size())
            m_bytes.resize(m_position + bytes);
        if (bytes)
            std::memcpy(m_bytes.data() + m_position, buffer, bytes);
        m_position += bytes;
        return bytes;
    }
    // As a file: past the end is allowed, before the start is refused.
    uint64_t Seek(int64_t offset, DWORD origin) override
    {
        const int64_t base = origin == kSeekBegin ? 0
                             : origin == kSeekCurrent ? static_cast<int64_t>(m_position)
                                                      : static_cast<int64_t>(m_bytes.size());
        if (origin > kSeekEnd || (offset < 0 && -offset > base))
            throw CKvSSException(E_INVALIDARG);
        m_position = static_cast<uint64_t>(base + offset);
        return m_position;
    }
    uint64_t CurrentSize() override { return m_bytes.size(); }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_position = 0;
};

// Walks every chunk under the walker's current one (or the whole store), depth first to
// maxDepth levels, reading each one's data. Appends one line per chunk entered to *outline
// ("depth id size"), and returns the first promise broken (empty when none): a chunk outside
// its parent or the store, a read past a chunk, a failed descend that entered something, an
// ascend that does not land past the chunk and its pad.
inline std::string CheckChunkTree(ChunkWalker& chunks, MemoryChunkStore& store, int maxDepth, std::string* outline)
{
    const DWORD level = chunks.Depth();
    const uint64_t storeSize = store.CurrentSize();
    const uint64_t parentEnd = level ? chunks.Current()->dataStart + chunks.Current()->size : storeSize;
    for (int count = 0; count < 256; ++count) {
        ChunkInfo info{0, 0, 0, 0};
        if (FAILED(chunks.Descend(&info, 0)))
            return chunks.Depth() == level ? std::string() : "a failed descend entered a chunk";
        if (chunks.Depth() != level + 1)
            return "a descend did not enter one chunk";
        if (info.dataStart > parentEnd || info.size > parentEnd - info.dataStart || parentEnd > storeSize)
            return "a chunk runs past its parent or the store";
        *outline += std::to_string(level) + ' ' + std::to_string(info.id) + ' ' + std::to_string(info.size) + '\n';
        uint8_t piece[37];
        uint64_t total = 0;
        while (DWORD done = chunks.Read(piece, sizeof(piece))) {
            total += done;
            if (total > info.size)
                return "a read passed the end of its chunk";
        }
        if (total != info.size)
            return "a chunk's data could not be read whole";
        if (static_cast<int>(level) + 1 < maxDepth && info.size >= kChunkHeaderSize) {
            store.Seek(static_cast<int64_t>(info.dataStart), kSeekBegin);
            std::string inner = CheckChunkTree(chunks, store, maxDepth, outline);
            if (!inner.empty())
                return inner;
        }
        chunks.Ascend();
        const uint64_t end = info.dataStart + info.size;
        if (chunks.Depth() != level || store.Seek(0, kSeekCurrent) != end + (end & 1))
            return "an ascend did not land past the chunk and its pad";
    }
    return std::string();
}
