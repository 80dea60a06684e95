// A track set of the real engine module, filled from interleaved samples in the engine's
// storage layout (8-bit unsigned, 16-bit signed, float for 20, 24 and 32 bits).
#pragma once
#include "KsMultiTrack.h"
#include "TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvtest {

class EngineTracks {
public:
    EngineTracks(WORD bits, DWORD rate);
    ~EngineTracks();
    EngineTracks(const EngineTracks&) = delete;
    EngineTracks& operator=(const EngineTracks&) = delete;

    bool Ok() const { return m_set != nullptr; }
    IMtTrackSet* Set() const { return m_set; }
    IMtSelection* Selection() const { return m_sel; }

    // Appends a track holding the samples (raw bytes of the storage layout) at start.
    HRESULT AddTrack(const void* data, size_t bytes, WORD channels, LONGLONG start = 0);
    template <class T>
    HRESULT AddTrack(const std::vector<T>& samples, WORD channels, LONGLONG start = 0)
    {
        return AddTrack(samples.data(), samples.size() * sizeof(T), channels, start);
    }
    // A new empty item list of the engine.
    IMtItemList* NewItemList() const;
    // Track index (with a reference) or null.
    IMtTrack* Track(LONG index) const;
    // The engine's own mix reader over [start, end), float frames.
    std::vector<float> Mix(DWORD channels, LONGLONG start, LONGLONG end) const;

    ScratchFolder scratch;

private:
    IMtTrackSet* m_set = nullptr;
    IMtSelection* m_sel = nullptr;
    WORD m_bits;
    DWORD m_rate;
    int m_files = 0;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

} // namespace kvtest
