// CommandHistory: one per document. Executes and records edit commands, keeps the undo
// and redo stacks, and mirrors the undo stack into a journal file from which unsaved
// work is rebuilt after an interruption.
//
//   history->Do(command, TRUE);    // run and record
//   history->Add(done, TRUE);      // record a command whose edit is already in effect
//   history->Undo(); history->Redo(); history->TakeLast(&command);
//   journal->Open(path);           // replays an existing journal onto the undo stack
//
// Journal: a chunk file holding one "KSCM" "KSTM" chunk; inside it the document's "KDOC"
// record and then one command ("KCMD") or group ("KGRP") chunk per undo entry, oldest
// first. While a journal is open its records and the undo stack agree one for one (Clear
// empties the stacks but leaves the records). An executed edit always stays in the history:
// when its record cannot be written the journal is closed and the failure returned. The
// history remembers where each record starts, so undoing an entry cuts exactly its record,
// pad byte included. A journal made new claims the largest size in its header until Close
// writes the true one, so that one left by a crash reads as running to the file's end;
// opening one replays every finished record and cuts off a last one whose write was cut off.
// A finished record that cannot be replayed ends the replay there: the edits before it stay,
// the file is left as it was for a later attempt, and the history goes on in a copy of its
// records up to that one, beside it (Open returns kJournalReplayedInPart and GetPath names
// the copy). When not even the first record comes back, Open fails and nothing is kept.
#pragma once
#include "ChunkFile.h"
#include "ComRef.h"
#include "CommandDocument.h"
#include "CommandInterfaces.h"
#include "CommandStack.h"

#include <cstdint>
#include <string>
#include <vector>

// Open's answer when it kept the edits before a record it could not replay.
constexpr HRESULT kJournalReplayedInPart = static_cast<HRESULT>(0x03E80835);

class CommandHistory : public ComObject<ICommandHistory, IJournalFile> {
public:
    // owner may be null and is not counted. Throws std::bad_alloc when its stacks cannot be made.
    explicit CommandHistory(CommandDocument* owner);
    ~CommandHistory() override;

    // ICommandHistory
    STDMETHODIMP Clear() override;
    STDMETHODIMP Do(IEditCommand* command, BOOL markModified) override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP GetUndoCursor(ICommandCursor** cursor) override;
    STDMETHODIMP GetRedoCursor(ICommandCursor** cursor) override;
    STDMETHODIMP SetModified(BOOL modified) override;
    STDMETHODIMP IsModified() override;
    STDMETHODIMP Add(IEditCommand* command, BOOL markModified) override;
    STDMETHODIMP TakeLast(IEditCommand** command) override;

    // IJournalFile
    STDMETHODIMP Open(const char* path) override;
    STDMETHODIMP Close() override;
    STDMETHODIMP GetPath(char* buffer, UINT length) override;
    STDMETHODIMP GetChunkFile(IChunkFile** file) override; // E_FAIL while no journal is open
    STDMETHODIMP GetLinkedObject(IUnknown** object) override;
    STDMETHODIMP SetLinkedObject(IUnknown* object) override;
    STDMETHODIMP GetUserValue(UINT_PTR* value) override;
    STDMETHODIMP SetUserValue(UINT_PTR value) override;

protected:
    // A new, closed chunk file for a journal with one reference; null when out of memory.
    virtual IChunkFile* CreateJournalChunkFile();
    // Rebuilds the command of the record whose chunk the file has entered: S_FALSE (no
    // command) for a record of another kind, such as the document's.
    virtual HRESULT ReplayJournal(IChunkFile* file, IEditCommand** command);

private:
    static constexpr int64_t kNoRecord = -1;

    // Enters the next record of the journal when it was written to its end; false (nothing
    // entered) for the torn record that an interrupted write leaves at the end.
    static bool EnterFinishedRecord(IChunkFile* file);
    // Goes on in a new file beside the journal holding its first bytes up to end, leaving the
    // journal as it is; *path receives the new file's name.
    static void ContinueInCopy(IChunkFile* file, const std::string& journal, uint64_t end, std::string* path);
    HRESULT ReplayRecord(IChunkFile* file, IEditCommand** command, int depth);
    HRESULT ReplayCommand(IChunkFile* file, IEditCommand** command);
    HRESULT ReplayGroup(IChunkFile* file, IEditCommand** command, int depth);

    // Pushes an executed edit and journals it; *kept tells whether it went on the undo stack.
    HRESULT Record(IEditCommand* command, BOOL markModified, bool* kept);
    // Appends the record of the command just pushed. A record that cannot be written closes
    // the journal (the failed record cut off); the entry stays on the stack.
    HRESULT JournalNewest(IEditCommand* command);
    // Saves the command at the journal's end; on success *start is where its record begins
    // (kNoRecord without a journal). On failure the journal is cut back as it was.
    HRESULT AppendRecord(IEditCommand* command, int64_t* start);
    // Ends the journal at start, leaving chunks a failed save left open. When the file
    // cannot be cut the journal is closed, since it no longer matches the stacks.
    HRESULT CutJournal(int64_t start, DWORD depth);
    HRESULT PushUndo(IEditCommand* command, int64_t recordStart);
    void Refresh();

    ComRef<CommandStack> m_undo;
    ComRef<CommandStack> m_redo;
    std::vector<int64_t> m_recordStarts; // per undo entry, bottom first: its record's offset
    CommandDocument* m_owner;
    std::string m_path;
    ComRef<IChunkFile> m_journal;
    DWORD m_journalDepth = 0; // chunk depth with only the journal chunk open
    ComRef<IUnknown> m_linked;
    UINT_PTR m_userValue = 0;
    BOOL m_modified = FALSE;
};
