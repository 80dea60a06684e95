#include "EqEngine.h"

#include "PcmCodec.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <emmintrin.h>
#include <new>

namespace geq {

const double kBandCentresHz[kBandCount] = {31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

namespace {

const double kPi = std::acos(-1.0);
constexpr size_t kMaxBlock = 8192; // FIR block length at 11025 Hz and above
constexpr double kBandQ = 3.0;
constexpr double kDenormalFloor = 1e-30;

// Sample readers and writers by container, by the sample codec's rule (PcmCodec.h).
struct U8 {
    static constexpr int kBytes = 1;
    static double Read(const unsigned char* p) { return pcm::U8ToFloat(*p); }
    static void Write(unsigned char* p, double v) { *p = pcm::FloatToU8(float(v)); }
};
struct S16 {
    static constexpr int kBytes = 2;
    static double Read(const unsigned char* p)
    {
        int16_t s;
        std::memcpy(&s, p, 2);
        return pcm::S16ToFloat(s);
    }
    static void Write(unsigned char* p, double v)
    {
        const int16_t s = pcm::FloatToS16(float(v));
        std::memcpy(p, &s, 2);
    }
};
struct S24 {
    static constexpr int kBytes = 3;
    static double Read(const unsigned char* p)
    {
        float v;
        pcm::Decode(pcm::Form::S24, p, 1, &v);
        return v;
    }
    static void Write(unsigned char* p, double v)
    {
        const float f = float(v);
        pcm::Encode(&f, 1, pcm::Form::S24, p);
    }
};
// 20 valid bits in a 24-bit container.
struct S20In24 : S24 {
    static void Write(unsigned char* p, double v)
    {
        const float f = float(v);
        pcm::Encode(&f, 1, pcm::Form::S20, p);
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
        const float s = static_cast<float>(v);
        std::memcpy(p, &s, 4);
    }
};

int StoredBytes(int bytes)
{
    return bytes >= 1 && bytes <= 3 ? bytes : 4;
}

double Flush(double v)
{
    return std::fabs(v) < kDenormalFloor ? 0.0 : v;
}

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
                const double y =
                    k.b0[b] * x[l] + k.b1[b] * x1[l][b] + k.b2[b] * x2[l][b] - k.a1[b] * y1[l][b] - k.a2[b] * y2[l][b];
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
CascadeFn CascadeForOutput(int outBytes, bool out20In24)
{
    switch (outBytes) {
    case 1:
        return &RunBiquadCascade<In, U8, Lanes>;
    case 2:
        return &RunBiquadCascade<In, S16, Lanes>;
    case 3:
        return out20In24 ? &RunBiquadCascade<In, S20In24, Lanes> : &RunBiquadCascade<In, S24, Lanes>;
    default:
        return &RunBiquadCascade<In, F32, Lanes>;
    }
}

template <int Lanes>
CascadeFn CascadeFor(int inBytes, int outBytes, bool out20In24)
{
    switch (inBytes) {
    case 1:
        return CascadeForOutput<U8, Lanes>(outBytes, out20In24);
    case 2:
        return CascadeForOutput<S16, Lanes>(outBytes, out20In24);
    case 3:
        return CascadeForOutput<S24, Lanes>(outBytes, out20In24);
    default:
        return CascadeForOutput<F32, Lanes>(outBytes, out20In24);
    }
}

// One channel of `count` interleaved frames (`stride` bytes apart) into doubles.
template <class In>
void ReadChannel(const unsigned char* p, size_t stride, size_t count, double* to)
{
    for (size_t i = 0; i < count; ++i, p += stride)
        to[i] = In::Read(p);
}

void ReadChannel(int bytes, const unsigned char* p, size_t stride, size_t count, double* to)
{
    switch (bytes) {
    case 1:
        ReadChannel<U8>(p, stride, count, to);
        break;
    case 2:
        ReadChannel<S16>(p, stride, count, to);
        break;
    case 3:
        ReadChannel<S24>(p, stride, count, to);
        break;
    default:
        ReadChannel<F32>(p, stride, count, to);
        break;
    }
}

// y[i] (+ overlap[i] while i < overlapCount) times master, written into one channel.
template <class Out>
void WriteChannel(const double* y, const double* overlap, size_t overlapCount, size_t count, double master,
                  unsigned char* p, size_t stride)
{
    size_t i = 0;
    for (const size_t n = std::min(overlapCount, count); i < n; ++i, p += stride)
        Out::Write(p, (y[i] + overlap[i]) * master);
    for (; i < count; ++i, p += stride)
        Out::Write(p, y[i] * master);
}

void WriteChannel(int bytes, bool out20In24, const double* y, const double* overlap, size_t overlapCount, size_t count,
                  double master, unsigned char* p, size_t stride)
{
    switch (bytes) {
    case 1:
        WriteChannel<U8>(y, overlap, overlapCount, count, master, p, stride);
        break;
    case 2:
        WriteChannel<S16>(y, overlap, overlapCount, count, master, p, stride);
        break;
    case 3:
        if (out20In24)
            WriteChannel<S20In24>(y, overlap, overlapCount, count, master, p, stride);
        else
            WriteChannel<S24>(y, overlap, overlapCount, count, master, p, stride);
        break;
    default:
        WriteChannel<F32>(y, overlap, overlapCount, count, master, p, stride);
        break;
    }
}

} // namespace

void FftPlan::Prepare(size_t n)
{
    if (n == m_n)
        return;
    m_n = n;
    m_swaps.clear();
    for (size_t i = 0, j = 0; i < n; ++i) {
        if (j > i) {
            m_swaps.push_back(uint32_t(i));
            m_swaps.push_back(uint32_t(j));
        }
        size_t m = n >> 1;
        while (m >= 1 && (j & m)) {
            j ^= m;
            m >>= 1;
        }
        j |= m;
    }
    // Stages of span 2h for h = 1, 2, 4, ...: twiddle m of stage h turns by pi m / h.
    m_twiddles.clear();
    for (size_t h = 1; h < n; h <<= 1) {
        for (size_t m = 0; m < h; ++m) {
            const double a = kPi * double(m) / double(h);
            m_twiddles.push_back(std::cos(a));
            m_twiddles.push_back(-std::sin(a));
        }
    }
}

void FftPlan::Run(double* data, int sign) const
{
    const size_t n = m_n;
    if (n < 2)
        return;
    for (size_t s = 0; s < m_swaps.size(); s += 2) {
        double* a = data + 2 * size_t(m_swaps[s]);
        double* b = data + 2 * size_t(m_swaps[s + 1]);
        std::swap(a[0], b[0]);
        std::swap(a[1], b[1]);
    }
    // The first stage turns by nothing.
    for (size_t i = 0; i < 2 * n; i += 4) {
        const double ar = data[i], ai = data[i + 1], br = data[i + 2], bi = data[i + 3];
        data[i] = ar + br;
        data[i + 1] = ai + bi;
        data[i + 2] = ar - br;
        data[i + 3] = ai - bi;
    }
    // The inverse conjugates the twiddles: the sign goes on their imaginary parts.
    const double si = sign < 0 ? 1.0 : -1.0;
    for (size_t h = 2; h < n; h <<= 1) {
        const double* tw = m_twiddles.data() + 2 * (h - 1);
        for (size_t start = 0; start < n; start += 2 * h) {
            double* a = data + 2 * start;
            double* b = a + 2 * h;
            for (size_t m = 0; m < h; ++m) {
                const double wr = tw[2 * m];
                const double wi = si * tw[2 * m + 1];
                const double br = b[2 * m], bi = b[2 * m + 1];
                const double tr = wr * br - wi * bi;
                const double ti = wr * bi + wi * br;
                const double ar = a[2 * m], ai = a[2 * m + 1];
                b[2 * m] = ar - tr;
                b[2 * m + 1] = ai - ti;
                a[2 * m] = ar + tr;
                a[2 * m + 1] = ai + ti;
            }
        }
    }
}

void Fft(double* data, size_t n, int sign)
{
    FftPlan plan;
    plan.Prepare(n);
    plan.Run(data, sign);
}

void RealFft::Prepare(size_t m)
{
    if (m == Size())
        return;
    m_half.Prepare(m / 2);
    m_turn.resize(2 * (m / 4 + 1));
    for (size_t k = 0; k <= m / 4; ++k) {
        const double a = 2.0 * kPi * double(k) / double(m);
        m_turn[2 * k] = std::cos(a);
        m_turn[2 * k + 1] = -std::sin(a);
    }
}

// The m reals taken as n = m/2 complex z[j] = x[2j] + i x[2j+1] with transform Z. The spectra
// of the even and odd samples are E[k] = (Z[k] + conj Z[n-k]) / 2 and
// O[k] = (Z[k] - conj Z[n-k]) / 2i, and X[k] = E[k] + W^k O[k], X[n-k] = conj(E[k] - W^k O[k])
// with W = e^(-2 pi i / m).
void RealFft::Forward(double* x) const
{
    const size_t n = m_half.Size();
    m_half.Run(x, -1);
    const double z0r = x[0], z0i = x[1];
    x[0] = z0r + z0i;
    x[1] = z0r - z0i;
    for (size_t k = 1; k <= n / 2; ++k) {
        double* p = x + 2 * k;
        double* q = x + 2 * (n - k);
        const double er = 0.5 * (p[0] + q[0]), ei = 0.5 * (p[1] - q[1]);
        const double or_ = 0.5 * (p[1] + q[1]), oi = -0.5 * (p[0] - q[0]);
        const double wr = m_turn[2 * k], wi = m_turn[2 * k + 1];
        const double tr = wr * or_ - wi * oi, ti = wr * oi + wi * or_;
        p[0] = er + tr;
        p[1] = ei + ti;
        q[0] = er - tr;
        q[1] = ti - ei;
    }
}

// Back from X: E[k] = X[k] + conj X[n-k], O[k] = (X[k] - conj X[n-k]) / W^k (each twice the
// true value), Z[k] = E[k] + i O[k], then the inverse complex transform (n times the true z).
void RealFft::Inverse(double* x) const
{
    const size_t n = m_half.Size();
    const double x0 = x[0], xn = x[1];
    x[0] = x0 + xn;
    x[1] = x0 - xn;
    for (size_t k = 1; k <= n / 2; ++k) {
        double* p = x + 2 * k;
        double* q = x + 2 * (n - k);
        const double er = p[0] + q[0], ei = p[1] - q[1];
        const double dr = p[0] - q[0], di = p[1] + q[1];
        // (dr + i di) / W^k = (dr + i di) conj(W^k)
        const double wr = m_turn[2 * k], wi = -m_turn[2 * k + 1];
        const double or_ = dr * wr - di * wi, oi = dr * wi + di * wr;
        // Z[k] = E + i O; Z[n-k] = conj E + i conj O
        p[0] = er - oi;
        p[1] = ei + or_;
        q[0] = er + oi;
        q[1] = or_ - ei;
    }
    m_half.Run(x, +1);
}

EqEngine::EqEngine()
    : m_kernel(kMaxBlock), m_spectrum(2 * kMaxBlock), m_kernelSpectrum(2 * kMaxBlock), m_work(2 * kMaxBlock),
      m_overlap(kMaxBlock * kMaxChannels)
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
    m_out20In24 = m_outBytes == 3 && output.formatTag == kTagExtensible && output.extraSize == kExtensibleExtraSize &&
                  output.validBits == 20;
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
    m_plan.Prepare(size_t(m_blockLength));
    m_realFft.Prepare(2 * size_t(m_blockLength));
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
    m_plan.Run(x, +1);
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
    // The kernel's spectrum for the convolution, with the inverse transform's 1/2N folded in.
    double* h = m_kernelSpectrum.data();
    std::copy(m_kernel.begin(), m_kernel.begin() + n, h);
    std::fill(h + n, h + 2 * n, 0.0);
    m_realFft.Forward(h);
    const double inverseScale = 1.0 / double(2 * n);
    for (size_t i = 0; i < 2 * n; ++i)
        h[i] *= inverseScale;
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
    const CascadeFn runPair = CascadeFor<2>(m_inBytes, m_outBytes, m_out20In24);
    const CascadeFn runOne = CascadeFor<1>(m_inBytes, m_outBytes, m_out20In24);
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
    double* y = m_work.data();
    ReadChannel(m_inBytes, block + size_t(channel) * size_t(m_inBytes), stride, valid, y);
    std::fill(y + valid, y + 2 * n, 0.0);
    m_realFft.Forward(y);
    const double* h = m_kernelSpectrum.data();
    y[0] *= h[0]; // bins 0 and N, both real
    y[1] *= h[1];
    for (size_t k = 2; k < 2 * n; k += 2) {
        const double yr = y[k], yi = y[k + 1];
        y[k] = yr * h[k] - yi * h[k + 1];
        y[k + 1] = yr * h[k + 1] + yi * h[k];
    }
    m_realFft.Inverse(y);
}

void EqEngine::EmitFirFrames(int channel, size_t first, size_t count, unsigned char* dst) const
{
    const size_t n = size_t(m_blockLength);
    const double* overlap = m_overlap.data() + size_t(channel) * n;
    const size_t overlapCount = m_firstBlock[channel] || first >= n ? 0 : n - first;
    WriteChannel(m_outBytes, m_out20In24, m_work.data() + first, overlap + first, overlapCount, count, m_master,
                 dst + size_t(channel) * size_t(m_outBytes), size_t(m_channels) * size_t(m_outBytes));
}

void EqEngine::FinishFirBlock(int channel)
{
    const size_t n = size_t(m_blockLength);
    const double* y = m_work.data();
    std::copy(y + n, y + 2 * n, m_overlap.begin() + ptrdiff_t(size_t(channel) * n));
    m_firstBlock[channel] = false;
}

} // namespace geq
