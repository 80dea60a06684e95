// IEnumPins and IEnumMediaTypes over snapshots taken when the enumerator is made.
#pragma once
#include "ComObject.h"
#include "MediaType.h"

#include <strmif.h>

#include <vector>

class PinEnumerator : public ComObject<IEnumPins> {
public:
    // Takes a reference to each pin.
    explicit PinEnumerator(const std::vector<IPin*>& pins, size_t pos = 0);
    ~PinEnumerator() override;

    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** e) override;

private:
    std::vector<IPin*> m_pins;
    size_t m_pos;
};

class MediaTypeEnumerator : public ComObject<IEnumMediaTypes> {
public:
    explicit MediaTypeEnumerator(const std::vector<MediaType>& types, size_t pos = 0);

    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** e) override;

private:
    std::vector<MediaType> m_types;
    size_t m_pos;
};
