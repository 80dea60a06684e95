#include "FileIO.h"

#include "Attributes.h"
#include "AviSave.h"
#include "CdTrack.h"
#include "GlobalMemory.h"
#include "KvSSException.h"
#include "SampleCodec.h"
#include "Sources.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr size_t kBlockFrames = 262144; // a multiple of the peak block
constexpr UINT kPreviewMessage = 0x536;
constexpr LONG kEventComplete = 1;

bool IsSoundType(LONG type)
{
    return type == kTypeWav || type == kTypeAiff || type == kTypeMpeg || type == kTypeAvi;
}
bool IsProjectType(LONG type)
{
    return type == kTypeFlat || type == kTypeChunked || type == kTypeMultichannel;
}

// Runs body and turns what it throws into a result.
template <class Fn>
HRESULT Catching(Fn body)
{
    try {
        body();
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
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

template <class T>
T* CopyToGlobal(const T* data, size_t count)
{
    if (count == 0)
        return nullptr;
    void* p = GlobalAllocLock(GMEM_MOVEABLE | GMEM_ZEROINIT, count * sizeof(T));
    if (!p)
        throw CKvSSException(E_OUTOFMEMORY);
    std::memcpy(p, data, count * sizeof(T));
    return static_cast<T*>(p);
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

FileAttributes* NewAttributes(const SoundFile& s)
{
    FileAttributes* a = ComObject<IKvSFileAttributes>::Create<FileAttributes>();
    if (!a)
        throw CKvSSException(E_OUTOFMEMORY);
    a->info = s.info;
    a->kept = s.kept;
    return a;
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

// One helper thread that runs one job at a time beside the caller (a read ahead, or the
// write of the block before), started once per call: starting a thread costs too much for
// every block.
class Helper {
public:
    Helper() : m_thread([this] { Loop(); }) {}
    ~Helper()
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_quit = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    // Waits for the job before, then starts this one.
    void Start(std::function<void()> job)
    {
        Wait();
        std::lock_guard<std::mutex> guard(m_lock);
        m_job = std::move(job);
        m_busy = true;
        m_changed.notify_all();
    }
    // Waits for the running job; what it threw is thrown here.
    void Wait()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        m_changed.wait(guard, [this] { return !m_busy; });
        if (m_error) {
            std::exception_ptr e = m_error;
            m_error = nullptr;
            std::rethrow_exception(e);
        }
    }

private:
    void Loop()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        for (;;) {
            m_changed.wait(guard, [this] { return m_quit || m_busy; });
            if (m_busy) {
                std::function<void()> job = std::move(m_job);
                guard.unlock();
                std::exception_ptr error;
                try {
                    job();
                } catch (...) {
                    error = std::current_exception();
                }
                guard.lock();
                m_error = error;
                m_busy = false;
                m_changed.notify_all();
            } else if (m_quit) {
                return;
            }
        }
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::function<void()> m_job;
    bool m_busy = false;
    bool m_quit = false;
    std::exception_ptr m_error;
    std::thread m_thread;
};

} // namespace

void Interleave(const uint8_t* in, int channels, int sampleBytes, size_t frames, uint8_t* out, int total, int first);

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
        return;
    case kTypeAiff:
        ReadAiff(file, sound);
        return;
    case kTypeMpeg:
        ReadMpegInfo(file, sound);
        return;
    case kTypeAvi: {
        bool video = false;
        ReadAviInfo(path, sound, &video);
        return;
    }
    default:
        throw CKvSSException(kErrInvalidFormat);
    }
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
    if (m_engine)
        m_engine->Release();
    if (m_writeAttributes)
        m_writeAttributes->Release();
}

HRESULT FileIO::GetCompletionResult()
{
    return m_last;
}

HRESULT FileIO::SetWriteAttributes(IUnknown* attributes)
{
    if (attributes)
        attributes->AddRef();
    if (m_writeAttributes)
        m_writeAttributes->Release();
    m_writeAttributes = attributes;
    return S_OK;
}

HRESULT FileIO::SetTrackSet(IUnknown* trackSet)
{
    IMtTrackSet* set = nullptr;
    if (trackSet && FAILED(trackSet->QueryInterface(__uuidof(IMtTrackSet), reinterpret_cast<void**>(&set))))
        return E_NOINTERFACE;
    if (m_engine)
        m_engine->Release();
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
        if (detected == kTypeAvi)
            ReadAviInfo(path, &s, &video);
        else
            OpenSoundFile(path, type, &s);
        FillRecord(s, record);
        record->hasVideo = video ? 1 : 0;
        if (video)
            record->videoValue = 1;
    });
}

void FileIO::Convert(HWND owner, const char* path, FileInfoRecord* record, IUnknown** attributes, char** names,
                     LONG* files, LONG* channelsPerFile, LONG* markerCount, void** markers, void** loopBlock,
                     LONG split, LONG channelLimit)
{
    if (!path || !record)
        throw CKvSSException(E_POINTER);
    SoundFile s;
    OpenSoundFile(path, IsSoundType(record->fileType) ? record->fileType : -1, &s);
    const int channels = s.format.channels;
    if (channels == 0)
        throw CKvSSException(kErrInvalidFormat); // a file without sound
    const int limit = channelLimit > 0 ? channelLimit : kMaxChannels;
    if (!split && channels > limit)
        throw CKvSSException(kErrNotSupported);
    const int outputs = split ? channels : 1;
    const int perOut = split ? 1 : channels;
    const WORD bits = s.format.EngineBits();
    const Storage storage = StorageOfBits(bits);
    std::unique_ptr<SoundSource> source = OpenSource(path, s);

    std::vector<std::unique_ptr<TrackFile>> tracks;
    for (int i = 0; i < outputs; ++i)
        tracks.emplace_back(new TrackFile(bits, perOut));
    std::vector<uint8_t> in(kBlockFrames * s.format.BlockAlign());
    // Two sets of output blocks: one is written by a helper while the next is converted.
    std::vector<std::vector<uint8_t>> out[2];
    std::vector<uint8_t*> outPtr[2];
    for (int k = 0; k < 2; ++k) {
        out[k].assign(outputs, std::vector<uint8_t>(kBlockFrames * perOut * StorageBytes(storage)));
        for (auto& o : out[k])
            outPtr[k].push_back(o.data());
    }
    FioProgress progress(owner, FileNameOf(path).c_str());
    // The next block is read by a helper thread while this one is converted and written.
    std::vector<uint8_t> next(in.size());
    SoundSource* src = source.get();
    size_t ahead = 0;
    Helper helper, writer;
    int turn = 0;
    std::vector<uint8_t>* reading = &in;
    helper.Start([src, reading, &ahead] { ahead = src->Read(reading->data(), kBlockFrames); });
    uint64_t done = 0;
    try {
        for (;;) {
            helper.Wait();
            const size_t got = ahead;
            if (got == 0)
                break;
            in.swap(next);
            helper.Start([src, reading, &ahead] { ahead = src->Read(reading->data(), kBlockFrames); });
            DecodeFrames(s.format, next.data(), got, storage, outPtr[turn].data(), perOut);
            for (int i = 0; i < outputs; ++i)
                tracks[i]->AddPeaks(outPtr[turn][i], got);
            std::vector<uint8_t*>* block = &outPtr[turn];
            writer.Start([&tracks, block, got] {
                for (size_t i = 0; i < tracks.size(); ++i)
                    tracks[i]->WriteData((*block)[i], got);
            });
            turn ^= 1;
            done += got;
            progress.Step(done, std::max<uint64_t>(s.frames, done));
        }
        writer.Wait();
    } catch (...) {
        for (Helper* h : {&helper, &writer}) {
            try {
                h->Wait();
            } catch (...) {
            }
        }
        throw;
    }
    for (auto& t : tracks)
        t->Close();
    // A decoded stream's length is known only now.
    s.frames = done;
    FillRecord(s, record);

    std::vector<char> nameBlock(outputs * 2 * kFioNameLength, 0);
    for (int i = 0; i < outputs; ++i) {
        lstrcpynA(&nameBlock[(2 * i) * kFioNameLength], tracks[i]->DataName().c_str(), kFioNameLength);
        lstrcpynA(&nameBlock[(2 * i + 1) * kFioNameLength], tracks[i]->PeakName().c_str(), kFioNameLength);
    }
    const std::vector<FioMarkerRecord> marks = MarkerRecords(s);
    char* nameOut = CopyToGlobal(nameBlock.data(), nameBlock.size());
    FioMarkerRecord* markOut = nullptr;
    FioLoopBlock* loopOut = nullptr;
    FileAttributes* attrs = nullptr;
    try {
        markOut = CopyToGlobal(marks.data(), marks.size());
        if (s.hasLoopBlock)
            loopOut = CopyToGlobal(&s.loop, 1);
        attrs = NewAttributes(s);
    } catch (...) {
        GlobalUnlockFree(nameOut);
        GlobalUnlockFree(markOut);
        GlobalUnlockFree(loopOut);
        throw;
    }
    progress.Finish();
    for (auto& t : tracks)
        t->Keep();
    *names = nameOut;
    if (files)
        *files = outputs;
    if (channelsPerFile)
        *channelsPerFile = perOut;
    if (markerCount)
        *markerCount = static_cast<LONG>(marks.size());
    if (markers)
        *markers = markOut;
    else
        GlobalUnlockFree(markOut);
    if (loopBlock)
        *loopBlock = loopOut;
    else
        GlobalUnlockFree(loopOut);
    if (attributes)
        *attributes = static_cast<IKvSFileAttributes*>(attrs);
    else
        attrs->Release();
}

HRESULT FileIO::ConvertToTrackFiles(HWND owner, const char* path, FileInfoRecord* record, IUnknown** attributes,
                                    char** names, LONG, LONG* value1, LONG* value2, LONG* markerCount, void** markers,
                                    void** loopBlock, LONG split, LONG channelLimit)
{
    if (!names)
        return E_POINTER;
    *names = nullptr;
    if (attributes)
        *attributes = nullptr;
    if (markers)
        *markers = nullptr;
    if (loopBlock)
        *loopBlock = nullptr;
    if (markerCount)
        *markerCount = 0;
    m_last = Catching([&] {
        Convert(owner, path, record, attributes, names, value1, value2, markerCount, markers, loopBlock, split,
                channelLimit);
    });
    return m_last;
}

void FileIO::Write(HWND owner, const char* path, FileInfoRecord* record, const FioMarkerRecord* markers, LONG count,
                   const FioLoopBlock* loop)
{
    if (!path || !record)
        throw CKvSSException(E_POINTER);
    if (!m_engine)
        throw CKvSSException(E_UNEXPECTED);
    const LONG type = record->fileType;
    if (type == kTypeAvi) {
        WriteAviFile(owner, path, m_videoPath, m_engine, m_channelLimit, record);
        return;
    }
    if (type != kTypeWav && type != kTypeAiff)
        throw CKvSSException(kErrNotSupported);
    WORD engineBits = 16;
    DWORD rate = 0;
    LONGLONG length = 0;
    LONG trackCount = 0;
    ThrowIfFailed(m_engine->GetBitsPerSample(&engineBits));
    ThrowIfFailed(m_engine->GetSamplesPerSec(&rate));
    ThrowIfFailed(m_engine->GetLength(&length, 0));
    ThrowIfFailed(m_engine->GetTrackCount(&trackCount));

    // The sound: every track's channels in track order, or the engine's mix.
    struct Reader {
        IMtItem* item = nullptr;
        WORD channels = 0;
        ~Reader()
        {
            if (item)
                item->Release();
        }
    };
    std::vector<std::unique_ptr<Reader>> readers;
    IMtMixReader* mix = nullptr;
    int channels = 0;
    Storage storage = StorageOfBits(engineBits);
    struct MixHolder {
        IMtMixReader*& p;
        ~MixHolder()
        {
            if (p)
                p->Release();
        }
    } mixHolder{mix};
    if (m_channelLimit == 0) {
        for (LONG t = 0; t < trackCount; ++t) {
            IMtTrack* track = nullptr;
            ThrowIfFailed(m_engine->GetTrack(t, &track));
            std::unique_ptr<Reader> r(new Reader);
            HRESULT hr = track->GetChannels(&r->channels);
            if (SUCCEEDED(hr))
                hr = track->CreateReader(&r->item, 0);
            track->Release();
            ThrowIfFailed(hr);
            const LONGLONG start = 0, end = length;
            ThrowIfFailed(r->item->SetRange(&start, &end));
            ThrowIfFailed(r->item->BeginRead());
            channels += r->channels;
            readers.push_back(std::move(r));
        }
    } else {
        const WORD wanted = record->channels;
        channels = (wanted == 1 || wanted == 2 || wanted == 6) && wanted <= m_channelLimit
                       ? wanted
                       : (m_channelLimit >= 6 ? 6 : 2);
        ThrowIfFailed(m_engine->CreateMixReader(channels, kMtMixAllTracks, &mix));
        ThrowIfFailed(mix->SetRange(0, length));
        storage = Storage::F32;
    }
    if (channels < 1 || channels > kMaxChannels)
        throw CKvSSException(kErrNotSupported);

    SoundFile s;
    s.type = type;
    const WORD bits = record->bitsPerSample ? record->bitsPerSample : engineBits;
    s.format = FormatForWrite(type, static_cast<WORD>(channels), rate, bits, record->formatTag, record->channelMask,
                              (record->formatFlags & kFileInfoExtensible) != 0);
    s.frames = static_cast<uint64_t>(std::max<LONGLONG>(0, length));
    for (LONG i = 0; i < count; ++i) {
        const int kind = markers[i].kind & 0xFF;
        if (kind != 1 && kind != 2)
            continue;
        SoundMark m;
        m.start = markers[i].start;
        m.length = kind == 2 ? std::max<int64_t>(0, markers[i].end - markers[i].start) : 0;
        m.name.assign(markers[i].name, strnlen(markers[i].name, sizeof markers[i].name));
        s.marks.push_back(m);
    }
    if (loop && loop->loopCount) {
        s.hasLoopBlock = true;
        s.loop = *loop;
    }
    if (FileAttributes* a = AsFileAttributes(m_writeAttributes)) {
        s.info = a->info;
        s.kept = a->kept;
    } else if (m_writeAttributes) {
        IKvSFileAttributes* foreign = nullptr;
        if (SUCCEEDED(
                m_writeAttributes->QueryInterface(__uuidof(IKvSFileAttributes), reinterpret_cast<void**>(&foreign)))) {
            WORD n = 0;
            void* block = nullptr;
            if (SUCCEEDED(foreign->GetInfoEntries(&n, &block)) && block) {
                const FioInfoEntry* e = static_cast<const FioInfoEntry*>(block);
                s.info.assign(e, e + std::min<size_t>(n, kFioMaxInfoEntries));
                GlobalUnlockFree(block);
            }
            foreign->Release();
        }
    }
    // The layout refuses a sound past the format's limit before any file is made.
    const WriteLayout layout = type == kTypeWav ? LayoutWav(s) : LayoutAiff(s);

    SafeSave save(path);
    save.Write(layout.head.data(), layout.head.size());
    const int sb = StorageBytes(storage);
    std::vector<uint8_t> frames(kBlockFrames * channels * sb);
    std::vector<std::vector<uint8_t>> parts;
    for (auto& r : readers)
        parts.emplace_back(kBlockFrames * r->channels * sb);
    std::vector<std::unique_ptr<Helper>> trackHelpers;
    for (size_t k = 1; k < readers.size(); ++k)
        trackHelpers.emplace_back(new Helper);
    // Two file blocks: one is written by a helper thread while the next is read and encoded.
    std::vector<uint8_t> bytes[2] = {std::vector<uint8_t>(kBlockFrames * s.format.BlockAlign()),
                                     std::vector<uint8_t>(kBlockFrames * s.format.BlockAlign())};
    Helper writer;
    FioProgress progress(owner, FileNameOf(path).c_str());
    uint64_t done = 0;
    int turn = 0;
    try {
        while (done < s.frames) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, s.frames - done));
            if (mix) {
                DWORD got = 0;
                ThrowIfFailed(mix->Read(reinterpret_cast<float*>(frames.data()), static_cast<DWORD>(want), &got));
                if (got < want)
                    std::memset(frames.data() + got * channels * sb, 0, (want - got) * channels * sb);
            } else if (readers.size() == 1) {
                DWORD got = 0;
                ThrowIfFailed(readers[0]->item->Read(frames.data(), static_cast<DWORD>(want * channels * sb), &got));
                if (got < want * channels * sb)
                    throw CKvSSException(E_FAIL);
            } else {
                // Each track is read on a thread of its own; the first on this one.
                auto readTrack = [&readers, &parts, sb, want](size_t k) {
                    const size_t rb = static_cast<size_t>(readers[k]->channels) * sb;
                    DWORD got = 0;
                    ThrowIfFailed(readers[k]->item->Read(parts[k].data(), static_cast<DWORD>(want * rb), &got));
                    if (got < want * rb)
                        throw CKvSSException(E_FAIL);
                };
                for (size_t k = 1; k < readers.size(); ++k)
                    trackHelpers[k - 1]->Start([&readTrack, k] { readTrack(k); });
                readTrack(0);
                for (auto& h : trackHelpers)
                    h->Wait();
                int first = 0;
                for (size_t k = 0; k < readers.size(); ++k) {
                    Interleave(parts[k].data(), readers[k]->channels, sb, want, frames.data(), channels, first);
                    first += readers[k]->channels;
                }
            }
            EncodeFrames(s.format, storage, frames.data(), want, bytes[turn].data());
            const size_t n = want * s.format.BlockAlign();
            const uint8_t* block = bytes[turn].data();
            writer.Start([&save, block, n] { save.Write(block, n); });
            turn ^= 1;
            done += want;
            progress.Step(done, s.frames);
        }
        writer.Wait();
    } catch (...) {
        try {
            writer.Wait();
        } catch (...) {
        }
        for (auto& h : trackHelpers) {
            try {
                h->Wait();
            } catch (...) {
            }
        }
        throw;
    }
    for (auto& r : readers)
        r->item->EndRead();
    if (!layout.tail.empty())
        save.Write(layout.tail.data(), layout.tail.size());
    save.Commit();
    progress.Finish();
}

// Puts the channels of one reader's frames at column first of frames of total channels.
void Interleave(const uint8_t* in, int channels, int sampleBytes, size_t frames, uint8_t* out, int total, int first)
{
    if (sampleBytes == 2 && channels == 1) {
        const int16_t* src = reinterpret_cast<const int16_t*>(in);
        int16_t* dst = reinterpret_cast<int16_t*>(out) + first;
        for (size_t i = 0; i < frames; ++i)
            dst[i * total] = src[i];
        return;
    }
    if (sampleBytes == 4 && channels == 1) {
        const uint32_t* src = reinterpret_cast<const uint32_t*>(in);
        uint32_t* dst = reinterpret_cast<uint32_t*>(out) + first;
        for (size_t i = 0; i < frames; ++i)
            dst[i * total] = src[i];
        return;
    }
    const size_t rb = static_cast<size_t>(channels) * sampleBytes;
    for (size_t i = 0; i < frames; ++i)
        std::memcpy(out + (i * total + first) * sampleBytes, in + i * rb, rb);
}

HRESULT FileIO::WriteSoundFile(HWND owner, const char* path, const char*, FileInfoRecord* record, const void* markers,
                               LONG markerCount, LONG, const void*, const void* loopBlock)
{
    if (markerCount > 0 && !markers)
        return E_POINTER;
    m_last = Catching([&] {
        Write(owner, path, record, static_cast<const FioMarkerRecord*>(markers), std::max<LONG>(0, markerCount),
              static_cast<const FioLoopBlock*>(loopBlock));
    });
    return m_last;
}

HRESULT FileIO::ReadFileMarkers(const char* path, FileInfoRecord* record, LONG* markerCount, void** markers,
                                LONG* fileMarkerCount, void** fileMarkers, void** loopBlock)
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
                b = CopyToGlobal(marks.data(), marks.size());
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
                *fileMarkerCount = static_cast<LONG>(marks.size());
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
        *attributes = static_cast<IKvSFileAttributes*>(NewAttributes(s));
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

// Preview playback ------------------------------------------------------------------------

HRESULT FileIO::StopPreview()
{
    if (m_preview.joinable()) {
        SetEvent(m_stop);
        m_preview.join();
    }
    if (m_stop) {
        CloseHandle(m_stop);
        m_stop = nullptr;
    }
    return S_OK;
}

namespace {

struct PreviewJob {
    HWAVEOUT device = nullptr;
    HANDLE done = nullptr;
    SoundFile sound;
    std::unique_ptr<SoundSource> source;
    StoredFormat out;
};

} // namespace

HRESULT FileIO::PlayPreview(HWND notify, const char* path)
{
    StopPreview();
    if (!path || !*path)
        return E_INVALIDARG;
    auto job = std::make_shared<PreviewJob>();
    HRESULT hr = Catching([&] {
        OpenSoundFile(path, -1, &job->sound);
        if (job->sound.format.channels == 0 || job->sound.format.channels > 2)
            throw CKvSSException(kErrNotSupported);
        job->source = OpenSource(path, job->sound);
    });
    if (FAILED(hr))
        return hr;
    job->out.coding = Coding::PcmLE;
    job->out.channels = job->sound.format.channels;
    job->out.rate = job->sound.format.rate;
    job->out.containerBits = job->out.validBits = 16;
    WAVEFORMATEX wf{};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = job->out.channels;
    wf.nSamplesPerSec = job->out.rate;
    wf.wBitsPerSample = 16;
    wf.nBlockAlign = static_cast<WORD>(2 * wf.nChannels);
    wf.nAvgBytesPerSec = wf.nBlockAlign * wf.nSamplesPerSec;
    job->done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const MMRESULT r =
        waveOutOpen(&job->device, WAVE_MAPPER, &wf, reinterpret_cast<DWORD_PTR>(job->done), 0, CALLBACK_EVENT);
    if (r != MMSYSERR_NOERROR) {
        CloseHandle(job->done);
        // A machine without a sound device refuses here, with the device's own text.
        return static_cast<HRESULT>(0x83EE0000u | r);
    }
    m_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_notify = notify;
    const HANDLE stop = m_stop;
    std::mutex* lock = &m_eventLock;
    std::deque<LONG>* events = &m_events;
    m_preview = std::thread([job, stop, notify, lock, events] {
        constexpr size_t kFrames = 8192;
        const WORD storageBits = job->sound.format.EngineBits();
        const Storage storage = StorageOfBits(storageBits);
        std::vector<uint8_t> in(kFrames * job->sound.format.BlockAlign());
        std::vector<uint8_t> mid(kFrames * job->out.channels * 4);
        std::vector<std::vector<uint8_t>> buffers(4, std::vector<uint8_t>(kFrames * job->out.BlockAlign()));
        std::vector<WAVEHDR> headers(4);
        bool ended = false, stopped = false;
        try {
            for (size_t i = 0; i < buffers.size(); ++i)
                headers[i].dwFlags = WHDR_DONE;
            while (!stopped) {
                bool busy = false;
                for (size_t i = 0; i < buffers.size(); ++i) {
                    WAVEHDR& h = headers[i];
                    if (!(h.dwFlags & WHDR_DONE)) {
                        busy = true;
                        continue;
                    }
                    if (h.dwFlags & WHDR_PREPARED)
                        waveOutUnprepareHeader(job->device, &h, sizeof h);
                    if (ended)
                        continue;
                    const size_t got = job->source->Read(in.data(), kFrames);
                    if (got == 0) {
                        ended = true;
                        continue;
                    }
                    uint8_t* outs[1] = {mid.data()};
                    DecodeFrames(job->sound.format, in.data(), got, storage, outs, job->out.channels);
                    EncodeFrames(job->out, storage, mid.data(), got, buffers[i].data());
                    h = WAVEHDR{};
                    h.lpData = reinterpret_cast<LPSTR>(buffers[i].data());
                    h.dwBufferLength = static_cast<DWORD>(got * job->out.BlockAlign());
                    waveOutPrepareHeader(job->device, &h, sizeof h);
                    waveOutWrite(job->device, &h, sizeof h);
                    busy = true;
                }
                if (!busy && ended)
                    break;
                HANDLE waits[2] = {stop, job->done};
                if (WaitForMultipleObjects(2, waits, FALSE, 500) == WAIT_OBJECT_0)
                    stopped = true;
            }
        } catch (const CKvSSException&) {
            stopped = true;
        }
        waveOutReset(job->device);
        for (WAVEHDR& h : headers)
            if (h.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(job->device, &h, sizeof h);
        waveOutClose(job->device);
        CloseHandle(job->done);
        if (!stopped) {
            {
                std::lock_guard<std::mutex> guard(*lock);
                events->push_back(kEventComplete);
            }
            if (notify)
                PostMessageA(notify, kPreviewMessage, 0, 0);
        }
    });
    return S_OK;
}

HRESULT FileIO::GetNextEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG)
{
    if (!code)
        return E_POINTER;
    std::lock_guard<std::mutex> guard(m_eventLock);
    if (m_events.empty())
        return S_FALSE;
    *code = m_events.front();
    m_events.pop_front();
    if (param1)
        *param1 = 0;
    if (param2)
        *param2 = 0;
    return S_OK;
}
