// The flat project format: a fixed header, a table of 64-bit track offsets, the label
// records and one block of mono samples per channel.
#include "FileHandle.h"
#include "KvSSException.h"
#include "LevelConversion.h"
#include "ProgressReporter.h"
#include "ProjectFile.h"
#include "ProjectFileIds.h"
#include "TrackExport.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD kBlock = 0x19000;

void WriteOut(HANDLE file, const void* data, DWORD bytes)
{
    DWORD written = 0;
    if (!WriteFile(file, data, bytes, &written, nullptr) || written != bytes)
        throw CKvSSException(LastErrorCode());
}

// Copies bytes between two files with progress; throws the system's error, a cancel, or
// kPfErrLoad when the source ends early.
void CopyBytes(HANDLE from, HANDLE to, uint64_t bytes, ProgressReporter& progress)
{
    std::vector<uint8_t> block(kBlock);
    uint64_t done = 0;
    while (done < bytes) {
        DWORD want = DWORD(std::min<uint64_t>(bytes - done, kBlock)), got = 0;
        if (!ReadFile(from, block.data(), want, &got, nullptr))
            throw CKvSSException(LastErrorCode());
        if (got == 0)
            throw CKvSSException(kPfErrLoad);
        WriteOut(to, block.data(), got);
        done += got;
        progress.SetPosition(UINT(100.0 * double(done) / double(bytes)));
        if (progress.cancelled)
            throw CKvSSException(kPfErrCancelled);
    }
}

// The settings record's value fields 4 to 15, which the header block carries as they stand.
template <class From, class To>
void CopyValueFields(const From& from, To& to)
{
    to.field4 = from.field4;
    to.field5 = from.field5;
    to.field6 = from.field6;
    to.field7 = from.field7;
    to.field8 = from.field8;
    to.field9 = from.field9;
    to.field10 = from.field10;
    to.field11 = from.field11;
    to.field12 = from.field12;
    to.field13 = from.field13;
    to.field14 = from.field14;
    to.field15 = from.field15;
}

class CFlatProjectFile : public CProjectFile {
public:
    explicit CFlatProjectFile(ProjectHost* host) : CProjectFile(host, kProjectFlat)
    {
        std::memset(&m_block, 0, sizeof(m_block));
    }

    int Load(const char* path, IUnknown** command) override;
    int Save(const char* path) override;
    int ReadFileInfo(const char* path) override;
    WORD GetBitsPerSample() override { return WORD(m_bits); }
    DWORD GetSamplesPerSec() override { return m_rate; }

private:
    // The chunk steps do not apply to this format.
    void ReadTrackInfo(IChunkFile*, int) override {}
    void ReadTrackData(IChunkFile*, int) override {}
    void ReadPeakData(IChunkFile*, int) override {}
    ComRef<IUnknown> FindStoredTrack(int) override { return {}; }
    void FinishTrackFromData(int) override {}
    void FinishTrackFromItem(int, IUnknown*) override {}

    void ReadHeader(HANDLE file);
    void ReadTracks(HANDLE file);
    void ReadMarkers(HANDLE file);
    void ApplyHeaderBlock();
    void ApplyTrackHeader(IMtTrack* track, const FlatTrackHeader& header);
    void WriteFileOut(HANDLE file);

    char m_signature[16] = {};
    FlatHeaderBlock m_block;
    uint32_t m_rate = 0;
    uint32_t m_bits = 0;
    int64_t m_length = 0;
    char m_videoPath[260] = {};
    uint32_t m_markerCount = 0;
    int64_t m_markerOffset = 0;
    uint32_t m_trackCount = 0;
    std::vector<int64_t> m_offsets;
    uint64_t m_fileSize = 0;
};

} // namespace

std::unique_ptr<CProjectFile> CreateFlatProjectFile(ProjectHost* host)
{
    return std::make_unique<CFlatProjectFile>(host);
}

void CFlatProjectFile::ReadHeader(HANDLE file)
{
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    m_fileSize = uint64_t(size.QuadPart);
    uint8_t bytes[kFlatHeaderSize];
    DWORD got = 0;
    if (!ReadFile(file, bytes, sizeof(bytes), &got, nullptr))
        got = 0;
    FlatHeader header;
    int fault = DecodeFlatHeader(bytes, got, &header);
    if (fault != kRecordSound)
        Refuse(fault);
    std::memcpy(m_signature, header.signature, sizeof(m_signature));
    m_block = header.block;
    m_rate = header.rate;
    m_bits = header.bits;
    m_length = header.length;
    std::memcpy(m_videoPath, header.videoPath, sizeof(m_videoPath));
    m_markerCount = header.markerCount;
    m_markerOffset = header.markerOffset;
    m_trackCount = header.trackCount;
    // Checked before anything is allocated for the table.
    fault = CheckFlatTrackCount(m_trackCount, m_fileSize);
    if (fault == kRecordTooMany)
        Refuse(IDS_PF_LOAD_FAILED, kPfErrTooMany);
    if (fault != kRecordSound)
        Refuse(fault);
    std::vector<uint8_t> table(size_t(m_trackCount) * 8);
    got = 0;
    if (!table.empty() && !ReadFile(file, table.data(), DWORD(table.size()), &got, nullptr))
        got = 0;
    fault = DecodeFlatOffsets(table.data(), got, m_trackCount, &m_offsets);
    if (fault != kRecordSound)
        Refuse(fault);
}

int CFlatProjectFile::ReadFileInfo(const char* path)
{
    FileHandle file(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return 0;
    try {
        ReadHeader(file.Get());
    } catch (const CKvSSException&) {
        return -1;
    }
    return int(m_trackCount);
}

int CFlatProjectFile::Load(const char* path, IUnknown** command)
{
    if (command)
        *command = nullptr;
    FileHandle file(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    m_path = path;
    // A file gone or locked since it was chosen is refused with a text like every other.
    if (!file.IsValid())
        return RunLoad([&] { Refuse(IDS_PF_LOAD_FAILED); });
    int loaded = RunLoad([&] {
        ReadHeader(file.Get());
        if (m_rate < 2000 || m_rate > 96000 || (m_bits != 8 && m_bits != 16))
            Refuse(IDS_PF_DIFFERENT_VERSION);
        PrepareDocument(WORD(m_bits), m_rate, WORD(m_bits));
        ReadTracks(file.Get());
        if (command && FAILED(m_host->GetLoadCommand(command)))
            Refuse(IDS_PF_LOAD_FAILED);
        if (m_freshLoad) {
            ReadMarkers(file.Get());
            if (m_videoPath[0])
                m_host->SetVideoPath(m_videoPath);
            ApplyHeaderBlock();
        }
    });
    file.Reset();
    if (!loaded)
        return 0;
    if (std::memcmp(m_signature + 9, kFlatSuffixOld2, 7) == 0)
        std::memcpy(m_signature + 9, kFlatSuffixCurrent, 7);
    // Only a file that became the document is rewritten: an import must not overwrite its source.
    if (m_freshLoad && std::memcmp(m_signature + 9, kFlatSuffixCurrent, 7) != 0 &&
        m_host->AskYesNo(LoadText(IDS_PF_CONVERT_OLD).c_str()) == IDYES)
        Save(path);
    return 1;
}

void CFlatProjectFile::ReadTracks(HANDLE file)
{
    m_trackBase = -1;
    for (uint32_t k = 0; k < m_trackCount; ++k) {
        LARGE_INTEGER at;
        at.QuadPart = m_offsets[k];
        if (m_offsets[k] < 0 || !SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
            Refuse(IDS_PF_SEEK_FAILED);
        uint8_t raw[sizeof(FlatTrackHeader)];
        DWORD got = 0;
        if (!ReadFile(file, raw, sizeof(raw), &got, nullptr))
            got = 0;
        FlatTrackHeader header;
        uint64_t bytes = 0;
        const int fault = DecodeFlatTrackHeader(raw, got, m_offsets[k], m_fileSize, m_bits, &header, &bytes);
        if (fault != kRecordSound)
            Refuse(fault);

        MtFileItemRecord record{};
        std::strncpy(record.path, m_path.c_str(), sizeof(record.path) - 1);
        record.trackNumber = WORD(k + 1);
        record.channels = 1;
        record.bitsPerSample = WORD(m_bits);
        record.samplesPerSec = m_rate;
        ComRef<IMtTrack> made;
        ComRef<IUnknown> held = LookupStore(record);
        if (held) {
            made = ImportHeldItem(held.Get());
        } else {
            std::string data, peaks;
            FileHandle out = CreateTempFile(&data);
            ProgressReporter progress(ProgressText(IDS_PF_LOADING_TRACK, int(k + 1), int(m_trackCount)).c_str(),
                                      nullptr, 0, 500, FALSE);
            try {
                CopyBytes(file, out.Get(), bytes, progress);
            } catch (const CKvSSException& e) {
                out.Reset();
                DeleteFileA(data.c_str());
                Refuse(e.m_hr == kPfErrCancelled ? -1 : IDS_PF_LOAD_FAILED,
                       e.m_hr == kPfErrCancelled ? e.m_hr : kPfErrLoad);
            }
            out.Reset();
            progress.End();
            made = ImportTrackFiles(record, data, peaks);
        }
        ApplyTrackHeader(made.Get(), header);
    }
}

void CFlatProjectFile::ApplyTrackHeader(IMtTrack* track, const FlatTrackHeader& header)
{
    LONG index = -1;
    ThrowIfFailed(m_host->TrackSet()->GetTrackIndex(track, &index));
    ThrowIfFailed(track->SetStartOffset(RescalePosition(header.start, m_rate)));
    track->SetVolume(float(MillibelToLevel(header.volume)) * 0.0001f);
    track->SetPan(float(header.pan) * 0.0001f);
    m_host->SetTrackFlag(index, kMtFlagMute, header.mute != '0');
    const char* filler = reinterpret_cast<const char*>(&header) + 29;
    m_host->SetTrackColor(track, std::memcmp(filler, "FILLER", 6) == 0 ? m_host->SkinColor(1) : header.colour);
}

void CFlatProjectFile::ReadMarkers(HANDLE file)
{
    if (m_markerCount == 0)
        return;
    int fault = CheckFlatLabels(m_markerCount, m_markerOffset, m_fileSize);
    if (fault == IDS_PF_SEEK_FAILED)
        Refuse(fault);
    LARGE_INTEGER at;
    at.QuadPart = m_markerOffset;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        Refuse(IDS_PF_SEEK_FAILED);
    if (fault != kRecordSound)
        Refuse(fault);
    std::vector<uint8_t> bytes(size_t(m_markerCount) * sizeof(LabelRecord));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr))
        got = 0;
    std::vector<LabelRecord> records;
    fault = DecodeLabelRecords(bytes.data(), got, m_markerCount, &records);
    if (fault != kRecordSound)
        Refuse(fault);
    for (const LabelRecord& record : records)
        ApplyStoredLabel(record, m_rate);
}

void CFlatProjectFile::ApplyHeaderBlock()
{
    ProjectWorkspace w = m_host->GetWorkspace();
    w.timeZoom = int32_t(m_block.timeZoom);
    w.amplitudeZoom = m_block.amplitudeZoom;
    w.viewOptions = m_block.viewOptions & 0x7F;
    CopyValueFields(m_block, w);
    m_host->ApplyWorkspace(w, m_block.timeZoom == 0 || m_block.amplitudeZoom == 0);
}

int CFlatProjectFile::Save(const char* path)
{
    IMtTrackSet* set = m_host->TrackSet();
    WORD bits = 16;
    DWORD rate = 0;
    set->GetBitsPerSample(&bits);
    set->GetSamplesPerSec(&rate);
    if (rate < 2000 || rate > 96000 || bits > 16) {
        m_host->ShowMessage(LoadText(IDS_PF_FLAT_LIMITS).c_str());
        return 0;
    }
    m_rate = rate;
    m_bits = bits;
    int saved = RunSave(path, [&](const std::string& temp) {
        FileHandle file(
            CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            throw CKvSSException(LastErrorCode());
        WriteFileOut(file.Get());
        if (!file.Reset())
            throw CKvSSException(LastErrorCode());
    });
    if (saved) {
        char signature[17];
        std::snprintf(signature, sizeof(signature), "%s%s", kFlatCreator, kFlatSuffixCurrent);
        m_host->SetCreatorText(signature);
    }
    return saved;
}

void CFlatProjectFile::WriteFileOut(HANDLE file)
{
    IMtTrackSet* set = m_host->TrackSet();
    LONG tracks = 0;
    ThrowIfFailed(set->GetTrackCount(&tracks));
    LONGLONG length = 0;
    set->GetLength(&length, 0);
    std::vector<LabelRecord> records;
    StoreLabels(records, true);
    const uint32_t n = CountChannels();
    const uint32_t m = uint32_t(records.size());

    char signature[17];
    std::snprintf(signature, sizeof(signature), "%s%s", kFlatCreator, kFlatSuffixCurrent);
    ProjectWorkspace w = m_host->GetWorkspace();
    FlatHeaderBlock block{};
    block.size = kFlatBlockSize;
    block.timeZoom = uint32_t(w.timeZoom);
    block.amplitudeZoom = w.amplitudeZoom;
    block.viewOptions = w.viewOptions & 0x7F;
    CopyValueFields(w, block);
    std::string video = m_host->GetVideoPath();
    char videoPath[260] = {};
    std::strncpy(videoPath, video.c_str(), sizeof(videoPath) - 1);
    const int64_t markerOffset = int64_t(kFlatHeaderSize) + 8 * int64_t(n);

    // Offsets in 64 bits: a project may pass 4 GB.
    std::vector<int64_t> offsets;
    int64_t position = markerOffset + int64_t(sizeof(LabelRecord)) * m;
    for (LONG t = 0; t < tracks; ++t) {
        ComRef<IMtTrack> track;
        ThrowIfFailed(set->GetTrack(t, track.Out()));
        WORD channels = 1;
        LONGLONG trackLength = 0;
        ThrowIfFailed(track->GetChannels(&channels));
        ThrowIfFailed(track->GetLength(&trackLength));
        for (WORD c = 0; c < channels; ++c) {
            offsets.push_back(position);
            position += int64_t(sizeof(FlatTrackHeader)) + trackLength * (m_bits / 8);
        }
    }

    const uint32_t version = kFlatVersion;
    WriteOut(file, signature, 16);
    WriteOut(file, &version, 4);
    WriteOut(file, &block, sizeof(block));
    WriteOut(file, &m_rate, 4);
    WriteOut(file, &m_bits, 4);
    WriteOut(file, &length, 8);
    WriteOut(file, videoPath, sizeof(videoPath));
    WriteOut(file, &m, 4);
    WriteOut(file, &markerOffset, 8);
    WriteOut(file, &n, 4);
    if (!offsets.empty())
        WriteOut(file, offsets.data(), DWORD(offsets.size() * 8));
    for (const LabelRecord& r : records)
        WriteOut(file, &r, sizeof(r));

    int number = 0;
    for (LONG t = 0; t < tracks; ++t) {
        ComRef<IMtTrack> track;
        ThrowIfFailed(set->GetTrack(t, track.Out()));
        TrackExport out(track.Get(), WORD(m_bits), m_rate, false);
        float volume = 1, pan = 0;
        track->GetVolume(&volume);
        track->GetPan(&pan);
        for (WORD c = 0; c < out.channels; ++c) {
            FlatTrackHeader header{};
            header.size = sizeof(header);
            header.length = out.length;
            header.start = out.start;
            header.volume = LevelToMillibel(int32_t(volume * 10000));
            header.pan = out.channels == 2 ? (c == 0 ? -10000 : 10000) : int32_t(pan * 10000);
            header.mute = m_host->GetTrackFlag(t, kMtFlagMute) ? '1' : '0';
            std::memcpy(header.tag, "KVS", 3);
            header.colour = m_host->GetTrackColor(track.Get());
            WriteOut(file, &header, sizeof(header));
            ++number;
            FileHandle in(CreateFileA(out.split.GetChannelFileName(c), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!in.IsValid())
                throw CKvSSException(LastErrorCode());
            ProgressReporter progress(ProgressText(IDS_PF_SAVING_TRACK, number, int(n)).c_str(), nullptr, 0, 500, TRUE);
            const uint64_t bytes = uint64_t(out.length) * (m_bits / 8);
            CopyBytes(in.Get(), file, bytes, progress);
            progress.End();
        }
    }
}
