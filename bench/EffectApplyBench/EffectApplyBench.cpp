// The effect dialog's apply, timed: the ten-band equaliser and Gain run through the render
// worker (graph, chain, tracks writer and the recorded "Effect" step) over every track of a
// document, beside one thread doing the same reads, conversions, kernel and raw writes without
// a graph; then Undo and Redo of the step, and Reverse of the same tracks.
//   effect_apply_bench <folder> [minutes] [tracks] [parts] [rounds]
// parts: any of "eq", "gain", "ffteq", "reverse" joined by commas (default all four).
// rounds: each effect's worker and direct runs taken in turn that many times (default 1); the
// figures are the medians, and "<name>_ratio" the median of each round's worker / direct;
// "<name>_rounds" lists each round's worker/direct seconds. Each timed run starts once the host
// has written out the files of the last one, which otherwise slow whichever run comes next.
// Writes track<t>.raw (the engine's 16-bit data) and track<t>.wav (the same samples) into the
// folder. Prints one "name seconds" line per figure.
//   effect_apply_bench --preview
// Click to first sound: a preview posted to the worker until its sound is heard at the default
// input (the sound server's monitor), in milliseconds.
#include "AudioRig.h"
#include "BenchDocumentHost.h"
#include "BenchRawTracks.h"
#include "BenchSupport.h"
#include "ComRef.h"
#include "DocWiring.h"
#include "EqEngine.h"
#include "FftEqKernel.h"
#include "FftEqRenderWorker.h"
#include "KvSEFFEQ.h"
#include "FileHandle.h"
#include "IGraphicEq.h"
#include "IEffectParameters.h"
#include "KsMultiTrackLoader.h"
#include "KvSELevl.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "RenderWorker.h"
#include "ReverseJob.h"
#include "SampleConverter.h"
#include "SelectionModel.h"
#include "WavFile.h"
#include "WaveFormat.h"
#include "GainKernel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRate = 48000;
constexpr int kEqGains[10] = {60, -60, 60, -60, 60, -60, 60, -60, 60, -60}; // 0.1 dB
constexpr double kGainDb = 6.0;

double Seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Track t: sines with a little noise.
void WriteTrack(const std::string& folder, int t, LONGLONG frames)
{
    uint32_t seed = 1u + static_cast<uint32_t>(t);
    WriteRawTrack(folder, t, frames, kRate, [&](LONGLONG first, LONGLONG n, int16_t* s) {
        for (LONGLONG i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c) {
                seed = seed * 1664525u + 1013904223u;
                const double tone = std::sin(6.283185307 * (110.0 * (t + 1) * (c + 1)) * double(first + i) / kRate);
                s[i * 2 + c] = static_cast<int16_t>(4000.0 * tone + double(int32_t(seed >> 16) - 32768) / 16.0);
            }
    });
}

// A document whose tracks are the raw files, every track selected, nothing of a range.
struct BenchDocument {
    std::unique_ptr<CNyMultiTrackDoc> doc;
    std::unique_ptr<CNyMultiTrackView> view;

    BenchDocument(const std::string& folder, int tracks)
    {
        doc = std::make_unique<CNyMultiTrackDoc>();
        doc->m_bAutoDelete = FALSE;
        view = std::make_unique<CNyMultiTrackView>();
        view->SetPaneSizes(500, 400, 300);
        doc->AddView(view.get());
        if (!doc->OnNewDocument())
            Check(E_FAIL, "new document");
        LoadRawTracks(doc.get(), folder, tracks, kRate);
        SelectAll();
    }
    ~BenchDocument()
    {
        view.reset();
        doc.reset();
    }
    void SelectAll()
    {
        for (int t = 0; t < doc->GetTrackCount(); ++t)
            Check(doc->GetSelection()->SetTrackSelected(t, TRUE), "select");
        doc->GetSelection()->SetSelection(0, 0, TRUE);
    }
};

void WaitPumping(HANDLE handle)
{
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

ComRef<IBaseFilter> EqualizerFilter()
{
    ComRef<IBaseFilter> filter;
    Check(CreateModuleObject("KvSEGEQ1.dll", kClsidGraphicEqFilter, IID_IBaseFilter, filter.OutVoid()), "equaliser");
    ComRef<IGraphicEq> eq;
    Check(filter->QueryInterface(__uuidof(IGraphicEq), eq.OutVoid()), "equaliser interface");
    eq->SetMode(0);
    eq->SetSampleRate(static_cast<int>(kRate));
    HRESULT (STDMETHODCALLTYPE IGraphicEq::*setters[10])(int) = {
        &IGraphicEq::SetBand1, &IGraphicEq::SetBand2, &IGraphicEq::SetBand3, &IGraphicEq::SetBand4,
        &IGraphicEq::SetBand5, &IGraphicEq::SetBand6, &IGraphicEq::SetBand7, &IGraphicEq::SetBand8,
        &IGraphicEq::SetBand9, &IGraphicEq::SetBand10};
    for (int b = 0; b < 10; ++b)
        (eq.Get()->*setters[b])(kEqGains[b]);
    eq->SetMaster(0);
    return filter;
}

ComRef<IBaseFilter> GainFilter()
{
    ComRef<IBaseFilter> filter;
    Check(CreateModuleObject("KvSELevl.dll", CLSID_KvSELevl, IID_IBaseFilter, filter.OutVoid()), "gain");
    ComRef<IEffectParameters> parameters;
    Check(filter->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid()), "gain parameters");
    parameters->SetParameter(0, kGainDb);
    parameters->SetParameter(1, kGainDb);
    return filter;
}

// The FFT equaliser with a curve of three points.
void FftEqCurve(double* values)
{
    for (int i = 0; i < fx::kFeqParamCount; ++i)
        values[i] = fx::kFftEqParams[i].defaultValue;
    const double points[3][2] = {{100, 6}, {1000, -12}, {8000, 4}};
    values[fx::kFeqPointCount] = 3;
    for (int p = 0; p < 3; ++p) {
        values[fx::kFeqFirstPoint + 2 * p] = points[p][0];
        values[fx::kFeqFirstPoint + 2 * p + 1] = points[p][1];
    }
}

ComRef<IBaseFilter> FftEqFilter()
{
    ComRef<IBaseFilter> filter;
    Check(CreateModuleObject("KvSEFFEQ.dll", CLSID_KvSEFFEQ, IID_IBaseFilter, filter.OutVoid()), "FFT equaliser");
    ComRef<IEffectParameters> parameters;
    Check(filter->QueryInterface(__uuidof(IEffectParameters), parameters.OutVoid()), "FFT equaliser parameters");
    double values[fx::kFeqParamCount];
    FftEqCurve(values);
    for (int i = fx::kFeqPointCount; i < fx::kFeqParamCount; ++i)
        parameters->SetParameter(i, values[i]);
    return filter;
}

// Post, wait, record, take the chain down: a dialog's OK once its worker is set up.
template <class Worker>
void ApplyAndRecord(BenchDocument& b, Worker& worker)
{
    worker.document = b.doc.get();
    worker.history = b.doc->GetHistory();
    worker.PostApply(nullptr);
    WaitPumping(worker.doneEvent);
    Check(worker.CompleteOnMainThread(), "apply");
    worker.DisconnectChain();
    worker.RemoveEffectFilters();
}

// The FFT equaliser dialog's OK: its worker's apply, waited for and recorded.
double ApplyThroughFftEqWorker(BenchDocument& b, IBaseFilter* filter)
{
    b.SelectAll();
    const auto t0 = std::chrono::steady_clock::now();
    CFftEqRenderWorker worker;
    Check(worker.Start(), "worker");
    Check(worker.SetEffect(filter), "chain");
    worker.engine = ComRef<IMtTrackSet>::Share(b.doc->GetTrackSet());
    ApplyAndRecord(b, worker);
    return Seconds(t0);
}

// The whole apply as the dialog's OK runs it: post, wait, record.
double ApplyThroughWorker(BenchDocument& b, IBaseFilter* filter)
{
    b.SelectAll();
    const auto t0 = std::chrono::steady_clock::now();
    CRenderWorker worker(nullptr);
    Check(worker.Start(), "worker");
    if (filter)
        Check(worker.AddEffectFilter(filter, FALSE), "chain");
    worker.SetSource(b.doc->GetTrackSet());
    ApplyAndRecord(b, worker);
    return Seconds(t0);
}

std::string DirectFile(const std::string& folder, int t)
{
    return folder + "direct" + std::to_string(t) + ".raw";
}

// The same work on one thread, without a graph: each track read as 16-bit frames, made float,
// through the kernel (which answers where its output is), made 16-bit again and written to a
// raw file. The files go once the run is timed, as the worker's apply is undone and dropped.
using DirectKernel = std::function<const float*(const float*, size_t)>;

double ApplyDirect(BenchDocument& b, const std::string& folder, const DirectKernel& kernel)
{
    for (int t = 0; t < b.doc->GetTrackCount(); ++t)
        ::DeleteFileA(DirectFile(folder, t).c_str());
    const auto t0 = std::chrono::steady_clock::now();
    const size_t block = 16384;
    std::vector<int16_t> in(block * 2), out(block * 2);
    std::vector<float> f(block * 2);
    WaveFormat pcm(kRate, 16, 2), flt;
    flt.InitFloat32(kRate, 2);
    SampleConverter toFloat, toPcm;
    toFloat.SetSourceFormat(&pcm);
    toFloat.SetDestinationFormat(&flt);
    toPcm.SetSourceFormat(&flt);
    toPcm.SetDestinationFormat(&pcm);
    for (int t = 0; t < b.doc->GetTrackCount(); ++t) {
        ComRef<IMtItem> reader;
        Check(b.doc->GetTrack(t)->CreateReader(reader.Out(), 0), "reader");
        reader->BeginRead();
        const std::string path = DirectFile(folder, t);
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        for (;;) {
            DWORD got = 0;
            Check(reader->Read(in.data(), static_cast<DWORD>(in.size() * 2), &got), "read");
            const size_t frames = got / 4;
            if (frames == 0)
                break;
            toFloat.Convert(in.data(), frames, f.data());
            toPcm.Convert(kernel(f.data(), frames), frames, out.data());
            DWORD written = 0;
            ::WriteFile(file, out.data(), static_cast<DWORD>(frames * 4), &written, nullptr);
        }
        reader->EndRead();
        ::CloseHandle(file);
    }
    const double seconds = Seconds(t0);
    for (int t = 0; t < b.doc->GetTrackCount(); ++t)
        ::DeleteFileA(DirectFile(folder, t).c_str());
    return seconds;
}

// The same, with a kit kernel of stereo in and out, one output frame per input frame.
template <class Kernel>
double ApplyKernelDirect(BenchDocument& b, const std::string& folder, Kernel& kernel)
{
    std::vector<float> out;
    return ApplyDirect(b, folder, [&](const float* data, size_t n) {
        out.resize(n * 2);
        kernel.Process(data, out.data(), n);
        return out.data();
    });
}

int Preview()
{
    rig::Capture& capture = rig::Capture::Get();
    if (!capture.WaitRunning(8000)) {
        std::fprintf(stderr, "no capture of the sound server\n");
        return 1;
    }
    BenchHost host;
    host.settings.samplesPerSec = kRate;
    SetDocumentHost(&host);
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    const std::string work = std::string(folder) + "fxpreview\\";
    ::CreateDirectoryA(work.c_str(), nullptr);
    WriteTrack(work, 0, 10 * kRate);
    std::vector<double> delays;
    {
        BenchDocument b(work, 1);
        ComRef<IBaseFilter> gain = GainFilter();
        for (int run = 0; run < 5; ++run) {
            CRenderWorker worker(nullptr);
            Check(worker.Start(), "worker");
            Check(worker.AddEffectFilter(gain.Get(), FALSE), "chain");
            worker.SetSource(b.doc->GetTrackSet());
            capture.WaitFor(capture.Now() + kRate / 5, 2000);
            const LONGLONG clicked = capture.Now();
            worker.PostPreview(nullptr);
            WaitPumping(worker.doneEvent);
            capture.WaitFor(clicked + 2 * kRate, 5000);
            const std::vector<int16_t> heard = capture.Take(clicked, clicked + 2 * kRate);
            const LONGLONG first = rig::FirstSound(heard, 0, 0.01);
            if (first >= 0)
                delays.push_back(1000.0 * double(first) / kRate);
            worker.StopGraph(0);
            worker.DisconnectChain();
            worker.RemoveEffectFilters();
        }
    }
    SetDocumentHost(nullptr);
    std::sort(delays.begin(), delays.end());
    if (delays.empty()) {
        std::printf("preview_first_sound_ms none heard\n");
        return 1;
    }
    std::printf("preview_first_sound_ms %.0f (median of %zu; fastest %.0f, slowest %.0f)\n", delays[delays.size() / 2],
                delays.size(), delays.front(), delays.back());
    return 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A run's wall time and the processor time of the whole process over it (all of it, and
// outside the system alone), in seconds.
struct RunTimes {
    double wall = 0, cpu = 0, user = 0;
};

// The host's dirty and in-flight page cache, in kB (-1 when it cannot be read): the files the
// last run wrote (and deleted) are still going to the disk for a while, and a run timed while
// they do pays for them.
long long UnwrittenKilobytes()
{
    HANDLE file = ::CreateFileA("Z:\\proc\\meminfo", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    char text[8192] = {};
    DWORD got = 0;
    ::ReadFile(file, text, sizeof text - 1, &got, nullptr);
    ::CloseHandle(file);
    long long total = 0;
    for (const char* key : {"\nDirty:", "\nWriteback:"}) {
        const char* at = std::strstr(text, key);
        if (!at)
            return -1;
        total += std::atoll(at + std::strlen(key));
    }
    return total;
}

// Waits (at most 30 s) until the host has written out what earlier runs left behind.
void SettleDisk()
{
    for (int i = 0; i < 300; ++i) {
        const long long kb = UnwrittenKilobytes();
        if (kb < 64 * 1024)
            return;
        ::Sleep(100);
    }
}

RunTimes Timed(const std::function<double()>& run)
{
    SettleDisk();
    const double cpu0 = ProcessCpuSeconds(), user0 = ProcessCpuSeconds(true);
    RunTimes times;
    times.wall = run();
    times.cpu = ProcessCpuSeconds() - cpu0;
    times.user = ProcessCpuSeconds(true) - user0;
    return times;
}

// Rounds of the worker's apply (undone after each) and the direct run in turn, the worker first
// in even rounds and last in odd ones, so a change of load falls on both alike. Processor
// times are printed beside: under load they tell the work from the waiting.
void Interleaved(const char* name, int rounds, BenchDocument& b, const std::function<double()>& worker,
                 const std::function<double()>& direct)
{
    std::vector<double> w, d, ratio, wc, dc, cpuRatio, wu, du;
    for (int r = 0; r < rounds; ++r) {
        RunTimes directTimes;
        if (r % 2)
            directTimes = Timed(direct);
        const RunTimes workerTimes = Timed(worker);
        // Undone, and the step dropped with the files it held, as the direct run's files go
        // after it: each run starts with nothing of the last one in the file cache.
        Check(b.doc->GetHistory()->Undo(), "undo");
        Check(b.doc->GetHistory()->Clear(), "clear");
        if (r % 2 == 0)
            directTimes = Timed(direct);
        w.push_back(workerTimes.wall);
        d.push_back(directTimes.wall);
        ratio.push_back(workerTimes.wall / directTimes.wall);
        wc.push_back(workerTimes.cpu);
        dc.push_back(directTimes.cpu);
        cpuRatio.push_back(directTimes.cpu > 0 ? workerTimes.cpu / directTimes.cpu : 0);
        wu.push_back(workerTimes.user);
        du.push_back(directTimes.user);
    }
    std::printf("%s_rounds", name);
    for (int r = 0; r < rounds; ++r)
        std::printf(" %.3f/%.3f", w[r], d[r]);
    std::printf("\n");
    std::printf("%s_worker_seconds %.3f\n%s_direct_seconds %.3f\n%s_ratio %.4f\n", name, Median(w), name, Median(d),
                name, Median(ratio));
    std::printf("%s_worker_cpu_seconds %.3f\n%s_direct_cpu_seconds %.3f\n%s_cpu_ratio %.4f\n", name, Median(wc), name,
                Median(dc), name, Median(cpuRatio));
    std::printf("%s_worker_user_seconds %.3f\n%s_direct_user_seconds %.3f\n", name, Median(wu), name, Median(du));
}

} // namespace

int main(int argc, char** argv)
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (argc > 1 && std::string(argv[1]) == "--preview")
        return Preview();
    if (argc < 2) {
        std::fprintf(stderr, "usage: effect_apply_bench <folder> [minutes] [tracks] [parts] [rounds] | --preview\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    const double minutes = argc > 2 ? std::atof(argv[2]) : 60.0;
    const int tracks = argc > 3 ? std::atoi(argv[3]) : 8;
    const std::string parts = argc > 4 ? std::string(",") + argv[4] + "," : ",eq,gain,ffteq,reverse,";
    const int rounds = std::max(argc > 5 ? std::atoi(argv[5]) : 1, 1);
    auto wanted = [&](const char* part) { return parts.find(std::string(",") + part + ",") != std::string::npos; };
    const LONGLONG frames = static_cast<LONGLONG>(minutes * 60 * kRate);
    BenchHost host;
    host.settings.samplesPerSec = kRate;
    host.settings.bitsPerSample = 16;
    host.settings.dataChannels = 2;
    SetDocumentHost(&host);
    for (int t = 0; t < tracks; ++t)
        WriteTrack(folder, t, frames);
    for (int t = 0; t < tracks; ++t)
        FlushTrack(folder, t);
    std::printf("frames %lld tracks %d rounds %d\n", static_cast<long long>(frames), tracks, rounds);
    {
        BenchDocument b(folder, tracks);
        // The equaliser: through the worker, then its engine alone on one thread; then Undo
        // and Redo of one more apply.
        if (wanted("eq")) {
            ComRef<IBaseFilter> eq = EqualizerFilter();
            geq::EqEngine engine;
            geq::WaveFormat flt{};
            flt.formatTag = geq::kTagFloat;
            flt.channels = 2;
            flt.samplesPerSec = kRate;
            flt.bitsPerSample = 32;
            flt.blockAlign = 8;
            flt.avgBytesPerSec = kRate * 8;
            float gains[10];
            for (int i = 0; i < 10; ++i)
                gains[i] = kEqGains[i] * 0.1f;
            std::vector<float> out;
            Interleaved(
                "equalizer", rounds, b, [&] { return ApplyThroughWorker(b, eq.Get()); },
                [&] {
                    engine.Prepare(flt, flt);
                    engine.SetBandGains(gains);
                    engine.SetMasterGain(0);
                    return ApplyDirect(b, folder, [&](const float* data, size_t n) {
                        out.resize(engine.MaxOutputFrames(n) * 2);
                        engine.Process(data, n, out.data());
                        return out.data();
                    });
                });
            ApplyThroughWorker(b, eq.Get());
            auto t0 = std::chrono::steady_clock::now();
            Check(b.doc->GetHistory()->Undo(), "undo");
            std::printf("equalizer_undo_ms %.1f\n", 1000.0 * Seconds(t0));
            t0 = std::chrono::steady_clock::now();
            Check(b.doc->GetHistory()->Redo(), "redo");
            std::printf("equalizer_redo_ms %.1f\n", 1000.0 * Seconds(t0));
            Check(b.doc->GetHistory()->Undo(), "undo");
        }
        // Gain, the same two ways.
        if (wanted("gain")) {
            ComRef<IBaseFilter> gain = GainFilter();
            fx::GainKernel kernel;
            double values[fx::kGainChannels] = {kGainDb, kGainDb, 0, 0, 0, 0};
            Interleaved(
                "gain", rounds, b, [&] { return ApplyThroughWorker(b, gain.Get()); },
                [&] {
                    kernel.Prepare({double(kRate), 2, 2}, values);
                    return ApplyKernelDirect(b, folder, kernel);
                });
        }
        // The FFT equaliser, the same two ways; the direct run designs its filter once, as the
        // module keeps its design from one run to the next.
        if (wanted("ffteq")) {
            ComRef<IBaseFilter> eq = FftEqFilter();
            fx::FftEqKernel kernel;
            double values[fx::kFeqParamCount];
            FftEqCurve(values);
            Interleaved(
                "ffteq", rounds, b, [&] { return ApplyThroughFftEqWorker(b, eq.Get()); },
                [&] {
                    const auto t0 = std::chrono::steady_clock::now();
                    kernel.Prepare({double(kRate), 2, 2}, values);
                    return Seconds(t0) + ApplyKernelDirect(b, folder, kernel);
                });
        }
        // Reverse of every track.
        if (wanted("reverse")) {
            b.SelectAll();
            SettleDisk();
            const auto t0 = std::chrono::steady_clock::now();
            CReverseJob job;
            job.SetEngine(b.doc->GetTrackSet());
            job.SetHistory(b.doc->GetHistory());
            job.SetDocument(b.doc.get());
            Check(job.Run(), "reverse");
            std::printf("reverse_seconds %.3f\n", Seconds(t0));
            Check(b.doc->GetHistory()->Undo(), "undo");
        }
        b.doc->GetHistory()->Clear();
        for (int t = 0; t < tracks; ++t)
            ::DeleteFileA(DirectFile(folder, t).c_str());
    }
    SetDocumentHost(nullptr);
    ::CoUninitialize();
    return 0;
}

