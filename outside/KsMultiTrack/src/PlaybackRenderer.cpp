#include "PlaybackRenderer.h"

#include "PcmCodec.h"

#include <algorithm>
#include <cmath>

#include <emmintrin.h>

namespace {

// Largest magnitude of each side of interleaved stereo frames; NaN counts as nothing.
void StereoPeaks(const float* frames, size_t count, float* left, float* right)
{
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    __m128 peak = _mm_setzero_ps(); // (left, right, left, right)
    size_t i = 0;
    for (; i + 2 <= count; i += 2)
        peak = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(frames + 2 * i), magnitude), peak);
    float lanes[4];
    _mm_storeu_ps(lanes, peak);
    *left = std::max(lanes[0], lanes[2]);
    *right = std::max(lanes[1], lanes[3]);
    if (i < count) {
        *left = std::max(*left, std::fabs(frames[2 * i]));
        *right = std::max(*right, std::fabs(frames[2 * i + 1]));
    }
}

} // namespace

PlaybackRenderer::~PlaybackRenderer()
{
    End();
}

HRESULT PlaybackRenderer::Begin(IMtTrackSet* set, LONGLONG start, LONGLONG end)
{
    End();
    if (!set)
        return E_POINTER;
    m_set = ComRef<IMtTrackSet>::Share(set);
    HRESULT hr = m_set->GetSamplesPerSec(&m_rate);
    if (FAILED(hr))
        return hr;
    m_start = std::min(start, end);
    m_end = std::max(start, end);
    m_position = m_start;
    m_done = m_start >= m_end;
    return Refresh();
}

void PlaybackRenderer::End()
{
    m_reader.Reset();
    m_set.Reset();
}

HRESULT PlaybackRenderer::Refresh()
{
    DWORD flags = 0;
    if (ComRef<IMtSelection> selection = QueryCom<IMtSelection>(m_set.Get())) {
        LONG marked = 0;
        if (SUCCEEDED(selection->GetMarkedCount(&marked)) && marked == 0)
            flags |= kMtMixAllTracks;
    }
    ComRef<IMtMixReader> reader;
    HRESULT hr = m_set->CreateMixReader(2, flags, reader.Out());
    if (FAILED(hr))
        return hr;
    reader->SetRange(m_start, m_end);
    reader->Seek(m_position);
    m_reader = std::move(reader);
    m_sinceRefresh = 0;
    return S_OK;
}

void PlaybackRenderer::Seek(LONGLONG position)
{
    m_position = std::max(m_start, std::min(position, m_end));
    m_done = m_position >= m_end;
    if (m_reader)
        m_reader->Seek(m_position);
}

size_t PlaybackRenderer::Render(int16_t* out, size_t frames, LONGLONG* from, HRESULT* hr)
{
    *hr = S_OK;
    *from = m_position;
    if (m_done || !m_reader || frames == 0)
        return 0;
    if (m_sinceRefresh >= m_rate / 10) {
        *hr = Refresh();
        if (FAILED(*hr))
            return 0;
    }
    // The repeat switch and the loop range are read for every stretch.
    LONG repeat = 0;
    LONGLONG loopStart = 0, loopEnd = 0;
    m_set->GetShuttleStart(&repeat);
    m_set->GetLoopRange(&loopStart, &loopEnd);
    LONGLONG a = m_start, b = m_end;
    if (loopEnd > loopStart && loopEnd > m_start && loopStart < m_end) {
        a = std::max(loopStart, m_start);
        b = std::min(loopEnd, m_end);
    }
    const LONGLONG boundary = (repeat && m_position < b) ? b : m_end;
    const LONGLONG want = std::min<LONGLONG>(static_cast<LONGLONG>(frames), boundary - m_position);
    m_mix.resize(static_cast<size_t>(std::max<LONGLONG>(want, 0)) * 2);
    DWORD got = 0;
    if (want > 0) {
        *hr = m_reader->Read(m_mix.data(), static_cast<DWORD>(want), &got);
        if (FAILED(*hr))
            return 0;
    }
    pcm::Encode(m_mix.data(), size_t(got) * 2, pcm::Form::S16, out);
    if (got > 0) {
        float peakL = 0.0f, peakR = 0.0f;
        StereoPeaks(m_mix.data(), got, &peakL, &peakR);
        m_peakLeft = static_cast<LONG>(std::min(32767.0f, peakL * 32768.0f));
        m_peakRight = static_cast<LONG>(std::min(32767.0f, peakR * 32768.0f));
    }
    m_position += got;
    m_sinceRefresh += got;
    if (m_position >= boundary || static_cast<LONGLONG>(got) < want) {
        if (repeat && boundary == b && b > a && static_cast<LONGLONG>(got) == want) {
            m_position = a;
            m_reader->Seek(a);
        } else {
            m_done = true;
        }
    }
    return got;
}
