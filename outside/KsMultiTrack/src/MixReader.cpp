#include "MixReader.h"

#include "MixKernel.h"

#include <algorithm>

namespace {

constexpr int kBlock = 2048;
// Frames read ahead from a file item at once: one read serves many blocks.
constexpr LONGLONG kReadAhead = 32768;

// The frames of one item last read for a run of the mix; a memory item is served in place.
struct ItemWindow {
    ItemDataPtr item;
    LONGLONG first = 0, count = 0;
    const uint8_t* base = nullptr;
    std::vector<uint8_t> bytes;

    const uint8_t* Frames(const ItemDataPtr& from, LONGLONG at, LONGLONG n)
    {
        if (from != item || at < first || at + n > first + count) {
            item = from;
            first = at;
            count = std::max(n, std::min(kReadAhead, from->Frames() - at));
            base = from->Frames(first, count, bytes);
        }
        return base + (at - first) * item->FrameBytes();
    }
};

MixSampleKind KernelKind(SampleKind k)
{
    return k == SampleKind::U8 ? MixSampleKind::U8 : k == SampleKind::S16 ? MixSampleKind::S16 : MixSampleKind::F32;
}

MixEnvelope KernelEnvelope(const EnvelopeData& e)
{
    MixEnvelope out{e.Initial(), {}};
    out.points.reserve(e.Points().size());
    for (const EnvelopePoint& p : e.Points())
        out.points.push_back(MixPoint{p.position, p.value});
    return out;
}

MixTrack KernelTrack(const TrackSnapshot& t)
{
    MixTrack k;
    k.channels = t.format.channels;
    k.volume = t.volume;
    k.pan = t.pan;
    k.frontRear = t.frontRear;
    k.centre = t.center;
    k.lfe = t.lfe;
    k.speakerMask = t.speakerMask;
    k.level = KernelEnvelope(t.envelopes[kMtEnvLevel]);
    k.panEnv = KernelEnvelope(t.envelopes[kMtEnvPan]);
    k.frontRearEnv = KernelEnvelope(t.envelopes[kMtEnvFrontRear]);
    k.centreEnv = KernelEnvelope(t.envelopes[kMtEnvCenter]);
    k.lfeEnv = KernelEnvelope(t.envelopes[kMtEnvLfe]);
    return k;
}

// Holds the snapshot of the audible tracks and tells the kernel, block by block, where
// their samples lie in the items.
class CMixReader : public ComObject<IMtMixReader> {
public:
    CMixReader(CTrackSet::MixSnapshot snapshot, int outputChannels) : m_s(std::move(snapshot)), m_out(outputChannels)
    {
        bool anySolo = std::any_of(m_s.tracks.begin(), m_s.tracks.end(), [](const TrackSnapshot& t) { return t.solo; });
        for (const TrackSnapshot& t : m_s.tracks) {
            bool audible = !t.silenced && (anySolo ? t.solo : !t.mute);
            if (audible && t.content->Length() > 0) {
                m_tracks.push_back(&t);
                m_kernelTracks.push_back(KernelTrack(t));
            }
        }
        if (m_s.rangeEnd > m_s.rangeStart) {
            m_start = m_s.rangeStart;
            m_end = m_s.rangeEnd;
        } else {
            m_start = 0;
            m_end = m_s.length;
        }
        m_position = m_start;
        MixSettings settings;
        settings.outputChannels = m_out;
        settings.maxBlock = kBlock;
        settings.master = m_s.master;
        settings.readAutomation = m_s.readAutomation;
        m_kernel.Prepare(settings);
        m_inputs.reserve(m_tracks.size());
        m_windows.resize(m_tracks.size());
    }

    STDMETHODIMP SetRange(LONGLONG start, LONGLONG end) override
    {
        if (end < 0)
            end = m_s.length;
        if (end < start)
            return E_INVALIDARG;
        m_start = start;
        m_end = end;
        m_position = start;
        return S_OK;
    }
    STDMETHODIMP Read(float* buffer, DWORD frames, DWORD* read) override
    {
        if (read)
            *read = 0;
        if (!buffer || !read)
            return E_POINTER;
        LONGLONG total = std::min<LONGLONG>(frames, std::max<LONGLONG>(0, m_end - m_position));
        try {
            for (LONGLONG done = 0; done < total;) {
                int n = static_cast<int>(std::min<LONGLONG>(kBlock, total - done));
                MixBlock(m_position, n, buffer + done * m_out);
                m_position += n;
                done += n;
            }
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        *read = static_cast<DWORD>(total);
        return S_OK;
    }
    STDMETHODIMP Seek(LONGLONG position) override
    {
        m_position = position;
        return S_OK;
    }
    STDMETHODIMP GetPosition(LONGLONG* position) override
    {
        if (!position)
            return E_POINTER;
        *position = m_position;
        return S_OK;
    }
    STDMETHODIMP GetFormat(MtClipFormat* format) override
    {
        if (!format)
            return E_POINTER;
        format->samplesPerSec = m_s.format.rate;
        format->bitsPerSample = 32;
        format->channels = static_cast<WORD>(m_out);
        return S_OK;
    }

private:
    // The runs of item samples of every track over [position, position + n), then the mix.
    void MixBlock(LONGLONG position, int n, float* out)
    {
        m_inputs.clear();
        m_runs.clear();
        for (size_t k = 0; k < m_tracks.size(); ++k) {
            const TrackSnapshot& t = *m_tracks[k];
            const Content& c = *t.content;
            LONGLONG a = std::max(position, t.start);
            LONGLONG b = std::min(position + n, t.start + c.Length());
            if (a >= b)
                continue;
            const size_t before = m_runs.size();
            std::vector<ItemWindow>& windows = m_windows[k];
            for (size_t i = c.FindSegment(a - t.start); i < c.SegmentCount(); ++i) {
                const LONGLONG segStart = t.start + c.SegmentStart(i);
                if (segStart >= b)
                    break;
                const Segment& s = c.SegmentAt(i);
                const LONGLONG from = std::max(a, segStart);
                const LONGLONG to = std::min(b, segStart + s.length);
                if (from >= to || !s.item)
                    continue;
                const ItemData& item = *s.item;
                const size_t slot = m_runs.size() - before;
                if (windows.size() <= slot)
                    windows.resize(slot + 1);
                MixSource source{windows[slot].Frames(s.item, s.offset + (from - segStart), to - from),
                                 KernelKind(item.Kind()), item.Format().channels};
                m_runs.push_back(MixRun{static_cast<int>(from - position), static_cast<int>(to - from), source});
            }
            if (m_runs.size() > before)
                m_inputs.push_back(MixInput{&m_kernelTracks[k], position - t.start, nullptr, m_runs.size() - before});
        }
        // Runs are placed once all are in, the vector having settled.
        size_t next = 0;
        for (MixInput& in : m_inputs) {
            in.runs = m_runs.data() + next;
            next += in.runCount;
        }
        m_kernel.Process(m_inputs.data(), m_inputs.size(), n, out);
    }

    CTrackSet::MixSnapshot m_s;
    int m_out;
    std::vector<const TrackSnapshot*> m_tracks;
    std::vector<MixTrack> m_kernelTracks; // one per audible track
    LONGLONG m_start = 0, m_end = 0, m_position = 0;
    MixKernel m_kernel;
    std::vector<MixInput> m_inputs;
    std::vector<MixRun> m_runs;
    std::vector<std::vector<ItemWindow>> m_windows; // per audible track, per run of a block
};

} // namespace

IMtMixReader* CreateMixReaderFor(CTrackSet::MixSnapshot snapshot, int outputChannels)
{
    return ComObject<IMtMixReader>::Create<CMixReader>(std::move(snapshot), outputChannels);
}
