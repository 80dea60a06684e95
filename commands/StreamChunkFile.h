// StreamChunkFile: the chunk file of a journal stream (IJournalFile::GetChunkFile) for the
// length of one operation. Throws CKvSSException when the stream has none.
#pragma once
#include "ChunkFile.h"
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "KvSSException.h"

class StreamChunkFile {
public:
    explicit StreamChunkFile(IJournalFile* stream)
    {
        if (!stream)
            throw CKvSSException(E_POINTER);
        ThrowIfFailed(stream->GetChunkFile(m_file.Out()));
        if (!m_file)
            throw CKvSSException(E_POINTER);
    }
    IChunkFile* operator->() const { return m_file.Get(); }
    IChunkFile* Get() const { return m_file.Get(); }

private:
    ComRef<IChunkFile> m_file;
};
