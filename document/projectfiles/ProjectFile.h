// CProjectFile: what the three project formats share. A format class reads a project into a
// document or writes the document out; everything it needs of the document goes through
// ProjectHost, which the document implements (its edits run as one "Import" transaction).
//
//   int format = CProjectFile::DetectProjectFormat(path);   // 1 flat, 2 chunked, 4 multichannel
//   std::unique_ptr<CProjectFile> file = CProjectFile::Create(format, &host);
//   ComRef<IUnknown> command;
//   if (!file->Load(path, command.Out())) ...                // the refusal was shown
//
// A load shows one message for a refusal (none for a cancel) and undoes what it added, so
// the document is as before. A save writes "NY*.tmp" beside the target, flushes and closes it
// and replaces the target by one rename; on failure the target is untouched.
#pragma once
#include "ChunkFile.h"
#include "ComRef.h"
#include "FileHandle.h"
#include "KsMultiTrack.h"
#include "LabelRecord.h"
#include "ProjectRecords.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ProgressReporter;

// Format codes of DetectProjectFormat and CProjectFile::GetTypeCode.
constexpr int kProjectFlat = 1;
constexpr int kProjectChunked = 2;
constexpr int kProjectMultichannel = 4;

constexpr HRESULT kPfErrLoad = static_cast<HRESULT>(0x83E800D1);      // a refusal, already shown
constexpr HRESULT kPfErrTooMany = static_cast<HRESULT>(0x83E80003);   // more stored tracks than a load numbers
constexpr HRESULT kPfErrCancelled = static_cast<HRESULT>(0x83E80005); // the user stopped it
constexpr HRESULT kPfErrMemory = static_cast<HRESULT>(0x83E80064);
constexpr HRESULT kPfErrNotProject = static_cast<HRESULT>(0x83E803E9);

// The sample rates the chunked and multichannel forms hold (the flat form: up to 96000).
constexpr DWORD kChunkedMinRate = 2000;
constexpr DWORD kChunkedMaxRate = 192000;

// The view and settings values a project carries (the settings record's value fields counted
// after its size word; 5 and 6 are the two halves of the frame rate).
struct ProjectWorkspace {
    int64_t timeZoom = 0;
    uint32_t amplitudeZoom = 0;
    uint32_t viewOptions = 0; // bits 0-6
    uint32_t field4 = 0, field5 = 0, field6 = 0, field7 = 0;
    uint16_t field8 = 0, field9 = 0, field10 = 0;
    uint8_t field11 = 0, field12 = 0;
    uint32_t field13 = 0, field14 = 0;
    uint16_t field15 = 0;
    uint16_t grouping = 1;
};

// What a project format asks of the document.
class ProjectHost {
public:
    virtual IMtTrackSet* TrackSet() = 0;
    // The bits the document stores in files (8, 16, 20, 24 or 32) and its type (1 multichannel).
    virtual WORD StoredBits() = 0;
    virtual uint32_t DocumentType() = 0;
    // An empty document takes the file's format (engine bits and rate, stored bits) and type.
    virtual void TakeFormat(WORD bits, DWORD rate, WORD storedBits) = 0;
    virtual void SetDocumentType(uint32_t type) = 0;

    virtual int GetTrackGroup(int index) = 0;
    virtual void SetTrackGroup(IMtTrack* track, int group) = 0;
    virtual BOOL GetTrackFlag(int index, DWORD flag) = 0;
    virtual void SetTrackFlag(int index, DWORD flag, BOOL on) = 0;
    virtual COLORREF GetTrackColor(IMtTrack* track) = 0;
    virtual void SetTrackColor(IMtTrack* track, COLORREF colour) = 0;
    virtual COLORREF SkinColor(int index) = 0;
    // The persistent serial number, given on first use.
    virtual DWORD GetTrackSerial(IMtTrack* track) = 0;
    virtual void SetTrackSerial(IMtTrack* track, DWORD serial) = 0;

    // Labels of a track index (-1: of the whole document) meeting from..to, track ids as held.
    virtual void GetLabels(int trackIndex, int64_t from, int64_t to, std::vector<LabelRecord>& out) = 0;
    virtual int TrackIndexToId(int index) = 0;
    virtual int TrackIdToIndex(int id) = 0;

    // The load's edits, run at once and kept in one transaction: the items of the list as new
    // tracks (the last one's track given back); a label (a track label renames the track's).
    virtual HRESULT ImportItems(IMtItemList* items, IMtTrack** track) = 0;
    virtual HRESULT ApplyLabel(const LabelRecord& record) = 0;
    // The transaction's command (null when the load made none); its undo.
    virtual HRESULT GetLoadCommand(IUnknown** command) = 0;
    virtual void UndoLoad() = 0;
    // The engine's temporary store (null: none, every track is read from the file).
    virtual IMtTempStore* TempStore() = 0;

    virtual ProjectWorkspace GetWorkspace() = 0;
    virtual void ApplyWorkspace(const ProjectWorkspace& workspace, BOOL fitView) = 0;
    virtual std::string GetDescription() = 0;
    virtual void SetDescription(const char* text) = 0;
    virtual std::string GetVideoPath() = 0;
    virtual void SetVideoPath(const char* path) = 0;
    virtual void SetCreatorText(const char* signature) = 0;
    // The FILECREA text the program writes ("%s %s%s R%d").
    virtual std::string GetCreatorText() = 0;

    // A load's refusal; a question (IDYES / IDNO); a save's failure (nothing for a cancel).
    virtual void ShowMessage(const char* text) = 0;
    virtual int AskYesNo(const char* text) = 0;
    virtual void ShowErrorCode(HRESULT code) = 0;
    // The owner of conversion progress (may be null).
    virtual HWND ProgressWindow() = 0;

protected:
    ~ProjectHost() = default;
};

class CProjectFile {
public:
    virtual ~CProjectFile();
    CProjectFile(const CProjectFile&) = delete;
    CProjectFile& operator=(const CProjectFile&) = delete;

    // The class of a detected format (1, 2, 4); null for another value.
    static std::unique_ptr<CProjectFile> Create(int format, ProjectHost* host);
    // 1 flat, 2 chunked, 4 multichannel, 0 for any other or unreadable file.
    static int DetectProjectFormat(const char* path);

    // 1 loaded; 0 refused (shown, document as before). command: the load's transaction.
    virtual int Load(const char* path, IUnknown** command) = 0;
    // 1 saved; 0 failed (shown, target untouched).
    virtual int Save(const char* path) = 0;
    // Channels stored in the file; -1 when its header cannot be read; 0 when it cannot be opened.
    virtual int ReadFileInfo(const char* path) = 0;
    virtual WORD GetBitsPerSample() = 0;
    virtual DWORD GetSamplesPerSec() = 0;

    int GetTypeCode() const { return m_typeCode; }
    // Sum of the channel counts of the document's tracks.
    WORD CountChannels();

    // Buffered copies between a chunk and a plain file: S_OK, 0x80070000 | error, memory,
    // cancel. A source that ends early ends the copy.
    static HRESULT CopyChunkToFile(IChunkFile* chunk, HANDLE file, uint64_t length, ProgressReporter* progress);
    static HRESULT CopyFileToChunk(HANDLE file, IChunkFile* chunk, uint64_t length, ProgressReporter* progress);
    // "TRK%d" read from an 8-character id; -1 when it does not read so.
    static int ParseTrackChunkId(InterfaceTag id);
    // The bytes of the current chunk a counted-chunk decoder needs (CountedChunkBytes): fewer
    // when the file ends early.
    static std::vector<uint8_t> ReadCountedChunk(IChunkFile* file, size_t recordSize);
    // A string of the program's table.
    static std::string LoadText(UINT id);

protected:
    CProjectFile(ProjectHost* host, int typeCode);

    // Ends a load: sets the message id (-1: none) and throws kPfErrLoad.
    [[noreturn]] void Refuse(int errorId, HRESULT code = kPfErrLoad);
    // The edge of every Load: runs body; on a throw shows the message, undoes the load's
    // edits and answers 0.
    int RunLoad(const std::function<void()>& body);
    // The edge of every Save: the temporary file beside the target, body writes it, then one
    // atomic replacement of the target.
    int RunSave(const char* path, const std::function<void(const std::string& temp)>& body);
    // Refuses, before anything is written, a document whose rate the chunked forms' readers
    // refuse (the text names the forms that hold it); true when the rate is held.
    bool CheckChunkedRate();
    // "NY*.tmp" in the target's folder.
    static std::string MakeSiblingTempName(const char* target);
    // Replaces target by the written temporary file in one step (the old file stays on failure).
    static void ReplaceTarget(const std::string& temp, const char* target);

    // A load into a document without tracks takes the file's format; 1 when it was empty.
    void PrepareDocument(WORD bits, DWORD rate, WORD storedBits);

    // Opens the load's chunk file (the path becomes the file's path); refuses when it cannot.
    void OpenForLoad(IChunkFile* file, const char* path);
    // ReadFileInfo of the chunked formats: count's answer for the file, -1 when its header
    // cannot be read, 0 when no chunk file can be made.
    static int ReadChunkedInfo(const char* path, const std::function<int(IChunkFile*)>& count);

    // Shared chunk routines (chunked and multichannel formats); they refuse by Refuse.
    void ReadHeaderChunks(IChunkFile* file, void* info, DWORD infoSize, void* workspace, DWORD workspaceSize);
    void ReadTrackChunks(IChunkFile* file);
    void ReadMarkerChunk(IChunkFile* file);
    void WriteHeaderChunks(IChunkFile* file, const void* info, DWORD infoSize, const void* workspace,
                           DWORD workspaceSize);
    void WriteMarkerChunk(IChunkFile* file);

    // Per-track steps of ReadTrackChunks.
    virtual void BeginTrack() {}
    virtual void ReadTrackInfo(IChunkFile* file, int version) = 0;
    virtual void ReadTrackEnvelope(IChunkFile*) { Refuse(-1); }
    virtual void ReadTrackData(IChunkFile* file, int track) = 0;
    virtual void ReadPeakData(IChunkFile* file, int track) = 0;
    // The stored item the engine still holds for the track, or null.
    virtual ComRef<IUnknown> FindStoredTrack(int track) = 0;
    virtual void FinishTrackFromData(int track) = 0;
    virtual void FinishTrackFromItem(int track, IUnknown* item) = 0;

    // Label records in the stored form: track indices relative to the load's first track.
    void StoreLabels(std::vector<LabelRecord>& records, bool splitTrackLabels);
    void ApplyStoredLabel(LabelRecord record, DWORD fileRate);

    // The three import routes; each adds the track to the load's transaction.
    void ImportFileAsTrack(const MtFileItemRecord& record, const char* dataPath, const char* peakPath,
                           IMtTrack** track);
    void ImportItemListAsTrack(IMtItemList* items, IMtTrack** track);
    void ImportStoredItemAsTrack(IUnknown* item, IMtTrack** track);
    // A track from a data file of the record's format (and its peak file), converted first
    // when the document's format differs; the engine owns the files then and the names are
    // emptied. A failure deletes the files and refuses the load.
    ComRef<IMtTrack> ImportTrackFiles(const MtFileItemRecord& record, std::string& dataPath, std::string& peakPath);
    // A track from an item the temporary store holds; a failure refuses the load.
    ComRef<IMtTrack> ImportHeldItem(IUnknown* item);
    // A new temporary file open for writing, its name in *name; refuses the load when none.
    FileHandle CreateTempFile(std::string* name);
    // A progress title of the program's table with a number and a count.
    static std::string ProgressText(UINT id, int number, int count);
    // Asks the temporary store for a held item of record; null when none.
    ComRef<IUnknown> LookupStore(const MtFileItemRecord& record);
    // The data file converted to the document's rate and bits (channels kept): a new item list.
    ComRef<IMtItemList> ConvertData(const MtFileItemRecord& record, const char* dataPath, const char* peakPath);
    // Copies a chunk's data (bounded by the chunk) into a new temporary file with progress.
    std::string CopyChunkToTemp(IChunkFile* file, uint64_t bytes, int track, int count);
    // Copies a whole plain file into the current chunk with the save's progress.
    void CopyFileIntoChunk(IChunkFile* file, const char* path, int number, int count);
    // A frame count at the file's rate as frames at the document's.
    int64_t RescalePosition(int64_t frames, DWORD fileRate);

    ProjectHost* m_host;
    int m_typeCode;
    int m_freshLoad = 0;
    char m_creator[128];
    std::string m_path;
    int m_fitView = 0;
    ComRef<IMtItemList> m_items;
    int m_trackBase = -1;
    int m_errorId = -1;
};

std::unique_ptr<CProjectFile> CreateFlatProjectFile(ProjectHost* host);
std::unique_ptr<CProjectFile> CreateChunkProjectFile(ProjectHost* host);
std::unique_ptr<CProjectFile> CreateMultichannelProjectFile(ProjectHost* host);

// Leaves every chunk entered and goes back to the start of the file.
void RewindChunks(IChunkFile* file);
// Enters the next chunk inside the current one, whatever its id.
HRESULT DescendNext(IChunkFile* file, ChunkInfo* info);

// Deletes a file when the name is not empty.
void DeleteFileIfNamed(const std::string& path);
