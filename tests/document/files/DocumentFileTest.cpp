// The document's loads and saves through the file module: sound files opened, imported and
// written back, projects saved and imported, and the refusals that leave everything as it was.
#include "CommandInterfaces.h"
#include "DocumentFixture.h"
#include "FioKit.h"
#include "ProgressReporter.h"
#include "ProjectFile.h"

#include <cstring>

using namespace fiotest;

namespace {

const WavForm kPcm16{"pcm16", 1, 16, 16, false};

class DocumentFileTest : public ViewedDocumentsTest {
protected:
    CNyMultiTrackDoc* NewDocument() { return ViewedDocument(); }

    // A stereo 16-bit WAV with two cue points and a section.
    std::string StereoWav(const std::string& name, unsigned seed = 1)
    {
        WavSpec wav;
        wav.form = kPcm16;
        wav.channels = 2;
        wav.rate = 44100;
        wav.data = TestFrames(kPcm16, 2, 4000, seed);
        wav.marks = {{100, 0, "first"}, {2000, 0, "second"}, {500, 1000, "part"}};
        std::string path = scratch_.File(name);
        EXPECT_TRUE(WriteBytes(path, BuildWav(wav).b));
        frames_ = wav.data;
        return path;
    }

    // The samples of a track's first channel, 16-bit.
    static std::vector<int16_t> TrackSamples(CNyMultiTrackDoc* doc, int index)
    {
        ComRef<IMtItem> reader;
        EXPECT_EQ(S_OK, doc->GetTrack(index)->CreateReader(reader.Out(), 0));
        reader->BeginRead();
        WORD channels = 1;
        doc->GetTrack(index)->GetChannels(&channels);
        std::vector<int16_t> all(1 << 18);
        DWORD got = 0;
        reader->Read(all.data(), DWORD(all.size() * 2), &got);
        reader->EndRead();
        std::vector<int16_t> first;
        for (size_t i = 0; i < got / 2; i += channels)
            first.push_back(all[i]);
        return first;
    }

    std::vector<int16_t> FileChannel(int channel) const
    {
        std::vector<int16_t> out;
        const int16_t* s = reinterpret_cast<const int16_t*>(frames_.data());
        for (size_t i = size_t(channel); i < frames_.size() / 2; i += 2)
            out.push_back(s[i]);
        return out;
    }

    std::vector<std::string> Names(CNyMultiTrackDoc* doc, int32_t kind)
    {
        std::vector<LabelRecord> found;
        doc->FindLabelsInRange(-1, found, 0, -1, kind);
        std::vector<std::string> names;
        for (const LabelRecord& r : found)
            names.push_back(r.name);
        return names;
    }

    kvtest::ScratchFolder scratch_;
    std::vector<uint8_t> frames_;
};

// A stereo WAV opens as two mono tracks panned hard left and right, with its marks, as a
// document of type 3 with an empty history; saved as a project and opened again it is the same.
TEST_F(DocumentFileTest, SoundFileOpensSavesAsProjectAndReopens)
{
    std::string wav = StereoWav("cues.wav");
    CNyMultiTrackDoc* doc = NewDocument();
    ASSERT_TRUE(doc->OnOpenDocument(wav.c_str())) << (host_.shown.empty() ? 0 : host_.shown[0]);
    ASSERT_EQ(2, doc->GetTrackCount());
    EXPECT_EQ(3, doc->GetFileType());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(FileChannel(0), TrackSamples(doc, 0));
    EXPECT_EQ(FileChannel(1), TrackSamples(doc, 1));
    float left = 0, right = 0;
    doc->GetTrack(0)->GetPan(&left);
    doc->GetTrack(1)->GetPan(&right);
    EXPECT_EQ(-1.0f, left);
    EXPECT_EQ(1.0f, right);
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), Names(doc, kLabelCue));
    EXPECT_EQ(std::vector<std::string>{"part"}, Names(doc, kLabelSection));
    LabelRecord label{};
    ASSERT_TRUE(doc->GetTrackLabel(0, &label));
    EXPECT_STREQ("cues.wav", label.name);

    // A track more, then Save As a chunked project.
    ComRef<IMtTrack> extra;
    ASSERT_EQ(S_OK, doc->GetTrackSet()->InsertTrack(0, 1, extra.Out(), -1));
    doc->SetModifiedFlag(TRUE);
    std::string project = scratch_.File("saved.kvs");
    SaveAsChoice choice;
    choice.path = project;
    choice.type = 1;
    ASSERT_TRUE(doc->SaveAsChosen(1, choice));
    EXPECT_EQ(1, doc->GetFileType());
    EXPECT_FALSE(doc->IsModified());

    CNyMultiTrackDoc* reopened = NewDocument();
    ASSERT_TRUE(reopened->OnOpenDocument(project.c_str()));
    EXPECT_EQ(3, reopened->GetTrackCount());
    EXPECT_EQ(1, reopened->GetFileType());
    EXPECT_EQ(FileChannel(1), TrackSamples(reopened, 1));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), Names(reopened, kLabelCue));
}

// Importing adds the file's tracks as one command whose undo takes them away; a file that is
// not there is refused with nothing changed.
TEST_F(DocumentFileTest, ImportIsOneUndoableStepAndAFailedOneChangesNothing)
{
    CNyMultiTrackDoc* doc = NewDocument();
    ASSERT_TRUE(doc->OnOpenDocument(StereoWav("a.wav", 1).c_str()));
    std::string second = StereoWav("b.wav", 2);
    ComRef<IUnknown> command;
    int status = -1;
    ASSERT_EQ(1, doc->LoadFile(second.c_str(), 1, &status, command.Out()));
    EXPECT_EQ(0, status);
    EXPECT_EQ(4, doc->GetTrackCount());
    EXPECT_EQ(FileChannel(0), TrackSamples(doc, 2));
    ComRef<IEditCommand> edit = QueryCom<IEditCommand>(command.Get());
    ASSERT_TRUE(edit);
    EXPECT_EQ(S_OK, edit->Undo());
    EXPECT_EQ(2, doc->GetTrackCount());

    host_.shown.clear();
    EXPECT_EQ(0, doc->LoadFile(scratch_.File("missing.wav").c_str(), 1, &status, command.Out()));
    EXPECT_EQ(1u, host_.shown.size());
    EXPECT_EQ(2, doc->GetTrackCount());
}

// A failed save as changes neither the old file nor the document's type and state.
TEST_F(DocumentFileTest, FailedSaveAsKeepsTypeFileAndModifiedState)
{
    CNyMultiTrackDoc* doc = NewDocument();
    std::string wav = StereoWav("keep.wav");
    ASSERT_TRUE(doc->OnOpenDocument(wav.c_str()));
    doc->SetModifiedFlag(TRUE);
    std::string project = scratch_.File("locked.kvs");
    ASSERT_TRUE(WriteBytes(project, {1, 2, 3}));
    HANDLE lock = CreateFileA(project.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    for (int type : {0, 1, 20}) {
        SaveAsChoice choice;
        choice.path = project;
        choice.type = type;
        EXPECT_FALSE(doc->SaveAsChosen(1, choice));
        EXPECT_EQ(3, doc->GetFileType());
        EXPECT_TRUE(doc->IsModified());
    }
    CloseHandle(lock);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ReadBytes(project));
}

// The sound file written back in place holds the document's samples and marks.
TEST_F(DocumentFileTest, SoundFileSavedInPlaceReopensTheSame)
{
    CNyMultiTrackDoc* doc = NewDocument();
    std::string wav = StereoWav("inplace.wav");
    ASSERT_TRUE(doc->OnOpenDocument(wav.c_str()));
    doc->SetPathName(wav.c_str(), FALSE);
    doc->SetModifiedFlag(TRUE);
    ASSERT_TRUE(doc->OnSaveDocument(wav.c_str())) << host_.texts.size();
    EXPECT_FALSE(doc->IsModified());
    CNyMultiTrackDoc* again = NewDocument();
    ASSERT_TRUE(again->OnOpenDocument(wav.c_str()));
    ASSERT_EQ(2, again->GetTrackCount());
    EXPECT_EQ(FileChannel(0), TrackSamples(again, 0));
    EXPECT_EQ(FileChannel(1), TrackSamples(again, 1));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), Names(again, kLabelCue));
}

// A mark beyond the end: Cancel at the question writes nothing and reports no save.
TEST_F(DocumentFileTest, CancelAtTheMarksQuestionIsNoSave)
{
    CNyMultiTrackDoc* doc = NewDocument();
    std::string wav = StereoWav("marks.wav");
    ASSERT_TRUE(doc->OnOpenDocument(wav.c_str()));
    std::string project = scratch_.File("marks.kvs");
    ASSERT_EQ(1, doc->SaveProjectFile(project.c_str(), 1));
    const std::vector<uint8_t> before = ReadBytes(project);
    LabelRecord late{0, kLabelCue, -1, 90000, 90000, "late"};
    doc->AddLabel(late);
    doc->SetModifiedFlag(TRUE);
    host_.answer = IDCANCEL;
    EXPECT_FALSE(doc->OnSaveDocument(project.c_str()));
    EXPECT_EQ(1u, host_.texts.size());
    EXPECT_EQ(before, ReadBytes(project));
    EXPECT_TRUE(doc->IsModified());
}

// Import of several files is one step of the history; a file that fails takes the ones
// before it away again and leaves the history as it was.
TEST_F(DocumentFileTest, ImportOfSeveralFilesIsOneStepOrNone)
{
    CNyMultiTrackDoc* doc = NewDocument();
    ASSERT_TRUE(doc->OnOpenDocument(StereoWav("base.wav", 1).c_str()));
    std::string a = StereoWav("ia.wav", 2), b = StereoWav("ib.wav", 3);
    EXPECT_FALSE(doc->ImportFiles({a, scratch_.File("gone.wav")}));
    EXPECT_EQ(2, doc->GetTrackCount());
    ComRef<ICommandCursor> cursor;
    ASSERT_EQ(S_OK, doc->GetHistory()->GetUndoCursor(cursor.Out()));
    ComRef<IEditCommand> newest;
    EXPECT_EQ(S_FALSE, cursor->Next(newest.Out()));

    EXPECT_TRUE(doc->ImportFiles({a, b}));
    EXPECT_EQ(6, doc->GetTrackCount());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(S_OK, doc->GetHistory()->Undo());
    EXPECT_EQ(2, doc->GetTrackCount());
}

constexpr const char* kKillOrder = "KV_PROJECT_KILL_ORDER";
constexpr UINT kKilledCode = 77;

// Run by the test below in a process of its own: saves a project over the target and stops
// for good halfway through, where it is killed.
TEST_F(DocumentFileTest, DISABLED_SavesUntilKilledMidway)
{
    char order[MAX_PATH * 2] = {};
    ASSERT_NE(0u, GetEnvironmentVariableA(kKillOrder, order, sizeof order));
    const std::string text(order);
    const std::string target = text.substr(0, text.find('|'));
    static HANDLE midway = OpenEventA(EVENT_MODIFY_STATE, FALSE, text.substr(text.find('|') + 1).c_str());
    ASSERT_NE(nullptr, midway);
    CNyMultiTrackDoc* doc = NewDocument();
    ASSERT_TRUE(doc->CreateEngine());
    doc->GetTrackSet()->SetFormat(16, 44100);
    std::string wav = scratch_.File("big.wav");
    WavSpec layout;
    layout.form = kPcm16;
    layout.data = TestFrames(kPcm16, 2, 1500000, 7);
    ASSERT_TRUE(WriteBytes(wav, BuildWav(layout).b));
    ASSERT_EQ(1, doc->LoadFile(wav.c_str(), 1, nullptr, nullptr));
    // The progress of the save: stop for good once it is halfway.
    WNDCLASSA wc{};
    wc.lpszClassName = "KvKillProgress";
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == ProgressUpdateMessage()) {
            if (reinterpret_cast<ProgressReporter*>(wp)->position >= 50) {
                SetEvent(midway);
                Sleep(INFINITE);
            }
            return 1;
        }
        return DefWindowProcA(w, m, wp, lp);
    };
    RegisterClassA(&wc);
    HWND window = CreateWindowA("KvKillProgress", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetProgressWindow(window);
    doc->SaveProjectFile(target.c_str(), 1);
    FAIL() << "the save ended without being killed";
}

TEST_F(DocumentFileTest, ProjectSaveKilledMidwayLeavesTheOldFile)
{
    const std::string target = scratch_.File("kept.kvs");
    const std::vector<uint8_t> old(5000, 0x5A);
    ASSERT_TRUE(WriteBytes(target, old));
    const std::string eventName = "kvprojectkill-" + std::to_string(GetCurrentProcessId());
    HANDLE midway = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(nullptr, midway);
    DWORD code = 0;
    const bool killed =
        kvtest::KillChildAtEvent("document_file_tests.exe", "DocumentFileTest.DISABLED_SavesUntilKilledMidway",
                                 kKillOrder, target + "|" + eventName, midway, kKilledCode, &code);
    CloseHandle(midway);
    ASSERT_TRUE(killed) << "the child never reached the middle of its save; exit code " << code;
    EXPECT_EQ(kKilledCode, code);
    EXPECT_EQ(old, ReadBytes(target));
}

TEST_F(DocumentFileTest, FolderWriteTest)
{
    EXPECT_TRUE(CNyMultiTrackDoc::IsFolderWritable(scratch_.Path().c_str()));
    EXPECT_FALSE(CNyMultiTrackDoc::IsFolderWritable(scratch_.File("none").c_str()));
    std::string file = scratch_.File("plain");
    ASSERT_TRUE(WriteBytes(file, {1}));
    EXPECT_FALSE(CNyMultiTrackDoc::IsFolderWritable(file.c_str()));
}

} // namespace

// A recording cut short opens with the frames it holds, after a warning that names the file
// and how much of its sound is missing.
TEST_F(DocumentFileTest, ACutShortWavOpensWithAWarningOfWhatIsMissing)
{
    std::vector<uint8_t> bytes = ReadBytes(StereoWav("take.wav"));
    bytes.resize(bytes.size() - 4 * 441); // 441 frames, 10 ms, of the sound are gone
    const std::string path = scratch_.File("take.wav");
    ASSERT_TRUE(WriteBytes(path, bytes));
    CNyMultiTrackDoc* doc = NewDocument();
    ASSERT_TRUE(doc->OnOpenDocument(path.c_str())) << Shown();
    ASSERT_EQ(1u, host_.texts.size());
    EXPECT_EQ(
        "take.wav is cut short: 0.01 s of its sound (441 frames) are missing.\nThe sound it holds will be opened.",
        host_.texts[0]);
    EXPECT_EQ(4000 - 441, doc->GetLength());
    std::vector<int16_t> left = FileChannel(0);
    left.resize(4000 - 441);
    EXPECT_EQ(left, TrackSamples(doc, 0));
}
