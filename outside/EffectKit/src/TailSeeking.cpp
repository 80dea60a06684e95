#include "TailSeeking.h"

#include "ComRef.h"

#include <cmath>

namespace fxkit {

namespace {

constexpr LONGLONG kTicksPerSecond = 10000000;

class TailSeeking : public ComObject<SeekingPassThru> {
public:
    TailSeeking(IMediaSeeking* upstream, uint64_t tailFrames, uint32_t rate, double ratio)
        : m_up(ComRef<IMediaSeeking>::Share(upstream)), m_tail(tailFrames), m_rate(rate), m_ratio(ratio)
    {
    }

    IMediaSeeking* UpstreamSeeking() override { return ComRef<IMediaSeeking>::Share(m_up.Get()).Detach(); }
    HRESULT LocalDuration(LONGLONG* duration) override
    {
        HRESULT hr = m_up->GetDuration(duration);
        if (SUCCEEDED(hr))
            *duration = TimeWithTail(*duration, m_tail, m_rate, m_ratio);
        return hr;
    }
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override
    {
        if (!stop)
            return E_POINTER;
        HRESULT hr = m_up->GetStopPosition(stop);
        if (SUCCEEDED(hr))
            *stop = TimeWithTail(*stop, m_tail, m_rate, m_ratio);
        return hr;
    }
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override
    {
        HRESULT hr = m_up->GetPositions(current, stop);
        if (SUCCEEDED(hr) && current && *current > 0)
            *current = LONGLONG(double(*current) * m_ratio);
        if (SUCCEEDED(hr) && stop)
            *stop = TimeWithTail(*stop, m_tail, m_rate, m_ratio);
        return hr;
    }

private:
    ComRef<IMediaSeeking> m_up;
    uint64_t m_tail;
    uint32_t m_rate;
    double m_ratio;
};

} // namespace

LONGLONG TimeWithTail(LONGLONG inputTime, uint64_t tailFrames, uint32_t rate, double ratio)
{
    if (inputTime < 0 || rate == 0)
        return inputTime;
    // Sample times are whole frames rounded down: the input's frame count is the next whole one.
    const uint64_t frames = (uint64_t(inputTime) * rate + kTicksPerSecond - 1) / kTicksPerSecond;
    const uint64_t out = uint64_t(std::llround(double(frames) * ratio)) + tailFrames;
    return LONGLONG(out * kTicksPerSecond / rate);
}

IMediaSeeking* NewTailSeeking(IMediaSeeking* upstream, uint64_t tailFrames, uint32_t rate, double ratio)
{
    return ComObject<SeekingPassThru>::Create<TailSeeking>(upstream, tailFrames, rate, ratio);
}

} // namespace fxkit
