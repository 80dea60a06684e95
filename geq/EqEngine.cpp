#include "EqEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace geq {

const double kBandCentresHz[kBandCount] = {31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

namespace {

const double kPi = std::acos(-1.0);
constexpr size_t kMaxBlock = 8192; // FIR block length at 11025 Hz and above
constexpr double kBandQ = 3.0;
constexpr double kDenormalFloor = 1e-30;

// Sample readers and writers by container. Integer output truncates toward zero after clamping.
struct U8 {
    static constexpr int kBytes = 1;
    static double Read(const unsigned char* p) { return (int(*p) - 128) * (1.0 / 127.0); }
    static void Write(unsigned char* p, double v)
    {
        double s = v * 127.0 + 128.0;
        *p = s >= 255.0 ? 255 : s <= 0.0 ? 0 : static_cast<unsigned char>(s);
    }
};
struct S16 {
    static constexpr int kBytes = 2;
    static double Read(const unsigned char* p)
    {
        int16_t s;
        std::memcpy(&s, p, 2);
        return s;
    }
    static void Write(unsigned char* p, double v)
    {
        int16_t s = v >= 32767.0 ? 32767 : v <= -32768.0 ? -32768 : static_cast<int16_t>(v);
        std::memcpy(p, &s, 2);
    }
};
struct S24 {
    static constexpr int kBytes = 3;
    static double Read(const unsigned char* p)
    {
        int32_t s = int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8;
        return s;
    }
    static void Write(unsigned char* p, double v)
    {
        int32_t s = v >= 8388607.0 ? 8388607 : v <= -8388608.0 ? -8388608 : static_cast<int32_t>(v);
        p[0] = uint8_t(s);
        p[1] = uint8_t(s >> 8);
        p[2] = uint8_t(s >> 16);
    }
};
struct F32 {
    static constexpr int kBytes = 4;
    static double Read(const unsigned char* p)
    {
        float s;
        std::memcpy(&s, p, 4);
        return s;
    }
    static void Write(unsigned char* p, double v)
    {
        float s = static_cast<float>(v);
        std::memcpy(p, &s, 4);
    }
};

double ReadSample(int bytes, const unsigned char* p)
{
    switch (bytes) {
    case 1: return U8::Read(p);
    case 2: return S16::Read(p);
    case 3: return S24::Read(p);
    default: return F32::Read(p);
    }
}

void WriteSample(int bytes, unsigned char* p, double v)
{
    switch (bytes) {
    case 1: U8::Write(p, v); break;
    case 2: S16::Write(p, v); break;
    case 3: S24::Write(p, v); break;
    default: F32::Write(p, v); break;
    }
}

int StoredBytes(int bytes) { return bytes >= 1 && bytes <= 3 ? bytes : 4; }

double Flush(double v) { return std::fabs(v) < kDenormalFloor ? 0.0 : v; }

struct Coefficients {
    const double *b0, *b1, *b2, *a1, *a2;
};
struct ChannelState {
    double *x1, *x2, *y1, *y2;
};

// The biquad cascade over a chunk for Lanes adjacent channels at once (their recursions are
// independent, so running them side by side keeps the processor busy), reading In, writing Out.
template <class In, class Out, int Lanes>
void RunBiquadCascade(const unsigned char* src, unsigned char* dst, size_t frames, int channels, int bands,
                      const Coefficients& k, const ChannelState* states, double master)
{
    double x1[Lanes][kBandCount], x2[Lanes][kBandCount], y1[Lanes][kBandCount], y2[Lanes][kBandCount];
    for (int l = 0; l < Lanes; ++l) {
        for (int b = 0; b < bands; ++b) {
            x1[l][b] = states[l].x1[b];
            x2[l][b] = states[l].x2[b];
            y1[l][b] = states[l].y1[b];
            y2[l][b] = states[l].y2[b];
        }
    }
    const size_t inStride = size_t(channels) * In::kBytes;
    const size_t outStride = size_t(channels) * Out::kBytes;
    for (size_t j = 0; j < frames; ++j) {
        double x[Lanes];
        for (int l = 0; l < Lanes; ++l)
            x[l] = In::Read(src + l * In::kBytes);
        for (int b = 0; b < bands; ++b) {
            for (int l = 0; l < Lanes; ++l) {
                const double y = k.b0[b] * x[l] + k.b1[b] * x1[l][b] + k.b2[b] * x2[l][b] - k.a1[b] * y1[l][b] -
                                 k.a2[b] * y2[l][b];
                x2[l][b] = x1[l][b];
                x1[l][b] = x[l];
                y2[l][b] = y1[l][b];
                y1[l][b] = y;
                x[l] = y;
            }
        }
        for (int l = 0; l < Lanes; ++l)
            Out::Write(dst + l * Out::kBytes, x[l] * master);
        src += inStride;
        dst += outStride;
    }
    for (int l = 0; l < Lanes; ++l) {
        for (int b = 0; b < bands; ++b) {
            states[l].x1[b] = Flush(x1[l][b]);
            states[l].x2[b] = Flush(x2[l][b]);
            states[l].y1[b] = Flush(y1[l][b]);
            states[l].y2[b] = Flush(y2[l][b]);
        }
    }
}

using CascadeFn = decltype(&RunBiquadCascade<S16, S16, 1>);

template <class In, int Lanes>
CascadeFn CascadeForOutput(int outBytes)
{
    switch (outBytes) {
    case 1: return &RunBiquadCascade<In, U8, Lanes>;
    case 2: return &RunBiquadCascade<In, S16, Lanes>;
    case 3: return &RunBiquadCascade<In, S24, Lanes>;
    default: return &RunBiquadCascade<In, F32, Lanes>;
    }
}

template <int Lanes>
CascadeFn CascadeFor(int inBytes, int outBytes)
{
    switch (inBytes) {
    case 1: return CascadeForOutput<U8, Lanes>(outBytes);
    case 2: return CascadeForOutput<S16, Lanes>(outBytes);
    case 3: return CascadeForOutput<S24, Lanes>(outBytes);
    default: return CascadeForOutput<F32, Lanes>(outBytes);
    }
}

} // namespace

void Fft(double* data, size_t n, int sign, FftTwiddles& twiddles)
{
    if (n < 2)
        return;
    // Bit-reversal permutation.
    for (size_t i = 0, j = 0; i < n; ++i) {
        if (j > i) {
            std::swap(data[2 * i], data[2 * j]);
            std::swap(data[2 * i + 1], data[2 * j + 1]);
        }
        size_t m = n >> 1;
        while (m >= 1 && (j & m)) {
            j ^= m;
            m >>= 1;
        }
        j |= m;
    }
    // Stage `half` turns by pi / half (starting at pi and halving): a stride of T / half
    // through the table of e^(i pi k / T).
    twiddles.Reserve(n);
    const std::vector<double>& cosTable = twiddles.cos;
    const std::vector<double>& sinTable = twiddles.sin;
    for (size_t half = 1; half < n; half <<= 1) {
        const size_t step = cosTable.size() / half;
        for (size_t start = 0; start < n; start += 2 * half) {
            double* a = data + 2 * start;
            double* b = a + 2 * half;
            for (size_t m = 0; m < half; ++m) {
                const double wr = cosTable[m * step];
                const double wi = sign * sinTable[m * step];
                const double tr = wr * b[2 * m] - wi * b[2 * m + 1];
                const double ti = wr * b[2 * m + 1] + wi * b[2 * m];
                b[2 * m] = a[2 * m] - tr;
                b[2 * m + 1] = a[2 * m + 1] - ti;
                a[2 * m] += tr;
                a[2 * m + 1] += ti;
            }
        }
    }
}

void Fft(double* data, size_t n, int sign)
{
    FftTwiddles twiddles;
    Fft(data, n, sign, twiddles);
}

void FftTwiddles::Reserve(size_t n)
{
    const size_t t = n / 2;
    if (cos.size() >= t)
        return;
    cos.resize(t);
    sin.resize(t);
    for (size_t k = 0; k < t; ++k) {
        cos[k] = std::cos(kPi * double(k) / double(t));
        sin[k] = std::sin(kPi * double(k) / double(t));
    }
}

EqEngine::EqEngine()
    : m_kernel(kMaxBlock), m_spectrum(2 * kMaxBlock), m_work(4 * kMaxBlock), m_overlap(kMaxBlock * kMaxChannels)
{
    m_twiddles.Reserve(2 * kMaxBlock);
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

EqEngine::~EqEngine() { std::free(m_firBuffer); }

void EqEngine::Prepare(const WaveFormat& input, const WaveFormat& output)
{
    m_out = output;
    m_outBytes = StoredBytes((output.bitsPerSample + 7) / 8);
    SetFormat(input);
    ResetFir();
}

void EqEngine::SetFormat(const WaveFormat& input)
{
    m_in = input;
    m_inBytes = StoredBytes(input.bitsPerSample / 8);
    m_channels = std::clamp<int>(input.channels, 1, kMaxChannels);
    m_rate = input.samplesPerSec > 0 ? double(input.samplesPerSec) : 44100.0;
    CountActiveBands();
    ClearIirState();
    const int n = input.samplesPerSec < 11025 ? 4096 : 8192;
    if (n != m_blockLength) {
        m_blockLength = n;
        ResetFir();
    }
    std::fill(m_overlap.begin(), m_overlap.end(), 0.0);
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
    std::memset(m_x1, 0, sizeof m_x1);
    std::memset(m_x2, 0, sizeof m_x2);
    std::memset(m_y1, 0, sizeof m_y1);
    std::memset(m_y2, 0, sizeof m_y2);
}

void EqEngine::ResetFir()
{
    std::free(m_firBuffer);
    m_firBuffer = nullptr;
    m_firCapacity = 0;
    m_pending = 0;
    for (bool& f : m_firstBlock)
        f = true;
    std::fill(m_overlap.begin(), m_overlap.end(), 0.0);
}

void EqEngine::SetMode(bool fir) { m_requestedFir = fir; }

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
        m_b0[i] = (1.0 + alpha * a) / a0;
        m_b1[i] = -2.0 * std::cos(w) / a0;
        m_b2[i] = (1.0 - alpha * a) / a0;
        m_a1[i] = m_b1[i];
        m_a2[i] = (1.0 - alpha / a) / a0;
    }
    m_coefficientsValid = true;
}

void EqEngine::DesignFirKernel(const float gainsDb[kBandCount])
{
    const size_t n = size_t(m_blockLength);
    double* x = m_spectrum.data();
    for (size_t k = 0; k <= n / 2; ++k) {
        const double freq = double(k) * m_rate / double(n);
        const double amp = std::pow(10.0, gainsDb[BandForFrequency(freq)] / 40.0);
        x[2 * k] = amp;
        x[2 * k + 1] = 0.0;
        if (k >= 1 && k < n / 2) {
            x[2 * (n - k)] = amp;
            x[2 * (n - k) + 1] = 0.0;
        }
    }
    Fft(x, n, +1, m_twiddles);
    auto window = [n](size_t i) {
        const double p = 2.0 * kPi * double(i) / double(n);
        return 0.42 - 0.5 * std::cos(p) + 0.08 * std::cos(2.0 * p);
    };
    const double scale = 1.0 / double(n);
    for (size_t k = 0; k < n / 2; ++k) {
        const double v = scale * window(n / 2 + k) * x[2 * k];
        m_kernel[n / 2 + k] = v;
        m_kernel[n / 2 - k] = v;
    }
    m_kernel[0] = scale * window(0) * x[2 * (n / 2)];
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

size_t EqEngine::ProcessIir(const void* src, size_t frames, void* dst)
{
    if (frames == 0)
        return 0;
    if (!m_coefficientsValid)
        ComputeIirCoefficients();
    const CascadeFn runPair = CascadeFor<2>(m_inBytes, m_outBytes);
    const CascadeFn runOne = CascadeFor<1>(m_inBytes, m_outBytes);
    const Coefficients k{m_b0, m_b1, m_b2, m_a1, m_a2};
    const auto* in = static_cast<const unsigned char*>(src);
    auto* out = static_cast<unsigned char*>(dst);
    for (int c = 0; c < m_channels;) {
        const int lanes = m_channels - c >= 2 ? 2 : 1;
        ChannelState states[2];
        for (int l = 0; l < lanes; ++l)
            states[l] = ChannelState{m_x1[c + l], m_x2[c + l], m_y1[c + l], m_y2[c + l]};
        (lanes == 2 ? runPair : runOne)(in + size_t(c) * m_inBytes, out + size_t(c) * m_outBytes, frames, m_channels,
                                        m_activeBands, k, states, m_master);
        c += lanes;
    }
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
        const bool first = m_firstBlock[0];
        const size_t skip = first ? n / 2 : 0;
        for (int c = 0; c < m_channels; ++c) {
            FilterFirBlock(m_firBuffer + offset * inFrameBytes, n, c);
            EmitFirFrames(c, skip, n - skip, out + written * outFrameBytes);
            FinishFirBlock(c);
        }
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
    const bool first = m_firstBlock[0];
    // Before the first block nothing of the delay is owed: the stream's frames are all pending.
    const size_t skip = first ? n / 2 : 0;
    const size_t owed = first ? m_pending : m_pending + n / 2;
    if (owed && m_firBuffer) {
        for (int c = 0; c < m_channels; ++c) {
            FilterFirBlock(m_firBuffer, m_pending, c);
            EmitFirFrames(c, skip, owed, static_cast<unsigned char*>(dst));
        }
    }
    // The stream is complete: start the next one afresh.
    m_pending = 0;
    for (bool& f : m_firstBlock)
        f = true;
    std::fill(m_overlap.begin(), m_overlap.end(), 0.0);
    return owed;
}

void EqEngine::FilterFirBlock(const unsigned char* block, size_t valid, int channel)
{
    const size_t n = size_t(m_blockLength);
    const size_t stride = size_t(m_channels) * size_t(m_inBytes);
    double* z = m_work.data();
    const unsigned char* p = block + size_t(channel) * size_t(m_inBytes);
    for (size_t i = 0; i < n; ++i) {
        z[2 * i] = i < valid ? ReadSample(m_inBytes, p + i * stride) : 0.0;
        z[2 * i + 1] = m_kernel[i];
    }
    std::fill(z + 2 * n, z + 4 * n, 0.0);
    const size_t m = 2 * n;
    Fft(z, m, -1, m_twiddles);
    // Two real sequences in one transform: separate X (signal) and H (kernel), multiply.
    const double scale = 1.0 / double(m);
    for (size_t k = 1; k < n; ++k) {
        const double zr = z[2 * k], zi = z[2 * k + 1];
        const double cr = z[2 * (m - k)], ci = -z[2 * (m - k) + 1]; // conj Z[2N-k]
        const double xr = 0.5 * (zr + cr), xi = 0.5 * (zi + ci);
        // (Z - conj)/(2i) = (dr + i di)/(2i) = di/2 - i dr/2
        const double hr = 0.5 * (zi - ci), hi = -0.5 * (zr - cr);
        const double yr = (xr * hr - xi * hi) * scale;
        const double yi = (xr * hi + xi * hr) * scale;
        z[2 * k] = yr;
        z[2 * k + 1] = yi;
        z[2 * (m - k)] = yr;
        z[2 * (m - k) + 1] = -yi;
    }
    z[0] = z[0] * z[1] * scale;
    z[1] = 0.0;
    z[2 * n] = z[2 * n] * z[2 * n + 1] * scale;
    z[2 * n + 1] = 0.0;
    Fft(z, m, +1, m_twiddles);
}

void EqEngine::EmitFirFrames(int channel, size_t first, size_t count, unsigned char* dst) const
{
    const size_t n = size_t(m_blockLength);
    const double* y = m_work.data();
    const double* overlap = m_overlap.data() + size_t(channel) * n;
    const bool addOverlap = !m_firstBlock[channel];
    const size_t stride = size_t(m_channels) * size_t(m_outBytes);
    unsigned char* p = dst + size_t(channel) * size_t(m_outBytes);
    for (size_t i = 0; i < count; ++i, p += stride) {
        const size_t k = first + i;
        double v = y[2 * k];
        if (addOverlap && k < n)
            v += overlap[k];
        WriteSample(m_outBytes, p, v * m_master);
    }
}

void EqEngine::FinishFirBlock(int channel)
{
    const size_t n = size_t(m_blockLength);
    const double* y = m_work.data();
    double* overlap = m_overlap.data() + size_t(channel) * n;
    for (size_t k = 0; k < n; ++k)
        overlap[k] = y[2 * (n + k)];
    m_firstBlock[channel] = false;
}

} // namespace geq
