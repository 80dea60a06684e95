#include "EngineTracks.h"
#include "MixAll.h"

#include "KsMultiTrackLoader.h"

#include <cstdio>
#include <cstring>

namespace kvtest {

EngineTracks::EngineTracks(WORD bits, DWORD rate) : m_bits(bits), m_rate(rate)
{
    ComRef<IMtTrackSet> set;
    if (FAILED(MtEngine::CreateTrackSet(set)))
        return;
    m_set = set.Detach();
    if (FAILED(m_set->SetFormat(bits, rate)) ||
        FAILED(m_set->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(&m_sel)))) {
        m_set->Release();
        m_set = nullptr;
    }
}

EngineTracks::~EngineTracks()
{
    if (m_sel)
        m_sel->Release();
    if (m_set)
        m_set->Release();
}

HRESULT EngineTracks::AddTrack(const void* data, size_t bytes, WORD channels, LONGLONG start)
{
    std::string path = scratch.File("track" + std::to_string(m_files++) + ".raw");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return E_FAIL;
    std::fwrite(data, 1, bytes, f);
    std::fclose(f);

    ComRef<IMtItemList> list;
    ComRef<IMtClip> clip;
    IMtTrack* track = nullptr;
    IUnknown* item = nullptr;
    HRESULT hr = MtEngine::CreateItemList(list);
    if (SUCCEEDED(hr)) {
        MtFileItemRecord record;
        std::memset(&record, 0, sizeof(record));
        lstrcpynA(record.path, path.c_str(), sizeof(record.path));
        record.channels = channels;
        record.bitsPerSample = m_bits;
        record.samplesPerSec = m_rate;
        hr = list->AddFileItem(&record, path.c_str(), nullptr, 0);
    }
    if (SUCCEEDED(hr)) {
        list->ResetItems(0);
        hr = list->NextItem(&item, nullptr);
        if (hr == S_FALSE)
            hr = E_FAIL;
    }
    if (SUCCEEDED(hr))
        hr = MtEngine::CreateClip(clip);
    if (SUCCEEDED(hr)) {
        MtClipFormat format{m_rate, m_bits, channels};
        hr = clip->SetFormat(&format);
    }
    if (SUCCEEDED(hr))
        hr = clip->SetSource(item, 0, -1);
    if (SUCCEEDED(hr))
        hr = m_set->InsertTrack(0, channels, &track, -1);
    if (SUCCEEDED(hr))
        hr = track->InsertClip(clip.Get(), start, 0, 0);
    for (IUnknown* p : {static_cast<IUnknown*>(track), item})
        if (p)
            p->Release();
    return hr;
}

IMtItemList* EngineTracks::NewItemList() const
{
    ComRef<IMtItemList> list;
    MtEngine::CreateItemList(list);
    return list.Detach();
}

IMtTrack* EngineTracks::Track(LONG index) const
{
    IMtTrack* track = nullptr;
    m_set->GetTrack(index, &track);
    return track;
}

std::vector<float> EngineTracks::Mix(DWORD channels, LONGLONG start, LONGLONG end) const
{
    return kvtest::MixAll(Set(), channels, start, end);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    std::fseek(f, 0, SEEK_END);
    bytes.resize(size_t(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    return bytes;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace kvtest
