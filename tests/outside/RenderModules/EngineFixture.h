// Engine track sets for the render module tests: tracks made from raw 16-bit data files in
// a scratch folder, through the engine's loader.
#pragma once
#include "KsMultiTrack.h"
#include "TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kvtest {

class EngineFixture {
public:
    EngineFixture();
    ~EngineFixture();
    bool Ok() const { return m_set != nullptr; }
    IMtTrackSet* Set() const { return m_set; }
    IMtSelection* Selection() const { return m_sel; }

    // Appends a track holding the interleaved 16-bit samples at the start offset.
    HRESULT AddTrack16(const std::vector<int16_t>& samples, WORD channels, LONGLONG start = 0);
    // A new item list (the receiver of conversions).
    IMtItemList* NewItemList() const;
    // A file item list holding one item per sample block (16-bit, given rate and channels).
    IMtItemList* NewFileItems(const std::vector<std::vector<int16_t>>& blocks, const std::vector<WORD>& channels,
                              DWORD rate);
    // The same with a rate per block.
    IMtItemList* NewFileItems(const std::vector<std::vector<int16_t>>& blocks, const std::vector<WORD>& channels,
                              const std::vector<DWORD>& rates);
    // The engine's own mix of the marked tracks over the selection (float frames).
    std::vector<float> EngineMix(DWORD channels) const;
    // The same over the time line's [start, end).
    std::vector<float> EngineMix(DWORD channels, LONGLONG start, LONGLONG end) const;

    ScratchFolder scratch;

private:
    std::string WriteRaw(const std::vector<int16_t>& samples);

    IMtTrackSet* m_set = nullptr;
    IMtSelection* m_sel = nullptr;
    int m_files = 0;
};

// A sine of amplitude amp (of full scale) at freq, 16-bit, interleaved channels (channel c
// shifted by c radians).
std::vector<int16_t> Sine16(double freq, DWORD rate, size_t frames, WORD channels, double amp = 0.5);
// Reads a whole file.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Names of the files in the program's temporary folder.
std::vector<std::string> TempFiles();

} // namespace kvtest
