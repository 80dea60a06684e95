#include "SampleConverter.h"

#include "PcmCodec.h"
#include "WaveFormat.h"

#include <cstring>

namespace {

using Byte = uint8_t;

inline size_t SampleCount(const SampleConverter& conv, size_t frames)
{
    return frames * conv.m_source->channels;
}

template <pcm::Form From, pcm::Form To>
void CopyWith(const SampleConverter& conv, const void* source, size_t frames, void* destination)
{
    pcm::Requantise(From, source, SampleCount(conv, frames), To, destination);
}

// Same form on both sides (a 20-bit sample keeps its 24-bit container).
template <size_t SampleBytes>
void PlainCopy(const SampleConverter& conv, const void* source, size_t frames, void* destination)
{
    std::memmove(destination, source, SampleCount(conv, frames) * SampleBytes);
}

// Converts inside one buffer a chunk at a time through a small stack copy of the chunk's
// source: widening pairs go from the last chunk backward, the others forward, so no chunk
// overwrites source bytes not yet read. Same values as the copy routine by construction.
template <pcm::Form From, pcm::Form To, size_t SourceBytes, size_t DestinationBytes>
void InPlaceWith(const SampleConverter& conv, void* buffer, size_t frames)
{
    constexpr size_t kChunk = 2048;
    constexpr bool kWidening = DestinationBytes > SourceBytes;
    alignas(16) Byte scratch[kChunk * SourceBytes];
    Byte* const base = static_cast<Byte*>(buffer);
    const size_t samples = SampleCount(conv, frames);
    size_t done = 0;
    while (done < samples) {
        const size_t count = samples - done < kChunk ? samples - done : kChunk;
        const size_t first = kWidening ? samples - done - count : done;
        std::memcpy(scratch, base + first * SourceBytes, count * SourceBytes);
        pcm::Requantise(From, scratch, count, To, base + first * DestinationBytes);
        done += count;
    }
}

struct RoutinePair {
    SampleConverter::InPlaceRoutine inPlace;
    SampleConverter::CopyRoutine copy;
};

template <pcm::Form From, pcm::Form To>
constexpr RoutinePair Pair()
{
    constexpr size_t kBytes[] = {1, 1, 2, 3, 3, 4, 4};
    return {InPlaceWith<From, To, kBytes[size_t(From)], kBytes[size_t(To)]>, CopyWith<From, To>};
}

template <size_t SampleBytes>
constexpr RoutinePair Same()
{
    return {nullptr, PlainCopy<SampleBytes>};
}

int DepthIndex(uint32_t bits)
{
    switch (bits) {
    case 8:
        return 0;
    case 16:
        return 1;
    case 20:
        return 2;
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return -1;
    }
}

// Rows: source depth, columns: destination depth, both in the order 8, 16, 20, 24, 32.
using pcm::Form;
const RoutinePair kRoutines[5][5] = {
    {Same<1>(), Pair<Form::U8, Form::S16>(), Pair<Form::U8, Form::S20>(), Pair<Form::U8, Form::S24>(),
     Pair<Form::U8, Form::F32>()},
    {Pair<Form::S16, Form::U8>(), Same<2>(), Pair<Form::S16, Form::S20>(), Pair<Form::S16, Form::S24>(),
     Pair<Form::S16, Form::F32>()},
    {Pair<Form::S20, Form::U8>(), Pair<Form::S20, Form::S16>(), Same<3>(), Same<3>(), Pair<Form::S20, Form::F32>()},
    {Pair<Form::S24, Form::U8>(), Pair<Form::S24, Form::S16>(), Pair<Form::S24, Form::S20>(), Same<3>(),
     Pair<Form::S24, Form::F32>()},
    {Pair<Form::F32, Form::U8>(), Pair<Form::F32, Form::S16>(), Pair<Form::F32, Form::S20>(),
     Pair<Form::F32, Form::S24>(), Same<4>()},
};

} // namespace

uint32_t SampleConverter::EffectiveBits(const WaveFormat& format)
{
    if (format.IsExtensible() && format.IsPcm() && format.bitsPerSample == 24 && format.validBitsPerSample == 20)
        return 20;
    return format.bitsPerSample;
}

int32_t SampleConverter::FloatToSample(float x, uint32_t bits)
{
    switch (bits) {
    case 8:
        return pcm::Quantise(x, 8) + 128;
    case 16:
    case 24:
        return pcm::Quantise(x, int(bits));
    case 20:
        return pcm::Quantise(x, 20) * 16;
    default:
        return 0;
    }
}

void SampleConverter::SetSourceFormat(const WaveFormat* format)
{
    m_source = format;
    Select();
}

void SampleConverter::SetDestinationFormat(const WaveFormat* format)
{
    m_destination = format;
    Select();
}

void SampleConverter::Select()
{
    if (!m_source || !m_destination)
        return;
    const int from = DepthIndex(EffectiveBits(*m_source));
    const int to = DepthIndex(EffectiveBits(*m_destination));
    if (from < 0 || to < 0) {
        m_inPlace = nullptr;
        m_copy = nullptr;
        return;
    }
    m_inPlace = kRoutines[from][to].inPlace;
    m_copy = kRoutines[from][to].copy;
}

void SampleConverter::Convert(const void* source, size_t frames, void* destination) const
{
    if (m_copy && m_source && m_destination)
        m_copy(*this, source, frames, destination);
}

bool SampleConverter::ConvertInPlace(void* buffer, size_t frames) const
{
    if (!m_inPlace || !m_source || !m_destination)
        return false;
    m_inPlace(*this, buffer, frames);
    return true;
}
