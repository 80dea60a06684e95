// ChunkWalker: the chunk structure of a chunk file (ChunkFile.h) over any byte store, so that
// the same walk serves the file on disk and bytes in memory.
//
// Each chunk is a 16-byte header (8-byte id, unsigned 64-bit data size, little-endian)
// followed by its data; when the data ends at an odd position one zero pad byte follows.
// Reads inside a chunk entered for reading never pass its end; a chunk that claims more
// bytes than its parent holds is refused, a top-level one that claims more than the store
// holds is cut to what is there. Store failures are thrown by the store (CKvSSException);
// format conditions are returned as E_FAIL.
//
//   ChunkWalker chunks(store);
//   if (SUCCEEDED(chunks.Descend(&info, kChunkFindById))) { chunks.Read(...); chunks.Ascend(); }
#pragma once
#include "InterfaceTag.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// Seek origins.
constexpr DWORD kSeekBegin = 0;
constexpr DWORD kSeekCurrent = 1;
constexpr DWORD kSeekEnd = 2;

constexpr DWORD kChunkFindById = 0x10;      // Descend: find the chunk by its id
constexpr DWORD kChunkCreated = 0x10000000; // the chunk was created here; its size is fixed on ascend
constexpr uint32_t kChunkHeaderSize = 16;

struct ChunkInfo {
    InterfaceTag id;
    uint64_t size;      // data bytes, without header and pad byte
    uint64_t dataStart; // position of the first data byte
    DWORD flags;
};

// The bytes under a chunk file, at a current position. Failures throw CKvSSException.
class ChunkStore {
public:
    // Bytes read at the position and moved past (fewer at the end).
    virtual DWORD Read(void* buffer, DWORD bytes) = 0;
    // Bytes written at the position and moved past.
    virtual DWORD Write(const void* buffer, DWORD bytes) = 0;
    // Moves by offset from origin (kSeekBegin, kSeekCurrent, kSeekEnd); the new position.
    virtual uint64_t Seek(int64_t offset, DWORD origin) = 0;
    // The store's size now.
    virtual uint64_t CurrentSize() = 0;

protected:
    ~ChunkStore() = default;
};

class ChunkWalker {
public:
    explicit ChunkWalker(ChunkStore& store) : m_store(store) {}
    ChunkWalker(const ChunkWalker&) = delete;
    ChunkWalker& operator=(const ChunkWalker&) = delete;

    // Bytes read; never past the end of the innermost chunk entered for reading.
    DWORD Read(void* buffer, DWORD bytes);
    // Writes a header from info (id and size) at the position, enters the chunk and fills in
    // info's data start and kChunkCreated. E_FAIL on a short write.
    HRESULT Create(ChunkInfo* info);
    // Enters the next chunk inside the current one (or of the store); with kChunkFindById the
    // next chunk whose id is info's. Fills info's id, size and data start. E_FAIL, with
    // nothing entered, when there is none, the header is short, or the chunk runs past its
    // parent.
    HRESULT Descend(ChunkInfo* info, DWORD flags);
    // Leaves the innermost chunk: a created one gets its size (position - data start) and a
    // pad byte when it ends at an odd position; after a read one the position moves past its
    // data and pad. Throws E_FAIL with no chunk open.
    HRESULT Ascend();
    // Ascends every chunk, innermost first, each dropped even when its ascend fails; the
    // first failure's code (S_OK when none).
    HRESULT AscendAll();
    // The innermost chunk (callers may change its size); valid until the next descend or
    // create. Throws E_FAIL with no chunk open.
    ChunkInfo* Current();
    DWORD Depth() const { return static_cast<DWORD>(m_chunks.size()); }

private:
    // Reads a header at the position; false when the store ends inside it.
    bool ReadHeader(InterfaceTag* id, uint64_t* size);
    uint64_t Position() { return m_store.Seek(0, kSeekCurrent); }

    ChunkStore& m_store;
    std::vector<ChunkInfo> m_chunks; // last = innermost
};
