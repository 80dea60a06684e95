// Long random sequences of history operations with injected failures, checked after every
// step against a model of the two stacks, against the journal on disk, and against what a
// fresh history replays from a copy of that journal.
#include "HistoryFixture.h"

#include <random>

using namespace kvtest;

namespace {

enum class Action { Do, Undo, Redo, Save };

// Whether the command's next action fails: a group fails when any child does.
bool WillFail(IEditCommand* command, Action action)
{
    ComRef<ICommandList> list = QueryCom<ICommandList>(command);
    if (list) {
        UINT count = 0;
        list->GetCount(&count);
        for (UINT i = 0; i < count; ++i) {
            ComRef<IEditCommand> child;
            list->GetAt(i, child.Out());
            if (WillFail(child.Get(), action))
                return true;
        }
        return false;
    }
    const FailPlan& plan = static_cast<StepCommand*>(command)->fail;
    switch (action) {
    case Action::Do:
        return plan.doFails != 0;
    case Action::Undo:
        return plan.undoFails != 0;
    case Action::Redo:
        return plan.redoFails != 0;
    case Action::Save:
        return plan.saveFails != 0;
    }
    return false;
}

class RandomRun {
public:
    explicit RandomRun(unsigned seed) : m_rng(seed) {}

    int Pick(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }
    bool Chance(int percent) { return Pick(100) < percent; }

    FailPlan RandomPlan()
    {
        FailPlan plan;
        plan.doFails = Chance(8);
        plan.undoFails = Chance(8);
        plan.redoFails = Chance(8);
        plan.saveFails = Chance(6);
        return plan;
    }

    ComRef<IEditCommand> NewCommand(int depth = 0)
    {
        std::string name = "c" + std::to_string(m_next++);
        int kind = Pick(depth < 2 ? 4 : 2);
        if (kind == 0) {
            ComRef<StepCommand> step(ComObject<IEditCommand>::Create<StepCommand>(name.c_str()));
            step->fail = RandomPlan();
            return ComRef<IEditCommand>(step.Detach());
        }
        if (kind == 1) {
            ComRef<BodyCommand> body(
                ComObject<IEditCommand>::Create<BodyCommand>(name.c_str(), static_cast<uint32_t>(m_rng())));
            body->fail = RandomPlan();
            return ComRef<IEditCommand>(body.Detach());
        }
        ComRef<TransactionCommand> group(ComObject<IEditCommand>::Create<TransactionCommand>(name.c_str()));
        for (int i = Pick(4); i-- > 0;)
            group->Add(NewCommand(depth + 1).Get());
        return ComRef<IEditCommand>(group.Detach());
    }

private:
    std::mt19937 m_rng;
    int m_next = 0;
};

std::vector<std::string> DescribeAll(const std::vector<ComRef<IEditCommand>>& commands)
{
    std::vector<std::string> out;
    for (const auto& command : commands)
        out.push_back(Describe(command.Get()));
    return out;
}

std::vector<IEditCommand*> Entries(ICommandCursor* cursor)
{
    std::vector<IEditCommand*> newestFirst;
    ComRef<IEditCommand> command;
    while (cursor->Next(command.Out()) == S_OK)
        newestFirst.push_back(command.Get());
    return std::vector<IEditCommand*>(newestFirst.rbegin(), newestFirst.rend());
}

std::vector<IEditCommand*> Pointers(const std::vector<ComRef<IEditCommand>>& commands)
{
    std::vector<IEditCommand*> out;
    for (const auto& command : commands)
        out.push_back(command.Get());
    return out;
}

} // namespace

TEST_F(HistoryTest, RandomSequencesKeepStacksAndJournalInStep)
{
    const std::string copyPath = m_folder.File("KVC2.tmp");
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        m_history = ComRef<FaultyHistory>(ComObject<ICommandHistory>::Create<FaultyHistory>(&m_doc));
        ::DeleteFileA(JournalPath().c_str());
        OpenJournal();
        RandomRun run(seed);
        std::vector<ComRef<IEditCommand>> undo, redo;
        std::vector<std::string> base = {"doc"}; // records left in the journal by Clear
        // A record that cannot be written closes the journal: what it held then stays on disk.
        bool journalOpen = true;
        std::vector<std::string> frozen;
        auto closeJournal = [&] {
            journalOpen = false;
            frozen = base;
            for (const std::string& entry : DescribeAll(undo))
                frozen.push_back(entry);
        };

        for (int step = 0; step < 250; ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            const int op = run.Pick(100);
            const bool reopen = op >= 98 || (!journalOpen && op % 3 == 0);
            if (!reopen && run.Chance(12))
                Faulty()->FailWriteAfter(run.Pick(3));
            HRESULT hr = S_OK;
            bool expectFailure = false;

            if (reopen) { // an interrupted session picked up again: every record becomes an undo entry
                std::vector<std::string> records(base.begin() + 1, base.end());
                for (const std::string& entry : DescribeAll(undo))
                    records.push_back(entry);
                if (!journalOpen)
                    records.assign(frozen.begin() + 1, frozen.end());
                Journal()->Close();
                m_history = ComRef<FaultyHistory>(ComObject<ICommandHistory>::Create<FaultyHistory>(&m_doc));
                hr = Journal()->Open(JournalPath().c_str());
                ComRef<ICommandCursor> replayed;
                History()->GetUndoCursor(replayed.Out());
                undo.clear();
                for (IEditCommand* entry : Entries(replayed.Get()))
                    undo.push_back(ComRef<IEditCommand>::Share(entry));
                redo.clear();
                EXPECT_EQ(DescribeAll(undo), records);
                base = {"doc"};
                journalOpen = true;
            } else if (op < 45) { // Do or Add: an edit that is in effect is kept, recorded or not
                ComRef<IEditCommand> command = run.NewCommand();
                const bool viaDo = op < 30;
                bool doFails = viaDo && WillFail(command.Get(), Action::Do);
                bool saveFails = journalOpen && WillFail(command.Get(), Action::Save);
                hr = viaDo ? History()->Do(command.Get(), TRUE) : History()->Add(command.Get(), TRUE);
                expectFailure = doFails;
                if (!doFails) {
                    if (saveFails || Faulty()->Fired()) {
                        expectFailure = true;
                        closeJournal();
                    }
                    undo.push_back(command);
                    redo.clear();
                }
            } else if (op < 68) { // Undo
                if (undo.empty()) {
                    EXPECT_EQ(History()->Undo(), S_FALSE);
                } else {
                    ComRef<IEditCommand> top = undo.back();
                    expectFailure = WillFail(top.Get(), Action::Undo);
                    hr = History()->Undo();
                    undo.pop_back();
                    if (!expectFailure)
                        redo.push_back(top);
                }
            } else if (op < 90) { // Redo
                if (redo.empty()) {
                    EXPECT_EQ(History()->Redo(), S_FALSE);
                } else {
                    ComRef<IEditCommand> top = redo.back();
                    bool redoFails = WillFail(top.Get(), Action::Redo);
                    bool saveFails = journalOpen && WillFail(top.Get(), Action::Save);
                    hr = History()->Redo();
                    redo.pop_back();
                    if (redoFails) {
                        expectFailure = true; // dropped
                    } else {
                        if (saveFails || Faulty()->Fired()) {
                            expectFailure = true;
                            closeJournal();
                        }
                        undo.push_back(top);
                    }
                }
            } else if (op < 95) { // TakeLast
                ComRef<IEditCommand> taken;
                hr = History()->TakeLast(taken.Out());
                if (undo.empty()) {
                    EXPECT_EQ(hr, S_FALSE);
                } else {
                    EXPECT_EQ(taken.Get(), undo.back().Get());
                    undo.pop_back();
                }
            } else { // Clear
                for (const std::string& entry : DescribeAll(undo))
                    base.push_back(entry);
                undo.clear();
                redo.clear();
                hr = History()->Clear();
            }
            Faulty()->Disarm();

            EXPECT_EQ(FAILED(hr), expectFailure) << "op " << op << " result " << std::hex << hr;
            ComRef<ICommandCursor> cursor;
            History()->GetUndoCursor(cursor.Out());
            ASSERT_EQ(Entries(cursor.Get()), Pointers(undo));
            History()->GetRedoCursor(cursor.Out());
            ASSERT_EQ(Entries(cursor.Get()), Pointers(redo));

            // The journal holds exactly the records of the undo stack after those left by Clear
            // (while it is open).
            std::vector<std::string> expected = base;
            for (const std::string& entry : DescribeAll(undo))
                expected.push_back(entry);
            if (!journalOpen)
                expected = frozen;
            bool ok = false;
            ASSERT_EQ(DescribeJournal(JournalPath(), &ok), expected);
            ASSERT_TRUE(ok);

            // A fresh history replays exactly those records.
            WriteFileBytes(copyPath, JournalBytes());
            ComRef<FaultyHistory> replay(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
            ASSERT_EQ(static_cast<IJournalFile*>(replay.Get())->Open(copyPath.c_str()), S_OK);
            expected.erase(expected.begin());
            ASSERT_EQ(DescribeUndo(replay.Get()), expected);
        }
        Journal()->Close();
    }
}
