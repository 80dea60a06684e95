// The chunked project format: every channel of every track stored as a mono track.
#include "ChunkProjectFile.h"

#include "FileHandle.h"
#include "KvSSException.h"
#include "ProjectFileIds.h"
#include "ScopedChunkFile.h"
#include "TrackExport.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsChunkBits(uint32_t bits)
{
    return bits == 8 || bits == 16 || bits == 32;
}

} // namespace

InterfaceTag TrackChunkId(int number)
{
    char text[16];
    std::snprintf(text, sizeof(text), "TRK%05d", number);
    return MakeTag(text);
}

std::unique_ptr<CProjectFile> CreateChunkProjectFile(ProjectHost* host)
{
    return std::make_unique<CChunkProjectFile>(host);
}

CChunkProjectFile::CChunkProjectFile(ProjectHost* host) : CProjectFile(host, kProjectChunked)
{
    std::memset(&m_info, 0, sizeof(m_info));
    std::memset(&m_workspace, 0, sizeof(m_workspace));
    std::memset(&m_track, 0, sizeof(m_track));
}

CChunkProjectFile::~CChunkProjectFile()
{
    BeginTrack();
}

int CChunkProjectFile::ReadFileInfo(const char* path)
{
    return ReadChunkedInfo(path, [&](IChunkFile* file) {
        ReadHeaderChunks(file, &m_info, sizeof(m_info), &m_workspace, sizeof(m_workspace));
        return int(m_info.channels);
    });
}

int CChunkProjectFile::Load(const char* path, IUnknown** command)
{
    if (command)
        *command = nullptr;
    return RunLoad([&] {
        ScopedChunkFile file;
        OpenForLoad(file.Get(), path);
        ReadHeaderChunks(file.Get(), &m_info, sizeof(m_info), &m_workspace, sizeof(m_workspace));
        if (m_info.channels > uint32_t(kMaxStoredTracks))
            Refuse(IDS_PF_LOAD_FAILED, kPfErrTooMany);
        if (m_info.samplesPerSec < kChunkedMinRate || m_info.samplesPerSec > kChunkedMaxRate ||
            !IsChunkBits(m_info.bitsPerSample) || m_info.dataBits != m_info.bitsPerSample)
            Refuse(IDS_PF_CREATED_IN);
        PrepareDocument(WORD(m_info.bitsPerSample), m_info.samplesPerSec, WORD(m_info.bitsPerSample));
        ReadTrackChunks(file.Get());
        if (command && FAILED(m_host->GetLoadCommand(command)))
            Refuse(IDS_PF_LOAD_FAILED);
        ReadMarkerChunk(file.Get());
        if (m_freshLoad) {
            m_info.description[sizeof(m_info.description) - 1] = 0;
            if (m_info.description[0])
                m_host->SetDescription(m_info.description);
            ApplyWorkspace();
        }
    });
}

void CChunkProjectFile::BeginTrack()
{
    // A track whose files were not handed to the engine leaves nothing behind.
    DeleteFileIfNamed(m_dataPath);
    DeleteFileIfNamed(m_peakPath);
    m_dataPath.clear();
    m_peakPath.clear();
    m_dataSize = 0;
    std::memset(&m_track, 0, sizeof(m_track));
}

void CChunkProjectFile::ReadTrackInfo(IChunkFile* file, int version)
{
    if (version != 2)
        Refuse(IDS_PF_LOAD_FAILED);
    uint8_t bytes[sizeof(m_track)];
    const DWORD size = DWORD(std::min<uint64_t>(file->GetCurrentChunk()->size, sizeof(bytes)));
    const int fault = DecodeTrackInfo2(bytes, file->Read(bytes, size), &m_track);
    if (fault != kRecordSound)
        Refuse(fault);
}

ComRef<IUnknown> CChunkProjectFile::FindStoredTrack(int track)
{
    return LookupStore(Record(track));
}

MtFileItemRecord CChunkProjectFile::Record(int track) const
{
    MtFileItemRecord record{};
    std::strncpy(record.path, m_path.c_str(), sizeof(record.path) - 1);
    record.trackNumber = WORD(track + 1);
    record.channels = 1;
    record.bitsPerSample = WORD(m_info.bitsPerSample);
    record.samplesPerSec = m_info.samplesPerSec;
    return record;
}

void CChunkProjectFile::ReadTrackData(IChunkFile* file, int track)
{
    uint64_t bytes = uint64_t(m_track.length) * (m_info.bitsPerSample / 8);
    // The samples the track claims must all be in the chunk.
    if (uint64_t(m_track.length) > file->GetCurrentChunk()->size / (m_info.bitsPerSample / 8))
        Refuse(IDS_PF_LOAD_FAILED);
    DeleteFileIfNamed(m_dataPath);
    m_dataPath = CopyChunkToTemp(file, bytes, track, int(m_info.channels));
    m_dataSize = bytes;
}

void CChunkProjectFile::ReadPeakData(IChunkFile* file, int track)
{
    DeleteFileIfNamed(m_peakPath);
    m_peakPath = CopyChunkToTemp(file, file->GetCurrentChunk()->size, track, int(m_info.channels));
}

void CChunkProjectFile::FinishTrackFromData(int track)
{
    ConfigureTrack(ImportTrackFiles(Record(track), m_dataPath, m_peakPath).Get());
}

void CChunkProjectFile::FinishTrackFromItem(int, IUnknown* item)
{
    ConfigureTrack(ImportHeldItem(item).Get());
}

void CChunkProjectFile::ConfigureTrack(IMtTrack* track)
{
    LONG index = -1;
    ThrowIfFailed(m_host->TrackSet()->GetTrackIndex(track, &index));
    ThrowIfFailed(track->SetStartOffset(RescalePosition(m_track.start, m_info.samplesPerSec)));
    track->SetVolume(float(m_track.volume) * 0.0001f);
    track->SetPan(float(m_track.pan) * 0.0001f);
    m_host->SetTrackFlag(index, kMtFlagMute, m_track.mute != '0' && m_track.mute != 0);
    m_host->SetTrackFlag(index, kMtFlagSolo, m_track.solo != '0' && m_track.solo != 0);
    m_host->SetTrackFlag(index, kMtFlagFurther, m_track.flag32 == '1');
    m_host->SetTrackGroup(track, m_track.group);
    m_host->SetTrackSerial(track, m_track.serial);
}

void CChunkProjectFile::ApplyWorkspace()
{
    ProjectWorkspace w = m_host->GetWorkspace();
    w.timeZoom = int32_t(m_workspace.timeZoom);
    w.amplitudeZoom = m_workspace.amplitudeZoom;
    w.viewOptions = m_workspace.viewOptions & 0x7F;
    w.field4 = m_workspace.valueA;
    w.field5 = m_workspace.valueB;
    w.field6 = m_workspace.valueC;
    w.field7 = m_workspace.valueD;
    w.field8 = m_workspace.valueE;
    w.field9 = m_workspace.valueF;
    w.field10 = m_workspace.valueG;
    w.field15 = m_workspace.valueH;
    w.grouping = m_workspace.grouping;
    m_host->SetDocumentType(0);
    m_host->ApplyWorkspace(w, m_workspace.timeZoom == 0 || m_workspace.amplitudeZoom == 0 || m_fitView);
}

int CChunkProjectFile::Save(const char* path)
{
    if (!CheckChunkedRate())
        return 0;
    return RunSave(path, [&](const std::string& temp) {
        IMtTrackSet* set = m_host->TrackSet();
        WORD bits = 16;
        DWORD rate = 44100;
        LONGLONG length = 0;
        ThrowIfFailed(set->GetBitsPerSample(&bits));
        ThrowIfFailed(set->GetSamplesPerSec(&rate));
        set->GetLength(&length, 0);
        // 20 and 24 bits are held as floats: stored as 32-bit floats, which the reader takes.
        const WORD fileBits = bits == 8 || bits == 16 ? bits : 32;
        std::memset(&m_info, 0, sizeof(m_info));
        m_info.samplesPerSec = rate;
        m_info.bitsPerSample = fileBits;
        m_info.channels = CountChannels();
        m_info.length = uint64_t(length);
        m_info.dataBits = fileBits;
        std::strncpy(m_info.description, m_host->GetDescription().c_str(), sizeof(m_info.description) - 1);
        ProjectWorkspace w = m_host->GetWorkspace();
        std::memset(&m_workspace, 0, sizeof(m_workspace));
        m_workspace.timeZoom = uint32_t(w.timeZoom);
        m_workspace.amplitudeZoom = w.amplitudeZoom;
        m_workspace.viewOptions = w.viewOptions & 0x7F;
        m_workspace.valueA = w.field4;
        m_workspace.valueB = w.field5;
        m_workspace.valueC = w.field6;
        m_workspace.valueD = w.field7;
        m_workspace.valueE = w.field8;
        m_workspace.valueF = w.field9;
        m_workspace.valueG = w.field10;
        m_workspace.valueH = w.field15;
        m_workspace.grouping = w.grouping;

        ScopedChunkFile file(temp, kFileCreate);
        ThrowIfFailed(file->CreateChunkById(kIdForm, 0));
        WriteHeaderChunks(file.Get(), &m_info, sizeof(m_info), &m_workspace, sizeof(m_workspace));
        WriteTrackChunks(file.Get(), bits);
        WriteMarkerChunk(file.Get());
        file->Ascend();
        file->Close();
    });
}

void CChunkProjectFile::WriteTrackChunks(IChunkFile* file, WORD bits)
{
    IMtTrackSet* set = m_host->TrackSet();
    LONG count = 0;
    ThrowIfFailed(set->GetTrackCount(&count));
    const int total = CountChannels();
    int stored = 0;
    ThrowIfFailed(file->CreateChunkById(kIdTrackList, 0));
    for (LONG t = 0; t < count; ++t) {
        ComRef<IMtTrack> track;
        ThrowIfFailed(set->GetTrack(t, track.Out()));
        TrackExport out(track.Get(), bits, m_info.samplesPerSec, false);
        float volume = 1, pan = 0;
        track->GetVolume(&volume);
        track->GetPan(&pan);
        for (WORD c = 0; c < out.channels; ++c) {
            ThrowIfFailed(file->CreateChunkById(TrackChunkId(stored), 0));
            TrackInfo2 info{};
            info.group = m_host->GetTrackGroup(t);
            info.volume = int32_t(volume * 10000);
            info.pan = out.channels == 2 ? (c == 0 ? -10000 : 10000) : int32_t(pan * 10000);
            info.mute = m_host->GetTrackFlag(t, kMtFlagMute) ? '1' : '0';
            info.solo = m_host->GetTrackFlag(t, kMtFlagSolo) ? '1' : '0';
            info.third = '0';
            info.serial = m_host->GetTrackSerial(track.Get());
            info.length = out.length;
            info.start = out.start;
            info.channels = 1;
            info.flag32 = m_host->GetTrackFlag(t, kMtFlagFurther) ? '1' : '0';
            ThrowIfFailed(file->CreateChunkById(kIdTrackInfo, 0));
            if (file->Write(&info, sizeof(info)) != sizeof(info))
                throw CKvSSException(LastErrorCode());
            file->Ascend();
            ThrowIfFailed(file->CreateChunkById(kIdTrackData, 0));
            CopyFileIntoChunk(file, out.split.GetChannelFileName(c), stored + 1, total);
            file->Ascend();
            ThrowIfFailed(file->CreateChunkById(kIdPeakInfo, 0));
            file->Ascend();
            ThrowIfFailed(file->CreateChunkById(kIdPeakData, 0));
            CopyFileIntoChunk(file, out.split.GetPeakFileName(c), stored + 1, total);
            file->Ascend();
            file->Ascend();
            ++stored;
        }
    }
    file->Ascend();
}
