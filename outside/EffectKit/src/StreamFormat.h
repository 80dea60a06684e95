// The sample types every kit filter streams: 16-bit PCM or 32-bit float, plain or extensible,
// with consistent block sizes.
#pragma once
#include "MediaType.h"
#include "SampleConverter.h"
#include "WaveFormat.h"

#include <algorithm>
#include <cstring>

namespace fxkit {

// The media type's wave format as a WaveFormat (the extension only for the extensible form).
inline WaveFormat FormatOf(const AM_MEDIA_TYPE& mt)
{
    WaveFormat out;
    const WAVEFORMATEX* wf = WaveFormatOf(mt);
    if (wf)
        std::memcpy(static_cast<void*>(&out), wf, std::min<size_t>(mt.cbFormat, sizeof(WaveFormat)));
    if (out.formatTag != kWaveTagExtensible)
        out.extensionSize = 0;
    return out;
}

inline bool Supported(const AM_MEDIA_TYPE& mt)
{
    if (!IsUsableAudioType(mt))
        return false;
    const WaveFormat f = FormatOf(mt);
    if (f.IsPcm())
        return f.bitsPerSample == 16 && SampleConverter::EffectiveBits(f) == 16;
    return f.IsFloat() && f.bitsPerSample == 32;
}

} // namespace fxkit
