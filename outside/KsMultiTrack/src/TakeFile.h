// One take being recorded: a raw data file in the sample storage of the bits and its peak
// file (one minimum/maximum record per 1024 frames and channel, in the units of the bits),
// both "KMT*.tmp" files of the engine's temporary folder. Fed with input frames (float, full
// scale 1.0, or 16-bit), mapped to the take's channels.
#pragma once
#include "KsMultiTrack.h"
#include "SampleFormat.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TakeFile {
public:
    TakeFile() = default;
    ~TakeFile();
    TakeFile(const TakeFile&) = delete;
    TakeFile& operator=(const TakeFile&) = delete;

    // Creates both files; throws CKvSSException.
    void Create(const MtFormat& format);
    // Appends frames of inChannels channels: the same count copies, one channel out of more
    // takes their mean, more channels out of one or two repeat them. Returns false once a
    // write has failed (the file keeps the whole frames written before).
    bool Append(const float* frames, size_t count, int inChannels);
    bool Append(const int16_t* frames, size_t count, int inChannels);
    // Writes the last peaks and closes both files; they stay.
    void Finish();
    // Closes and deletes both files.
    void Discard();

    const std::string& DataPath() const { return m_dataPath; }
    const std::string& PeakPath() const { return m_peakPath; }
    const MtFormat& Format() const { return m_format; }
    LONGLONG Frames() const { return m_frames; }
    LONGLONG Bytes() const { return m_frames * FrameBytes(m_format); }
    bool Failed() const { return m_failed; }
    // The system error of the failed write.
    DWORD Error() const { return m_error; }

private:
    void FlushPeaks(bool last);

    MtFormat m_format;
    HANDLE m_data = INVALID_HANDLE_VALUE;
    HANDLE m_peaks = INVALID_HANDLE_VALUE;
    std::string m_dataPath;
    std::string m_peakPath;
    LONGLONG m_frames = 0;
    bool m_failed = false;
    DWORD m_error = 0;
    std::vector<uint8_t> m_buffer;
    std::vector<float> m_converted;
    std::vector<LONG> m_blockMin, m_blockMax; // per channel, of the block being filled
    LONGLONG m_blockFill = 0;
    std::vector<MtPeakItem> m_peakOut;
};

// A new empty "KMT*.tmp" file in the engine's temporary folder; throws CKvSSException.
std::string MakeEngineTempFile();
