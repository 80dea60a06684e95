// IEnumPins and IEnumMediaTypes over snapshots taken when the enumerator is made.
#pragma once
#include "ComObject.h"
#include "MediaType.h"

#include <strmif.h>

#include <vector>

// Position, Skip, Reset and Clone alike for both enumerators; Derived hands out the items.
template <class Derived, class Interface, class Item>
class SnapshotEnumerator : public ComObject<Interface> {
public:
    STDMETHODIMP Skip(ULONG count) override
    {
        size_t left = m_items.size() - m_pos;
        m_pos += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }

    STDMETHODIMP Reset() override
    {
        m_pos = 0;
        return S_OK;
    }

    STDMETHODIMP Clone(Interface** e) override
    {
        if (!e)
            return E_POINTER;
        *e = ComObject<Interface>::template Create<Derived>(m_items, m_pos);
        return *e ? S_OK : E_OUTOFMEMORY;
    }

protected:
    SnapshotEnumerator(const std::vector<Item>& items, size_t pos) : m_items(items), m_pos(pos) {}

    // Next with copy(item) giving what the caller owns (null when out of memory); on failure
    // free takes back what this call handed out.
    template <class Out, class Copy, class Free>
    HRESULT NextItems(ULONG count, Out** out, ULONG* fetched, Copy copy, Free free)
    {
        if (!out)
            return E_POINTER;
        if (count > 1 && !fetched)
            return E_INVALIDARG;
        ULONG n = 0;
        while (n < count && m_pos < m_items.size()) {
            Out* item = copy(m_items[m_pos]);
            if (!item) {
                while (n)
                    free(out[--n]);
                if (fetched)
                    *fetched = 0;
                return E_OUTOFMEMORY;
            }
            out[n++] = item;
            ++m_pos;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

    std::vector<Item> m_items;
    size_t m_pos;
};

class PinEnumerator : public SnapshotEnumerator<PinEnumerator, IEnumPins, IPin*> {
public:
    // Takes a reference to each pin.
    explicit PinEnumerator(const std::vector<IPin*>& pins, size_t pos = 0);
    ~PinEnumerator() override;

    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
};

class MediaTypeEnumerator : public SnapshotEnumerator<MediaTypeEnumerator, IEnumMediaTypes, MediaType> {
public:
    explicit MediaTypeEnumerator(const std::vector<MediaType>& types, size_t pos = 0);

    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
};
