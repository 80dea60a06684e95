// Media type helpers: copying and freeing AM_MEDIA_TYPE, a scoped holder, and the audio
// (PCM / IEEE float) types every filter of ours speaks.
#pragma once
#include <windows.h>
#include <mmreg.h>
#include <strmif.h>
#include <evcode.h>
#include <vfwmsgs.h>

// Frees the format block and the extra interface of mt (mt itself stays).
void FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a media type allocated with CoTaskMemAlloc, as enumerators hand them out.
void DeleteMediaType(AM_MEDIA_TYPE* mt);
// Deep copy into dst (dst's old contents are not freed); E_OUTOFMEMORY leaves dst empty.
HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src);
// A CoTaskMemAlloc'ed deep copy, or nullptr.
AM_MEDIA_TYPE* CreateMediaTypeCopy(const AM_MEDIA_TYPE* src);
// True when major type, subtype, format type and format block match.
bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);

// An AM_MEDIA_TYPE that owns its format block.
class MediaType {
public:
    MediaType();
    MediaType(const AM_MEDIA_TYPE& src);
    MediaType(const MediaType& src);
    MediaType& operator=(const MediaType& src);
    ~MediaType();

    HRESULT Set(const AM_MEDIA_TYPE& src);
    void Clear();
    bool IsEmpty() const { return m_mt.majortype == GUID_NULL; }
    const AM_MEDIA_TYPE& Get() const { return m_mt; }
    AM_MEDIA_TYPE* Ptr() { return &m_mt; }
    const AM_MEDIA_TYPE* Ptr() const { return &m_mt; }
    // The audio format, or nullptr when this is no audio type with a wave format block.
    const WAVEFORMATEX* Wave() const;

private:
    AM_MEDIA_TYPE m_mt;
};

// Sub-formats of WAVEFORMATEXTENSIBLE for integer PCM and IEEE float.
extern const GUID kExtensiblePcm;
extern const GUID kExtensibleFloat;

// Audio sample encodings our filters exchange.
enum class SampleKind { Pcm, Float };

// Fills a plain wave format (WAVE_FORMAT_PCM or WAVE_FORMAT_IEEE_FLOAT).
WAVEFORMATEX MakeWaveFormat(SampleKind kind, DWORD rate, WORD bits, WORD channels);
// A media type for the wave format (copied; WAVEFORMATEXTENSIBLE is kept whole).
HRESULT MakeAudioMediaType(const WAVEFORMATEX& wf, MediaType& out);
// The wave format of an audio media type, or nullptr.
const WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE& mt);
// Encoding of a wave format: PCM, float, or false when it is neither (compressed, 8-bit float...).
bool SampleKindOf(const WAVEFORMATEX& wf, SampleKind& kind);
// A PCM (8/16/24/32 bits) or float (32/64 bits) audio type with consistent block sizes.
bool IsUsableAudioType(const AM_MEDIA_TYPE& mt);
