#include "Settings.h"

#include "RegistryKey.h"

#include <cstring>

int GetSettingString(const char* section, const char* entry, const char* defaultText, std::string* text)
{
    if (!text)
        return 0;
    RegistryKey key;
    if (key.Open(section) != ERROR_SUCCESS || key.QueryString(entry, text) != ERROR_SUCCESS)
        *text = defaultText ? defaultText : "";
    return static_cast<int>(text->size());
}

int GetSettingInt(const char* section, const char* entry, int defaultValue)
{
    RegistryKey key;
    DWORD value = 0;
    if (key.Open(section) != ERROR_SUCCESS || key.QueryDword(entry, &value) != ERROR_SUCCESS)
        return defaultValue;
    return static_cast<int>(value);
}

int SetSettingString(const char* section, const char* entry, const char* value)
{
    RegistryKey key;
    if (value) {
        if (key.Create(section) != ERROR_SUCCESS)
            return 0;
        return key.SetString(entry, value) == ERROR_SUCCESS ? 1 : 0;
    }
    if (entry) {
        if (key.Open(section) != ERROR_SUCCESS)
            return 0;
        return key.DeleteValue(entry) == ERROR_SUCCESS ? 1 : 0;
    }
    // Without a section name this would be the program's root itself.
    if (!section || !*section || key.Open(nullptr) != ERROR_SUCCESS)
        return 0;
    return key.DeleteSubKey(section) == ERROR_SUCCESS ? 1 : 0;
}

int SetSettingInt(const char* section, const char* entry, int value)
{
    RegistryKey key;
    if (key.Create(section) != ERROR_SUCCESS)
        return 0;
    return key.SetDword(entry, static_cast<DWORD>(value)) == ERROR_SUCCESS ? 1 : 0;
}

int GetSettingBuffer(const char* section, const char* entry, const char* defaultText, char* buffer, DWORD capacity)
{
    if (!buffer || capacity == 0)
        return 0;
    RegistryKey key;
    std::string text;
    bool found =
        key.Open(section) == ERROR_SUCCESS && key.QueryString(entry, &text) == ERROR_SUCCESS && text.size() < capacity;
    if (!found) {
        text = defaultText ? defaultText : "";
        if (text.size() >= capacity)
            text.resize(capacity - 1);
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

namespace {

// Entries of section "Settings" and the defaults their readers pass (0 / "" where each
// reader passes its own current value or the entry is only written).
const SettingInfo kSettings[] = {
    {"AnalizeAmpRange", true, 0, nullptr},
    {"AnalizeAmpRangeLow", true, -130, nullptr},
    {"AnalizeAutoUpdate", true, 1, nullptr},
    {"AnalizeAxis", true, 2, nullptr},
    {"AnalizeOverlapTapSize", true, 0, nullptr},
    {"AnalizeTapSize", true, 128, nullptr},
    {"AnalizeViewType", true, 1, nullptr},
    {"AnalizeWindowType", true, 0, nullptr},
    {"AsioClockSource", false, 0, ""},
    {"AsioDevice", false, 0, ""},
    {"AsioSamplesPerSec", true, 0, nullptr},
    {"AsioUse", true, 0, nullptr},
    {"AutoPlay", true, 0, nullptr},
    {"BlankTimeLength", true, 2000, nullptr},
    {"BlankTimeType", true, 0, nullptr},
    {"CDWriteDrive", false, 0, ""},
    {"CDWriteTestMode", true, 0, nullptr},
    {"ChannelSplit", true, 0, nullptr},
    {"CommandLogging", true, 1, nullptr},
    {"DefaultBitsPerSample", true, 16, nullptr},
    {"DefaultDataChannels", true, 1, nullptr},
    {"DefaultDocumentType", true, 0, nullptr},
    {"DefaultRecChannels", true, 1, nullptr},
    {"DefaultSamplesPerSec", true, 44100, nullptr},
    {"DirectSoundBufferLength", true, 500, nullptr},
    {"DirectSoundDevice", false, 0, ""},
    {"DirectSoundEnableExTensible", true, 0, nullptr},
    {"DirectSoundUse", true, 0, nullptr},
    {"DivideBasisType", true, 0, nullptr},
    {"DivideEquallyInfo", false, 0, ""},
    {"DivideSilenceInfo", false, 0, ""},
    {"EnableMouseEdit", true, 1, nullptr},
    {"FrameAnimation", true, 0, nullptr},
    {"FrameNumber", true, 1, nullptr},
    {"LabelWndHeaderWidth", false, 0, "150:60:50:50:50"},
    {"LastBitsPerSample", true, 16, nullptr},
    {"LastCalcPrecision", true, 8, nullptr},
    {"LastCdDrive", false, 0, ""},
    {"LastLoadDir", false, 0, ""},
    {"LastSamplesPerSec", true, 44100, nullptr},
    {"LastSaveDir", false, 0, ""},
    {"OpenFilterIndex", true, 0, nullptr},
    {"OpenFirstFiles", true, 1, nullptr},
    {"OpenLastFiles", true, 1, nullptr},
    {"PeakIndicate", true, 0, nullptr},
    {"Position", false, 0, ""},
    {"PreBufferLength", true, 131072, nullptr},
    {"PreviewLength", true, 3, nullptr},
    {"ReadAutomation", true, 1, nullptr},
    {"RecTimerOn", true, 0, nullptr},
    {"RecTimerValue", true, 0, nullptr},
    {"ShowPanEnvLR", true, 1, nullptr},
    {"ShowVolEnv", true, 1, nullptr},
    {"TempLogging", true, 0, nullptr},
    {"TempPath", false, 0, ""},
    {"Unit", true, 0x80101, nullptr},
    {"UnitFrames", false, 0, "30.00"},
    {"VSTPath", false, 0, ""},
    {"WaveInBitDepthPriority", true, 16, nullptr},
    {"WaveInBufferCount", true, 20, nullptr},
    {"WaveInDevice", false, 0, ""},
    {"WaveInOffset", true, 0, nullptr},
    {"WaveInUseExTensible", true, 0, nullptr},
    {"WaveOutBufferCount", true, 5, nullptr},
    {"WaveOutBufferLength", true, 200, nullptr},
    {"WaveOutDevice", false, 0, ""},
    {"WaveOutEnableExTensible", true, 0, nullptr},
    {"WaveShowMode", true, 0, nullptr},
    {"WriteAutomation", true, 1, nullptr},
};

} // namespace

const SettingInfo* FindSetting(const char* entry)
{
    if (!entry)
        return nullptr;
    for (const SettingInfo& info : kSettings) {
        if (_stricmp(info.entry, entry) == 0)
            return &info;
    }
    return nullptr;
}

int GetSettingIntDefault(const char* entry)
{
    const SettingInfo* info = FindSetting(entry);
    return GetSettingInt(kSettingsSection, entry, info && info->isNumber ? info->number : 0);
}

int GetSettingStringDefault(const char* entry, std::string* text)
{
    const SettingInfo* info = FindSetting(entry);
    return GetSettingString(kSettingsSection, entry, info && !info->isNumber ? info->text : nullptr, text);
}
