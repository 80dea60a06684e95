// Speed of the CD paths on disc images.
//   cd_bench <folder> [minutes]   (default 74)
// Writes a disc image of one audio track of that length and the same audio as a WAV, then:
//   import: the file module converting "X:\Track01.cda" (through KgPTP.dll) and the WAV into
//           track files, seconds each and their ratio;
//   burn:   the same sectors written disc-at-once to a blank image through KgPTP.dll, seconds,
//           MB/s and the multiple of real time.
#include "AspiRequests.h"
#include "CdDriveAccess.h"
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

double Burn(const std::string& folder, uint32_t sectors)
{
    Offer(kLetter, folder + "blank.cue");
    CdDriveAccess access;
    CdAddress drive;
    if (!access.Load(CdDriveAccess::OwnFolder()) || !access.FindDrive(kLetter, &drive))
        Fail("finding the blank image");
    uint8_t mode[8 + 52] = {};
    mode[8] = 0x05;
    mode[9] = 0x32;
    mode[10] = 0x02;
    const uint8_t select[10] = {0x55, 0x10, 0, 0, 0, 0, 0, 0, sizeof mode, 0};
    const auto start = std::chrono::steady_clock::now();
    if (access.Execute(drive, select, 10, mode, sizeof mode, CdDriveAccess::Direction::Out) != aspi::SS_COMP)
        Fail("write parameters");
    auto msf = [](uint32_t a) { return std::vector<uint8_t>{uint8_t(a / 4500), uint8_t(a / 75 % 60), uint8_t(a % 75)}; };
    std::vector<uint8_t> cue;
    auto entry = [&](uint8_t track, uint8_t index, uint8_t form, uint32_t address) {
        const std::vector<uint8_t> m = msf(address);
        const uint8_t e[8] = {0x01, track, index, form, 0, m[0], m[1], m[2]};
        cue.insert(cue.end(), e, e + 8);
    };
    entry(0, 0, 1, 0);
    entry(1, 0, 0, 0);
    entry(1, 1, 0, 150);
    entry(0xAA, 1, 1, 150 + sectors);
    const uint8_t send[10] = {0x5D, 0, 0, 0, 0, 0, 0, 0, uint8_t(cue.size()), 0};
    if (access.Execute(drive, send, 10, cue.data(), uint32_t(cue.size()), CdDriveAccess::Direction::Out) !=
        aspi::SS_COMP)
        Fail("cue sheet");
    FILE* bin = std::fopen((folder + "disc.bin").c_str(), "rb");
    constexpr uint32_t kBlocks = 27;
    std::vector<uint8_t> data(kBlocks * kSector, 0);
    for (int32_t lba = -150; lba < int32_t(sectors);) {
        const uint32_t n = std::min<uint32_t>(kBlocks, uint32_t(int32_t(sectors) - lba));
        if (lba >= 0 && std::fread(data.data(), kSector, n, bin) != n)
            Fail("reading the source");
        const uint32_t a = uint32_t(lba);
        const uint8_t write[10] = {0x2A, 0, uint8_t(a >> 24), uint8_t(a >> 16), uint8_t(a >> 8), uint8_t(a), 0, 0, uint8_t(n), 0};
        if (access.Execute(drive, write, 10, data.data(), n * kSector, CdDriveAccess::Direction::Out) != aspi::SS_COMP)
            Fail("write");
        lba += int32_t(n);
    }
    const uint8_t sync[10] = {0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (access.Execute(drive, sync, 10, nullptr, 0, CdDriveAccess::Direction::None) != aspi::SS_COMP)
        Fail("closing the disc");
    const double seconds = Seconds(start);
    std::fclose(bin);
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
    const double burn = Burn(folder, sectors);
    Offer(kLetter, "");
    const double mb = double(sectors) * kSector / 1e6;
    std::printf("minutes %.1f\n", minutes);
    std::printf("import_wav_seconds %.2f\nimport_cd_track_seconds %.2f\ncd_over_wav %.2f (aim: at most 1.5)\n", wav, cd,
                cd / wav);
    std::printf("burn_seconds %.2f\nburn_mb_per_second %.1f\nburn_times_real_time %.0f (aim: at least 52)\n", burn,
                mb / burn, minutes * 60 / burn);
    return 0;
}
