// Speed and memory of edit commands run through a document's history.
//   edit_bench [seconds] [edits] [seed] [pairs]      defaults: 3600 1000 1 3
// Builds a document of eight stereo 48 kHz 24-bit tracks of the given length (each track a
// run of clips of one 10-second item, so memory follows the edits, not the sound), runs the
// same seeded edits journal off and journal on, in pairs whose order alternates (so neither
// side always meets the cold cache), and prints per command type the count, median and 95th
// percentile in ms over all pairs, then the medians over the pairs of: the totals and the
// journal's overhead in percent, journal bytes per edit, private bytes held after the edits
// (and per edit), undo-all and redo-all seconds.
// Edits that rewrite all sound (resample, refreshpeak, splittrack) run at most twice a run.
//   edit_bench long [minutes ...]                    defaults: 1 5 20
// Times, for each length, the edits that rewrite all sound on their own (peak refresh twice:
// from the clips' one item, then from the files the first wrote; its undo and redo; resample
// with its undo and redo), beside a raw read-and-write of the same bytes in 1-MiB blocks (the
// item read into one new file per track; those files copied to new ones), and per minute.
#include "AudioFormat.h"
#include "ChangeMasterVolumeCommand.h"
#include "ChangeMixingParamCommand.h"
#include "ChangePropertyCommand.h"
#include "CommandHistory.h"
#include "CopyTrackCommand.h"
#include "CrossfadeCommand.h"
#include "DeleteTrackCommand.h"
#include "DocumentHost.h"
#include "EnvelopeCommands.h"
#include "FadeInOutCommand.h"
#include "FadePreview.h"
#include "KsMultiTrackLoader.h"
#include "MarkCommands.h"
#include "MoveTrackCommand.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "OffsetTrackCommand.h"
#include "RefreshPeakCommand.h"
#include "RemoveTrackCommand.h"
#include "ResampleCommand.h"
#include "SelectionGroupCommand.h"
#include "SplitTrackCommand.h"
#include "TrackCommands.h"
#include "TrimCommand.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include "BenchDocumentHost.h"
#include "BenchSupport.h"

namespace {

constexpr DWORD kRate = 48000;
constexpr WORD kBits = 24;
constexpr int kTracks = 8;
constexpr int kItemSeconds = 10;

double Ms(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Wine leaves PrivateUsage at 0; the page-file usage is the same commit charge there.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

struct Document {
    std::unique_ptr<CNyMultiTrackDoc> doc;
    std::unique_ptr<CNyMultiTrackView> view;
};

// The 10-second stereo item every clip plays (floats, the engine's 24-bit storage).
ComRef<IUnknown> MakeItem(const std::string& path)
{
    std::vector<float> samples(size_t(kRate) * kItemSeconds * 2);
    std::mt19937 random(7);
    for (float& s : samples)
        s = float(int(random() % 20001) - 10000) / 20000.0f;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(samples.data(), sizeof(float), samples.size(), file);
    std::fclose(file);
    MtFileItemRecord record{};
    std::snprintf(record.path, sizeof record.path, "%s", path.c_str());
    record.channels = 2;
    record.bitsPerSample = kBits;
    record.samplesPerSec = kRate;
    ComRef<IMtItemList> list;
    Check(MtEngine::CreateItemList(list), "item list");
    Check(list->AddFileItem(&record, path.c_str(), nullptr, 0), "item");
    list->ResetItems(0);
    ComRef<IUnknown> item;
    Check(list->NextItem(item.Out(), nullptr), "item");
    return item;
}

Document Build(IUnknown* item, int seconds)
{
    Document d;
    d.doc = std::make_unique<CNyMultiTrackDoc>();
    d.doc->m_bAutoDelete = FALSE;
    d.view = std::make_unique<CNyMultiTrackView>();
    d.view->SetPaneSizes(500, 400, 300);
    d.doc->AddView(d.view.get());
    if (!d.doc->OnNewDocument())
        Check(E_FAIL, "new document");
    IMtTrackSet* set = d.doc->GetTrackSet();
    while (d.doc->GetTrackCount() > 0)
        Check(set->DetachTrack(d.doc->GetTrack(0)), "detach");
    Check(set->SetFormat(kBits, kRate), "format");
    d.doc->SetFileFormatInfo(kBits, kRate);
    d.doc->SetDocumentFormat(kRate, kBits);
    const int clips = std::max(1, seconds / kItemSeconds);
    for (int t = 0; t < kTracks; ++t) {
        ComRef<IMtTrack> track;
        Check(set->InsertTrack(0, 2, track.Out(), -1), "track");
        for (int c = 0; c < clips; ++c) {
            ComRef<IMtClip> clip;
            Check(MtEngine::CreateClip(clip), "clip");
            MtClipFormat format{kRate, kBits, 2};
            clip->SetFormat(&format);
            Check(clip->SetSource(item, 0, -1), "source");
            LONGLONG length = 0;
            track->GetLength(&length);
            Check(track->InsertClip(clip.Get(), length, 0, 0), "insert clip");
        }
    }
    return d;
}

template <class T, class... A>
ComRef<IEditCommand> Make(A... args)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<T>(args...));
}

// One seeded edit; none when the document offers nothing for it.
ComRef<IEditCommand> RandomEdit(CNyMultiTrackDoc* doc, std::mt19937& random, std::map<std::string, int>& heavy,
                                std::string* kind)
{
    CommandDocument* d = doc;
    const int count = doc->GetTrackCount();
    const int64_t length = doc->GetLength();
    auto pick = [&](int64_t n) { return n > 0 ? int64_t(random() % uint64_t(n)) : 0; };
    auto track = [&] { return int(pick(count)); };
    auto allowed = [&](const char* name) { return heavy[name]++ < 2; };
    switch (random() % 17) {
    case 0: {
        *kind = "changemixingparam";
        if (!count)
            return {};
        int t = track(), parameter = int(pick(2));
        float old = 0;
        QueryCom<IMtEnvelopeSet>(doc->GetTrack(t))->GetValue(parameter, &old);
        return Make<ChangeMixingParamCommand>("Mix", d, t, parameter, float(pick(100)) / 100.0f, old);
    }
    case 1:
        *kind = "offsettrack";
        return count ? Make<OffsetTrackCommand>("Offset", d, track(), int64_t(pick(kRate * 10)))
                     : ComRef<IEditCommand>();
    case 2:
        *kind = "copytrack";
        return count && count < 12 ? Make<CopyTrackCommand>("Copy", d, track(), int(pick(count + 1)))
                                   : ComRef<IEditCommand>();
    case 3:
        *kind = "movetrack";
        return count > 1 ? Make<MoveTrackCommand>("Move", d, track(), int(pick(count + 1))) : ComRef<IEditCommand>();
    case 4:
        *kind = "deletetrack";
        return count > 4 ? Make<DeleteTrackCommand>("Delete", d, track()) : ComRef<IEditCommand>();
    case 5:
        *kind = "removetrack";
        if (count < 5)
            return {};
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(track(), TRUE);
        return Make<RemoveTrackCommand>("Remove", d);
    case 6:
        *kind = "changemastervolume";
        return Make<ChangeMasterVolumeCommand>("Master Volume", d, int32_t(2500 * (1 + pick(4))),
                                               doc->GetMasterVolume());
    case 7: {
        *kind = "changeproperty";
        if (!count)
            return {};
        ChangePropertyCommand* change = ComObject<IEditCommand>::Create<ChangePropertyCommand>("Properties", d);
        change->newTracks[track()].level = int32_t(1000 * (1 + pick(9)));
        return ComRef<IEditCommand>(change);
    }
    case 8: {
        *kind = "trim";
        if (!count)
            return {};
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(track(), TRUE);
        int64_t a = pick(length / 2);
        doc->SetSelectionRange(a, a + 1 + pick(length / 2), FALSE);
        return Make<TrimCommand>("Trim", d);
    }
    case 9:
        *kind = "splittrack";
        return count && count < 10 && allowed("splittrack") ? Make<SplitTrackCommand>("Split", d, track())
                                                            : ComRef<IEditCommand>();
    case 10:
        *kind = "resample";
        return count && allowed("resample")
                   ? Make<ResampleCommand>("Sample Type", d, kBits,
                                           doc->GetSamplesPerSec() == kRate ? DWORD(44100) : kRate)
                   : ComRef<IEditCommand>();
    case 11:
        *kind = "refreshpeak";
        return allowed("refreshpeak") ? Make<RefreshPeakCommand>("Refresh", d) : ComRef<IEditCommand>();
    case 12: {
        *kind = "crossfades";
        if (count < 2)
            return {};
        int t = int(pick(count - 1));
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(t, TRUE);
        doc->SetTrackSelected(t + 1, TRUE);
        int64_t a = pick(length);
        doc->SetSelectionRange(a, a + 1 + pick(kRate * 5), FALSE);
        std::vector<FadeEntry> entries;
        SampleRange range;
        if (PlanCrossfade(d, &entries, &range) != 0)
            return {};
        ComRef<IEditCommand> group = Make<CrossfadesCommand>("Crossfade", d);
        HRESULT hr = WriteFadePreview(d, QueryCom<ICommandList>(group.Get()).Get(), entries,
                                      pick(2) ? kIdShapeSine : kIdShapeLinear, [](CommandDocument* c, int i) {
                                          return static_cast<IEditCommand*>(
                                              ComObject<IEditCommand>::Create<CrossfadeCommand>(nullptr, c, i));
                                      });
        return SUCCEEDED(hr) ? group : ComRef<IEditCommand>();
    }
    case 13: {
        *kind = "fadeinouts";
        if (!count)
            return {};
        doc->SetTrackSelected(-1, FALSE);
        doc->SetTrackSelected(track(), TRUE);
        int64_t a = pick(length);
        doc->SetSelectionRange(a, a + 1 + pick(kRate * 5), FALSE);
        SampleRange range;
        std::vector<FadeEntry> entries = PlanFadeInOut(d, pick(2) ? kIdFadeIn : kIdFadeOut, &range);
        ComRef<IEditCommand> group = Make<FadeInOutsCommand>("Fade In/Out", d);
        HRESULT hr = WriteFadePreview(
            d, QueryCom<ICommandList>(group.Get()).Get(), entries, kIdShapeSine, [](CommandDocument* c, int i) {
                return static_cast<IEditCommand*>(ComObject<IEditCommand>::Create<FadeInOutCommand>(nullptr, c, i));
            });
        return SUCCEEDED(hr) ? group : ComRef<IEditCommand>();
    }
    case 14:
        *kind = "inserttrack";
        return count < 12 ? Make<InsertTrackCommand>("Insert Track", d, WORD(2), int(pick(count + 1)))
                          : ComRef<IEditCommand>();
    case 15:
        *kind = "insertenvelopepoint";
        return count ? Make<InsertEnvelopePointCommand>("Point", d, track(), int(pick(2)), pick(length),
                                                        float(pick(100)) / 100.0f)
                     : ComRef<IEditCommand>();
    default: {
        *kind = "deleteenveloperange";
        if (!count)
            return {};
        int64_t a = pick(length);
        return Make<DeleteEnvelopeRangeCommand>("Range", d, track(), a, 1 + pick(kRate * 10));
    }
    }
}

struct Run {
    std::map<std::string, std::vector<double>> times;
    double total = 0;
    double undoAll = 0, redoAll = 0;
    long long heldBytes = 0;
    uint64_t journalBytes = 0;
    int edits = 0;
};

Run RunEdits(IUnknown* item, int seconds, int edits, unsigned seed, const std::string* journalPath)
{
    Run run;
    Document d = Build(item, seconds);
    CNyMultiTrackDoc* doc = d.doc.get();
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
    if (journalPath) {
        DeleteFileA(journalPath->c_str());
        Check(journal->Open(journalPath->c_str()), "journal");
    }
    std::mt19937 random(seed);
    std::map<std::string, int> heavy;
    const size_t before = PrivateBytes();
    while (run.edits < edits) {
        std::string kind;
        ComRef<IEditCommand> edit = RandomEdit(doc, random, heavy, &kind);
        if (!edit)
            continue;
        auto start = std::chrono::steady_clock::now();
        HRESULT hr = doc->GetHistory()->Do(edit.Get(), TRUE);
        double ms = Ms(start);
        if (FAILED(hr))
            continue;
        run.times[kind].push_back(ms);
        run.total += ms;
        ++run.edits;
    }
    run.heldBytes = static_cast<long long>(PrivateBytes()) - static_cast<long long>(before);
    if (journalPath) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExA(journalPath->c_str(), GetFileExInfoStandard, &data))
            run.journalBytes = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    auto start = std::chrono::steady_clock::now();
    while (doc->GetHistory()->Undo() == S_OK) {}
    run.undoAll = Ms(start) / 1000.0;
    start = std::chrono::steady_clock::now();
    while (doc->GetHistory()->Redo() == S_OK) {}
    run.redoAll = Ms(start) / 1000.0;
    if (journalPath)
        journal->Close();
    return run;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    size_t index = size_t(p * (values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

template <class F>
double MedianOf(const std::vector<Run>& runs, F&& figure)
{
    std::vector<double> values;
    for (const Run& r : runs)
        values.push_back(double(figure(r)));
    return Percentile(values, 0.5);
}

// Time of the edits other than the three that rewrite all sound, whose time hides the journal's.
double LightMs(const Run& run)
{
    double ms = 0;
    for (const auto& entry : run.times)
        if (entry.first != "resample" && entry.first != "refreshpeak" && entry.first != "splittrack")
            for (double t : entry.second)
                ms += t;
    return ms;
}

// Every run's times per command type together.
std::map<std::string, std::vector<double>> AllTimes(const std::vector<Run>& runs)
{
    std::map<std::string, std::vector<double>> all;
    for (const Run& r : runs)
        for (const auto& entry : r.times)
            all[entry.first].insert(all[entry.first].end(), entry.second.begin(), entry.second.end());
    return all;
}

// The process's user and kernel time in ms: on a busy machine the steadier figure.
double CpuMs()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) { return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

struct Cost {
    double ms = 0, cpuMs = 0;
};

// Wall and processor time of f.
template <class F>
Cost Timed(F&& f)
{
    const double cpu = CpuMs();
    auto start = std::chrono::steady_clock::now();
    f();
    Cost cost;
    cost.ms = Ms(start);
    cost.cpuMs = CpuMs() - cpu;
    return cost;
}

std::string TempName(const char* folder)
{
    char name[MAX_PATH] = {};
    if (!GetTempFileNameA(folder, "EBR", 0, name))
        Check(HRESULT_FROM_WIN32(GetLastError()), "temporary name");
    return name;
}

// Reads `bytes` from `from` (from its start again at its end) and writes them to a new file,
// 1 MiB at a time; returns the new file's name.
std::string RawCopy(const char* folder, const std::string& from, uint64_t bytes, std::vector<uint8_t>& buffer)
{
    const std::string to = TempName(folder);
    HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE)
        Check(HRESULT_FROM_WIN32(GetLastError()), "raw copy open");
    for (uint64_t done = 0; done < bytes;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(in, buffer.data(), DWORD(std::min<uint64_t>(buffer.size(), bytes - done)), &got, nullptr))
            Check(HRESULT_FROM_WIN32(GetLastError()), "raw read");
        if (got == 0) {
            SetFilePointer(in, 0, nullptr, FILE_BEGIN);
            continue;
        }
        if (!WriteFile(out, buffer.data(), got, &put, nullptr) || put != got)
            Check(HRESULT_FROM_WIN32(GetLastError()), "raw write");
        done += got;
    }
    CloseHandle(in);
    CloseHandle(out);
    return to;
}

void RunLong(IUnknown* item, const std::string& itemPath, const std::vector<double>& minutes)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    std::printf("long edits: %d stereo tracks at %lu Hz, %u bits (stored as float); wall and processor (user +\n"
                "kernel) ms, and each per minute of sound\n",
                kTracks, (unsigned long)kRate, kBits);
    std::printf("%-8s %-34s %10s %10s %10s %10s\n", "minutes", "work", "ms", "ms_per_min", "cpu_ms", "cpu_per_min");
    for (double m : minutes) {
        const int seconds = std::max(kItemSeconds, int(m * 60));
        const double mins = seconds / 60.0;
        auto row = [&](const char* what, Cost c) {
            std::printf("%-8.1f %-34s %10.1f %10.1f %10.1f %10.1f\n", mins, what, c.ms, c.ms / mins, c.cpuMs,
                        c.cpuMs / mins);
            std::fflush(stdout);
        };
        // The peer first, its files gone before the document's are made.
        const uint64_t trackBytes = uint64_t(seconds / kItemSeconds) * kItemSeconds * kRate * 2 * sizeof(float);
        std::vector<uint8_t> buffer(1 << 20);
        std::vector<std::string> first, second;
        const Cost rawWrite = Timed([&] {
            for (int t = 0; t < kTracks; ++t)
                first.push_back(RawCopy(folder, itemPath, trackBytes, buffer));
        });
        const Cost rawCopy = Timed([&] {
            for (const std::string& f : first)
                second.push_back(RawCopy(folder, f, trackBytes, buffer));
        });
        for (const auto* names : {&first, &second})
            for (const std::string& f : *names)
                DeleteFileA(f.c_str());
        row("raw: item read into new files", rawWrite);
        row("raw: those files copied", rawCopy);

        Document d = Build(item, seconds);
        CNyMultiTrackDoc* doc = d.doc.get();
        ICommandHistory* history = doc->GetHistory();
        auto run = [&](const char* what, ComRef<IEditCommand> edit) {
            row(what, Timed([&] { Check(history->Do(edit.Get(), TRUE), what); }));
        };
        run("refresh peaks (from the item)", Make<RefreshPeakCommand>("Refresh", static_cast<CommandDocument*>(doc)));
        run("refresh peaks (from its files)", Make<RefreshPeakCommand>("Refresh", static_cast<CommandDocument*>(doc)));
        row("undo refresh", Timed([&] { Check(history->Undo(), "undo"); }));
        row("redo refresh", Timed([&] { Check(history->Redo(), "redo"); }));
        run("resample to 44100 Hz", Make<ResampleCommand>("Sample Type", static_cast<CommandDocument*>(doc), kBits,
                                                          DWORD(44100)));
        row("undo resample", Timed([&] { Check(history->Undo(), "undo"); }));
        row("redo resample", Timed([&] { Check(history->Redo(), "redo"); }));
        row("document closed", Timed([&] {
                history->Clear();
                d.view.reset();
                d.doc.reset();
            }));
    }
}

} // namespace

int main(int argc, char** argv)
{
    BenchHost host;
    host.settings.samplesPerSec = kRate;
    host.settings.dataChannels = 2;
    SetDocumentHost(&host);
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string itemPath = std::string(folder) + "edit_bench_item.raw";
    if (argc > 1 && std::strcmp(argv[1], "long") == 0) {
        std::vector<double> minutes;
        for (int i = 2; i < argc; ++i)
            minutes.push_back(std::atof(argv[i]));
        if (minutes.empty())
            minutes = {1, 5, 20};
        {
            ComRef<IUnknown> item = MakeItem(itemPath);
            RunLong(item.Get(), itemPath, minutes);
        }
        DeleteFileA(itemPath.c_str());
        SetDocumentHost(nullptr);
        return 0;
    }
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 3600;
    const int edits = argc > 2 ? std::atoi(argv[2]) : 1000;
    const unsigned seed = argc > 3 ? unsigned(std::atoi(argv[3])) : 1u;
    const int pairs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    const std::string journalPath = std::string(folder) + "edit_bench_journal.tmp";
    ComRef<IUnknown> item = MakeItem(itemPath);

    std::printf("document: %d stereo tracks of %d s at %lu Hz, %u bits; %d edits, seed %u; %d pairs of runs, "
                "journal off and on in alternating order\n",
                kTracks, seconds, (unsigned long)kRate, kBits, edits, seed, pairs);
    std::vector<Run> offs, ons;
    for (int p = 0; p < pairs; ++p) {
        if (p % 2 == 0) {
            offs.push_back(RunEdits(item.Get(), seconds, edits, seed, nullptr));
            ons.push_back(RunEdits(item.Get(), seconds, edits, seed, &journalPath));
        } else {
            ons.push_back(RunEdits(item.Get(), seconds, edits, seed, &journalPath));
            offs.push_back(RunEdits(item.Get(), seconds, edits, seed, nullptr));
        }
    }
    const auto offTimes = AllTimes(offs), onTimes = AllTimes(ons);

    std::printf("%-22s %6s %12s %12s %12s %12s\n", "type", "count", "median_ms", "p95_ms", "median_ms_j", "p95_ms_j");
    for (const auto& entry : offTimes) {
        const auto j = onTimes.find(entry.first);
        const bool has = j != onTimes.end() && !j->second.empty();
        std::printf("%-22s %6zu %12.3f %12.3f %12.3f %12.3f\n", entry.first.c_str(), entry.second.size() / offs.size(),
                    Percentile(entry.second, 0.5), Percentile(entry.second, 0.95),
                    has ? Percentile(j->second, 0.5) : 0.0, has ? Percentile(j->second, 0.95) : 0.0);
    }
    const double totalOff = MedianOf(offs, [](const Run& r) { return r.total; });
    const double totalOn = MedianOf(ons, [](const Run& r) { return r.total; });
    std::printf("total_ms (median) journal_off %.1f journal_on %.1f overhead_percent %.1f\n", totalOff, totalOn,
                totalOff > 0 ? (totalOn - totalOff) * 100.0 / totalOff : 0.0);
    const double lightOff = MedianOf(offs, LightMs), lightOn = MedianOf(ons, LightMs);
    std::printf("light_edits_ms (median) journal_off %.1f journal_on %.1f overhead_percent %.1f\n", lightOff, lightOn,
                lightOff > 0 ? (lightOn - lightOff) * 100.0 / lightOff : 0.0);
    const double journalBytes = MedianOf(ons, [](const Run& r) { return r.journalBytes; });
    const double editsOn = MedianOf(ons, [](const Run& r) { return r.edits; });
    std::printf("journal_bytes %.0f bytes_per_edit %.1f\n", journalBytes, editsOn ? journalBytes / editsOn : 0.0);
    const double held = MedianOf(offs, [](const Run& r) { return r.heldBytes; });
    const double editsOff = MedianOf(offs, [](const Run& r) { return r.edits; });
    std::printf("undo_stack_private_bytes %.0f per_edit %.1f\n", held, editsOff ? held / editsOff : 0.0);
    std::printf(
        "undo_all_s %.3f redo_all_s %.3f (journal on: %.3f %.3f)\n",
        MedianOf(offs, [](const Run& r) { return r.undoAll; }), MedianOf(offs, [](const Run& r) { return r.redoAll; }),
        MedianOf(ons, [](const Run& r) { return r.undoAll; }), MedianOf(ons, [](const Run& r) { return r.redoAll; }));
    item.Reset();
    DeleteFileA(journalPath.c_str());
    SetDocumentHost(nullptr);
    return 0;
}
