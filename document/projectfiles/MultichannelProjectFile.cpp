// The multichannel project format: the chunked form with version-4 records, tracks of 1 to 6
// channels stored interleaved, their five envelopes, 20 and 24 bits packed in 3 bytes.
#include "ChunkProjectFile.h"
#include "FileHandle.h"
#include "KvSSException.h"
#include "ProgressReporter.h"
#include "ProjectFileIds.h"
#include "ScopedChunkFile.h"
#include "SampleConverter.h"
#include "TrackExport.h"
#include "WaveFormat.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool IsPacked(uint32_t bits)
{
    return bits == 20 || bits == 24;
}

// Stored and working bits that make sense together: 20 and 24 stored packed and held as
// floats (working 24), every other depth held as stored.
bool IsCoherent(uint32_t stored, uint32_t working)
{
    if (IsPacked(stored))
        return working == 24;
    return (stored == 8 || stored == 16 || stored == 32) && working == stored;
}

class CMultichannelProjectFile : public CProjectFile {
public:
    explicit CMultichannelProjectFile(ProjectHost* host) : CProjectFile(host, kProjectMultichannel)
    {
        std::memset(&m_info, 0, sizeof(m_info));
        std::memset(&m_workspace, 0, sizeof(m_workspace));
        std::memset(&m_track, 0, sizeof(m_track));
    }
    ~CMultichannelProjectFile() override { BeginTrack(); }

    int Load(const char* path, IUnknown** command) override;
    int Save(const char* path) override;
    int ReadFileInfo(const char* path) override;
    WORD GetBitsPerSample() override { return WORD(m_info.storedBits); }
    DWORD GetSamplesPerSec() override { return m_info.samplesPerSec; }

private:
    void BeginTrack() override;
    void ReadTrackInfo(IChunkFile* file, int version) override;
    void ReadTrackEnvelope(IChunkFile* file) override;
    void ReadTrackData(IChunkFile* file, int track) override;
    void ReadPeakData(IChunkFile* file, int track) override;
    ComRef<IUnknown> FindStoredTrack(int track) override { return LookupStore(Record(track)); }
    void FinishTrackFromData(int track) override;
    void FinishTrackFromItem(int track, IUnknown* item) override;

    MtFileItemRecord Record(int track) const;
    int CountTracks(IChunkFile* file);
    void ApplyTrackInfo(IMtTrack* track);
    void CopyPackedToFloat(IChunkFile* file, HANDLE out, int64_t frames, ProgressReporter* progress);
    void WriteTracks(IChunkFile* file, WORD bits, WORD stored);

    FileInfo4 m_info;
    Workspace4 m_workspace;
    TrackInfo4 m_track;
    std::string m_dataPath;
    std::string m_peakPath;
    std::array<std::vector<StoredEnvelopePoint>, 5> m_envelopes;
};

} // namespace

std::unique_ptr<CProjectFile> CreateMultichannelProjectFile(ProjectHost* host)
{
    return std::make_unique<CMultichannelProjectFile>(host);
}

int CMultichannelProjectFile::CountTracks(IChunkFile* file)
{
    RewindChunks(file);
    if (FAILED(file->DescendById(kIdForm, kChunkFindById)))
        Refuse(IDS_PF_LOAD_FAILED);
    if (FAILED(file->DescendById(kIdTrackList, kChunkFindById)))
        Refuse(IDS_PF_DIFFERENT_VERSION);
    int total = 0;
    ChunkInfo trackChunk{};
    while (SUCCEEDED(DescendNext(file, &trackChunk))) {
        if (ParseTrackChunkId(trackChunk.id) < 0)
            Refuse(IDS_PF_LOAD_FAILED);
        ChunkInfo chunk{};
        while (SUCCEEDED(DescendNext(file, &chunk))) {
            if (chunk.id == kIdTrackInfo4) {
                ReadTrackInfo(file, 4);
                total += int(m_track.channels);
            }
            file->Ascend();
        }
        file->Ascend();
    }
    std::memset(&m_track, 0, sizeof(m_track));
    return total;
}

int CMultichannelProjectFile::ReadFileInfo(const char* path)
{
    return ReadChunkedInfo(path, [&](IChunkFile* file) {
        ReadHeaderChunks(file, &m_info, sizeof(m_info), &m_workspace, sizeof(m_workspace));
        return CountTracks(file);
    });
}

int CMultichannelProjectFile::Load(const char* path, IUnknown** command)
{
    if (command)
        *command = nullptr;
    return RunLoad([&] {
        ScopedChunkFile scoped;
        IChunkFile* file = scoped.Get();
        OpenForLoad(file, path);
        ReadHeaderChunks(file, &m_info, sizeof(m_info), &m_workspace, sizeof(m_workspace));
        LONG existing = 0;
        m_host->TrackSet()->GetTrackCount(&existing);
        // A multichannel project opens on its own; only its import into a standard document
        // that has tracks is refused.
        if (m_info.documentType == 1 && existing > 0 && m_host->DocumentType() != 1)
            Refuse(IDS_PF_MULTICHANNEL_IMPORT);
        // Every track's information is read before any track is: a file refused for one of
        // them changes nothing.
        CountTracks(file);
        if (m_info.samplesPerSec < kChunkedMinRate || m_info.samplesPerSec > kChunkedMaxRate ||
            !IsCoherent(m_info.storedBits, m_info.workingBits))
            Refuse(IDS_PF_CREATED_IN);
        PrepareDocument(WORD(m_info.workingBits), m_info.samplesPerSec, WORD(m_info.storedBits));
        if (m_freshLoad)
            m_host->SetDocumentType(m_info.documentType == 1 ? 1 : 0);
        ReadTrackChunks(file);
        if (command && FAILED(m_host->GetLoadCommand(command)))
            Refuse(IDS_PF_LOAD_FAILED);
        ReadMarkerChunk(file);
        if (m_freshLoad) {
            m_info.videoPath[sizeof(m_info.videoPath) - 1] = 0;
            if (m_info.videoPath[0])
                m_host->SetVideoPath(m_info.videoPath);
            ProjectWorkspace w = m_host->GetWorkspace();
            w.timeZoom = int32_t(m_workspace.timeZoom);
            w.amplitudeZoom = m_workspace.amplitudeZoom;
            w.field4 = m_workspace.field4;
            w.field5 = m_workspace.field5;
            w.field6 = m_workspace.field6;
            w.field7 = m_info.samplesPerSec;
            w.field8 = WORD(m_info.workingBits);
            w.grouping = m_workspace.grouping;
            m_host->ApplyWorkspace(w, m_workspace.timeZoom == 0 || m_workspace.amplitudeZoom == 0);
        }
    });
}

void CMultichannelProjectFile::BeginTrack()
{
    DeleteFileIfNamed(m_dataPath);
    DeleteFileIfNamed(m_peakPath);
    m_dataPath.clear();
    m_peakPath.clear();
    std::memset(&m_track, 0, sizeof(m_track));
    for (auto& points : m_envelopes)
        points.clear();
}

void CMultichannelProjectFile::ReadTrackInfo(IChunkFile* file, int version)
{
    if (version != 4)
        Refuse(IDS_PF_CREATED_IN);
    uint8_t bytes[sizeof(m_track)];
    const DWORD size = DWORD(std::min<uint64_t>(file->GetCurrentChunk()->size, sizeof(bytes)));
    const int fault = DecodeTrackInfo4(bytes, file->Read(bytes, size), &m_track);
    if (fault != kRecordSound)
        Refuse(fault);
}

void CMultichannelProjectFile::ReadTrackEnvelope(IChunkFile* file)
{
    bool seen[5] = {};
    ChunkInfo chunk{};
    while (SUCCEEDED(DescendNext(file, &chunk))) {
        for (int e = 0; e < 5; ++e) {
            if (chunk.id != kIdEnvelope[e])
                continue;
            if (seen[e])
                Refuse(IDS_PF_LOAD_FAILED);
            seen[e] = true;
            const std::vector<uint8_t> bytes = ReadCountedChunk(file, sizeof(StoredEnvelopePoint));
            if (DecodeEnvelope(bytes.data(), bytes.size(), &m_envelopes[size_t(e)]) != kRecordSound)
                Refuse(IDS_PF_LOAD_FAILED);
        }
        file->Ascend();
    }
}

void CMultichannelProjectFile::ReadTrackData(IChunkFile* file, int track)
{
    const uint64_t frameBytes = uint64_t((m_info.storedBits + 7) / 8) * m_track.channels;
    if (uint64_t(m_track.length) > file->GetCurrentChunk()->size / frameBytes)
        Refuse(IDS_PF_LOAD_FAILED);
    DeleteFileIfNamed(m_dataPath);
    m_dataPath.clear();
    if (!IsPacked(m_info.storedBits)) {
        m_dataPath = CopyChunkToTemp(file, uint64_t(m_track.length) * frameBytes, track, int(m_info.tracks));
        return;
    }
    std::string name;
    FileHandle out = CreateTempFile(&name);
    ProgressReporter progress(ProgressText(IDS_PF_LOADING_TRACK, track + 1, int(m_info.tracks)).c_str(), nullptr, 0,
                              500, FALSE);
    try {
        CopyPackedToFloat(file, out.Get(), m_track.length, &progress);
    } catch (const CKvSSException& e) {
        out.Reset();
        DeleteFileA(name.c_str());
        Refuse(e.m_hr == kPfErrCancelled ? -1 : IDS_PF_LOAD_FAILED, e.m_hr == kPfErrCancelled ? e.m_hr : kPfErrLoad);
    }
    m_dataPath = name;
}

void CMultichannelProjectFile::CopyPackedToFloat(IChunkFile* file, HANDLE out, int64_t frames,
                                                 ProgressReporter* progress)
{
    const WORD channels = WORD(m_track.channels);
    WaveFormat packed, floats;
    packed.InitPcm(m_info.samplesPerSec, 24, channels);
    floats.InitFloat32(m_info.samplesPerSec, channels);
    SampleConverter convert;
    convert.SetSourceFormat(&packed);
    convert.SetDestinationFormat(&floats);
    const size_t step = m_info.samplesPerSec;
    std::vector<uint8_t> in(step * channels * 3);
    std::vector<uint8_t> converted(step * channels * 4);
    int64_t done = 0;
    while (done < frames) {
        size_t n = size_t(std::min<int64_t>(frames - done, int64_t(step)));
        DWORD want = DWORD(n * channels * 3);
        if (file->Read(in.data(), want) != want)
            throw CKvSSException(kPfErrLoad);
        convert.Convert(in.data(), n, converted.data());
        DWORD bytes = DWORD(n * channels * 4), written = 0;
        if (!WriteFile(out, converted.data(), bytes, &written, nullptr) || written != bytes)
            throw CKvSSException(LastErrorCode());
        done += int64_t(n);
        progress->SetPosition(UINT(100.0 * double(done) / double(frames)));
        if (progress->cancelled)
            throw CKvSSException(kPfErrCancelled);
    }
    progress->End();
}

void CMultichannelProjectFile::ReadPeakData(IChunkFile* file, int track)
{
    DeleteFileIfNamed(m_peakPath);
    m_peakPath.clear();
    // Peaks of packed data were made at the stored depth; the engine makes its own.
    if (IsPacked(m_info.storedBits))
        return;
    m_peakPath = CopyChunkToTemp(file, file->GetCurrentChunk()->size, track, int(m_info.tracks));
}

MtFileItemRecord CMultichannelProjectFile::Record(int track) const
{
    MtFileItemRecord record{};
    std::strncpy(record.path, m_path.c_str(), sizeof(record.path) - 1);
    record.trackNumber = WORD(track + 1);
    record.channels = WORD(m_track.channels);
    record.bitsPerSample = WORD(m_info.workingBits);
    record.samplesPerSec = m_info.samplesPerSec;
    return record;
}

void CMultichannelProjectFile::FinishTrackFromData(int track)
{
    ApplyTrackInfo(ImportTrackFiles(Record(track), m_dataPath, m_peakPath).Get());
}

void CMultichannelProjectFile::FinishTrackFromItem(int, IUnknown* item)
{
    ApplyTrackInfo(ImportHeldItem(item).Get());
}

void CMultichannelProjectFile::ApplyTrackInfo(IMtTrack* track)
{
    ComRef<IMtEnvelopeSet> set = QueryCom<IMtEnvelopeSet>(track);
    if (!set)
        Refuse(IDS_PF_LOAD_FAILED);
    for (LONG e = 0; e < kMtEnvelopeKinds; ++e) {
        const auto& points = m_envelopes[size_t(e)];
        if (points.empty())
            continue;
        ComRef<IMtEnvelope> envelope;
        ThrowIfFailed(set->GetEnvelope(e, envelope.Out()));
        ThrowIfFailed(envelope->SetInitialValue(points[0].value));
        int64_t position = 0;
        for (size_t i = 1; i < points.size(); ++i) {
            position += points[i].step;
            ThrowIfFailed(envelope->InsertPoint(RescalePosition(position, m_info.samplesPerSec), points[i].value));
        }
    }
    LONG index = -1;
    ThrowIfFailed(m_host->TrackSet()->GetTrackIndex(track, &index));
    ThrowIfFailed(track->SetStartOffset(RescalePosition(m_track.start, m_info.samplesPerSec)));
    m_host->SetTrackFlag(index, kMtFlagMute, m_track.mute == '1');
    m_host->SetTrackFlag(index, kMtFlagSolo, m_track.solo == '1');
    m_host->SetTrackFlag(index, kMtFlagFurther, m_track.flag32 == '1');
    m_host->SetTrackGroup(track, m_track.group);
    m_host->SetTrackColor(track, m_track.colour);
    track->SetSpeakerMask(m_track.speakerMask);
    track->SetSurroundValue(LONG(m_track.surroundValue));
    track->SetSurroundOn(m_track.surroundOn == '1' ? 1 : 0);
}

int CMultichannelProjectFile::Save(const char* path)
{
    if (!CheckChunkedRate())
        return 0;
    return RunSave(path, [&](const std::string& temp) {
        IMtTrackSet* set = m_host->TrackSet();
        WORD bits = 16;
        DWORD rate = 44100;
        LONGLONG length = 0;
        LONG tracks = 0;
        ThrowIfFailed(set->GetBitsPerSample(&bits));
        ThrowIfFailed(set->GetSamplesPerSec(&rate));
        ThrowIfFailed(set->GetTrackCount(&tracks));
        set->GetLength(&length, 0);
        WORD stored = m_host->StoredBits();
        // Only a float document stores packed 20 or 24 bits; every other stores what it holds.
        if (!(IsPacked(stored) && bits >= 20))
            stored = bits;
        std::memset(&m_info, 0, sizeof(m_info));
        m_info.documentType = m_host->DocumentType();
        m_info.samplesPerSec = rate;
        m_info.storedBits = stored;
        m_info.tracks = uint32_t(tracks);
        m_info.length = length;
        m_info.workingBits = IsPacked(stored) ? 24 : bits;
        std::strncpy(m_info.videoPath, m_host->GetVideoPath().c_str(), sizeof(m_info.videoPath) - 1);
        ProjectWorkspace w = m_host->GetWorkspace();
        std::memset(&m_workspace, 0, sizeof(m_workspace));
        m_workspace.timeZoom = uint32_t(w.timeZoom);
        m_workspace.amplitudeZoom = w.amplitudeZoom;
        m_workspace.field4 = w.field4;
        m_workspace.field5 = w.field5;
        m_workspace.field6 = w.field6;
        m_workspace.grouping = w.grouping;

        ScopedChunkFile scoped(temp, kFileCreate);
        IChunkFile* file = scoped.Get();
        ThrowIfFailed(file->CreateChunkById(kIdForm, 0));
        WriteHeaderChunks(file, &m_info, sizeof(m_info), &m_workspace, sizeof(m_workspace));
        WriteTracks(file, bits, stored);
        WriteMarkerChunk(file);
        file->Ascend();
        file->Close();
    });
}

void CMultichannelProjectFile::WriteTracks(IChunkFile* file, WORD bits, WORD stored)
{
    IMtTrackSet* set = m_host->TrackSet();
    LONG count = 0;
    ThrowIfFailed(set->GetTrackCount(&count));
    ThrowIfFailed(file->CreateChunkById(kIdTrackList, 0));
    auto write = [&](const void* data, DWORD bytes) {
        if (file->Write(data, bytes) != bytes)
            throw CKvSSException(LastErrorCode());
    };
    for (LONG t = 0; t < count; ++t) {
        ComRef<IMtTrack> track;
        ThrowIfFailed(set->GetTrack(t, track.Out()));
        TrackExport out(track.Get(), IsPacked(stored) ? stored : bits, m_info.samplesPerSec, true);
        ThrowIfFailed(file->CreateChunkById(TrackChunkId(int(t)), 0));

        TrackInfo4 info{};
        info.channels = out.channels;
        info.length = out.length;
        info.start = out.start;
        info.group = m_host->GetTrackGroup(t);
        info.colour = m_host->GetTrackColor(track.Get());
        info.mute = m_host->GetTrackFlag(t, kMtFlagMute) ? '1' : '0';
        info.solo = m_host->GetTrackFlag(t, kMtFlagSolo) ? '1' : '0';
        info.flag32 = m_host->GetTrackFlag(t, kMtFlagFurther) ? '1' : '0';
        DWORD mask = 0;
        LONG surround = 0, on = 0;
        track->GetSpeakerMask(&mask);
        track->GetSurroundValue(&surround);
        track->IsSurroundOn(&on);
        info.speakerMask = mask;
        info.surroundValue = uint32_t(surround);
        info.surroundOn = on ? '1' : '0';
        ThrowIfFailed(file->CreateChunkById(kIdTrackInfo4, 0));
        write(&info, sizeof(info));
        file->Ascend();

        ComRef<IMtEnvelopeSet> envelopes = QueryCom<IMtEnvelopeSet>(track.Get());
        if (!envelopes)
            throw CKvSSException(E_NOINTERFACE);
        ThrowIfFailed(file->CreateChunkById(kIdEnvelopes, 0));
        for (LONG e = 0; e < kMtEnvelopeKinds; ++e) {
            ComRef<IMtEnvelope> envelope;
            ThrowIfFailed(envelopes->GetEnvelope(e, envelope.Out()));
            std::vector<StoredEnvelopePoint> points(1);
            points[0].step = -1;
            ThrowIfFailed(envelope->GetInitialValue(&points[0].value));
            ComRef<IMtEnvelopePointEnum> points_enum;
            ThrowIfFailed(envelope->EnumPoints(points_enum.Out()));
            MtEnvelopePointItem item{};
            while (points_enum->Next(&item) == S_OK)
                points.push_back(StoredEnvelopePoint{item.distance, item.value});
            ThrowIfFailed(file->CreateChunkById(kIdEnvelope[e], 0));
            const std::vector<uint8_t> bytes = EncodeEnvelope(points);
            write(bytes.data(), DWORD(bytes.size()));
            file->Ascend();
        }
        file->Ascend();

        ThrowIfFailed(file->CreateChunkById(kIdTrackData, 0));
        CopyFileIntoChunk(file, out.split.GetChannelFileName(0), int(t) + 1, int(count));
        file->Ascend();
        ThrowIfFailed(file->CreateChunkById(kIdPeakInfo, 0));
        file->Ascend();
        ThrowIfFailed(file->CreateChunkById(kIdPeakData, 0));
        CopyFileIntoChunk(file, out.split.GetPeakFileName(0), int(t) + 1, int(count));
        file->Ascend();
        file->Ascend();
    }
    file->Ascend();
}
