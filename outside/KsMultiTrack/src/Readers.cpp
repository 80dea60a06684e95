#include "Readers.h"

#include "ContentIO.h"
#include "Item.h"
#include "Track.h"

#include <algorithm>

namespace {

// Reads a track's frames in the track's format over a range of the time line.
class CTrackReader : public ComObject<IMtItem, IMtReaderSeek> {
public:
    explicit CTrackReader(CTrack* track) : m_track(ComRef<CTrack>::Share(track)) {}

    STDMETHODIMP BeginRead() override
    {
        TrackSnapshot s = m_track->SoundSnapshot();
        m_content = s.content;
        m_trackStart = s.start;
        m_format = s.format;
        m_reading = true;
        m_position = RangeStart();
        return S_OK;
    }
    STDMETHODIMP Read(void* buffer, DWORD bytes, DWORD* read) override
    {
        if (read)
            *read = 0;
        if (!buffer || !read)
            return E_POINTER;
        if (!m_reading)
            BeginRead();
        const int frameBytes = FrameBytes(m_format);
        LONGLONG frames = std::min<LONGLONG>(bytes / frameBytes, std::max<LONGLONG>(0, RangeEnd() - m_position));
        if (frames > 0) {
            ReadContentFrames(*m_content, m_position - m_trackStart, frames, m_format, static_cast<uint8_t*>(buffer));
            m_position += frames;
        }
        *read = static_cast<DWORD>(frames * frameBytes);
        return S_OK;
    }
    STDMETHODIMP EndRead() override
    {
        m_reading = false;
        m_content.reset();
        return S_OK;
    }
    STDMETHODIMP GetSize(LONGLONG* bytes) override
    {
        if (!bytes)
            return E_POINTER;
        Refresh();
        *bytes = std::max<LONGLONG>(0, RangeEnd() - RangeStart()) * NominalFrameBytes(m_format);
        return S_OK;
    }
    STDMETHODIMP SetRange(const LONGLONG* startAt, const LONGLONG* endAt) override
    {
        if (!startAt || !endAt)
            return E_POINTER;
        const LONGLONG start = *startAt, end = *endAt;
        if (end >= 0 && end < start)
            return E_INVALIDARG;
        m_start = start;
        m_end = end;
        m_hasRange = true;
        m_position = start;
        return S_OK;
    }
    STDMETHODIMP GetInfo(MtFileItemRecord* record) override
    {
        if (!record)
            return E_POINTER;
        Refresh();
        *record = MakeRecord(std::string(), m_format);
        return S_OK;
    }
    STDMETHODIMP GetPosition(LONGLONG* position) override
    {
        if (!position)
            return E_POINTER;
        *position = m_reading ? m_position : RangeStart();
        return S_OK;
    }
    STDMETHODIMP Seek(LONGLONG position) override
    {
        if (!m_reading)
            BeginRead();
        if (position < RangeStart())
            return E_INVALIDARG;
        m_position = position;
        return S_OK;
    }

private:
    void Refresh()
    {
        if (m_reading)
            return;
        TrackSnapshot s = m_track->SoundSnapshot();
        m_content = s.content;
        m_trackStart = s.start;
        m_format = s.format;
    }
    LONGLONG RangeStart() const { return m_hasRange ? m_start : m_trackStart; }
    LONGLONG RangeEnd() const
    {
        LONGLONG trackEnd = m_trackStart + (m_content ? m_content->Length() : 0);
        if (!m_hasRange || m_end < 0)
            return trackEnd;
        return m_end;
    }

    ComRef<CTrack> m_track;
    ContentPtr m_content;
    LONGLONG m_trackStart = 0;
    MtFormat m_format;
    bool m_reading = false;
    bool m_hasRange = false;
    LONGLONG m_start = 0;
    LONGLONG m_end = -1;
    LONGLONG m_position = 0;
};

// Minimum and maximum per point and channel, from the items' block peaks where whole
// blocks are covered and from the samples elsewhere.
class CTrackPeakReader : public ComObject<IMtPeakReader> {
public:
    CTrackPeakReader(CTrack* track, DWORD samplesPerPoint) : m_samplesPerPoint(samplesPerPoint)
    {
        TrackSnapshot s = track->SoundSnapshot();
        m_content = s.content;
        m_trackStart = s.start;
        m_channels = s.format.channels;
        m_position = m_trackStart;
        m_bits = s.format.bits;
    }
    STDMETHODIMP Seek(LONGLONG position) override
    {
        m_position = position;
        return S_OK;
    }
    STDMETHODIMP Read(MtPeakItem* buffer, DWORD count, DWORD* read) override
    {
        if (read)
            *read = 0;
        if (!buffer || !read)
            return E_POINTER;
        const LONGLONG end = m_trackStart + m_content->Length();
        DWORD points = count / m_channels;
        DWORD done = 0;
        while (done < points && m_position < end) {
            LONGLONG n = std::min<LONGLONG>(m_samplesPerPoint, end - m_position);
            MtPeakItem* out = buffer + static_cast<size_t>(done) * m_channels;
            ContentPeakPoint(*m_content, m_position - m_trackStart, n, m_channels, out);
            for (int c = 0; c < m_channels; ++c) {
                out[c].minimum = PeakToDocument(out[c].minimum, m_bits);
                out[c].maximum = PeakToDocument(out[c].maximum, m_bits);
            }
            m_position += m_samplesPerPoint;
            ++done;
        }
        *read = done * m_channels;
        return S_OK;
    }
    STDMETHODIMP End() override
    {
        m_content = Content::Empty();
        return S_OK;
    }

private:
    DWORD m_samplesPerPoint;
    ContentPtr m_content;
    LONGLONG m_trackStart = 0;
    int m_channels = 1;
    LONGLONG m_position = 0;
    WORD m_bits = 16;
};

} // namespace

HRESULT CreateTrackReader(CTrack* track, IMtItem** reader)
{
    *reader = ComObject<IMtItem>::Create<CTrackReader>(track);
    return *reader ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateTrackPeakReader(CTrack* track, DWORD samplesPerPoint, IMtPeakReader** reader)
{
    *reader = ComObject<IMtPeakReader>::Create<CTrackPeakReader>(track, samplesPerPoint);
    return *reader ? S_OK : E_OUTOFMEMORY;
}
