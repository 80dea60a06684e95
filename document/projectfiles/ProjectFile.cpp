#include "ProjectFile.h"

#include "FileHandle.h"
#include "FileNames.h"
#include "FormatConverter.h"
#include "GlobalMemory.h"
#include "KsMultiTrackLoader.h"
#include "KvSSException.h"
#include "ProgressReporter.h"
#include "ProjectFileIds.h"
#include "ResourceModule.h"
#include "ScopedChunkFile.h"
#include "TempFilePaths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kCopyBlock = 0x19000;
constexpr DWORD kCloseDelay = 500;
constexpr const char* kChannelSuffix[6] = {"L", "R", "C", "LFE", "Ls", "Rs"};

// Reads exactly bytes or throws the system's error (a short read is a damaged file).
void WriteAll(IFile* file, const void* data, DWORD bytes)
{
    if (file->Write(data, bytes) != bytes)
        throw CKvSSException(LastErrorCode());
}

template <class Copy>
HRESULT CopyLoop(uint64_t length, ProgressReporter* progress, Copy step)
{
    if (progress)
        progress->SetPosition(progress->minimum);
    if (length == 0)
        return S_OK;
    BYTE* block = static_cast<BYTE*>(GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, kCopyBlock));
    if (!block)
        return kPfErrMemory;
    HRESULT hr = S_OK;
    try {
        uint64_t done = 0;
        while (done < length) {
            DWORD want = static_cast<DWORD>(std::min<uint64_t>(length - done, kCopyBlock));
            DWORD got = step(block, want);
            if (got == 0)
                break;
            done += got;
            if (progress) {
                double span = double(progress->maximum) - double(progress->minimum);
                progress->SetPosition(UINT(progress->minimum + span * double(done) / double(length)));
                if (progress->cancelled)
                    throw CKvSSException(kPfErrCancelled);
            }
        }
        if (progress)
            progress->SetPosition(progress->maximum);
    } catch (const CKvSSException& e) {
        hr = e.m_hr;
    }
    GlobalUnlockFree(block);
    return hr;
}

} // namespace

void RewindChunks(IChunkFile* file)
{
    while (file->GetChunkDepth() > 0)
        file->Ascend();
    file->Seek(0, kSeekBegin);
}

HRESULT DescendNext(IChunkFile* file, ChunkInfo* info)
{
    info->id = 0;
    return file->Descend(info, 0);
}

void DeleteFileIfNamed(const std::string& path)
{
    if (!path.empty())
        DeleteFileA(path.c_str());
}

CProjectFile::CProjectFile(ProjectHost* host, int typeCode) : m_host(host), m_typeCode(typeCode)
{
    std::memset(m_creator, 0, sizeof(m_creator));
}

CProjectFile::~CProjectFile() = default;

std::unique_ptr<CProjectFile> CProjectFile::Create(int format, ProjectHost* host)
{
    switch (format) {
    case kProjectFlat:
        return CreateFlatProjectFile(host);
    case kProjectChunked:
        return CreateChunkProjectFile(host);
    case kProjectMultichannel:
        return CreateMultichannelProjectFile(host);
    default:
        return nullptr;
    }
}

int CProjectFile::DetectProjectFormat(const char* path)
{
    int result = 0;
    try {
        ScopedChunkFile file(path, kFileRead);
        char head[16] = {};
        if (file->Read(head, 4) < 4)
            throw CKvSSException(kPfErrNotProject);
        file->Seek(0, kSeekBegin);
        if (std::memcmp(head, kFlatCreator, 4) == 0) {
            // The whole creator text must be there: a shorter file is no project.
            DWORD got = file->Read(head, sizeof(head));
            if (got < 9 || std::memcmp(head, kFlatCreator, 9) != 0)
                throw CKvSSException(kPfErrNotProject);
            result = kProjectFlat;
        } else {
            if (FAILED(file->DescendById(kIdForm, kChunkFindById)) ||
                FAILED(file->DescendById(kIdFileHead, kChunkFindById)))
                throw CKvSSException(kPfErrNotProject);
            ChunkInfo info{};
            while (SUCCEEDED(DescendNext(file.Get(), &info))) {
                if (info.id == kIdFileInfo)
                    result = kProjectChunked;
                else if (info.id == kIdFileInfo4)
                    result = kProjectMultichannel;
                file->Ascend();
            }
        }
    } catch (const CKvSSException&) {
        result = 0;
    } catch (const std::bad_alloc&) {
        result = 0;
    }
    return result;
}

WORD CProjectFile::CountChannels()
{
    IMtTrackSet* set = m_host->TrackSet();
    LONG count = 0;
    if (!set || FAILED(set->GetTrackCount(&count)))
        return 0;
    WORD sum = 0;
    for (LONG i = 0; i < count; ++i) {
        ComRef<IMtTrack> track;
        WORD channels = 0;
        if (SUCCEEDED(set->GetTrack(i, track.Out())) && SUCCEEDED(track->GetChannels(&channels)))
            sum = WORD(sum + channels);
    }
    return sum;
}

HRESULT CProjectFile::CopyChunkToFile(IChunkFile* chunk, HANDLE file, uint64_t length, ProgressReporter* progress)
{
    return CopyLoop(length, progress, [&](BYTE* block, DWORD want) {
        DWORD got = chunk->Read(block, want);
        DWORD written = 0;
        if (got && (!WriteFile(file, block, got, &written, nullptr) || written != got))
            throw CKvSSException(LastErrorCode());
        return got;
    });
}

HRESULT CProjectFile::CopyFileToChunk(HANDLE file, IChunkFile* chunk, uint64_t length, ProgressReporter* progress)
{
    return CopyLoop(length, progress, [&](BYTE* block, DWORD want) {
        DWORD got = 0;
        if (!ReadFile(file, block, want, &got, nullptr))
            throw CKvSSException(LastErrorCode());
        if (got && chunk->Write(block, got) != got)
            throw CKvSSException(LastErrorCode());
        return got;
    });
}

int CProjectFile::ParseTrackChunkId(InterfaceTag id)
{
    return TrackChunkNumber(id);
}

std::vector<uint8_t> CProjectFile::ReadCountedChunk(IChunkFile* file, size_t recordSize)
{
    return ::ReadCountedChunk(file->GetCurrentChunk()->size, recordSize, [file](void* buffer, size_t bytes) {
        return size_t(file->Read(buffer, DWORD(bytes)));
    });
}

std::string CProjectFile::LoadText(UINT id)
{
    char text[512] = {};
    LoadStringA(GetResourceModule(), id, text, sizeof(text));
    return text;
}

void CProjectFile::Refuse(int errorId, HRESULT code)
{
    m_errorId = errorId;
    throw CKvSSException(code);
}

int CProjectFile::RunLoad(const std::function<void()>& body)
{
    m_errorId = -1;
    HRESULT code = S_OK;
    try {
        body();
        return 1;
    } catch (const CKvSSException& e) {
        code = e.m_hr;
    } catch (const std::bad_alloc&) {
        code = kPfErrMemory;
        m_errorId = IDS_PF_NO_MEMORY;
    }
    // Every refusal but a cancel shows a text: a failed step that named none the general one.
    if (code != kPfErrCancelled && m_errorId == -1)
        m_errorId = IDS_PF_LOAD_FAILED;
    if (code != kPfErrCancelled) {
        std::string text = LoadText(UINT(m_errorId));
        if (m_errorId == IDS_PF_CREATED_IN) {
            char formatted[640];
            std::snprintf(formatted, sizeof(formatted), text.c_str(), m_creator);
            text = formatted;
        }
        m_host->ShowMessage(text.c_str());
    }
    m_host->UndoLoad();
    return 0;
}

std::string CProjectFile::MakeSiblingTempName(const char* target)
{
    std::string folder = SplitDirectory(target, false);
    if (folder.empty())
        folder = ".\\";
    char name[MAX_PATH] = {};
    if (!GetTempFileNameA(folder.c_str(), "NY", 0, name))
        throw CKvSSException(LastErrorCode());
    return name;
}

void CProjectFile::ReplaceTarget(const std::string& temp, const char* target)
{
    // The written file reaches the disk before it takes the target's name.
    FileHandle written(CreateFileA(temp.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written.IsValid() || !FlushFileBuffers(written.Get()))
        throw CKvSSException(LastErrorCode());
    written.Reset();
    if (!MoveFileExA(temp.c_str(), target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw CKvSSException(LastErrorCode());
}

int CProjectFile::RunSave(const char* path, const std::function<void(const std::string&)>& body)
{
    m_path = path;
    std::string temp;
    try {
        temp = MakeSiblingTempName(path);
        body(temp);
        ReplaceTarget(temp, path);
        return 1;
    } catch (const CKvSSException& e) {
        HRESULT code = e.m_hr == kPfErrLoad ? LastErrorCode() : e.m_hr;
        DeleteFileIfNamed(temp);
        m_host->ShowErrorCode(code);
    } catch (const std::bad_alloc&) {
        DeleteFileIfNamed(temp);
        m_host->ShowErrorCode(kPfErrMemory);
    }
    return 0;
}

bool CProjectFile::CheckChunkedRate()
{
    DWORD rate = 0;
    m_host->TrackSet()->GetSamplesPerSec(&rate);
    if (rate >= kChunkedMinRate && rate <= kChunkedMaxRate)
        return true;
    char text[640];
    std::snprintf(text, sizeof(text), LoadText(IDS_PF_FORM_RATE_LIMITS).c_str(), unsigned(rate));
    m_host->ShowMessage(text);
    return false;
}

void CProjectFile::PrepareDocument(WORD bits, DWORD rate, WORD storedBits)
{
    LONG count = 0;
    m_host->TrackSet()->GetTrackCount(&count);
    m_freshLoad = count == 0 ? 1 : 0;
    if (m_freshLoad)
        m_host->TakeFormat(bits, rate, storedBits);
}

void CProjectFile::OpenForLoad(IChunkFile* file, const char* path)
{
    m_path = path;
    file->SetFileName(path);
    try {
        file->Open(kFileRead);
    } catch (const CKvSSException&) {
        Refuse(IDS_PF_LOAD_FAILED);
    }
}

int CProjectFile::ReadChunkedInfo(const char* path, const std::function<int(IChunkFile*)>& count)
{
    int result = -1;
    try {
        ScopedChunkFile file(path, kFileRead);
        result = count(file.Get());
    } catch (const CKvSSException&) {
        result = -1;
    } catch (const std::bad_alloc&) {
        result = 0;
    }
    return result;
}

void CProjectFile::ReadHeaderChunks(IChunkFile* file, void* info, DWORD infoSize, void* workspace, DWORD workspaceSize)
{
    // Each class reads only its own record versions: a FILEINF4 never fills a FILEINFO buffer.
    const InterfaceTag infoId = infoSize == sizeof(FileInfo4) ? kIdFileInfo4 : kIdFileInfo;
    const InterfaceTag workId = workspaceSize == sizeof(Workspace4) ? kIdWorkspace4 : kIdWorkspace;
    RewindChunks(file);
    // A form claiming more than the file holds is a cut-off file, not one to read in part.
    struct {
        InterfaceTag id;
        uint64_t size;
    } form{};
    if (file->Read(&form, sizeof(form)) == sizeof(form) && form.id == kIdForm &&
        form.size > file->GetSize() - sizeof(form))
        Refuse(IDS_PF_LOAD_FAILED);
    file->Seek(0, kSeekBegin);
    if (FAILED(file->DescendById(kIdForm, kChunkFindById)))
        Refuse(IDS_PF_LOAD_FAILED);
    if (FAILED(file->DescendById(kIdFileHead, kChunkFindById)))
        Refuse(IDS_PF_DIFFERENT_VERSION);
    std::memset(m_creator, 0, sizeof(m_creator));
    bool infoSeen = false, creatorSeen = false;
    ChunkInfo chunk{};
    while (SUCCEEDED(DescendNext(file, &chunk))) {
        DWORD size = DWORD(std::min<uint64_t>(chunk.size, 0xFFFFFFFFu));
        if (chunk.id == kIdCreator) {
            uint8_t text[sizeof(m_creator) - 1];
            const std::string creator = DecodeCreator(text, file->Read(text, std::min<DWORD>(size, sizeof(text))));
            std::memset(m_creator, 0, sizeof(m_creator));
            std::memcpy(m_creator, creator.data(), creator.size());
            creatorSeen = true;
        } else if (chunk.id == infoId) {
            file->Read(info, std::min(size, infoSize));
            infoSeen = true;
        } else if (chunk.id == workId) {
            file->Read(workspace, std::min(size, workspaceSize));
        }
        file->Ascend();
    }
    if (!infoSeen)
        Refuse(IDS_PF_DIFFERENT_VERSION);
    if (!creatorSeen)
        std::strcpy(m_creator, "Unknown software");
}

void CProjectFile::ReadTrackChunks(IChunkFile* file)
{
    RewindChunks(file);
    if (FAILED(file->DescendById(kIdForm, kChunkFindById)))
        Refuse(IDS_PF_LOAD_FAILED);
    if (FAILED(file->DescendById(kIdTrackList, kChunkFindById)))
        Refuse(IDS_PF_DIFFERENT_VERSION);
    m_trackBase = -1;
    ChunkInfo trackChunk{};
    while (SUCCEEDED(DescendNext(file, &trackChunk))) {
        int number = TrackChunkNumber(trackChunk.id);
        if (number < 0 || number >= kMaxStoredTracks)
            Refuse(IDS_PF_LOAD_FAILED);
        BeginTrack();
        bool infoSeen = false;
        ComRef<IUnknown> stored;
        ChunkInfo chunk{};
        while (SUCCEEDED(DescendNext(file, &chunk))) {
            if (chunk.id == kIdTrackInfo4 || chunk.id == kIdTrackInfo) {
                ReadTrackInfo(file, chunk.id == kIdTrackInfo4 ? 4 : 2);
                stored = FindStoredTrack(number);
                infoSeen = true;
            } else if (chunk.id == kIdEnvelopes) {
                ReadTrackEnvelope(file);
            } else if (chunk.id == kIdTrackData && infoSeen && !stored) {
                ReadTrackData(file, number);
            } else if (chunk.id == kIdPeakData && infoSeen && !stored) {
                ReadPeakData(file, number);
            }
            file->Ascend();
        }
        if (!infoSeen)
            Refuse(IDS_PF_DIFFERENT_VERSION);
        if (stored)
            FinishTrackFromItem(number, stored.Get());
        else
            FinishTrackFromData(number);
        file->Ascend();
    }
}

void CProjectFile::ReadMarkerChunk(IChunkFile* file)
{
    RewindChunks(file);
    if (FAILED(file->DescendById(kIdForm, kChunkFindById)))
        Refuse(IDS_PF_LOAD_FAILED);
    if (FAILED(file->DescendById(kIdMarkers, kChunkFindById)))
        return;
    const std::vector<uint8_t> bytes = ReadCountedChunk(file, sizeof(LabelRecord));
    std::vector<LabelRecord> records;
    const int fault = DecodeLabels(bytes.data(), bytes.size(), &records);
    if (fault != kRecordSound)
        Refuse(fault);
    for (const LabelRecord& record : records)
        ApplyStoredLabel(record, GetSamplesPerSec());
}

void CProjectFile::ApplyStoredLabel(LabelRecord record, DWORD fileRate)
{
    record.name[sizeof(record.name) - 1] = 0;
    if (record.trackId >= 0 && m_trackBase >= 0)
        record.trackId += m_trackBase;
    record.trackId = record.trackId >= 0 ? m_host->TrackIndexToId(record.trackId) : -1;
    if ((record.kind & 0xFF) == 0 && record.trackId < 0)
        return; // a track label of no track of this load
    if (!m_freshLoad && fileRate && (record.kind & 0xFF) != 0) {
        record.start = RescalePosition(record.start, fileRate);
        record.end = RescalePosition(record.end, fileRate);
    }
    if (FAILED(m_host->ApplyLabel(record)))
        Refuse(IDS_PF_MARKERS_FAILED);
}

void CProjectFile::WriteHeaderChunks(IChunkFile* file, const void* info, DWORD infoSize, const void* workspace,
                                     DWORD workspaceSize)
{
    ThrowIfFailed(file->CreateChunkById(kIdFileHead, 0));
    ThrowIfFailed(file->CreateChunkById(infoSize == sizeof(FileInfo4) ? kIdFileInfo4 : kIdFileInfo, 0));
    WriteAll(file, info, infoSize);
    file->Ascend();
    ThrowIfFailed(file->CreateChunkById(workspaceSize == sizeof(Workspace4) ? kIdWorkspace4 : kIdWorkspace, 0));
    WriteAll(file, workspace, workspaceSize);
    file->Ascend();
    std::string creator = m_host->GetCreatorText();
    ThrowIfFailed(file->CreateChunkById(kIdCreator, 0));
    WriteAll(file, creator.data(), DWORD(creator.size()));
    file->Ascend();
    file->Ascend();
}

void CProjectFile::StoreLabels(std::vector<LabelRecord>& records, bool splitTrackLabels)
{
    records.clear();
    IMtTrackSet* set = m_host->TrackSet();
    LONG count = 0;
    set->GetTrackCount(&count);
    // The stored index of each track's first channel: formats that store mono tracks give
    // every channel a stored track of its own.
    std::vector<int> first(size_t(count) + 1, 0);
    std::vector<WORD> channels(size_t(count), 1);
    for (LONG t = 0; t < count; ++t) {
        ComRef<IMtTrack> track;
        ThrowIfFailed(set->GetTrack(t, track.Out()));
        ThrowIfFailed(track->GetChannels(&channels[size_t(t)]));
        first[size_t(t) + 1] = first[size_t(t)] + (splitTrackLabels ? channels[size_t(t)] : 1);
    }
    std::vector<LabelRecord> labels;
    for (LONG t = -1; t < count; ++t) {
        m_host->GetLabels(t, 0, -1, labels);
        for (const LabelRecord& label : labels) {
            if (splitTrackLabels && t >= 0 && (label.kind & 0xFF) == kLabelTrack) {
                WORD n = channels[size_t(t)];
                for (WORD c = 0; c < n; ++c) {
                    LabelRecord r{};
                    r.trackId = first[size_t(t)] + c;
                    if (n > 1) {
                        std::string name = std::string(label.name, strnlen(label.name, sizeof(label.name))) + " - " +
                                           (c < 6 ? kChannelSuffix[c] : "");
                        std::strncpy(r.name, name.c_str(), sizeof(r.name) - 1);
                    } else {
                        std::memcpy(r.name, label.name, sizeof(r.name));
                    }
                    records.push_back(r);
                }
                continue;
            }
            LabelRecord r = label;
            r.kind &= 0xFF;
            r.trackId = t >= 0 ? first[size_t(t)] : -1;
            records.push_back(r);
        }
    }
}

void CProjectFile::WriteMarkerChunk(IChunkFile* file)
{
    std::vector<LabelRecord> records;
    StoreLabels(records, m_typeCode != kProjectMultichannel);
    ThrowIfFailed(file->CreateChunkById(kIdMarkers, 0));
    const std::vector<uint8_t> bytes = EncodeLabels(records);
    WriteAll(file, bytes.data(), DWORD(bytes.size()));
    file->Ascend();
}

void CProjectFile::ImportFileAsTrack(const MtFileItemRecord& record, const char* dataPath, const char* peakPath,
                                     IMtTrack** track)
{
    // A list of its own per track: the import command keeps the list it ran.
    ComRef<IMtItemList> items;
    ThrowIfFailed(MtEngine::CreateItemList(items));
    ThrowIfFailed(items->AddFileItem(&record, dataPath, peakPath && *peakPath ? peakPath : nullptr, 0));
    ImportItemListAsTrack(items.Get(), track);
}

void CProjectFile::ImportItemListAsTrack(IMtItemList* items, IMtTrack** track)
{
    ComRef<IMtTrack> made;
    ThrowIfFailed(m_host->ImportItems(items, made.Out()));
    if (!made)
        throw CKvSSException(E_FAIL);
    if (m_trackBase < 0) {
        LONG index = -1;
        ThrowIfFailed(m_host->TrackSet()->GetTrackIndex(made.Get(), &index));
        m_trackBase = index;
    }
    *track = made.Detach();
}

void CProjectFile::ImportStoredItemAsTrack(IUnknown* item, IMtTrack** track)
{
    ComRef<IMtItemList> items;
    ThrowIfFailed(MtEngine::CreateItemList(items));
    ThrowIfFailed(items->AddItem(item, 0));
    ImportItemListAsTrack(items.Get(), track);
}

ComRef<IUnknown> CProjectFile::LookupStore(const MtFileItemRecord& record)
{
    ComRef<IUnknown> item;
    IMtTempStore* store = m_host->TempStore();
    if (!store)
        return item;
    HRESULT hr = store->LookupTrack(&record, item.Out(), 1 | kMtLookupHeldOnly);
    if (FAILED(hr))
        Refuse(IDS_PF_STORE_OPEN);
    if (hr != S_OK)
        item.Reset();
    return item;
}

ComRef<IMtItemList> CProjectFile::ConvertData(const MtFileItemRecord& record, const char* dataPath,
                                              const char* peakPath)
{
    IMtTrackSet* set = m_host->TrackSet();
    WORD bits = 16;
    DWORD rate = 44100;
    set->GetBitsPerSample(&bits);
    set->GetSamplesPerSec(&rate);
    ComRef<IMtItemList> source, converted;
    ThrowIfFailed(MtEngine::CreateItemList(source));
    ThrowIfFailed(MtEngine::CreateItemList(converted));
    ThrowIfFailed(source->AddFileItem(&record, dataPath, peakPath && *peakPath ? peakPath : nullptr, 0));
    HRESULT hr = ConvertTrackFile(source.Get(), rate, bits, m_host->ProgressWindow(), 0, converted.Get());
    if (hr == kPfErrCancelled)
        Refuse(-1, kPfErrCancelled);
    if (FAILED(hr))
        Refuse(IDS_PF_CONVERT_FAILED);
    return converted;
}

std::string CProjectFile::ProgressText(UINT id, int number, int count)
{
    char text[kProgressTextLength];
    std::snprintf(text, sizeof(text), LoadText(id).c_str(), number, count);
    return text;
}

FileHandle CProjectFile::CreateTempFile(std::string* name)
{
    TempFilePaths paths;
    *name = paths.MakeTempFileName();
    if (name->empty())
        Refuse(IDS_PF_LOAD_FAILED);
    FileHandle out(CreateFileA(name->c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.IsValid()) {
        DeleteFileA(name->c_str());
        name->clear();
        Refuse(IDS_PF_LOAD_FAILED);
    }
    return out;
}

std::string CProjectFile::CopyChunkToTemp(IChunkFile* file, uint64_t bytes, int track, int count)
{
    std::string name;
    FileHandle out = CreateTempFile(&name);
    ProgressReporter progress(ProgressText(IDS_PF_LOADING_TRACK, track + 1, count).c_str(), nullptr, 0, kCloseDelay,
                              FALSE);
    HRESULT hr = CopyChunkToFile(file, out.Get(), bytes, &progress);
    out.Reset();
    progress.End();
    if (FAILED(hr)) {
        DeleteFileA(name.c_str());
        Refuse(hr == kPfErrCancelled ? -1 : IDS_PF_LOAD_FAILED, hr == kPfErrCancelled ? hr : kPfErrLoad);
    }
    return name;
}

ComRef<IMtTrack> CProjectFile::ImportTrackFiles(const MtFileItemRecord& record, std::string& dataPath,
                                                std::string& peakPath)
{
    if (dataPath.empty())
        Refuse(IDS_PF_LOAD_FAILED);
    IMtTrackSet* set = m_host->TrackSet();
    WORD bits = 0;
    DWORD rate = 0;
    set->GetBitsPerSample(&bits);
    set->GetSamplesPerSec(&rate);
    ComRef<IMtItemList> converted;
    if (bits != record.bitsPerSample || rate != record.samplesPerSec)
        converted = ConvertData(record, dataPath.c_str(), peakPath.c_str());
    ComRef<IMtTrack> made;
    try {
        if (converted)
            ImportItemListAsTrack(converted.Get(), made.Out());
        else
            ImportFileAsTrack(record, dataPath.c_str(), peakPath.c_str(), made.Out());
    } catch (const CKvSSException&) {
        DeleteFileIfNamed(dataPath);
        DeleteFileIfNamed(peakPath);
        dataPath.clear();
        peakPath.clear();
        Refuse(IDS_PF_LOAD_FAILED);
    }
    // The engine owns the files now.
    dataPath.clear();
    peakPath.clear();
    return made;
}

ComRef<IMtTrack> CProjectFile::ImportHeldItem(IUnknown* item)
{
    ComRef<IMtTrack> made;
    try {
        ImportStoredItemAsTrack(item, made.Out());
    } catch (const CKvSSException&) {
        Refuse(IDS_PF_LOAD_FAILED);
    }
    return made;
}

void CProjectFile::CopyFileIntoChunk(IChunkFile* file, const char* path, int number, int count)
{
    FileHandle in(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.IsValid())
        throw CKvSSException(LastErrorCode());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(in.Get(), &size))
        throw CKvSSException(LastErrorCode());
    ProgressReporter progress(ProgressText(IDS_PF_SAVING_TRACK, number, count).c_str(), nullptr, 0, kCloseDelay, TRUE);
    ThrowIfFailed(CopyFileToChunk(in.Get(), file, uint64_t(size.QuadPart), &progress));
    progress.End();
}

int64_t CProjectFile::RescalePosition(int64_t frames, DWORD fileRate)
{
    DWORD rate = 0;
    m_host->TrackSet()->GetSamplesPerSec(&rate);
    if (!fileRate || !rate || rate == fileRate)
        return frames;
    return int64_t(static_cast<__int128>(frames) * rate / fileRate);
}
