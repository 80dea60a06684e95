#include "HumKernel.h"

namespace fx {

namespace {

const wchar_t* const kMains[] = {L"50 Hz", L"60 Hz", nullptr};
constexpr int kMaxHarmonics = 20;

} // namespace

const fxkit::ParamInfo kHumParams[kHumParamCount] = {
    {L"&Mains", L"", 0, 1, 0, 0, kMains},
    {L"&Harmonics", L"", 1, kMaxHarmonics, 10, 0, nullptr},
    {L"&Width", L"Hz", 0.5, 20, 4, 1, nullptr, true},
};

std::vector<fxkit::BiquadCoefficients> HumKernel::Design(const double* values) const
{
    const double f0 = values[kHumMains] >= 0.5 ? 60.0 : 50.0;
    const int count = 1 + int(values[kHumHarmonics]);
    std::vector<fxkit::BiquadCoefficients> sections;
    for (int k = 1; k <= count && k * f0 < 0.45 * m_rate; ++k)
        sections.push_back(
            fxkit::DesignBiquad(fxkit::FilterKind::Notch, k * f0, k * f0 / values[kHumWidth], 0, m_rate));
    return sections;
}

} // namespace fx
