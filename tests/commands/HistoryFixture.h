// The fixture of the history tests: a history journalling through a faulty chunk file into a
// scratch folder, owned by a fake document.
#pragma once
#include <gtest/gtest.h>

#include "FakeEngine.h"
#include "JournalSupport.h"
#include "TestCommands.h"
#include "TestSupport.h"
#include "TransactionCommand.h"

namespace kvtest {

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestCommandTypes();
        CallLog().clear();
    }

    ICommandHistory* History() { return m_history.Get(); }
    IJournalFile* Journal() { return m_history.Get(); }
    FaultyChunkFile* Faulty() { return m_history->Faulty(); }

    static ComRef<StepCommand> Step(const char* name, FailPlan plan = {})
    {
        ComRef<StepCommand> step(ComObject<IEditCommand>::Create<StepCommand>(name));
        step->fail = plan;
        return step;
    }
    static ComRef<TransactionCommand> Transaction(const char* name, std::initializer_list<IEditCommand*> children)
    {
        ComRef<TransactionCommand> group(ComObject<IEditCommand>::Create<TransactionCommand>(name));
        for (IEditCommand* child : children)
            group->Add(child);
        return group;
    }

    // Opens the journal at JournalPath() and writes the document's record, as the document does.
    void OpenJournal()
    {
        ASSERT_EQ(Journal()->Open(JournalPath().c_str()), S_OK);
        WriteDocumentRecord(Journal());
    }
    std::vector<uint8_t> JournalBytes() { return ReadFileBytes(JournalPath()); }
    const std::string& JournalPath() const { return m_path; }

    // The journal's records against the undo stack; base = records left by earlier Clears.
    void ExpectJournalMatchesUndo(const std::vector<std::string>& base = {"doc"})
    {
        bool ok = false;
        std::vector<std::string> records = DescribeJournal(JournalPath(), &ok);
        ASSERT_TRUE(ok);
        std::vector<std::string> expected = base;
        for (const std::string& entry : DescribeUndo(History()))
            expected.push_back(entry);
        EXPECT_EQ(records, expected);
    }

    ScratchFolder m_folder;
    std::string m_path = m_folder.File("KVC1.tmp");
    FakeDocument m_doc;
    ComRef<FaultyHistory> m_history{ComObject<ICommandHistory>::Create<FaultyHistory>(&m_doc)};
};

} // namespace kvtest
