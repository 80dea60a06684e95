// Conversion of a sound file into the engine's track files: the next block is read on a
// helper thread while this one is decoded, and written on another while the next is decoded.
#include "FileIO.h"

#include "Attributes.h"
#include "GlobalMemory.h"
#include "HelperThread.h"
#include "SampleCodec.h"
#include "Sources.h"

#include <algorithm>
#include <vector>

void FileIO::Convert(HWND owner, const char* path, FileInfoRecord* record, IUnknown** attributes, char** names,
                     LONG* files, LONG* channelsPerFile, WORD* markerCount, void** markers, void** loopBlock,
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
    // Declared after every buffer their jobs use: on a throw they wait before those go.
    HelperThread reader, writer;
    int turn = 0;
    std::vector<uint8_t>* reading = &in;
    reader.Start([src, reading, &ahead] { ahead = src->Read(reading->data(), kBlockFrames); });
    uint64_t done = 0;
    for (;;) {
        reader.Wait();
        const size_t got = ahead;
        if (got == 0)
            break;
        in.swap(next);
        reader.Start([src, reading, &ahead] { ahead = src->Read(reading->data(), kBlockFrames); });
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
    std::vector<FioMarkerRecord> marks = MarkerRecords(s);
    if (marks.size() > kMaxFileMarkers)
        marks.resize(kMaxFileMarkers);
    char* nameOut = CopyToGlobal(nameBlock.data(), nameBlock.size());
    FioMarkerRecord* markOut = nullptr;
    FioLoopBlock* loopOut = nullptr;
    ComRef<FileAttributes> attrs;
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
        *markerCount = static_cast<WORD>(marks.size());
    if (markers)
        *markers = markOut;
    else
        GlobalUnlockFree(markOut);
    if (loopBlock)
        *loopBlock = loopOut;
    else
        GlobalUnlockFree(loopOut);
    if (attributes)
        *attributes = static_cast<IKvSFileAttributes*>(attrs.Detach());
}

HRESULT FileIO::ConvertToTrackFiles(HWND owner, const char* path, FileInfoRecord* record, IUnknown** attributes,
                                    char** names, LONG, LONG* value1, LONG* value2, WORD* markerCount, void** markers,
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
