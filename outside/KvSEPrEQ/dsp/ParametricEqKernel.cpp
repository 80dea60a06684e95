#include "ParametricEqKernel.h"

#include <algorithm>

namespace fx {

namespace {

const wchar_t* const kTypes[] = {L"Off",     L"Peak",     L"Low shelf", L"High shelf",
                                 L"Low cut", L"High cut", L"Notch",     nullptr};

#define KV_PEQ_BAND(freq)                                                                                        \
    {L"&Type", L"", 0, 6, 1, 0, kTypes}, {L"&Frequency", L"Hz", 20, 20000, freq, 0, nullptr, true, false, true}, \
        {L"&Gain", L"dB", -24, 24, 0, 1, nullptr},                                                               \
    {                                                                                                            \
        L"&Q", L"", 0.1, 30, 1, 2, nullptr, true                                                                 \
    }

} // namespace

const fxkit::ParamInfo kParametricEqParams[kPeqParamCount] = {KV_PEQ_BAND(100),  KV_PEQ_BAND(300),  KV_PEQ_BAND(1000),
                                                              KV_PEQ_BAND(3000), KV_PEQ_BAND(6000), KV_PEQ_BAND(12000)};

std::vector<fxkit::BiquadCoefficients> ParametricEqKernel::Design(const double* values) const
{
    using fxkit::FilterKind;
    static const FilterKind kKinds[] = {FilterKind::Peak,      FilterKind::Peak,     FilterKind::LowShelf,
                                        FilterKind::HighShelf, FilterKind::HighPass, FilterKind::LowPass,
                                        FilterKind::Notch};
    std::vector<fxkit::BiquadCoefficients> sections;
    for (int b = 0; b < kPeqBands; ++b) {
        const double* v = values + b * kPeqFields;
        const int type = int(v[kPeqType]);
        // An off band stays in the chain as a unity section: switching keeps the state in place.
        sections.push_back(type == 0 ? fxkit::BiquadCoefficients{}
                                     : fxkit::DesignBiquad(kKinds[type], std::min(v[kPeqFreq], 0.45 * m_rate), v[kPeqQ],
                                                           v[kPeqGain], m_rate));
    }
    return sections;
}

} // namespace fx
