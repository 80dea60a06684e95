#include "Enumerators.h"

PinEnumerator::PinEnumerator(const std::vector<IPin*>& pins, size_t pos) : SnapshotEnumerator(pins, pos)
{
    for (IPin* p : m_items)
        p->AddRef();
}

PinEnumerator::~PinEnumerator()
{
    for (IPin* p : m_items)
        p->Release();
}

STDMETHODIMP PinEnumerator::Next(ULONG count, IPin** pins, ULONG* fetched)
{
    auto copy = [](IPin* p) {
        p->AddRef();
        return p;
    };
    return NextItems(count, pins, fetched, copy, [](IPin* p) { p->Release(); });
}

MediaTypeEnumerator::MediaTypeEnumerator(const std::vector<MediaType>& types, size_t pos)
    : SnapshotEnumerator(types, pos)
{
}

STDMETHODIMP MediaTypeEnumerator::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched)
{
    auto copy = [](const MediaType& t) { return CreateMediaTypeCopy(t.Ptr()); };
    return NextItems(count, types, fetched, copy, [](AM_MEDIA_TYPE* mt) { DeleteMediaType(mt); });
}
