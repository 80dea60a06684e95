// The program's files as a user meets them, in real program processes: File Open, Save As,
// Export and Import through the program's dialogs, and the edit journal that brings back the
// work of a killed program at its next start.
#include <gtest/gtest.h>
#include <windows.h>

#include "FwResource.h"
#include "KsMultiTrackLoader.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "WavFile.h"

#include <dlgs.h>

#include <cstring>
#include <string>
#include <vector>

using kvtest::ProgramProcess;

namespace {

constexpr UINT kImport = 1000, kExport = 1001, kAddMonoTrack = 1040, kAddStereoTrack = 1041, kGoToEnd = 1030;
constexpr int kFrames = 4410;

std::string Program()
{
    return kvtest::BinFolder() + "KvSound5EU.exe";
}

std::string SessionFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "kv5eu\\";
}

std::vector<std::string> SessionFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((SessionFolder() + "KVC*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(SessionFolder() + found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Left channel i * 7, right channel -(i * 5): every frame tells where it came from.
std::vector<int16_t> Channel(int channel)
{
    std::vector<int16_t> samples(kFrames);
    for (int i = 0; i < kFrames; ++i)
        samples[size_t(i)] = int16_t(channel == 0 ? i * 7 : -(i * 5));
    return samples;
}

// A stereo 16-bit WAV of kFrames frames with one cue point at frame 100.
bool WriteSongWithCue(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const uint32_t dataBytes = kFrames * 4, cueBytes = 4 + 24;
    auto u32 = [f](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(4 + 24 + 8 + dataBytes + 8 + cueBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    const std::vector<int16_t> left = Channel(0), right = Channel(1);
    for (int i = 0; i < kFrames; ++i) {
        u16(uint16_t(left[size_t(i)]));
        u16(uint16_t(right[size_t(i)]));
    }
    std::fwrite("cue ", 1, 4, f);
    u32(cueBytes);
    u32(1);
    u32(1);   // id
    u32(100); // position
    std::fwrite("data", 1, 4, f);
    u32(0);
    u32(0);
    u32(100); // sample offset
    return std::fclose(f) == 0;
}

// The program's file dialog (the system's explorer dialog with the name box), or null.
HWND FileDialogOf(const ProgramProcess& program)
{
    for (HWND box : program.Boxes())
        if (GetDlgItem(box, cmb13) || GetDlgItem(box, edt1))
            return box;
    return nullptr;
}

// A box of the program that is not its file dialog and shows the button `answer`: its text,
// answered with that button. A box without it (the save's progress) is left alone.
std::string AnswerOtherBox(const ProgramProcess& program, WPARAM answer)
{
    for (HWND box : program.Boxes()) {
        if (GetDlgItem(box, cmb13) || GetDlgItem(box, edt1))
            continue;
        HWND button = GetDlgItem(box, static_cast<int>(answer));
        if (!button || !IsWindowVisible(button))
            continue;
        std::string text = kvtest::BoxText(box);
        PostMessageA(box, WM_COMMAND, answer, 0);
        return text.empty() ? "(a box without text)" : text;
    }
    return "";
}

// Waits for the program's file dialog, types the full path into its name box and presses OK.
bool ChooseInFileDialog(const ProgramProcess& program, const std::string& path)
{
    HWND dialog = nullptr;
    for (int i = 0; i < 300 && !dialog; ++i, Sleep(50))
        dialog = FileDialogOf(program);
    if (!dialog)
        return false;
    HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    for (int i = 0; i < 200 && IsWindow(dialog) && IsWindowVisible(dialog); ++i)
        Sleep(50);
    return !IsWindow(dialog) || !IsWindowVisible(dialog);
}

// Runs a command as choosing its menu item does, and returns once the program has run it.
void Command(HWND frame, UINT id)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(frame, WM_COMMAND, id, 0, SMTO_NORMAL, 20000, &result);
}

template <class Condition>
bool WaitFor(Condition condition, int ms = 15000)
{
    for (int waited = 0; waited < ms; waited += 50, Sleep(50))
        if (condition())
            return true;
    return condition();
}

// Go to End posts the key its view acts on, and a message sent from here is handled before
// anything posted: a command sent right after it would still see the old selection. An About
// box posted now comes after that key; once it has come and gone, the key has been handled.
bool HandlePosted(const ProgramProcess& program, HWND frame)
{
    PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND box = program.WaitForBox();
    if (!box)
        return false;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return WaitFor([&] { return program.Boxes().empty(); });
}

void Kill(const ProgramProcess& program)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, program.Id());
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

// A project or sound file read back in this process, as the program reads it.
class ReadBack {
public:
    explicit ReadBack(const std::string& path)
    {
        m_document.m_bAutoDelete = FALSE;
        m_document.AddView(&m_view);
        m_opened = m_document.OnOpenDocument(path.c_str()) != FALSE;
    }
    ~ReadBack() { m_document.RemoveView(&m_view); }
    bool Opened() const { return m_opened; }
    CNyMultiTrackDoc& Doc() { return m_document; }
    int64_t Length(int track) { return m_document.GetTrackExtent(track, 0); }
    // The first channel of a track, as 16-bit samples.
    std::vector<int16_t> Samples(int track)
    {
        ComRef<IMtItem> reader;
        if (FAILED(m_document.GetTrack(track)->CreateReader(reader.Out(), 0)))
            return {};
        reader->BeginRead();
        WORD channels = 1;
        m_document.GetTrack(track)->GetChannels(&channels);
        std::vector<int16_t> all(1 << 16);
        DWORD got = 0;
        reader->Read(all.data(), DWORD(all.size() * 2), &got);
        reader->EndRead();
        std::vector<int16_t> first;
        for (size_t i = 0; i < got / 2; i += channels)
            first.push_back(all[i]);
        return first;
    }

private:
    CNyMultiTrackDoc m_document;
    CNyMultiTrackView m_view;
    bool m_opened = false;
};

class ProgramFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kvtest::ClearProgramKey();
        for (const std::string& left : SessionFiles())
            DeleteFileA(left.c_str());
        song_ = scratch_.File("song.wav");
        ASSERT_TRUE(WriteSongWithCue(song_));
    }
    // A session file kept for a later attempt would make the next start of the program in
    // this test process (also one in the process itself) offer to recover it.
    void TearDown() override
    {
        for (const std::string& left : SessionFiles())
            DeleteFileA(left.c_str());
    }

    // Starts the program and waits for its main frame.
    HWND Start(ProgramProcess& program)
    {
        HWND frame = program.WaitForFrame();
        EXPECT_NE(frame, nullptr) << "no main frame";
        return frame;
    }

    // A start that finds a killed run's work: Recover in its dialog, then the main frame (null
    // when either did not come).
    HWND StartRecovering(ProgramProcess& program)
    {
        HWND box = program.WaitForBox();
        if (!box || !GetDlgItem(box, 5341))
            return nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return Start(program);
    }

    // File Open through the program's open dialog; true once the document's window shows.
    bool OpenThroughDialog(const ProgramProcess& program, HWND frame, const std::string& path, const char* title)
    {
        PostMessageA(frame, WM_COMMAND, ID_FILE_OPEN, 0);
        if (!ChooseInFileDialog(program, path))
            return false;
        return WaitFor([&] { return kvtest::HasChildTitled(frame, title); });
    }

    // Save As (or Export) through the program's save dialog; true once the file is there and
    // the program is idle again. A question after the save is awaited when `asked` is given,
    // and answered with `answer`.
    bool SaveThroughDialog(const ProgramProcess& program, HWND frame, UINT command, const std::string& path,
                           std::string* asked = nullptr, WPARAM answer = IDNO)
    {
        PostMessageA(frame, WM_COMMAND, command, 0);
        if (!ChooseInFileDialog(program, path))
            return false;
        bool written = WaitFor([&] {
            std::string text = AnswerOtherBox(program, answer);
            if (!text.empty() && asked)
                *asked = text;
            return Exists(path) && (!asked || !asked->empty()) && program.Boxes().empty();
        });
        Sleep(200);
        DWORD_PTR result = 0; // the save has returned
        SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result);
        return written;
    }

    kvtest::ScratchFolder scratch_;
    std::string song_;
};

} // namespace

TEST_F(ProgramFilesTest, OpenAWavWithCuesAddATrackSaveAsAProjectReopenExportReopen)
{
    const std::string project = scratch_.File("song.kvs"), mix = scratch_.File("mix.wav");
    {
        ProgramProcess program(Program());
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(OpenThroughDialog(program, frame, song_, "song.wav")) << AnswerOtherBox(program, IDOK);
        Command(frame, kAddStereoTrack);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, " *"); })) << "the new track left it unmodified";
        ASSERT_TRUE(SaveThroughDialog(program, frame, ID_FILE_SAVE_AS, project));
        EXPECT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.kvs"); }));
        EXPECT_FALSE(kvtest::HasChildTitled(frame, " *")) << "saved as a project yet still modified";

        Command(frame, ID_FILE_CLOSE);
        ASSERT_TRUE(WaitFor([&] { return !kvtest::HasChildTitled(frame, "song"); })) << AnswerOtherBox(program, IDNO);
        ASSERT_TRUE(OpenThroughDialog(program, frame, project, "song.kvs")) << AnswerOtherBox(program, IDOK);

        // Three tracks written as a stereo mix: the program asks whether to open it (No).
        std::string asked;
        ASSERT_TRUE(SaveThroughDialog(program, frame, kExport, mix, &asked)) << "the mixdown question did not come";
        ASSERT_TRUE(OpenThroughDialog(program, frame, mix, "mix.wav")) << AnswerOtherBox(program, IDOK);
        EXPECT_TRUE(program.Boxes().empty()) << kvtest::BoxText(program.Boxes().front());

        // Import through the open dialog adds the song's tracks to the mix.
        PostMessageA(frame, WM_COMMAND, kImport, 0);
        ASSERT_TRUE(ChooseInFileDialog(program, song_));
        EXPECT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "mix.wav *"); }))
            << "the import changed nothing: " << AnswerOtherBox(program, IDOK);

        // Closing asks whether to save the changed mix: No.
        PostMessageA(frame, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(WaitFor(
            [&] {
                AnswerOtherBox(program, IDNO);
                return program.WaitForExit(0, &code);
            },
            20000));
        EXPECT_EQ(code, 0u);
    }
    EXPECT_TRUE(SessionFiles().empty()) << "a clean close left journals";

    // The chunked project keeps the stereo track as a mono pair.
    ReadBack saved(project);
    ASSERT_TRUE(saved.Opened());
    ASSERT_EQ(4, saved.Doc().GetTrackCount());
    EXPECT_EQ(Channel(0), saved.Samples(0));
    EXPECT_EQ(Channel(1), saved.Samples(1));
    EXPECT_EQ(0, saved.Length(2));
    EXPECT_EQ(0, saved.Length(3));
    std::vector<LabelRecord> cues;
    saved.Doc().FindLabelsInRange(-1, cues, 0, -1, kLabelCue);
    ASSERT_EQ(1u, cues.size());
    EXPECT_EQ(100, cues[0].start);

    ReadBack exported(mix);
    ASSERT_TRUE(exported.Opened());
    EXPECT_EQ(2, exported.Doc().GetTrackCount());
    EXPECT_EQ(kFrames, exported.Length(0));
}

TEST_F(ProgramFilesTest, AKilledProgramsEditsComeBackAtTheNextStartAndCancelDeletesThem)
{
    {
        // Edits through the menu's commands, never saved: the whole song copied to its end,
        // a stereo track added; then the program is killed.
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        for (UINT id : {UINT(ID_EDIT_SELECT_ALL), UINT(ID_EDIT_COPY), kGoToEnd})
            Command(frame, id);
        ASSERT_TRUE(HandlePosted(program, frame)) << "no About box";
        for (UINT id : {UINT(ID_EDIT_PASTE), kAddStereoTrack})
            Command(frame, id);
        ASSERT_TRUE(program.Boxes().empty()) << kvtest::BoxText(program.Boxes().front());
        Kill(program);
    }
    ASSERT_EQ(1u, SessionFiles().size()) << "the killed program left no journal";

    const std::string recovered = scratch_.File("recovered.kvs");
    {
        ProgramProcess program(Program());
        HWND frame = StartRecovering(program);
        ASSERT_NE(frame, nullptr) << "no recovery dialog or no main frame";
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav *"); }))
            << "the recovered document is not there as modified: " << AnswerOtherBox(program, IDOK);
        ASSERT_TRUE(SaveThroughDialog(program, frame, ID_FILE_SAVE_AS, recovered));
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.WaitForExit(20000)) << AnswerOtherBox(program, IDNO);
    }
    {
        ReadBack back(recovered);
        ASSERT_TRUE(back.Opened());
        ASSERT_EQ(4, back.Doc().GetTrackCount()); // the stereo track saved as a mono pair
        std::vector<int16_t> twice = Channel(0);
        twice.insert(twice.end(), twice.begin(), twice.end());
        EXPECT_EQ(twice, back.Samples(0));
        EXPECT_EQ(2 * kFrames, back.Length(1));
        EXPECT_EQ(0, back.Length(2));
        EXPECT_EQ(0, back.Length(3));
    }
    EXPECT_TRUE(SessionFiles().empty());

    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        Command(frame, kAddMonoTrack);
        Kill(program);
    }
    const std::vector<std::string> left = SessionFiles();
    ASSERT_EQ(1u, left.size());
    {
        ProgramProcess program(Program());
        HWND box = program.WaitForBox();
        ASSERT_NE(box, nullptr) << "no recovery dialog";
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(WaitFor([&] { return !Exists(left[0]); })) << "Cancel kept the journal";
        EXPECT_FALSE(kvtest::HasChildTitled(frame, "song")) << "Cancel rebuilt the document";
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.WaitForExit(20000)) << AnswerOtherBox(program, IDNO);
    }
}

TEST_F(ProgramFilesTest, ASavedThenEditedAndKilledDocumentComesBackAsTheFileAndTheLaterEditsOnly)
{
    const std::string saved = scratch_.File("saved.kvs"), recovered = scratch_.File("recovered.kvs");
    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        Command(frame, kAddStereoTrack);
        ASSERT_TRUE(SaveThroughDialog(program, frame, ID_FILE_SAVE_AS, saved));
        Command(frame, kAddMonoTrack);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "saved.kvs *"); }));
        Kill(program);
    }
    {
        ProgramProcess program(Program());
        HWND frame = StartRecovering(program);
        ASSERT_NE(frame, nullptr) << "no recovery dialog or no main frame";
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "saved.kvs *"); }))
            << AnswerOtherBox(program, IDOK);
        ASSERT_TRUE(SaveThroughDialog(program, frame, ID_FILE_SAVE_AS, recovered));
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.WaitForExit(20000)) << AnswerOtherBox(program, IDNO);
    }
    ReadBack back(recovered);
    ASSERT_TRUE(back.Opened());
    // Two from the song, the stereo track saved with it as a mono pair, the mono track added
    // after the save.
    ASSERT_EQ(5, back.Doc().GetTrackCount());
    EXPECT_EQ(Channel(1), back.Samples(1));
    WORD channels = 0;
    back.Doc().GetTrack(4)->GetChannels(&channels);
    EXPECT_EQ(1, channels);
}

namespace {

constexpr UINT kGoToStart = 1029, kNewCue = 1033;

// Edits through the menu's commands, marks among them made and taken back: a track added
// and undone, a cue at the end, a second one undone, the whole song pasted at the start (which
// moves the marks after it).
void EditWithUndoneMarks(const ProgramProcess& program, HWND frame)
{
    Command(frame, kAddMonoTrack);
    Command(frame, ID_EDIT_UNDO);
    Command(frame, kGoToEnd);
    ASSERT_TRUE(HandlePosted(program, frame)) << "no About box";
    Command(frame, kNewCue);
    Command(frame, kNewCue);
    Command(frame, ID_EDIT_UNDO);
    Command(frame, ID_EDIT_SELECT_ALL);
    Command(frame, ID_EDIT_COPY);
    Command(frame, kGoToStart);
    ASSERT_TRUE(HandlePosted(program, frame)) << "no About box";
    Command(frame, ID_EDIT_PASTE);
    ASSERT_TRUE(program.Boxes().empty()) << kvtest::BoxText(program.Boxes().front());
}

// The records of a journal file: where each starts, after the journal's own header.
std::vector<size_t> RecordStarts(const std::vector<uint8_t>& bytes)
{
    std::vector<size_t> starts;
    for (size_t at = 16; at + 16 <= bytes.size();) {
        uint64_t size = 0;
        std::memcpy(&size, &bytes[at + 8], 8);
        if (at + 16 + size > bytes.size())
            break;
        starts.push_back(at);
        at += 16 + size + (size & 1);
    }
    return starts;
}

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(f);
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

} // namespace

TEST_F(ProgramFilesTest, AKilledSessionWithUndoneMarksComesBackAsItsUncrashedTwinSavesIt)
{
    const std::string twin = scratch_.File("twin.wav"), recovered = scratch_.File("recovered.wav");
    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        EditWithUndoneMarks(program, frame);
        ASSERT_TRUE(SaveThroughDialog(program, frame, kExport, twin));
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] {
            AnswerOtherBox(program, IDNO);
            return program.WaitForExit(0);
        }, 20000));
    }
    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        EditWithUndoneMarks(program, frame);
        Kill(program);
    }
    {
        ProgramProcess program(Program());
        HWND frame = StartRecovering(program);
        ASSERT_NE(frame, nullptr) << "no recovery dialog or no main frame";
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav *"); }))
            << "not recovered: " << AnswerOtherBox(program, IDOK);
        ASSERT_TRUE(SaveThroughDialog(program, frame, kExport, recovered));
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] {
            AnswerOtherBox(program, IDNO);
            return program.WaitForExit(0);
        }, 20000));
    }
    const std::vector<uint8_t> expected = FileBytes(twin), saved = FileBytes(recovered);
    ASSERT_GT(expected.size(), size_t(kFrames) * 8) << "the twin's paste is missing";
    EXPECT_TRUE(expected == saved) << "sizes " << expected.size() << " and " << saved.size();
}

TEST_F(ProgramFilesTest, ADocumentRenamedByAnExportComesBackUnderItsNewNameAndSavesThere)
{
    const std::vector<uint8_t> original = FileBytes(song_);
    const std::string renamed = scratch_.File("renamed.wav");
    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        ASSERT_TRUE(SaveThroughDialog(program, frame, kExport, renamed));
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "renamed.wav"); }))
            << "the export did not rename the document";
        for (UINT id : {UINT(ID_EDIT_SELECT_ALL), UINT(ID_EDIT_COPY), kGoToEnd})
            Command(frame, id);
        ASSERT_TRUE(HandlePosted(program, frame));
        Command(frame, ID_EDIT_PASTE);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "renamed.wav *"); }));
        Kill(program);
    }
    {
        ProgramProcess program(Program());
        HWND frame = StartRecovering(program);
        ASSERT_NE(frame, nullptr) << "no recovery dialog or no main frame";
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "renamed.wav *"); }))
            << "not back under its new name: " << AnswerOtherBox(program, IDOK);
        Command(frame, ID_FILE_SAVE);
        ASSERT_TRUE(WaitFor([&] {
            AnswerOtherBox(program, IDYES);
            return !kvtest::HasChildTitled(frame, "renamed.wav *");
        })) << "the save did not happen";
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] {
            AnswerOtherBox(program, IDNO);
            return program.WaitForExit(0);
        }, 20000));
    }
    EXPECT_TRUE(FileBytes(song_) == original) << "the source file was written over";
    ReadBack back(renamed);
    ASSERT_TRUE(back.Opened());
    EXPECT_EQ(2 * kFrames, back.Length(0));
}

TEST_F(ProgramFilesTest, AJournalThatCannotBeReplayedPastItsTenthRecordBringsBackNineEditsAndStays)
{
    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        for (int i = 0; i < 12; ++i)
            Command(frame, kNewCue);
        ASSERT_TRUE(program.Boxes().empty()) << kvtest::BoxText(program.Boxes().front());
        Kill(program);
    }
    const std::vector<std::string> left = SessionFiles();
    ASSERT_EQ(1u, left.size());
    std::vector<uint8_t> journal = FileBytes(left[0]);
    const std::vector<size_t> records = RecordStarts(journal);
    ASSERT_EQ(13u, records.size()) << "the document's record and twelve edits";
    // The tenth edit's record names a type no program knows; its group's own record is first.
    size_t tenth = records[10] + 16;
    if (std::memcmp(&journal[records[10]], "KSCMKGRP", 8) == 0)
        tenth += 16;
    std::memcpy(&journal[tenth + 2], "nosuchtype\0", 11);
    WriteBytes(left[0], journal);
    {
        ProgramProcess program(Program());
        HWND frame = StartRecovering(program);
        ASSERT_NE(frame, nullptr) << "no recovery dialog or no main frame";
        std::string told;
        ASSERT_TRUE(WaitFor([&] {
            // The message box, not the progress of the open.
            for (HWND shown : program.Boxes())
                if (told.empty() && GetDlgItem(shown, IDOK) && !GetDlgItem(shown, 5341)) {
                    told = kvtest::BoxText(shown);
                    PostMessageA(shown, WM_COMMAND, IDOK, 0);
                }
            return !told.empty() && kvtest::HasChildTitled(frame, "song.wav *");
        })) << "not recovered: " << told;
        EXPECT_NE(told.find("9 edits"), std::string::npos) << told;
        EXPECT_NE(told.find(left[0].substr(left[0].find_last_of('\\') + 1)), std::string::npos) << told;
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] {
            AnswerOtherBox(program, IDNO);
            return program.WaitForExit(0);
        }, 20000));
    }
    EXPECT_TRUE(FileBytes(left[0]) == journal) << "the session's journal was not kept as it was";
    EXPECT_EQ(1u, SessionFiles().size()) << "the copy it went on in stayed behind";
}

TEST_F(ProgramFilesTest, TheStartRemovesScratchFilesOfKilledRunsAndSavesThatNothingHolds)
{
    // Left by killed saves beside the song, and by a killed run in the temporary folder; one
    // held by another program, and files of other names.
    const std::string killedSave = scratch_.File("NY1A2B.tmp"), held = scratch_.File("NY77.tmp"),
                      notOurs = scratch_.File("NYnotes.tmp"), text = scratch_.File("NY1A2C.txt"),
                      killedRun = SessionFolder() + "KMTF00D.tmp";
    CreateDirectoryA(SessionFolder().c_str(), nullptr); // the program makes it at its first start
    for (const std::string& path : {killedSave, held, notOurs, text, killedRun})
        WriteBytes(path, std::vector<uint8_t>(64, 1));
    HANDLE holding = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holding, INVALID_HANDLE_VALUE);
    Sleep(100); // written before the program starts
    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([&] { return kvtest::HasChildTitled(frame, "song.wav"); }));
        EXPECT_TRUE(WaitFor([&] { return !Exists(killedSave) && !Exists(killedRun); }))
            << "a killed save's or run's scratch file stayed";
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] {
            AnswerOtherBox(program, IDNO);
            return program.WaitForExit(0);
        }, 20000));
    }
    CloseHandle(holding);
    EXPECT_TRUE(Exists(held)) << "a file held open was deleted";
    EXPECT_TRUE(Exists(notOurs));
    EXPECT_TRUE(Exists(text));
}

// Another user's copy of the program may use the same folders: its scratch files of the moment
// look like those killed runs and saves left, so a start removes none while it runs.
TEST_F(ProgramFilesTest, TheStartRemovesNoScratchFilesWhileAnotherCopyRuns)
{
    const std::string save = scratch_.File("NY1A2B.tmp"), run = SessionFolder() + "KMTF00D.tmp";
    CreateDirectoryA(SessionFolder().c_str(), nullptr);
    for (const std::string& path : {save, run})
        WriteBytes(path, std::vector<uint8_t>(64, 1));
    // The other copy: a process of the program's name that never runs (this test program).
    kvtest::ScratchFolder elsewhere;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string copy = elsewhere.File("KvSound5EU.exe");
    ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
    std::string line = "\"" + copy + "\" --gtest_list_tests";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other{};
    ASSERT_TRUE(CreateProcessA(copy.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &other));
    Sleep(100); // written before the program starts
    {
        ProgramProcess program(Program(), "\"" + song_ + "\"");
        HWND frame = Start(program);
        EXPECT_NE(frame, nullptr);
        // The instance information is written once the clean-up is past.
        EXPECT_TRUE(WaitFor([] {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\Common\\KorvaneSound", 0, KEY_READ, &key) !=
                ERROR_SUCCESS)
                return false;
            const bool written = RegQueryValueExA(key, "Mutex", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
            RegCloseKey(key);
            return written;
        }));
        EXPECT_TRUE(Exists(save)) << "a scratch file beside the song went while another copy ran";
        EXPECT_TRUE(Exists(run)) << "a scratch file in the temporary folder went while another copy ran";
        if (frame) {
            PostMessageA(frame, WM_CLOSE, 0, 0);
            EXPECT_TRUE(WaitFor([&] {
                AnswerOtherBox(program, IDNO);
                return program.WaitForExit(0);
            }, 20000));
        }
    }
    TerminateProcess(other.hProcess, 1);
    WaitForSingleObject(other.hProcess, 10000);
    CloseHandle(other.hThread);
    CloseHandle(other.hProcess);
    DeleteFileA(run.c_str());
}
