#include "Track.h"

#include "Clip.h"
#include "ContentIO.h"
#include "Item.h"
#include "Readers.h"

#include "KvSSException.h"

#include <algorithm>
#include <cmath>

using Guard = std::lock_guard<std::mutex>;

ComRef<CTrack> TrackOf(IUnknown* track)
{
    ComRef<CTrack> own;
    if (track)
        track->QueryInterface(__uuidof(IMtTrackData), own.OutVoid());
    return own;
}

CTrack::CTrack(WORD channels, const MtFormat& setFormat) : m_content(Content::Empty()), m_format(setFormat)
{
    m_format.channels = channels;
    for (LONG k = 0; k < kMtEnvelopeKinds; ++k)
        m_envelopes[k] = ComRef<CEnvelope>(Create<CEnvelope>(DefaultEnvelopeValue(k)));
}

TrackSnapshot CTrack::SoundLocked() const
{
    TrackSnapshot s;
    s.content = m_content;
    s.start = m_start;
    s.format = m_format;
    return s;
}

TrackSnapshot CTrack::Snapshot() const
{
    TrackSnapshot s;
    {
        Guard guard(m_lock);
        s = SoundLocked();
        s.volume = m_volume;
        s.pan = m_pan;
        s.frontRear = m_frontRear;
        s.center = m_center;
        s.lfe = m_lfe;
        s.speakerMask = m_speakerMask;
        s.mute = (m_flags & kMtFlagMute) != 0;
        s.solo = (m_flags & kMtFlagSolo) != 0;
        s.silenced = m_silenced;
        // Under the lock: SetEnvelope may put another envelope object in place meanwhile.
        for (LONG k = 0; k < kMtEnvelopeKinds; ++k)
            s.envelopes[k] = m_envelopes[k]->Snapshot();
        // A track whose fader is being written plays its fader, not the points under it.
        if (!(m_flags & kMtFlagReadEnvelopes)) {
            s.envelopes[kMtEnvLevel].Clear();
            s.envelopes[kMtEnvPan].Clear();
        }
    }
    return s;
}

TrackSnapshot CTrack::SoundSnapshot() const
{
    Guard guard(m_lock);
    return SoundLocked();
}

void CTrack::SetFormatFromSet(DWORD rate, WORD bits)
{
    Guard guard(m_lock);
    m_format.rate = rate;
    m_format.bits = bits;
}

WORD CTrack::Channels() const
{
    Guard guard(m_lock);
    return m_format.channels;
}

LONGLONG CTrack::End() const
{
    Guard guard(m_lock);
    return m_start + m_content->Length();
}

LONGLONG CTrack::ContentLength() const
{
    Guard guard(m_lock);
    return m_content->Length();
}

void CTrack::ReplaceContent(ContentPtr content, LONGLONG start)
{
    Guard guard(m_lock);
    m_content = std::move(content);
    m_start = start;
}

CEnvelope* CTrack::EnvelopeRef(LONG kind) const
{
    Guard guard(m_lock);
    return ComRef<CEnvelope>::Share(m_envelopes[kind].Get()).Detach();
}

void CTrack::ScaleEnvelopes(double factor)
{
    Guard guard(m_lock);
    for (const ComRef<CEnvelope>& e : m_envelopes) {
        EnvelopeData old = e->Snapshot();
        EnvelopeData scaled(old.Initial());
        for (const auto& p : old.Points())
            scaled.InsertPoint(static_cast<LONGLONG>(std::floor(p.position * factor)), p.value);
        e->Assign(scaled);
    }
}

HRESULT CTrack::SetFloat(float& field, float value)
{
    if (!std::isfinite(value))
        return E_INVALIDARG;
    return WriteUnderLock(m_lock, field, value);
}

HRESULT CTrack::CheckFits(const MtFormat& format, WORD itemChannels) const
{
    if (format.rate != m_format.rate)
        return kMtErrRateMismatch;
    if (itemChannels > m_format.channels)
        return kMtErrChannelMismatch;
    return S_OK;
}

void CTrack::DeleteLocked(LONGLONG start, LONGLONG length)
{
    if (length <= 0)
        return;
    LONGLONG a = start - m_start, b = a + length;
    if (a < 0) {
        // The part before the sound only pulls the sound earlier.
        LONGLONG before = std::min<LONGLONG>(b, 0) - a;
        m_start -= before;
        a = 0;
        b = std::max<LONGLONG>(b, 0);
        if (b > 0)
            m_start = start;
    }
    if (a < b && a < m_content->Length())
        m_content = m_content->Delete(a, b);
}

void CTrack::ReplaceLocked(LONGLONG position, LONGLONG replaceLength, const Content& insert)
{
    if (m_content->Length() == 0) {
        m_content = insert.Sub(0, insert.Length());
        m_start = position;
        return;
    }
    DeleteLocked(position, replaceLength);
    if (m_content->Length() == 0) {
        m_content = insert.Sub(0, insert.Length());
        m_start = position;
        return;
    }
    LONGLONG p = position - m_start;
    if (p < 0) {
        auto c = std::make_shared<Content>();
        c->AppendRange(insert, 0, insert.Length());
        c->Append(Segment{nullptr, 0, -p});
        c->AppendRange(*m_content, 0, m_content->Length());
        m_content = c;
        m_start = position;
    } else {
        m_content = m_content->Insert(p, insert);
    }
}

CClip* CTrack::MakeCopyLocked(LONGLONG start, LONGLONG length)
{
    LONGLONG a = start - m_start;
    LONGLONG b = length < 0 ? m_content->Length() : std::min(a + length, m_content->Length());
    auto c = std::make_shared<Content>();
    if (a < 0 && b > a)
        c->Append(Segment{nullptr, 0, std::min<LONGLONG>(b, 0) - a});
    c->AppendRange(*m_content, std::max<LONGLONG>(a, 0), b);
    ContentPtr copied = c;
    LONGLONG copyLength = copied->Length();

    // The copy's own track: the range's sound and envelopes, the track's settings.
    ComRef<CTrack> source(Create<CTrack>(m_format.channels, m_format));
    if (!source)
        throw CKvSSException(E_OUTOFMEMORY);
    source->m_content = copied;
    source->m_limit = m_limit;
    source->m_selectedChannels = m_selectedChannels;
    source->m_speakerMask = m_speakerMask;
    source->m_flags = m_flags;
    source->m_furtherState = m_furtherState;
    source->m_silenced = m_silenced;
    source->m_group = m_group;
    source->m_outputChannel = m_outputChannel;
    source->m_volume = m_volume;
    source->m_pan = m_pan;
    source->m_frontRear = m_frontRear;
    source->m_center = m_center;
    source->m_lfe = m_lfe;
    source->m_surroundValue = m_surroundValue;
    source->m_surroundOn = m_surroundOn;
    for (LONG k = 0; k < kMtEnvelopeKinds; ++k)
        source->m_envelopes[k]->Assign(m_envelopes[k]->Snapshot().Extract(a, copyLength));
    CClip* clip = Create<CClip>(copied, 0, m_format, source.Get());
    if (!clip)
        throw CKvSSException(E_OUTOFMEMORY);
    return clip;
}

STDMETHODIMP CTrack::SwapContent(IMtClip* content, IMtClip** previous)
{
    if (previous)
        *previous = nullptr;
    ContentPtr incoming = Content::Empty();
    LONGLONG incomingStart = 0;
    if (content) {
        ComRef<CClip> clip = ClipOf(content);
        if (!clip)
            return E_INVALIDARG;
        incoming = clip->GetContent();
        incomingStart = clip->Start();
    }
    Guard guard(m_lock);
    if (previous) {
        *previous = Create<CClip>(m_content, m_start, m_format, nullptr);
        if (!*previous)
            return E_OUTOFMEMORY;
    }
    m_content = incoming;
    m_start = incomingStart;
    return S_OK;
}

STDMETHODIMP CTrack::Duplicate(IMtTrack** copy)
{
    if (!copy)
        return E_POINTER;
    *copy = nullptr;
    Guard guard(m_lock);
    CTrack* t = Create<CTrack>(m_format.channels, m_format);
    if (!t)
        return E_OUTOFMEMORY;
    t->m_content = m_content;
    t->m_start = m_start;
    t->m_limit = m_limit;
    t->m_selectedChannels = m_selectedChannels;
    t->m_speakerMask = m_speakerMask;
    t->m_flags = m_flags;
    t->m_furtherState = m_furtherState;
    t->m_silenced = m_silenced;
    t->m_group = m_group;
    t->m_outputChannel = m_outputChannel;
    t->m_volume = m_volume;
    t->m_pan = m_pan;
    t->m_frontRear = m_frontRear;
    t->m_center = m_center;
    t->m_lfe = m_lfe;
    t->m_surroundValue = m_surroundValue;
    t->m_surroundOn = m_surroundOn;
    for (LONG k = 0; k < kMtEnvelopeKinds; ++k)
        t->m_envelopes[k]->Assign(m_envelopes[k]->Snapshot());
    *copy = t;
    return S_OK;
}

STDMETHODIMP CTrack::CopyRange(IMtClip** copy, LONGLONG start, LONGLONG length)
{
    if (!copy)
        return E_POINTER;
    *copy = nullptr;
    if (length < -1)
        return E_INVALIDARG;
    try {
        Guard guard(m_lock);
        *copy = MakeCopyLocked(start, length);
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CTrack::CopyToEnd(IMtClip** copy, LONGLONG start)
{
    return CopyRange(copy, start, -1);
}

STDMETHODIMP CTrack::DeleteRange(LONGLONG start, LONGLONG length)
{
    if (length < 0)
        return E_INVALIDARG;
    try {
        Guard guard(m_lock);
        DeleteLocked(start, length);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CTrack::InsertClip(IUnknown* clip, LONGLONG position, LONGLONG replaceLength, DWORD)
{
    if (replaceLength < 0)
        return E_INVALIDARG;
    ComRef<CClip> own = ClipOf(clip);
    if (!own)
        return E_INVALIDARG;
    ContentPtr content = own->GetContent();
    MtFormat format = own->Format();
    WORD itemChannels = own->ItemChannels();
    return ReplaceChecked(position, replaceLength, format, itemChannels, *content);
}

HRESULT CTrack::ReplaceChecked(LONGLONG position, LONGLONG replaceLength, const MtFormat& format, WORD itemChannels,
                               const Content& content)
{
    try {
        Guard guard(m_lock);
        HRESULT hr = CheckFits(format, itemChannels);
        if (FAILED(hr))
            return hr;
        if (content.Length() == 0 && replaceLength == 0)
            return S_OK;
        ReplaceLocked(position, replaceLength, content);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CTrack::FillRange(IUnknown* item, LONGLONG start, LONGLONG length)
{
    ItemDataPtr data = ItemDataOf(item);
    if (!data || length < 0)
        return E_INVALIDARG;
    // The whole item takes the span's place: an opened file or a rendered result may be
    // longer or shorter than what it replaces, and length 0 only places it.
    Content fill;
    try {
        fill.Append(Segment{data, 0, data->Frames()});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return ReplaceChecked(start, length, data->Format(), data->Format().channels, fill);
}

STDMETHODIMP CTrack::MergeRange(IUnknown* item, LONGLONG start, LONGLONG length)
{
    ItemDataPtr data = ItemDataOf(item);
    if (!data || length < 0)
        return E_INVALIDARG;
    try {
        Guard guard(m_lock);
        HRESULT hr = CheckFits(data->Format(), data->Format().channels);
        if (FAILED(hr))
            return hr;
        const LONGLONG frames = data->Frames();
        // The sound after the span keeps its place: the item's frames past the span (the
        // tail of a lengthening effect) are mixed into it instead of pushing it later.
        Content tail;
        const LONGLONG tailLength = std::max<LONGLONG>(0, frames - length);
        if (tailLength > 0) {
            const int channels = m_format.channels;
            std::vector<float> existing(static_cast<size_t>(tailLength * channels));
            std::vector<float> added(existing.size());
            ReadContentFloat(*m_content, start + length - m_start, tailLength, channels, existing.data());
            Content itemContent;
            itemContent.Append(Segment{data, 0, frames});
            ReadContentFloat(itemContent, length, tailLength, channels, added.data());
            MtFormat f = m_format;
            const SampleKind kind = KindOfBits(f.bits);
            const int bps = BytesPerSample(f.bits);
            std::vector<uint8_t> bytes(existing.size() * bps);
            for (size_t i = 0; i < existing.size(); ++i)
                existing[i] += added[i];
            ConvertSamples(reinterpret_cast<const uint8_t*>(existing.data()), SampleKind::F32, bytes.data(), kind,
                           existing.size());
            tail.Append(Segment{ItemData::FromMemory(f, std::move(bytes)), 0, tailLength});
        }
        if (length > 0) {
            Content span;
            span.Append(Segment{data, 0, std::min(length, frames)});
            if (length > frames)
                span.Append(Segment{nullptr, 0, length - frames});
            ReplaceLocked(start, length, span);
        }
        if (tailLength > 0)
            ReplaceLocked(start + length, tailLength, tail);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CTrack::TrimToRange(LONGLONG start, LONGLONG length)
{
    if (length < 0)
        return E_INVALIDARG;
    try {
        Guard guard(m_lock);
        LONGLONG a = std::max<LONGLONG>(start - m_start, 0);
        LONGLONG b = std::min(start + length - m_start, m_content->Length());
        if (a >= b) {
            m_content = Content::Empty();
            m_start = std::max(m_start, start);
            return S_OK;
        }
        m_content = m_content->Sub(a, b);
        m_start += a;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CTrack::CreateReader(IMtItem** reader, DWORD)
{
    if (!reader)
        return E_POINTER;
    return CreateTrackReader(this, reader);
}

STDMETHODIMP CTrack::CreatePeakReader(IMtPeakReader** reader, DWORD samplesPerPoint, DWORD)
{
    if (!reader)
        return E_POINTER;
    *reader = nullptr;
    if (samplesPerPoint == 0)
        return E_INVALIDARG;
    return CreateTrackPeakReader(this, samplesPerPoint, reader);
}

STDMETHODIMP CTrack::ReadSample(WORD channel, LONGLONG position, LONG* value)
{
    if (!value)
        return E_POINTER;
    *value = 0;
    Guard guard(m_lock);
    if (channel >= m_format.channels)
        return E_INVALIDARG;
    LONGLONG p = position - m_start;
    if (p < 0 || p >= m_content->Length())
        return E_INVALIDARG;
    uint8_t frame[6 * 4];
    ReadContentFrames(*m_content, p, 1, m_format, frame);
    const uint8_t* s = frame + channel * BytesPerSample(m_format.bits);
    switch (KindOfBits(m_format.bits)) {
    case SampleKind::U8:
        *value = *s;
        break;
    case SampleKind::S16: {
        int16_t v;
        memcpy(&v, s, 2);
        *value = v;
        break;
    }
    default: {
        float f;
        memcpy(&f, s, 4);
        double scaled = std::nearbyint(static_cast<double>(f) * 2147483648.0);
        *value = static_cast<LONG>(std::max(-2147483648.0, std::min(2147483647.0, scaled)));
    }
    }
    return S_OK;
}

STDMETHODIMP CTrack::WriteSample(WORD channel, LONGLONG position, LONG value)
{
    try {
        Guard guard(m_lock);
        if (channel >= m_format.channels)
            return E_INVALIDARG;
        LONGLONG p = position - m_start;
        if (p < 0 || p >= m_content->Length())
            return E_INVALIDARG;
        MtFormat f = m_format;
        std::vector<uint8_t> frame(static_cast<size_t>(FrameBytes(f)));
        ReadContentFrames(*m_content, p, 1, f, frame.data());
        uint8_t* s = frame.data() + channel * BytesPerSample(f.bits);
        switch (KindOfBits(f.bits)) {
        case SampleKind::U8:
            if (value < 0 || value > 255)
                return E_INVALIDARG;
            *s = static_cast<uint8_t>(value);
            break;
        case SampleKind::S16: {
            if (value < -32768 || value > 32767)
                return E_INVALIDARG;
            int16_t v = static_cast<int16_t>(value);
            memcpy(s, &v, 2);
            break;
        }
        default: {
            float v = static_cast<float>(value / 2147483648.0);
            memcpy(s, &v, 4);
        }
        }
        Content one;
        one.Append(Segment{ItemData::FromMemory(f, std::move(frame)), 0, 1});
        m_content = m_content->Delete(p, p + 1)->Insert(p, one);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
