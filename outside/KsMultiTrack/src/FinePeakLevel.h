// FinePeakLevel: minimum and maximum per small block of frames under each peak block of an
// item, so that a peak point whose ends cut peak blocks reads a few records and a few samples
// instead of up to a whole block of samples at each end. A peak block's fine records are
// worked out from the samples when first asked for and kept while the item lives: a peak
// file carries only whole blocks, and working out the level of a long item at once would read
// all its samples.
//
// Safe for readers on several threads: a block is filled once, under the lock, and read
// without it once it is marked ready.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

// 16-bit units, as every inner peak.
struct FinePeak {
    int16_t minimum;
    int16_t maximum;
};

class FinePeakLevel {
public:
    // fill(block, out) writes finePerBlock x channels records of a block, fine block by fine
    // block, channel by channel within each.
    using Fill = void (*)(const void* owner, LONGLONG block, FinePeak* out);

    FinePeakLevel(LONGLONG blocks, int channels, int finePerBlock, Fill fill, const void* owner);
    ~FinePeakLevel();
    FinePeakLevel(const FinePeakLevel&) = delete;
    FinePeakLevel& operator=(const FinePeakLevel&) = delete;

    // The records of a block, filled on first use; null when the memory cannot be had (the
    // caller reads the samples instead) or the block lies outside the item.
    const FinePeak* Block(LONGLONG block);

private:
    // Blocks share pages, so that a level costs memory only where it was read.
    static constexpr LONGLONG kBlocksPerPage = 64;
    struct Page {
        std::atomic<FinePeak*> records{nullptr};
        std::atomic<uint64_t> ready{0}; // one bit per block of the page
    };

    LONGLONG m_blocks;
    size_t m_recordsPerBlock;
    Fill m_fill;
    const void* m_owner;
    std::unique_ptr<Page[]> m_pages;
    std::mutex m_lock;
};
