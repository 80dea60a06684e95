// Speed of the CD paths on disc images.
//   cd_bench <folder> [minutes]   (default 74)
// Writes a disc image of one audio track of that length and the same audio as a WAV, then:
//   import: the file module converting "X:\Track01.cda" (through KgPTP.dll) and the WAV into
//           track files, seconds each and their ratio;
//   burn:   the same sectors written disc-at-once to a blank image through KgPTP.dll, seconds,
//           MB/s and the multiple of real time.
#include "AspiRequests.h"
#include "CdDriveAccess.h"
#include "CdWriterModule.h"
#include "KvsStrm.h"
#include "GlobalMemory.h"
#include "IKvSKsFIO.h"
#include "RegistryKey.h"
#include "WavFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kLetter = 'K';
constexpr uint32_t kSector = 2352;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Fail(const char* what, long code = 0)
{
    std::fprintf(stderr, "%s failed (0x%08lX)\n", what, code);
    std::exit(1);
}

int16_t Sample(uint64_t i) { return int16_t((i * 2654435761u) >> 17); }

void WriteSources(const std::string& folder, uint32_t sectors)
{
    FILE* bin = std::fopen((folder + "disc.bin").c_str(), "wb");
    FILE* wav = std::fopen((folder + "disc.wav").c_str(), "wb");
    if (!bin || !wav)
        Fail("writing the sources");
    kvtest::WriteWavHeader(wav, 2, 44100, 16, uint64_t(sectors) * 588);
    std::vector<int16_t> block(1176 * 64);
    for (uint32_t s = 0; s < sectors; s += 64) {
        const uint32_t n = std::min<uint32_t>(64, sectors - s);
        for (size_t i = 0; i < size_t(n) * 1176; ++i)
            block[i] = Sample(uint64_t(s) * 1176 + i);
        std::fwrite(block.data(), kSector, n, bin);
        std::fwrite(block.data(), kSector, n, wav);
    }
    std::fclose(bin);
    std::fclose(wav);
    FILE* cue = std::fopen((folder + "disc.cue").c_str(), "wb");
    std::fprintf(cue, "REM CAPACITY 99:59:74\r\nFILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n");
    std::fclose(cue);
    FILE* blank = std::fopen((folder + "blank.cue").c_str(), "wb");
    std::fprintf(blank, "REM MEDIUM CD-R\r\nREM CAPACITY 99:59:74\r\n");
    std::fclose(blank);
}

void Offer(char letter, const std::string& sheet)
{
    HKEY key = nullptr;
    const std::string path = std::string(kDefaultSettingsRoot) + "\\" + aspi::kImageSection;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        Fail("offering the image");
    const char name[2] = {letter, 0};
    if (sheet.empty())
        RegDeleteValueA(key, name);
    else
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(sheet.c_str()), DWORD(sheet.size() + 1));
    RegCloseKey(key);
}

IKvSKsFIO* CreateFio()
{
    HMODULE m = LoadLibraryA((CdDriveAccess::OwnFolder() + "KvSKsFIO.dll").c_str());
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = m ? reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(m, "DllGetClassObject")))
                 : nullptr;
    IClassFactory* factory = nullptr;
    IKvSKsFIO* fio = nullptr;
    if (!get || FAILED(get(CLSID_KvSKsFIO, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, __uuidof(IKvSKsFIO), reinterpret_cast<void**>(&fio))))
        Fail("creating the file module");
    factory->Release();
    return fio;
}

double Import(IKvSKsFIO* fio, const std::string& path)
{
    FileInfoRecord record{};
    if (HRESULT hr = fio->QueryFileInfo(nullptr, path.c_str(), -1, 1, &record); FAILED(hr))
        Fail(path.c_str(), hr);
    char* names = nullptr;
    void *markers = nullptr, *loop = nullptr;
    LONG files = 0, channels = 0;
    WORD count = 0;
    const auto start = std::chrono::steady_clock::now();
    const HRESULT hr = fio->ConvertToTrackFiles(nullptr, path.c_str(), &record, nullptr, &names, 0, &files, &channels,
                                                &count, &markers, &loop, 0, 2);
    const double seconds = Seconds(start);
    if (FAILED(hr))
        Fail(path.c_str(), hr);
    for (LONG i = 0; i < 2 * files; ++i)
        DeleteFileA(names + size_t(i) * kFioNameLength);
    GlobalUnlockFree(names);
    GlobalUnlockFree(markers);
    GlobalUnlockFree(loop);
    return seconds;
}

// The same audio written disc-at-once to a blank image by the CD writer module.
double Burn(const std::string& folder)
{
    Offer(kLetter, folder + "blank.cue");
    CCdWriterModule module;
    ICdWriter* writer = nullptr;
    if (FAILED(module.Load(&writer)))
        Fail("loading the writer module");
    int32_t count = 0, id = -1;
    HGLOBAL block = nullptr;
    writer->GetDevices(&count, &block);
    for (int32_t i = 0; i < count; ++i)
        if (static_cast<const CdWriterDeviceRecord*>(block)[i].drive[0] == kLetter)
            id = static_cast<const CdWriterDeviceRecord*>(block)[i].id;
    GlobalFree(block);
    if (id < 0)
        Fail("finding the blank image");
    CdWriteTrack track{};
    lstrcpynA(track.path, (folder + "disc.wav").c_str(), sizeof track.path);
    track.preGapFrames = 150;
    const CdWriteTrackList list{1, &track};
    const auto start = std::chrono::steady_clock::now();
    HRESULT hr = writer->Write(id, 0, 0, 0, &list, 0, FALSE, FALSE, TRUE);
    if (FAILED(hr))
        Fail("write", hr);
    int32_t done = 0, total = 0;
    int status;
    while ((status = writer->GetStatus(&done, &total)) == kCdStatusRunning)
        Sleep(1);
    const double seconds = Seconds(start);
    if (status != kCdStatusFinished)
        Fail("write", status);
    writer->Release();
    return seconds;
}

// A 48 kHz 24-bit stereo file of the minutes converted to CD audio by the stream library.
double Convert(const std::string& folder, double minutes)
{
    const uint32_t frames = uint32_t(minutes * 60 * 48000);
    FILE* f = std::fopen((folder + "hi.wav").c_str(), "wb");
    kvtest::WriteWavHeader(f, 2, 48000, 24, frames);
    std::vector<uint8_t> block(48000 * 6);
    uint32_t seed = 1;
    for (uint32_t done = 0; done < frames; done += 48000) {
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
        std::fwrite(block.data(), 1, std::min<size_t>(block.size(), size_t(frames - done) * 6), f);
    }
    std::fclose(f);
    HMODULE library = LoadLibraryA("KVSSTRM.dll");
    auto getRegistry = library ? reinterpret_cast<StrmGetRegistryFn>(reinterpret_cast<void*>(
                                     GetProcAddress(library, MAKEINTRESOURCEA(kStrmOrdGetRegistry))))
                               : nullptr;
    if (!getRegistry)
        Fail("loading the stream library");
    const StrmRegistration* entry = getRegistry()->Find(TagLow(kTagConverter), TagHigh(kTagConverter));
    ITaggedObject* object = nullptr;
    IStrmConverter* converter = nullptr;
    if (!entry || FAILED(entry->create(TagLow(kTagConverter), TagHigh(kTagConverter), &object)) ||
        FAILED(object->QueryInterface(kTagConverter, reinterpret_cast<void**>(&converter))))
        Fail("making the converter");
    object->Release();
    const UINT message = RegisterWindowMessageA("AudioCD Convert Kvss Notify");
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const auto start = std::chrono::steady_clock::now();
    converter->Open(TagLow(kTagAnyReader), TagHigh(kTagAnyReader), (folder + "hi.wav").c_str(), TagLow(kTagWavWriter),
                    TagHigh(kTagWavWriter), (folder + "hi-cd.wav").c_str());
    if (FAILED(converter->Prepare()))
        Fail("opening the 48 kHz file");
    IStrmAttributes* attributes = nullptr;
    converter->QueryInterface(kTagAttributes, reinterpret_cast<void**>(&attributes));
    const StrmFormat cd{44100, 2, 16, 16, 0};
    attributes->SetOutputFormat(&cd);
    attributes->Release();
    converter->SetNotify(window, message);
    if (FAILED(converter->Start()))
        Fail("starting the conversion");
    for (;;) {
        MSG msg;
        if (!GetMessageA(&msg, window, message, message))
            break;
        if (msg.wParam == kStrmConvertFinished)
            break;
        if (HRESULT(msg.wParam) < 0)
            Fail("converting", HRESULT(msg.wParam));
    }
    const double seconds = Seconds(start);
    converter->SetNotify(nullptr, 0);
    converter->Release();
    DestroyWindow(window);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: cd_bench <folder> [minutes]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '\\')
        folder += '\\';
    const double minutes = argc > 2 ? std::atof(argv[2]) : 74.0;
    const uint32_t sectors = uint32_t(minutes * 60 * 75);
    WriteSources(folder, sectors);
    Offer(kLetter, folder + "disc.cue");
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IKvSKsFIO* fio = CreateFio();
    const double wav = Import(fio, folder + "disc.wav");
    const std::string track = std::string(1, kLetter) + ":\\Track01.cda";
    const double cd = Import(fio, track);
    fio->Release();
    const double burn = Burn(folder);
    const double convertMinutes = std::min(minutes, 10.0);
    const double convert = Convert(folder, convertMinutes);
    Offer(kLetter, "");
    const double mb = double(sectors) * kSector / 1e6;
    std::printf("minutes %.1f\n", minutes);
    std::printf("import_wav_seconds %.2f\nimport_cd_track_seconds %.2f\ncd_over_wav %.2f (aim: at most 1.5)\n", wav, cd,
                cd / wav);
    std::printf("burn_seconds %.2f\nburn_mb_per_second %.1f\nburn_times_real_time %.0f (aim: at least 52)\n", burn,
                mb / burn, minutes * 60 / burn);
    std::printf("convert_48k24_minutes %.1f\nconvert_48k24_seconds %.2f\n", convertMinutes, convert);
    return 0;
}
