// The project files' record readers on bytes: what each takes, where each stops, and the
// counted chunks written back as they were read.
#include "ProjectFileIds.h"
#include "ProjectRecords.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

template <class T>
void Put(Bytes& b, size_t at, T value)
{
    if (b.size() < at + sizeof(T))
        b.resize(at + sizeof(T));
    std::memcpy(b.data() + at, &value, sizeof(T));
}

// A flat header as a current (or the oldest) version writes it.
Bytes FlatHeaderBytes(bool oldest)
{
    Bytes b(kFlatHeaderSize, 0);
    std::memcpy(b.data(), oldest ? "Nyle Ver.-0.01,I" : "Nyle Ver. 1.00,I", 16);
    Put<uint32_t>(b, 16, kFlatVersion);
    Put<uint32_t>(b, 20, oldest ? kFlatBlockSize + 8 : kFlatBlockSize);
    Put<uint32_t>(b, 24, 7); // time zoom
    size_t at = 16 + 4 + 996 + (oldest ? 8 : 0);
    Put<uint32_t>(b, at, 22050);
    Put<uint32_t>(b, at + 4, 16);
    at += 8;
    if (!oldest) {
        Put<int64_t>(b, at, 1234);
        at += 8;
    }
    std::memcpy(b.data() + at, "C:\\clip.avi", 11);
    at += 260;
    Put<uint32_t>(b, at, 2);
    Put<int64_t>(b, at + 4, 1400);
    Put<uint32_t>(b, at + 12, 3);
    EXPECT_EQ(size_t(kFlatHeaderSize), at + 16);
    return b;
}

} // namespace

TEST(ProjectRecords, TrackChunkIdsReadAsTheirNumberOrNotAtAll)
{
    struct Case {
        const char* id;
        int number;
    } cases[] = {{"TRK00000", 0}, {"TRK00042", 42}, {"TRK65534", 65534}, {"TRK-0001", -1},
                 {"TRKINFO ", -1}, {"MTRACK  ", -1}, {"TRK", -1},       {"TRK12345", 12345}};
    for (const Case& c : cases)
        EXPECT_EQ(c.number, TrackChunkNumber(MakeTag(c.id))) << c.id;
}

TEST(ProjectRecords, CreatorTextEndsAtItsZeroOrAt127Characters)
{
    const Bytes text = {'K', 'V', 0, 'x'};
    EXPECT_EQ("KV", DecodeCreator(text.data(), text.size()));
    EXPECT_EQ("KV", DecodeCreator(text.data(), 2)) << "no zero inside the chunk";
    const Bytes full(300, 'a');
    EXPECT_EQ(std::string(127, 'a'), DecodeCreator(full.data(), full.size()));
}

TEST(ProjectRecords, TrackInfoRecordsShortOrOutOfRangeAreRefused)
{
    TrackInfo4 info4{};
    Bytes b4(sizeof(TrackInfo4), 0);
    Put<uint32_t>(b4, 0, 6);
    Put<int64_t>(b4, 4, 100);
    Put<uint32_t>(b4, offsetof(TrackInfo4, speakerMask), 0x0F);
    EXPECT_EQ(kRecordSound, DecodeTrackInfo4(b4.data(), b4.size(), &info4));
    EXPECT_EQ(0x0Fu, info4.speakerMask);
    EXPECT_EQ(kRecordSound, DecodeTrackInfo4(b4.data(), offsetof(TrackInfo4, speakerMask), &info4));
    EXPECT_EQ(0x3Fu, info4.speakerMask) << "a record short of its mask names all six speakers";
    EXPECT_EQ(IDS_PF_CREATED_IN, DecodeTrackInfo4(b4.data(), 0, &info4)) << "no channel count";
    for (uint32_t channels : {0u, 7u}) {
        Put<uint32_t>(b4, 0, channels);
        EXPECT_EQ(IDS_PF_CREATED_IN, DecodeTrackInfo4(b4.data(), b4.size(), &info4)) << channels;
    }
    Put<uint32_t>(b4, 0, 2);
    Put<int64_t>(b4, 4, -1);
    EXPECT_EQ(IDS_PF_LOAD_FAILED, DecodeTrackInfo4(b4.data(), b4.size(), &info4));

    TrackInfo2 info2{};
    Bytes b2(sizeof(TrackInfo2), 0);
    Put<uint32_t>(b2, offsetof(TrackInfo2, channels), 1);
    EXPECT_EQ(kRecordSound, DecodeTrackInfo2(b2.data(), b2.size(), &info2));
    EXPECT_EQ(IDS_PF_CREATED_IN, DecodeTrackInfo2(b2.data(), offsetof(TrackInfo2, channels), &info2))
        << "cut before its channel count";
}

// A count word and the records it names: refused when they run past the bytes, whatever the
// count; bytes after them are not the reader's.
TEST(ProjectRecords, CountedChunksAreBoundedByTheirBytes)
{
    struct Case {
        uint32_t count;
        size_t records; // whole records present after the count
        size_t extra;   // further bytes
        bool sound;
    } cases[] = {{0, 0, 0, true},        {2, 2, 0, true},          {2, 2, 5, true},  {3, 2, 0, false},
                 {3, 2, 11, false},      {0xFFFFFFFFu, 1, 0, false}, {0x40000000u, 0, 0, false}};
    for (const Case& c : cases) {
        Bytes envelope(4 + c.records * sizeof(StoredEnvelopePoint) + c.extra, 0x5A);
        Put<uint32_t>(envelope, 0, c.count);
        std::vector<StoredEnvelopePoint> points;
        EXPECT_EQ(c.sound ? kRecordSound : IDS_PF_LOAD_FAILED, DecodeEnvelope(envelope.data(), envelope.size(), &points))
            << c.count;
        Bytes labels(4 + c.records * sizeof(LabelRecord) + c.extra, 0x5A);
        Put<uint32_t>(labels, 0, c.count);
        std::vector<LabelRecord> records;
        EXPECT_EQ(c.sound ? kRecordSound : IDS_PF_MARKERS_FAILED, DecodeLabels(labels.data(), labels.size(), &records))
            << c.count;
        if (c.sound) {
            EXPECT_EQ(c.count, points.size());
            EXPECT_EQ(c.count, records.size());
        }
        // What a reader takes of such a chunk: everything the count names, or the count only.
        const uint64_t want = CountedChunkBytes(c.count, labels.size(), sizeof(LabelRecord));
        EXPECT_EQ(c.sound ? 4 + c.count * sizeof(LabelRecord) : 4, want) << c.count;
    }
    std::vector<StoredEnvelopePoint> points;
    EXPECT_EQ(IDS_PF_LOAD_FAILED, DecodeEnvelope(nullptr, 0, &points));
    EXPECT_EQ(IDS_PF_LOAD_FAILED, DecodeEnvelope(Bytes(3).data(), 3, &points));
    EXPECT_EQ(2u, CountedChunkBytes(9, 2, sizeof(LabelRecord))) << "a chunk shorter than its count word";
}

TEST(ProjectRecords, CountedChunksWriteBackByteForByte)
{
    const std::vector<StoredEnvelopePoint> points = {{-1, 0.5f}, {300, 1.25f}};
    const Bytes golden = {2,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,
                          0,    0x3F, 0x2C, 0x01, 0,    0,    0,    0,    0,    0,    0,    0,    0xA0, 0x3F};
    const Bytes written = EncodeEnvelope(points);
    EXPECT_EQ(golden, written);
    std::vector<StoredEnvelopePoint> read;
    ASSERT_EQ(kRecordSound, DecodeEnvelope(written.data(), written.size(), &read));
    EXPECT_EQ(written, EncodeEnvelope(read));

    LabelRecord label{};
    label.id = 3;
    label.kind = kLabelSection;
    label.trackId = -1;
    label.start = 10;
    label.end = 20;
    std::strcpy(label.name, "Verse");
    const Bytes labels = EncodeLabels({label, label});
    ASSERT_EQ(4 + 2 * sizeof(LabelRecord), labels.size());
    EXPECT_EQ(2, labels[0]);
    EXPECT_EQ(0, std::memcmp(labels.data() + 4 + sizeof(LabelRecord), &label, sizeof(LabelRecord)));
    std::vector<LabelRecord> records;
    ASSERT_EQ(kRecordSound, DecodeLabels(labels.data(), labels.size(), &records));
    EXPECT_EQ(labels, EncodeLabels(records));
    EXPECT_EQ(4u, EncodeLabels({}).size());
}

TEST(ProjectRecords, FlatHeaderReadsBothVersionsAndRefusesEachDamageWithItsText)
{
    for (bool oldest : {false, true}) {
        const Bytes b = FlatHeaderBytes(oldest);
        FlatHeader header;
        ASSERT_EQ(kRecordSound, DecodeFlatHeader(b.data(), b.size(), &header)) << oldest;
        EXPECT_EQ(oldest, header.oldest);
        EXPECT_EQ(kFlatBlockSize, header.block.size);
        EXPECT_EQ(7u, header.block.timeZoom);
        EXPECT_EQ(22050u, header.rate);
        EXPECT_EQ(16u, header.bits);
        EXPECT_EQ(oldest ? 0 : 1234, header.length);
        EXPECT_STREQ("C:\\clip.avi", header.videoPath);
        EXPECT_EQ(2u, header.markerCount);
        EXPECT_EQ(1400, header.markerOffset);
        EXPECT_EQ(3u, header.trackCount);
        // Cut anywhere, the header is refused as one that cannot be read.
        for (size_t cut : {0, 15, 16, 19, 20, 1015, 1016, 1023, 1300, 1307})
            EXPECT_EQ(IDS_PF_LOAD_FAILED, DecodeFlatHeader(b.data(), cut, &header)) << cut;
    }
    Bytes b = FlatHeaderBytes(false);
    b[5] = 0;
    FlatHeader header;
    EXPECT_EQ(IDS_PF_DIFFERENT_FORMAT, DecodeFlatHeader(b.data(), b.size(), &header));
    EXPECT_EQ(IDS_PF_DIFFERENT_FORMAT, DecodeFlatHeader(b.data(), 16, &header)) << "the signature comes first";
    b = FlatHeaderBytes(false);
    Put<uint32_t>(b, 16, kFlatVersion + 1);
    EXPECT_EQ(IDS_PF_DIFFERENT_VERSION, DecodeFlatHeader(b.data(), b.size(), &header));
    b = FlatHeaderBytes(true);
    Put<uint32_t>(b, 20, kFlatBlockSize);
    EXPECT_EQ(IDS_PF_DIFFERENT_VERSION, DecodeFlatHeader(b.data(), b.size(), &header)) << "an oldest block is 8 longer";
    b = FlatHeaderBytes(false);
    std::memset(b.data() + 1032, 'v', 260);
    ASSERT_EQ(kRecordSound, DecodeFlatHeader(b.data(), b.size(), &header));
    EXPECT_EQ(259u, std::strlen(header.videoPath)) << "the video path ends inside its field";
}

TEST(ProjectRecords, FlatTablesAndTrackHeadersLieInsideTheFile)
{
    EXPECT_EQ(kRecordSound, CheckFlatTrackCount(0, 0));
    EXPECT_EQ(kRecordSound, CheckFlatTrackCount(3, 3 * 44));
    EXPECT_EQ(IDS_PF_LOAD_FAILED, CheckFlatTrackCount(3, 3 * 44 - 1));
    EXPECT_EQ(kRecordTooMany, CheckFlatTrackCount(uint32_t(kMaxStoredTracks) + 1, ~uint64_t(0)));

    Bytes table;
    Put<int64_t>(table, 0, 1332);
    Put<int64_t>(table, 8, -5);
    std::vector<int64_t> offsets;
    EXPECT_EQ(kRecordSound, DecodeFlatOffsets(table.data(), table.size(), 2, &offsets));
    EXPECT_EQ((std::vector<int64_t>{1332, -5}), offsets);
    EXPECT_EQ(IDS_PF_OFFSETS_FAILED, DecodeFlatOffsets(table.data(), 15, 2, &offsets));

    Bytes h;
    Put<uint32_t>(h, 0, 36);
    Put<int64_t>(h, 4, 100);
    Put<int64_t>(h, 12, 7);
    h.resize(36);
    struct Case {
        int64_t offset;
        uint64_t fileSize;
        uint32_t bits;
        size_t size;
        int fault;
    } cases[] = {{1000, 1000 + 36 + 200, 16, 36, kRecordSound},     {1000, 1000 + 36 + 199, 16, 36, IDS_PF_LOAD_FAILED},
                 {1000, 1000 + 36 + 100, 8, 36, kRecordSound},      {1000, 1000 + 36 + 100, 4, 36, IDS_PF_LOAD_FAILED},
                 {-1, 5000, 16, 36, IDS_PF_SEEK_FAILED},            {1000, 5000, 16, 35, IDS_PF_LOAD_FAILED},
                 {INT64_MAX, 5000, 16, 36, IDS_PF_LOAD_FAILED},     {4990, 5000, 8, 36, IDS_PF_LOAD_FAILED}};
    for (const Case& c : cases) {
        FlatTrackHeader header;
        uint64_t bytes = 99;
        EXPECT_EQ(c.fault, DecodeFlatTrackHeader(h.data(), c.size, c.offset, c.fileSize, c.bits, &header, &bytes))
            << c.offset << " " << c.fileSize << " " << c.bits;
        EXPECT_EQ(c.fault == kRecordSound ? 100 * (c.bits / 8) : 0u, bytes);
    }
    Put<uint32_t>(h, 0, 37);
    FlatTrackHeader header;
    uint64_t bytes = 0;
    EXPECT_EQ(IDS_PF_DIFFERENT_VERSION, DecodeFlatTrackHeader(h.data(), 36, 0, 5000, 16, &header, &bytes));

    EXPECT_EQ(kRecordSound, CheckFlatLabels(2, 100, 100 + 2 * 284));
    EXPECT_EQ(IDS_PF_MARKERS_FAILED, CheckFlatLabels(2, 101, 100 + 2 * 284));
    EXPECT_EQ(IDS_PF_MARKERS_FAILED, CheckFlatLabels(1, 9000, 100));
    EXPECT_EQ(IDS_PF_SEEK_FAILED, CheckFlatLabels(1, -1, 100));
    std::vector<LabelRecord> records;
    EXPECT_EQ(IDS_PF_MARKERS_FAILED, DecodeLabelRecords(Bytes(567).data(), 567, 2, &records));
    EXPECT_EQ(kRecordSound, DecodeLabelRecords(Bytes(568).data(), 568, 2, &records));
    EXPECT_EQ(2u, records.size());
}
