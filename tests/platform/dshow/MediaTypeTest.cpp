#include "MediaType.h"

#include <gtest/gtest.h>

#include <mmreg.h>
#include <uuids.h>

TEST(MediaType, CopiesOwnTheirFormatBlock)
{
    MediaType a;
    ASSERT_EQ(S_OK, MakeAudioMediaType(MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2), a));
    MediaType b = a;
    ASSERT_NE(a.Get().pbFormat, b.Get().pbFormat);
    EXPECT_TRUE(MediaTypesEqual(a.Get(), b.Get()));
    a.Clear();
    ASSERT_NE(nullptr, b.Wave());
    EXPECT_EQ(44100u, b.Wave()->nSamplesPerSec);
    EXPECT_EQ(4, b.Wave()->nBlockAlign);
}

TEST(MediaType, FloatFormatGetsFloatSubtype)
{
    MediaType mt;
    MakeAudioMediaType(MakeWaveFormat(SampleKind::Float, 48000, 32, 6), mt);
    EXPECT_TRUE(mt.Get().subtype == MEDIASUBTYPE_IEEE_FLOAT);
    EXPECT_TRUE(IsUsableAudioType(mt.Get()));
}

TEST(MediaType, UsableAudioTypesAreCheckedForSizeAndEncoding)
{
    struct Case {
        WAVEFORMATEX wf;
        bool usable;
    } cases[] = {
        {MakeWaveFormat(SampleKind::Pcm, 44100, 24, 2), true},
        {MakeWaveFormat(SampleKind::Pcm, 44100, 12, 2), false},
        {MakeWaveFormat(SampleKind::Float, 44100, 16, 2), false},
        {MakeWaveFormat(SampleKind::Pcm, 44100, 16, 0), false},
        {MakeWaveFormat(SampleKind::Pcm, 100, 16, 1), false},
    };
    for (const Case& c : cases) {
        MediaType mt;
        MakeAudioMediaType(c.wf, mt);
        EXPECT_EQ(c.usable, IsUsableAudioType(mt.Get())) << c.wf.wBitsPerSample << " bits";
    }
    WAVEFORMATEX bad = MakeWaveFormat(SampleKind::Pcm, 44100, 16, 2);
    bad.nBlockAlign = 3;
    MediaType mt;
    MakeAudioMediaType(bad, mt);
    EXPECT_FALSE(IsUsableAudioType(mt.Get()));
}

TEST(MediaType, ExtensibleFormatIsReadBySubformat)
{
    WAVEFORMATEXTENSIBLE ext{};
    ext.Format = MakeWaveFormat(SampleKind::Pcm, 48000, 32, 2);
    ext.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    ext.Format.cbSize = 22;
    ext.Samples.wValidBitsPerSample = 32;
    ext.SubFormat = kExtensibleFloat;
    MediaType mt;
    ASSERT_EQ(S_OK, MakeAudioMediaType(ext.Format, mt));
    EXPECT_EQ(sizeof(WAVEFORMATEXTENSIBLE), mt.Get().cbFormat);
    SampleKind kind;
    ASSERT_TRUE(SampleKindOf(*mt.Wave(), kind));
    EXPECT_EQ(SampleKind::Float, kind);
    EXPECT_TRUE(IsUsableAudioType(mt.Get()));
}
