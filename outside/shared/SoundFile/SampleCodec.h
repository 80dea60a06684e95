// Samples between a file's stored format and the engine's storage form (8 bits unsigned
// bytes, 16 bits signed words, 20, 24 and 32 bits 32-bit float of full scale 1.0), the peak
// records of track files, and the work steps a long call reports.
#pragma once
#include <windows.h>

#include "SoundFile.h"

#include <cstdint>
#include <string>
#include <vector>

enum class Storage { U8, S16, F32 };
inline Storage StorageOfBits(WORD bits)
{
    return bits == 8 ? Storage::U8 : bits == 16 ? Storage::S16 : Storage::F32;
}
inline int StorageBytes(Storage s)
{
    return s == Storage::U8 ? 1 : s == Storage::S16 ? 2 : 4;
}

// Converts frames of the file (interleaved, f.channels) into the storage form: channel c of
// the file goes to outs[c / perOut] at position c % perOut of perOut interleaved channels.
void DecodeFrames(const StoredFormat& f, const uint8_t* in, size_t frames, Storage to, uint8_t* const* outs,
                  int perOut);
// Converts interleaved storage frames (channels of f) into the file's stored form.
void EncodeFrames(const StoredFormat& f, Storage from, const uint8_t* in, size_t frames, uint8_t* out);

// Minimum and maximum of each channel per 1024 frames, in the units of the item's bits.
class PeakAccumulator {
public:
    static constexpr size_t kBlock = 1024;
    PeakAccumulator(WORD bits, int channels);
    void Add(const uint8_t* storage, size_t frames);
    // Closes the partial last block.
    void Finish();
    std::vector<int32_t>& Records() { return m_records; }

private:
    int32_t Value(const uint8_t* p) const;
    WORD m_bits;
    Storage m_storage;
    int m_channels;
    size_t m_fill = 0;
    std::vector<int32_t> m_low, m_high, m_records;
};

// A track file of the engine: the raw storage data and its peak file, both under new
// temporary names. The files are deleted unless Keep was called.
class TrackFile {
public:
    TrackFile(WORD bits, int channels);
    ~TrackFile();
    TrackFile(const TrackFile&) = delete;
    TrackFile& operator=(const TrackFile&) = delete;
    // The peaks and the data of the same frames, in this order; the data write may run on
    // another thread than the peaks.
    void AddPeaks(const uint8_t* storage, size_t frames) { m_peaks.Add(storage, frames); }
    void WriteData(const uint8_t* storage, size_t frames);
    // Writes the peaks and closes both files.
    void Close();
    void Keep() { m_keep = true; }
    const std::string& DataName() const { return m_dataName; }
    const std::string& PeakName() const { return m_peakName; }

private:
    HANDLE m_data = INVALID_HANDLE_VALUE;
    std::string m_dataName, m_peakName;
    PeakAccumulator m_peaks;
    int m_frameBytes;
    bool m_keep = false;
};

// Progress of a long call: message 0x40A to the owner window with the 336-byte record
// (code 1 open, 2 step, 4 end, 6 cancelled); a set cancel flag stops the call.
class FioProgress {
public:
    FioProgress(HWND owner, const char* text);
    ~FioProgress();
    // Throws kErrCancelled once the receiver has set the cancel flag.
    void Step(uint64_t done, uint64_t total);
    void Finish();

private:
    HWND m_owner;
    struct Record {
        LONG value;
        char text[320];
        LONG cancel;
        LONG flags;
        LONG closeValue;
    } m_record;
    LONG m_last = -1;
    bool m_open = false;
};

// A save that never harms the file it replaces: the bytes go to "NY*.tmp" beside the target,
// which is flushed, closed and moved over the target in one rename.
class SafeSave {
public:
    explicit SafeSave(const char* target);
    ~SafeSave();
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;
    void Write(const void* data, size_t bytes);
    void Commit();
    const std::string& TempName() const { return m_temp; }

private:
    std::string m_target, m_temp;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    bool m_done = false;
};
