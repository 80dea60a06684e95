// MemAllocator: the IMemAllocator our pins hand out and fall back on, with its media samples.
// One block holds every buffer; a sample returns to the pool when its last reference goes.
// A free buffer is waited for on a condition variable: under Wine a kernel event or semaphore
// (as the system's allocator uses) costs a server round trip on every GetBuffer and release,
// which on a loaded machine took more time than the effects themselves.
//
//   IMemAllocator* alloc = nullptr;
//   MemAllocator::Create(&alloc);               // count 1
//   alloc->SetProperties(&wanted, &actual);      // then Commit, GetBuffer, ... Decommit
#pragma once
#include "ComObject.h"

#include <strmif.h>

#include <memory>
#include <vector>

class MediaSample;

class MemAllocator : public ComObject<IMemAllocator> {
public:
    static HRESULT Create(IMemAllocator** out);
    MemAllocator();
    ~MemAllocator() override;

    // IMemAllocator
    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* props) override;
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags) override;
    STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override;

private:
    friend class MediaSample;
    // A sample's last reference went: back to the pool (the sample's hold on us goes after).
    void Return(MediaSample* sample);
    void FreeBuffers(); // under the lock, with nothing outstanding

    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_returned;
    ALLOCATOR_PROPERTIES m_props{};
    bool m_committed = false;
    uint8_t* m_memory = nullptr;
    std::vector<std::unique_ptr<MediaSample>> m_samples;
    std::vector<MediaSample*> m_free;
    size_t m_outstanding = 0;
};
