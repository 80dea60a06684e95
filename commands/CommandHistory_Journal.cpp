// The journal side of CommandHistory: opening and replaying a journal, appending and
// cutting records, and the IJournalFile accessors.
#include "CommandHistory.h"

#include "ChunkFile.h"
#include "CommandHeader.h"
#include "CommandRegistry.h"
#include "OperationEdge.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// Deeper nesting than any edit builds; it keeps a crafted journal from exhausting the stack.
constexpr int kMaxGroupDepth = 64;
constexpr uint64_t kOpenJournalSize = ~uint64_t(0);
} // namespace

IChunkFile* CommandHistory::CreateJournalChunkFile()
{
    return CreateChunkFile();
}

// A record's size is written when the record is finished, after all of its data: a header
// cut short, a record running past the end of the file, or a command or group record whose
// size is still 0 (neither is ever empty) is one whose write was cut off.
bool CommandHistory::EnterFinishedRecord(IChunkFile* file)
{
    if (FAILED(file->DescendById(0, 0)))
        return false;
    const ChunkInfo* record = file->GetCurrentChunk();
    if (record->size == 0 && (record->id == kCommandChunkId || record->id == kGroupChunkId)) {
        file->Ascend();
        return false;
    }
    return true;
}

HRESULT CommandHistory::Open(const char* path)
{
    if (!path)
        return E_POINTER;
    Close();
    struct Loaded {
        ComRef<IEditCommand> command;
        int64_t start;
    };
    std::vector<Loaded> loaded;
    std::string continued; // the copy the history goes on in after a partial replay
    ComRef<IChunkFile> file(CreateJournalChunkFile());
    if (!file)
        return E_OUTOFMEMORY;

    m_journal = file; // commands read their records through GetChunkFile while they load
    HRESULT hr = RunAtEdge([&] {
        file->SetFileName(path);
        const bool existed = file->Exists() != FALSE;
        const uint64_t size = file->Open(existed ? kFileReadWrite : kFileCreate);
        if (size == 0) { // a new journal, also in an empty file made ready for it
            // While open, the header claims more than any file holds: a journal left by a
            // crash then reads as running to the file's end (readers cut a top-level chunk
            // to the file) instead of as empty. Close writes the true size.
            ChunkInfo journal{kJournalChunkId, kOpenJournalSize, 0, 0};
            return file->CreateChunk(&journal, 0);
        }

        if (FAILED(file->DescendById(0, 0)))
            return kBadJournal;
        ChunkInfo* journal = file->GetCurrentChunk();
        if (journal->id != kJournalChunkId)
            return kBadJournal;
        // The size in the header is stale after an interruption: the records run to the file's end.
        journal->size = size > journal->dataStart ? size - journal->dataStart : 0;
        const uint64_t end = journal->dataStart + journal->size;

        while (file->GetPosition() < end) {
            const int64_t start = static_cast<int64_t>(file->GetPosition());
            if (!EnterFinishedRecord(file.Get())) {
                // The write of the last record was cut off: replay ends before it, and the
                // next record is written over it.
                file->Seek(start, kSeekBegin);
                if (!file->SetEndOfFile())
                    return LastErrorCode();
                break;
            }
            ComRef<IEditCommand> command;
            HRESULT replayed = ReplayJournal(file.Get(), command.Out());
            if (FAILED(replayed)) {
                if (loaded.empty())
                    return replayed;
                // The edits before this record stay; the journal stays as it is for a later
                // attempt, and the history goes on in a copy of the records that came back.
                ContinueInCopy(file.Get(), path, static_cast<uint64_t>(start), &continued);
                break;
            }
            file->Ascend();
            if (replayed == S_OK) {
                if (!command)
                    return E_POINTER;
                loaded.push_back({std::move(command), start});
            }
        }
        // From here on the journal chunk is written to: its size is fixed when it is closed.
        file->GetCurrentChunk()->flags |= kChunkCreated;
        if (file->Seek(0, kSeekEnd) & 1) {
            const uint8_t pad = 0; // the last record lost its pad byte
            if (file->Write(&pad, 1) != 1)
                return STG_E_WRITEFAULT;
        }
        return S_OK;
    });
    if (FAILED(hr)) {
        // The records replayed before the damage have re-applied their edits: take them back,
        // newest first, so a refused journal leaves the document as it was.
        for (auto it = loaded.rbegin(); it != loaded.rend(); ++it)
            it->command->Undo();
        m_journal.Reset();
        RunAtEdge([&] {
            file->Close();
            return S_OK;
        });
        return hr;
    }

    m_journalDepth = m_journal->GetChunkDepth();
    hr = RunAtEdge([&] {
        m_path = continued.empty() ? path : continued;
        for (Loaded& entry : loaded)
            ThrowIfFailed(PushUndo(entry.command.Get(), entry.start));
        return S_OK;
    });
    return SUCCEEDED(hr) && !continued.empty() ? kJournalReplayedInPart : hr;
}

void CommandHistory::ContinueInCopy(IChunkFile* file, const std::string& journal, uint64_t end, std::string* path)
{
    // Nothing has been written to the journal: closing it leaves its bytes as they are.
    file->Close();
    const size_t slash = journal.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : journal.substr(0, slash);
    char name[MAX_PATH] = {};
    if (!::GetTempFileNameA(folder.c_str(), "KVC", 0, name))
        throw CKvSSException(LastErrorCode());
    try {
        ComRef<IChunkFile> source(CreateChunkFile());
        if (!source)
            throw CKvSSException(E_OUTOFMEMORY);
        source->SetFileName(journal.c_str());
        source->Open(kFileRead);
        file->SetFileName(name);
        file->Open(kFileCreate);
        std::vector<uint8_t> buffer(1 << 20);
        for (uint64_t copied = 0; copied < end;) {
            const DWORD want = static_cast<DWORD>(std::min<uint64_t>(buffer.size(), end - copied));
            if (source->Read(buffer.data(), want) != want || file->Write(buffer.data(), want) != want)
                throw CKvSSException(STG_E_WRITEFAULT);
            copied += want;
        }
        source->Close();
        file->Seek(0, kSeekBegin);
        if (FAILED(file->DescendById(0, 0)))
            throw CKvSSException(kBadJournal);
        ChunkInfo* chunk = file->GetCurrentChunk();
        chunk->size = end - chunk->dataStart;
        file->Seek(0, kSeekEnd);
    } catch (...) {
        file->Close();
        ::DeleteFileA(name);
        throw;
    }
    *path = name;
}

HRESULT CommandHistory::Close()
{
    if (m_journal) {
        ComRef<IChunkFile> journal = std::move(m_journal);
        // A failure to fix the journal's size on close leaves nothing to be done here.
        RunAtEdge([&] {
            journal->Close();
            return S_OK;
        });
        std::fill(m_recordStarts.begin(), m_recordStarts.end(), kNoRecord);
    }
    return S_OK;
}

HRESULT CommandHistory::ReplayJournal(IChunkFile* file, IEditCommand** command)
{
    return RunAtEdge([&] { return ReplayRecord(file, command, 0); });
}

HRESULT CommandHistory::ReplayRecord(IChunkFile* file, IEditCommand** command, int depth)
{
    const InterfaceTag id = file->GetCurrentChunk()->id;
    if (id == kCommandChunkId)
        return ReplayCommand(file, command);
    if (id == kGroupChunkId)
        return depth < kMaxGroupDepth ? ReplayGroup(file, command, depth) : kBadJournal;
    return S_FALSE;
}

HRESULT CommandHistory::ReplayCommand(IChunkFile* file, IEditCommand** command)
{
    uint8_t header[CommandHeader::kSize] = {};
    // Reads stop at the record's end, so a short record gives fewer bytes: step back by what
    // was read, never by the header's size, so the position stays inside the record.
    const DWORD read = file->Read(header, sizeof header);
    file->Seek(-static_cast<int64_t>(read), kSeekCurrent); // the command reads its header itself
    if (read != sizeof header)
        return kBadJournal;

    ComRef<IEditCommand> created;
    HRESULT hr = CreateCommandByName(CommandHeader::TypeName(header).c_str(), created.Out());
    if (FAILED(hr))
        return hr;
    ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(created.Get());
    if (!persist)
        return E_NOINTERFACE;
    hr = persist->Load(this);
    if (SUCCEEDED(hr))
        hr = persist->OnLoaded();
    if (FAILED(hr))
        return hr;
    if (!command)
        return E_POINTER;
    *command = created.Detach();
    return S_OK;
}

HRESULT CommandHistory::ReplayGroup(IChunkFile* file, IEditCommand** command, int depth)
{
    const ChunkInfo* chunk = file->GetCurrentChunk();
    const uint64_t end = chunk->dataStart + chunk->size;

    // The first sub-chunk is the group's own record, which names its type.
    if (FAILED(file->DescendById(0, 0)))
        return kBadJournal;
    ComRef<IEditCommand> group;
    HRESULT hr = file->GetCurrentChunk()->id == kCommandChunkId ? ReplayCommand(file, group.Out()) : kBadJournal;
    if (FAILED(hr))
        return hr;
    file->Ascend();
    ComRef<ICommandList> list = QueryCom<ICommandList>(group.Get());
    if (!list)
        return kBadJournal;

    while (file->GetPosition() < end) {
        ComRef<IEditCommand> child;
        hr = SUCCEEDED(file->DescendById(0, 0)) ? ReplayRecord(file, child.Out(), depth + 1) : kBadJournal;
        if (hr == S_FALSE)
            hr = kBadJournal; // a group holds nothing but commands
        if (SUCCEEDED(hr)) {
            file->Ascend();
            hr = list->Add(child.Get());
        }
        if (FAILED(hr)) {
            group->Undo();
            return hr;
        }
    }
    if (!command)
        return E_POINTER;
    *command = group.Detach();
    return S_OK;
}

HRESULT CommandHistory::AppendRecord(IEditCommand* command, int64_t* start)
{
    *start = kNoRecord;
    if (!m_journal)
        return S_OK;
    ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(command);
    if (!persist)
        return E_NOINTERFACE;
    return RunAtEdge([&] {
        const DWORD depth = m_journalDepth;
        const int64_t begin = static_cast<int64_t>(m_journal->Seek(0, kSeekEnd));
        HRESULT hr = persist->Save(this);
        if (SUCCEEDED(hr) && m_journal->GetChunkDepth() != depth)
            hr = E_UNEXPECTED; // a save that left its chunk open
        if (FAILED(hr)) {
            CutJournal(begin, depth);
            return hr;
        }
        *start = begin;
        return S_OK;
    });
}

HRESULT CommandHistory::CutJournal(int64_t start, DWORD depth)
{
    if (!m_journal)
        return S_OK;
    HRESULT hr = RunAtEdge([&] {
        while (m_journal->GetChunkDepth() > depth) {
            // Left open by a failed save: drop it without writing its size.
            m_journal->GetCurrentChunk()->flags &= ~kChunkCreated;
            m_journal->Ascend();
        }
        m_journal->Seek(start, kSeekBegin);
        return m_journal->SetEndOfFile() ? S_OK : LastErrorCode();
    });
    if (FAILED(hr))
        Close(); // it holds a record the stacks do not
    return hr;
}

HRESULT CommandHistory::GetPath(char* buffer, UINT length)
{
    if (!buffer)
        return E_POINTER;
    std::memcpy(buffer, m_path.data(), std::min<size_t>(length, m_path.size()));
    return S_OK;
}

HRESULT CommandHistory::GetChunkFile(IChunkFile** file)
{
    if (!file)
        return E_POINTER;
    if (!m_journal)
        return E_FAIL;
    return m_journal->QueryInterface(kTagChunkFile, reinterpret_cast<void**>(file));
}

HRESULT CommandHistory::GetLinkedObject(IUnknown** object)
{
    if (!object)
        return E_POINTER;
    *object = ComRef<IUnknown>(m_linked).Detach();
    return S_OK;
}

HRESULT CommandHistory::SetLinkedObject(IUnknown* object)
{
    m_linked = ComRef<IUnknown>::Share(object);
    return S_OK;
}

HRESULT CommandHistory::GetUserValue(UINT_PTR* value)
{
    if (!value)
        return E_POINTER;
    *value = m_userValue;
    return S_OK;
}

HRESULT CommandHistory::SetUserValue(UINT_PTR value)
{
    m_userValue = value;
    return S_OK;
}
