// The clip record's reader on bytes: each segment kind taken as stored, and every size, count
// and length the bytes cannot back refused before it is believed (natively too).
#include "ClipRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class MemoryClip : public ClipSource {
public:
    explicit MemoryClip(const Bytes& bytes) : m_bytes(bytes) {}
    uint64_t Left() const override { return m_bytes.size() - m_at; }
    bool Read(void* data, size_t bytes) override
    {
        if (bytes > Left())
            return false;
        if (bytes)
            std::memcpy(data, m_bytes.data() + m_at, bytes);
        m_at += bytes;
        return true;
    }

private:
    const Bytes& m_bytes;
    size_t m_at = 0;
};

template <class T>
void Append(Bytes& b, const T& value)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
    b.insert(b.end(), p, p + sizeof(T));
}

constexpr StoredClipFormat kStereo16{44100, 16, 2};

Bytes Header(uint32_t segments, int64_t start = 100, StoredClipFormat format = kStereo16, uint32_t version = 1)
{
    Bytes b;
    Append(b, ClipHeader{version, format, 1, start, segments});
    return b;
}

void AddSegment(Bytes& b, uint32_t kind, int64_t offset, int64_t length, StoredClipFormat format = kStereo16)
{
    Append(b, SegmentHeader{offset, length, kind, format});
}

struct Read {
    ClipFault fault;
    std::vector<StoredSegment> segments;
};

Read ReadAll(const Bytes& bytes)
{
    MemoryClip source(bytes);
    ClipHeader header{};
    Read read;
    read.fault = ReadClipRecord(source, &header, [&](StoredSegment& s) { read.segments.push_back(s); });
    return read;
}

} // namespace

TEST(ClipRecord, EachSegmentKindIsTakenAsStored)
{
    Bytes b = Header(3);
    AddSegment(b, kClipSilence, 0, 50);
    AddSegment(b, kClipFileStretch, 10, 20);
    char paths[2][kClipPathLength] = {};
    std::strcpy(paths[0], "C:\\data.raw");
    std::memset(paths[1], 'p', sizeof(paths[1])); // unterminated: ends inside its field
    b.insert(b.end(), &paths[0][0], &paths[0][0] + sizeof(paths));
    AddSegment(b, kClipInline, 0, 3);
    for (uint8_t i = 0; i < 12; ++i)
        b.push_back(i);

    const Read read = ReadAll(b);
    ASSERT_EQ(ClipFault::None, read.fault);
    ASSERT_EQ(3u, read.segments.size());
    EXPECT_EQ(50, read.segments[0].header.length);
    EXPECT_STREQ("C:\\data.raw", read.segments[1].paths[0]);
    EXPECT_EQ(std::string(kClipPathLength - 1, 'p'), read.segments[1].paths[1]);
    EXPECT_EQ(2, read.segments[1].format.channels);
    EXPECT_EQ(12u, read.segments[2].frames.size());
    EXPECT_EQ(11, read.segments[2].frames[11]);
}

TEST(ClipRecord, WhatTheBytesCannotBackIsRefused)
{
    auto inlineOf = [](int64_t length, size_t frameBytes) {
        Bytes b = Header(1);
        AddSegment(b, kClipInline, 0, length);
        b.resize(b.size() + frameBytes, 0);
        return b;
    };
    auto two = [](int64_t first, int64_t second, int64_t start) {
        Bytes b = Header(2, start);
        AddSegment(b, kClipSilence, 0, first);
        AddSegment(b, kClipSilence, 0, second);
        return b;
    };
    Bytes stretchCut = Header(1);
    AddSegment(stretchCut, kClipFileStretch, 0, 1);
    stretchCut.resize(stretchCut.size() + 2 * kClipPathLength - 1);
    Bytes unknownKind = Header(1);
    AddSegment(unknownKind, 7, 0, 1);
    Bytes badSegmentFormat = Header(1);
    AddSegment(badSegmentFormat, kClipInline, 0, 0, StoredClipFormat{44100, 12, 2});
    Bytes silentBadFormat = Header(1);
    AddSegment(silentBadFormat, kClipSilence, 0, 5, StoredClipFormat{0, 0, 0});

    struct Case {
        const char* what;
        Bytes bytes;
        ClipFault fault;
    } cases[] = {
        {"no header", Bytes(27, 0), ClipFault::Damaged},
        {"another version", Header(0, 0, kStereo16, 2), ClipFault::Format},
        {"seven channels", Header(0, 0, StoredClipFormat{44100, 16, 7}), ClipFault::Format},
        {"rate zero", Header(0, 0, StoredClipFormat{0, 16, 1}), ClipFault::Format},
        {"more segments than the chunk holds", Header(1), ClipFault::Damaged},
        {"a count near four billion", Header(0xFFFFFFFFu), ClipFault::Damaged},
        {"frames the chunk holds", inlineOf(3, 12), ClipFault::None},
        {"a frame short", inlineOf(3, 11), ClipFault::Damaged},
        {"a length whose bytes overflow", inlineOf(INT64_MAX / 2, 12), ClipFault::Damaged},
        {"a negative length", inlineOf(-1, 0), ClipFault::Damaged},
        {"paths cut short", stretchCut, ClipFault::Damaged},
        {"an unknown kind", unknownKind, ClipFault::Damaged},
        {"a segment format no clip carries", badSegmentFormat, ClipFault::Format},
        {"silence carries no format", silentBadFormat, ClipFault::None},
        {"lengths that overflow together", two(INT64_MAX, 1, 0), ClipFault::Damaged},
        {"an end past the time line", two(INT64_MAX - 10, 5, 10), ClipFault::Damaged},
        {"an end just on it", two(INT64_MAX - 10, 5, 5), ClipFault::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fault, ReadAll(c.bytes).fault) << c.what;
}
