#include "Pins.h"

#include "BaseFilter.h"
#include "Enumerators.h"

#include <cstring>

void BasePin::Init(BaseFilter* filter, const wchar_t* name, PIN_DIRECTION dir)
{
    m_filter = filter;
    m_name = name;
    m_dir = dir;
}

void BasePin::ClearConnection()
{
    if (m_peer) {
        m_peer->Release();
        m_peer = nullptr;
    }
    m_mt.Clear();
}

void BasePin::SetConnection(IPin* peer, const AM_MEDIA_TYPE& mt)
{
    peer->AddRef();
    m_peer = peer;
    m_mt.Set(mt);
}

bool BasePin::FilterStopped() const
{
    return m_filter && m_filter->State() == State_Stopped;
}

STDMETHODIMP BasePin::Disconnect()
{
    if (!m_filter)
        return S_FALSE;
    AutoLock change(m_filter->StateChangeLock()); // not beside a stop that is still winding down
    AutoLock lock(m_filter->StateLock());
    if (!FilterStopped())
        return VFW_E_NOT_STOPPED;
    if (!m_peer)
        return S_FALSE;
    m_filter->PinBreakConnect(this);
    ClearConnection();
    return S_OK;
}

STDMETHODIMP BasePin::ConnectedTo(IPin** pin)
{
    if (!pin)
        return E_POINTER;
    *pin = nullptr;
    if (!m_filter)
        return VFW_E_NOT_CONNECTED;
    AutoLock lock(m_filter->StateLock());
    if (!m_peer)
        return VFW_E_NOT_CONNECTED;
    *pin = m_peer;
    m_peer->AddRef();
    return S_OK;
}

STDMETHODIMP BasePin::ConnectionMediaType(AM_MEDIA_TYPE* mt)
{
    if (!mt)
        return E_POINTER;
    std::memset(mt, 0, sizeof(*mt));
    if (!m_filter)
        return VFW_E_NOT_CONNECTED;
    AutoLock lock(m_filter->StateLock());
    if (!m_peer)
        return VFW_E_NOT_CONNECTED;
    return CopyMediaType(mt, m_mt.Ptr());
}

STDMETHODIMP BasePin::QueryPinInfo(PIN_INFO* info)
{
    if (!info)
        return E_POINTER;
    std::memset(info, 0, sizeof(*info));
    info->dir = m_dir;
    lstrcpynW(info->achName, m_name.c_str(), MAX_PIN_NAME);
    if (m_filter) {
        info->pFilter = m_filter;
        m_filter->AddRef();
    }
    return S_OK;
}

STDMETHODIMP BasePin::QueryDirection(PIN_DIRECTION* dir)
{
    if (!dir)
        return E_POINTER;
    *dir = m_dir;
    return S_OK;
}

STDMETHODIMP BasePin::QueryId(LPWSTR* id)
{
    if (!id)
        return E_POINTER;
    size_t bytes = (m_name.size() + 1) * sizeof(WCHAR);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id)
        return E_OUTOFMEMORY;
    std::memcpy(*id, m_name.c_str(), bytes);
    return S_OK;
}

STDMETHODIMP BasePin::QueryAccept(const AM_MEDIA_TYPE* mt)
{
    if (!mt)
        return E_POINTER;
    if (!m_filter)
        return E_UNEXPECTED;
    AutoLock lock(m_filter->StateLock());
    return m_filter->PinCheckMediaType(this, *mt) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP BasePin::EnumMediaTypes(IEnumMediaTypes** e)
{
    if (!e)
        return E_POINTER;
    *e = nullptr;
    if (!m_filter)
        return E_UNEXPECTED;
    std::vector<MediaType> types;
    {
        AutoLock lock(m_filter->StateLock());
        for (int i = 0;; ++i) {
            MediaType mt;
            if (m_filter->PinGetMediaType(this, i, mt) != S_OK)
                break;
            types.push_back(mt);
        }
    }
    *e = MediaTypeEnumerator::Create<MediaTypeEnumerator>(types);
    return *e ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP BasePin::QueryInternalConnections(IPin**, ULONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP BasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    m_segStart = start;
    m_segStop = stop;
    m_segRate = rate;
    return S_OK;
}
