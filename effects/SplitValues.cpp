#include "SplitValues.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace split {

int64_t ParseMilliseconds(const char* text, int unit, int64_t previous)
{
    if (!text)
        return previous;
    if (unit == kUnitSeconds) {
        double seconds = 0;
        if (std::sscanf(text, "%lf", &seconds) != 1 || !std::isfinite(seconds) || std::fabs(seconds) > 9.0e12)
            return previous;
        // To the nearest millisecond: "7.254" means 7254 ms, which truncation would miss.
        return static_cast<int64_t>(std::llround(seconds * 1000.0));
    }
    long long ms = 0;
    if (std::sscanf(text, "%lld", &ms) != 1)
        return previous;
    return static_cast<int64_t>(ms);
}

std::string FormatMilliseconds(int64_t ms, int unit)
{
    char text[40];
    if (unit == kUnitSeconds)
        std::snprintf(text, sizeof text, "%.2f", static_cast<double>(ms) * 0.001);
    else
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(ms));
    return text;
}

int64_t RoundToTenMilliseconds(int64_t ms)
{
    return (ms + 5) / 10 * 10;
}

SilenceLevels LevelsOfSourceType(int sourceType)
{
    static const SilenceLevels levels[] = {{600, 3000}, {500, 700}, {400, 2000}, {200, 3000}};
    return sourceType >= 0 && sourceType < 4 ? levels[sourceType] : levels[0];
}

std::vector<int64_t> IntervalPositions(uint32_t samplesPerSec, int64_t intervalMs, int64_t length)
{
    std::vector<int64_t> positions;
    const int64_t step = static_cast<int64_t>(static_cast<double>(int64_t(samplesPerSec) * intervalMs) * 0.001);
    if (step <= 0)
        return positions;
    for (int64_t p = step; p < length; p += step)
        positions.push_back(p);
    return positions;
}

namespace {
const SplitFormat kFormats[] = {
    {0, "Wave (Microsoft) (*.wav)", ".wav"},
    {1, "MPEG Audio Layer-3/mp3PRO (*.mp3)", ".mp3"},
    {2, "Next/Sun (Java) File (*.au)", ".au"},
    {3, "Macintosh AIFF (*.aif)", ".aif"},
    {4, "Raw File (*.raw)", ".raw"},
    {5, "Ogg Vorbis (*.ogg)", ".ogg"},
    {6, "Windows Media Audio (*.wma)", ".wma"},
    {7, "Olympus DSS File (*.dss)", ".dss"},
    {8, "Sony IC Recorder (LPEC) File (*.dvf)", ".dvf"},
};
} // namespace

const SplitFormat* SplitFormatById(int id)
{
    return id >= 0 && id < 9 ? &kFormats[id] : nullptr;
}

std::vector<int> ListedSplitFormats(int documentType, bool modernWma, bool voiceEditor)
{
    std::vector<int> ids;
    if (documentType == 1) {
        ids = {0, 3, 4, 5};
        if (modernWma)
            ids.push_back(6);
        return ids;
    }
    ids = {0, 1, 2, 3, 4, 5, 6, 7};
    if (voiceEditor)
        ids.push_back(8);
    return ids;
}

bool IsValidSplitPrefix(const std::string& prefix)
{
    return prefix.find_first_of("\\/:,;*?\"<>|") == std::string::npos;
}

std::string RegionFileName(const std::string& folder, const std::string& prefix, int region, int formatId)
{
    const SplitFormat* format = SplitFormatById(formatId);
    char number[16];
    std::snprintf(number, sizeof number, "%04d", region);
    return folder + prefix + number + (format ? format->extension : "");
}

} // namespace split
