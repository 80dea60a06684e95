// Writing the engine's sound as a WAV or AIFF file: blocks are read from the engine and
// encoded while a helper thread writes the block before; the file is written beside its
// target and replaces it only when whole.
#include "FileIO.h"

#include "Attributes.h"
#include "AviSave.h"
#include "EngineSound.h"
#include "FiniteSamples.h"
#include "GlobalMemory.h"
#include "HelperThread.h"
#include "SampleCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The cue points and sections of the marker records as the file's marks.
std::vector<SoundMark> MarksOf(const FioMarkerRecord* markers, LONG count)
{
    std::vector<SoundMark> marks;
    for (LONG i = 0; i < count; ++i) {
        const int kind = markers[i].kind & 0xFF;
        if (kind != 1 && kind != 2)
            continue;
        SoundMark m;
        m.start = markers[i].start;
        m.length = kind == 2 ? std::max<int64_t>(0, markers[i].end - markers[i].start) : 0;
        m.name.assign(markers[i].name, strnlen(markers[i].name, sizeof markers[i].name));
        marks.push_back(m);
    }
    return marks;
}

} // namespace

void FileIO::TakeWriteAttributes(SoundFile* s)
{
    if (FileAttributes* a = AsFileAttributes(m_writeAttributes.Get())) {
        s->info = a->info;
        s->kept = a->kept;
        return;
    }
    ComRef<IKvSFileAttributes> foreign = QueryCom<IKvSFileAttributes>(m_writeAttributes.Get());
    WORD n = 0;
    void* block = nullptr;
    if (foreign && SUCCEEDED(foreign->GetInfoEntries(&n, &block)) && block) {
        const FioInfoEntry* e = static_cast<const FioInfoEntry*>(block);
        s->info.assign(e, e + std::min<size_t>(n, kFioMaxInfoEntries));
        GlobalUnlockFree(block);
    }
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
        WriteAviFile(owner, path, m_videoPath, m_engine.Get(), m_channelLimit, record);
        return;
    }
    if (type != kTypeWav && type != kTypeAiff)
        throw CKvSSException(kErrNotSupported);
    WORD engineBits = 16;
    DWORD rate = 0;
    LONGLONG length = 0;
    ThrowIfFailed(m_engine->GetBitsPerSample(&engineBits));
    ThrowIfFailed(m_engine->GetSamplesPerSec(&rate));
    ThrowIfFailed(m_engine->GetLength(&length, 0));
    EngineSound sound(m_engine.Get(), m_channelLimit, record->channels, length, engineBits);
    const int channels = sound.Channels();
    const Storage storage = sound.GetStorage();

    SoundFile s;
    s.type = type;
    const WORD bits = record->bitsPerSample ? record->bitsPerSample : engineBits;
    s.format = FormatForWrite(type, static_cast<WORD>(channels), rate, bits, record->formatTag, record->channelMask,
                              (record->formatFlags & kFileInfoExtensible) != 0);
    s.frames = static_cast<uint64_t>(std::max<LONGLONG>(0, length));
    s.marks = MarksOf(markers, count);
    if (loop && loop->loopCount) {
        s.hasLoopBlock = true;
        s.loop = *loop;
    }
    TakeWriteAttributes(&s);
    // The layout refuses a sound past the format's limit before any file is made.
    const WriteLayout layout = type == kTypeWav ? LayoutWav(s) : LayoutAiff(s);

    SafeSave save(path);
    save.Write(layout.head.data(), layout.head.size());
    std::vector<uint8_t> frames(kBlockFrames * channels * StorageBytes(storage));
    // Two file blocks: one is written by a helper thread while the next is read and encoded.
    std::vector<uint8_t> bytes[2] = {std::vector<uint8_t>(kBlockFrames * s.format.BlockAlign()),
                                     std::vector<uint8_t>(kBlockFrames * s.format.BlockAlign())};
    FioProgress progress(owner, FileNameOf(path).c_str());
    HelperThread writer; // after the blocks it writes: on a throw it waits before they go
    uint64_t done = 0;
    int turn = 0;
    while (done < s.frames) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, s.frames - done));
        sound.Read(frames.data(), want);
        // A float file takes the engine's floats as they are: none leaves the door unless finite.
        if (storage == Storage::F32)
            MakeFinite(frames.data(), want * channels, false);
        EncodeFrames(s.format, storage, frames.data(), want, bytes[turn].data());
        const size_t n = want * s.format.BlockAlign();
        const uint8_t* block = bytes[turn].data();
        writer.Start([&save, block, n] { save.Write(block, n); });
        turn ^= 1;
        done += want;
        progress.Step(done, s.frames);
    }
    writer.Wait();
    sound.End();
    if (!layout.tail.empty())
        save.Write(layout.tail.data(), layout.tail.size());
    save.Commit();
    progress.Finish();
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
