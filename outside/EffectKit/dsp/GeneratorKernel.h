// GeneratorKernel: the processor shape of a sound generator, free of DirectShow and windows.
//
//   kernel.Prepare({rate, channels, frames}, values);   // every run starts at phase 0
//   kernel.Generate(out, count);                         // interleaved float, full scale 1.0
//
// frames is the whole length of the run (a sweep spans it); Generate is called for
// consecutive blocks until that many frames were made.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace fxkit {

struct GeneratorShape {
    double rate = 44100.0;
    int channels = 2;
    int64_t frames = 44100;
};

class GeneratorKernel {
public:
    virtual ~GeneratorKernel() = default;
    virtual void Prepare(const GeneratorShape& shape, const double* values) = 0;
    virtual void Generate(float* out, size_t frames) = 0;
};

template <class K>
std::unique_ptr<GeneratorKernel> GeneratorOf()
{
    return std::make_unique<K>();
}

} // namespace fxkit
