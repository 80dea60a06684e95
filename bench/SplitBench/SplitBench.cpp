// Speed and memory of the channel splitter on one engine track.
//   split_bench --write <folder> <minutes>   writes track.raw (the engine's 16-bit data) and
//                                            track.wav (the same samples) for the peers
//   split_bench <folder> <minutes>           splits the track's samples and peaks, prints:
//     samples_mb_per_second <n>   (track bytes / time of SplitWithProgress)
//     peaks_items_per_second <n>  (time of SplitBlocks, peaks already known to the engine)
//     peak_working_set_mb <n>     peak_private_mb <n>
// The engine maps its data file whole, so the working set counts the pages read; the private
// bytes are what the process allocated.
#include "BenchEngineTrack.h"
#include "ChannelSplitter.h"
#include "KsMultiTrackLoader.h"
#include "WavFile.h"

#include <psapi.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "BenchSupport.h"

namespace {

constexpr DWORD kRate = 48000;
constexpr WORD kChannels = 2;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void WriteTrack(const std::string& folder, LONGLONG frames)
{
    FILE* raw = std::fopen((folder + "track.raw").c_str(), "wb");
    FILE* wav = std::fopen((folder + "track.wav").c_str(), "wb");
    if (!raw || !wav) {
        std::fprintf(stderr, "cannot write the track files in %s\n", folder.c_str());
        std::exit(1);
    }
    kvtest::WriteWavHeader(wav, kChannels, kRate, 16, uint64_t(frames));
    const LONGLONG block = 65536;
    std::vector<int16_t> s(block * kChannels);
    for (LONGLONG first = 0; first < frames; first += block) {
        LONGLONG n = std::min(block, frames - first);
        for (LONGLONG i = 0; i < n; ++i) {
            LONGLONG f = first + i;
            s[i * 2] = int16_t((f * 37) & 0x7FFF);
            s[i * 2 + 1] = int16_t(-((f * 53) & 0x7FFF));
        }
        std::fwrite(s.data(), 4, size_t(n), raw);
        std::fwrite(s.data(), 4, size_t(n), wav);
    }
    std::fclose(raw);
    std::fclose(wav);
}

LONGLONG FileBytes(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Splits the track's samples, then its peaks, and prints the figures.
void Measure(const std::string& folder, double minutes, LONGLONG frames)
{
    const BenchEngineTrack engineTrack(folder + "track.raw", kRate, kChannels, frames);
    IMtTrack* track = engineTrack.track.Get();
    const LONGLONG length = engineTrack.length;

    // Samples.
    IMtItem* reader = nullptr;
    Check(track->CreateReader(&reader, 0), "reader");
    Check(reader->BeginRead(), "begin read");
    CChannelSplitter split;
    auto start = std::chrono::steady_clock::now();
    Check(split.SplitWithProgress(reader, 16, kRate, kChannels, length), "split");
    double sampleSeconds = Seconds(start);
    reader->EndRead();
    reader->Release();
    LONGLONG written = FileBytes(split.GetChannelFileName(0)) + FileBytes(split.GetChannelFileName(1));
    split.DeleteChannelFiles();
    if (written != frames * 4) {
        std::fprintf(stderr, "the channel files hold %lld bytes, not %lld\n", written, frames * 4);
        std::exit(1);
    }

    // Peaks: the engine works them out on first use; that pass is not the splitter's.
    IMtPeakReader* peaks = nullptr;
    MtPeakItem one[kChannels];
    DWORD got = 0;
    Check(track->CreatePeakReader(&peaks, 1024, 0), "peak reader");
    peaks->Read(one, kChannels, &got);
    peaks->Release();
    Check(track->CreatePeakReader(&peaks, 1024, 0), "peak reader");
    Check(peaks->Seek(0), "peak seek");
    start = std::chrono::steady_clock::now();
    split.SplitBlocks(peaks, kChannels);
    double peakSeconds = Seconds(start);
    peaks->Release();
    LONGLONG peakBytes = FileBytes(split.GetPeakFileName(0)) + FileBytes(split.GetPeakFileName(1));
    split.DeletePeakFiles();

    PROCESS_MEMORY_COUNTERS memory;
    std::memset(&memory, 0, sizeof(memory));
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));

    const double mb = double(frames) * 4 / 1e6;
    std::printf("track: %.1f minutes, %lld frames, %.1f MB of 16-bit stereo\n", minutes, frames, mb);
    std::printf("samples_seconds %.3f\nsamples_mb_per_second %.1f\n", sampleSeconds, mb / sampleSeconds);
    std::printf("peaks_items %lld\npeaks_seconds %.4f\npeaks_items_per_second %.0f\n", peakBytes / 8, peakSeconds,
                double(peakBytes / 8) / peakSeconds);
    std::printf("peak_working_set_mb %.1f\npeak_private_mb %.1f\n", memory.PeakWorkingSetSize / 1e6,
                memory.PeakPagefileUsage / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    bool write = argc > 1 && std::strcmp(argv[1], "--write") == 0;
    int first = write ? 2 : 1;
    if (argc < first + 1) {
        std::fprintf(stderr, "usage: split_bench [--write] <folder> [minutes]\n");
        return 2;
    }
    std::string folder = argv[first];
    if (folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    double minutes = argc > first + 1 ? std::atof(argv[first + 1]) : 60.0;
    const LONGLONG frames = LONGLONG(std::llround(minutes * 60.0 * kRate));
    if (write) {
        WriteTrack(folder, frames);
        return 0;
    }

    if (FAILED(MtEngine::Load())) {
        std::fprintf(stderr, "KsMultiTrack.dll not found\n");
        return 1;
    }
    Measure(folder, minutes, frames);
    MtEngine::Unload();
    return 0;
}
