// CChunkProjectFile: the chunked project format ("KVSOUND " form, version-2 records), every
// channel of a track stored as a mono track of its own.
#pragma once
#include "ProjectFile.h"

#include <string>

// "TRK" and the number in five digits.
InterfaceTag TrackChunkId(int number);

class CChunkProjectFile : public CProjectFile {
public:
    explicit CChunkProjectFile(ProjectHost* host);
    ~CChunkProjectFile() override;

    int Load(const char* path, IUnknown** command) override;
    int Save(const char* path) override;
    int ReadFileInfo(const char* path) override;
    WORD GetBitsPerSample() override { return WORD(m_info.bitsPerSample); }
    DWORD GetSamplesPerSec() override { return m_info.samplesPerSec; }

private:
    void BeginTrack() override;
    void ReadTrackInfo(IChunkFile* file, int version) override;
    void ReadTrackData(IChunkFile* file, int track) override;
    void ReadPeakData(IChunkFile* file, int track) override;
    ComRef<IUnknown> FindStoredTrack(int track) override;
    void FinishTrackFromData(int track) override;
    void FinishTrackFromItem(int track, IUnknown* item) override;

    MtFileItemRecord Record(int track) const;
    void ConfigureTrack(IMtTrack* track);
    void ApplyWorkspace();
    void WriteTrackChunks(IChunkFile* file, WORD bits);

    FileInfo2 m_info;
    Workspace2 m_workspace;
    TrackInfo2 m_track;
    std::string m_dataPath;
    std::string m_peakPath;
    uint64_t m_dataSize = 0;
};
