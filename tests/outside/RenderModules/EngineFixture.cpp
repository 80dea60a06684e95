#include "EngineFixture.h"
#include "MixAll.h"

#include "KsMultiTrackLoader.h"
#include "TempFilePaths.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace kvtest {

EngineFixture::EngineFixture()
{
    ComRef<IMtTrackSet> set;
    if (FAILED(MtEngine::CreateTrackSet(set)))
        return;
    m_set = set.Detach();
    m_set->SetFormat(16, 44100);
    m_set->QueryInterface(__uuidof(IMtSelection), reinterpret_cast<void**>(&m_sel));
}

EngineFixture::~EngineFixture()
{
    if (m_sel)
        m_sel->Release();
    if (m_set)
        m_set->Release();
}

std::string EngineFixture::WriteRaw(const std::vector<int16_t>& samples)
{
    std::string path = scratch.File("track" + std::to_string(m_files++) + ".raw");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return "";
    std::fwrite(samples.data(), 2, samples.size(), f);
    std::fclose(f);
    return path;
}

IMtItemList* EngineFixture::NewItemList() const
{
    ComRef<IMtItemList> list;
    MtEngine::CreateItemList(list);
    return list.Detach();
}

IMtItemList* EngineFixture::NewFileItems(const std::vector<std::vector<int16_t>>& blocks,
                                         const std::vector<WORD>& channels, DWORD rate)
{
    return NewFileItems(blocks, channels, std::vector<DWORD>(blocks.size(), rate));
}

IMtItemList* EngineFixture::NewFileItems(const std::vector<std::vector<int16_t>>& blocks,
                                         const std::vector<WORD>& channels, const std::vector<DWORD>& rates)
{
    IMtItemList* list = NewItemList();
    if (!list)
        return nullptr;
    for (size_t i = 0; i < blocks.size(); ++i) {
        std::string path = WriteRaw(blocks[i]);
        MtFileItemRecord record;
        std::memset(&record, 0, sizeof(record));
        lstrcpynA(record.path, path.c_str(), sizeof(record.path));
        record.channels = channels[i];
        record.bitsPerSample = 16;
        record.samplesPerSec = rates[i];
        if (FAILED(list->AddFileItem(&record, path.c_str(), nullptr, LONG(i)))) {
            list->Release();
            return nullptr;
        }
    }
    return list;
}

HRESULT EngineFixture::AddTrack16(const std::vector<int16_t>& samples, WORD channels, LONGLONG start)
{
    DWORD rate = 0;
    m_set->GetSamplesPerSec(&rate);
    IMtItemList* list = NewFileItems({samples}, {channels}, rate);
    if (!list)
        return E_FAIL;
    IUnknown* item = nullptr;
    list->ResetItems(0);
    HRESULT hr = list->NextItem(&item, nullptr);
    list->Release();
    if (hr != S_OK)
        return FAILED(hr) ? hr : E_FAIL;
    ComRef<IMtClip> clip;
    hr = MtEngine::CreateClip(clip);
    IMtTrack* track = nullptr;
    if (SUCCEEDED(hr)) {
        MtClipFormat format{rate, 16, channels};
        hr = clip->SetFormat(&format);
        if (SUCCEEDED(hr))
            hr = clip->SetSource(item, 0, -1);
        if (SUCCEEDED(hr))
            hr = m_set->InsertTrack(0, channels, &track, -1);
        if (SUCCEEDED(hr))
            hr = track->InsertClip(clip.Get(), start, 0, 0);
    }
    if (track)
        track->Release();
    item->Release();
    return hr;
}

std::vector<float> EngineFixture::EngineMix(DWORD channels) const
{
    LONGLONG start = 0, end = 0;
    m_sel->GetRange(&start, &end);
    if (start == end)
        m_set->GetLength(&end, 0);
    return EngineMix(channels, start, end);
}

std::vector<float> EngineFixture::EngineMix(DWORD channels, LONGLONG start, LONGLONG end) const
{
    return kvtest::MixAll(Set(), channels, start, end);
}

std::vector<int16_t> Sine16(double freq, DWORD rate, size_t frames, WORD channels, double amp)
{
    std::vector<int16_t> s(frames * channels);
    for (size_t i = 0; i < frames; ++i)
        for (WORD c = 0; c < channels; ++c)
            s[i * channels + c] =
                int16_t(std::lround(32767 * amp * std::sin(2 * 3.14159265358979323846 * freq * i / rate + c)));
    return s;
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
    size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    bytes.resize(got);
    std::fclose(f);
    return bytes;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> TempFiles()
{
    TempFilePaths paths;
    std::string folder = paths.GetFolder();
    // A folder from the setting has no separator at its end.
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

} // namespace kvtest
