#include "FinePeakLevel.h"

#include <new>

FinePeakLevel::FinePeakLevel(LONGLONG blocks, int channels, int finePerBlock, Fill fill, const void* owner)
    : m_blocks(blocks), m_recordsPerBlock(static_cast<size_t>(finePerBlock) * channels), m_fill(fill), m_owner(owner)
{
    const LONGLONG pages = (blocks + kBlocksPerPage - 1) / kBlocksPerPage;
    m_pages.reset(new (std::nothrow) Page[static_cast<size_t>(pages)]);
}

FinePeakLevel::~FinePeakLevel()
{
    if (!m_pages)
        return;
    const LONGLONG pages = (m_blocks + kBlocksPerPage - 1) / kBlocksPerPage;
    for (LONGLONG i = 0; i < pages; ++i)
        delete[] m_pages[static_cast<size_t>(i)].records.load(std::memory_order_relaxed);
}

const FinePeak* FinePeakLevel::Block(LONGLONG block)
{
    if (!m_pages || block < 0 || block >= m_blocks)
        return nullptr;
    Page& page = m_pages[static_cast<size_t>(block / kBlocksPerPage)];
    const uint64_t bit = uint64_t(1) << (block % kBlocksPerPage);
    const size_t at = static_cast<size_t>(block % kBlocksPerPage) * m_recordsPerBlock;
    if (page.ready.load(std::memory_order_acquire) & bit)
        return page.records.load(std::memory_order_relaxed) + at;
    std::lock_guard<std::mutex> guard(m_lock);
    FinePeak* records = page.records.load(std::memory_order_relaxed);
    if (!records) {
        records = new (std::nothrow) FinePeak[kBlocksPerPage * m_recordsPerBlock];
        if (!records)
            return nullptr;
        page.records.store(records, std::memory_order_relaxed);
    }
    if (!(page.ready.load(std::memory_order_relaxed) & bit)) {
        m_fill(m_owner, block, records + at);
        page.ready.fetch_or(bit, std::memory_order_release);
    }
    return records + at;
}
