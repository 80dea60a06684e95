// The program-wide settings on the real registry: what loads from each stored value and what
// is saved back; the instance information other programs read.
#include <gtest/gtest.h>
#include <windows.h>

#include "NyApp.h"
#include "ProgramProcess.h"
#include "Settings.h"

#include <string>

namespace {

std::string StoredText(const char* entry)
{
    std::string text;
    GetSettingString(kSettingsSection, entry, "", &text);
    return text;
}

} // namespace

TEST(AppSettings, EachValueLoadsWithinItsRangeAndSavesBackAsHeld)
{
    struct Case {
        const char* entry;
        int number;       // written as a DWORD unless text is given
        const char* text; // written as a string
        double loaded;    // the field the case is about
        int savedNumber;
        const char* savedText;
    } cases[] = {
        {"DefaultSamplesPerSec", 192001, nullptr, 44100, 44100, nullptr},
        {"DefaultSamplesPerSec", 2000, nullptr, 2000, 2000, nullptr},
        {"DefaultBitsPerSample", 24, nullptr, 32, 24, nullptr},
        {"DefaultBitsPerSample", 20, nullptr, 32, 20, nullptr},
        {"DefaultBitsPerSample", 12, nullptr, 16, 16, nullptr},
        {"DefaultBitsPerSample", 8, nullptr, 8, 8, nullptr},
        {"UnitFrames", 0, "1000.5", 30.0, 0, "30.000000"},
        {"UnitFrames", 0, "-5", 30.0, 0, "30.000000"},
        {"UnitFrames", 0, "1000", 1000.0, 0, "1000.000000"},
        {"DefaultDataChannels", 3, nullptr, 1, 1, nullptr},
        {"DefaultDataChannels", 6, nullptr, 6, 6, nullptr},
        {"PreviewLength", 11, nullptr, 3, 3, nullptr},
    };
    for (const Case& c : cases) {
        kvtest::ClearProgramKey();
        if (c.text)
            SetSettingString(kSettingsSection, c.entry, c.text);
        else
            SetSettingInt(kSettingsSection, c.entry, c.number);
        CNyApp app;
        app.LoadSettings();
        const DocumentSettings& s = app.DefaultSettings();
        const std::string entry = c.entry;
        double loaded = entry == "DefaultSamplesPerSec"   ? s.samplesPerSec
                        : entry == "DefaultBitsPerSample" ? s.bitsPerSample
                        : entry == "UnitFrames"           ? s.frameRate
                        : entry == "DefaultDataChannels"  ? s.dataChannels
                                                          : s.previewLength;
        EXPECT_EQ(loaded, c.loaded) << c.entry << " " << (c.text ? c.text : std::to_string(c.number));
        if (entry == "DefaultBitsPerSample") {
            EXPECT_EQ(s.validBits, c.number == 24 || c.number == 20 ? c.number : 0) << c.number;
        }
        app.SaveSettings();
        if (c.savedText)
            EXPECT_EQ(StoredText(c.entry), c.savedText) << c.text;
        else
            EXPECT_EQ(GetSettingInt(kSettingsSection, c.entry, -1), c.savedNumber) << c.entry << " " << c.number;
    }
    kvtest::ClearProgramKey();
}

TEST(AppSettings, InstanceInformationTellsOtherProgramsWhereTheProgramIs)
{
    kvtest::ClearProgramKey();
    CNyApp app;
    ASSERT_EQ(app.WriteInstanceInfo(), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\Common\\KorvaneSound", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    char text[MAX_PATH] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    EXPECT_EQ(std::string(text, strnlen(text, size)), module);
    size = sizeof text;
    RegQueryValueExA(key, "Mutex", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    EXPECT_STREQ(text, "KorvaneSound.MutexBlock,Global\\KorvaneSound.MutexBlockGlobal");
    size = sizeof text;
    RegQueryValueExA(key, "ClassName", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    EXPECT_STREQ(text, "KorvaneSound FrameWnd");
    RegCloseKey(key);
    kvtest::ClearProgramKey();
}
