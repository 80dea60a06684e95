// Mix Tracks to New on eight stereo tracks, timed beside the engine's own mix doing the same
// work without the rendering graph and the new document.
//   mix_to_new_bench <folder> [minutes] [rounds]
// Writes track<t>.raw (the engine's 16-bit data) and track<t>.wav (the same samples) into the
// folder and builds a document of the raw files with every track selected. Each round runs
// the command once and the peer once, in turn (the order alternates by round): the peer makes
// the engine's mix reader, reads the mix whole in blocks of 65,536 frames and writes every block
// into a new file in the program's temporary folder, as the command's render does (the
// command's writer also builds the new file's peaks). The first round includes each side's
// first use (the command's graph and module loads; the peer has none past the engine, which
// the document loaded); later rounds are what a user's next mix costs. Each round also times
// the engine's mix read whole and written nowhere, for reference. Prints
//   mix_to_new_first_seconds <s>     engine_mix_first_seconds <s>   (round 1)
//   mix_to_new_seconds <s>           engine_mix_seconds <s>         (medians of rounds 2..)
//   mix_to_new_cpu_seconds <s>       engine_mix_cpu_seconds <s>     (medians, processor time
//                                                                    of the whole process)
//   engine_mix_alone_seconds <s>   (median of rounds 2.., nothing written)
//   mix_to_new_frames_per_second <n>
//   ratio_median <r>                 (median of each later round's command / peer)
#include "DocWiring.h"
#include "DocumentHost.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "TempFilePaths.h"
#include "WavFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "BenchDocumentHost.h"
#include "BenchRawTracks.h"
#include "BenchSupport.h"

namespace {

constexpr DWORD kRate = 44100;
constexpr int kTracks = 8;

// Track t: two sines, as raw 16-bit frames and as a WAV file of the same frames.
void WriteTrack(const std::string& folder, int t, LONGLONG frames)
{
    WriteRawTrack(folder, t, frames, kRate, [t](LONGLONG first, LONGLONG n, int16_t* s) {
        for (LONGLONG i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c)
                s[i * 2 + c] = static_cast<int16_t>(
                    3000.0 * std::sin(6.283185307 * (110.0 * (t + 1) * (c + 1)) * double(first + i) / kRate));
    });
}

// The track files on disk before the clock starts: their dirty pages would otherwise slow
// whichever side writes first while the system flushes them.
void FlushTrack(const std::string& folder, int t)
{
    for (const char* kind : {".raw", ".wav"}) {
        const std::string path = folder + "track" + std::to_string(t) + kind;
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::FlushFileBuffers(file);
            ::CloseHandle(file);
        }
    }
}

// Processor time of the whole process (every thread), in seconds: on a loaded machine it
// tells what a run cost apart from how long it waited for a processor.
double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    auto seconds = [](const FILETIME& t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::unique_ptr<CNyMultiTrackDoc> g_target;

CNyMultiTrackDoc* NewTarget()
{
    g_target = std::make_unique<CNyMultiTrackDoc>();
    g_target->m_bAutoDelete = FALSE;
    return g_target->OnNewDocument() ? g_target.get() : nullptr;
}

struct Timing {
    double seconds = 0.0;
    double cpu = 0.0;
};

template <typename F>
Timing Timed(F&& work)
{
    const double c0 = ProcessCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    work();
    Timing t;
    t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    t.cpu = ProcessCpuSeconds() - c0;
    return t;
}

// The command; the new document is closed after the clock stops.
Timing MixToNew(CNyMultiTrackDoc* doc, LONGLONG frames)
{
    g_target.reset();
    Timing t = Timed([doc] { doc->OnMixTracksToNew(); });
    if (!g_target || g_target->GetTrackCount() < 1 ||
        g_target->GetTrackExtent(g_target->GetTrackCount() - 1, 0) != frames) {
        std::fprintf(stderr, "the mix did not arrive whole in the new document\n");
        std::exit(1);
    }
    g_target.reset();
    return t;
}

// The peer: the engine's mix of the same tracks into a new float file of the same bytes, or
// with toFile false read whole and written nowhere.
Timing EngineMix(CNyMultiTrackDoc* doc, LONGLONG frames, bool toFile)
{
    std::string path;
    LONGLONG total = 0;
    Timing t = Timed([&] {
        ComRef<IMtMixReader> mix;
        Check(doc->GetTrackSet()->CreateMixReader(2, kMtMixAllTracks, mix.Out()), "mix reader");
        HANDLE file = INVALID_HANDLE_VALUE;
        if (toFile) {
            TempFilePaths temp;
            path = temp.MakeTempFileName();
            file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
            if (file == INVALID_HANDLE_VALUE)
                Check(HRESULT_FROM_WIN32(GetLastError()), "peer file");
        }
        std::vector<float> block(size_t(65536) * 2);
        for (DWORD read = 1; read > 0; total += read) {
            Check(mix->Read(block.data(), 65536, &read), "mix read");
            DWORD written = 0;
            const DWORD bytes = read * DWORD(2 * sizeof(float));
            if (toFile && (!::WriteFile(file, block.data(), bytes, &written, nullptr) || written != bytes))
                Check(HRESULT_FROM_WIN32(ERROR_WRITE_FAULT), "peer write");
        }
        if (toFile)
            ::CloseHandle(file);
    });
    if (toFile)
        ::DeleteFileA(path.c_str());
    if (total != frames) {
        std::fprintf(stderr, "the engine's mix gave %lld frames\n", (long long)total);
        std::exit(1);
    }
    return t;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: mix_to_new_bench <folder> [minutes] [rounds]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    const double minutes = argc > 2 ? std::atof(argv[2]) : 10.0;
    const int rounds = std::max(2, argc > 3 ? std::atoi(argv[3]) : 5);
    const LONGLONG frames = static_cast<LONGLONG>(minutes * 60 * kRate);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BenchHost host;
    host.settings.samplesPerSec = kRate;
    host.settings.bitsPerSample = 16;
    host.settings.dataChannels = 2;
    host.settings.documentType = 0;
    SetDocumentHost(&host);
    DocWiring::SetNewDocumentFactory(NewTarget);
    for (int t = 0; t < kTracks; ++t)
        WriteTrack(folder, t, frames);
    for (int t = 0; t < kTracks; ++t)
        FlushTrack(folder, t);

    {
        auto doc = std::make_unique<CNyMultiTrackDoc>();
        doc->m_bAutoDelete = FALSE;
        auto view = std::make_unique<CNyMultiTrackView>();
        view->SetPaneSizes(500, 400, 300);
        doc->AddView(view.get());
        if (!doc->OnNewDocument())
            Check(E_FAIL, "new document");
        LoadRawTracks(doc.get(), folder, kTracks, kRate);

        std::vector<Timing> ours, peer, alone;
        for (int r = 0; r < rounds; ++r) {
            if (r % 2 == 0) {
                ours.push_back(MixToNew(doc.get(), frames));
                peer.push_back(EngineMix(doc.get(), frames, true));
                alone.push_back(EngineMix(doc.get(), frames, false));
            } else {
                alone.push_back(EngineMix(doc.get(), frames, false));
                peer.push_back(EngineMix(doc.get(), frames, true));
                ours.push_back(MixToNew(doc.get(), frames));
            }
        }
        std::vector<double> seconds, cpu, peerSeconds, peerCpu, aloneSeconds, ratios;
        for (int r = 1; r < rounds; ++r) {
            seconds.push_back(ours[r].seconds);
            cpu.push_back(ours[r].cpu);
            peerSeconds.push_back(peer[r].seconds);
            peerCpu.push_back(peer[r].cpu);
            aloneSeconds.push_back(alone[r].seconds);
            ratios.push_back(ours[r].seconds / peer[r].seconds);
        }
        std::printf("mix_to_new_first_seconds %.3f\n", ours[0].seconds);
        std::printf("engine_mix_first_seconds %.3f\n", peer[0].seconds);
        std::printf("mix_to_new_seconds %.3f\n", Median(seconds));
        std::printf("engine_mix_seconds %.3f\n", Median(peerSeconds));
        std::printf("mix_to_new_cpu_seconds %.3f\n", Median(cpu));
        std::printf("engine_mix_cpu_seconds %.3f\n", Median(peerCpu));
        std::printf("engine_mix_alone_seconds %.3f\n", Median(aloneSeconds));
        std::printf("mix_to_new_frames_per_second %.0f\n", double(frames) / Median(seconds));
        std::printf("ratio_median %.2f\n", Median(ratios));
        doc.reset();
    }
    SetDocumentHost(nullptr);
    ::CoUninitialize();
    return 0;
}
