#include "HistoryFixture.h"

#include <cstring>

using namespace kvtest;

namespace {
using Names = std::vector<std::string>;
}

TEST_F(HistoryTest, UndoAndRedoOnEmptyStacksReturnFalseWithoutRefreshing)
{
    EXPECT_EQ(History()->Undo(), S_FALSE);
    EXPECT_EQ(History()->Redo(), S_FALSE);
    IEditCommand* none = nullptr;
    EXPECT_EQ(History()->TakeLast(&none), S_FALSE);
    EXPECT_EQ(m_doc.refreshes, 0);
    EXPECT_EQ(History()->Do(nullptr, TRUE), E_POINTER);
    EXPECT_EQ(History()->Add(nullptr, TRUE), E_POINTER);
}

TEST_F(HistoryTest, DoUndoRedoMoveCommandsBetweenTheStacks)
{
    ASSERT_EQ(History()->Do(Step("A").Get(), TRUE), S_OK);
    ASSERT_EQ(History()->Do(Step("B").Get(), FALSE), S_OK);
    EXPECT_EQ(CallLog(), (Names{"A.Do", "B.Do"}));
    EXPECT_EQ(m_doc.refreshes, 2);
    ASSERT_EQ(History()->Undo(), S_OK);
    EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:A"}));
    EXPECT_EQ(DescribeRedo(History()), (Names{"test.step:B"}));
    ASSERT_EQ(History()->Redo(), S_OK);
    ASSERT_EQ(History()->Undo(), S_OK);
    ASSERT_EQ(History()->Undo(), S_OK);
    EXPECT_EQ(DescribeRedo(History()), (Names{"test.step:B", "test.step:A"})) << "A is the newest redo entry";
    EXPECT_EQ(CallLog(), (Names{"A.Do", "B.Do", "B.Undo", "B.Redo", "B.Undo", "A.Undo"}));

    // A new edit empties the redo stack.
    ASSERT_EQ(History()->Add(Step("C").Get(), TRUE), S_OK);
    EXPECT_TRUE(DescribeRedo(History()).empty());
    EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:C"}));

    // A failing Do records nothing.
    EXPECT_EQ(History()->Do(Step("D", {1, 0, 0, 0}).Get(), TRUE), E_FAIL);
    EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:C"}));
}

TEST_F(HistoryTest, ModifiedFollowsTheFlagAndTheUndoStack)
{
    EXPECT_EQ(History()->IsModified(), S_FALSE);
    History()->Add(Step("A").Get(), FALSE);
    EXPECT_EQ(History()->IsModified(), S_OK);
    EXPECT_FALSE(m_doc.modified) << "markModified FALSE leaves the document alone";
    History()->Undo();
    EXPECT_EQ(History()->IsModified(), S_FALSE);
    EXPECT_TRUE(m_doc.modified) << "an undo marks the document";
    History()->SetModified(TRUE);
    EXPECT_EQ(History()->IsModified(), S_OK);
    History()->Clear();
    EXPECT_EQ(History()->IsModified(), S_FALSE);
    EXPECT_TRUE(DescribeRedo(History()).empty());
}

TEST_F(HistoryTest, TakeLastHandsTheNewestEntryOutWithoutUndoingIt)
{
    OpenJournal();
    std::vector<uint8_t> start = JournalBytes();
    History()->Add(Step("A").Get(), FALSE);
    m_doc.modified = FALSE;
    ComRef<IEditCommand> taken;
    ASSERT_EQ(History()->TakeLast(taken.Out()), S_OK);
    EXPECT_EQ(NameOf(taken.Get()), "A");
    EXPECT_TRUE(CallLog().empty()) << "nothing undone";
    EXPECT_TRUE(DescribeRedo(History()).empty());
    EXPECT_FALSE(m_doc.modified);
    EXPECT_EQ(JournalBytes(), start);
    History()->Add(Step("B").Get(), FALSE);
    EXPECT_EQ(History()->TakeLast(nullptr), S_OK);
    EXPECT_EQ(JournalBytes(), start);
}

TEST_F(HistoryTest, NewJournalHoldsOnlyItsChunkHeader)
{
    ASSERT_EQ(Journal()->Open(JournalPath().c_str()), S_OK);
    std::vector<uint8_t> bytes = JournalBytes();
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "KSCMKSTM");
    char path[300] = {};
    ASSERT_EQ(Journal()->GetPath(path, sizeof path - 1), S_OK);
    EXPECT_EQ(std::string(path), JournalPath());
    EXPECT_EQ(Journal()->GetPath(nullptr, 5), E_POINTER);
    Journal()->Close();
    std::memset(path, 0, sizeof path);
    Journal()->GetPath(path, sizeof path - 1);
    EXPECT_EQ(std::string(path), JournalPath()) << "the path stays after Close";
    IChunkFile* file = nullptr;
    EXPECT_EQ(Journal()->GetChunkFile(&file), E_FAIL);
    bytes = JournalBytes();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.end()), std::vector<uint8_t>(8, 0))
        << "Close writes the true size";
}

TEST_F(HistoryTest, AJournalLeftOpenByACrashCanBeReadToItsLastRecord)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    History()->Add(Step("B").Get(), TRUE);
    // The session ends here without Close: copy the file as a crash leaves it.
    const std::string left = m_folder.File("KVC9.tmp");
    WriteFileBytes(left, JournalBytes());

    // What a recovery scan does: enter the journal chunk and find the document's record.
    ComRef<IChunkFile> file(CreateChunkFile());
    file->SetFileName(left.c_str());
    file->Open(kFileRead);
    ASSERT_EQ(file->DescendById(kJournalChunkId, kChunkFindById), S_OK);
    EXPECT_EQ(file->DescendById(kDocumentChunkId, kChunkFindById), S_OK) << "the header must not claim an empty journal";
    file->Close();

    ComRef<FaultyHistory> recovered(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
    ASSERT_EQ(static_cast<IJournalFile*>(recovered.Get())->Open(left.c_str()), S_OK);
    EXPECT_EQ(DescribeUndo(recovered.Get()), (Names{"test.step:A", "test.step:B"}));
}

TEST_F(HistoryTest, JournalGrowsAndShrinksByExactlyOneRecord)
{
    OpenJournal();
    const size_t base = JournalBytes().size();
    EXPECT_EQ(base, 16u + 16u + 10u) << "document record of 9 bytes, padded";
    ASSERT_EQ(History()->Add(Step("A").Get(), TRUE), S_OK);
    EXPECT_EQ(JournalBytes().size(), base + 274);
    ASSERT_EQ(History()->Add(ComRef<BodyCommand>(ComObject<IEditCommand>::Create<BodyCommand>("B", 5)).Get(), TRUE),
              S_OK);
    EXPECT_EQ(JournalBytes().size(), base + 274 + 280) << "odd record with its pad byte";
    ExpectJournalMatchesUndo();
    ASSERT_EQ(History()->Undo(), S_OK);
    EXPECT_EQ(JournalBytes().size(), base + 274) << "the pad byte goes too";
    ASSERT_EQ(History()->Undo(), S_OK);
    EXPECT_EQ(JournalBytes().size(), base);
    ASSERT_EQ(History()->Redo(), S_OK);
    EXPECT_EQ(JournalBytes().size(), base + 274);
    ExpectJournalMatchesUndo();
}

namespace {
// Writes a body but claims to be a plain record, as groups saved in the plain form do.
class MisjudgedCommand : public BodyCommand {
public:
    using BodyCommand::BodyCommand;

protected:
    HRESULT GetSize(ULONG* size) override
    {
        *size = CommandHeader::kSize;
        return S_OK;
    }
};
} // namespace

TEST_F(HistoryTest, UndoCutsTheRecordItWroteWhateverTheSizeEstimate)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    std::vector<uint8_t> afterA = JournalBytes();
    ComRef<MisjudgedCommand> liar(ComObject<IEditCommand>::Create<MisjudgedCommand>("L", 1));
    History()->Add(liar.Get(), TRUE);
    ASSERT_EQ(History()->Undo(), S_OK);
    EXPECT_EQ(JournalBytes(), afterA) << "A's record is intact";
    ExpectJournalMatchesUndo();
}

TEST_F(HistoryTest, ClearEmptiesTheStacksButKeepsTheRecords)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    History()->Add(Step("B").Get(), TRUE);
    History()->Undo();
    ASSERT_EQ(History()->Clear(), S_OK);
    EXPECT_TRUE(DescribeUndo(History()).empty());
    EXPECT_TRUE(DescribeRedo(History()).empty());
    History()->Add(Step("C").Get(), TRUE);
    ExpectJournalMatchesUndo({"doc", "test.step:A"});
    History()->Undo();
    ExpectJournalMatchesUndo({"doc", "test.step:A"});
}

TEST_F(HistoryTest, OpenReplaysTheRecordsOntoTheUndoStack)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    History()->Add(ComRef<BodyCommand>(ComObject<IEditCommand>::Create<BodyCommand>("B", 42)).Get(), TRUE);
    ComRef<StepCommand> x = Step("X");
    ComRef<StepCommand> y = Step("Y");
    History()->Add(Transaction("T", {x.Get(), y.Get()}).Get(), TRUE);
    Journal()->Close();

    // A journal left by an interruption has a stale size in its header.
    std::vector<uint8_t> bytes = JournalBytes();
    std::fill(bytes.begin() + 8, bytes.begin() + 16, 0);
    WriteFileBytes(JournalPath(), bytes);

    ComRef<FaultyHistory> reopened(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
    IJournalFile* journal = reopened.Get();
    ASSERT_EQ(journal->Open(JournalPath().c_str()), S_OK);
    EXPECT_EQ(DescribeUndo(reopened.Get()),
              (Names{"test.step:A", "test.body:B", "transaction:T{test.step:X,test.step:Y}"}));
    EXPECT_TRUE(CallLog().empty()) << "replayed commands are not executed";

    ComRef<IEditCommand> top;
    ComRef<ICommandCursor> cursor;
    reopened->GetUndoCursor(cursor.Out());
    cursor->Next(top.Out());
    ComRef<ICommandList> list = QueryCom<ICommandList>(top.Get());
    UINT count = 0;
    list->GetCount(&count);
    EXPECT_EQ(count, 2u);
    cursor->Next(top.Out());
    EXPECT_TRUE(static_cast<BodyCommand*>(top.Get())->loaded) << "OnLoaded ran";
    EXPECT_EQ(static_cast<BodyCommand*>(top.Get())->value, 42u);
    top.Reset();

    // The reopened journal goes on where it ended.
    ASSERT_EQ(reopened->Undo(), S_OK);
    ASSERT_EQ(reopened->Add(Step("C").Get(), TRUE), S_OK);
    bool ok = false;
    EXPECT_EQ(DescribeJournal(JournalPath(), &ok), (Names{"doc", "test.step:A", "test.body:B", "test.step:C"}));
    EXPECT_TRUE(ok);
    journal->Close();
    std::vector<uint8_t> closed = JournalBytes();
    uint64_t size = 0;
    for (int i = 7; i >= 0; --i)
        size = size << 8 | closed[8 + i];
    EXPECT_EQ(size, closed.size() - 16) << "the header's size is right again after Close";
}

TEST_F(HistoryTest, OpenOnAnEmptyFileStartsANewJournal)
{
    WriteFileBytes(JournalPath(), {});
    ASSERT_EQ(Journal()->Open(JournalPath().c_str()), S_OK);
    EXPECT_EQ(JournalBytes().size(), 16u);
    History()->Add(Step("A").Get(), TRUE);
    ExpectJournalMatchesUndo({});
}

TEST_F(HistoryTest, OpenRefusesDamagedJournalsAndLoadsNothing)
{
    // A good journal: document record, A, transaction T{X, Y}, B.
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    ComRef<StepCommand> x = Step("X");
    ComRef<StepCommand> y = Step("Y");
    History()->Add(Transaction("T", {x.Get(), y.Get()}).Get(), TRUE);
    History()->Add(Step("B").Get(), TRUE);
    Journal()->Close();
    const std::vector<uint8_t> good = JournalBytes();
    const size_t docAt = 16, aAt = docAt + 26, tAt = aAt + 274, tOwnAt = tAt + 16, xAt = tOwnAt + 274,
                 yAt = xAt + 274, bAt = yAt + 274;
    ASSERT_EQ(good.size(), bAt + 274);

    auto put64 = [](std::vector<uint8_t>& b, size_t at, uint64_t v) {
        for (int i = 0; i < 8; ++i)
            b[at + i] = uint8_t(v >> (8 * i));
    };
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
        HRESULT expected;
    };
    std::vector<Case> cases;
    for (size_t cut : {good.size() - 1, good.size() - 100, bAt + 8, yAt + 100, tAt + 20, aAt + 3, size_t(10)})
        cases.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + cut), kBadJournal});
    {
        std::vector<uint8_t> b = good;
        b[0] = 'X';
        cases.push_back({"foreign first chunk", b, kBadJournal});
    }
    {
        std::vector<uint8_t> b = good;
        put64(b, aAt + 8, 100000);
        cases.push_back({"record size past the end", b, kBadJournal});
    }
    {
        std::vector<uint8_t> b = good;
        put64(b, xAt + 8, 600);
        cases.push_back({"child running past its group", b, kBadJournal});
    }
    {
        std::vector<uint8_t> b = good;
        put64(b, aAt + 8, 100);
        put64(b, aAt + 16 + 100, 0);
        cases.push_back({"record shorter than a header", b, kBadJournal});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[aAt + 16 + 2], "test.nothing", 12);
        cases.push_back({"unregistered type", b, E_FAIL});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[tOwnAt + 16 + 2], "test.step\0\0", 11);
        cases.push_back({"group record of a plain type", b, kBadJournal});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[yAt + 4], "KDOC", 4);
        cases.push_back({"document record inside a group", b, kBadJournal});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[tOwnAt + 4], "KDOC", 4);
        cases.push_back({"group without its own record", b, kBadJournal});
    }

    for (const Case& c : cases) {
        ComRef<FaultyHistory> history(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
        history->Add(Step("earlier").Get(), FALSE);
        CallLog().clear();
        WriteFileBytes(JournalPath(), c.bytes);
        IJournalFile* journal = history.Get();
        EXPECT_EQ(journal->Open(JournalPath().c_str()), c.expected) << c.label;
        EXPECT_EQ(DescribeUndo(history.Get()), (Names{"test.step:earlier"})) << c.label << ": nothing half-loaded";
        IChunkFile* file = nullptr;
        EXPECT_EQ(journal->GetChunkFile(&file), E_FAIL) << c.label << ": journal closed";
        EXPECT_EQ(JournalBytes(), c.bytes) << c.label << ": the file is left as it was";
    }
}

TEST_F(HistoryTest, RefusesANestingDeeperThanAnyEdit)
{
    OpenJournal();
    ComRef<IEditCommand> nested(Step("leaf").Detach());
    for (int i = 0; i < 70; ++i)
        nested = ComRef<IEditCommand>(Transaction("T", {nested.Get()}).Detach());
    ASSERT_EQ(History()->Add(nested.Get(), TRUE), S_OK);
    Journal()->Close();
    ComRef<FaultyHistory> reopened(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
    EXPECT_EQ(static_cast<IJournalFile*>(reopened.Get())->Open(JournalPath().c_str()), kBadJournal);
}

TEST_F(HistoryTest, FailedAppendLeavesStacksAndJournalAsTheyWere)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    History()->Add(Step("B").Get(), TRUE);
    History()->Undo(); // B waits on the redo stack
    const std::vector<uint8_t> before = JournalBytes();

    // A command whose Save fails after writing its record.
    m_doc.modified = FALSE;
    EXPECT_EQ(History()->Add(Step("C", {0, 0, 0, 1}).Get(), TRUE), STG_E_MEDIUMFULL);
    EXPECT_EQ(JournalBytes(), before);
    EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:A"}));
    EXPECT_EQ(DescribeRedo(History()), (Names{"test.step:B"})) << "a failed Add keeps the redo stack";
    EXPECT_FALSE(m_doc.modified);

    // A journal that fails at each write of a record: header, body, closing the chunk.
    for (int writes = 0; writes < 3; ++writes) {
        Faulty()->FailWriteAfter(writes);
        ComRef<BodyCommand> body(ComObject<IEditCommand>::Create<BodyCommand>("D", 1));
        EXPECT_TRUE(FAILED(History()->Add(body.Get(), TRUE))) << writes;
        EXPECT_TRUE(Faulty()->Fired()) << writes;
        Faulty()->Disarm();
        EXPECT_EQ(JournalBytes(), before) << writes;
        EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:A"})) << writes;
    }

    // Do takes its edit back when it cannot be recorded.
    CallLog().clear();
    Faulty()->FailWriteAfter(1);
    EXPECT_TRUE(FAILED(History()->Do(Step("E").Get(), TRUE)));
    Faulty()->Disarm();
    EXPECT_EQ(CallLog(), (Names{"E.Do", "E.Undo"}));
    EXPECT_EQ(JournalBytes(), before);

    // Redo that cannot be recorded stays on the redo stack, undone again.
    CallLog().clear();
    Faulty()->FailWriteAfter(0);
    EXPECT_TRUE(FAILED(History()->Redo()));
    Faulty()->Disarm();
    EXPECT_EQ(CallLog(), (Names{"B.Redo", "B.Undo"}));
    EXPECT_EQ(DescribeRedo(History()), (Names{"test.step:B"}));
    EXPECT_EQ(JournalBytes(), before);

    // And the journal still works.
    ASSERT_EQ(History()->Redo(), S_OK);
    ExpectJournalMatchesUndo();
}

TEST_F(HistoryTest, FailedUndoDropsTheCommandAndCutsItsRecord)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    const std::vector<uint8_t> afterA = JournalBytes();
    History()->Add(Step("B", {0, 1, 0, 0}).Get(), TRUE);
    EXPECT_EQ(History()->Undo(), E_FAIL);
    EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:A"}));
    EXPECT_TRUE(DescribeRedo(History()).empty());
    EXPECT_EQ(JournalBytes(), afterA);

    // A failing Redo drops the command; the journal has nothing of it.
    History()->Add(Step("C", {0, 0, 1, 0}).Get(), TRUE);
    History()->Undo();
    EXPECT_EQ(History()->Redo(), E_FAIL);
    EXPECT_TRUE(DescribeRedo(History()).empty());
    EXPECT_EQ(JournalBytes(), afterA);
}

TEST_F(HistoryTest, AJournalThatCannotBeCutIsClosed)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    Faulty()->FailSetEndOfFile(true);
    EXPECT_TRUE(FAILED(History()->Undo()));
    IChunkFile* file = nullptr;
    EXPECT_EQ(Journal()->GetChunkFile(&file), E_FAIL) << "it no longer matches the stacks";
    EXPECT_EQ(DescribeRedo(History()), (Names{"test.step:A"}));
    EXPECT_EQ(History()->Redo(), S_OK) << "the history goes on without a journal";
}

TEST_F(HistoryTest, KeepsTheLinkedObjectAndTheUserValue)
{
    UINT_PTR value = 1;
    EXPECT_EQ(Journal()->GetUserValue(&value), S_OK);
    EXPECT_EQ(value, 0u);
    Journal()->SetUserValue(reinterpret_cast<UINT_PTR>(&m_doc));
    Journal()->GetUserValue(&value);
    EXPECT_EQ(value, reinterpret_cast<UINT_PTR>(&m_doc));
    EXPECT_EQ(Journal()->GetUserValue(nullptr), E_POINTER);

    IUnknown* linked = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(Journal()->GetLinkedObject(&linked), S_OK);
    EXPECT_EQ(linked, nullptr);
    IMtTrackSet* set = m_doc.trackSet.Get();
    Journal()->SetLinkedObject(set);
    ASSERT_EQ(Journal()->GetLinkedObject(&linked), S_OK);
    EXPECT_EQ(linked, set);
    linked->Release();
    Journal()->SetLinkedObject(nullptr);
    EXPECT_EQ(set->AddRef(), 2u) << "the history let go of its reference";
    set->Release();

    ComRef<ICommandHistory> asHistory = QueryCom<ICommandHistory>(static_cast<IJournalFile*>(Journal()));
    EXPECT_EQ(asHistory.Get(), History());
}

TEST_F(HistoryTest, AGroupThatFailsToReplayUndoesTheChildrenItLoaded)
{
    OpenJournal();
    ComRef<StepCommand> x = Step("X");
    ComRef<StepCommand> y = Step("Y");
    History()->Add(Transaction("T", {x.Get(), y.Get()}).Get(), TRUE);
    Journal()->Close();
    std::vector<uint8_t> bytes = JournalBytes();
    const size_t yAt = 16 + 26 + 16 + 274 + 274;
    std::memcpy(&bytes[yAt + 16 + 2], "test.none", 9);
    WriteFileBytes(JournalPath(), bytes);

    CallLog().clear();
    ComRef<FaultyHistory> reopened(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
    EXPECT_EQ(static_cast<IJournalFile*>(reopened.Get())->Open(JournalPath().c_str()), E_FAIL);
    EXPECT_EQ(CallLog(), (Names{"X.Undo"}));
    EXPECT_TRUE(DescribeUndo(reopened.Get()).empty());
}

namespace {
class ReplayProbe : public CommandHistory {
public:
    ReplayProbe() : CommandHistory(nullptr) {}
    using CommandHistory::ReplayJournal;
};
} // namespace

TEST_F(HistoryTest, ReplayOfARecordShorterThanAHeaderStepsBackOnlyOverWhatItRead)
{
    // A journal whose one record claims 100 bytes, followed by bytes that are not its own.
    std::vector<uint8_t> bytes = {'K', 'S', 'C', 'M', 'K', 'S', 'T', 'M'};
    bytes.resize(16, 0);
    const size_t recordAt = bytes.size();
    for (char c : std::string("KSCMKCMD"))
        bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(100);
    bytes.resize(recordAt + 16, 0);
    bytes.resize(recordAt + 16 + 100, 'r');
    bytes.resize(recordAt + 16 + 400, 'x');
    bytes[8] = static_cast<uint8_t>(bytes.size() - 16);
    bytes[9] = static_cast<uint8_t>((bytes.size() - 16) >> 8);
    WriteFileBytes(JournalPath(), bytes);

    ComRef<IChunkFile> file(CreateChunkFile());
    file->SetFileName(JournalPath().c_str());
    file->Open(kFileRead);
    ASSERT_EQ(file->DescendById(0, 0), S_OK);
    ASSERT_EQ(file->DescendById(0, 0), S_OK);
    ComRef<ReplayProbe> probe(ComObject<ICommandHistory>::Create<ReplayProbe>());
    ComRef<IEditCommand> command;
    EXPECT_EQ(probe->ReplayJournal(file.Get(), command.Out()), kBadJournal);
    EXPECT_FALSE(command);
    EXPECT_EQ(file->GetPosition(), recordAt + 16) << "back at the record's first byte, not before it";
    file->Close();
}

TEST_F(HistoryTest, ARefusedJournalTakesBackTheEditsItReplayedNewestFirst)
{
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    ComRef<StepCommand> x = Step("X");
    ComRef<StepCommand> y = Step("Y");
    History()->Add(Transaction("T", {x.Get(), y.Get()}).Get(), TRUE);
    History()->Add(Step("B").Get(), TRUE);
    Journal()->Close();
    std::vector<uint8_t> bytes = JournalBytes();
    const size_t bAt = 16 + 26 + 274 + 16 + 274 + 274 + 274;
    ASSERT_EQ(bytes.size(), bAt + 274);
    std::memcpy(&bytes[bAt + 16 + 2], "test.none", 9); // the newest record is of no known type
    WriteFileBytes(JournalPath(), bytes);

    CallLog().clear();
    ComRef<FaultyHistory> reopened(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
    EXPECT_TRUE(FAILED(static_cast<IJournalFile*>(reopened.Get())->Open(JournalPath().c_str())));
    EXPECT_EQ(CallLog(), (Names{"Y.Undo", "X.Undo", "A.Undo"}));
    EXPECT_TRUE(DescribeUndo(reopened.Get()).empty());
}
