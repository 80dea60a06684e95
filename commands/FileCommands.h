// Commands that bring audio held by engine items into tracks: one item on one track
// ("openfile"), the items of a list on the selected tracks ("insertfile") or at the start of
// empty or new tracks ("importfile"), the takes of a recording ("recording"), and an offline
// effect's results ("effectfile", one "mergefile" per rendered track).
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "RecordedCommand.h"
#include "SampleRange.h"

#include <string>

// The engine track that received the audio of a file command (its group-object query).
HRESULT QueryReceivingTrack(ICommandGroupAux* command, IMtTrack** track);

class OpenFileCommand : public RecordedCommand<OpenFileCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "openfile";
    static constexpr uint16_t kRecordSize = 288;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int32_t, &Self::m_trackIndex>(280));
    }

    OpenFileCommand() = default;
    OpenFileCommand(CommandDocument* document, int trackIndex, int64_t position, int64_t length, IUnknown* item);

    STDMETHODIMP Do() override;
    // The track, for the engine track interface id.
    STDMETHODIMP QueryGroupObject(REFIID iid, void** object) override;

private:
    CommandDocument* m_document = nullptr;
    ComRef<IUnknown> m_item;
    SampleRange m_range;
    int m_trackIndex = -1;
};

// Children of these run as they are added; when one fails, those before it are undone in
// reverse and the failure is returned.
class InsertFileCommand : public RecordedCommand<InsertFileCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "insertfile";
    static constexpr uint16_t kRecordSize = 288;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int64_t, &Self::m_inserted>(280));
    }

    InsertFileCommand() = default;
    InsertFileCommand(CommandDocument* document, int64_t position, int64_t length, IMtItemList* items);

    STDMETHODIMP Do() override;
    STDMETHODIMP OnLoaded() override;
    STDMETHODIMP QueryGroupObject(REFIID iid, void** object) override;

private:
    CommandDocument* m_document = nullptr;
    ComRef<IMtItemList> m_items;
    SampleRange m_range;
    int64_t m_inserted = 0;
};

class ImportFileCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "importfile";

    ImportFileCommand() = default;
    // newTracksOnly: never reuse the empty tracks at the end.
    ImportFileCommand(CommandDocument* document, IMtItemList* items, DWORD newTracksOnly);

    STDMETHODIMP Do() override;
    STDMETHODIMP OnLoaded() override;
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }
    STDMETHODIMP QueryGroupObject(REFIID iid, void** object) override;

protected:
    HRESULT ReadBody(IJournalFile* stream) override;

private:
    CommandDocument* m_document = nullptr;
    ComRef<IMtItemList> m_items;
    DWORD m_newTracksOnly = 0;
};

// Saved as one command record holding its takes, not its children; loading runs Do again.
class RecordingCommand : public RecordedCommand<RecordingCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "recording";
    static constexpr uint16_t kHeadSize = 292;
    static constexpr uint16_t kTakeSize = 292; // the take's item record, its track index at 288
    // The size word is 0 and the takes are gathered before the count is known: the record is
    // written and read here, by this description.
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kHeadSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int64_t, &Self::m_recorded>(280))
            .WithList({288, kTakeSize, 0x7FFFFFu});
    }

    RecordingCommand() = default;
    // The recording range is the document's ordered selection now.
    RecordingCommand(CommandDocument* document, IMtItemList* takes);

    // No takes: 0x83E80005, nothing changed.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP Load(IJournalFile* stream) override { return EditCommand::Load(stream); }
    STDMETHODIMP Save(IJournalFile* stream) override { return EditCommand::Save(stream); }
    STDMETHODIMP GetSizeMax(ULONG* size) override { return EditCommand::GetSizeMax(size); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    LONG TakeCount();

    CommandDocument* m_document = nullptr;
    ComRef<IMtItemList> m_takes;
    SampleRange m_range;
    int64_t m_recorded = 0;
};

// The state of a recording while it runs: a chunk file of its own holding one "KSCM" "KREC"
// chunk, reached as a journal. Its file is deleted when it is closed.
class RecordingTakeStore : public ComObject<IJournalFile> {
public:
    RecordingTakeStore() = default;
    // Opens path; a failure leaves the store closed (see Open).
    explicit RecordingTakeStore(const char* path);
    ~RecordingTakeStore() override;

    // A file that does not start with the chunk: 0x83E80834. A chunk whose size was never
    // updated (left by a crash) is taken to run to the file's end.
    STDMETHODIMP Open(const char* path) override;
    // Closes the file and deletes it, unless KeepFile was called.
    STDMETHODIMP Close() override;
    // The file outlives the store: the takes of a recovery that failed stay for a later start.
    void KeepFile() { m_keep = true; }
    STDMETHODIMP GetPath(char* buffer, UINT length) override;
    STDMETHODIMP GetChunkFile(IChunkFile** file) override;
    STDMETHODIMP GetLinkedObject(IUnknown** object) override;
    STDMETHODIMP SetLinkedObject(IUnknown* object) override;
    STDMETHODIMP GetUserValue(UINT_PTR* value) override;
    STDMETHODIMP SetUserValue(UINT_PTR value) override;

private:
    IChunkFile* m_file = nullptr;
    std::string m_path;
    bool m_keep = false;
    UINT_PTR m_userValue = 0; // the document: as wide as a pointer
    ComRef<IUnknown> m_linked;
};

class MergeFileCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "mergefile";

    MergeFileCommand() = default;
    MergeFileCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length,
                     IUnknown* item, int32_t mergeMode);

    STDMETHODIMP Do() override;
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

private:
    CommandDocument* m_document = nullptr;
    ComRef<IUnknown> m_item;
    SampleRange m_range;
    int m_trackIndex = -1;
    int32_t m_mergeMode = 0;
};

class EffectFileCommand : public RecordedCommand<EffectFileCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "effectfile";
    static constexpr uint16_t kRecordSize = 296;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_old>(264),
                      Value<SampleRange, &Self::m_result>(280));
    }

    EffectFileCommand() = default;
    EffectFileCommand(const char* name, CommandDocument* document, IMtItemList* results, int32_t mergeMode);

    // No results: 0x83E80005, nothing changed.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override;

private:
    CommandDocument* m_document = nullptr;
    ComRef<IMtItemList> m_results;
    int32_t m_mergeMode = 0;
    SampleRange m_old;
    SampleRange m_result{-1, -1};
};

// The group-object query of a file command with children: its last child's answer.
HRESULT AskLastFileChild(CommandGroup* group, REFIID iid, void** object);
