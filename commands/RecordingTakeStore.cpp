#include "FileCommands.h"

#include "CommandHeader.h"
#include "OperationEdge.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr InterfaceTag kTakeStoreChunkId = MakeTag("KSCMKREC");
}

RecordingTakeStore::RecordingTakeStore(const char* path)
{
    Open(path);
}

RecordingTakeStore::~RecordingTakeStore()
{
    Close();
}

HRESULT RecordingTakeStore::Open(const char* path)
{
    if (!path)
        return E_POINTER;
    return RunAtEdge([&] {
        ThrowIfFailed(Close());
        m_file = CreateChunkFile();
        if (!m_file)
            throw CKvSSException(E_OUTOFMEMORY);
        m_file->SetFileName(path);
        // The path is the store's from here: closing deletes what was opened or created.
        m_path = path;
        m_file->Open(m_file->Exists() ? kFileReadWrite : kFileCreate);
        if (FAILED(m_file->DescendById(0, 0)))
            ThrowIfFailed(m_file->CreateChunkById(kTakeStoreChunkId, 0));
        ChunkInfo* chunk = m_file->GetCurrentChunk();
        if (chunk->id != kTakeStoreChunkId)
            throw CKvSSException(kBadJournal);
        uint64_t fileSize = m_file->GetSize();
        uint64_t size = fileSize > chunk->dataStart ? fileSize - chunk->dataStart : 0;
        if (chunk->size != size)
            chunk->size = size;
        return S_OK;
    });
}

HRESULT RecordingTakeStore::Close()
{
    if (m_file) {
        RunAtEdge([&] {
            m_file->Close();
            return S_OK;
        });
        m_file->Release();
        m_file = nullptr;
    }
    if (!m_path.empty()) {
        if (!m_keep)
            ::DeleteFileA(m_path.c_str());
        m_path.clear();
    }
    return S_OK;
}

HRESULT RecordingTakeStore::GetPath(char* buffer, UINT length)
{
    if (!buffer)
        return E_POINTER;
    std::memcpy(buffer, m_path.c_str(), std::min<size_t>(length, m_path.size() + 1));
    return S_OK;
}

HRESULT RecordingTakeStore::GetChunkFile(IChunkFile** file)
{
    if (!file)
        return E_POINTER;
    *file = nullptr;
    if (!m_file)
        return E_FAIL;
    return m_file->QueryInterface(MakeTag("K CKFILE"), reinterpret_cast<void**>(file));
}

HRESULT RecordingTakeStore::GetLinkedObject(IUnknown** object)
{
    if (!object)
        return E_POINTER;
    *object = m_linked.Get();
    if (*object)
        (*object)->AddRef();
    return S_OK;
}

HRESULT RecordingTakeStore::SetLinkedObject(IUnknown* object)
{
    m_linked = ComRef<IUnknown>::Share(object);
    return S_OK;
}

HRESULT RecordingTakeStore::GetUserValue(UINT_PTR* value)
{
    if (!value)
        return E_POINTER;
    *value = m_userValue;
    return S_OK;
}

HRESULT RecordingTakeStore::SetUserValue(UINT_PTR value)
{
    m_userValue = value;
    return S_OK;
}
