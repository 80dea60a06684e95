#include "EngineSound.h"

#include "KvSSException.h"
#include "SoundFile.h"

#include <cstring>

EngineSound::EngineSound(IMtTrackSet* engine, LONG channelLimit, WORD wanted, LONGLONG length, WORD engineBits)
    : m_storage(StorageOfBits(engineBits))
{
    if (channelLimit == 0) {
        LONG count = 0;
        ThrowIfFailed(engine->GetTrackCount(&count));
        m_tracks.resize(size_t(count));
        for (LONG t = 0; t < count; ++t) {
            TrackReader& r = m_tracks[size_t(t)];
            ComRef<IMtTrack> track;
            ThrowIfFailed(engine->GetTrack(t, track.Out()));
            ThrowIfFailed(track->GetChannels(&r.channels));
            ThrowIfFailed(track->CreateReader(r.item.Out(), 0));
            const LONGLONG start = 0, end = length;
            ThrowIfFailed(r.item->SetRange(&start, &end));
            ThrowIfFailed(r.item->BeginRead());
            if (t > 0)
                r.helper.reset(new HelperThread);
            m_channels += r.channels;
        }
    } else {
        m_channels = (wanted == 1 || wanted == 2 || wanted == 6) && wanted <= channelLimit
                         ? wanted
                         : (channelLimit >= 6 ? 6 : 2);
        ThrowIfFailed(engine->CreateMixReader(DWORD(m_channels), kMtMixAllTracks, m_mix.Out()));
        ThrowIfFailed(m_mix->SetRange(0, length));
        m_storage = Storage::F32;
    }
    if (m_channels < 1 || m_channels > kMaxChannels)
        throw CKvSSException(kErrNotSupported);
}

void EngineSound::ReadTrack(TrackReader& t, size_t count)
{
    const size_t bytes = count * t.channels * StorageBytes(m_storage);
    if (t.part.size() < bytes)
        t.part.resize(bytes);
    DWORD got = 0;
    ThrowIfFailed(t.item->Read(t.part.data(), DWORD(bytes), &got));
    if (got < bytes)
        throw CKvSSException(E_FAIL);
}

void EngineSound::Read(uint8_t* frames, size_t count)
{
    const int sb = StorageBytes(m_storage);
    if (m_mix) {
        DWORD got = 0;
        ThrowIfFailed(m_mix->Read(reinterpret_cast<float*>(frames), DWORD(count), &got));
        if (got < count)
            std::memset(frames + got * m_channels * sb, 0, (count - got) * m_channels * sb);
        return;
    }
    if (m_tracks.size() == 1) {
        TrackReader& only = m_tracks[0];
        DWORD got = 0;
        const size_t bytes = count * only.channels * sb;
        ThrowIfFailed(only.item->Read(frames, DWORD(bytes), &got));
        if (got < bytes)
            throw CKvSSException(E_FAIL);
        return;
    }
    // Each track is read on a thread of its own; the first on this one.
    for (size_t k = 1; k < m_tracks.size(); ++k)
        m_tracks[k].helper->Start([this, k, count] { ReadTrack(m_tracks[k], count); });
    ReadTrack(m_tracks[0], count);
    for (size_t k = 1; k < m_tracks.size(); ++k)
        m_tracks[k].helper->Wait();
    int first = 0;
    for (const TrackReader& t : m_tracks) {
        Interleave(t.part.data(), t.channels, sb, count, frames, m_channels, first);
        first += t.channels;
    }
}

void EngineSound::End()
{
    for (TrackReader& t : m_tracks)
        t.item->EndRead();
}

namespace {

// One channel into its place among total: whole samples, where a byte copy would be slow.
template <class Sample>
void SpreadMono(const uint8_t* in, size_t frames, uint8_t* out, int total, int first)
{
    const Sample* src = reinterpret_cast<const Sample*>(in);
    Sample* dst = reinterpret_cast<Sample*>(out) + first;
    for (size_t i = 0; i < frames; ++i)
        dst[i * total] = src[i];
}

} // namespace

void Interleave(const uint8_t* in, int channels, int sampleBytes, size_t frames, uint8_t* out, int total, int first)
{
    if (channels == 1 && sampleBytes == 2)
        return SpreadMono<int16_t>(in, frames, out, total, first);
    if (channels == 1 && sampleBytes == 4)
        return SpreadMono<uint32_t>(in, frames, out, total, first);
    const size_t rb = static_cast<size_t>(channels) * sampleBytes;
    for (size_t i = 0; i < frames; ++i)
        std::memcpy(out + (i * total + first) * sampleBytes, in + i * rb, rb);
}
