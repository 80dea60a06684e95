// ItemData: immutable sound, the storage behind items and clips. Either a raw headerless
// PCM data file in the item's format (read by plain positioned reads: mapping long files
// whole costs a page fault per page here, twenty times a read's work) or a block of memory.
// One ItemData per data file in the process: opening the same path again shares it.
// Peaks per block of 1024 frames come from the item's peak file when it matches the data,
// otherwise they are computed from the data on first use. A finer level of 64-frame blocks is
// worked out from the data a peak block at a time, where reads cut peak blocks.
#pragma once
#include "FinePeakLevel.h"
#include "PeakRecord.h"
#include "SampleFormat.h"
#include "KsMultiTrack.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class ItemData {
public:
    static constexpr int kMaxChannels = 6;
    static constexpr LONGLONG kPeakBlock = kPeakFileBlock;
    static constexpr LONGLONG kFineBlock = 64;
    static constexpr int kFinePerBlock = static_cast<int>(kPeakBlock / kFineBlock);

    // Opens (or shares) the data file; throws CKvSSException (kMtErrBadItemFile, format errors).
    // owned: the files are the engine's and go when the last user goes (only inside the
    // temporary folder).
    // computedPeaks: the block peaks (16-bit units) of the data, made while it was written, used
    // when no peak file serves and their count fits.
    static std::shared_ptr<ItemData> OpenFile(const std::string& dataPath, const std::string& peakPath,
                                              const MtFormat& format, bool owned,
                                              std::vector<MtPeakItem> computedPeaks = {});
    static std::shared_ptr<ItemData> FromMemory(const MtFormat& format, std::vector<uint8_t> data);
    ~ItemData();
    ItemData(const ItemData&) = delete;
    ItemData& operator=(const ItemData&) = delete;

    const MtFormat& Format() const { return m_format; }
    SampleKind Kind() const { return m_kind; }
    LONGLONG Frames() const { return m_frames; }
    int FrameBytes() const { return m_frameBytes; }
    // Frames [first, first + count) (inside the item): memory in place, a file's read into
    // scratch. Bytes the file no longer holds (cut short or unreadable) read as silence.
    const uint8_t* Frames(LONGLONG first, LONGLONG count, std::vector<uint8_t>& scratch) const;
    // The same frames copied into out.
    void ReadFrames(LONGLONG first, LONGLONG count, uint8_t* out) const;
    const std::string& Path() const { return m_path; }
    const std::string& PeakPath() const { return m_peakPath; }

    // The files stay when the last user goes (an owned file opened by a load that failed).
    void KeepFiles() const { m_keep = true; }

    // Minimum and maximum per block of kPeakBlock frames and channel (16-bit units).
    const std::vector<MtPeakItem>& BlockPeaks() const;
    // Minimum and maximum per fine block of peak block `block` (16-bit units), kFinePerBlock x
    // channels records, fine block by fine block; a fine block past the last frame holds 0/0.
    // Null when the memory cannot be had: then the samples are the only source.
    const FinePeak* FinePeaks(LONGLONG block) const;
    // Folds the minimum and maximum per channel of frames [first, first + count) into lo and
    // hi (16-bit units, one entry per channel of the item).
    void SamplePeaks(LONGLONG first, LONGLONG count, LONG* lo, LONG* hi) const;

    // Folds the minimum and maximum per channel of count frames at p (in this item's format).
    void FoldPeaks(const uint8_t* p, LONGLONG count, LONG* lo, LONG* hi) const;

private:
    ItemData() = default;
    void ComputePeaks() const;
    void ComputeFinePeaks(LONGLONG block, FinePeak* out) const;

    MtFormat m_format;
    SampleKind m_kind = SampleKind::S16;
    int m_frameBytes = 2;
    LONGLONG m_frames = 0;
    std::vector<uint8_t> m_memory;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::string m_path;
    std::string m_peakPath;
    bool m_owned = false;
    bool m_peaksFromFile = false;
    mutable std::atomic<bool> m_keep{false};
    mutable std::once_flag m_peaksOnce;
    mutable std::atomic<bool> m_peaksReady{false};
    mutable std::vector<MtPeakItem> m_peaks;
    mutable std::once_flag m_fineOnce;
    mutable std::atomic<bool> m_fineReady{false};
    mutable std::unique_ptr<FinePeakLevel> m_fine;
};

using ItemDataPtr = std::shared_ptr<const ItemData>;

// Block peaks of sound written in order, as ItemData keeps them: feed the bytes as they go
// to the file, then take the peaks.
class BlockPeakBuilder {
public:
    explicit BlockPeakBuilder(const MtFormat& format);
    void Add(const uint8_t* frames, size_t bytes);
    // The peaks of the blocks given, the last one partial.
    std::vector<MtPeakItem> Take();

private:
    void FoldBlock(const uint8_t* p, size_t bytes);

    std::shared_ptr<ItemData> m_shape; // no sound: gives the fold of the format
    int m_frameBytes;
    std::vector<uint8_t> m_partial; // the frames of an unfinished block
    std::vector<MtPeakItem> m_peaks;
};

// The folder whose files the engine may delete when it owns them (the temporary store's
// folder, else the system's temporary path).
void SetEngineTempFolder(const std::string& folder);
std::string GetEngineTempFolder();
// Whether the file name is one of the program's or the engine's temporary names
// ("NY*.tmp", "KMT*.tmp").
bool IsEngineTempName(const std::string& path);
// When this process began: files last written before it were left by an earlier run.
FILETIME ThisRunStart();
// Whether the file was last written before this process began.
bool WrittenBeforeThisRun(HANDLE file);
// Whether a live item reads this file as its data or its peaks.
bool IsFileUsedByItems(const std::string& path);
// The comparable form of a path: full, lower case, backslashes.
std::string PathKey(const std::string& path);
