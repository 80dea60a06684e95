#include "FileIO.h"

#include "Attributes.h"
#include "CdTrack.h"
#include "GlobalMemory.h"
#include "Sources.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool IsProjectType(LONG type)
{
    return type == kTypeFlat || type == kTypeChunked || type == kTypeMultichannel;
}

const char* TypeName(LONG type)
{
    switch (type) {
    case kTypeWav:
        return "Wave";
    case kTypeAiff:
        return "AIFF";
    case kTypeMpeg:
        return "MPEG Audio";
    case kTypeAvi:
        return "AVI";
    case kTypeCdTrack:
        return "CD Audio Track";
    case kTypeFlat:
        return "Project V1";
    case kTypeChunked:
        return "Project V2";
    case kTypeMultichannel:
        return "Multichannel Project";
    default:
        return "";
    }
}

struct TypeRow {
    LONG type;
    const char* description;
    const char* extensions;
    bool writable;
};
const TypeRow kTypes[] = {
    {kTypeChunked, "Project V2 (*.kvs)", "kvs", true},
    {kTypeFlat, "Project V1 (*.kvs)", "kvs", true},
    {kTypeMultichannel, "Multichannel Project (*.kvs)", "kvs", true},
    {kTypeWav, "Wave (*.wav)", "wav", true},
    {kTypeAiff, "AIFF (*.aif;*.aiff)", "aif;aiff", true},
    {kTypeMpeg, "MPEG Audio (*.mp3;*.mp2;*.mpa)", "mp3;mp2;mpa", false},
    {kTypeAvi, "AVI (*.avi)", "avi", true},
};

HRESULT MakeTable(const std::vector<const TypeRow*>& rows, LONG* count, FileFormatEntry** table)
{
    *count = 0;
    *table = nullptr;
    auto* t = static_cast<FileFormatEntry*>(
        GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, rows.size() * sizeof(FileFormatEntry)));
    if (!t)
        return E_OUTOFMEMORY;
    for (size_t i = 0; i < rows.size(); ++i) {
        t[i].type = rows[i]->type;
        lstrcpynA(t[i].description, rows[i]->description, sizeof t[i].description);
        lstrcpynA(t[i].extensions, rows[i]->extensions, sizeof t[i].extensions);
    }
    *count = static_cast<LONG>(rows.size());
    *table = t;
    return S_OK;
}

void FillNewDocument(LONG type, FileInfoRecord* r)
{
    r->size = sizeof(FileInfoRecord);
    if (type != -1)
        r->fileType = type;
    const WORD bits = r->bitsPerSample ? r->bitsPerSample : 16;
    r->formatTag = bits == 32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    r->formatSamplesPerSec = r->samplesPerSec;
    r->formatBitsPerSample = bits == 20 ? 24 : bits;
    r->validBits = bits;
    lstrcpynA(r->formatName, TypeName(r->fileType), sizeof r->formatName);
}

void FillProject(const InFile& file, LONG detected, LONG hint, FileInfoRecord* r)
{
    r->size = sizeof(FileInfoRecord);
    r->fileType = IsProjectType(hint) ? hint : detected;
    r->soundTracks = 1;
    r->importChannels = 0;
    r->lengthSamples = -1;
    // The flat header keeps the document's rate and bits at fixed places.
    uint8_t h[54];
    if (detected == kTypeFlat && file.ReadSome(0, h, sizeof h) == sizeof h) {
        std::memcpy(&r->samplesPerSec, h + 48, 4);
        std::memcpy(&r->bitsPerSample, h + 52, 2);
    }
    lstrcpynA(r->formatName, TypeName(r->fileType), sizeof r->formatName);
}

} // namespace

bool IsSoundType(LONG type)
{
    return type == kTypeWav || type == kTypeAiff || type == kTypeMpeg || type == kTypeAvi;
}

void* CopyBytesToGlobal(const void* data, size_t bytes)
{
    if (bytes == 0)
        return nullptr;
    void* p = GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (!p)
        throw CKvSSException(E_OUTOFMEMORY);
    std::memcpy(p, data, bytes);
    return p;
}

std::vector<FioMarkerRecord> MarkerRecords(const SoundFile& s)
{
    std::vector<FioMarkerRecord> out;
    int cues = 0, sections = 0;
    for (const SoundMark& m : s.marks) {
        FioMarkerRecord r{};
        r.kind = m.length > 0 ? 2 : 1;
        r.trackId = -1;
        r.start = m.start;
        r.end = m.start + m.length;
        if (!m.name.empty())
            lstrcpynA(r.name, m.name.c_str(), sizeof r.name);
        else if (r.kind == 1)
            std::snprintf(r.name, sizeof r.name, "CUE-%04d", ++cues);
        else
            std::snprintf(r.name, sizeof r.name, "SECTION-%04d", ++sections);
        out.push_back(r);
    }
    return out;
}

ComRef<FileAttributes> NewAttributes(const SoundFile& s)
{
    ComRef<FileAttributes> a(ComObject<IKvSFileAttributes>::Create<FileAttributes>());
    if (!a)
        throw CKvSSException(E_OUTOFMEMORY);
    a->info = s.info;
    a->kept = s.kept;
    return a;
}

std::unique_ptr<SoundSource> OpenSource(const char* path, const SoundFile& s)
{
    switch (s.type) {
    case kTypeMpeg:
        return OpenMpegSource(path, s);
    case kTypeAvi:
        return OpenAviSource(path, s);
    case kTypeCdTrack:
        return OpenCdTrackSource(path, s);
    default:
        return OpenRawSource(path, s);
    }
}

std::string FileNameOf(const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    const char* other = std::strrchr(path, '/');
    if (other > slash)
        slash = other;
    return slash ? slash + 1 : path;
}

void OpenSoundFile(const char* path, LONG type, SoundFile* sound)
{
    if (IsCdTrackPath(path)) {
        ReadCdTrackInfo(path, sound);
        return;
    }
    InFile file(path);
    uint8_t head[64];
    const size_t n = file.ReadSome(0, head, sizeof head);
    LONG detected = DetectType(head, n, path);
    if (detected == -1 && IsSoundType(type) && n >= 9)
        detected = type;
    switch (detected) {
    case kTypeWav:
        ReadWav(file, sound);
        break;
    case kTypeAiff:
        ReadAiff(file, sound);
        break;
    case kTypeMpeg:
        ReadMpegInfo(file, sound);
        break;
    case kTypeAvi: {
        bool video = false;
        ReadAviInfo(path, sound, &video);
        break;
    }
    default:
        throw CKvSSException(kErrInvalidFormat);
    }
    CheckEngineLimits(*sound);
}

void CheckEngineLimits(const SoundFile& s)
{
    const DWORD rate = s.format.rate;
    if (s.format.channels && (rate < kMtMinRate || rate > kMtMaxRate))
        throw CKvSSException(kMtErrFormatNotSupported);
    if (s.hasLoopBlock && s.loop.loopCount && (s.loop.start > 0x7FFFFFFFu || s.loop.end > 0x7FFFFFFFu))
        throw CKvSSException(kMtErrFormatNotSupported);
}

void FillRecord(const SoundFile& s, FileInfoRecord* r)
{
    const StoredFormat& f = s.format;
    r->size = sizeof(FileInfoRecord);
    r->fileType = s.type;
    r->formatValue = 0;
    r->formatFlags = f.extensible ? kFileInfoExtensible : 0;
    r->importChannels = f.channels;
    r->lengthSamples = static_cast<int64_t>(s.frames);
    r->missingFrames = s.missingFrames;
    r->duration = f.rate ? static_cast<int64_t>(s.frames * 10000000ull / f.rate) : 0;
    r->samplesPerSec = f.rate;
    r->bitsPerSample = f.EngineBits();
    r->signedSamples = f.EngineBits() != 8;
    r->soundTracks = f.channels ? 1 : 0;
    r->channelMask = f.channelMask;
    r->validBits = f.validBits;
    r->formatTag =
        (f.coding == Coding::FloatLE || f.coding == Coding::FloatBE) ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    r->channels = f.channels;
    r->formatSamplesPerSec = f.rate;
    r->blockAlign = f.BlockAlign();
    r->avgBytesPerSec = f.rate * f.BlockAlign();
    r->formatBitsPerSample = f.containerBits;
    lstrcpynA(r->formatName, TypeName(s.type), sizeof r->formatName);
    lstrcpynA(r->description, f.channels ? FormatDescription(f).c_str() : "", sizeof r->description);
}

FileIO::~FileIO()
{
    StopPreview();
}

HRESULT FileIO::GetCompletionResult()
{
    return m_last;
}

HRESULT FileIO::SetWriteAttributes(IUnknown* attributes)
{
    m_writeAttributes = ComRef<IUnknown>::Share(attributes);
    return S_OK;
}

HRESULT FileIO::SetTrackSet(IUnknown* trackSet)
{
    ComRef<IMtTrackSet> set = QueryCom<IMtTrackSet>(trackSet);
    if (trackSet && !set)
        return E_NOINTERFACE;
    m_engine = set;
    return S_OK;
}

HRESULT FileIO::SetWriteChannels(LONG channelLimit, LONG value)
{
    m_channelLimit = channelLimit;
    m_writeValue = value;
    return S_OK;
}

HRESULT FileIO::SetVideoPath(const char* path)
{
    m_videoPath = path ? path : "";
    return S_OK;
}

HRESULT FileIO::SetDocumentPath(const char* path)
{
    m_documentPath = path ? path : "";
    return S_OK;
}

HRESULT FileIO::QueryFileInfo(HWND, const char* path, LONG type, LONG, FileInfoRecord* record)
{
    if (!record)
        return E_POINTER;
    return Catching([&] {
        if (!path || !*path) {
            FillNewDocument(type, record);
            return;
        }
        if (IsCdTrackPath(path)) {
            SoundFile s;
            OpenSoundFile(path, type, &s);
            FillRecord(s, record);
            return;
        }
        InFile file(path);
        uint8_t head[64];
        const size_t n = file.ReadSome(0, head, sizeof head);
        const LONG detected = DetectType(head, n, path);
        if (detected == kTypeFlat || detected == kTypeChunked) {
            FillProject(file, detected, type, record);
            return;
        }
        SoundFile s;
        bool video = false;
        if (detected == kTypeAvi) {
            ReadAviInfo(path, &s, &video);
            CheckEngineLimits(s);
        } else {
            OpenSoundFile(path, type, &s);
        }
        FillRecord(s, record);
        record->hasVideo = video ? 1 : 0;
        if (video)
            record->videoValue = 1;
    });
}

HRESULT FileIO::ReadFileMarkers(const char* path, FileInfoRecord* record, LONG* markerCount, void** markers,
                                WORD* fileMarkerCount, void** fileMarkers, void** loopBlock)
{
    if (!path || !markerCount || !markers)
        return E_POINTER;
    *markerCount = 0;
    *markers = nullptr;
    if (fileMarkers)
        *fileMarkers = nullptr;
    if (fileMarkerCount)
        *fileMarkerCount = 0;
    if (loopBlock)
        *loopBlock = nullptr;
    return Catching([&] {
        SoundFile s;
        OpenSoundFile(path, record && IsSoundType(record->fileType) ? record->fileType : -1, &s);
        const std::vector<FioMarkerRecord> marks = MarkerRecords(s);
        FioMarkerRecord* a = CopyToGlobal(marks.data(), marks.size());
        FioMarkerRecord* b = nullptr;
        FioLoopBlock* l = nullptr;
        try {
            if (fileMarkers)
                b = CopyToGlobal(marks.data(), std::min(marks.size(), kMaxFileMarkers));
            if (loopBlock && s.hasLoopBlock)
                l = CopyToGlobal(&s.loop, 1);
        } catch (...) {
            GlobalUnlockFree(a);
            GlobalUnlockFree(b);
            throw;
        }
        *markerCount = static_cast<LONG>(marks.size());
        *markers = a;
        if (fileMarkers) {
            *fileMarkers = b;
            if (fileMarkerCount)
                *fileMarkerCount = static_cast<WORD>(std::min(marks.size(), kMaxFileMarkers));
        }
        if (loopBlock)
            *loopBlock = l;
    });
}

HRESULT FileIO::GetFileAttributes(const char* path, FileInfoRecord* record, IUnknown** attributes)
{
    if (!attributes)
        return E_POINTER;
    *attributes = nullptr;
    return Catching([&] {
        SoundFile s;
        // No file: an empty object, for a file still to be written.
        if (path)
            OpenSoundFile(path, record && IsSoundType(record->fileType) ? record->fileType : -1, &s);
        *attributes = static_cast<IKvSFileAttributes*>(NewAttributes(s).Detach());
    });
}

HRESULT FileIO::GetSaveFormats(LONG multichannel, LONG* count, FileFormatEntry** formats)
{
    if (!count || !formats)
        return E_POINTER;
    std::vector<const TypeRow*> rows;
    for (const TypeRow& r : kTypes) {
        if (!r.writable)
            continue;
        // A multichannel document is kept only by the multichannel project.
        if (multichannel && (r.type == kTypeFlat || r.type == kTypeChunked))
            continue;
        rows.push_back(&r);
    }
    return MakeTable(rows, count, formats);
}

HRESULT FileIO::GetFileTypes(LONG* count, FileFormatEntry** types, LONG)
{
    if (!count || !types)
        return E_POINTER;
    std::vector<const TypeRow*> rows;
    for (const TypeRow& r : kTypes)
        rows.push_back(&r);
    return MakeTable(rows, count, types);
}
