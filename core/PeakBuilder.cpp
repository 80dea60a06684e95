#include "PeakBuilder.h"

#include "ComRef.h"
#include "FileStream.h"
#include "KvSSException.h"
#include "TempFilePaths.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

int32_t FloatPeak(float value)
{
    if (value > 1.0f)
        return 32767;
    if (value < -1.0f)
        return -32768;
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(value * 32767.0);
}

template <class Sample, class ToValue>
void MinMax(const uint8_t* data, DWORD frames, DWORD stride, ToValue toValue, Sample* low, Sample* high)
{
    Sample first;
    std::memcpy(&first, data, sizeof(Sample));
    *low = *high = first;
    for (DWORD i = 1; i < frames; ++i) {
        Sample s;
        std::memcpy(&s, data + static_cast<size_t>(i) * stride, sizeof(Sample));
        if (toValue(s) < toValue(*low))
            *low = s;
        if (toValue(s) > toValue(*high))
            *high = s;
    }
}

// Lane l of a register holds channel l % channels, so the channel counts that divide the lane
// count take every channel of a block in one pass over the interleaved samples.
bool FitsLanes(DWORD channels, DWORD lanes)
{
    return channels != 0 && channels <= lanes && lanes % channels == 0;
}

// 16-bit samples, 8 lanes; every channel's minimum and maximum appended in channel order.
void MinMax16(const uint8_t* data, DWORD frames, DWORD channels, std::vector<int32_t>* peaks)
{
    const size_t count = static_cast<size_t>(frames) * channels;
    const int16_t* s = reinterpret_cast<const int16_t*>(data);
    alignas(16) int16_t lows[8], highs[8];
    size_t i = 0;
    if (count >= 8) {
        __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        __m128i hi = lo;
        for (i = 8; i + 8 <= count; i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            lo = _mm_min_epi16(lo, v);
            hi = _mm_max_epi16(hi, v);
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(lows), lo);
        _mm_store_si128(reinterpret_cast<__m128i*>(highs), hi);
    } else {
        for (DWORD l = 0; l < 8; ++l)
            lows[l] = highs[l] = s[l % count];
    }
    for (; i < count; ++i) {
        const size_t l = i % 8; // channels divides 8: the lane of the sample's channel
        lows[l] = std::min(lows[l], s[i]);
        highs[l] = std::max(highs[l], s[i]);
    }
    for (DWORD c = 0; c < channels; ++c) {
        int16_t low = lows[c], high = highs[c];
        for (DWORD l = c + channels; l < 8; l += channels) {
            low = std::min(low, lows[l]);
            high = std::max(high, highs[l]);
        }
        peaks->push_back(low);
        peaks->push_back(high);
    }
}

// 32-bit float samples, 4 lanes. A NaN is passed over: minps and maxps give their second
// operand when either is NaN, and the running value is never NaN.
void MinMaxFloat(const uint8_t* data, DWORD frames, DWORD channels, std::vector<int32_t>* peaks)
{
    const size_t count = static_cast<size_t>(frames) * channels;
    const float* s = reinterpret_cast<const float*>(data);
    __m128 lo = _mm_set1_ps(std::numeric_limits<float>::infinity());
    __m128 hi = _mm_set1_ps(-std::numeric_limits<float>::infinity());
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 v = _mm_loadu_ps(s + i);
        lo = _mm_min_ps(v, lo);
        hi = _mm_max_ps(v, hi);
    }
    alignas(16) float lows[4], highs[4];
    _mm_store_ps(lows, lo);
    _mm_store_ps(highs, hi);
    for (; i < count; ++i) {
        const size_t l = i % 4;
        lows[l] = s[i] < lows[l] ? s[i] : lows[l];
        highs[l] = s[i] > highs[l] ? s[i] : highs[l];
    }
    for (DWORD c = 0; c < channels; ++c) {
        float low = lows[c], high = highs[c];
        for (DWORD l = c + channels; l < 4; l += channels) {
            low = lows[l] < low ? lows[l] : low;
            high = highs[l] > high ? highs[l] : high;
        }
        peaks->push_back(low <= high ? FloatPeak(low) : 0);
        peaks->push_back(low <= high ? FloatPeak(high) : 0);
    }
}

// Zero channels, frames or sample bytes would make a block of no bytes.
bool MakesBlocks(const WaveFormat& format, DWORD framesPerBlock)
{
    return format.channels != 0 && format.bitsPerSample >= 8 && framesPerBlock != 0;
}

} // namespace

void PeakBuilder::AnalyseBlock(const uint8_t* data, DWORD bytes, const WaveFormat& format, DWORD framesPerBlock,
                               std::vector<int32_t>* peaks)
{
    const DWORD channels = format.channels;
    const DWORD sampleBytes = format.bitsPerSample / 8;
    if (channels == 0 || sampleBytes == 0)
        return;
    const DWORD stride = channels * sampleBytes;
    const DWORD frames = std::min(bytes / stride, framesPerBlock);
    if (frames == 0)
        return;
    if (format.bitsPerSample == 16 && FitsLanes(channels, 8))
        return MinMax16(data, frames, channels, peaks);
    if (format.bitsPerSample == 32 && FitsLanes(channels, 4))
        return MinMaxFloat(data, frames, channels, peaks);
    for (DWORD c = 0; c < channels; ++c) {
        const uint8_t* first = data + static_cast<size_t>(c) * sampleBytes;
        int32_t low = 0;
        int32_t high = 0;
        switch (format.bitsPerSample) {
        case 8: {
            uint8_t lo, hi;
            MinMax<uint8_t>(
                first, frames, stride, [](uint8_t s) { return s; }, &lo, &hi);
            low = lo - 128;
            high = hi - 128;
            break;
        }
        case 16: {
            int16_t lo, hi;
            MinMax<int16_t>(
                first, frames, stride, [](int16_t s) { return s; }, &lo, &hi);
            low = lo;
            high = hi;
            break;
        }
        case 32: {
            // NaN samples are passed over (one at the start would otherwise stand as both
            // minimum and maximum); a block of nothing else gives 0 and 0.
            float lo = std::numeric_limits<float>::infinity();
            float hi = -lo;
            for (DWORD i = 0; i < frames; ++i) {
                float s;
                std::memcpy(&s, first + static_cast<size_t>(i) * stride, sizeof s);
                lo = s < lo ? s : lo;
                hi = s > hi ? s : hi;
            }
            low = lo <= hi ? FloatPeak(lo) : 0;
            high = lo <= hi ? FloatPeak(hi) : 0;
            break;
        }
        default:
            return;
        }
        peaks->push_back(low);
        peaks->push_back(high);
    }
}

PeakBuilder::~PeakBuilder()
{
    End();
    ReleaseStream();
}

void PeakBuilder::ReleaseStream()
{
    if (m_stream)
        m_stream->Release();
    m_stream = nullptr;
}

HRESULT PeakBuilder::PrepareRun(const WaveFormat& format, DWORD framesPerBlock)
{
    if (!MakesBlocks(format, framesPerBlock))
        return E_INVALIDARG;
    if (!m_stream)
        return S_OK;
    HRESULT hr = End();
    ReleaseStream();
    return hr;
}

HRESULT PeakBuilder::Begin(const WaveFormat* format, DWORD framesPerBlock)
{
    if (!format)
        return E_POINTER;
    // Checked before a file is made: a refused run leaves neither a new file nor the running
    // one touched.
    HRESULT hr = PrepareRun(*format, framesPerBlock);
    if (FAILED(hr))
        return hr;
    ComRef<IFileStream> stream;
    std::string name;
    try {
        ThrowIfFailed(CreateStreamObject(__uuidof(IFileStream), stream.OutVoid()));
        TempFilePaths temp;
        name = temp.MakeTempFileName();
        if (name.empty())
            throw CKvSSException(LastErrorCode());
        stream->SetFileName(name.c_str());
        // Made empty just now; not truncated, which would make its close write it out at once.
        stream->Open(kStreamReadWrite);
        return BeginOnStream(stream.Get(), format, framesPerBlock);
    } catch (const CKvSSException& e) {
        stream.Reset(); // closes the file before it goes
        // Only this object knows the name it made.
        if (!name.empty())
            ::DeleteFileA(name.c_str());
        return e.m_hr;
    }
}

HRESULT PeakBuilder::BeginOnStream(IFileStream* stream, const WaveFormat* format, DWORD framesPerBlock)
{
    if (!stream || !format)
        return E_POINTER;
    HRESULT hr = PrepareRun(*format, framesPerBlock);
    if (FAILED(hr))
        return hr;
    stream->AddRef();
    m_stream = stream;
    m_framesPerBlock = framesPerBlock;
    m_blockBytes = (format->bitsPerSample / 8u) * format->channels * framesPerBlock;
    m_block.assign(m_blockBytes, 0);
    m_blockFill = 0;
    m_peaks.clear();
    m_format = *format;
    return S_OK;
}

DWORD PeakBuilder::Write(const void* data, DWORD bytes)
{
    if (m_blockBytes == 0 || !data)
        return static_cast<DWORD>(m_peaks.size() * sizeof(int32_t));
    auto* in = static_cast<const uint8_t*>(data);
    if (m_blockFill > 0) {
        DWORD take = std::min(bytes, m_blockBytes - m_blockFill);
        std::memcpy(m_block.data() + m_blockFill, in, take);
        m_blockFill += take;
        in += take;
        bytes -= take;
        if (m_blockFill == m_blockBytes) {
            AnalyseBlock(m_block.data(), m_blockBytes, m_format, m_framesPerBlock, &m_peaks);
            m_blockFill = 0;
        }
    }
    while (bytes >= m_blockBytes) {
        AnalyseBlock(in, m_blockBytes, m_format, m_framesPerBlock, &m_peaks);
        in += m_blockBytes;
        bytes -= m_blockBytes;
    }
    if (bytes > 0) {
        std::memcpy(m_block.data() + m_blockFill, in, bytes);
        m_blockFill += bytes;
    }
    DWORD waiting = static_cast<DWORD>(m_peaks.size() * sizeof(int32_t));
    return waiting > kFlushThreshold ? Flush() : waiting;
}

DWORD PeakBuilder::Flush()
{
    if (!m_stream || m_peaks.empty())
        return static_cast<DWORD>(m_peaks.size() * sizeof(int32_t));
    constexpr size_t kGroupWords = kFlushThreshold / sizeof(int32_t);
    size_t written = 0;
    while (written < m_peaks.size()) {
        size_t words = std::min(kGroupWords, m_peaks.size() - written);
        DWORD asked = static_cast<DWORD>(words * sizeof(int32_t));
        DWORD done = 0;
        m_stream->Write(m_peaks.data() + written, asked, &done);
        written += done / sizeof(int32_t);
        if (done < asked)
            break;
    }
    m_peaks.erase(m_peaks.begin(), m_peaks.begin() + static_cast<std::ptrdiff_t>(written));
    return static_cast<DWORD>(m_peaks.size() * sizeof(int32_t));
}

HRESULT PeakBuilder::End()
{
    try {
        if (!m_stream || !m_stream->IsOpen())
            return S_OK;
        if (m_blockFill > 0) {
            AnalyseBlock(m_block.data(), m_blockFill, m_format, m_framesPerBlock, &m_peaks);
            m_blockFill = 0;
        }
        HRESULT result = S_OK;
        DWORD waiting = static_cast<DWORD>(m_peaks.size() * sizeof(int32_t));
        while (waiting > 0) {
            DWORD left = Flush();
            if (left >= waiting) { // the file takes no more: give up rather than spin
                result = E_FAIL;
                m_peaks.clear();
                break;
            }
            waiting = left;
        }
        m_stream->Close();
        return result;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    }
}

HRESULT PeakBuilder::GetFileName(char* buffer, DWORD capacity)
{
    if (!m_stream)
        return E_POINTER;
    if (m_stream->GetFileName(nullptr, 0) == 0)
        return E_FAIL;
    if (buffer)
        m_stream->GetFileName(buffer, capacity);
    return S_OK;
}
