// The parameter table of an effect: what each value means, its unit and limits, and the
// built-in presets. Shared by the kernel (values by index), the filter (clamping, the record)
// and the page (one slider, edit and unit, or one list, per row).
#pragma once
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace fxkit {

constexpr int kMaxParams = 32;

struct ParamInfo {
    const wchar_t* label;
    const wchar_t* unit;
    double minimum;
    double maximum;
    double defaultValue;
    int decimals;                  // values are rounded to this many decimals
    const wchar_t* const* choices; // null-terminated names: a choice 0..n-1, shown as a list
    bool logScale = false;         // slider in equal ratios (frequencies, times)
    bool hidden = false;           // kept and stored, not shown (set by the program)
    bool belowNyquist = false;     // a frequency: limited to 0.45 of the rate once it is known
};

struct PresetInfo {
    const wchar_t* name;
    double values[kMaxParams];
};

// Number of names in a null-terminated list.
int ChoiceCount(const wchar_t* const* choices);
// The value clamped to [minimum, maximum] and rounded to the decimals (choices to an index);
// NaN becomes the default.
double ClampParam(const ParamInfo& desc, double value, double minimum, double maximum);
inline double ClampParam(const ParamInfo& desc, double value)
{
    return ClampParam(desc, value, desc.minimum, desc.maximum);
}

// A table's defaults (kMaxParams values, zero past the table) with some values set: what a
// kernel is prepared with in tests and benchmarks.
std::vector<double> TableValues(const ParamInfo* table, int count, std::initializer_list<std::pair<int, double>> set);
template <size_t N>
std::vector<double> TableValues(const ParamInfo (&table)[N], std::initializer_list<std::pair<int, double>> set = {})
{
    return TableValues(table, int(N), set);
}

// Linear gain of a level in dB.
double DbToGain(double db);

} // namespace fxkit
