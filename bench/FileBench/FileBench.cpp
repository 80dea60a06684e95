// Speed and memory of the file module on one long WAV.
//   file_bench --write <folder> <minutes>   writes track.wav (44.1 kHz stereo 16-bit)
//   file_bench <folder> <minutes>           opens it as the program does (split into two mono
//                                           track files with their peaks) and saves the
//                                           engine's tracks to saved.wav, prints:
//     open_seconds <n>  save_seconds <n>  open_peak_working_set_mb <n> (the module alone)
//     peak_working_set_mb <n> (with the engine, which maps the track files it reads)
#include "GlobalMemory.h"
#include "IKvSKsFIO.h"
#include "KsMultiTrack.h"
#include "WavFile.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "BenchSupport.h"

namespace {

constexpr DWORD kRate = 44100;
constexpr WORD kChannels = 2;

template <class F>
F Bind(HMODULE m, WORD ordinal)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, MAKEINTRESOURCEA(ordinal))));
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string BinFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

void WriteTrack(const std::string& folder, LONGLONG frames)
{
    FILE* wav = std::fopen((folder + "track.wav").c_str(), "wb");
    if (!wav) {
        std::fprintf(stderr, "cannot write %strack.wav\n", folder.c_str());
        std::exit(1);
    }
    kvtest::WriteWavHeader(wav, kChannels, kRate, 16, uint64_t(frames));
    const LONGLONG block = 65536;
    std::vector<int16_t> s(block * kChannels);
    for (LONGLONG first = 0; first < frames; first += block) {
        const LONGLONG n = std::min(block, frames - first);
        for (LONGLONG i = 0; i < n; ++i) {
            const double t = double(first + i) / kRate;
            s[i * 2] = int16_t(12000 * std::sin(2 * 3.14159265358979 * 440 * t));
            s[i * 2 + 1] = int16_t(9000 * std::sin(2 * 3.14159265358979 * 660 * t));
        }
        std::fwrite(s.data(), 4, size_t(n), wav);
    }
    std::fclose(wav);
}

IKvSKsFIO* CreateFio()
{
    HMODULE m = LoadLibraryA((BinFolder() + "KvSKsFIO.dll").c_str());
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = m ? reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(m, "DllGetClassObject")))
                 : nullptr;
    IClassFactory* factory = nullptr;
    IKvSKsFIO* fio = nullptr;
    if (!get)
        Check(E_FAIL, "loading KvSKsFIO.dll");
    Check(get(CLSID_KvSKsFIO, IID_IClassFactory, reinterpret_cast<void**>(&factory)), "class object");
    Check(factory->CreateInstance(nullptr, __uuidof(IKvSKsFIO), reinterpret_cast<void**>(&fio)), "file module");
    factory->Release();
    return fio;
}

} // namespace

int main(int argc, char** argv)
{
    const bool write = argc == 4 && std::strcmp(argv[1], "--write") == 0;
    if (argc != 3 && !write) {
        std::fprintf(stderr, "usage: file_bench [--write] <folder> <minutes>\n");
        return 2;
    }
    std::string folder = argv[write ? 2 : 1];
    if (folder.back() != '\\')
        folder += '\\';
    const LONGLONG frames = LONGLONG(std::atof(argv[write ? 3 : 2]) * 60 * kRate);
    if (write) {
        WriteTrack(folder, frames);
        return 0;
    }
    IKvSKsFIO* fio = CreateFio();
    const std::string source = folder + "track.wav";

    // Open: the conversion into two mono track files with their peaks; the better of two runs,
    // as the peers are timed.
    FileInfoRecord record{};
    char* names = nullptr;
    LONG files = 0, perFile = 0;
    WORD markerCount = 0;
    void* markers = nullptr;
    void* loop = nullptr;
    IUnknown* attributes = nullptr;
    double open = 0;
    for (int run = 0; run < 2; ++run) {
        if (names) {
            for (LONG i = 0; i < 2 * files; ++i)
                DeleteFileA(names + i * kFioNameLength);
            GlobalUnlockFree(names);
            GlobalUnlockFree(markers);
            GlobalUnlockFree(loop);
            attributes->Release();
        }
        record = FileInfoRecord{};
        record.fileType = -1;
        const auto start = std::chrono::steady_clock::now();
        Check(fio->ConvertToTrackFiles(nullptr, source.c_str(), &record, &attributes, &names, 0, &files, &perFile,
                                       &markerCount, &markers, &loop, 1, 2),
              "conversion");
        const double t = Seconds(start);
        open = run == 0 ? t : std::min(open, t);
    }
    // The module's own memory, before the engine maps the track files it reads from.
    PROCESS_MEMORY_COUNTERS afterOpen{};
    GetProcessMemoryInfo(GetCurrentProcess(), &afterOpen, sizeof(afterOpen));

    HMODULE engineModule = LoadLibraryA((BinFolder() + "KsMultiTrack.dll").c_str());
    IMtTrackSet* set = nullptr;
    Check(Bind<PFN_MtCreateTrackSet>(engineModule, kMtOrdCreateTrackSet)(&set), "track set");
    set->SetFormat(16, kRate);
    std::vector<std::string> made;
    for (LONG i = 0; i < files; ++i) {
        const char* data = names + (2 * i) * kFioNameLength;
        const char* peaks = names + (2 * i + 1) * kFioNameLength;
        made.push_back(data);
        made.push_back(peaks);
        IMtItemList* list = nullptr;
        Check(Bind<PFN_MtCreateItemList>(engineModule, kMtOrdCreateItemList)(&list), "item list");
        MtFileItemRecord item{};
        lstrcpynA(item.path, data, sizeof item.path);
        item.channels = 1;
        item.bitsPerSample = 16;
        item.samplesPerSec = kRate;
        Check(list->AddFileItem(&item, data, peaks, 0), "item");
        IUnknown* it = nullptr;
        list->ResetItems(0);
        list->NextItem(&it, nullptr);
        IMtClip* clip = nullptr;
        Check(Bind<PFN_MtCreateClip>(engineModule, kMtOrdCreateClip)(&clip), "clip");
        MtClipFormat format{kRate, 16, 1};
        clip->SetFormat(&format);
        clip->SetSource(it, 0, -1);
        IMtTrack* track = nullptr;
        Check(set->InsertTrack(0, 1, &track, -1), "track");
        Check(track->InsertClip(clip, 0, 0, 0), "clip into track");
        track->Release();
        clip->Release();
        it->Release();
        list->Release();
    }
    GlobalUnlockFree(names);

    // Save: the two tracks as one stereo WAV.
    const std::string saved = folder + "saved.wav";
    fio->SetTrackSet(set);
    fio->SetWriteChannels(0, 0);
    double save = 0;
    for (int run = 0; run < 2; ++run) {
        const auto start = std::chrono::steady_clock::now();
        Check(fio->WriteSoundFile(nullptr, saved.c_str(), nullptr, &record, nullptr, 0, 0, nullptr, nullptr), "save");
        const double t = Seconds(start);
        save = run == 0 ? t : std::min(save, t);
    }
    fio->SetTrackSet(nullptr);

    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    const double mb = double(frames) * 4 / 1e6;
    std::printf("wav_mb %.1f\nopen_seconds %.3f\nopen_mb_per_second %.1f\nsave_seconds %.3f\nsave_mb_per_second %.1f\n",
                mb, open, mb / open, save, mb / save);
    std::printf("open_peak_working_set_mb %.1f\npeak_working_set_mb %.1f\n", afterOpen.PeakWorkingSetSize / 1e6,
                memory.PeakWorkingSetSize / 1e6);
    if (attributes)
        attributes->Release();
    set->Release();
    fio->Release();
    for (const std::string& n : made)
        DeleteFileA(n.c_str());
    DeleteFileA(saved.c_str());
    return 0;
}
