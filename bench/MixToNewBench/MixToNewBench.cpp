// Mix Tracks to New on eight stereo tracks, timed.
//   mix_to_new_bench <folder> [minutes]
// Writes track<t>.raw (the engine's 16-bit data) and track<t>.wav (the same samples) into the
// folder, builds a document of the raw files, selects every track and runs the command; then
// the engine's own mix of the same tracks read whole (the work without the rendering graph,
// the file and the new document). Prints
//   mix_to_new_seconds <s>
//   mix_to_new_frames_per_second <n>
//   mix_to_new_cpu_seconds <s>    (processor time of the process over the command)
//   engine_mix_seconds <s>
//   engine_mix_cpu_seconds <s>
#include "DocWiring.h"
#include "DocumentHost.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "WavFile.h"

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

std::unique_ptr<CNyMultiTrackDoc> g_target;

CNyMultiTrackDoc* NewTarget()
{
    g_target = std::make_unique<CNyMultiTrackDoc>();
    g_target->m_bAutoDelete = FALSE;
    return g_target->OnNewDocument() ? g_target.get() : nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: mix_to_new_bench <folder> [minutes]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    const double minutes = argc > 2 ? std::atof(argv[2]) : 10.0;
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

    {
        auto doc = std::make_unique<CNyMultiTrackDoc>();
        doc->m_bAutoDelete = FALSE;
        auto view = std::make_unique<CNyMultiTrackView>();
        view->SetPaneSizes(500, 400, 300);
        doc->AddView(view.get());
        if (!doc->OnNewDocument())
            Check(E_FAIL, "new document");
        LoadRawTracks(doc.get(), folder, kTracks, kRate);

        const double c0 = ProcessCpuSeconds();
        auto t0 = std::chrono::steady_clock::now();
        doc->OnMixTracksToNew();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = ProcessCpuSeconds() - c0;
        if (!g_target || g_target->GetTrackCount() < 1 ||
            g_target->GetTrackExtent(g_target->GetTrackCount() - 1, 0) != frames) {
            std::fprintf(stderr, "the mix did not arrive whole in the new document\n");
            return 1;
        }
        std::printf("mix_to_new_seconds %.3f\n", seconds);
        std::printf("mix_to_new_frames_per_second %.0f\n", double(frames) / seconds);
        std::printf("mix_to_new_cpu_seconds %.3f\n", cpu);
        {
            ComRef<IMtMixReader> mix;
            Check(doc->GetTrackSet()->CreateMixReader(2, kMtMixAllTracks, mix.Out()), "mix reader");
            std::vector<float> block(size_t(65536) * 2);
            LONGLONG total = 0;
            const double mc0 = ProcessCpuSeconds();
            auto m0 = std::chrono::steady_clock::now();
            for (DWORD read = 1; read > 0; total += read)
                Check(mix->Read(block.data(), 65536, &read), "mix read");
            double mixSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m0).count();
            const double mixCpu = ProcessCpuSeconds() - mc0;
            if (total != frames) {
                std::fprintf(stderr, "the engine's mix gave %lld frames\n", (long long)total);
                return 1;
            }
            std::printf("engine_mix_seconds %.3f\n", mixSeconds);
            std::printf("engine_mix_cpu_seconds %.3f\n", mixCpu);
        }
        g_target.reset();
        doc.reset();
    }
    SetDocumentHost(nullptr);
    ::CoUninitialize();
    return 0;
}
