// The transport's playback work, block by block, and a run through the sound devices.
//   playback_bench <folder> [seconds]
//       writes 8 stereo 48 kHz 16-bit tracks (raw for the engine, WAV for sox), then renders
//       them 10 ms at a time as the transport's worker does (mix with volume, pan and a level
//       envelope, to 16-bit) while 2 takes are written from each block, and prints the work
//       per block as shares of its 10 ms: mean, 99.9 % and worst, and the real-time factor.
//   playback_bench --devices <folder> [seconds]
//       the same tracks (written before) played while 2 takes are recorded through the
//       transport (record while playing) into the sound server: start latency and underruns.
#include "AudioRig.h"
#include "ItemData.h"
#include "KsMultiTrack.h"
#include "PlaybackRenderer.h"
#include "TakeFile.h"
#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "BenchSupport.h"

namespace {

constexpr DWORD kRate = 48000;
constexpr int kTracks = 8;
constexpr DWORD kBlock = kRate / 100;

template <class F>
F Bind(HMODULE m, WORD ordinal)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, MAKEINTRESOURCEA(ordinal))));
}

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

void WriteTracks(const std::string& folder, LONGLONG frames)
{
    for (int t = 0; t < kTracks; ++t) {
        FILE* raw = std::fopen((folder + "track" + std::to_string(t) + ".raw").c_str(), "wb");
        FILE* wav = std::fopen((folder + "track" + std::to_string(t) + ".wav").c_str(), "wb");
        if (!raw || !wav) {
            std::fprintf(stderr, "cannot write the tracks in %s\n", folder.c_str());
            std::exit(1);
        }
        kvtest::WriteWavHeader(wav, 2, kRate, 16, frames);
        std::vector<int16_t> pcm(65536 * 2);
        for (LONGLONG first = 0; first < frames; first += 65536) {
            LONGLONG n = std::min<LONGLONG>(65536, frames - first);
            for (LONGLONG i = 0; i < n; ++i)
                for (int c = 0; c < 2; ++c)
                    pcm[size_t(i * 2 + c)] = static_cast<int16_t>(
                        std::lround(3000.0 * std::sin(2 * 3.14159265358979 * (110.0 * (t + 1) + 55.0 * c) *
                                                      double(first + i) / kRate)));
            std::fwrite(pcm.data(), 4, size_t(n), raw);
            std::fwrite(pcm.data(), 4, size_t(n), wav);
        }
        std::fclose(raw);
        std::fclose(wav);
    }
}

struct Engine {
    HMODULE module = nullptr;
    PFN_MtCreateTrackSet createTrackSet = nullptr;
    PFN_MtCreateItemList createItemList = nullptr;
    PFN_MtCreateClip createClip = nullptr;
    PFN_MtCreateInstance createInstance = nullptr;

    Engine()
    {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string folder(path);
        folder = folder.substr(0, folder.find_last_of('\\') + 1);
        module = LoadLibraryA((folder + "KsMultiTrack.dll").c_str());
        if (!module) {
            std::fprintf(stderr, "KsMultiTrack.dll not found\n");
            std::exit(1);
        }
        createTrackSet = Bind<PFN_MtCreateTrackSet>(module, kMtOrdCreateTrackSet);
        createItemList = Bind<PFN_MtCreateItemList>(module, kMtOrdCreateItemList);
        createClip = Bind<PFN_MtCreateClip>(module, kMtOrdCreateClip);
        createInstance = Bind<PFN_MtCreateInstance>(module, kMtOrdCreateInstance);
    }
};

// The 8 tracks with volume, pan and a level envelope over the whole length.
IMtTrackSet* BuildSet(const Engine& e, const std::string& folder, LONGLONG frames)
{
    IMtTrackSet* set = nullptr;
    Check(e.createTrackSet(&set), "MtCreateTrackSet");
    Check(set->SetFormat(16, kRate), "SetFormat");
    for (int t = 0; t < kTracks; ++t) {
        std::string path = folder + "track" + std::to_string(t) + ".raw";
        MtFileItemRecord record;
        std::memset(&record, 0, sizeof(record));
        std::strncpy(record.path, path.c_str(), sizeof(record.path) - 1);
        record.channels = 2;
        record.bitsPerSample = 16;
        record.samplesPerSec = kRate;
        IMtItemList* list = nullptr;
        Check(e.createItemList(&list), "MtCreateItemList");
        Check(list->AddFileItem(&record, path.c_str(), nullptr, 0), "AddFileItem");
        list->ResetItems(0);
        IUnknown* item = nullptr;
        Check(list->NextItem(&item, nullptr), "NextItem");
        IMtClip* clip = nullptr;
        Check(e.createClip(&clip), "MtCreateClip");
        Check(clip->SetSource(item, 0, frames), "SetSource");
        IMtTrack* track = nullptr;
        Check(set->InsertTrack(0, 2, &track, -1), "InsertTrack");
        Check(track->InsertClip(clip, 0, 0, 0), "InsertClip");
        track->SetVolume(0.5f + 0.05f * float(t));
        track->SetPan(-0.7f + 0.2f * float(t));
        IMtEnvelopeSet* envelopes = nullptr;
        Check(track->QueryInterface(__uuidof(IMtEnvelopeSet), reinterpret_cast<void**>(&envelopes)), "envelopes");
        IMtEnvelope* level = nullptr;
        Check(envelopes->GetEnvelope(kMtEnvLevel, &level), "GetEnvelope");
        level->InsertPoint(0, 0.5f);
        level->InsertPoint(frames / 2, 1.0f);
        level->InsertPoint(frames, 0.7f);
        level->Release();
        envelopes->Release();
        track->Release();
        clip->Release();
        item->Release();
        list->Release();
    }
    return set;
}

int RenderBench(const std::string& folder, double seconds)
{
    const LONGLONG frames = LONGLONG(seconds * kRate);
    WriteTracks(folder, frames);
    Engine e;
    IMtTrackSet* set = BuildSet(e, folder, frames);
    SetEngineTempFolder(folder);
    PlaybackRenderer renderer;
    Check(renderer.Begin(set, 0, frames), "Begin");
    TakeFile takes[2];
    MtFormat format;
    format.rate = kRate;
    format.bits = 16;
    format.channels = 2;
    for (TakeFile& t : takes)
        t.Create(format);
    std::vector<int16_t> block(kBlock * 2);
    // As the transport's worker runs.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    std::vector<double> work;
    work.reserve(size_t(frames / kBlock) + 1);
    double total = 0;
    while (!renderer.Done()) {
        double start = Now();
        size_t have = 0;
        while (have < kBlock && !renderer.Done()) {
            LONGLONG from = 0;
            HRESULT hr = S_OK;
            have += renderer.Render(block.data() + have * 2, kBlock - have, &from, &hr);
            Check(hr, "Render");
        }
        for (TakeFile& t : takes)
            t.Append(block.data(), have, 2);
        double spent = Now() - start;
        work.push_back(spent);
        total += spent;
    }
    for (TakeFile& t : takes)
        t.Discard();
    set->Release();
    std::vector<double> sorted(work);
    std::sort(sorted.begin(), sorted.end());
    const double budget = double(kBlock) / kRate;
    const double mean = total / double(work.size());
    const double p999 = sorted[std::min(sorted.size() - 1, size_t(double(sorted.size()) * 0.999))];
    std::printf("playback work per 10 ms block, %d stereo tracks (volume, pan, level envelope), 2 takes written, "
                "%zu blocks:\n",
                kTracks, work.size());
    std::printf("  mean %.2f %%, 99.9 %% %.2f %%, worst %.2f %% of the block's time\n", 100 * mean / budget,
                100 * p999 / budget, 100 * sorted.back() / budget);
    std::printf("  engine real-time factor %.0f (%.3f s of work for %.0f s of sound)\n", seconds / total, total,
                seconds);
    return 0;
}

int DeviceBench(const std::string& folder, double seconds)
{
    if (!rig::Capture::Get().WaitRunning(8000)) {
        std::fprintf(stderr, "no capture of the sound server\n");
        return 1;
    }
    const LONGLONG frames = LONGLONG(seconds * kRate);
    Engine e;
    IMtTrackSet* set = BuildSet(e, folder, frames);
    Check(set->SetRecordChannels(2), "SetRecordChannels");
    for (int i = 0; i < 2; ++i) {
        IMtTrack* armed = nullptr;
        Check(set->InsertTrack(0, 2, &armed, -1), "InsertTrack");
        armed->SetRecordArmed(1);
        armed->Release();
    }
    IMtTransport* transport = nullptr;
    Check(e.createInstance(kMtClsidTransport, reinterpret_cast<void**>(&transport), __uuidof(IMtTransport)),
          "MtCreateInstance");
    IMtSourceLink* link = nullptr;
    IMtPlayPosition* position = nullptr;
    IMtRecorder* recorder = nullptr;
    IMtPlayStatus* status = nullptr;
    transport->QueryInterface(__uuidof(IMtSourceLink), reinterpret_cast<void**>(&link));
    transport->QueryInterface(__uuidof(IMtPlayPosition), reinterpret_cast<void**>(&position));
    transport->QueryInterface(__uuidof(IMtRecorder), reinterpret_cast<void**>(&recorder));
    transport->QueryInterface(__uuidof(IMtPlayStatus), reinterpret_cast<void**>(&status));
    Check(link->Attach(set, 3), "Attach");
    double t0 = Now();
    Check(transport->Start(1), "Start");
    double opened = Now() - t0;
    while (recorder->GetStatus() != 3 && Now() - t0 < 8)
        Sleep(5);
    double inputFlowing = Now() - t0;
    LONGLONG mark = rig::Capture::Get().Now();
    double released = Now();
    Check(transport->TogglePause(), "TogglePause");
    LONGLONG at = 0;
    while (at <= 0 && Now() - released < 2) {
        position->GetPosition(&at);
        Sleep(1);
    }
    double moving = Now() - released;
    Sleep(DWORD(seconds * 1000));
    LONG underruns = -1, bufferMs = 0;
    status->GetBufferStatus(&underruns, &bufferMs);
    LONGLONG bytes = 0;
    recorder->GetRecordedBytes(&bytes);
    auto heard = rig::Capture::Get().Take(mark, rig::Capture::Get().Now());
    LONGLONG first = rig::FirstSound(heard, 0, 0.01);
    Check(transport->Stop(), "Stop");
    std::printf("record while playing %d tracks into 2 takes through the sound server, %.0f s:\n", kTracks, seconds);
    std::printf("  Start(1) %.1f ms (devices open); input flowing after %.0f ms\n", opened * 1000, inputFlowing * 1000);
    std::printf("  release to moving position %.1f ms; release to sound at the sink's monitor %.1f ms\n", moving * 1000,
                first < 0 ? -1.0 : double(first) * 1000 / kRate);
    std::printf("  underruns %ld (output buffering %ld ms); %.1f MB recorded\n", long(underruns), long(bufferMs),
                double(bytes) / 1e6);
    status->Release();
    recorder->Release();
    position->Release();
    link->Release();
    transport->Release();
    set->Release();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool devices = argc > 1 && std::strcmp(argv[1], "--devices") == 0;
    int first = devices ? 2 : 1;
    if (argc <= first) {
        std::fprintf(stderr, "usage: playback_bench [--devices] <folder> [seconds]\n");
        return 2;
    }
    std::string folder = argv[first];
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    double seconds = argc > first + 1 ? std::atof(argv[first + 1]) : 60.0;
    try {
        return devices ? DeviceBench(folder, seconds) : RenderBench(folder, seconds);
    } catch (...) {
        std::fprintf(stderr, "the benchmark failed\n");
        return 1;
    }
}
