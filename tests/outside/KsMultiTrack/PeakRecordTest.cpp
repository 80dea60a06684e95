// The peak file's reader on bytes: taken only when exactly the item's size and every record
// is a peak of some sound, scaled as the engine holds it (natively too).
#include "PeakRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> PeakBytes(const std::vector<StoredPeak>& peaks)
{
    std::vector<uint8_t> bytes(peaks.size() * sizeof(StoredPeak));
    std::memcpy(bytes.data(), peaks.data(), bytes.size());
    return bytes;
}

MtFormat Format(WORD bits, WORD channels)
{
    MtFormat f;
    f.bits = bits;
    f.channels = channels;
    return f;
}

} // namespace

TEST(PeakRecord, FileSizeIsOneRecordPerChannelOfEachStartedBlock)
{
    struct Case {
        int64_t frames;
        WORD channels;
        int64_t bytes;
    } cases[] = {{0, 2, 0},   {-5, 2, 0},   {1, 1, 8},       {1024, 1, 8},   {1025, 1, 16},
                 {2048, 6, 96}, {INT64_MAX, 6, 6 * 8 * (INT64_MAX / 1024 + 1)}};
    for (const Case& c : cases)
        EXPECT_EQ(c.bytes, PeakFileBytes(c.frames, Format(16, c.channels))) << c.frames;
    EXPECT_EQ(-1, PeakFileBytes(INT64_MAX, Format(16, 0xFFFF))) << "a size past 63 bits";
}

TEST(PeakRecord, OnlyAWholeFileOfPeaksIsTakenAndScaledToTheBits)
{
    const std::vector<StoredPeak> stereo = {{-100, 200}, {0, 0}, {-32768, 32767}, {5, 5}};
    std::vector<StoredPeak> read;
    std::vector<uint8_t> bytes = PeakBytes(stereo);
    ASSERT_TRUE(DecodePeakFile(bytes.data(), bytes.size(), 2000, Format(16, 2), &read));
    ASSERT_EQ(4u, read.size());
    EXPECT_EQ(-100, read[0].minimum);
    EXPECT_EQ(32767, read[2].maximum);

    ASSERT_TRUE(DecodePeakFile(bytes.data(), bytes.size(), 2000, Format(8, 2), &read));
    EXPECT_EQ(-100 * 256, read[0].minimum) << "8-bit peaks are held at the 16-bit scale";

    read.clear();
    EXPECT_FALSE(DecodePeakFile(bytes.data(), bytes.size() - 1, 2000, Format(16, 2), &read)) << "cut short";
    EXPECT_FALSE(DecodePeakFile(bytes.data(), bytes.size(), 3000, Format(16, 2), &read)) << "of another length";
    EXPECT_FALSE(DecodePeakFile(bytes.data(), bytes.size(), 2000, Format(16, 1), &read)) << "of another width";
    EXPECT_FALSE(DecodePeakFile(nullptr, 0, 0, Format(16, 1), &read)) << "no frames, no peaks";
    std::vector<StoredPeak> upside = stereo;
    upside[3] = {6, 5};
    bytes = PeakBytes(upside);
    EXPECT_FALSE(DecodePeakFile(bytes.data(), bytes.size(), 2000, Format(16, 2), &read)) << "a minimum above its maximum";
    EXPECT_TRUE(read.empty());
}
