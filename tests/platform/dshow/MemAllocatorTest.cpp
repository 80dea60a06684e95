// The allocator our pins use: its refusals, a pool that hands each buffer out once and takes
// it back fresh, a waiter woken by a returned sample or by Decommit, and samples that outlive
// every other reference to their allocator.
#include "MemAllocator.h"
#include "MediaType.h"

#include <gtest/gtest.h>

#include <uuids.h>
#include <vfwmsgs.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace {

struct Allocator {
    IMemAllocator* a = nullptr;
    Allocator() { EXPECT_EQ(S_OK, MemAllocator::Create(&a)); }
    ~Allocator()
    {
        if (a)
            a->Release();
    }
    HRESULT Set(long buffers, long bytes, long align = 1, long prefix = 0, ALLOCATOR_PROPERTIES* actual = nullptr)
    {
        ALLOCATOR_PROPERTIES want{buffers, bytes, align, prefix}, got{};
        const HRESULT hr = a->SetProperties(&want, &got);
        if (actual)
            *actual = got;
        return hr;
    }
};

TEST(MemAllocator, RefusesWhatItCannotServeAndRoundsToItsAlignment)
{
    Allocator al;
    IMediaSample* s = nullptr;
    EXPECT_EQ(VFW_E_SIZENOTSET, al.a->Commit());
    EXPECT_EQ(VFW_E_BADALIGN, al.Set(2, 100, 0));
    EXPECT_EQ(VFW_E_BADALIGN, al.Set(2, 100, 24));
    ALLOCATOR_PROPERTIES actual{};
    ASSERT_EQ(S_OK, al.Set(2, 100, 64, 8, &actual));
    EXPECT_EQ(120, actual.cbBuffer) << "prefix and buffer together a whole number of alignments";
    EXPECT_EQ(VFW_E_NOT_COMMITTED, al.a->GetBuffer(&s, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, al.a->Commit());
    EXPECT_EQ(VFW_E_ALREADY_COMMITTED, al.Set(4, 100));
    ASSERT_EQ(S_OK, al.a->GetBuffer(&s, nullptr, nullptr, 0));
    BYTE* data = nullptr;
    s->GetPointer(&data);
    EXPECT_EQ(0u, (reinterpret_cast<uintptr_t>(data) - 8) % 64) << "the prefix starts aligned";
    EXPECT_EQ(VFW_E_BUFFER_OVERFLOW, s->SetActualDataLength(121));
    al.a->Decommit();
    EXPECT_EQ(VFW_E_BUFFERS_OUTSTANDING, al.Set(4, 100));
    s->Release();
    EXPECT_EQ(S_OK, al.Set(4, 100));
}

TEST(MemAllocator, HandsEachBufferOutOnceAndTakesItBackFresh)
{
    Allocator al;
    ASSERT_EQ(S_OK, al.Set(2, 256));
    ASSERT_EQ(S_OK, al.a->Commit());
    IMediaSample *first = nullptr, *second = nullptr, *third = nullptr;
    ASSERT_EQ(S_OK, al.a->GetBuffer(&first, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, al.a->GetBuffer(&second, nullptr, nullptr, 0));
    BYTE *p1 = nullptr, *p2 = nullptr;
    first->GetPointer(&p1);
    second->GetPointer(&p2);
    EXPECT_NE(p1, p2);
    EXPECT_EQ(VFW_E_TIMEOUT, al.a->GetBuffer(&third, nullptr, nullptr, AM_GBF_NOWAIT));

    REFERENCE_TIME start = 10, end = 20;
    first->SetTime(&start, &end);
    first->SetSyncPoint(TRUE);
    first->SetDiscontinuity(TRUE);
    first->SetActualDataLength(3);
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    first->SetMediaType(&type);
    AM_MEDIA_TYPE* got = nullptr;
    ASSERT_EQ(S_OK, first->GetMediaType(&got));
    EXPECT_EQ(MEDIATYPE_Audio, got->majortype);
    DeleteMediaType(got);
    first->AddRef();
    EXPECT_EQ(1u, first->Release()) << "still out while a reference is held";
    EXPECT_EQ(0u, first->Release());

    ASSERT_EQ(S_OK, al.a->GetBuffer(&third, nullptr, nullptr, AM_GBF_NOWAIT));
    BYTE* p3 = nullptr;
    third->GetPointer(&p3);
    EXPECT_EQ(p1, p3) << "the returned buffer";
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, third->GetTime(&start, &end));
    EXPECT_EQ(S_FALSE, third->IsSyncPoint());
    EXPECT_EQ(S_FALSE, third->IsDiscontinuity());
    EXPECT_EQ(256, third->GetActualDataLength());
    got = nullptr;
    EXPECT_EQ(S_FALSE, third->GetMediaType(&got));
    EXPECT_EQ(nullptr, got);
    third->SetTime(&start, nullptr);
    EXPECT_EQ(VFW_S_NO_STOP_TIME, third->GetTime(&start, &end));
    EXPECT_EQ(11, end);
    third->Release();
    second->Release();
    al.a->Decommit();
}

TEST(MemAllocator, AWaiterWakesOnAReturnedSampleOrOnDecommit)
{
    Allocator al;
    ASSERT_EQ(S_OK, al.Set(1, 64));
    ASSERT_EQ(S_OK, al.a->Commit());
    IMediaSample* held = nullptr;
    ASSERT_EQ(S_OK, al.a->GetBuffer(&held, nullptr, nullptr, 0));
    HRESULT waited = E_FAIL;
    IMediaSample* next = nullptr;
    std::thread waiter([&] { waited = al.a->GetBuffer(&next, nullptr, nullptr, 0); });
    ::Sleep(50);
    held->Release();
    waiter.join();
    ASSERT_EQ(S_OK, waited);

    std::thread blocked([&] { waited = al.a->GetBuffer(&held, nullptr, nullptr, 0); });
    ::Sleep(50);
    al.a->Decommit();
    blocked.join();
    EXPECT_EQ(VFW_E_NOT_COMMITTED, waited);
    next->Release();
}

TEST(MemAllocator, ASampleKeepsItsAllocatorUntilItComesBack)
{
    IMemAllocator* a = nullptr;
    ASSERT_EQ(S_OK, MemAllocator::Create(&a));
    ALLOCATOR_PROPERTIES want{3, 1024, 16, 0}, got{};
    ASSERT_EQ(S_OK, a->SetProperties(&want, &got));
    ASSERT_EQ(S_OK, a->Commit());
    std::vector<IMediaSample*> out(3);
    for (IMediaSample*& s : out)
        ASSERT_EQ(S_OK, a->GetBuffer(&s, nullptr, nullptr, 0));
    a->Decommit();
    a->Release(); // the samples are the only holders now
    for (IMediaSample* s : out) {
        BYTE* data = nullptr;
        s->GetPointer(&data);
        data[1023] = 1; // still its memory
        s->Release();
    }
}

} // namespace
