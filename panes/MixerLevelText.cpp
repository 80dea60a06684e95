#include "MixerLevelText.h"

#include "LevelConversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kTypedDbMax = 3.521825;
constexpr double kTypedDbMin = -80.0;
constexpr int32_t kFullScale = 32767;

} // namespace

std::string LevelText(int32_t level)
{
    const int32_t millibel = LevelToMillibel(level);
    if (millibel <= kMillibelFloor)
        return "-inf.";
    char text[32];
    std::snprintf(text, sizeof text, millibel >= 0 ? " %.1f" : "%.1f", millibel / 100.0);
    return text;
}

bool ClampTypedDb(double& db)
{
    if (db > kTypedDbMax) {
        db = kTypedDbMax;
        return true;
    }
    if (db < kTypedDbMin) {
        db = kTypedDbMin;
        return true;
    }
    return false;
}

int32_t LevelFromDbText(const char* text)
{
    double db = std::atof(text ? text : "");
    ClampTypedDb(db);
    return MillibelToLevel(static_cast<int32_t>(db * 100.0));
}

int32_t PeakMillibel(int32_t peak)
{
    if (peak == 0)
        return kMillibelFloor;
    const double magnitude = std::fabs(double(peak));
    return static_cast<int32_t>(100.0 * (20.0 * std::log10(magnitude) - 20.0 * std::log10(32768.0)));
}

bool RaisePeakText(std::string& text, int32_t peak)
{
    const int32_t current = text == "-inf." ? kMillibelFloor : static_cast<int32_t>(std::atof(text.c_str()) * 100.0);
    const int32_t next = PeakMillibel(peak);
    if (next <= current)
        return false;
    if (next > -10) {
        text = "0.0";
    } else if (next <= kMillibelFloor) {
        text = "-inf.";
    } else {
        const int32_t magnitude = std::abs(next);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "-%d.%1d", magnitude / 100, (magnitude % 100) / 10);
        text = buffer;
    }
    return true;
}

int32_t NextMeterValue(int32_t previous, int32_t peak)
{
    const int32_t magnitude = std::min(peak == INT32_MIN ? kFullScale : std::abs(peak), kFullScale);
    return std::max(std::max(previous - 2000, magnitude), 0);
}
