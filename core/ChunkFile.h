// ChunkFile: a file of nested chunks, the container of the project files, the command
// journal and the recording take stores.
//
// Each chunk is a 16-byte header (8-byte id as an InterfaceTag, unsigned 64-bit data size)
// followed by its data; when the data ends at an odd file position one zero pad byte
// follows. Data may hold further chunks.
//
//   IChunkFile* file = CreateChunkFile();             // one reference, closed
//   file->SetFileName(path);
//   file->Open(kFileCreate);
//   file->CreateChunkById(MakeTag("KSCMKDOC"), 0);    // header with size 0
//   file->Write(record, sizeof(record));
//   file->Ascend();                                    // size fixed, pad byte written
//   file->Close();                                     // ascends whatever is still open
//   file->Release();
//
// Reading: DescendById(id, kChunkFindById) finds a chunk inside the current one (id 0 and no
// flag: the next chunk), GetCurrentChunk() gives its size, Read stays inside it, Ascend moves
// past it. A chunk that claims more bytes than its parent holds is refused; a top-level chunk
// that claims more than the file holds (a journal left by a crash) is cut to what is there.
//
// Platform failures (open, read, write, seek) are thrown as CKvSSException with
// 0x80070000 | the system error; format conditions are returned as E_FAIL. The chunk walk
// itself is ChunkWalker's, over the file's handle.
#pragma once
#include "ChunkWalker.h"
#include "FileHandle.h"
#include "TaggedInterface.h"

#include <string>

// Open modes.
constexpr DWORD kFileRead = 1;      // existing file, read only
constexpr DWORD kFileReadWrite = 2; // existing file, read and write
constexpr DWORD kFileCreate = 3;    // file created anew (an existing one emptied), read and write

// Plain file access, tag "KSFILE  ".
struct IFile : ITaggedObject {
    // Opens the named file in a mode above; other readers and writers may share it.
    // Returns the file size, which GetSize keeps. Throws E_FAIL for another mode.
    virtual uint64_t STDMETHODCALLTYPE Open(DWORD mode) = 0;
    // Ascends every open chunk (innermost first), then closes; nothing when closed.
    virtual void STDMETHODCALLTYPE Close() = 0;
    // Bytes read; never past the end of the innermost chunk entered for reading.
    virtual DWORD STDMETHODCALLTYPE Read(void* buffer, DWORD bytes) = 0;
    virtual DWORD STDMETHODCALLTYPE Write(const void* buffer, DWORD bytes) = 0;
    // Returns the new position.
    virtual uint64_t STDMETHODCALLTYPE Seek(int64_t offset, DWORD origin) = 0;
    virtual uint64_t STDMETHODCALLTYPE GetPosition() = 0;
    // The size taken at open (writing does not change it).
    virtual uint64_t STDMETHODCALLTYPE GetSize() = 0;
    // Ends the file at the current position; 0 when not writable or on failure.
    virtual BOOL STDMETHODCALLTYPE SetEndOfFile() = 0;
    // 1 when open or when the named file can be opened for reading.
    virtual BOOL STDMETHODCALLTYPE Exists() = 0;
    virtual BOOL STDMETHODCALLTYPE IsOpen() = 0;
    virtual BOOL STDMETHODCALLTYPE IsWritable() = 0;
    // Copies at most length characters of the name, with the end mark when it fits;
    // returns the name's full length.
    virtual DWORD STDMETHODCALLTYPE GetFileName(char* buffer, DWORD length) = 0;
    // Null sets an empty name.
    virtual void STDMETHODCALLTYPE SetFileName(const char* name) = 0;
};

// Chunk access, tag "K CKFILE".
struct IChunkFile : IFile {
    // Writes a header for id with size 0 at the current position and enters the chunk.
    // E_FAIL on a short write.
    virtual HRESULT STDMETHODCALLTYPE CreateChunkById(InterfaceTag id, DWORD flags) = 0;
    // Writes a header from info (id and size), enters the chunk and fills in info's data
    // start and kChunkCreated. flags is unused.
    virtual HRESULT STDMETHODCALLTYPE CreateChunk(ChunkInfo* info, DWORD flags) = 0;
    // Enters the next chunk inside the current one (or of the file); with kChunkFindById the
    // next chunk whose id is id. E_FAIL, with nothing entered, when there is none, the header
    // is short, or the chunk runs past its parent.
    virtual HRESULT STDMETHODCALLTYPE DescendById(InterfaceTag id, DWORD flags) = 0;
    // As DescendById with info's id; fills info's id, size and data start.
    virtual HRESULT STDMETHODCALLTYPE Descend(ChunkInfo* info, DWORD flags) = 0;
    // Leaves the innermost chunk: a created one gets its size (current position - data start)
    // and a pad byte when it ends at an odd position; after a read one the position moves
    // past its data and pad. Throws E_FAIL with no chunk open.
    virtual HRESULT STDMETHODCALLTYPE Ascend() = 0;
    // The innermost chunk (callers may change its size); valid until the next descend or
    // create. Throws E_FAIL with no chunk open.
    virtual ChunkInfo* STDMETHODCALLTYPE GetCurrentChunk() = 0;
    virtual DWORD STDMETHODCALLTYPE GetChunkDepth() = 0;
};

// A closed chunk file with no name and one reference; null when memory runs out.
IChunkFile* CreateChunkFile();

class ChunkFile : public TaggedObject<IChunkFile, kTagChunkFile, kTagFile> {
public:
    ChunkFile() = default;
    ~ChunkFile() override;

    uint64_t STDMETHODCALLTYPE Open(DWORD mode) override;
    void STDMETHODCALLTYPE Close() override;
    DWORD STDMETHODCALLTYPE Read(void* buffer, DWORD bytes) override;
    DWORD STDMETHODCALLTYPE Write(const void* buffer, DWORD bytes) override;
    uint64_t STDMETHODCALLTYPE Seek(int64_t offset, DWORD origin) override;
    uint64_t STDMETHODCALLTYPE GetPosition() override;
    uint64_t STDMETHODCALLTYPE GetSize() override { return m_size; }
    BOOL STDMETHODCALLTYPE SetEndOfFile() override;
    BOOL STDMETHODCALLTYPE Exists() override;
    BOOL STDMETHODCALLTYPE IsOpen() override { return m_handle.IsValid(); }
    BOOL STDMETHODCALLTYPE IsWritable() override { return m_mode == kFileReadWrite || m_mode == kFileCreate; }
    DWORD STDMETHODCALLTYPE GetFileName(char* buffer, DWORD length) override;
    void STDMETHODCALLTYPE SetFileName(const char* name) override { m_name = name ? name : ""; }

    HRESULT STDMETHODCALLTYPE CreateChunkById(InterfaceTag id, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE CreateChunk(ChunkInfo* info, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE DescendById(InterfaceTag id, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Descend(ChunkInfo* info, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Ascend() override;
    ChunkInfo* STDMETHODCALLTYPE GetCurrentChunk() override;
    DWORD STDMETHODCALLTYPE GetChunkDepth() override { return m_chunks.Depth(); }

private:
    // The open handle's bytes, as the walker reads and writes them.
    class HandleStore : public ChunkStore {
    public:
        explicit HandleStore(const FileHandle& handle) : m_handle(handle) {}
        DWORD Read(void* buffer, DWORD bytes) override;
        DWORD Write(const void* buffer, DWORD bytes) override;
        uint64_t Seek(int64_t offset, DWORD origin) override;
        uint64_t CurrentSize() override;

    private:
        const FileHandle& m_handle;
    };

    FileHandle m_handle;
    HandleStore m_store{m_handle};
    ChunkWalker m_chunks{m_store};
    std::string m_name;
    DWORD m_mode = 0;
    uint64_t m_size = 0;
};
