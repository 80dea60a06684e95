// What the panes compute without windows: the selection control's texts, the mixer's level
// and peak texts and meter fall, the recording drive's room, the marker list's CSV lines and
// sort, the marker jump target and the take description.
#include <gtest/gtest.h>

#include "DiskSpaceInfo.h"
#include "MarkerJump.h"
#include "MarkerListRows.h"
#include "MixerLevelText.h"
#include "NyControlView.h"
#include "SelectionFieldText.h"
#include "SliderElement.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kHms = 1, kSeconds = 2, kSamples = 8, kTimeCode = 32;

TEST(SelectionFieldText, TypedTimesAndTheirNormalForm)
{
    EXPECT_EQ(164206350, ParseSelectionField("1:2:3.5", kHms, 44100, 30.0));
    EXPECT_EQ("01 : 02 : 03.500", FormatSelectionField(kHms, 44100, 30.0, 164206350));
    EXPECT_EQ(-1, ParseSelectionField("0:60:00", kHms, 44100, 30.0));
    EXPECT_EQ(-1, ParseSelectionField("abc", kSeconds, 44100, 30.0));
    EXPECT_EQ(-1, ParseSelectionField("-5", kSamples, 44100, 30.0));
    EXPECT_EQ(0, ParseSelectionField("1:2:3", kHms, 0, 30.0));
    EXPECT_EQ("", FormatSelectionField(kHms, 0, 30.0, 5));
}

TEST(SelectionFieldText, AlmostAnHourCarriesIntoTheHours)
{
    // 3599.9996 s rounds to a whole hour: it must read as one the parser takes back.
    const int64_t position = 35999996; // at 10000 Hz
    const std::string text = FormatSelectionField(kHms, 10000, 30.0, position);
    EXPECT_EQ("01 : 00 : 00.000", text);
    EXPECT_EQ(36000000, ParseSelectionField(text.c_str(), kHms, 10000, 30.0));
}

TEST(SelectionFieldText, DropFrameTimeCode)
{
    const uint32_t rate = 48000;
    EXPECT_EQ(-1, ParseSelectionField("00 : 01 : 00, 00", kTimeCode, rate, 29.97));
    EXPECT_EQ(-1, ParseSelectionField("00 : 01 : 00, 01", kTimeCode, rate, 29.97));
    const int64_t first = ParseSelectionField("00 : 01 : 00, 02", kTimeCode, rate, 29.97);
    ASSERT_GT(first, 0);
    EXPECT_EQ("00 : 01 : 00, 02", FormatSelectionField(kTimeCode, rate, 29.97, first));
    // Minute 10 keeps its first frames.
    const int64_t tenth = ParseSelectionField("00 : 10 : 00, 00", kTimeCode, rate, 29.97);
    EXPECT_EQ("00 : 10 : 00, 00", FormatSelectionField(kTimeCode, rate, 29.97, tenth));
    // Frame 1799 of minute 0 and the first of minute 1 lie one frame apart.
    const int64_t last = ParseSelectionField("00 : 00 : 59, 29", kTimeCode, rate, 29.97);
    EXPECT_NEAR(double(first - last), rate / 29.97, 1.0);
    // Without drop frame every frame exists.
    const int64_t plain = ParseSelectionField("00 : 01 : 00, 00", kTimeCode, rate, 25.0);
    EXPECT_EQ(60 * 48000, plain);
    EXPECT_EQ("00 : 01 : 00, 00", FormatSelectionField(kTimeCode, rate, 25.0, plain));
}

TEST(MixerLevelText, LevelsTypedValuesAndPeaks)
{
    const struct {
        int level;
        const char* text;
    } cases[] = {{10000, " 0.0"}, {5000, "-6.0"}, {0, "-inf."}, {15000, " 3.5"}, {100, "-40.0"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, LevelText(c.level)) << c.level;
    EXPECT_EQ(5011, LevelFromDbText("-6"));
    EXPECT_EQ(15000, LevelFromDbText("+10"));
    EXPECT_EQ(10000, LevelFromDbText("0"));

    std::string peak = "-inf.";
    EXPECT_TRUE(RaisePeakText(peak, 22640)); // about -3.2 dB
    EXPECT_EQ("-3.2", peak);
    EXPECT_FALSE(RaisePeakText(peak, 1000));
    EXPECT_EQ("-3.2", peak);
    EXPECT_TRUE(RaisePeakText(peak, 32767));
    EXPECT_EQ("0.0", peak);
    EXPECT_FALSE(RaisePeakText(peak, 0));
}

TEST(MixerLevelText, MetersFallAndNeverPassFullScale)
{
    EXPECT_EQ(32767, NextMeterValue(0, -32768));
    EXPECT_EQ(32767, NextMeterValue(0, 32767));
    EXPECT_EQ(30767, NextMeterValue(32767, 100));
    EXPECT_EQ(0, NextMeterValue(1500, 0));
    int meter = 32767;
    int ticks = 0;
    while (meter > 0) {
        meter = NextMeterValue(meter, 0);
        ++ticks;
    }
    EXPECT_EQ(17, ticks);
}

constexpr uint64_t kGB = uint64_t(1) << 30;

TEST(DiskSpace, RoomForARecording)
{
    DiskSpaceInfo ntfs;
    ntfs.freeBytes = 30 * kGB;
    ntfs.ApplyFileSystem("NTFS", uint64_t(1) << 32);
    DiskSpaceInfo fat;
    fat.freeBytes = 30 * kGB;
    fat.ApplyFileSystem("FAT32", uint64_t(1) << 32);
    DiskSpaceInfo small;
    small.freeBytes = 3 * kGB;
    small.ApplyFileSystem("FAT", uint64_t(1) << 32);

    int64_t base = 99;
    EXPECT_EQ(int64_t(10 * kGB), RecordableBytes(ntfs, false, 0, base));
    EXPECT_EQ(0, base);
    EXPECT_EQ(int64_t(4 * kGB), RecordableBytes(fat, false, 0, base));
    EXPECT_EQ(int64_t(1 * kGB), RecordableBytes(small, false, 0, base));

    // Recording: the first call measures, later ones count down from it.
    base = 0;
    const int64_t first = RecordableBytes(fat, true, 0, base);
    EXPECT_EQ(int64_t(4 * kGB), first);
    EXPECT_EQ(first - 1000, RecordableBytes(fat, true, 1000, base));
    // Past the base the room is gone, not a wrapped huge number.
    EXPECT_EQ(0, RecordableBytes(fat, true, first + 5, base));
    base = 0;
    EXPECT_EQ(int64_t((30 * kGB - 2000) / 3), RecordableBytes(ntfs, true, 1000, base));
    EXPECT_EQ(0, RecordableBytes(ntfs, true, int64_t(11 * kGB), base));
}

// A CSV line read back: fields split at commas outside quotes, doubled quotes undone.
std::vector<std::string> ReadCsvLine(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r' && c != '\n') {
            fields.back() += c;
        }
    }
    return fields;
}

TEST(MarkerCsv, FieldsWithCommasReadBackWhole)
{
    const std::vector<std::string> row = {"Intro, take \"2\"", "1", "00 : 00 : 01, 12", "", ""};
    const std::string line = CsvLine(row);
    EXPECT_EQ("\"Intro, take \"\"2\"\"\",1,\"00 : 00 : 01, 12\",,\r\n", line);
    EXPECT_EQ(row, ReadCsvLine(line));
    EXPECT_EQ("plain", CsvField("plain"));
}

MarkerRow Row(int id, const char* name, int track, int64_t start, int64_t end, int kind)
{
    LabelRecord r{};
    r.id = id;
    r.kind = kind;
    r.trackId = track;
    r.start = start;
    r.end = end;
    std::strncpy(r.name, name, sizeof r.name - 1);
    return MarkerRow(r, track);
}

TEST(MarkerSort, ByEachColumn)
{
    std::vector<MarkerRow> rows = {Row(1, "b", 0, 50, 50, kLabelCue), Row(2, "a", -1, 10, 90, kLabelSection),
                                   Row(3, "c", 1, 30, 40, kLabelSection), Row(4, "b\xE9", 1, 20, 20, kLabelCue)};
    auto ids = [&] {
        std::vector<int> out;
        for (const auto& r : rows)
            out.push_back(r.id);
        return out;
    };
    SortMarkerRows(rows, kMarkerColName, false);
    EXPECT_EQ((std::vector<int>{2, 1, 4, 3}), ids()) << "bytes compared unsigned, as strncmp does";
    SortMarkerRows(rows, kMarkerColStart, true);
    EXPECT_EQ((std::vector<int>{1, 3, 4, 2}), ids());
    SortMarkerRows(rows, kMarkerColTrack, false);
    EXPECT_EQ(2, rows[0].id); // all tracks first
    SortMarkerRows(rows, kMarkerColEnd, false);
    EXPECT_EQ((std::vector<int>{1, 4, 3, 2}), ids()) << "a cue has no end";
}

TEST(MarkerJump, TrackEdgesAreStartAndEnd)
{
    const MarkerJumpLabel none;
    // A track from 1 s to 3 s at 1000 Hz in a document of 3 s.
    const std::vector<std::pair<int64_t, int64_t>> tracks = {{1000, 3000}};
    EXPECT_EQ(1000, MarkerJumpTarget(true, 0, none, tracks, 3000));
    EXPECT_EQ(3000, MarkerJumpTarget(true, 1000, none, tracks, 3000));
    EXPECT_EQ(1000, MarkerJumpTarget(false, 2500, none, tracks, 3000));
    EXPECT_EQ(0, MarkerJumpTarget(false, 1000, none, tracks, 3000));
    MarkerJumpLabel section;
    section.found = true;
    section.start = 500;
    section.end = 800;
    EXPECT_EQ(500, MarkerJumpTarget(true, 0, section, tracks, 3000));
    EXPECT_EQ(800, MarkerJumpTarget(true, 600, section, tracks, 3000));
}

TEST(SliderElement, KeysStepAndATrackWithoutLengthHoldsStill)
{
    CSliderElement slider;
    slider.Place(nullptr, 0, 0, 10, 10, 15, 60);
    slider.SetRange(0, 100, 40);
    slider.SetKnob(79, 0, 0, 50);
    EXPECT_TRUE(slider.OnKey(VK_UP, 3));
    EXPECT_EQ(6, slider.GetValue()); // 100 / 50 pixels = 2 a step
    EXPECT_TRUE(slider.OnKey(VK_HOME, 1));
    EXPECT_EQ(40, slider.GetValue());
    EXPECT_FALSE(slider.OnKey('A', 1));
    slider.SetLimits(0, 45);
    slider.OnKey(VK_RIGHT, 10);
    EXPECT_EQ(45, slider.GetValue());
    // Vertical: the top of the track is the maximum.
    slider.ResetLimits();
    EXPECT_EQ(100, slider.ValueFromPoint(0, 10));
    EXPECT_EQ(0, slider.ValueFromPoint(0, 60));

    CSliderElement flat;
    flat.SetRange(0, 100, 50);
    flat.SetKnob(79, 0, 0, 0);
    EXPECT_EQ(0, flat.ValueFromPoint(5, 5));
    EXPECT_EQ(1, flat.KeyStep());
    CSliderElement still;
    still.SetRange(30, 30, 30);
    still.SetKnob(79, 0, 0, 50);
    still.SetValue(30);
    EXPECT_EQ(0, still.KnobCentre().x);
    EXPECT_EQ(50, still.KnobCentre().y); // at the bottom
}

TEST(TakeDescription, LongPathKeepsItsTerminator)
{
    const std::string path(300, 'x');
    const TakeDescription d = MakeTakeDescription(path.c_str(), 7, 44100, 16, 2);
    EXPECT_EQ(0, std::memcmp(d.bytes, "5.00", 5));
    EXPECT_EQ(0, std::memcmp(d.bytes + 64, "R4", 3));
    EXPECT_EQ('x', d.bytes[96 + 126]);
    EXPECT_EQ(0, d.bytes[96 + 127]);
    uint32_t rate = 0;
    std::memcpy(&rate, d.bytes + 488, 4);
    EXPECT_EQ(44100u, rate);
}

} // namespace
