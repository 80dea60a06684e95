#include "LevelConversion.h"

#include <cmath>

int32_t LevelToMillibel(int32_t level)
{
    if (level <= 0)
        return kMillibelFloor;
    return static_cast<int32_t>(2000.0 * std::log10(level * 0.0001));
}

int32_t MillibelToLevel(int32_t millibel)
{
    if (millibel >= 350)
        return 15000;
    return static_cast<int32_t>(10000.0 * std::pow(10.0, millibel * 0.0005));
}
