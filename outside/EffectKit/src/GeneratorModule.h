// GeneratorWith<I>: a kit generator answering its module's own interface I, whose four setters
// (SetBitsPerSample, SetChannelCount, SetSampleRate, SetLength) sit at slots of the module's
// choosing between fillers Reserved3..Reserved19; each filler answers E_NOTIMPL.
//
//   class ToneFilter : public GeneratorWith<IToneGenerator> {
//   public:
//       ToneFilter() : GeneratorWith(kInfo, GeneratorOf<ToneKernel>()) {}
//   };
#pragma once
#include "GeneratorFilter.h"

namespace fxkit {

// Declared without override: each matches a filler only where I has one.
#define KV_GENERATOR_FILLER(n) \
    STDMETHODIMP Reserved##n() \
    {                          \
        return E_NOTIMPL;      \
    }

template <class I>
class GeneratorWith : public ComExtend<GeneratorFilter, I> {
public:
    GeneratorWith(const EffectInfo& desc, std::unique_ptr<GeneratorKernel> kernel)
        : ComExtend<GeneratorFilter, I>(desc, std::move(kernel))
    {
    }
    STDMETHODIMP SetBitsPerSample(unsigned short bits) override { return this->SetFormatBits(bits); }
    STDMETHODIMP SetChannelCount(unsigned short channels) override { return this->SetFormatChannels(channels); }
    STDMETHODIMP SetSampleRate(unsigned rate) override { return this->SetFormatRate(rate); }
    STDMETHODIMP SetLength(LONGLONG frames) override { return this->SetLengthFrames(frames); }

    KV_GENERATOR_FILLER(3)
    KV_GENERATOR_FILLER(4)
    KV_GENERATOR_FILLER(5)
    KV_GENERATOR_FILLER(6)
    KV_GENERATOR_FILLER(7)
    KV_GENERATOR_FILLER(8)
    KV_GENERATOR_FILLER(9)
    KV_GENERATOR_FILLER(10)
    KV_GENERATOR_FILLER(11)
    KV_GENERATOR_FILLER(12)
    KV_GENERATOR_FILLER(13)
    KV_GENERATOR_FILLER(14)
    KV_GENERATOR_FILLER(15)
    KV_GENERATOR_FILLER(16)
    KV_GENERATOR_FILLER(17)
    KV_GENERATOR_FILLER(18)
    KV_GENERATOR_FILLER(19)
};

#undef KV_GENERATOR_FILLER

} // namespace fxkit
