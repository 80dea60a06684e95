// An engine clip over a raw file of interleaved samples, for tests that fill tracks directly.
#pragma once
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "KsMultiTrackLoader.h"

#include <cstring>
#include <string>

inline HRESULT MakeRawClip(const std::string& path, WORD channels, WORD bits, DWORD rate, ComRef<IMtClip>& clip)
{
    MtFileItemRecord record{};
    std::strncpy(record.path, path.c_str(), sizeof record.path - 1);
    record.channels = channels;
    record.bitsPerSample = bits;
    record.samplesPerSec = rate;
    ComRef<IMtItemList> list;
    HRESULT hr = MtEngine::CreateItemList(list);
    if (SUCCEEDED(hr))
        hr = list->AddFileItem(&record, path.c_str(), nullptr, 1);
    if (SUCCEEDED(hr))
        hr = list->ResetItems(1);
    ComRef<IUnknown> object;
    LONG id = 0;
    if (SUCCEEDED(hr))
        hr = list->NextItem(object.Out(), &id);
    if (SUCCEEDED(hr))
        hr = MtEngine::CreateClip(clip);
    MtClipFormat format{rate, bits, channels};
    if (SUCCEEDED(hr))
        hr = clip->SetFormat(&format);
    if (SUCCEEDED(hr))
        hr = clip->SetSource(object.Get(), 0, -1);
    return hr;
}
