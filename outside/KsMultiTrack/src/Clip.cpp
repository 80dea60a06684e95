#include "Clip.h"
#include "ClipRecord.h"

#include "Item.h"

#include <algorithm>

bool IsUsableClipFormat(const MtClipFormat& format)
{
    return IsUsableClipFormat(format.samplesPerSec, format.bitsPerSample, format.channels);
}

ComRef<CClip> ClipOf(IUnknown* clip)
{
    ComRef<CClip> own;
    if (clip)
        clip->QueryInterface(__uuidof(IMtClipData), own.OutVoid());
    return own;
}

CClip::CClip(ContentPtr content, LONGLONG start, const MtFormat& format, IMtTrack* sourceTrack)
    : m_content(std::move(content)), m_start(start), m_format(format), m_formatSet(true),
      m_sourceTrack(ComRef<IMtTrack>::Share(sourceTrack))
{
}

MtFormat CClip::Format() const
{
    if (m_formatSet)
        return m_format;
    for (size_t i = 0; i < m_content->SegmentCount(); ++i)
        if (m_content->SegmentAt(i).item)
            return m_content->SegmentAt(i).item->Format();
    return m_format;
}

WORD CClip::ItemChannels() const
{
    WORD most = 1;
    for (size_t i = 0; i < m_content->SegmentCount(); ++i)
        if (const auto& item = m_content->SegmentAt(i).item)
            most = std::max(most, item->Format().channels);
    return most;
}

STDMETHODIMP CClip::SetSource(IUnknown* item, LONGLONG start, LONGLONG length)
{
    ItemDataPtr data = ItemDataOf(item);
    if (!data)
        return E_INVALIDARG;
    if (start < 0 || start > data->Frames())
        return E_INVALIDARG;
    LONGLONG available = data->Frames() - start;
    if (length <= 0 || length > available)
        length = available;
    m_content = Content::FromItem(data, start, length);
    if (!m_formatSet) {
        m_format = data->Format();
    }
    return S_OK;
}

STDMETHODIMP CClip::GetSourceTrack(IMtTrack** track)
{
    if (!track)
        return E_POINTER;
    *track = ComRef<IMtTrack>::Share(m_sourceTrack.Get()).Detach();
    return *track ? S_OK : E_FAIL;
}

STDMETHODIMP CClip::CreateSubClip(LONGLONG start, LONGLONG length, IMtClip** clip)
{
    if (!clip)
        return E_POINTER;
    *clip = nullptr;
    if (start < 0)
        return E_INVALIDARG;
    LONGLONG end = length < 0 ? m_content->Length() : start + length;
    *clip = Create<CClip>(m_content->Sub(start, end), 0, Format(), m_sourceTrack.Get());
    return *clip ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CClip::GetStartOffset(LONGLONG* start)
{
    if (!start)
        return E_POINTER;
    *start = m_start;
    return S_OK;
}

STDMETHODIMP CClip::SetStartOffset(LONGLONG start)
{
    m_start = start;
    return S_OK;
}

STDMETHODIMP CClip::GetLength(LONGLONG* length)
{
    if (!length)
        return E_POINTER;
    *length = m_content->Length();
    return S_OK;
}

STDMETHODIMP CClip::GetFormat(MtClipFormat* format)
{
    if (!format)
        return E_POINTER;
    MtFormat f = Format();
    format->samplesPerSec = f.rate;
    format->bitsPerSample = f.bits;
    format->channels = f.channels;
    return S_OK;
}

STDMETHODIMP CClip::SetFormat(const MtClipFormat* format)
{
    if (!format)
        return E_POINTER;
    if (!IsUsableClipFormat(*format))
        return kMtErrFormatNotSupported;
    m_format.rate = format->samplesPerSec;
    m_format.bits = format->bitsPerSample;
    m_format.channels = format->channels;
    m_formatSet = true;
    return S_OK;
}
