#include "DiscImageKit.h"

#include "AspiRequests.h"
#include "RegistryKey.h"

#include <cstdio>

namespace cdkit {

std::string WriteImage(const std::string& folder, const std::string& name, const std::vector<ImageTrack>& tracks,
                       const char* medium)
{
    FILE* bin = fopen((folder + name + ".bin").c_str(), "wb");
    std::string cue = std::string("REM MEDIUM ") + medium + "\r\nFILE \"" + name + ".bin\" BINARY\r\n";
    uint32_t lba = 0;
    std::vector<uint8_t> sector(2352);
    for (size_t t = 0; t < tracks.size(); ++t) {
        char line[96];
        snprintf(line, sizeof line, "  TRACK %02u %s\r\n    INDEX 01 %02u:%02u:%02u\r\n", unsigned(t + 1),
                 tracks[t].audio ? "AUDIO" : "MODE1/2352", lba / 4500, lba / 75 % 60, lba % 75);
        cue += line;
        for (uint32_t s = 0; s < tracks[t].sectors; ++s, ++lba) {
            for (uint32_t p = 0; p < 1176; ++p) {
                const int16_t v = tracks[t].audio ? PatternSample(lba, p) : int16_t(0xD0D0);
                memcpy(&sector[p * 2], &v, 2);
            }
            fwrite(sector.data(), 1, sector.size(), bin);
        }
    }
    fclose(bin);
    FILE* sheet = fopen((folder + name + ".cue").c_str(), "wb");
    fwrite(cue.data(), 1, cue.size(), sheet);
    fclose(sheet);
    return folder + name + ".cue";
}

std::string WriteBlank(const std::string& folder, const std::string& name, const char* medium, const char* capacity)
{
    const std::string path = folder + name + ".cue";
    FILE* sheet = fopen(path.c_str(), "wb");
    fprintf(sheet, "REM MEDIUM %s\r\nREM CAPACITY %s\r\n", medium, capacity);
    fclose(sheet);
    return path;
}

// Under the machine's hive: the program's tests clear the user's copy of the program's key
// while other test programs run.
std::string ImageKey()
{
    return std::string(kDefaultSettingsRoot) + "\\" + aspi::kImageSection;
}

void OfferImage(char letter, const std::string& sheet)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ImageKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    const char name[2] = {letter, 0};
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(sheet.c_str()), DWORD(sheet.size() + 1));
    RegCloseKey(key);
}

void ForgetImage(char letter)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ImageKey().c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    const char name[2] = {letter, 0};
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

std::string ReadFileText(const std::string& path)
{
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            text.append(buffer, n);
        fclose(f);
    }
    return text;
}

} // namespace cdkit
