// The whole mix of a track set over a range, as interleaved float frames, read through the
// engine's mix reader in blocks: what tests compare renders and graphs against.
#pragma once
#include "KsMultiTrack.h"

#include <vector>

namespace kvtest {

inline std::vector<float> MixAll(IMtTrackSet* set, DWORD channels, LONGLONG start, LONGLONG end)
{
    std::vector<float> all;
    IMtMixReader* reader = nullptr;
    if (!set || FAILED(set->CreateMixReader(channels, 0, &reader)))
        return all;
    reader->SetRange(start, end);
    std::vector<float> buf(4096 * channels);
    DWORD got = 0;
    while (SUCCEEDED(reader->Read(buf.data(), 4096, &got)) && got > 0)
        all.insert(all.end(), buf.begin(), buf.begin() + got * channels);
    reader->Release();
    return all;
}

} // namespace kvtest
