// A program running these edits is killed at random moments: the journal it leaves, replayed
// onto a document built as its was, gives the document as it stood after its last recorded
// edit. The program killed is this test program, running the child test below.
//
// KV_TRACK_KILLS sets the number of kills (default 8), KV_TRACK_KILL_SEED the seed.
#include "TrackCommandFixture.h"
#include "TrackEdits.h"

#include <fstream>
#include <sstream>

using namespace kvtest;

namespace {

constexpr const char* kChildVariable = "KV_TRACK_KILL_CHILD";
constexpr const char* kChildTest = "TrackCommandTest.DISABLED_EditsUntilKilled";
constexpr UINT kKilledCode = 77;

const std::vector<WORD> kChannels{1, 2, 1};
const std::vector<int> kFrames{3000, 2500, 1200};
const std::vector<int64_t> kStarts{0, 700, 1500};

std::string Variable(const char* name)
{
    char value[1024] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? value : "";
}

unsigned NumberVariable(const char* name, unsigned otherwise)
{
    const std::string value = Variable(name);
    return value.empty() ? otherwise : static_cast<unsigned>(std::stoul(value));
}

// One line per recorded edit: the count of records, then the fingerprint with its line
// breaks as '|'. Each line goes out in one write, so a kill leaves whole lines and at most
// one cut short.
std::string Encode(std::string print)
{
    for (char& c : print)
        if (c == '\n')
            c = '|';
    return print;
}

std::vector<std::string> LoggedPrints(const std::string& path)
{
    std::vector<std::string> prints;
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    while (std::getline(in, line) && !in.eof())
        prints.push_back(line);
    return prints;
}

} // namespace

// Run only as the child of the test below: records edits into its journal until killed.
TEST_F(TrackCommandTest, DISABLED_EditsUntilKilled)
{
    const std::string order = Variable(kChildVariable);
    ASSERT_FALSE(order.empty()) << "started only by the kill test";
    std::istringstream in(order);
    std::string journalPath, logPath, readyName, seed;
    std::getline(in, journalPath, '|');
    std::getline(in, logPath, '|');
    std::getline(in, readyName, '|');
    std::getline(in, seed, '|');
    CNyMultiTrackDoc* doc = Build(kChannels, kFrames, kStarts);
    ComRef<IJournalFile> journal = QueryCom<IJournalFile>(doc->GetHistory());
    ASSERT_EQ(journal->Open(journalPath.c_str()), S_OK);
    WriteDocumentRecord(journal.Get());
    HANDLE log = CreateFileA(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName.c_str());
    ASSERT_NE(ready, nullptr);
    SetEvent(ready);
    CloseHandle(ready);

    std::mt19937 random(static_cast<unsigned>(std::stoul(seed)));
    for (int records = 0; records < 100000;) {
        std::string kind;
        ComRef<IEditCommand> edit = RandomTrackEdit(doc, random, &kind);
        if (!edit || FAILED(doc->GetHistory()->Do(edit.Get(), TRUE)))
            continue;
        ++records;
        const std::string line = std::to_string(records) + " " + Encode(Fingerprint(doc)) + "\n";
        DWORD done = 0;
        WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
    }
}

TEST_F(TrackCommandTest, AKilledEditorsJournalReplaysToItsLastRecordedEdit)
{
    const unsigned kills = NumberVariable("KV_TRACK_KILLS", 8);
    std::mt19937 random(NumberVariable("KV_TRACK_KILL_SEED", 1));
    const std::string readyName = "kvtrackkill-" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    ChildKill ender(kKilledCode);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    const std::string exe = BinFolder() + "track_commands_tests.exe";
    unsigned compared = 0;
    for (unsigned kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const std::string journalPath = files_.File("KVC" + std::to_string(kill) + ".tmp");
        const std::string logPath = files_.File("child" + std::to_string(kill) + ".log");
        const std::string order = journalPath + "|" + logPath + "|" + readyName + "|" + std::to_string(random());
        SetEnvironmentVariableA(kChildVariable, order.c_str());
        std::string command = "\"" + exe + "\" --gtest_filter=" + kChildTest + " --gtest_also_run_disabled_tests";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
        PROCESS_INFORMATION pi = {};
        ResetEvent(ready);
        ender.Arm();
        BOOL started = FALSE;
        for (int attempt = 0; attempt < 5 && !started; ++attempt) {
            started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
            if (!started)
                Sleep(200);
        }
        ender.Disarm();
        SetEnvironmentVariableA(kChildVariable, nullptr);
        ASSERT_TRUE(started);
        HANDLE waits[] = {ready, pi.hProcess};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 60000);
        if (woke == WAIT_OBJECT_0) {
            Sleep(20 + random() % 400);
            ender.Now(pi.hProcess);
        }
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_EQ(woke, WAIT_OBJECT_0) << "the child did not get ready; exit code " << code;
        ASSERT_EQ(code, kKilledCode) << "the child stopped on its own";

        size_t end = 0;
        const size_t records = FinishedRecords(ReadFileBytes(journalPath), &end).size() - 1; // less the document's
        const std::vector<std::string> prints = LoggedPrints(logPath);
        CNyMultiTrackDoc* replayed = Build(kChannels, kFrames, kStarts);
        ComRef<IJournalFile> journal = QueryCom<IJournalFile>(replayed->GetHistory());
        ASSERT_EQ(journal->Open(journalPath.c_str()), S_OK);
        EXPECT_EQ(DescribeUndo(replayed->GetHistory()).size(), records);
        // The kill may fall between an edit's record and its log line: that edit has no
        // fingerprint to compare with.
        ASSERT_TRUE(prints.size() == records || prints.size() + 1 == records)
            << records << " records, " << prints.size() << " logged";
        if (records > 0 && prints.size() == records) {
            EXPECT_EQ(std::to_string(records) + " " + Encode(Fingerprint(replayed)), prints.back());
            ++compared;
        }
        journal->Close();
    }
    std::printf("%u kills, %u compared with the last logged edit\n", kills, compared);
    EXPECT_GT(compared, 0u);
    CloseHandle(nul);
    CloseHandle(ready);
}
