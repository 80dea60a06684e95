#include "Enumerators.h"

PinEnumerator::PinEnumerator(const std::vector<IPin*>& pins, size_t pos) : m_pins(pins), m_pos(pos)
{
    for (IPin* p : m_pins)
        p->AddRef();
}

PinEnumerator::~PinEnumerator()
{
    for (IPin* p : m_pins)
        p->Release();
}

STDMETHODIMP PinEnumerator::Next(ULONG count, IPin** pins, ULONG* fetched)
{
    if (!pins)
        return E_POINTER;
    if (count > 1 && !fetched)
        return E_INVALIDARG;
    ULONG n = 0;
    while (n < count && m_pos < m_pins.size()) {
        pins[n] = m_pins[m_pos++];
        pins[n++]->AddRef();
    }
    if (fetched)
        *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP PinEnumerator::Skip(ULONG count)
{
    size_t left = m_pins.size() - m_pos;
    m_pos += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP PinEnumerator::Reset()
{
    m_pos = 0;
    return S_OK;
}

STDMETHODIMP PinEnumerator::Clone(IEnumPins** e)
{
    if (!e)
        return E_POINTER;
    *e = Create<PinEnumerator>(m_pins, m_pos);
    return *e ? S_OK : E_OUTOFMEMORY;
}

MediaTypeEnumerator::MediaTypeEnumerator(const std::vector<MediaType>& types, size_t pos)
    : m_types(types), m_pos(pos)
{
}

STDMETHODIMP MediaTypeEnumerator::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched)
{
    if (!types)
        return E_POINTER;
    if (count > 1 && !fetched)
        return E_INVALIDARG;
    ULONG n = 0;
    while (n < count && m_pos < m_types.size()) {
        AM_MEDIA_TYPE* mt = CreateMediaTypeCopy(m_types[m_pos].Ptr());
        if (!mt) {
            while (n)
                DeleteMediaType(types[--n]);
            if (fetched)
                *fetched = 0;
            return E_OUTOFMEMORY;
        }
        types[n++] = mt;
        ++m_pos;
    }
    if (fetched)
        *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP MediaTypeEnumerator::Skip(ULONG count)
{
    size_t left = m_types.size() - m_pos;
    m_pos += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP MediaTypeEnumerator::Reset()
{
    m_pos = 0;
    return S_OK;
}

STDMETHODIMP MediaTypeEnumerator::Clone(IEnumMediaTypes** e)
{
    if (!e)
        return E_POINTER;
    *e = Create<MediaTypeEnumerator>(m_types, m_pos);
    return *e ? S_OK : E_OUTOFMEMORY;
}
