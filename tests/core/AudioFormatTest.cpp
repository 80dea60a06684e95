#include <gtest/gtest.h>

#include "AudioFormat.h"
#include "WaveFormat.h"

#include <cstring>
#include <string>

TEST(AudioFormat, DerivesBlockAlignFromBitsAndChannels)
{
    struct Case {
        uint32_t bits, channels, blockAlign;
    } cases[] = {{20, 2, 6}, {12, 1, 2}, {64, 2, 16}, {8, 6, 6}, {32, 2, 8}, {24, 1, 3}};
    for (const Case& c : cases) {
        AudioFormat f;
        f.Set(48000, c.bits, c.channels);
        EXPECT_EQ(c.blockAlign, f.blockAlign) << c.bits << " bits " << c.channels << " channels";
    }
    AudioFormat d;
    EXPECT_EQ(44100u, d.samplesPerSec);
    EXPECT_EQ(16u, d.bitsPerSample);
    EXPECT_EQ(2u, d.blockAlign);
    EXPECT_EQ(1u, d.channels);
}

TEST(AudioFormat, ConvertsBetweenTimeFramesAndBytes)
{
    AudioFormat f;
    EXPECT_EQ(10000000, f.FramesToTime(44100));
    EXPECT_EQ(44100, f.TimeToFrames(10000000));
    EXPECT_EQ(-44100, f.TimeToFrames(-10000000));
    EXPECT_EQ(22, f.TimeToFrames(5000)); // 22.05 truncated
    f.Set(48000, 24, 2);
    EXPECT_EQ(6000u, f.FramesToBytes(1000));
    EXPECT_EQ(1000u, f.BytesToFrames(6005));
    EXPECT_EQ(int64_t(6) << 32, f.FramesToBytes64(int64_t(1) << 32));
    EXPECT_EQ(int64_t(1) << 32, f.BytesToFrames64(int64_t(6) << 32));
    // Half an hour at 192 kHz does not overflow the 100-ns arithmetic.
    f.Set(192000, 24, 2);
    EXPECT_EQ(int64_t(18000000000), f.FramesToTime(int64_t(192000) * 1800));

    AudioFormat zero;
    zero.Set(0, 0, 0);
    EXPECT_EQ(0, zero.FramesToTime(44100));
    EXPECT_EQ(0u, zero.BytesToFrames(100));
    EXPECT_EQ(0, zero.BytesToFrames64(100));
}

TEST(WaveFormat, ConstructorChoosesPlainOrExtensibleIntegerOrFloat)
{
    struct Case {
        uint32_t rate, bits, channels;
        uint16_t tag, effectiveTag, blockAlign;
        uint32_t mask;
    } cases[] = {
        {48000, 24, 2, kWaveTagPcm, kWaveTagPcm, 6, 0},
        {48000, 32, 2, kWaveTagFloat, kWaveTagFloat, 8, 0},
        {48000, 16, 6, kWaveTagExtensible, kWaveTagPcm, 12, 0x3F},
        {44100, 16, 8, kWaveTagExtensible, kWaveTagPcm, 16, 0x63F},
        {44100, 32, 6, kWaveTagExtensible, kWaveTagFloat, 24, 0x3F},
        {22050, 8, 1, kWaveTagPcm, kWaveTagPcm, 1, 0},
    };
    for (const Case& c : cases) {
        WaveFormat f(c.rate, c.bits, c.channels);
        SCOPED_TRACE(testing::Message() << c.bits << " bits " << c.channels << " channels");
        EXPECT_EQ(c.tag, f.formatTag);
        EXPECT_EQ(c.effectiveTag, f.GetEffectiveTag());
        EXPECT_EQ(c.rate, f.samplesPerSec);
        EXPECT_EQ(c.channels, f.channels);
        EXPECT_EQ(c.blockAlign, f.blockAlign);
        EXPECT_EQ(c.blockAlign * c.rate, f.avgBytesPerSec);
        if (c.mask) {
            EXPECT_EQ(c.mask, f.channelMask);
            EXPECT_EQ(22, f.extensionSize);
            EXPECT_EQ(40u, f.GetSize());
        } else {
            EXPECT_EQ(0, f.extensionSize);
        }
    }
}

TEST(WaveFormat, ExtensiblePcmRoundsContainerOnlyWhenValidBitsAreOmitted)
{
    WaveFormat f;
    ASSERT_EQ(1, f.InitExtensiblePcm(48000, 20, 2, 0, 0));
    EXPECT_EQ(24, f.bitsPerSample);
    EXPECT_EQ(20, f.validBitsPerSample);
    EXPECT_EQ(6, f.blockAlign);
    EXPECT_EQ(0x3u, f.channelMask);
    EXPECT_TRUE(f.subFormat == kSubFormatPcm);

    WaveFormat before = f;
    EXPECT_EQ(0, f.InitExtensiblePcm(48000, 20, 2, 24, 0));
    EXPECT_EQ(0, std::memcmp(&before, &f, sizeof f)) << "a refused change leaves the format as it was";

    ASSERT_EQ(1, f.InitExtensiblePcm(48000, 24, 2, 20, 0));
    EXPECT_EQ(24, f.bitsPerSample);
    EXPECT_EQ(20, f.validBitsPerSample);
    EXPECT_EQ(0, f.InitExtensibleFloat(48000, 32, 2, 33, 0));
}

TEST(WaveFormat, DefaultMasksAndSpeakerTable)
{
    const uint32_t expected[] = {0x80000000, 0x1, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x13F, 0x63F, 0x80000000};
    for (uint32_t n = 0; n < 10; ++n)
        EXPECT_EQ(expected[n], DefaultChannelMask(n)) << n;
    WaveFormat f;
    f.InitExtensiblePcm(48000, 16, 7, 0, 0);
    EXPECT_EQ(0x13Fu, f.channelMask);
    f.InitExtensiblePcm(48000, 16, 9, 0, 0);
    EXPECT_EQ(0x80000000u, f.channelMask);

    const uint32_t table[] = {1, 3, 7, 19, 15, 23, 27, 51, 31, 55, 59, 63};
    for (size_t i = 0; i < kSpeakerMaskCount; ++i)
        EXPECT_EQ(table[i], kSpeakerMasks[i]);
    uint8_t map[6] = {9, 9, 9, 9, 9, 9};
    SetDefaultChannelMap(map);
    for (uint8_t i = 0; i < 6; ++i)
        EXPECT_EQ(i, map[i]);
}

TEST(WaveFormat, AssignCopiesOnlyWhatTheSourceTagHolds)
{
    WaveFormat source;
    source.InitExtensiblePcm(96000, 24, 6, 20, 0);
    WaveFormat target;
    std::memset(static_cast<void*>(&target), 0xCD, sizeof target);
    target.Assign(source);
    EXPECT_EQ(0, std::memcmp(&source, &target, 40));

    WaveFormat pcm(44100, 16, 2);
    std::memset(static_cast<void*>(&target), 0xCD, sizeof target);
    target.Assign(pcm);
    EXPECT_EQ(0, std::memcmp(&pcm, &target, 16));
    EXPECT_EQ(0xCDCD, target.extensionSize);

    WaveFormat fl(44100, 32, 2);
    std::memset(static_cast<void*>(&target), 0xCD, sizeof target);
    target.Assign(fl);
    EXPECT_EQ(0, std::memcmp(&fl, &target, 18));
    EXPECT_EQ(0xCDCD, target.validBitsPerSample);
    EXPECT_EQ(16u, pcm.GetSize());
    EXPECT_EQ(18u, fl.GetSize());
}

TEST(WaveFormat, ForeignSubFormatIsNeitherPcmNorFloatAndRefusesChanges)
{
    WaveFormat f;
    f.InitExtensiblePcm(48000, 16, 2, 0, 0);
    f.subFormat.data2 = 0x1234; // no longer tag-based
    WaveFormat before = f;
    EXPECT_FALSE(f.HasTagSubFormat());
    EXPECT_EQ(0, f.GetSubFormatTag());
    EXPECT_FALSE(f.IsPcmOrFloat());
    EXPECT_EQ(0, f.ChangeFormat(44100, 0, 0));
    EXPECT_EQ(0, f.ToPcm(16));
    EXPECT_EQ(0, f.ToFloat(32));
    EXPECT_EQ(0, std::memcmp(&before, &f, sizeof f));

    WaveFormat plain(48000, 16, 2);
    plain.subFormat = kSubFormatFloat; // ignored outside the extensible form
    EXPECT_TRUE(plain.IsPcm());
}

TEST(WaveFormat, ChangeFormatKeepsKindAndForm)
{
    WaveFormat f(48000, 32, 2);
    EXPECT_EQ(1, f.ChangeFormat(96000, 0, 1));
    EXPECT_TRUE(f.IsFloat());
    EXPECT_EQ(96000u, f.samplesPerSec);
    EXPECT_EQ(1, f.channels);
    EXPECT_EQ(32, f.bitsPerSample);
    EXPECT_EQ(1, f.ChangeFormat(0, 64, 0));
    EXPECT_EQ(8, f.blockAlign);
    EXPECT_EQ(0, f.ChangeFormat(0, 24, 0)) << "plain float has no 24-bit form";

    WaveFormat e;
    e.InitExtensiblePcm(48000, 24, 4, 20, 0x0F);
    EXPECT_EQ(1, e.ChangeFormat(44100, 0, 0));
    EXPECT_EQ(20, e.validBitsPerSample) << "valid bits kept when bits are not given";
    EXPECT_EQ(0x0Fu, e.channelMask) << "mask kept when channels are not given";
    EXPECT_EQ(1, e.ChangeFormat(0, 0, 6));
    EXPECT_EQ(0x3Fu, e.channelMask);
    EXPECT_EQ(1, e.ChangeFormat(0, 16, 0));
    EXPECT_EQ(16, e.validBitsPerSample);
}

TEST(WaveFormat, SetSampleFormatMovesBetweenIntegerAndFloatByDepth)
{
    WaveFormat f(48000, 16, 2);
    f.SetSampleFormat(0, 32, 0);
    EXPECT_EQ(kWaveTagFloat, f.formatTag);
    f.SetSampleFormat(0, 24, 0);
    EXPECT_EQ(kWaveTagPcm, f.formatTag);
    EXPECT_EQ(24, f.bitsPerSample);
    EXPECT_EQ(6, f.blockAlign);

    WaveFormat e(48000, 24, 6);
    EXPECT_EQ(kWaveTagExtensible, e.formatTag);
    e.SetSampleFormat(0, 32, 0);
    EXPECT_EQ(kWaveTagExtensible, e.formatTag);
    EXPECT_TRUE(e.IsFloat());
    EXPECT_EQ(24, e.blockAlign);
    e.SetSampleFormat(0, 16, 0);
    EXPECT_TRUE(e.IsPcm());
    EXPECT_EQ(12, e.blockAlign);
    EXPECT_EQ(0x3Fu, e.channelMask);
}

// Every change of depth also applies the rate and channels asked for, whichever kind and form
// the format starts from; a depth of 0 keeps the current one, like ChangeFormat.
TEST(WaveFormat, SetSampleFormatAppliesRateAndChannelsAcrossEveryKindChange)
{
    struct Case {
        uint32_t startBits, startChannels; // from WaveFormat(44100, bits, channels)
        uint32_t rate, bits, channels;     // SetSampleFormat arguments
        uint16_t tag;                      // effective tag afterwards
        uint16_t wantBits, wantChannels, wantAlign;
        uint32_t wantRate;
    };
    const Case cases[] = {
        {32, 1, 48000, 16, 2, kWaveTagPcm, 16, 2, 4, 48000}, // plain float -> integer
        {32, 2, 96000, 24, 1, kWaveTagPcm, 24, 1, 3, 96000},
        {64, 2, 22050, 8, 1, kWaveTagPcm, 8, 1, 1, 22050},
        {16, 1, 48000, 32, 2, kWaveTagFloat, 32, 2, 8, 48000}, // plain integer -> float
        {16, 2, 48000, 64, 1, kWaveTagFloat, 64, 1, 8, 48000},
        {32, 6, 48000, 16, 4, kWaveTagPcm, 16, 4, 8, 48000},    // extensible float -> integer
        {16, 6, 48000, 32, 3, kWaveTagFloat, 32, 3, 12, 48000}, // extensible integer -> float
        {32, 2, 48000, 0, 1, kWaveTagFloat, 32, 1, 4, 48000},   // depth kept
        {16, 2, 48000, 0, 1, kWaveTagPcm, 16, 1, 2, 48000},
        {32, 6, 48000, 0, 0, kWaveTagFloat, 32, 6, 24, 48000},
    };
    for (const Case& c : cases) {
        WaveFormat f(44100, c.startBits, c.startChannels);
        EXPECT_EQ(1, f.SetSampleFormat(c.rate, c.bits, c.channels));
        const std::string where = std::to_string(c.startBits) + "/" + std::to_string(c.startChannels) + " -> " +
                                  std::to_string(c.bits) + "/" + std::to_string(c.channels);
        EXPECT_EQ(c.tag, f.GetEffectiveTag()) << where;
        EXPECT_EQ(c.wantBits, f.bitsPerSample) << where;
        EXPECT_EQ(c.wantChannels, f.channels) << where;
        EXPECT_EQ(c.wantRate, f.samplesPerSec) << where;
        EXPECT_EQ(c.wantAlign, f.blockAlign) << where;
        EXPECT_EQ(c.wantAlign * c.wantRate, f.avgBytesPerSec) << where;
    }
}
