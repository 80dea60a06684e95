// Random sequences of every journalled command type (clips, clipboard, files, recording,
// envelopes, marks, tracks, mixing, trims, fades) done, undone and redone at random depths
// through a real document's history: at each depth the whole document is as it was there; at
// the end the journal replayed into a fresh document of the same start gives the same document.
// A program running such a session killed at random moments leaves a journal that replays to
// the document it had at the depth of its last finished step.
//
// KV_HISTORY_KILLS sets the number of kills (default 12), KV_HISTORY_KILL_SEED the seed.
#include "ClipboardCommands.h"
#include "DocumentPrint.h"
#include "EditFixture.h"
#include "FwApp.h"
#include "JournalSupport.h"
#include "RandomEdits.h"

#include <sstream>

using namespace kvtest;

namespace {

constexpr const char* kChildVariable = "KV_HISTORY_KILL_CHILD";
constexpr UINT kKilledCode = 77;

std::string Variable(const char* name)
{
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? value : "";
}

// A print on one line: its line breaks as '|'.
std::string OneLine(std::string print)
{
    for (char& c : print)
        if (c == '\n')
            c = '|';
    return print;
}

class EditHistoryRandom : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSA wc{};
        // As the main frame: the program's clipboard contents destroyed, its copies go.
        wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_DESTROYCLIPBOARD)
                ReleasePendingCopies();
            return ::DefWindowProcA(window, message, wParam, lParam);
        };
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvEditRandomOwner";
        ::RegisterClassA(&wc);
        owner_ = ::CreateWindowA("KvEditRandomOwner", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
        SetClipboardOwnerWindow(owner_);
        AfxSetMessageBoxHook([](const char*, const char*, UINT) { return IDYES; });
        for (int i = 0; i < 4; ++i)
            items_.push_back(MakeItem("item" + std::to_string(i) + ".raw", 300 + 250 * i, WORD(1 + i % 2), 16, 44100));
    }
    void TearDown() override
    {
        AfxSetMessageBoxHook(nullptr);
        ReleasePendingCopies();
        SetClipboardOwnerWindow(nullptr);
        ::DestroyWindow(owner_);
        EditTest::TearDown();
        ::CoUninitialize();
    }

    // The same start for the run and its replay: three tracks with audio, one mark.
    void Base(CNyMultiTrackDoc* doc)
    {
        for (int t = 0; t < 3; ++t)
            PlaceItem(doc, t, 100 * t, items_[t].Get());
        LabelRecord cue{};
        cue.kind = kLabelCue;
        cue.trackId = doc->GetTrackId(0);
        cue.start = cue.end = 400;
        doc->GetLabels().Add(cue);
    }

    HWND owner_ = nullptr;
    std::vector<ComRef<IUnknown>> items_;
};

TEST_F(EditHistoryRandom, UndoRedoAtRandomDepthsAndReplayGiveBackTheDocument)
{
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        CNyMultiTrackDoc* doc = NewDoc({1, 2, 1});
        Base(doc);
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
        std::string path = scratch_.File("journal" + std::to_string(seed) + ".kcm");
        ASSERT_EQ(S_OK, journal->Open(path.c_str()));
        WriteDocumentRecord(journal.Get());
        RandomEdits edits(items_, seed);
        RandomSession session(doc, edits);
        for (int step = 0; step < 90; ++step) {
            std::string what;
            ASSERT_TRUE(session.Step(&what)) << "step " << step;
        }
        EXPECT_GE(session.Done().size(), 25u);
        const std::string last = ContentPrint(doc);
        const std::vector<std::string> stack = DescribeUndo(doc->GetHistory());
        journal->Close();
        std::string copy = scratch_.File("replay" + std::to_string(seed) + ".kcm");
        WriteFileBytes(copy, ReadFileBytes(path));

        CNyMultiTrackDoc* fresh = SecondDoc({1, 2, 1}, 44100);
        Base(fresh);
        ASSERT_EQ(S_OK, QueryCom<IJournalFile>(fresh->GetHistory())->Open(copy.c_str()));
        EXPECT_EQ(stack, DescribeUndo(fresh->GetHistory()));
        EXPECT_EQ(last, ContentPrint(fresh));
        QueryCom<IJournalFile>(fresh->GetHistory())->Close();
    }
}

// Run only as the child of the test below: a random session with its journal until killed.
// Its log: the scratch folder on the first line, then after each step the undo depth and
// the document's print, each line in one write, so a kill leaves whole lines and at most one
// cut short.
TEST_F(EditHistoryRandom, DISABLED_EditsUntilKilled)
{
    std::istringstream order(Variable(kChildVariable));
    std::string journalPath, logPath, eventName, seed, killAfter;
    std::getline(order, journalPath, '|');
    std::getline(order, logPath, '|');
    std::getline(order, eventName, '|');
    std::getline(order, seed, '|');
    std::getline(order, killAfter, '|');
    ASSERT_FALSE(killAfter.empty()) << "started only by the kill test";
    CNyMultiTrackDoc* doc = NewDoc({1, 2, 1});
    Base(doc);
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
    ASSERT_EQ(S_OK, journal->Open(journalPath.c_str()));
    WriteDocumentRecord(journal.Get());
    HANDLE log = CreateFileA(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    auto write = [&](const std::string& line) {
        DWORD done = 0;
        WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
    };
    write(scratch_.Path() + "\n");
    HANDLE midway = OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName.c_str());
    ASSERT_NE(midway, nullptr);
    RandomEdits edits(items_, static_cast<unsigned>(std::stoul(seed)));
    RandomSession session(doc, edits);
    for (unsigned step = 0;; ++step) {
        if (step == std::stoul(killAfter))
            SetEvent(midway);
        std::string what;
        ASSERT_TRUE(session.Step(&what));
        write(std::to_string(session.Depth()) + " " + OneLine(ContentPrint(doc)) + "\n");
    }
}

TEST_F(EditHistoryRandom, AKilledSessionsJournalReplaysToTheDocumentAtItsDepth)
{
    const std::string kills = Variable("KV_HISTORY_KILLS"), seed = Variable("KV_HISTORY_KILL_SEED");
    std::mt19937 random(seed.empty() ? 1u : static_cast<unsigned>(std::stoul(seed)));
    const std::string eventName = "kvhistorykill-" + std::to_string(GetCurrentProcessId());
    HANDLE midway = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    unsigned compared = 0;
    const unsigned count = kills.empty() ? 12u : static_cast<unsigned>(std::stoul(kills));
    for (unsigned kill = 0; kill < count; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const std::string journalPath = scratch_.File("KVC" + std::to_string(kill) + ".tmp");
        const std::string logPath = scratch_.File("child" + std::to_string(kill) + ".log");
        const std::string order = journalPath + "|" + logPath + "|" + eventName + "|" + std::to_string(random()) + "|" +
                                  std::to_string(1 + random() % 120);
        ResetEvent(midway);
        DWORD code = 0;
        ASSERT_TRUE(KillChildAtEvent("commands_tests.exe", "EditHistoryRandom.DISABLED_EditsUntilKilled",
                                     kChildVariable, order, midway, kKilledCode, &code))
            << "the child stopped on its own, exit code " << code;

        const Bytes log = ReadFileBytes(logPath);
        std::istringstream in(std::string(log.begin(), log.end()));
        std::string childScratch, line, last;
        std::getline(in, childScratch);
        while (std::getline(in, line) && !in.eof())
            last = line;
        size_t end = 0;
        const size_t records = FinishedRecords(ReadFileBytes(journalPath), &end).size() - 1; // less the document's
        {
            CNyMultiTrackDoc* replayed = SecondDoc({1, 2, 1}, 44100);
            Base(replayed);
            ComRef<IJournalFile> journal = QueryCom<IJournalFile>(replayed->GetHistory());
            ASSERT_EQ(S_OK, journal->Open(journalPath.c_str())) << "refused";
            EXPECT_EQ(records, DescribeUndo(replayed->GetHistory()).size());
            // The kill may fall between a step's journal and its log line: that depth has no
            // print to compare with.
            const size_t logged = last.empty() ? 0 : std::stoul(last.substr(0, last.find(' ')));
            if (!last.empty() && logged == records) {
                EXPECT_EQ(last.substr(last.find(' ') + 1), OneLine(ContentPrint(replayed)));
                ++compared;
            } else if (!last.empty() && logged + 1 == records) {
                // Killed after the step's record, before its print: one undo of the replayed
                // step must give back the logged document.
                ASSERT_EQ(S_OK, replayed->GetHistory()->Undo());
                EXPECT_EQ(last.substr(last.find(' ') + 1), OneLine(ContentPrint(replayed)));
                ++compared;
            } else {
                EXPECT_TRUE(last.empty() || logged + 1 == records || logged == records + 1)
                    << records << " records after a step logged at depth " << logged;
            }
            journal->Close();
            view2_.reset();
            doc2_.reset();
        }
        // The killed child's items and clip files.
        if (!childScratch.empty() && childScratch.back() == '\\') {
            WIN32_FIND_DATAA found;
            HANDLE find = FindFirstFileA((childScratch + "*").c_str(), &found);
            if (find != INVALID_HANDLE_VALUE) {
                do
                    DeleteFileA((childScratch + found.cFileName).c_str());
                while (FindNextFileA(find, &found));
                FindClose(find);
            }
            RemoveDirectoryA(childScratch.c_str());
        }
    }
    std::printf("%u kills, %u compared with the depth of the last logged step\n", count, compared);
    EXPECT_GT(compared, count / 2);
    CloseHandle(midway);
}

} // namespace
