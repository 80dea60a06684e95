// PeakBuilder: the IPeakBuilder stream object. Collects the minimum and maximum of each
// channel for every block of frames of the interleaved audio written to it and writes them
// to a peak file under a new temporary name (layout in StreamObjects.h).
// Handles 8-bit unsigned, 16-bit and 32-bit float samples; other widths add no records.
#pragma once
#include "RefCounted.h"
#include "StreamObjects.h"

#include <vector>

class PeakBuilder : public ComExtend<RefCounted, IPeakBuilder> {
public:
    static constexpr DWORD kDefaultFramesPerBlock = 1024;
    static constexpr DWORD kFlushThreshold = 2048; // bytes of waiting peak words

    PeakBuilder() = default;
    ~PeakBuilder() override;

    DWORD STDMETHODCALLTYPE Flush() override;
    DWORD STDMETHODCALLTYPE Write(const void* data, DWORD bytes) override;
    HRESULT STDMETHODCALLTYPE Begin(const WaveFormat* format, DWORD framesPerBlock) override;
    HRESULT STDMETHODCALLTYPE GetFileName(char* buffer, DWORD capacity) override;
    HRESULT STDMETHODCALLTYPE End() override;

    // Begin on a stream the caller opened (takes a reference). Begin uses it with a new
    // temporary file; tests give it a stream of their own.
    HRESULT BeginOnStream(IFileStream* stream, const WaveFormat* format, DWORD framesPerBlock);

    // Minimum and maximum of each channel of one block, appended to peaks. Exposed for tests.
    static void AnalyseBlock(const uint8_t* data, DWORD bytes, const WaveFormat& format, DWORD framesPerBlock,
                             std::vector<int32_t>* peaks);

private:
    void ReleaseStream();
    // Refuses a format that makes no blocks, else ends a running build; a failure returned
    // is End's.
    HRESULT PrepareRun(const WaveFormat& format, DWORD framesPerBlock);

    IFileStream* m_stream = nullptr;
    std::vector<int32_t> m_peaks; // words waiting to be written
    std::vector<uint8_t> m_block; // one block of audio bytes
    DWORD m_blockFill = 0;
    DWORD m_framesPerBlock = kDefaultFramesPerBlock;
    DWORD m_blockBytes = 0;
    WaveFormat m_format;
};
