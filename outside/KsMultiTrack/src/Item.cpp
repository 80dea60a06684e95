#include "Item.h"

#include "ComRef.h"

#include <algorithm>
#include <cstring>

MtFileItemRecord MakeRecord(const std::string& path, const MtFormat& format)
{
    MtFileItemRecord r;
    memset(&r, 0, sizeof(r));
    strncpy(r.path, path.c_str(), sizeof(r.path) - 1);
    r.channels = format.channels;
    r.bitsPerSample = format.bits;
    r.samplesPerSec = format.rate;
    return r;
}

ItemDataPtr ItemDataOf(IUnknown* item)
{
    if (!item)
        return nullptr;
    ComRef<CItem> own;
    if (FAILED(item->QueryInterface(__uuidof(IMtItemData), own.OutVoid())) || !own)
        return nullptr;
    return own->Data();
}

CItem::CItem(ItemDataPtr data, const MtFileItemRecord& record) : m_data(std::move(data)), m_record(record) {}

STDMETHODIMP CItem::BeginRead()
{
    m_position = m_start;
    return S_OK;
}

STDMETHODIMP CItem::Read(void* buffer, DWORD bytes, DWORD* read)
{
    if (read)
        *read = 0;
    if (!buffer || !read)
        return E_POINTER;
    LONGLONG end = m_end < 0 ? m_data->Frames() : std::min(m_end, m_data->Frames());
    LONGLONG frames = std::min<LONGLONG>(bytes / m_data->FrameBytes(), std::max<LONGLONG>(0, end - m_position));
    if (frames > 0) {
        m_data->ReadFrames(m_position, frames, static_cast<uint8_t*>(buffer));
        m_position += frames;
    }
    *read = static_cast<DWORD>(frames * m_data->FrameBytes());
    return S_OK;
}

STDMETHODIMP CItem::EndRead()
{
    return S_OK;
}

STDMETHODIMP CItem::GetSize(LONGLONG* bytes)
{
    if (!bytes)
        return E_POINTER;
    LONGLONG end = m_end < 0 ? m_data->Frames() : std::min(m_end, m_data->Frames());
    *bytes = std::max<LONGLONG>(0, end - m_start) * NominalFrameBytes(m_data->Format());
    return S_OK;
}

STDMETHODIMP CItem::SetRange(const LONGLONG* startAt, const LONGLONG* endAt)
{
    if (!startAt || !endAt)
        return E_POINTER;
    const LONGLONG start = *startAt, end = *endAt;
    if (start < 0 || (end >= 0 && end < start))
        return E_INVALIDARG;
    m_start = std::min(start, m_data->Frames());
    m_end = end;
    m_position = m_start;
    return S_OK;
}

STDMETHODIMP CItem::GetInfo(MtFileItemRecord* record)
{
    if (!record)
        return E_POINTER;
    *record = m_record;
    return S_OK;
}

STDMETHODIMP CItem::GetPosition(LONGLONG* position)
{
    if (!position)
        return E_POINTER;
    *position = m_position;
    return S_OK;
}

STDMETHODIMP CItem::Seek(LONGLONG position)
{
    if (position < m_start)
        return E_INVALIDARG;
    m_position = position;
    return S_OK;
}
