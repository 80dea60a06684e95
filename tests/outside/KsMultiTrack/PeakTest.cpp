// The peak reader: minimum and maximum per point and channel, from peak files or data.
#include "EngineFixture.h"

#include <algorithm>
#include <cmath>

namespace {

// Min/max of frames [first, first + count) of a stereo model, per channel.
std::vector<MtPeakItem> ExpectedPoint(const Frames16& f, size_t first, size_t count, bool withSilence)
{
    std::vector<MtPeakItem> out(2);
    for (int c = 0; c < 2; ++c) {
        LONG lo = withSilence ? 0 : 32767, hi = withSilence ? 0 : -32768;
        for (size_t i = first; i < first + count && i < f.size() / 2; ++i) {
            lo = std::min<LONG>(lo, f[i * 2 + c]);
            hi = std::max<LONG>(hi, f[i * 2 + c]);
        }
        out[c] = MtPeakItem{lo, hi};
    }
    return out;
}

// A peak file in the layout of the stream objects: one record per 1024 frames, per
// channel the minimum then the maximum.
std::vector<MtPeakItem> PeakFileOf(const Frames16& f)
{
    std::vector<MtPeakItem> out;
    for (size_t first = 0; first < f.size() / 2; first += 1024) {
        auto p = ExpectedPoint(f, first, 1024, false);
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

} // namespace

TEST_F(EngineTest, PeaksMatchTheSamplesForEveryPointSizeAndPeakSource)
{
    Frames16 data = Pattern(10000, 2, 5);
    std::vector<MtPeakItem> peaks = PeakFileOf(data);
    WriteFile("good.pk", peaks.data(), peaks.size() * sizeof(MtPeakItem));
    WriteFile("empty.pk", nullptr, 0);
    struct Source {
        const char* name;
        std::string peakPath;
    } sources[] = {{"with peak file", scratch_.File("good.pk")},
                   {"empty peak file", scratch_.File("empty.pk")},
                   {"no peak file", std::string()}};
    int n = 0;
    for (const auto& source : sources) {
        IMtItem* item = MakeItem("peaks" + std::to_string(n++) + ".raw", data.data(), data.size() * 2, 2, 16, 44100,
                                 source.peakPath);
        ComRef<IMtTrack> track;
        ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, track.Out(), -1));
        IMtClip* clip = ClipOf(item);
        ASSERT_EQ(S_OK, track->InsertClip(clip, 500, 0, 0));
        // An edit inside makes the track's points straddle two clips.
        ASSERT_EQ(S_OK, track->DeleteRange(3000, 1500));
        Frames16 model(data.begin(), data.begin() + 2500 * 2);
        model.insert(model.end(), data.begin() + 4000 * 2, data.end());
        for (DWORD spp : {1024u, 300u, 4096u}) {
            ComRef<IMtPeakReader> reader;
            ASSERT_EQ(S_OK, track->CreatePeakReader(reader.Out(), spp, 0));
            ASSERT_EQ(S_OK, reader->Seek(500));
            std::vector<MtPeakItem> got(2 * 100);
            DWORD read = 0;
            ASSERT_EQ(S_OK, reader->Read(got.data(), static_cast<DWORD>(got.size()), &read));
            size_t points = (model.size() / 2 + spp - 1) / spp;
            ASSERT_EQ(points * 2, read) << source.name << " spp " << spp;
            for (size_t p = 0; p < points; ++p) {
                auto want = ExpectedPoint(model, p * spp, spp, false);
                for (int c = 0; c < 2; ++c) {
                    EXPECT_EQ(want[c].minimum, got[p * 2 + c].minimum)
                        << source.name << " spp " << spp << " point " << p;
                    EXPECT_EQ(want[c].maximum, got[p * 2 + c].maximum)
                        << source.name << " spp " << spp << " point " << p;
                }
            }
            EXPECT_EQ(S_OK, reader->End());
        }
        // A point reaching before the track counts the silence there.
        ComRef<IMtPeakReader> early;
        ASSERT_EQ(S_OK, track->CreatePeakReader(early.Out(), 1000, 0));
        ASSERT_EQ(S_OK, early->Seek(0));
        MtPeakItem first[2];
        DWORD read = 0;
        ASSERT_EQ(S_OK, early->Read(first, 2, &read));
        auto want = ExpectedPoint(model, 0, 500, true);
        EXPECT_EQ(want[0].minimum, first[0].minimum);
        EXPECT_EQ(want[1].maximum, first[1].maximum);
        clip->Release();
        item->Release();
    }
}

// Tracks that start off the peak blocks, read at every zoom from two places: each point
// equals the minimum and maximum of its samples exactly, however its ends cut the peak blocks
// and their finer blocks, with and without a peak file, across an edit, for a mono item on a
// stereo track and for float samples (peak value: the sample x 32767, cut toward zero).
TEST_F(EngineTest, PeaksMatchTheSamplesAtEveryStartOffsetAndZoom)
{
    const size_t frames = 70000;
    Frames16 stereo = Pattern(frames, 2, 4), mono = Pattern(frames, 1, 6);
    std::vector<MtPeakItem> peaks = PeakFileOf(stereo);
    WriteFile("offsets.pk", peaks.data(), peaks.size() * sizeof(MtPeakItem));
    struct Source {
        const char* name;
        const Frames16* data;
        WORD channels;
        WORD bits;
        std::string peakPath;
    } sources[] = {{"stereo with peak file", &stereo, 2, 16, scratch_.File("offsets.pk")},
                   {"stereo without peak file", &stereo, 2, 16, std::string()},
                   {"mono on a stereo track", &mono, 1, 16, std::string()},
                   {"float stereo", &stereo, 2, 32, std::string()}};
    const LONGLONG offsets[] = {1, 63, 65, 777, 1023, 1025, 4096 + 65};
    const DWORD zooms[] = {1, 3, 64, 100, 1000, 1024, 1500, 4096, 16384, 65536};
    int n = 0;
    for (const Source& source : sources) {
        std::vector<float> floats;
        Frames16 values = *source.data;
        for (int16_t& v : values) {
            floats.push_back(v / 32768.0f);
            if (source.bits == 32)
                v = static_cast<int16_t>(floats.back() * 32767.0f);
        }
        const void* bytes = source.bits == 32 ? static_cast<const void*>(floats.data()) : source.data->data();
        IMtItem* item = MakeItem("offsets" + std::to_string(n++) + ".raw", bytes, values.size() * source.bits / 8,
                                 source.channels, source.bits, 44100, source.peakPath);
        IMtClip* clip = ClipOf(item);
        for (LONGLONG offset : offsets) {
            ComRef<IMtTrack> track;
            ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, track.Out(), -1));
            ASSERT_EQ(S_OK, track->InsertClip(clip, offset, 0, 0));
            // The second piece starts at item frame 31000: its blocks lie elsewhere again.
            ASSERT_EQ(S_OK, track->DeleteRange(offset + 30001, 999));
            // The time line from 0 as stereo frames: silence before the track.
            Frames16 line(static_cast<size_t>(offset) * 2, 0);
            for (size_t f = 0; f < frames; ++f) {
                if (f > 30000 && f < 31000)
                    continue;
                for (int c = 0; c < 2; ++c)
                    line.push_back(values[f * source.channels + (source.channels == 2 ? c : 0)]);
            }
            const size_t end = line.size() / 2;
            for (DWORD spp : zooms) {
                for (LONGLONG from : {LONGLONG(0), offset + 12345}) {
                    ComRef<IMtPeakReader> reader;
                    ASSERT_EQ(S_OK, track->CreatePeakReader(reader.Out(), spp, 0));
                    ASSERT_EQ(S_OK, reader->Seek(from));
                    std::vector<MtPeakItem> got(2 * 300);
                    DWORD read = 0;
                    ASSERT_EQ(S_OK, reader->Read(got.data(), static_cast<DWORD>(got.size()), &read));
                    const size_t points = std::min<size_t>(300, (end - size_t(from) + spp - 1) / spp);
                    ASSERT_EQ(points * 2, read) << source.name << " offset " << offset << " spp " << spp;
                    std::string wrong;
                    for (size_t p = 0; p < points && wrong.empty(); ++p) {
                        auto want = ExpectedPoint(line, size_t(from) + p * spp, spp, false);
                        for (int c = 0; c < 2; ++c)
                            if (want[c].minimum != got[p * 2 + c].minimum || want[c].maximum != got[p * 2 + c].maximum)
                                wrong = "point " + std::to_string(p) + " channel " + std::to_string(c) + ": " +
                                        std::to_string(got[p * 2 + c].minimum) + "/" +
                                        std::to_string(got[p * 2 + c].maximum) + " for " +
                                        std::to_string(want[c].minimum) + "/" + std::to_string(want[c].maximum);
                    }
                    EXPECT_EQ("", wrong) << source.name << " offset " << offset << " spp " << spp << " from " << from;
                }
            }
        }
        clip->Release();
        item->Release();
    }
}

TEST_F(EngineTest, WholeBlocksComeFromThePeakFile)
{
    Frames16 data = Pattern(4096, 2, 8);
    // A peak file whose records are plainly not the samples': the reader must deliver them.
    std::vector<MtPeakItem> marks(4 * 2);
    for (size_t i = 0; i < marks.size(); ++i)
        marks[i] = MtPeakItem{-static_cast<LONG>(i) - 1, static_cast<LONG>(i) + 1};
    WriteFile("marks.pk", marks.data(), marks.size() * sizeof(MtPeakItem));
    IMtItem* item = MakeItem("marks.raw", data.data(), data.size() * 2, 2, 16, 44100, scratch_.File("marks.pk"));
    ComRef<IMtTrack> track;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, track.Out(), -1));
    IMtClip* clip = ClipOf(item);
    ASSERT_EQ(S_OK, track->InsertClip(clip, 0, 0, 0));
    ComRef<IMtPeakReader> reader;
    ASSERT_EQ(S_OK, track->CreatePeakReader(reader.Out(), 2048, 0));
    MtPeakItem got[4];
    DWORD read = 0;
    ASSERT_EQ(S_OK, reader->Read(got, 4, &read));
    ASSERT_EQ(4u, read);
    // Point 0 joins blocks 0 and 1, point 1 blocks 2 and 3.
    EXPECT_EQ(-3, got[0].minimum);
    EXPECT_EQ(3, got[0].maximum);
    EXPECT_EQ(-8, got[3].minimum);
    EXPECT_EQ(8, got[3].maximum);
    clip->Release();
    item->Release();
}

// Peaks come out in the document's units whatever the width of the items behind them, and a
// peak file holds the units of its item's bits.
TEST_F(EngineTest, PeaksAreInTheDocumentsUnitsForEveryWidth)
{
    struct Case {
        const char* what;
        WORD documentBits;
        WORD itemBits;
        double value;      // full scale 1.0
        bool withPeakFile; // a peak file in the item's units, values value x its full scale
        LONG expectedPeak; // maximum of the one point
    };
    const Case cases[] = {
        {"16-bit document, 8-bit item", 16, 8, 0.5, false, 16384},
        {"8-bit document, 16-bit item", 8, 16, 0.5, false, 64},
        {"8-bit document, 8-bit item", 8, 8, 0.5, false, 64},
        {"24-bit document, 24-bit item", 24, 24, 0.5, false, 16383 * 256},
        {"20-bit document, 20-bit item", 20, 20, 0.5, false, 16383 * 16},
        {"32-bit document, 32-bit item", 32, 32, 0.5, false, 16383},
        {"8-bit document, 8-bit peak file", 8, 8, 0.5, true, 64},
        {"24-bit document, 24-bit peak file", 24, 24, 0.5, true, 4194304},
        {"16-bit document, 24-bit peak file", 16, 24, 0.5, true, 16384},
    };
    int n = 0;
    for (const Case& c : cases) {
        ASSERT_EQ(S_OK, set_->SetFormat(c.documentBits, 44100)) << c.what;
        const size_t frames = 1024;
        std::vector<uint8_t> bytes;
        for (size_t f = 0; f < frames; ++f) {
            double v = f == 100 ? c.value : 0.0;
            if (c.itemBits == 8) {
                bytes.push_back(static_cast<uint8_t>(128 + v * 128));
            } else if (c.itemBits == 16) {
                int16_t s = static_cast<int16_t>(v * 32768);
                bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&s), reinterpret_cast<uint8_t*>(&s) + 2);
            } else {
                float s = static_cast<float>(v);
                bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&s), reinterpret_cast<uint8_t*>(&s) + 4);
            }
        }
        std::string peakPath;
        if (c.withPeakFile) {
            const double fullScale = c.itemBits == 8    ? 128
                                     : c.itemBits == 24 ? 8388608
                                     : c.itemBits == 20 ? 524288
                                                        : 32768;
            MtPeakItem record{0, static_cast<LONG>(c.value * fullScale)};
            peakPath = scratch_.File("width" + std::to_string(n) + ".pk");
            WriteFile("width" + std::to_string(n) + ".pk", &record, sizeof(record));
        }
        IMtItem* item = MakeItem("width" + std::to_string(n++) + ".raw", bytes.data(), bytes.size(), 1, c.itemBits,
                                 44100, peakPath);
        ASSERT_NE(nullptr, item) << c.what;
        ComRef<IMtTrack> track;
        ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
        IMtClip* clip = ClipOf(item);
        ASSERT_EQ(S_OK, track->InsertClip(clip, 0, 0, 0));
        ComRef<IMtPeakReader> reader;
        ASSERT_EQ(S_OK, track->CreatePeakReader(reader.Out(), 1024, 0));
        MtPeakItem got{-1, -1};
        DWORD read = 0;
        ASSERT_EQ(S_OK, reader->Read(&got, 1, &read));
        ASSERT_EQ(1u, read) << c.what;
        EXPECT_EQ(0, got.minimum) << c.what;
        EXPECT_EQ(c.expectedPeak, got.maximum) << c.what;
        clip->Release();
        item->Release();
    }
}

// Samples that are not numbers count as silence: every peak stays in the 16-bit units,
// whether it comes from block peaks or from the samples themselves.
TEST_F(EngineTest, SamplesThatAreNotNumbersGivePeaksInRange)
{
    ASSERT_EQ(S_OK, set_->SetFormat(32, 44100));
    std::vector<float> data(2048, NAN); // block 0 nothing but NaN
    data[1024 + 10] = 0.5f;             // block 1 one sound sample among them
    IMtItem* item = MakeItem("nan.raw", data.data(), data.size() * 4, 1, 32, 44100);
    ASSERT_NE(nullptr, item);
    ComRef<IMtTrack> track;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 1, track.Out(), -1));
    IMtClip* clip = ClipOf(item);
    ASSERT_EQ(S_OK, track->InsertClip(clip, 0, 0, 0));
    for (DWORD perPoint : {1024u, 100u, 2048u}) {
        ComRef<IMtPeakReader> reader;
        ASSERT_EQ(S_OK, track->CreatePeakReader(reader.Out(), perPoint, 0));
        std::vector<MtPeakItem> got(64);
        DWORD read = 0;
        ASSERT_EQ(S_OK, reader->Read(got.data(), static_cast<DWORD>(got.size()), &read));
        ASSERT_EQ((2048 + perPoint - 1) / perPoint, read) << perPoint;
        got.resize(read);
        EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](const MtPeakItem& p) {
            return -32768 <= p.minimum && p.minimum <= p.maximum && p.maximum <= 32767;
        })) << perPoint;
        LONG highest = -32768;
        for (const MtPeakItem& p : got)
            highest = std::max(highest, p.maximum);
        EXPECT_EQ(16383, highest) << perPoint;
        if (perPoint <= 1024) {
            EXPECT_EQ(0, got[0].maximum) << perPoint; // the first point holds NaN only
        }
    }
    clip->Release();
    item->Release();
}

// A peak file of the right size whose records put the minimum above the maximum is no peak
// file of this sound: the peaks come from the samples instead.
TEST_F(EngineTest, PeakFileWithMinimumAboveMaximumIsNotBelieved)
{
    Frames16 data = Pattern(2048, 2, 3);
    std::vector<MtPeakItem> peaks = PeakFileOf(data);
    std::vector<MtPeakItem> reversed = peaks;
    reversed[3] = MtPeakItem{peaks[3].maximum, peaks[3].minimum};
    WriteFile("reversed.pk", reversed.data(), reversed.size() * sizeof(MtPeakItem));
    IMtItem* item = MakeItem("reversed.raw", data.data(), data.size() * 2, 2, 16, 44100, scratch_.File("reversed.pk"));
    ComRef<IMtTrack> track;
    ASSERT_EQ(S_OK, set_->InsertTrack(0, 2, track.Out(), -1));
    IMtClip* clip = ClipOf(item);
    ASSERT_EQ(S_OK, track->InsertClip(clip, 0, 0, 0));
    ComRef<IMtPeakReader> reader;
    ASSERT_EQ(S_OK, track->CreatePeakReader(reader.Out(), 1024, 0));
    std::vector<MtPeakItem> got(peaks.size());
    DWORD read = 0;
    ASSERT_EQ(S_OK, reader->Read(got.data(), static_cast<DWORD>(got.size()), &read));
    ASSERT_EQ(peaks.size(), read);
    for (size_t i = 0; i < peaks.size(); ++i) {
        EXPECT_EQ(peaks[i].minimum, got[i].minimum) << i;
        EXPECT_EQ(peaks[i].maximum, got[i].maximum) << i;
    }
    clip->Release();
    item->Release();
}
