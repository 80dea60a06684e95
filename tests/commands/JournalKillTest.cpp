// A program killed at random moments while it adds, undoes and redoes edits: after each kill
// the journal must reopen with exactly the records that were written to their end, and go on
// from there. The program killed is this test program itself, running the child test below.
//
// KV_JOURNAL_KILLS sets the number of kills (default 24), KV_JOURNAL_KILL_SEED the seed.
#include "HistoryFixture.h"

#include <cstdio>
#include <random>
#include <sstream>

using namespace kvtest;

namespace {

using Names = std::vector<std::string>;

constexpr const char* kChildVariable = "KV_JOURNAL_KILL_CHILD";
constexpr const char* kChildTest = "JournalKillChild.DISABLED_EditsUntilKilled";
constexpr UINT kKilledCode = 77;

std::string Variable(const char* name)
{
    char value[512] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length && length < sizeof value ? value : "";
}

unsigned NumberVariable(const char* name, unsigned otherwise)
{
    const std::string value = Variable(name);
    return value.empty() ? otherwise : static_cast<unsigned>(std::stoul(value));
}

// The child's work order: journal, log, ready event, seed and name prefix, one per line.
struct Order {
    std::string journal, log, ready;
    unsigned seed = 0;
    std::string prefix;
};

std::string Encode(const Order& order)
{
    return order.journal + "|" + order.log + "|" + order.ready + "|" + std::to_string(order.seed) + "|" + order.prefix;
}

Order Decode(const std::string& text)
{
    Order order;
    std::istringstream in(text);
    std::string seed;
    std::getline(in, order.journal, '|');
    std::getline(in, order.log, '|');
    std::getline(in, order.ready, '|');
    std::getline(in, seed, '|');
    std::getline(in, order.prefix, '|');
    order.seed = static_cast<unsigned>(std::stoul(seed));
    return order;
}

// Appends whole lines to the child's log; each line goes out in one write, so a kill leaves
// whole lines (and at most one cut short at the end).
class Log {
public:
    explicit Log(const std::string& path)
        : m_file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr))
    {
    }
    ~Log() { CloseHandle(m_file); }
    void Line(const std::string& text)
    {
        const std::string line = text + "\n";
        DWORD done = 0;
        WriteFile(m_file, line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
    }

private:
    HANDLE m_file;
};

ComRef<IEditCommand> NewCommand(std::mt19937& rng, const std::string& name, int depth = 0)
{
    const unsigned kind = rng() % (depth < 2 ? 4 : 2);
    if (kind == 0)
        return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<StepCommand>(name.c_str()));
    if (kind == 1)
        return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<BodyCommand>(name.c_str(), rng()));
    ComRef<TransactionCommand> group(ComObject<IEditCommand>::Create<TransactionCommand>(name.c_str()));
    for (unsigned i = rng() % 4; i-- > 0;)
        group->Add(NewCommand(rng, name + "." + std::to_string(i), depth + 1).Get());
    return ComRef<IEditCommand>(group.Detach());
}

// What the journal may hold after the child's log: the records before the operation the kill
// interrupted, and those after it. The log names each operation before it starts ("+ record"
// for an append, "-" for a cut) and says "ok" once it has returned.
std::vector<Names> PossibleRecords(Names records, const std::string& log)
{
    std::istringstream in(log);
    std::string line;
    std::string pending;
    while (std::getline(in, line)) {
        if (in.eof())
            break; // cut short by the kill: the operation had not started
        if (line == "ok") {
            if (pending == "-")
                records.pop_back();
            else
                records.push_back(pending.substr(2));
            pending.clear();
        } else {
            pending = line;
        }
    }
    std::vector<Names> possible = {records};
    if (pending == "-") {
        records.pop_back();
        possible.push_back(records);
    } else if (!pending.empty()) {
        records.push_back(pending.substr(2));
        possible.push_back(records);
    }
    return possible;
}

std::string ReadText(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

// Run only as the child of the test below: edits the journal it is given until it is killed.
TEST(JournalKillChild, DISABLED_EditsUntilKilled)
{
    const std::string orderText = Variable(kChildVariable);
    ASSERT_FALSE(orderText.empty()) << "started only by JournalKill";
    const Order order = Decode(orderText);
    RegisterTestCommandTypes();
    std::mt19937 rng(order.seed);
    Log log(order.log);
    ComRef<CommandHistory> history(ComObject<ICommandHistory>::Create<CommandHistory>(nullptr));
    ASSERT_EQ(static_cast<IJournalFile*>(history.Get())->Open(order.journal.c_str()), S_OK);
    UINT undoCount = static_cast<UINT>(DescribeUndo(history.Get()).size());
    UINT redoCount = 0;

    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, order.ready.c_str());
    ASSERT_NE(ready, nullptr);
    SetEvent(ready);
    CloseHandle(ready);

    for (int step = 0; step < 1000000; ++step) {
        const unsigned pick = rng() % 100;
        HRESULT hr = S_OK;
        // Undo more often once the stack is long, so the journal stays small.
        if (undoCount && pick < (undoCount > 12 ? 60u : 35u)) {
            log.Line("-");
            hr = history->Undo();
            --undoCount;
            ++redoCount;
        } else if (redoCount && pick < 60) {
            ComRef<ICommandCursor> cursor;
            ComRef<IEditCommand> next;
            history->GetRedoCursor(cursor.Out());
            cursor->Next(next.Out());
            log.Line("+ " + Describe(next.Get()));
            hr = history->Redo();
            ++undoCount;
            --redoCount;
        } else {
            ComRef<IEditCommand> command = NewCommand(rng, order.prefix + "." + std::to_string(step));
            log.Line("+ " + Describe(command.Get()));
            hr = history->Add(command.Get(), TRUE);
            ++undoCount;
            redoCount = 0;
        }
        ASSERT_EQ(hr, S_OK) << "step " << step;
        log.Line("ok");
        CallLog().clear();
    }
}

TEST(JournalKill, EveryKillLeavesAJournalThatReopensWithItsFinishedRecords)
{
    const unsigned kills = NumberVariable("KV_JOURNAL_KILLS", 24);
    const unsigned seed = NumberVariable("KV_JOURNAL_KILL_SEED", 1);
    SCOPED_TRACE("seed " + std::to_string(seed));
    RegisterTestCommandTypes();
    ScratchFolder folder;
    const std::string journalPath = folder.File("KVC1.tmp");
    const std::string logPath = folder.File("child.log");
    const std::string readyName = "kvjournalkill-" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    ChildKill ender(kKilledCode);
    ASSERT_NE(ready, nullptr);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    const std::string exe = BinFolder() + "commands_tests.exe";

    Names records = {"doc"}; // what the journal holds, by the child's logs and our own appends
    {
        ComRef<CommandHistory> history(ComObject<ICommandHistory>::Create<CommandHistory>(nullptr));
        ASSERT_EQ(static_cast<IJournalFile*>(history.Get())->Open(journalPath.c_str()), S_OK);
        WriteDocumentRecord(history.Get());
    }

    std::mt19937 rng(seed);
    unsigned torn = 0;
    for (unsigned kill = 0; kill < kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        const Order order = {journalPath, logPath, readyName, static_cast<unsigned>(rng()), "k" + std::to_string(kill)};
        const DWORD delay = rng() % 12;
        SetEnvironmentVariableA(kChildVariable, Encode(order).c_str());
        std::string command = "\"" + exe + "\" --gtest_filter=" + kChildTest + " --gtest_also_run_disabled_tests";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
        PROCESS_INFORMATION pi = {};
        ResetEvent(ready);
        ender.Arm();
        // Wine now and then fails to start a process while the machine is busy; a start is
        // no part of what this test checks, so it is tried a few times.
        BOOL started = FALSE;
        DWORD startError = 0;
        for (int attempt = 0; attempt < 5 && !started; ++attempt) {
            started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
            if (!started) {
                startError = GetLastError();
                Sleep(200);
            }
        }
        ender.Disarm();
        ASSERT_TRUE(started) << "cannot start the child, error " << startError;
        SetEnvironmentVariableA(kChildVariable, nullptr);
        HANDLE waits[] = {ready, pi.hProcess};
        const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 60000);
        if (woke == WAIT_OBJECT_0) {
            Sleep(delay);
            ender.Now(pi.hProcess);
        }
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_EQ(woke, WAIT_OBJECT_0) << "the child did not get ready; exit code " << code;
        ASSERT_EQ(code, kKilledCode) << "the child stopped on its own:\n" << ReadText(logPath);

        // The finished records, read from the bytes on disk, are those the log allows.
        const std::vector<uint8_t> left = ReadFileBytes(journalPath);
        size_t finishedEnd = 0;
        const Names finished = FinishedRecords(left, &finishedEnd);
        const std::vector<Names> possible = PossibleRecords(records, ReadText(logPath));
        ASSERT_TRUE(finished == possible.front() || finished == possible.back())
            << "journal of " << finished.size() << " records, log allows " << possible.front().size() << " or "
            << possible.back().size();
        torn += finishedEnd < left.size();

        // Reopened, it replays exactly those, with the torn rest cut off (a lost pad byte put back).
        ComRef<CommandHistory> reopened(ComObject<ICommandHistory>::Create<CommandHistory>(nullptr));
        IJournalFile* journal = reopened.Get();
        ASSERT_EQ(journal->Open(journalPath.c_str()), S_OK);
        EXPECT_EQ(DescribeUndo(reopened.Get()), Names(finished.begin() + 1, finished.end()));
        std::vector<uint8_t> expected(left.begin(), left.begin() + std::min(finishedEnd, left.size()));
        expected.resize(finishedEnd, 0);
        ASSERT_EQ(ReadFileBytes(journalPath), expected);

        // One more record, closed and reopened: one more entry.
        records = finished;
        records.push_back("test.step:p" + std::to_string(kill));
        ComRef<StepCommand> more(ComObject<IEditCommand>::Create<StepCommand>(("p" + std::to_string(kill)).c_str()));
        ASSERT_EQ(reopened->Add(more.Get(), TRUE), S_OK);
        journal->Close();
        ComRef<CommandHistory> again(ComObject<ICommandHistory>::Create<CommandHistory>(nullptr));
        ASSERT_EQ(static_cast<IJournalFile*>(again.Get())->Open(journalPath.c_str()), S_OK);
        ASSERT_EQ(DescribeUndo(again.Get()), Names(records.begin() + 1, records.end()));
    }
    std::printf("%u kills, %u left a torn record\n", kills, torn);
    CloseHandle(nul);
    CloseHandle(ready);
}
