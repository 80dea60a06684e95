#include "ParamInfo.h"

#include <cmath>

namespace fxkit {

int ChoiceCount(const wchar_t* const* choices)
{
    int n = 0;
    while (choices && choices[n])
        ++n;
    return n;
}

double ClampParam(const ParamInfo& desc, double value, double minimum, double maximum)
{
    if (std::isnan(value))
        value = desc.defaultValue;
    if (desc.choices) {
        minimum = 0;
        maximum = ChoiceCount(desc.choices) - 1;
    }
    if (value < minimum)
        value = minimum;
    if (value > maximum)
        value = maximum;
    const double scale = std::pow(10.0, desc.choices ? 0 : desc.decimals);
    value = std::nearbyint(value * scale) / scale;
    // Rounding may step past a limit that is no multiple of the step.
    if (value < minimum)
        value += 1.0 / scale;
    if (value > maximum)
        value -= 1.0 / scale;
    return value;
}

std::vector<double> TableValues(const ParamInfo* table, int count, std::initializer_list<std::pair<int, double>> set)
{
    std::vector<double> v(kMaxParams, 0.0);
    for (int i = 0; i < count && i < kMaxParams; ++i)
        v[size_t(i)] = table[i].defaultValue;
    for (const auto& s : set)
        v[size_t(s.first)] = s.second;
    return v;
}

double DbToGain(double db)
{
    return std::pow(10.0, db / 20.0);
}

} // namespace fxkit
