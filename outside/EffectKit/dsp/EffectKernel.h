// EffectKernel: the processor shape of every effect kernel, free of DirectShow and windows.
//
//   kernel.Prepare({rate, inChannels, outChannels}, values);   // values: the parameter table
//   kernel.Process(in, out, frames);   // interleaved float, full scale 1.0; in and out distinct
//   kernel.Update(values);             // new settings during a stream
//   kernel.Reset();                    // forget history (a seek); measurements stay
//
// A kernel with Latency() > 0 delays its output by that many frames; the filter drops them at
// the start and drains them at the end with silence, so frames out equal frames in.
// A two-pass kernel (Measures() true for its values) is fed the first pass through
// BeginMeasure / Measure / EndMeasure and leaves the sound unchanged then; unmeasured, its
// Process is unity.
// A kernel that rings on (echoes, reverberation) answers TailFrames: after the input ends the
// filter feeds it that many frames of silence, so frames out = frames in + tail, and the
// output pin answers that length to seeking.
// A kernel that changes the length (time stretch) answers LengthRatio other than 1: the filter
// then hands it the input through Stretch and, at the end, Finish (both append output frames),
// and cuts or pads the output to exactly round(frames in x ratio).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include <memory>

namespace fxkit {

struct StreamShape {
    double rate = 44100.0;
    int inChannels = 2;
    int outChannels = 2;
};

class EffectKernel {
public:
    virtual ~EffectKernel() = default;
    virtual void Prepare(const StreamShape& shape, const double* values) = 0;
    virtual void Update(const double* values) = 0;
    virtual void Reset() {}
    virtual size_t Latency() const { return 0; }
    // Frames of sound after the input ends, for these values and rate; reads no stream state.
    virtual uint64_t TailFrames(const double* values, double rate) const
    {
        (void)values;
        (void)rate;
        return 0;
    }
    virtual double LengthRatio(const double* values) const
    {
        (void)values;
        return 1.0;
    }
    virtual void Stretch(const float* in, size_t frames, std::vector<float>& out)
    {
        (void)in;
        (void)frames;
        (void)out;
    }
    virtual void Finish(std::vector<float>& out) { (void)out; }
    virtual void Process(const float* in, float* out, size_t frames) = 0;

    virtual bool Measures() const { return false; }
    virtual void BeginMeasure() {}
    virtual void Measure(const float* in, size_t frames)
    {
        (void)in;
        (void)frames;
    }
    virtual void EndMeasure() {}
};

// A new kernel of class K, for a module's EffectInfo.
template <class K>
std::unique_ptr<EffectKernel> KernelOf()
{
    return std::make_unique<K>();
}

} // namespace fxkit
