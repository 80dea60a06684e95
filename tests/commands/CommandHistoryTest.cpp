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
    EXPECT_EQ(file->DescendById(kDocumentChunkId, kChunkFindById), S_OK)
        << "the header must not claim an empty journal";
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

TEST_F(HistoryTest, OpenKeepsTheEditsBeforeTheFirstDamagedRecordAndLeavesTheFileAsItWas)
{
    // A good journal: document record, A, transaction T{X, Y}, B, damaged in its records or
    // its own header.
    OpenJournal();
    History()->Add(Step("A").Get(), TRUE);
    ComRef<StepCommand> x = Step("X");
    ComRef<StepCommand> y = Step("Y");
    History()->Add(Transaction("T", {x.Get(), y.Get()}).Get(), TRUE);
    History()->Add(Step("B").Get(), TRUE);
    Journal()->Close();
    const std::vector<uint8_t> good = JournalBytes();
    const size_t docAt = 16, aAt = docAt + 26, tAt = aAt + 274, tOwnAt = tAt + 16, xAt = tOwnAt + 274, yAt = xAt + 274,
                 bAt = yAt + 274;
    ASSERT_EQ(good.size(), bAt + 274);

    auto put64 = [](std::vector<uint8_t>& b, size_t at, uint64_t v) {
        for (int i = 0; i < 8; ++i)
            b[at + i] = uint8_t(v >> (8 * i));
    };
    struct Case {
        const char* label;
        std::vector<uint8_t> bytes;
        HRESULT expected;
        size_t kept; // where the records that came back end; 0: none came back
    };
    std::vector<Case> cases;
    cases.push_back({"journal header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 10), kBadJournal, 0});
    {
        std::vector<uint8_t> b = good;
        b[0] = 'X';
        cases.push_back({"foreign first chunk", b, kBadJournal, 0});
    }
    {
        std::vector<uint8_t> b = good;
        put64(b, aAt + 8, 100);
        put64(b, aAt + 16 + 100, 0);
        cases.push_back({"record shorter than a header", b, kBadJournal, 0});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[aAt + 16 + 2], "test.nothing", 12);
        cases.push_back({"unregistered type", b, E_FAIL, 0});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[aAt + 16 + 2], "test.body", 9);
        cases.push_back({"record too short for its body", b, kBadJournal, 0});
    }
    {
        std::vector<uint8_t> b = good;
        put64(b, xAt + 8, 600);
        cases.push_back({"child running past its group", b, kJournalReplayedInPart, tAt});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[tOwnAt + 16 + 2], "test.step\0\0", 11);
        cases.push_back({"group record of a plain type", b, kJournalReplayedInPart, tAt});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[yAt + 4], "KDOC", 4);
        cases.push_back({"document record inside a group", b, kJournalReplayedInPart, tAt});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[tOwnAt + 4], "KDOC", 4);
        cases.push_back({"group without its own record", b, kJournalReplayedInPart, tAt});
    }
    {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[bAt + 16 + 2], "test.none", 9);
        cases.push_back({"newest record of no known type", b, kJournalReplayedInPart, bAt});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ComRef<FaultyHistory> history(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
        history->Add(Step("earlier").Get(), FALSE);
        CallLog().clear();
        WriteFileBytes(JournalPath(), c.bytes);
        IJournalFile* journal = history.Get();
        EXPECT_EQ(journal->Open(JournalPath().c_str()), c.expected);
        // What came back stays; a group that fails takes back the children it had.
        const bool childBack = std::string(c.label) == "document record inside a group";
        EXPECT_EQ(CallLog(), childBack ? Names{"X.Undo"} : Names{});
        Names stack{"test.step:earlier"};
        if (c.kept >= tAt)
            stack.push_back("test.step:A");
        if (c.kept >= bAt)
            stack.push_back("transaction:T{test.step:X,test.step:Y}");
        EXPECT_EQ(DescribeUndo(history.Get()), stack);
        EXPECT_EQ(JournalBytes(), c.bytes) << "the file is left as it was";
        IChunkFile* file = nullptr;
        if (!c.kept) {
            EXPECT_EQ(journal->GetChunkFile(&file), E_FAIL) << "journal closed";
            continue;
        }
        // The history goes on in a copy of the records that came back, beside the journal.
        char path[MAX_PATH] = {};
        journal->GetPath(path, sizeof path);
        EXPECT_NE(std::string(path), JournalPath());
        ASSERT_EQ(history->Add(Step("C").Get(), TRUE), S_OK);
        ASSERT_EQ(journal->Close(), S_OK);
        std::vector<uint8_t> expected(c.bytes.begin(), c.bytes.begin() + c.kept);
        put64(expected, 8, c.kept - 16 + 274);
        std::vector<uint8_t> copy = ReadFileBytes(path);
        ASSERT_EQ(copy.size(), c.kept + 274);
        EXPECT_EQ(std::vector<uint8_t>(copy.begin(), copy.begin() + c.kept), expected);
        ::DeleteFileA(path);
    }
}

namespace {
// Where each chunk of the record at `at` has its header and where its data end, groups' inner
// chunks included.
void ChunkSpans(const std::vector<uint8_t>& bytes, size_t at, std::vector<std::pair<size_t, size_t>>* spans)
{
    uint64_t size = 0;
    for (int i = 7; i >= 0; --i)
        size = size << 8 | bytes[at + 8 + i];
    const size_t end = at + 16 + size;
    spans->push_back({at, end});
    if (std::memcmp(&bytes[at], "KSCMKGRP", 8) == 0)
        for (size_t inner = at + 16; inner < end; inner = spans->back().second + (spans->back().second & 1))
            ChunkSpans(bytes, inner, spans);
}
} // namespace

TEST_F(HistoryTest, AJournalCutInsideItsLastRecordReopensWithTheRecordsBefore)
{
    // The last record: a command with a body of odd size (padded), a group holding a group.
    std::vector<ComRef<IEditCommand>> lasts;
    lasts.emplace_back(ComObject<IEditCommand>::Create<BodyCommand>("L", 7));
    ComRef<IEditCommand> inner(
        Transaction("U", {ComRef<BodyCommand>(ComObject<IEditCommand>::Create<BodyCommand>("Z", 9)).Get()}).Detach());
    lasts.emplace_back(Transaction("L", {inner.Get()}).Detach());

    for (const ComRef<IEditCommand>& last : lasts) {
        const std::string lastText = Describe(last.Get());
        m_history = ComRef<FaultyHistory>(ComObject<ICommandHistory>::Create<FaultyHistory>(&m_doc));
        ::DeleteFileA(JournalPath().c_str());
        OpenJournal();
        History()->Add(Step("A").Get(), TRUE);
        const size_t lastAt = JournalBytes().size();
        History()->Add(last.Get(), TRUE);
        Journal()->Close();
        const std::vector<uint8_t> good = JournalBytes();
        std::vector<std::pair<size_t, size_t>> spans;
        ChunkSpans(good, lastAt, &spans);
        const size_t lastDataEnd = spans.front().second;

        // Cut at every byte of the last record, its size fixed as a plain cut leaves it, or its
        // size (and that of every chunk in it not yet finished) still 0 as a crash leaves it.
        for (size_t cut = lastAt; cut < good.size(); ++cut) {
            for (bool crashed : {false, true}) {
                SCOPED_TRACE(lastText + " cut at " + std::to_string(cut) + (crashed ? " by a crash" : ""));
                std::vector<uint8_t> bytes(good.begin(), good.begin() + cut);
                for (const auto& [header, dataEnd] : spans)
                    if (crashed && dataEnd > cut) // not finished: its size was never written
                        std::fill(bytes.begin() + std::min(cut, header + 8), bytes.begin() + std::min(cut, header + 16),
                                  0);
                WriteFileBytes(JournalPath(), bytes);

                const bool whole = cut >= lastDataEnd; // only its pad byte is missing
                Names expected = {"test.step:A"};
                if (whole)
                    expected.push_back(lastText);
                CallLog().clear();
                ComRef<FaultyHistory> reopened(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
                IJournalFile* journal = reopened.Get();
                ASSERT_EQ(journal->Open(JournalPath().c_str()), S_OK);
                EXPECT_EQ(DescribeUndo(reopened.Get()), expected);
                EXPECT_TRUE(CallLog().empty()) << "nothing taken back";
                const size_t kept = whole ? good.size() : lastAt;
                EXPECT_EQ(JournalBytes(), std::vector<uint8_t>(good.begin(), good.begin() + kept))
                    << "the torn record is cut off, a missing pad byte put back";

                // The journal goes on cleanly: one more record, and a reopen replays it (tried
                // at some of the cuts: the bytes above already show the file as it was before).
                if (!whole && (cut - lastAt) % 29 != 0)
                    continue;
                ASSERT_EQ(reopened->Add(Step("C").Get(), TRUE), S_OK);
                journal->Close();
                expected.push_back("test.step:C");
                ComRef<FaultyHistory> again(ComObject<ICommandHistory>::Create<FaultyHistory>(nullptr));
                ASSERT_EQ(static_cast<IJournalFile*>(again.Get())->Open(JournalPath().c_str()), S_OK);
                ASSERT_EQ(DescribeUndo(again.Get()), expected);
            }
        }
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

TEST_F(HistoryTest, AnEditWhoseRecordCannotBeWrittenStaysInTheHistoryAndTheJournalCloses)
{
    // How the record fails: the command's Save fails after writing it, or the disk fills at the
    // record's header, its body or its size.
    struct Failure {
        const char* label;
        int saveFails;
        int writesBeforeFull; // -1: the disk does not fill
    };
    const Failure failures[] = {{"save", 1, -1}, {"header", 0, 0}, {"body", 0, 1}, {"size", 0, 2}};
    const char* const vias[] = {"Add", "Do", "Redo"};

    for (const Failure& failure : failures) {
        for (const std::string via : vias) {
            SCOPED_TRACE(via + " failing at " + failure.label);
            m_history = ComRef<FaultyHistory>(ComObject<ICommandHistory>::Create<FaultyHistory>(&m_doc));
            ::DeleteFileA(JournalPath().c_str());
            OpenJournal();
            ComRef<StepCommand> b = Step("B");
            History()->Add(b.Get(), TRUE);
            History()->Undo(); // B waits on the redo stack, the content is as at the start
            ASSERT_EQ(History()->IsModified(), S_FALSE);
            m_doc.modified = FALSE;
            CallLog().clear();

            ComRef<StepCommand> edit = via == "Redo" ? b : Step("C");
            edit->fail.saveFails = failure.saveFails;
            if (failure.writesBeforeFull >= 0)
                Faulty()->FailWriteAfter(failure.writesBeforeFull);
            HRESULT hr = via == "Add"  ? History()->Add(edit.Get(), TRUE)
                         : via == "Do" ? History()->Do(edit.Get(), TRUE)
                                       : History()->Redo();
            Faulty()->Disarm();

            EXPECT_TRUE(FAILED(hr)) << "the failure is reported";
            const std::string name = NameOf(edit.Get());
            EXPECT_EQ(CallLog(), via == "Add" ? Names{} : Names{name + "." + via}) << "the edit is not taken back";
            EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:" + name}));
            EXPECT_TRUE(DescribeRedo(History()).empty()) << "no redo over content it does not match";
            EXPECT_EQ(History()->IsModified(), S_OK);
            EXPECT_TRUE(m_doc.modified);
            IChunkFile* file = nullptr;
            EXPECT_EQ(Journal()->GetChunkFile(&file), E_FAIL) << "closed: it lacks an edit of the stack";
            bool ok = false;
            EXPECT_EQ(DescribeJournal(JournalPath(), &ok), (Names{"doc"})) << "the broken record is cut off";
            EXPECT_TRUE(ok);

            // The history goes on without a journal.
            EXPECT_EQ(History()->Undo(), S_OK);
            EXPECT_EQ(History()->Redo(), S_OK);
            EXPECT_EQ(DescribeUndo(History()), (Names{"test.step:" + name}));
        }
    }
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
    EXPECT_EQ(JournalBytes(), bytes) << "a refused journal is left as it was";
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
