#include "EqEngine.h"

#include "Finite.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace geq {

const double kBandCentresHz[kBandCount] = {31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

namespace {

const double kPi = std::acos(-1.0);
constexpr size_t kMaxBlock = 8192; // FIR block length at 11025 Hz and above
constexpr double kBandQ = 3.0;

// Samples read as fractions of full scale and written back by the codec's rule (rounded to
// nearest, ties to even, clipped; NaN as 0). Sizes 1 (unsigned 8-bit), 2, 3 (signed; 20 valid
// bits in an extensible 24-bit output), anything else 32-bit float.
pcm::Form FormOf(int bytes, bool twentyBits)
{
    switch (bytes) {
    case 1:
        return pcm::Form::U8;
    case 2:
        return pcm::Form::S16;
    case 3:
        return twentyBits ? pcm::Form::S20 : pcm::Form::S24;
    default:
        return pcm::Form::F32;
    }
}

int StoredBytes(int bytes)
{
    return bytes >= 1 && bytes <= 3 ? bytes : 4;
}

} // namespace

EqEngine::EqEngine() : m_kernel(kMaxBlock)
{
    for (int b = 0; b < kBandCount; ++b) {
        m_linearGain[b] = 1.0;
        m_kernelGains[b] = 0.0f;
    }
    WaveFormat f{};
    f.formatTag = kTagPcm;
    f.channels = 1;
    f.samplesPerSec = 44100;
    f.bitsPerSample = 16;
    f.blockAlign = 2;
    f.avgBytesPerSec = 88200;
    Prepare(f, f);
}

EqEngine::~EqEngine()
{
    std::free(m_firBuffer);
}

void EqEngine::Prepare(const WaveFormat& input, const WaveFormat& output)
{
    m_out = output;
    m_outBytes = StoredBytes((output.bitsPerSample + 7) / 8);
    m_outForm = FormOf(m_outBytes, m_outBytes == 3 && output.formatTag == kTagExtensible &&
                                       output.extraSize == kExtensibleExtraSize && output.validBits == 20);
    SetFormat(input);
    ResetFir();
}

void EqEngine::SetFormat(const WaveFormat& input)
{
    m_in = input;
    m_inBytes = StoredBytes(input.bitsPerSample / 8);
    m_inForm = FormOf(m_inBytes, false);
    m_channels = std::clamp<int>(input.channels, 1, kMaxChannels);
    m_rate = input.samplesPerSec > 0 ? double(input.samplesPerSec) : 44100.0;
    CountActiveBands();
    ClearIirState();
    const int n = input.samplesPerSec < 11025 ? 4096 : 8192;
    if (n != m_blockLength) {
        m_blockLength = n;
        ResetFir();
    }
    m_designFft.Resize(size_t(m_blockLength));
    m_blocks.Configure(2 * size_t(m_blockLength), size_t(m_blockLength), m_channels);
    m_coefficientsValid = false;
    m_kernelValid = false;
}

void EqEngine::Reset()
{
    ClearIirState();
    ResetFir();
    m_runningFir = m_requestedFir;
}

void EqEngine::CountActiveBands()
{
    const double h = m_rate / 2.0;
    m_activeBands = 1;
    for (int b = kBandCount - 1; b >= 1; --b) {
        if (kBandCentresHz[b] < h) {
            m_activeBands = b + 1;
            break;
        }
    }
}

void EqEngine::ClearIirState()
{
    // The cascade is made anew for the bands and channels at the next chunk.
    m_coefficientsValid = false;
    m_cascade.Configure({}, m_channels);
}

void EqEngine::ResetFir()
{
    std::free(m_firBuffer);
    m_firBuffer = nullptr;
    m_firCapacity = 0;
    m_pending = 0;
    m_firstBlock = true;
    m_blocks.Reset();
}

void EqEngine::SetMode(bool fir)
{
    m_requestedFir = fir;
}

void EqEngine::SetBandGains(const float gainsDb[kBandCount])
{
    if (m_requestedFir) {
        if (!m_kernelValid || !std::equal(gainsDb, gainsDb + kBandCount, m_kernelGains))
            DesignFirKernel(gainsDb);
        return;
    }
    for (int b = 0; b < kBandCount; ++b) {
        const double g = std::pow(10.0, gainsDb[b] * 0.05);
        if (g != m_linearGain[b]) {
            m_linearGain[b] = g;
            m_coefficientsValid = false;
        }
    }
}

void EqEngine::SetMasterGain(float gainDb)
{
    gainDb = std::clamp(gainDb, kMasterMinDb, kMasterMaxDb);
    m_master = std::pow(10.0, gainDb * 0.05);
}

int EqEngine::BandForFrequency(double f)
{
    if (!(f > 0.0))
        return 0;
    const double n = std::round(10.0 / 3.0 * std::log10(f)); // halves away from zero
    return std::clamp(int(n) - 5, 0, kBandCount - 1);
}

void EqEngine::ComputeIirCoefficients()
{
    const double t = 1.0 / m_rate;
    std::vector<fxkit::BiquadCoefficients> bands(static_cast<size_t>(m_activeBands));
    for (int i = 0; i < m_activeBands; ++i) {
        const double f = kBandCentresHz[i];
        const double wc = std::tan(kPi * f * t);
        const double fl = f * (std::sqrt(1.0 / (kBandQ * kBandQ) + 4.0) - 1.0 / kBandQ) / 2.0;
        const double wl = std::tan(kPi * fl * t);
        const double wu = wc * wc / wl;
        const double qd = wc / (wu - wl);
        const double w = 2.0 * kPi * f * t;
        const double alpha = std::sin(w) / (2.0 * qd);
        const double a = std::sqrt(m_linearGain[i]);
        const double a0 = 1.0 + alpha / a;
        fxkit::BiquadCoefficients& c = bands[size_t(i)];
        c.b0 = (1.0 + alpha * a) / a0;
        c.b1 = -2.0 * std::cos(w) / a0;
        c.b2 = (1.0 - alpha * a) / a0;
        c.a1 = c.b1;
        c.a2 = (1.0 - alpha / a) / a0;
    }
    // New gains keep the filter's state; a new band count starts it afresh.
    if (m_cascade.SectionCount() == bands.size())
        m_cascade.SetCoefficients(bands);
    else
        m_cascade.Configure(bands, m_channels);
    m_coefficientsValid = true;
}

void EqEngine::DesignFirKernel(const float gainsDb[kBandCount])
{
    const size_t n = size_t(m_blockLength);
    std::vector<std::complex<double>> x(n);
    for (size_t k = 0; k <= n / 2; ++k) {
        const double freq = double(k) * m_rate / double(n);
        const double amp = std::pow(10.0, gainsDb[BandForFrequency(freq)] / 40.0);
        x[k] = amp;
        if (k >= 1 && k < n / 2)
            x[n - k] = amp;
    }
    m_designFft.Inverse(x.data());
    auto window = [n](size_t i) {
        const double p = 2.0 * kPi * double(i) / double(n);
        return 0.42 - 0.5 * std::cos(p) + 0.08 * std::cos(2.0 * p);
    };
    for (size_t k = 0; k < n / 2; ++k) {
        const double v = window(n / 2 + k) * x[k].real();
        m_kernel[n / 2 + k] = v;
        m_kernel[n / 2 - k] = v;
    }
    m_kernel[0] = window(0) * x[n / 2].real();
    m_blocks.SetKernel(m_kernel.data(), n);
    std::copy(gainsDb, gainsDb + kBandCount, m_kernelGains);
    m_kernelValid = true;
}

size_t EqEngine::MaxOutputFrames(size_t frames) const
{
    if (!m_runningFir && !m_requestedFir)
        return frames;
    // Pending frames (below N), the drained delay (N/2), and the chunk itself.
    return frames + size_t(m_blockLength) + size_t(m_blockLength) / 2;
}

size_t EqEngine::Process(const void* src, size_t frames, void* dst)
{
    if (!src)
        frames = 0;
    size_t written = 0;
    if (m_runningFir != m_requestedFir) {
        // Leaving FIR mode: hand out what the delay still owes before switching.
        if (m_runningFir && m_firBuffer)
            written = DrainFir(dst);
        ClearIirState();
        ResetFir();
        m_runningFir = m_requestedFir;
    }
    unsigned char* out = static_cast<unsigned char*>(dst) + written * size_t(m_channels) * size_t(m_outBytes);
    if (!m_runningFir)
        return written + ProcessIir(src, frames, out);
    return written + ProcessFir(src, frames, out);
}

std::vector<float>& EqEngine::Work(std::vector<float>& v, size_t frames) const
{
    if (v.size() < frames * size_t(m_channels))
        v.resize(frames * size_t(m_channels));
    return v;
}

void EqEngine::Emit(const float* frames, size_t count, unsigned char* dst)
{
    const size_t samples = count * size_t(m_channels);
    float* scaled = Work(m_scaled, count).data();
    // Within the float range whatever the gain did.
    const float master = float(m_master), top = float(fxkit::kLargestFloat);
    for (size_t i = 0; i < samples; ++i)
        scaled[i] = std::min(std::max(frames[i] * master, -top), top);
    pcm::Encode(scaled, samples, m_outForm, dst);
}

size_t EqEngine::ProcessIir(const void* src, size_t frames, void* dst)
{
    if (frames == 0)
        return 0;
    if (!m_coefficientsValid)
        ComputeIirCoefficients();
    float* work = Work(m_blockIn, frames).data();
    pcm::Decode(m_inForm, src, frames * size_t(m_channels), work);
    m_cascade.ProcessInPlace(work, frames);
    Emit(work, frames, static_cast<unsigned char*>(dst));
    return frames;
}

bool EqEngine::EnsureFirCapacity(size_t frames)
{
    if (m_firBuffer && frames <= m_firCapacity)
        return true;
    const size_t n = size_t(m_blockLength);
    size_t capacity = std::max(2 * n, n + 2 * frames);
    if (m_firBuffer)
        capacity = std::max(capacity, frames + n);
    const size_t frameBytes = size_t(m_channels) * size_t(m_inBytes);
    void* grown = std::realloc(m_firBuffer, capacity * frameBytes);
    if (!grown)
        return false;
    m_firBuffer = static_cast<unsigned char*>(grown);
    m_firCapacity = capacity;
    return true;
}

size_t EqEngine::ProcessFir(const void* src, size_t frames, void* dst)
{
    const size_t n = size_t(m_blockLength);
    const size_t inFrameBytes = size_t(m_channels) * size_t(m_inBytes);
    const size_t outFrameBytes = size_t(m_channels) * size_t(m_outBytes);
    if (!EnsureFirCapacity(m_pending + frames))
        return 0;
    if (!m_kernelValid)
        DesignFirKernel(m_kernelGains);
    if (frames)
        std::memcpy(m_firBuffer + m_pending * inFrameBytes, src, frames * inFrameBytes);
    const size_t available = m_pending + frames;
    auto* out = static_cast<unsigned char*>(dst);
    size_t written = 0;
    size_t offset = 0;
    while (available - offset >= n) {
        const size_t skip = m_firstBlock ? n / 2 : 0;
        FilterFirBlock(m_firBuffer + offset * inFrameBytes, n);
        EmitFirFrames(skip, n - skip, out + written * outFrameBytes);
        m_firstBlock = false;
        written += n - skip;
        offset += n;
    }
    m_pending = available - offset;
    if (offset && m_pending)
        std::memmove(m_firBuffer, m_firBuffer + offset * inFrameBytes, m_pending * inFrameBytes);
    if (m_drain)
        written += DrainFir(out + written * outFrameBytes);
    return written;
}

size_t EqEngine::DrainFir(void* dst)
{
    const size_t n = size_t(m_blockLength);
    const bool first = m_firstBlock;
    // Before the first block nothing of the delay is owed: the stream's frames are all pending.
    const size_t skip = first ? n / 2 : 0;
    const size_t owed = first ? m_pending : m_pending + n / 2;
    if (owed && m_firBuffer) {
        FilterFirBlock(m_firBuffer, m_pending);
        EmitFirFrames(skip, owed, static_cast<unsigned char*>(dst));
    }
    // The stream is complete: start the next one afresh.
    m_pending = 0;
    m_firstBlock = true;
    m_blocks.Reset();
    return owed;
}

void EqEngine::FilterFirBlock(const unsigned char* block, size_t valid)
{
    const size_t n = size_t(m_blockLength);
    float* in = Work(m_blockIn, n).data();
    pcm::Decode(m_inForm, block, valid * size_t(m_channels), in);
    m_blocks.Run(in, valid, Work(m_blockOut, n).data());
}

void EqEngine::EmitFirFrames(size_t first, size_t count, unsigned char* dst)
{
    const size_t n = size_t(m_blockLength), frameBytes = size_t(m_channels) * size_t(m_outBytes);
    if (first < n) {
        const size_t inHop = std::min(count, n - first);
        Emit(m_blockOut.data() + first * size_t(m_channels), inHop, dst);
        dst += inHop * frameBytes;
        count -= inHop;
        first = n;
    }
    if (count)
        Emit(m_blocks.TailAt(first - n), count, dst);
}

} // namespace geq
