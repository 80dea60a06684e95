// The records of the track, mixing, resample and envelope snapshot commands byte for byte,
// each loaded back and saved again unchanged; the parts records hold (a track's properties, a
// recording's take) byte for byte.
#include "TrackCommandFixture.h"

#include "ChangeCutoffFreqParamCommand.h"
#include "ChangeMasterVolumeCommand.h"
#include "ChangeMixingParamCommand.h"
#include "CopyTrackCommand.h"
#include "CrossfadeCommand.h"
#include "DeleteTrackCommand.h"
#include "FadeInOutCommand.h"
#include "FileCommands.h"
#include "MoveTrackCommand.h"
#include "OffsetTrackCommand.h"
#include "RemoveTrackCommand.h"
#include "ResampleCommand.h"
#include "SelectionGroupCommand.h"
#include "TrackCommands.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

using namespace kvtest;

namespace {

template <class T, class... A>
ComRef<IEditCommand> Make(A... args)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<T>(args...));
}

ComRef<IEditCommand> Done(ComRef<IEditCommand> command)
{
    EXPECT_EQ(command->Do(), S_OK);
    return command;
}

Bytes Point(int64_t distance, float value)
{
    Bytes point = Le64(uint64_t(distance));
    Append(point, LeFloat(value));
    Append(point, Zeros(4));
    return point;
}

} // namespace

TEST_F(TrackCommandTest, RecordsByteForByte)
{
    CNyMultiTrackDoc* doc = Build({1, 1, 1, 1, 1}, {100, 100, 100, 100, 100});
    IMtEnvelope* volume1 = Volume(doc, 1);
    ASSERT_EQ(volume1->InsertPoint(10, 1.0f), S_OK);
    ASSERT_EQ(volume1->InsertPoint(30, 0.5f), S_OK);
    ASSERT_EQ(volume1->InsertPoint(70, 0.0f), S_OK);
    ASSERT_EQ(doc->SetSelectionRange(20, 80, FALSE), S_OK);
    CommandDocument* d = doc;

    struct Case {
        const char* label;
        std::function<ComRef<IEditCommand>()> make;
        Bytes record;
    };
    const Case cases[] = {
        {"copytrack", [&] { return Make<CopyTrackCommand>("Copy Track", d, 0, 2); },
         Record(524, "copytrack", "Copy Track", {Zeros(2), Le32(0), Le32(2), Zeros(256)})},
        {"deletetrack", [&] { return Make<DeleteTrackCommand>("Delete Track", d, 3); },
         Record(264, "deletetrack", "Delete Track", {Zeros(2), Le32(3)})},
        {"movetrack after Do holds the final index",
         [&] {
             ComRef<IEditCommand> c = Done(Make<MoveTrackCommand>("Move Track", d, 1, 4));
             EXPECT_EQ(c->Undo(), S_OK);
             return c;
         },
         Record(268, "movetrack", "Move Track", {Zeros(2), Le32(1), Le32(3)})},
        {"offsettrack", [&] { return Make<OffsetTrackCommand>("Offset", d, 2, int64_t(0x123456789)); },
         Record(272, "offsettrack", "Offset", {Zeros(2), Le32(2), Le64(0x123456789)})},
        {"changemixingparam", [&] { return Make<ChangeMixingParamCommand>("Pan", d, 4, 1, 0.5f, -0.25f); },
         Record(276, "changemixingparam", "Pan", {Zeros(2), Le32(4), Le32(1), LeFloat(0.5f), LeFloat(-0.25f)})},
        {"changecutofffreqparam as the registry makes it", [&] { return Make<ChangeCutoffFreqParamCommand>(); },
         Record(280, "changecutofffreqparam", "", {Zeros(2), Le32(uint32_t(-1)), Le32(0), Le32(0), Le32(1), Le32(1)})},
        {"changemastervolume", [&] { return Make<ChangeMasterVolumeCommand>("Master Volume", d, 5000, 10000); },
         Record(268, "changemastervolume", "Master Volume", {Zeros(2), Le32(5000), Le32(10000)})},
        {"resample keeps only the target rate and bits",
         [&] { return Make<ResampleCommand>("Sample Type", d, WORD(24), DWORD(22050)); },
         Record(276, "resample", "Sample Type", {Zeros(4), Le32(22050), Zeros(6), Bytes{24, 0}, Zeros(2)})},
        {"removetrack of tracks 1 and 3",
         [&] {
             Select(doc, {1, 3});
             ComRef<IEditCommand> c = Done(Make<RemoveTrackCommand>("Remove", d));
             EXPECT_EQ(c->Undo(), S_OK);
             return c;
         },
         Record(272, "removetrack", "Remove", {Zeros(2), Le32(2), Le32(1), Le32(3)})},
        {"removetrack without tracks keeps one zero slot", [&] { return Make<RemoveTrackCommand>(); },
         Record(268, "removetrack", "", {Zeros(2), Le32(0), Zeros(4)})},
        {"crossfade of a three-point curve is 320 bytes", [&] { return Done(Make<CrossfadeCommand>(nullptr, d, 1)); },
         Record(320, "crossfade", "",
                {Zeros(2), Le32(1), Le32(3), Zeros(4), Point(10, 1.0f), Point(20, 0.5f), Point(40, 0.0f)})},
        {"fadeinout of a flat curve has one zero slot", [&] { return Done(Make<FadeInOutCommand>(nullptr, d, 0)); },
         Record(288, "fadeinout", "", {Zeros(2), Le32(0), Le32(0), Zeros(4), Zeros(16)})},
    };
    for (const Case& c : cases) {
        ComRef<IEditCommand> command = c.make();
        ASSERT_TRUE(command) << c.label;
        Bytes chunk = Saved(command.Get());
        EXPECT_EQ(chunk, CommandChunk(c.record)) << c.label;
        ULONG size = 0;
        EXPECT_EQ(QueryCom<IPersistCommand>(command.Get())->GetSizeMax(&size), S_OK) << c.label;
        EXPECT_EQ(size, c.record.size()) << c.label;
        ComRef<IEditCommand> loaded = Loaded(chunk, doc);
        EXPECT_EQ(Saved(loaded.Get()), chunk) << c.label << ": loaded and saved again";
    }
}

TEST_F(TrackCommandTest, SelectionGroupsSaveTheirRangeThenTheirChildren)
{
    CNyMultiTrackDoc* doc = Build({1, 1}, {100, 100});
    ASSERT_EQ(doc->SetSelectionRange(80, 20, FALSE), S_OK);
    struct Case {
        const char* type;
        ComRef<IEditCommand> group;
        ComRef<IEditCommand> child;
    };
    Case cases[] = {
        {"crossfades", Make<CrossfadesCommand>("Crossfade", static_cast<CommandDocument*>(doc)),
         Make<CrossfadeCommand>(nullptr, static_cast<CommandDocument*>(doc), 1)},
        {"fadeinouts", Make<FadeInOutsCommand>("Fade In/Out", static_cast<CommandDocument*>(doc)),
         Make<FadeInOutCommand>(nullptr, static_cast<CommandDocument*>(doc), 1)},
    };
    for (Case& c : cases) {
        QueryCom<ICommandList>(c.group.Get())->Add(c.child.Get());
        ASSERT_EQ(c.group->Do(), S_OK) << c.type;
        int64_t start = 0, end = 0;
        doc->GetSelectionRange(&start, &end);
        EXPECT_EQ(start, 80) << c.type << ": the selection as it was held";
        EXPECT_EQ(end, 20) << c.type;
        Bytes own = Record(280, c.type, c.type[0] == 'c' ? "Crossfade" : "Fade In/Out", {Zeros(6), Le64(80), Le64(20)});
        Bytes chunk = Saved(c.group.Get());
        EXPECT_EQ(chunk, GroupChunk(own, {Saved(c.child.Get())})) << c.type;
        ULONG size = 0;
        QueryCom<IPersistCommand>(c.group.Get())->GetSizeMax(&size);
        EXPECT_EQ(size, 280u + 16 + 288 + 16) << c.type;
    }
}

// The parts inside records, with a distinct value in every field (so a field moved or swapped
// shows), written over a dirty block: each at its offset, the gaps zero, and read back whole.
TEST(RecordParts, TrackPropertiesAndRecordingTakesKeepTheirBytes)
{
    auto le = [](uint8_t* at, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            at[i] = uint8_t(value >> (8 * i));
    };

    TrackPropertyRecord properties;
    for (size_t i = 0; i < sizeof properties.label; ++i)
        reinterpret_cast<uint8_t*>(&properties.label)[i] = uint8_t(i * 7 + 1);
    properties.level = 0x11223344;
    properties.pan = -2;
    properties.startOffset = 0x0102030405060708;
    properties.group = {0xA1A2A3A4, 5, 0xB1B2B3B4, 0xC1C2C3C4};
    properties.mute = 1;
    std::vector<uint8_t> expected(TrackPropertyRecord::kPersistedSize, 0);
    std::memcpy(expected.data(), &properties.label, 284);
    le(&expected[284], 0x11223344, 4);
    le(&expected[288], uint32_t(-2), 4);
    le(&expected[296], 0x0102030405060708, 8);
    std::memcpy(&expected[304], &properties.group, 16);
    le(&expected[320], 1, 4);
    std::vector<uint8_t> block(expected.size(), 0xCC);
    properties.Persist(block.data());
    EXPECT_EQ(block, expected);
    TrackPropertyRecord back;
    back.Restore(block.data());
    std::vector<uint8_t> again(expected.size(), 0xCC);
    back.Persist(again.data());
    EXPECT_EQ(again, expected);
    EXPECT_EQ(back.pan, -2);
    EXPECT_EQ(back.startOffset, 0x0102030405060708);

    for (int32_t index : {-1, 7}) {
        RecordingCommand::Take take;
        std::snprintf(take.info.path, sizeof take.info.path, "C:\\takes\\take%d.tmp", index);
        take.info.channels = 2;
        take.info.bitsPerSample = 24;
        take.info.samplesPerSec = 96000;
        take.trackIndex = index;
        std::vector<uint8_t> want(RecordingCommand::kTakeSize, 0);
        std::memcpy(want.data(), &take.info, 288);
        le(&want[288], uint32_t(index), 4);
        std::vector<uint8_t> bytes(want.size(), 0xCC);
        RecordingCommand::Take::Fields().Put(take, bytes.data());
        EXPECT_EQ(bytes, want) << index;
        RecordingCommand::Take read;
        RecordingCommand::Take::Fields().Get(read, bytes.data());
        EXPECT_EQ(read.trackIndex, index);
        EXPECT_STREQ(read.info.path, take.info.path);
        EXPECT_EQ(read.info.samplesPerSec, 96000u);
    }
}
