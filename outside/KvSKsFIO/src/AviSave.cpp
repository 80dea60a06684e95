// Saving as AVI: the document's video copied sample for sample from its AVI file, the engine's
// mix as PCM beside it, through our RIFF writer; written to a temporary file beside the target
// and renamed over it only when whole.
#include "AviSave.h"

#include "AviWriter.h"
#include "ComRef.h"
#include "ErrorText.h"
#include "KvSSException.h"
#include "SampleCodec.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr HRESULT kErrNoVideo = static_cast<HRESULT>(0x83E8044F);        // "Cannot save without video data..."
constexpr HRESULT kErrVideoNotConverted = static_cast<HRESULT>(0x83E808A3); // "Video format cannot be converted."
constexpr HRESULT kAskOpenDml = static_cast<HRESULT>(0x83E808A9);         // "...Save files in AVI 2.0 format?"

} // namespace

void WriteAviFile(HWND owner, const char* path, const std::string& videoPath, IMtTrackSet* engine, LONG channelLimit,
                  FileInfoRecord* record, uint64_t partLimit)
{
    if (videoPath.empty())
        throw CKvSSException(kErrNoVideo);
    AviWriteVideo video;
    std::unique_ptr<InFile> source;
    try {
        source.reset(new InFile(videoPath.c_str()));
        video.stream = *ReadAviStructure(*source, kAviVideo).Find(kAviVideo);
    } catch (const CKvSSException& e) {
        // Only an AVI's frames are copied; a video of another kind is not turned into one.
        throw CKvSSException(e.m_hr == kErrNotFound ? kErrNotFound : kErrVideoNotConverted);
    }
    video.file = source.get();

    WORD engineBits = 16;
    DWORD rate = 0;
    LONGLONG length = 0;
    ThrowIfFailed(engine->GetBitsPerSample(&engineBits));
    ThrowIfFailed(engine->GetSamplesPerSec(&rate));
    ThrowIfFailed(engine->GetLength(&length, 0));
    const WORD wanted = record ? record->channels : 2;
    const WORD channels = wanted == 6 && channelLimit >= 6 ? 6 : wanted == 1 ? 1 : 2;
    StoredFormat format;
    format.coding = Coding::PcmLE;
    format.channels = channels;
    format.rate = rate;
    format.containerBits = format.validBits = engineBits == 8 ? 8 : engineBits == 16 ? 16 : 24;
    format.extensible = channels > 2;
    format.channelMask = channels == 6 ? 0x3F : 0;

    ComRef<IMtMixReader> mix;
    ThrowIfFailed(engine->CreateMixReader(channels, kMtMixAllTracks, mix.Out()));
    ThrowIfFailed(mix->SetRange(0, length));
    AviWriteAudio audio;
    audio.format = PcmFormat(channels, rate, format.containerBits, format.channelMask);
    audio.rate = rate;
    audio.blockAlign = format.BlockAlign();
    audio.frames = static_cast<uint64_t>(std::max<LONGLONG>(0, length));
    std::vector<float> floats;
    audio.read = [&](uint64_t, size_t count, uint8_t* out) {
        floats.assign(count * channels, 0.0f);
        DWORD got = 0;
        ThrowIfFailed(mix->Read(floats.data(), static_cast<DWORD>(count), &got));
        EncodeFrames(format, Storage::F32, reinterpret_cast<const uint8_t*>(floats.data()), count, out);
    };

    SafeSave save(path);
    FioProgress progress(owner, path);
    AviWriteOptions options;
    options.partLimit = partLimit;
    options.allowOpenDml = [owner] {
        ErrorText text(GetModuleHandleA(nullptr));
        return MessageBoxA(owner, text.GetText(kAskOpenDml), nullptr, MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    options.progress = [&progress](uint64_t done, uint64_t total) {
        progress.Step(done, total);
        return false;
    };
    WriteAvi([&save](const void* data, size_t bytes) { save.Write(data, bytes); }, video, audio, options);
    save.Commit();
    progress.Finish();
}
