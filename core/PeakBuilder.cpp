#include "PeakBuilder.h"

#include "FileStream.h"
#include "KvSSException.h"
#include "TempFilePaths.h"

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
    IFileStream* stream = nullptr;
    std::string name;
    try {
        ThrowIfFailed(CreateStreamObject(__uuidof(IFileStream), reinterpret_cast<void**>(&stream)));
        TempFilePaths temp;
        name = temp.MakeTempFileName();
        if (name.empty())
            throw CKvSSException(LastErrorCode());
        stream->SetFileName(name.c_str());
        stream->Open(kStreamCreate);
        hr = BeginOnStream(stream, format, framesPerBlock);
        stream->Release();
        return hr;
    } catch (const CKvSSException& e) {
        if (stream)
            stream->Release();
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
