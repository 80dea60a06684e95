// The plan of one size: twiddles by direct cos/sin (never by recurrence, so every size is as
// accurate as the first stage), the instruction set chosen once, and the stage sequence.
#include "StockhamFft.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr int kMaxLog2 = 30;

bool HasAvx2Fma()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

} // namespace

namespace fxkit {

const StockhamFft& StockhamFft::ForSize(size_t size)
{
    // Made once and never freed: a lookup after the first is one atomic load.
    static std::mutex lock;
    static std::array<std::atomic<StockhamFft*>, kMaxLog2 + 1> plans{};
    int log2 = 0;
    while ((size_t(1) << log2) < size)
        ++log2;
    if (StockhamFft* plan = plans[log2].load(std::memory_order_acquire))
        return *plan;
    std::lock_guard<std::mutex> hold(lock);
    StockhamFft* plan = plans[log2].load(std::memory_order_relaxed);
    if (!plan) {
        plan = new StockhamFft(size_t(1) << log2);
        plans[log2].store(plan, std::memory_order_release);
    }
    return *plan;
}

StockhamFft::StockhamFft(size_t size) : m_size(size), m_avx2(HasAvx2Fma())
{
    for (size_t n = size; n >= 4; n /= 4) {
        m_stageOffsets.push_back(m_twiddles.size());
        const size_t quarter = n / 4;
        for (size_t t = 1; t <= 3; ++t)
            for (size_t p = 0; p < quarter; ++p) {
                // Angles reduced to a whole turn first: t * p < n, so no precision is lost.
                const double angle = -kTwoPi * double((t * p) % n) / double(n);
                m_twiddles.push_back(std::cos(angle));
                m_twiddles.push_back(std::sin(angle));
            }
    }
}

void StockhamFft::Forward(double* data, double* scratch) const
{
    if (m_size < 2)
        return;
    const double* in = data;
    double* out = scratch;
    size_t n = m_size, stride = 1, stage = 0;
    for (; n >= 4; n /= 4, stride *= 4, ++stage) {
        const fftkernel::Stage s = {m_twiddles.data() + m_stageOffsets[stage], n / 4, stride};
        if (m_avx2)
            fftkernel::Radix4Avx2(s, in, out);
        else
            fftkernel::Radix4Sse2(s, in, out);
        in = out;
        out = out == scratch ? data : scratch;
    }
    if (n == 2) {
        if (m_avx2)
            fftkernel::Radix2Avx2(stride, in, out);
        else
            fftkernel::Radix2Sse2(stride, in, out);
        in = out;
    }
    if (in != data)
        std::memcpy(data, in, m_size * 2 * sizeof(double));
}

} // namespace fxkit
