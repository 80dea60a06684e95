// Split at silence on a long 44.1 kHz stereo 16-bit engine track, as the split wizard runs it:
// the silence finder at the end of a render worker's chain hears the whole document, then the
// file divider writes one WAV per region. Without windows: the workers report to nobody.
//   split_silence_bench --write <folder> <minutes> <pauses>   writes tone.raw (the engine's
//                        data) and tone.wav (the same samples): a tone with 2-s pauses evenly
//                        spaced
//   split_silence_bench <folder> <minutes> <pauses>           prints:
//     read_seconds <n>      the track's span read through the engine's reader (the floor)
//     detect_seconds <n>    the silence finder's run; detect_over_read <ratio>
//     divide_seconds <n>    the divider's run; split_seconds <n> both; files <n>
#include "BenchEngineTrack.h"
#include "ModuleObjects.h"
#include "RenderWorker.h"
#include "WavFile.h"

#include <mmreg.h>

#include "KvSDivFl.h"
#include "KvSFndSp.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRate = 44100;
constexpr WORD kChannels = 2;
constexpr double kPauseSeconds = 2.0;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The start of pause p (from 0) in a sound of frames with pauses evenly spaced.
LONGLONG PauseStart(LONGLONG frames, int pauses, int p)
{
    return frames * (p + 1) / (pauses + 1);
}

void WriteTone(const std::string& folder, LONGLONG frames, int pauses)
{
    FILE* raw = std::fopen((folder + "tone.raw").c_str(), "wb");
    FILE* wav = std::fopen((folder + "tone.wav").c_str(), "wb");
    if (!raw || !wav) {
        std::fprintf(stderr, "cannot write the tone files in %s\n", folder.c_str());
        std::exit(1);
    }
    kvtest::WriteWavHeader(wav, kChannels, kRate, 16, uint64_t(frames));
    const LONGLONG pauseFrames = LONGLONG(kPauseSeconds * kRate);
    // One period of each channel's tone, repeated: no libm call per sample.
    std::vector<int16_t> left(100), right(75);
    for (size_t i = 0; i < left.size(); ++i)
        left[i] = int16_t(9000.0 * std::sin(6.283185307 * double(i) / double(left.size())));
    for (size_t i = 0; i < right.size(); ++i)
        right[i] = int16_t(7000.0 * std::sin(6.283185307 * double(i) / double(right.size()) + 1.0));
    const LONGLONG block = 65536;
    std::vector<int16_t> s(size_t(block) * kChannels);
    int next = 0;
    for (LONGLONG first = 0; first < frames; first += block) {
        const LONGLONG n = std::min(block, frames - first);
        for (LONGLONG i = 0; i < n; ++i) {
            const LONGLONG f = first + i;
            while (next < pauses && f >= PauseStart(frames, pauses, next) + pauseFrames)
                ++next;
            const bool quiet = next < pauses && f >= PauseStart(frames, pauses, next);
            s[size_t(i) * 2] = quiet ? 0 : left[size_t(f % LONGLONG(left.size()))];
            s[size_t(i) * 2 + 1] = quiet ? 0 : right[size_t(f % LONGLONG(right.size()))];
        }
        std::fwrite(s.data(), 4, size_t(n), raw);
        std::fwrite(s.data(), 4, size_t(n), wav);
    }
    std::fclose(raw);
    std::fclose(wav);
}

// A render worker with one terminal filter over the whole track set; the run's time.
double RenderInto(IMtTrackSet* set, IBaseFilter* terminal)
{
    CRenderWorker worker(nullptr);
    Check(worker.Start(), "worker");
    Check(worker.AddEffectFilter(terminal, TRUE), "terminal filter");
    Check(worker.SetSource(set), "source");
    auto start = std::chrono::steady_clock::now();
    worker.PostRender(nullptr);
    ::WaitForSingleObject(worker.doneEvent, INFINITE);
    const double seconds = Seconds(start);
    Check(worker.result, "render");
    worker.StopGraph(FALSE);
    worker.DisconnectChain();
    worker.RemoveEffectFilters();
    return seconds;
}

// The raw read, the detection and the division of the track, and their figures.
void Measure(const std::string& folder, double minutes, int pauses, LONGLONG frames)
{
    const BenchEngineTrack engineTrack(folder + "tone.raw", kRate, kChannels, frames);
    IMtTrackSet* set = engineTrack.set.Get();
    IMtTrack* track = engineTrack.track.Get();
    const LONGLONG length = engineTrack.length;
    ComRef<IMtSelection> selection;
    Check(set->QueryInterface(__uuidof(IMtSelection), selection.OutVoid()), "selection");
    selection->SetAllTracks(1);
    selection->SetRange(0, 0);

    // The floor: the span read through the engine's reader.
    IMtItem* reader = nullptr;
    Check(track->CreateReader(&reader, 0), "reader");
    const LONGLONG from = 0, to = length;
    reader->SetRange(&from, &to);
    auto start = std::chrono::steady_clock::now();
    Check(reader->BeginRead(), "begin read");
    std::vector<uint8_t> block(1 << 20);
    DWORD got = 0;
    LONGLONG bytes = 0;
    while (SUCCEEDED(reader->Read(block.data(), DWORD(block.size()), &got)) && got > 0)
        bytes += got;
    reader->EndRead();
    const double readSeconds = Seconds(start);
    reader->Release();

    // Detection.
    ComRef<IBaseFilter> finder;
    Check(CreateModuleObject("KvSFndSp.dll", CLSID_KvSFndSp, IID_IBaseFilter, finder.OutVoid()), "finder");
    ComRef<ISilenceFinderSettings> found;
    Check(finder->QueryInterface(__uuidof(ISilenceFinderSettings), found.OutVoid()), "finder settings");
    found->SetDetection(2000, 200, 3000); // the CD/MD source type, 2 s
    const double detectSeconds = RenderInto(set, finder.Get());
    const LONG silences = found->GetCount();

    // The files.
    ComRef<IBaseFilter> divider;
    Check(CreateModuleObject("KvSDivFl.dll", CLSID_KvSDivFl, IID_IBaseFilter, divider.OutVoid()), "divider");
    ComRef<IFileDividerSettings> settings;
    Check(divider->QueryInterface(__uuidof(IFileDividerSettings), settings.OutVoid()), "divider settings");
    for (LONG i = 0; i < silences; ++i)
        settings->AddSplitPoint(found->GetPosition(i) / 2);
    WAVEFORMATEX wave{WAVE_FORMAT_PCM, kChannels, kRate, kRate * 4, 4, 16, 0};
    settings->SetOutputFormat(&wave);
    settings->SetFormatId(0);
    settings->SetOutputBase((folder + "part_").c_str());
    const double divideSeconds = RenderInto(set, divider.Get());

    const double mb = double(frames) * 4 / 1e6;
    std::printf("track: %.1f minutes, %lld frames, %.1f MB of 16-bit stereo, %d pauses\n", minutes, frames, mb,
                pauses);
    std::printf("read_seconds %.3f\nread_mb %.1f\n", readSeconds, double(bytes) / 1e6);
    std::printf("detect_seconds %.3f\nsilences %ld\ndetect_over_read %.2f\n", detectSeconds, silences,
                detectSeconds / readSeconds);
    std::printf("divide_seconds %.3f\nsplit_seconds %.3f\nfiles %ld\n", divideSeconds, detectSeconds + divideSeconds,
                settings->GetSplitCount() + 1);
}

} // namespace

int main(int argc, char** argv)
{
    const bool write = argc > 1 && std::strcmp(argv[1], "--write") == 0;
    const int first = write ? 2 : 1;
    if (argc < first + 1) {
        std::fprintf(stderr, "usage: split_silence_bench [--write] <folder> [minutes] [pauses]\n");
        return 2;
    }
    std::string folder = argv[first];
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    const double minutes = argc > first + 1 ? std::atof(argv[first + 1]) : 60.0;
    const int pauses = argc > first + 2 ? std::atoi(argv[first + 2]) : 60;
    const LONGLONG frames = LONGLONG(std::llround(minutes * 60.0 * kRate));
    if (write) {
        WriteTone(folder, frames, pauses);
        return 0;
    }

    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(MtEngine::Load())) {
        std::fprintf(stderr, "KsMultiTrack.dll not found\n");
        return 1;
    }
    Measure(folder, minutes, pauses, frames);
    MtEngine::Unload();
    ::CoUninitialize();
    return 0;
}
