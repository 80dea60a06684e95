// The document commands' availability as functions of the document's state, and the small
// pure pieces behind the commands: effect captions and rows, the mixdown test, progress,
// mail size text and the journal header.
#include "DocCommandRules.h"
#include "DocMixdown.h"
#include "EffectModuleTable.h"
#include "JournalHeader.h"
#include "MixdownCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

const std::string kUndo = "&Undo\bCtrl+Z", kUndoNamed = "&Undo\b%s Ctrl+Z";
const std::string kRedo = "&Redo\bCtrl+Y", kRedoNamed = "&Redo\b%s Ctrl+Y";

// One stereo track of 0..1000 and one mono of 500..700, both selected, nothing to undo.
DocCommandState Idle()
{
    DocCommandState s;
    s.hasEngine = true;
    s.trackCount = 2;
    s.length = 1000;
    s.empty = false;
    s.tracks = {{true, true, 2, 0, 1000, 0.0f}, {true, true, 1, 500, 700, 0.0f}};
    s.selStart = 100;
    s.selLength = 10;
    return s;
}

struct StateCase {
    const char* name;
    std::function<void(DocCommandState&)> change;
    // Expected enabled states, in this order: AddTrack, Add 5.1, DeleteTrack, Cut, Copy,
    // Delete, Trim, Paste, SelectAll, NewCue, NewSection, NewLoop, SaveAs, Save, Import, Undo.
    const char* expected;
    const char* undoText;
};

std::string Answers(const DocCommandState& s)
{
    std::vector<CommandUiState> all = {RuleAddTrack(s, 1041),
                                       RuleAddTrack(s, 1042),
                                       RuleDeleteTrack(s),
                                       RuleSelectionEdit(s, 57635),
                                       RuleSelectionEdit(s, 57634),
                                       RuleSelectionEdit(s, 1025),
                                       RuleSelectionEdit(s, 1026),
                                       RulePaste(s),
                                       RuleSelectAll(s),
                                       RuleNewCuePoint(s),
                                       RuleNewSection(s),
                                       RuleNewLoop(s),
                                       RuleFileSaveAs(s),
                                       RuleFileSave(s),
                                       RuleFileImport(s),
                                       RuleUndo(s, kUndo, kUndoNamed)};
    std::string out;
    for (const CommandUiState& a : all)
        out += a.enabled ? '1' : '0';
    return out;
}

} // namespace

TEST(CommandRules, EditMenuFollowsTheDocumentState)
{
    const StateCase cases[] = {
        //                                                            AdAdDeCuCoDeTrPaSaCuSeLoSaSvImUn
        {"selection of 10 samples", [](DocCommandState&) {}, "1011111010111110", "&Undo\bCtrl+Z"},
        {"no engine",
         [](DocCommandState& s) {
             s = DocCommandState();
             s.transportBusy = true;
         },
         "0000000000000000", "&Undo\bCtrl+Z"},
        {"no track",
         [](DocCommandState& s) {
             s.trackCount = 0;
             s.tracks.clear();
             s.length = 0;
             s.empty = true;
         },
         "1000000000010010", "&Undo\bCtrl+Z"},
        {"empty tracks",
         [](DocCommandState& s) {
             s.length = 0;
             s.empty = true;
             for (auto& t : s.tracks)
                 t.end = t.start;
         },
         "1010000000110010", "&Undo\bCtrl+Z"},
        {"playing", [](DocCommandState& s) { s.transportBusy = true; }, "0000000001000000", "&Undo\bCtrl+Z"},
        {"handle edit mode", [](DocCommandState& s) { s.viewEditMode = 1; }, "0000000000000000", "&Undo\bCtrl+Z"},
        {"selection of 0 samples", [](DocCommandState& s) { s.selLength = 0; }, "1010010011001110", "&Undo\bCtrl+Z"},
        {"selection of 1 sample", [](DocCommandState& s) { s.selLength = 1; }, "1011111010111110", "&Undo\bCtrl+Z"},
        {"selection of n samples past the mono track", [](DocCommandState& s) { s.selStart = 800, s.selLength = 50; },
         "1011111010111110", "&Undo\bCtrl+Z"},
        {"trim misses the only selected track",
         [](DocCommandState& s) {
             s.tracks[0].selected = false;
             s.selStart = 100; // the mono track starts at 500: no overlap, but it ends later
         },
         "1011110010111110", "&Undo\bCtrl+Z"},
        {"read-only", [](DocCommandState& s) { s.readOnly = true; }, "1011111010111010", "&Undo\bCtrl+Z"},
        {"multichannel", [](DocCommandState& s) { s.multichannel = true; }, "1111111010111110", "&Undo\bCtrl+Z"},
        {"private format on the clipboard", [](DocCommandState& s) { s.privateClipboard = true; }, "1011111110111110",
         "&Undo\bCtrl+Z"},
        {"a loop exists", [](DocCommandState& s) { s.loopCount = 1; }, "1011111010101110", "&Undo\bCtrl+Z"},
        {"two tracks, not all-tracks mode", [](DocCommandState& s) { s.allTracksMode = false; }, "1011111010101110",
         "&Undo\bCtrl+Z"},
        {"something to undo",
         [](DocCommandState& s) {
             s.hasUndo = true;
             s.undoName = "Cut";
         },
         "1011111010111111", "&Undo\bCut Ctrl+Z"},
        {"something to undo while playing",
         [](DocCommandState& s) {
             s.hasUndo = true;
             s.undoName = "Cut";
             s.transportBusy = true;
         },
         "0000000001000000", "&Undo\bCut Ctrl+Z"},
    };
    for (const StateCase& c : cases) {
        DocCommandState s = Idle();
        s.allTracksMode = true;
        c.change(s);
        EXPECT_EQ(c.expected, Answers(s)) << c.name;
        CommandUiState undo = RuleUndo(s, kUndo, kUndoNamed);
        EXPECT_TRUE(undo.setsText) << c.name;
        EXPECT_EQ(c.undoText, undo.text) << c.name;
    }
}

TEST(CommandRules, NewLoopWithSeveralTracksNeedsAllTracksModeAndRedoNamesTheNewest)
{
    DocCommandState s = Idle();
    EXPECT_FALSE(RuleNewLoop(s).enabled);
    s.allTracksMode = true;
    EXPECT_TRUE(RuleNewLoop(s).enabled);

    CommandUiState redo = RuleRedo(s, kRedo, kRedoNamed);
    EXPECT_EQ(kRedo, redo.text);
    EXPECT_FALSE(redo.enabled);
    s.hasRedo = true;
    s.redoName = std::string(300, 'x'); // the name buffer keeps 255 characters
    redo = RuleRedo(s, kRedo, kRedoNamed);
    EXPECT_EQ("&Redo\b" + std::string(255, 'x') + " Ctrl+Y", redo.text);
    EXPECT_TRUE(redo.enabled);

    // Go to start and end leave an enabled item alone.
    EXPECT_FALSE(RuleGoTo(s).decides);
    s.trackCount = 0;
    EXPECT_TRUE(RuleGoTo(s).decides);
    EXPECT_FALSE(RuleGoTo(s).enabled);
}

TEST(CommandRules, EffectAvailabilityFollowsTheSelectedMaterial)
{
    struct Case {
        const char* name;
        std::function<void(DocCommandState&)> change;
        int id;
        bool expected;
    } cases[] = {
        {"range over a selected track", [](DocCommandState&) {}, 2014, true},
        {"one-sample range for a mix", [](DocCommandState& s) { s.selLength = 1; }, 2014, false},
        {"one-sample range for another effect", [](DocCommandState& s) { s.selLength = 1; }, 1047, true},
        {"empty range: first selected track decides", [](DocCommandState& s) { s.selLength = 0; }, 2014, true},
        {"range after every track", [](DocCommandState& s) { s.selStart = 2000; }, 2014, false},
        {"no track selected",
         [](DocCommandState& s) {
             for (auto& t : s.tracks)
                 t.selected = false;
         },
         2014, false},
        {"fade mode active", [](DocCommandState& s) { s.activeCommand = 2012; }, 2018, false},
        {"sample type with an empty document",
         [](DocCommandState& s) {
             s.length = 0;
             s.empty = true;
         },
         2018, true},
        {"sample type while playing", [](DocCommandState& s) { s.transportBusy = true; }, 2018, false},
        {"generator without length", [](DocCommandState& s) { s.length = 0; }, 2019, true},
        {"generator in a handle edit mode", [](DocCommandState& s) { s.viewEditMode = 2; }, 2019, false},
        {"document of length 0", [](DocCommandState& s) { s.length = 0; }, 2014, false},
    };
    for (const Case& c : cases) {
        DocCommandState s = Idle();
        c.change(s);
        EXPECT_EQ(c.expected, CanRunEffectRule(s, c.id)) << c.name;
    }
    // Items whose dialogs are not in the program stay disabled, whatever the state; the
    // effect and fade dialogs come with the program, Reverse, Mute and Mix need none.
    const struct {
        int id;
        bool withoutDialogs;
        bool withDialogs;
    } items[] = {
        {2000, false, true},  {2003, true, true},   {2005, true, true},   {2014, true, true},
        {2023, false, true},  {2024, false, true},  {2031, false, true},  {1117, false, true},
        {1118, false, true},  {1122, false, true},  {1126, false, true},  {2018, false, true},
        {2026, false, true}, {1097, false, true},  {34000, false, false},
    };
    DocCommandState s = Idle();
    for (bool available : {false, true}) {
        SetEffectDialogsAvailable(available);
        for (const auto& item : items)
            EXPECT_EQ(available ? item.withDialogs : item.withoutDialogs, RuleEffectCommand(s, item.id).enabled)
                << item.id << (available ? " with the dialogs" : " without them");
        EXPECT_EQ(available, RuleGenerators(s, 2020).enabled);
    }
    SetEffectDialogsAvailable(false);
}

TEST(CommandRules, EffectRowsAndCaptions)
{
    ASSERT_NE(nullptr, GetEffectModuleEntry(30));
    EXPECT_EQ(1126u, GetEffectModuleEntry(30)->commandId);
    EXPECT_STREQ("KvSENrmC.dll", GetEffectModuleEntry(30)->moduleFile);
    EXPECT_EQ(nullptr, GetEffectModuleEntry(31));
    EXPECT_EQ(nullptr, GetEffectModuleEntry(1000));
    const EffectModuleEntry* eq = GetEffectModuleEntry(4);
    EXPECT_EQ(2023u, eq->commandId);
    EXPECT_STREQ("KvSEGEQ1.dll", eq->moduleFile);
    const CLSID geq = {0xC0EDEEC3, 0x43AE, 0x49F9, {0xB3, 0xD8, 0xB9, 0x5A, 0xB9, 0xDB, 0x47, 0x20}};
    EXPECT_EQ(0, std::memcmp(&geq, &eq->classId, sizeof geq));
    EXPECT_EQ(2007u, GetEffectModuleEntry(15)->commandId) << "rows keep the table's own order";
    for (unsigned i = 0; i < kEffectModuleCount; ++i)
        EXPECT_STREQ("", GetEffectModuleEntry(i)->displayName) << i;

    const std::pair<const char*, const char*> captions[] = {
        {"Pitch &Shift...", "Pitch Shift"},
        {"Ga&in...", "Gain"},
        {"Lo&-Fi...", "Lo-Fi"},
        {"R&emove Noise using Profile...", "Remove Noise using Profile"},
        {"&FM Tone...", "FM Tone"},
        {"&Filter (Low) ...", "Filter "},
        {"(Test) &Name.x", "(Test) Name"},
        {"", ""},
    };
    for (const auto& c : captions)
        EXPECT_EQ(c.second, EffectCaptionFromMenuText(c.first)) << c.first;

    CEffectDescriptor descriptor(eq->moduleFile, eq->classId);
    EXPECT_STREQ("KvSEGEQ1.dll", descriptor.moduleFile);
    EXPECT_STREQ("", descriptor.displayName);
    EXPECT_EQ(0, std::memcmp(&geq, &descriptor.classId, sizeof geq));
}

TEST(CommandRules, MixdownTestJudgesWhatTheEngineMixes)
{
    auto mono = [](float pan) {
        MixTrackLevels t;
        t.channels = 1;
        t.pan = pan;
        return t;
    };
    auto stereo = [](float pan) {
        MixTrackLevels t;
        t.channels = 2;
        t.pan = pan;
        return t;
    };
    struct Case {
        const char* name;
        std::function<void(MixLevels&)> change;
        int fileType;
        bool expected;
    } cases[] = {
        {"one stereo track at unity", [](MixLevels&) {}, 0, false},
        {"master 0.9999", [](MixLevels& m) { m.master = 0.9999f; }, 0, true},
        {"pan 0.5", [](MixLevels& m) { m.tracks[0].pan = 0.5f; }, 0, true},
        {"volume 0.5", [](MixLevels& m) { m.tracks[0].volume = 0.5f; }, 0, true},
        {"level envelope constant 0.5", [](MixLevels& m) { m.tracks[0].levelValues = {0.5f}; }, 0, true},
        {"level envelope constant 0.0 is silence, not flat", [](MixLevels& m) { m.tracks[0].levelValues = {0.0f}; }, 0,
         true},
        {"level points 1.0 and 0.8",
         [](MixLevels& m) {
             m.tracks[0].levelValues = {1.0f, 0.8f};
         },
         0, true},
        {"pan envelope constant 0.3", [](MixLevels& m) { m.tracks[0].panValues = {0.3f}; }, 0, true},
        {"unreadable track", [](MixLevels& m) { m.tracks[0].readable = false; }, 0, true},
        {"multichannel", [](MixLevels& m) { m.multichannel = true; }, 0, true},
        {"pans -1, +1",
         [&](MixLevels& m) {
             m.tracks = {mono(-1.0f), mono(1.0f)};
         },
         0, false},
        {"pans -1, 0.9",
         [&](MixLevels& m) {
             m.tracks = {mono(-1.0f), mono(0.9f)};
         },
         0, true},
        {"pans +1, -1",
         [&](MixLevels& m) {
             m.tracks = {mono(1.0f), mono(-1.0f)};
         },
         0, true},
        {"pans -1, +1 with a pan envelope moving the right one",
         [&](MixLevels& m) {
             m.tracks = {mono(-1.0f), mono(1.0f)};
             m.tracks[1].panValues = {-0.5f};
         },
         0, true},
        {"one mono track centred", [&](MixLevels& m) { m.tracks = {mono(0.0f)}; }, 0, false},
        {"three channels, type 3 centred",
         [&](MixLevels& m) {
             m.tracks = {stereo(0.0f), mono(0.0f)};
         },
         3, false},
        {"three channels, type 0",
         [&](MixLevels& m) {
             m.tracks = {stereo(0.0f), mono(0.0f)};
         },
         0, true},
    };
    for (const Case& c : cases) {
        MixLevels levels;
        levels.tracks = {stereo(0.0f)};
        c.change(levels);
        EXPECT_EQ(c.expected, NeedsMixdown(levels, c.fileType)) << c.name;
    }
}

TEST(CommandRules, ProgressAndMailSize)
{
    EXPECT_EQ(0, MixdownProgressPercent(0, 0));
    EXPECT_EQ(0, MixdownProgressPercent(500, 0)) << "an unknown duration reports 0";
    EXPECT_EQ(1, MixdownProgressPercent(5, 1000)) << "0.5 % rounds up";
    EXPECT_EQ(0, MixdownProgressPercent(4, 1000));
    EXPECT_EQ(100, MixdownProgressPercent(1000, 1000));
    EXPECT_EQ(100, MixdownProgressPercent(2000, 1000));

    EXPECT_EQ("1.0M", MailSizeText(kMailWarnBytes));
    EXPECT_EQ("2.5M", MailSizeText(2621440));
    EXPECT_EQ(1048576u, kMailWarnBytes);
}

TEST(CommandRules, JournalHeaderIsItsGoldenLayout)
{
    JournalHeaderValues v;
    v.path = "";
    v.title = "Untitled1";
    v.multichannel = 1;
    v.samplesPerSec = 44100;
    v.bitsPerSample = 16;
    v.channels = 2;
    v.channelSplit = 1;
    std::array<uint8_t, kJournalHeaderSize> golden{};
    std::memcpy(&golden[0], "5.00", 4);
    std::memcpy(&golden[32], "J", 1);
    std::memcpy(&golden[64], "R4", 2);
    std::memcpy(&golden[96], "Untitled1", 9);
    const uint8_t tail[] = {1, 0, 0, 0, 0x44, 0xAC, 0, 0, 16, 0, 2, 0, 1, 0, 0, 0};
    std::memcpy(&golden[484], tail, sizeof tail);
    EXPECT_EQ(golden, BuildJournalHeader(v));

    struct Title {
        const char* path;
        const char* title;
    } titles[] = {{"C:\\songs\\take.ksp", "take.ksp"}, {"take.ksp", "take.ksp"}, {"\\take.ksp", "\\take.ksp"}};
    for (const Title& t : titles) {
        v.path = t.path;
        auto h = BuildJournalHeader(v);
        EXPECT_STREQ(t.title, reinterpret_cast<const char*>(&h[96])) << t.path;
        EXPECT_STREQ(t.path, reinterpret_cast<const char*>(&h[224])) << t.path;
    }
    std::string longName(200, 'n');
    std::string path = "C:\\" + longName;
    v.path = path.c_str();
    auto h = BuildJournalHeader(v);
    EXPECT_EQ(std::string(128, 'n'), std::string(reinterpret_cast<const char*>(&h[96]), 128))
        << "a full title field has no terminating zero";
    EXPECT_EQ('C', h[224]);
}
