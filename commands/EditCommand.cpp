#include "EditCommand.h"

#include "OperationEdge.h"
#include "StreamChunkFile.h"

#include <algorithm>
#include <cstring>

EditCommand::EditCommand(const char* name)
{
    if (name)
        m_name = name;
}

HRESULT EditCommand::GetName(char* buffer, UINT length)
{
    if (!buffer)
        return E_POINTER;
    std::memcpy(buffer, m_name.data(), std::min<size_t>(length, m_name.size()));
    return S_OK;
}

HRESULT EditCommand::SetName(const char* name)
{
    if (!name)
        return E_POINTER;
    return RunAtEdge([&] {
        m_name = name;
        return S_OK;
    });
}

HRESULT EditCommand::CopyTypeName(const char* typeName, char* buffer, UINT length)
{
    if (!buffer)
        return E_POINTER;
    std::memcpy(buffer, typeName, std::min<size_t>(length, std::strlen(typeName)));
    return S_OK;
}

HRESULT EditCommand::Load(IJournalFile* stream)
{
    if (!stream)
        return E_POINTER;
    return RunAtEdge([&] { return ReadBody(stream); });
}

HRESULT EditCommand::Save(IJournalFile* stream)
{
    return RunAtEdge([&] {
        StreamChunkFile file(stream);
        ThrowIfFailed(file->CreateChunkById(kCommandChunkId, 0));
        HRESULT hr = RunAtEdge([&] { return WriteBody(stream); });
        // The chunk is closed whatever the body did; the body's failure is the one reported.
        HRESULT closed = RunAtEdge([&] { return file->Ascend(); });
        return FAILED(hr) ? hr : closed;
    });
}

HRESULT EditCommand::GetSizeMax(ULONG* size)
{
    if (!size)
        return E_POINTER;
    return GetSize(size);
}

HRESULT EditCommand::GetSize(ULONG* size)
{
    *size = CommandHeader::kSize;
    return S_OK;
}

HRESULT EditCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[CommandHeader::kSize] = {};
    FillHeader(block, CommandHeader::kSize);
    return WriteRecord(stream, block, sizeof block);
}

HRESULT EditCommand::ReadBody(IJournalFile* stream)
{
    uint8_t block[CommandHeader::kSize] = {};
    return ReadRecord(stream, block, sizeof block);
}

void EditCommand::FillHeader(uint8_t* block, uint16_t recordSize)
{
    CommandHeader::Fill(block, recordSize, this);
}

HRESULT EditCommand::WriteRecord(IJournalFile* stream, const uint8_t* block, size_t size)
{
    return RunAtEdge([&] {
        StreamChunkFile file(stream);
        DWORD written = file->Write(block, static_cast<DWORD>(size));
        return written == size ? S_OK : STG_E_WRITEFAULT;
    });
}

uint16_t EditCommand::StoredRecordSize(IJournalFile* stream)
{
    StreamChunkFile file(stream);
    uint8_t size[2] = {};
    const DWORD read = file->Read(size, sizeof size);
    file->Seek(-static_cast<int64_t>(read), kSeekCurrent);
    return read == sizeof size ? CommandHeader::RecordSize(size) : 0;
}

HRESULT EditCommand::ReadRecord(IJournalFile* stream, uint8_t* block, size_t size)
{
    return RunAtEdge([&] {
        StreamChunkFile file(stream);
        const ChunkInfo* chunk = file->GetCurrentChunk();
        uint64_t position = file->GetPosition();
        uint64_t end = chunk->dataStart + chunk->size;
        if (position > end || end - position < size)
            return kBadJournal;
        if (file->Read(block, static_cast<DWORD>(size)) != size)
            return kBadJournal;
        return SetName(CommandHeader::Name(block).c_str());
    });
}
