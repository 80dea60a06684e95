// The generators' slot table: one row per generator command, each setter reached through the
// generator's own interface.
#include "GeneratorSlots.h"

#include "ComRef.h"
#include "KvSEFmSd.h"
#include "KvSENois.h"
#include "KvSESiln.h"
#include "KvSETone.h"

namespace {

template <class I>
ComRef<I> Slots(IUnknown* generator, HRESULT* hr)
{
    ComRef<I> api;
    *hr = generator ? generator->QueryInterface(__uuidof(I), api.OutVoid()) : E_POINTER;
    if (SUCCEEDED(*hr) && !api)
        *hr = E_NOINTERFACE;
    return api;
}

template <class I>
HRESULT SetRate(IUnknown* generator, unsigned rate)
{
    HRESULT hr;
    ComRef<I> api = Slots<I>(generator, &hr);
    return FAILED(hr) ? hr : api->SetSampleRate(rate);
}

template <class I>
HRESULT SetBits(IUnknown* generator, unsigned short bits)
{
    HRESULT hr;
    ComRef<I> api = Slots<I>(generator, &hr);
    return FAILED(hr) ? hr : api->SetBitsPerSample(bits);
}

template <class I>
HRESULT SetChannels(IUnknown* generator, unsigned short channels)
{
    HRESULT hr;
    ComRef<I> api = Slots<I>(generator, &hr);
    return FAILED(hr) ? hr : api->SetChannelCount(channels);
}

template <class I>
HRESULT SetFrames(IUnknown* generator, LONGLONG frames)
{
    HRESULT hr;
    ComRef<I> api = Slots<I>(generator, &hr);
    return FAILED(hr) ? hr : api->SetLength(frames);
}

template <class I>
GeneratorSlots Row(UINT command)
{
    return {command, &__uuidof(I), &SetRate<I>, &SetBits<I>, &SetChannels<I>, &SetFrames<I>};
}

const GeneratorSlots kGenerators[] = {
    Row<IFmToneGenerator>(2019),
    Row<IToneGenerator>(2020),
    Row<ISilenceGenerator>(2021),
    Row<INoiseGenerator>(2022),
};

} // namespace

const GeneratorSlots* FindGeneratorSlots(UINT command)
{
    for (const GeneratorSlots& row : kGenerators)
        if (row.command == command)
            return &row;
    return nullptr;
}

HRESULT SetGeneratorFormat(UINT command, IUnknown* generator, DWORD rate, WORD bits, WORD channels)
{
    const GeneratorSlots* row = FindGeneratorSlots(command);
    if (!row)
        return E_FAIL;
    HRESULT hr = row->setSampleRate(generator, rate);
    if (SUCCEEDED(hr))
        hr = row->setBitsPerSample(generator, bits);
    if (SUCCEEDED(hr))
        hr = row->setChannelCount(generator, channels);
    return hr;
}

HRESULT SetGeneratorLength(UINT command, IUnknown* generator, LONGLONG frames)
{
    const GeneratorSlots* row = FindGeneratorSlots(command);
    return row ? row->setLength(generator, frames) : E_FAIL;
}
