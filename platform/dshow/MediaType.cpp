#include "MediaType.h"

#include <uuids.h>

#include <cstring>

const GUID kExtensiblePcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const GUID kExtensibleFloat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

void FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat && mt.pbFormat)
        CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* mt)
{
    if (!mt)
        return;
    FreeMediaType(*mt);
    CoTaskMemFree(mt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src)
{
    if (!dst || !src)
        return E_POINTER;
    *dst = *src;
    if (src->cbFormat && src->pbFormat) {
        dst->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(src->cbFormat));
        if (!dst->pbFormat) {
            std::memset(dst, 0, sizeof(*dst));
            return E_OUTOFMEMORY;
        }
        std::memcpy(dst->pbFormat, src->pbFormat, src->cbFormat);
    } else {
        dst->cbFormat = 0;
        dst->pbFormat = nullptr;
    }
    if (dst->pUnk)
        dst->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE* src)
{
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!mt)
        return nullptr;
    if (FAILED(CopyMediaType(mt, src))) {
        CoTaskMemFree(mt);
        return nullptr;
    }
    return mt;
}

bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b)
{
    return a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
           a.cbFormat == b.cbFormat && (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

MediaType::MediaType()
{
    std::memset(&m_mt, 0, sizeof(m_mt));
}
MediaType::MediaType(const AM_MEDIA_TYPE& src) : MediaType()
{
    Set(src);
}
MediaType::MediaType(const MediaType& src) : MediaType()
{
    Set(src.m_mt);
}
MediaType& MediaType::operator=(const MediaType& src)
{
    if (this != &src)
        Set(src.m_mt);
    return *this;
}
MediaType::~MediaType()
{
    Clear();
}

HRESULT MediaType::Set(const AM_MEDIA_TYPE& src)
{
    AM_MEDIA_TYPE copy;
    HRESULT hr = CopyMediaType(&copy, &src);
    if (FAILED(hr))
        return hr;
    Clear();
    m_mt = copy;
    return S_OK;
}

void MediaType::Clear()
{
    FreeMediaType(m_mt);
    std::memset(&m_mt, 0, sizeof(m_mt));
}

const WAVEFORMATEX* MediaType::Wave() const
{
    return WaveFormatOf(m_mt);
}

WAVEFORMATEX MakeWaveFormat(SampleKind kind, DWORD rate, WORD bits, WORD channels)
{
    WAVEFORMATEX wf{};
    wf.wFormatTag = kind == SampleKind::Float ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    wf.nChannels = channels;
    wf.nSamplesPerSec = rate;
    wf.wBitsPerSample = bits;
    wf.nBlockAlign = static_cast<WORD>(channels * (bits / 8));
    wf.nAvgBytesPerSec = rate * wf.nBlockAlign;
    wf.cbSize = 0;
    return wf;
}

HRESULT MakeAudioMediaType(const WAVEFORMATEX& wf, MediaType& out)
{
    SampleKind kind;
    AM_MEDIA_TYPE mt{};
    mt.majortype = MEDIATYPE_Audio;
    mt.subtype = SampleKindOf(wf, kind) && kind == SampleKind::Float ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
    mt.bFixedSizeSamples = TRUE;
    mt.lSampleSize = wf.nBlockAlign;
    mt.formattype = FORMAT_WaveFormatEx;
    mt.cbFormat = sizeof(WAVEFORMATEX) + (wf.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? wf.cbSize : 0);
    mt.pbFormat = reinterpret_cast<BYTE*>(const_cast<WAVEFORMATEX*>(&wf));
    return out.Set(mt); // deep copy; mt itself is not freed
}

const WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE& mt)
{
    if (mt.majortype != MEDIATYPE_Audio || mt.formattype != FORMAT_WaveFormatEx || !mt.pbFormat ||
        mt.cbFormat < sizeof(WAVEFORMATEX) - sizeof(WORD))
        return nullptr;
    return reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
}

bool SampleKindOf(const WAVEFORMATEX& wf, SampleKind& kind)
{
    if (wf.wFormatTag == WAVE_FORMAT_PCM) {
        kind = SampleKind::Pcm;
        return true;
    }
    if (wf.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
        kind = SampleKind::Float;
        return true;
    }
    if (wf.wFormatTag == WAVE_FORMAT_EXTENSIBLE && wf.cbSize >= 22) {
        const GUID& sub = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(wf).SubFormat;
        if (sub == kExtensiblePcm) {
            kind = SampleKind::Pcm;
            return true;
        }
        if (sub == kExtensibleFloat) {
            kind = SampleKind::Float;
            return true;
        }
    }
    return false;
}

bool IsUsableAudioType(const AM_MEDIA_TYPE& mt)
{
    const WAVEFORMATEX* wf = WaveFormatOf(mt);
    SampleKind kind;
    if (!wf || !SampleKindOf(*wf, kind))
        return false;
    if (wf->wFormatTag == WAVE_FORMAT_EXTENSIBLE && mt.cbFormat < sizeof(WAVEFORMATEXTENSIBLE))
        return false;
    bool bitsOk = kind == SampleKind::Pcm ? (wf->wBitsPerSample == 8 || wf->wBitsPerSample == 16 ||
                                             wf->wBitsPerSample == 24 || wf->wBitsPerSample == 32)
                                          : (wf->wBitsPerSample == 32 || wf->wBitsPerSample == 64);
    return bitsOk && wf->nChannels >= 1 && wf->nChannels <= 32 && wf->nSamplesPerSec >= 1000 &&
           wf->nSamplesPerSec <= 768000 && wf->nBlockAlign == wf->nChannels * (wf->wBitsPerSample / 8);
}
