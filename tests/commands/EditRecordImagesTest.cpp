// The saved record of every edit command type of clips, clipboard, files, recording,
// envelopes, marks and tracks, byte for byte from one table; loading a record by its type
// name and saving it again gives the same bytes.
#include "ClipCommands.h"
#include "ClipboardCommands.h"
#include "CommandSupport.h"
#include "CopyTrackCommand.h"
#include "EditFixture.h"
#include "EnvelopeCommands.h"
#include "FileCommands.h"
#include "KsMultiTrackLoader.h"
#include "MarkCommands.h"
#include "SplitTrackCommand.h"
#include "TrackCommands.h"

#include <cstring>
#include <functional>

using namespace kvtest;

namespace {

Bytes Le(uint64_t v, int width)
{
    Bytes out;
    for (int i = 0; i < width; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
    return out;
}
Bytes Zero(size_t n)
{
    return Bytes(n, 0);
}
Bytes Raw(const void* p, size_t n)
{
    return Bytes(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
}
Bytes Float(float f)
{
    return Raw(&f, 4);
}
Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        Append(out, part);
    return out;
}

// The command's own record in saved bytes: the first command chunk, inside a group chunk or not.
Bytes OwnRecord(const Bytes& saved)
{
    size_t at = std::memcmp(saved.data(), "KSCMKGRP", 8) == 0 ? 16 : 0;
    uint64_t size = 0;
    std::memcpy(&size, &saved[at + 8], 8);
    return Bytes(saved.begin() + at + 16, saved.begin() + at + 16 + size);
}

LabelRecord Label(int id, int kind, int trackId, int64_t start, int64_t end, const char* name)
{
    LabelRecord r{};
    r.id = id;
    r.kind = kind;
    r.trackId = trackId;
    r.start = start;
    r.end = end;
    std::strncpy(r.name, name, sizeof r.name);
    return r;
}

struct Made {
    ComRef<IEditCommand> command;
    Bytes expected;
};

class EditRecordImages : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        Fresh();
    }

    // Every case starts from the same document: audio on track 0, range 100..400 selected.
    void Fresh()
    {
        doc = NewDoc({2, 1});
        item = MakeItem("a.raw", 1000, 2, 16, 44100);
        PlaceItem(doc, 0, 0, item.Get());
        trackId1 = doc->GetTrackId(1);
        ASSERT_EQ(S_OK, doc->GetSelection()->SetSelection(100, 400));
        ASSERT_EQ(S_OK, doc->SetTrackSelected(0, TRUE));
        ComRef<IMtItem> data = QueryCom<IMtItem>(item.Get());
        data->GetInfo(&info);
    }

    template <class T, class... A>
    ComRef<IEditCommand> Make(A&&... args)
    {
        T* command = new T(std::forward<A>(args)...);
        return ComRef<IEditCommand>::Share(static_cast<IEditCommand*>(command));
    }

    template <class T, class... A>
    ComRef<IEditCommand> MadeAndDone(A&&... args)
    {
        ComRef<IEditCommand> command = Make<T>(std::forward<A>(args)...);
        EXPECT_EQ(S_OK, command->Do());
        return command;
    }

    CNyMultiTrackDoc* doc = nullptr;
    ComRef<IUnknown> item;
    MtFileItemRecord info{};
    int trackId1 = 0;
};

TEST_F(EditRecordImages, EveryTypeSavesItsRecordAndLoadsItBack)
{
    LabelRecord section = Label(0, kLabelSection, trackId1, 10, 20, "S");

    ComRef<IMtItemList> noTakes;
    ASSERT_EQ(S_OK, MtEngine::CreateItemList(noTakes));
    ComRef<IUnknown> take = MakeItem("take.raw", 480, 1, 16, 44100, trackId1);
    ComRef<IMtItemList> oneTake = ListOf({{take, trackId1}});
    MtFileItemRecord takeInfo{};
    QueryCom<IMtItem>(take.Get())->GetInfo(&takeInfo);

    Bytes properties;
    auto trackProperty = [&] {
        LabelRecord trackLabel{};
        doc->GetLabels().GetTrackLabel(0, &trackLabel);
        MtGroupRecord group{};
        doc->GetTrack(0)->GetGroupRecord(&group);
        properties = Join({Raw(&trackLabel, sizeof trackLabel), Le(10000, 4), Zero(4), Zero(4), Le(0, 8),
                           Raw(&group, 16), Le(0, 4), Zero(4)});
        ComRef<TrackPropertyCommand> command(NewCommand<TrackPropertyCommand>(doc));
        EXPECT_EQ(S_OK, command->InitFromSource(0, doc->GetTrack(1)));
        EXPECT_EQ(S_OK, command->Do());
        return ComRef<IEditCommand>::Share(command.Get());
    };

    struct Case {
        const char* type;
        std::function<Made()> make;
    };
    // One type and its bytes a case.
    // clang-format off
    const Case cases[] = {
        {"deleteclip", [&] { return Made{Make<DeleteClipCommand>("Del", doc, 1, 100, 50),
                                         Join({Header(288, "deleteclip", "Del"), Zero(6), Le(100, 8), Le(150, 8), Le(1, 4), Zero(4)})}; }},
        {"trimclip", [&] { return Made{Make<TrimClipCommand>("Trim", doc, 0, 300, -100),
                                       Join({Header(288, "trimclip", "Trim"), Zero(6), Le(200, 8), Le(300, 8), Le(0, 4), Zero(4)})}; }},
        {"createclip", [&] { return Made{Make<CreateClipCommand>("New", doc, 1, 5, 7, item.Get()),
                                         Join({Header(576, "createclip", "New"), Zero(2), Raw(&info, 288), Zero(4), Le(5, 8), Le(12, 8), Le(1, 4), Zero(4)})}; }},
        {"mergeclip", [&] { return Made{Make<MergeClipCommand>("Mix", doc, 0, 5, 7, item.Get(), 3),
                                        Join({Header(576, "mergeclip", "Mix"), Zero(2), Raw(&info, 288), Zero(4), Le(5, 8), Le(12, 8), Le(0, 4), Le(3, 4)})}; }},
        {"editsample", [&] { return Made{Make<EditSampleCommand>("Pen", doc, 0, WORD(1), 77, 0x1234),
                                         Join({Header(296, "editsample", "Pen"), Zero(6), Le(77, 8), Le(77, 8), Le(0, 4), Le(1, 2), Zero(2), Le(0x1234, 4), Zero(4)})}; }},
        {"copy", [&] { return Made{Make<CopyCommand>(doc), Header(258, "copy", "")}; }},
        {"cut", [&] { return Made{Make<CutCommand>(doc), Header(258, "cut", "")}; }},
        {"delete", [&] { return Made{MadeAndDone<DeleteCommand>(doc),
                                     Join({Header(280, "delete", ""), Zero(6), Le(100, 8), Le(400, 8)})}; }},
        {"drop", [&] { return Made{Make<DropCommand>(doc, doc, 1, 900), Join({Header(288, "drop", ""), Zero(6), Le(0, 8), Le(0, 8), Le(900, 8)})}; }},
        {"paste", [&] { return Made{Make<PasteCommand>(doc), Join({Header(288, "paste", ""), Zero(6), Le(0, 8), Le(0, 8), Le(0, 8)})}; }},
        {"openfile", [&] { return Made{Make<OpenFileCommand>(doc, 1, 40, 60, item.Get()),
                                       Join({Header(288, "openfile", ""), Zero(6), Le(40, 8), Le(100, 8), Le(1, 4), Zero(4)})}; }},
        {"insertfile", [&] { return Made{Make<InsertFileCommand>(doc, 40, 60, noTakes.Get()),
                                         Join({Header(288, "insertfile", ""), Zero(6), Le(40, 8), Le(100, 8), Le(0, 8)})}; }},
        {"importfile", [&] { return Made{Make<ImportFileCommand>(doc, noTakes.Get(), 0), Header(258, "importfile", "")}; }},
        {"recording", [&] { return Made{Make<RecordingCommand>(doc, noTakes.Get()),
                                        Join({Header(0, "recording", ""), Zero(6), Le(100, 8), Le(400, 8), Le(0, 8), Le(0, 4), Zero(292)})}; }},
        {"recording", [&] { return Made{Make<RecordingCommand>(doc, oneTake.Get()),
                                        Join({Header(0, "recording", ""), Zero(6), Le(100, 8), Le(400, 8), Le(0, 8), Le(1, 4), Raw(&takeInfo, 288), Le(1, 4)})}; }},
        {"insertenvelopepoint", [&] { return Made{Make<InsertEnvelopePointCommand>("P", doc, 0, 1, 500, 0.5f),
                                                  Join({Header(288, "insertenvelopepoint", "P"), Zero(6), Le(500, 8), Float(0.5f), Zero(4), Le(0, 4), Le(1, 4)})}; }},
        {"deleteenvelopepoint", [&] { return Made{Make<DeleteEnvelopePointCommand>("D", doc, 0, 1, 500),
                                                  Join({Header(280, "deleteenvelopepoint", "D"), Zero(6), Le(500, 8), Le(0, 4), Le(1, 4)})}; }},
        {"moveenvelopepoint", [&] { return Made{Make<MoveEnvelopePointCommand>("Move", doc, 0, 1, 500, 600, 0.25f), Header(258, "moveenvelopepoint", "Move")}; }},
        {"insertenveloperange", [&] { return Made{Make<InsertEnvelopeRangeCommand>("R", doc, 0, 300, -100),
                                                  Join({Header(288, "insertenveloperange", "R"), Zero(6), Le(200, 8), Le(300, 8), Le(0, 4), Zero(4)})}; }},
        {"deleteenveloperange", [&] { return Made{Make<DeleteEnvelopeRangeCommand>("R", doc, 0, 900, 300),
                                                  Join({Header(288, "deleteenveloperange", "R"), Zero(6), Le(900, 8), Le(1000, 8), Le(0, 4), Zero(4)})}; }},
        {"deleteclearenvelope", [&] { return Made{Make<DeleteClearEnvelopeCommand>("C", doc, 0, 2),
                                                  Join({Header(268, "deleteclearenvelope", "C"), Zero(2), Le(0, 4), Le(2, 4)})}; }},
        {"addmark", [&] { return Made{MadeAndDone<AddMarkCommand>("M", doc, 1, 30, 0, 0),
                                      Join({Header(542, "addmark", "M"), [&] { LabelRecord r = Label(2, kLabelCue, 1, 30, 30, "CUE-0001"); return Raw(&r, 284); }()})}; }},
        {"addmarks", [&] { return Made{Make<AddMarksCommand>("Ms", doc), Header(258, "addmarks", "Ms")}; }},
        {"delmark", [&] { LabelRecord added = section; doc->GetLabels().Add(added);
                          LabelRecord stored = added; stored.trackId = 1;
                          return Made{MadeAndDone<DelMarkCommand>("X", doc, added.id),
                                      Join({Header(548, "delmark", "X"), Zero(2), Le(added.id, 4), Raw(&stored, 284)})}; }},
        {"modmark", [&] { LabelRecord added = section; doc->GetLabels().Add(added);
                          LabelRecord moved = added; moved.start += 5; moved.end += 5;
                          LabelRecord storedNew = moved, storedOld = added; storedNew.trackId = storedOld.trackId = 1;
                          return Made{MadeAndDone<ModMarkCommand>("Mod", doc, moved),
                                      Join({Header(826, "modmark", "Mod"), Raw(&storedNew, 284), Raw(&storedOld, 284)})}; }},
        {"addloop", [&] { return Made{MadeAndDone<AddLoopCommand>("L", doc, 50, 25),
                                      Join({Header(542, "addloop", "L"), [&] { LabelRecord r = Label(2, kLabelLoop, -1, 50, 75, "LOOP"); return Raw(&r, 284); }()})}; }},
        {"addmarkinfo", [&] { return Made{Make<AddMarkInfoCommand>("I", doc, section),
                                          Join({Header(542, "addmarkinfo", "I"), Raw(&section, 284)})}; }},
        {"mergefile", [&] { return Made{Make<MergeFileCommand>("MF", doc, 0, 10, 20, item.Get(), 0), Header(258, "mergefile", "MF")}; }},
        {"effectfile", [&] { return Made{Make<EffectFileCommand>("Effect", doc, noTakes.Get(), 0),
                                         Join({Header(296, "effectfile", "Effect"), Zero(6), Le(0, 8), Le(0, 8), Le(uint64_t(-1), 8), Le(uint64_t(-1), 8)})}; }},
        {"inserttrack", [&] { return Made{Make<InsertTrackCommand>("T", doc, WORD(2), 1), Join({Header(520, "inserttrack", "T"), Le(2, 2), Le(1, 4), Zero(256)})}; }},
        {"appendtrack", [&] { return Made{MadeAndDone<AppendTrackCommand>("A", doc, WORD(1)),
                                          Join({Header(516, "appendtrack", "A"), Le(1, 2), [&] { LabelRecord r = Label(0, 0, 0, 0, 0, "Track2"); return Raw(r.name, 256); }()})}; }},
        {"trackproperty", [&] { ComRef<IEditCommand> command = trackProperty(); return Made{command, Join({Header(928, "trackproperty", ""), Zero(6), properties, properties, Le(0, 4), Zero(4)})}; }},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Fresh();
        Made made = c.make();
        Bytes saved = Saved(made.command.Get(), doc, "saved.bin");
        Bytes record = OwnRecord(saved);
        EXPECT_TRUE(SameBytes(made.expected, record));
        ULONG sizeMax = 0;
        ASSERT_EQ(S_OK, QueryCom<IPersistCommand>(made.command.Get())->GetSizeMax(&sizeMax));
        if (std::memcmp(saved.data(), "KSCMKCMD", 8) == 0) {
            EXPECT_EQ(record.size(), sizeMax);
        }
        ComRef<IEditCommand> loaded = Loaded(saved, doc, "load.bin");
        ASSERT_TRUE(loaded);
        // A record cut short inside its chunk is refused, not read past.
        Bytes cut = saved;
        size_t sizeAt = std::memcmp(saved.data(), "KSCMKGRP", 8) == 0 ? 24 : 8;
        uint64_t size = 0;
        std::memcpy(&size, &cut[sizeAt], 8);
        size -= 2;
        std::memcpy(&cut[sizeAt], &size, 8);
        HRESULT refused = S_OK;
        Loaded(cut, doc, "cut.bin", &refused);
        EXPECT_EQ(kBadJournal, refused);
        EXPECT_TRUE(SameBytes(made.expected, OwnRecord(Saved(loaded.Get(), doc, "again.bin"))));
    }
}

TEST_F(EditRecordImages, RecordsOfAnOlderFormLoadAndSaveInTodaysForm)
{
    // The older form's fields come back; what it lacks (the label names) saves as zeros.
    struct Case {
        const char* type;
        Bytes older;
        Bytes today;
    };
    // clang-format off
    const Case cases[] = {
        {"inserttrack", Join({Header(264, "inserttrack", "T"), Le(2, 2), Le(1, 4)}),
                        Join({Header(520, "inserttrack", "T"), Le(2, 2), Le(1, 4), Zero(256)})},
        {"appendtrack", Join({Header(260, "appendtrack", "A"), Le(1, 2)}),
                        Join({Header(516, "appendtrack", "A"), Le(1, 2), Zero(256)})},
        {"copytrack", Join({Header(268, "copytrack", "C"), Zero(2), Le(0, 4), Le(1, 4)}),
                      Join({Header(524, "copytrack", "C"), Zero(2), Le(0, 4), Le(1, 4), Zero(256)})},
        {"splittrack", Join({Header(264, "splittrack", "S"), Zero(2), Le(1, 4)}),
                       Join({Header(1800, "splittrack", "S"), Zero(2), Le(1, 4), Zero(6 * 256)})},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ComRef<IEditCommand> loaded = Loaded(CommandChunk(c.older), doc, "older.bin");
        ASSERT_TRUE(loaded);
        EXPECT_TRUE(SameBytes(c.today, OwnRecord(Saved(loaded.Get(), doc, "today.bin"))));
        // An older form cut short inside its chunk is refused like any other record.
        Bytes cut = c.older;
        cut.pop_back();
        HRESULT refused = S_OK;
        Loaded(CommandChunk(cut), doc, "cut.bin", &refused);
        EXPECT_EQ(kBadJournal, refused);
    }
}

TEST_F(EditRecordImages, InsertClipNamesItsClipFileWhichGoesWithTheCommand)
{
    ComRef<IMtClip> clip;
    ASSERT_EQ(S_OK, doc->GetTrack(0)->CopyRange(clip.Out(), 0, 100));
    DWORD state = 0;
    doc->GetTrack(0)->GetSelectedChannels(&state);
    ComRef<IEditCommand> command(NewCommand<InsertClipCommand>("Ins", doc, 0, 10, 0, clip.Get()));
    ASSERT_EQ(S_OK, command->Do());
    Bytes first = OwnRecord(Saved(command.Get(), doc, "one.bin"));
    Bytes second = OwnRecord(Saved(command.Get(), doc, "two.bin"));
    ASSERT_EQ(552u, first.size());
    EXPECT_EQ(first, second); // the same clip file both times
    std::string path(reinterpret_cast<const char*>(&first[288]));
    Bytes expected = Join({Header(552, "insertclip", "Ins"), Zero(6), Le(10, 8), Le(10, 8), Le(0, 4), Le(state, 4),
                           Raw(path.c_str(), path.size()), Zero(260 - path.size()), Zero(4)});
    EXPECT_TRUE(SameBytes(expected, first));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path.c_str()));

    ComRef<IEditCommand> loaded = Loaded(Saved(command.Get(), doc, "three.bin"), doc, "load.bin");
    EXPECT_TRUE(SameBytes(expected, OwnRecord(Saved(loaded.Get(), doc, "four.bin"))));
    loaded = ComRef<IEditCommand>();
    command = ComRef<IEditCommand>();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(path.c_str()));
}

} // namespace
