// Journal helpers for the tests: a chunk file that fails its writes on demand, a history
// that journals through it, a plain journal stream over a chunk file, and readers that
// describe a journal or a stack as text for comparison.
#pragma once
#include "ChunkFile.h"
#include "CommandHistory.h"
#include "CommandInterfaces.h"
#include "ComRef.h"

#include <string>
#include <vector>

namespace kvtest {

// Forwards to a real chunk file. When armed with FailWriteAfter(n), the write after n more
// successful ones writes half its bytes and throws, as a full disk would.
class FaultyChunkFile : public TaggedObject<IChunkFile, kTagChunkFile, kTagFile> {
public:
    FaultyChunkFile();
    ~FaultyChunkFile() override;

    void FailWriteAfter(int writes)
    {
        m_writesLeft = writes;
        m_fired = false;
    }
    void Disarm()
    {
        m_writesLeft = -1;
        m_fired = false;
    }
    bool Fired() const { return m_fired; }
    void FailSetEndOfFile(bool fail) { m_failCut = fail; }

    uint64_t STDMETHODCALLTYPE Open(DWORD mode) override { return m_file->Open(mode); }
    void STDMETHODCALLTYPE Close() override { m_file->Close(); }
    DWORD STDMETHODCALLTYPE Read(void* buffer, DWORD bytes) override { return m_file->Read(buffer, bytes); }
    DWORD STDMETHODCALLTYPE Write(const void* buffer, DWORD bytes) override;
    uint64_t STDMETHODCALLTYPE Seek(int64_t offset, DWORD origin) override { return m_file->Seek(offset, origin); }
    uint64_t STDMETHODCALLTYPE GetPosition() override { return m_file->GetPosition(); }
    uint64_t STDMETHODCALLTYPE GetSize() override { return m_file->GetSize(); }
    BOOL STDMETHODCALLTYPE SetEndOfFile() override { return m_failCut ? FALSE : m_file->SetEndOfFile(); }
    BOOL STDMETHODCALLTYPE Exists() override { return m_file->Exists(); }
    BOOL STDMETHODCALLTYPE IsOpen() override { return m_file->IsOpen(); }
    BOOL STDMETHODCALLTYPE IsWritable() override { return m_file->IsWritable(); }
    DWORD STDMETHODCALLTYPE GetFileName(char* buffer, DWORD length) override
    {
        return m_file->GetFileName(buffer, length);
    }
    void STDMETHODCALLTYPE SetFileName(const char* name) override { m_file->SetFileName(name); }
    HRESULT STDMETHODCALLTYPE CreateChunkById(InterfaceTag id, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE CreateChunk(ChunkInfo* info, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE DescendById(InterfaceTag id, DWORD flags) override
    {
        return m_file->DescendById(id, flags);
    }
    HRESULT STDMETHODCALLTYPE Descend(ChunkInfo* info, DWORD flags) override { return m_file->Descend(info, flags); }
    HRESULT STDMETHODCALLTYPE Ascend() override;
    ChunkInfo* STDMETHODCALLTYPE GetCurrentChunk() override { return m_file->GetCurrentChunk(); }
    DWORD STDMETHODCALLTYPE GetChunkDepth() override { return m_file->GetChunkDepth(); }

private:
    bool FailNow();

    IChunkFile* m_file;
    int m_writesLeft = -1;
    bool m_fired = false;
    bool m_failCut = false;
};

// A history whose journals go through FaultyChunkFile; Faulty() is the latest one, kept
// alive after the history closes it.
class FaultyHistory : public CommandHistory {
public:
    explicit FaultyHistory(CommandDocument* owner = nullptr) : CommandHistory(owner) {}
    FaultyChunkFile* Faulty() const { return m_last.Get(); }

protected:
    IChunkFile* CreateJournalChunkFile() override;

private:
    ComRef<FaultyChunkFile> m_last;
};

// An IJournalFile over a chunk file created anew at path, for saving and loading commands
// without a history.
class FileStream : public ComObject<IJournalFile> {
public:
    explicit FileStream(const std::string& path, DWORD mode = kFileCreate);
    ~FileStream() override;
    IChunkFile* File() const { return m_file; }

    STDMETHODIMP Open(const char*) override { return E_NOTIMPL; }
    STDMETHODIMP Close() override;
    STDMETHODIMP GetPath(char*, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetChunkFile(IChunkFile** file) override;
    STDMETHODIMP GetLinkedObject(IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP SetLinkedObject(IUnknown*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserValue(UINT_PTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetUserValue(UINT_PTR) override { return E_NOTIMPL; }

private:
    IChunkFile* m_file;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// "type:name" of a command; a group adds its children in braces: "transaction:T{test.step:a,...}".
std::string Describe(IEditCommand* command);
// The entries of a stack through its cursor, oldest first.
std::vector<std::string> DescribeCursor(ICommandCursor* cursor);
std::vector<std::string> DescribeUndo(ICommandHistory* history);
std::vector<std::string> DescribeRedo(ICommandHistory* history);
// The records of a journal file read on their own, oldest first; the document's record is
// "doc". Empty with ok false when the file is not a readable journal.
std::vector<std::string> DescribeJournal(const std::string& path, bool* ok);

// The records of a journal read straight from its bytes, without the chunk file: those written
// to their end (header whole, size fixed, data all there), oldest first, described as
// DescribeJournal does. *end is where the last of them ends, pad byte included.
std::vector<std::string> FinishedRecords(const std::vector<uint8_t>& bytes, size_t* end);

// Writes the document's own record into an open journal, as the document does after opening it.
void WriteDocumentRecord(IJournalFile* journal, size_t bytes = 9);

} // namespace kvtest
