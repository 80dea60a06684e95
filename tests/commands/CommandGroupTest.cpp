#include <gtest/gtest.h>

#include "ExpectedBytes.h"
#include "JournalSupport.h"
#include "TestCommands.h"
#include "TestSupport.h"
#include "TransactionCommand.h"

#include <cstring>

using namespace kvtest;

namespace {

struct GroupFixture {
    ComRef<TransactionCommand> group{ComObject<IEditCommand>::Create<TransactionCommand>("T")};
    std::vector<StepCommand*> steps; // held by the group

    explicit GroupFixture(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            ComRef<StepCommand> step(ComObject<IEditCommand>::Create<StepCommand>(name));
            EXPECT_EQ(group->Add(step.Get()), S_OK);
            steps.push_back(step.Get());
        }
        CallLog().clear();
    }
};

using Log = std::vector<std::string>;

} // namespace

TEST(CommandGroup, RunsChildrenInOrderAndRollsBackFromTheFailingChild)
{
    struct Case {
        const char* label;
        FailPlan planB;
        HRESULT (IEditCommand::*action)();
        HRESULT expected;
        Log log;
    };
    const Case cases[] = {
        {"Do", {}, &IEditCommand::Do, S_OK, {"A.Do", "B.Do", "C.Do"}},
        {"Undo", {}, &IEditCommand::Undo, S_OK, {"C.Undo", "B.Undo", "A.Undo"}},
        {"Redo", {}, &IEditCommand::Redo, S_OK, {"A.Redo", "B.Redo", "C.Redo"}},
        {"Do fails at B", {1, 0, 0, 0}, &IEditCommand::Do, E_FAIL, {"A.Do", "B.Do", "B.Undo", "A.Undo"}},
        {"Redo fails at B", {0, 0, 1, 0}, &IEditCommand::Redo, E_FAIL, {"A.Redo", "B.Redo", "B.Undo", "A.Undo"}},
        {"Undo fails at B", {0, 1, 0, 0}, &IEditCommand::Undo, E_FAIL, {"C.Undo", "B.Undo", "C.Redo"}},
    };
    for (const Case& c : cases) {
        GroupFixture f{"A", "B", "C"};
        f.steps[1]->fail = c.planB;
        IEditCommand* edit = f.group.Get();
        EXPECT_EQ((edit->*c.action)(), c.expected) << c.label;
        EXPECT_EQ(CallLog(), c.log) << c.label;
        UINT count = 0;
        f.group->GetCount(&count);
        EXPECT_EQ(count, 3u) << c.label << ": a failing group keeps its children";
    }
}

TEST(CommandGroup, EmptyGroupSucceedsAndSavesOnlyItsOwnRecord)
{
    ScratchFolder folder;
    GroupFixture f{};
    EXPECT_EQ(f.group->Do(), S_OK);
    EXPECT_EQ(f.group->Undo(), S_OK);
    EXPECT_EQ(f.group->Redo(), S_OK);
    ULONG size = 0;
    ASSERT_EQ(f.group->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size, 274u);
    {
        ComRef<FileStream> stream(ComObject<IJournalFile>::Create<FileStream>(folder.File("g.bin")));
        ASSERT_EQ(f.group->Save(stream.Get()), S_OK);
    }
    EXPECT_EQ(ReadFileBytes(folder.File("g.bin")), GroupChunk(Header(258, "transaction", "T"), {}));
}

TEST(CommandGroup, SavesChildrenAndNestedGroupsInsideItsChunkByteForByte)
{
    ScratchFolder folder;
    GroupFixture outer{"A"};
    ComRef<TransactionCommand> inner(ComObject<IEditCommand>::Create<TransactionCommand>("I"));
    ComRef<BodyCommand> body(ComObject<IEditCommand>::Create<BodyCommand>("B", 7));
    inner->Add(body.Get());
    outer.group->Add(inner.Get());

    ULONG size = 0;
    ASSERT_EQ(outer.group->GetSizeMax(&size), S_OK);
    // own 274 + A 274 + inner (274 + body 279) + 16
    EXPECT_EQ(size, 274u + 274u + (16u + 274u + 279u));

    {
        ComRef<FileStream> stream(ComObject<IJournalFile>::Create<FileStream>(folder.File("n.bin")));
        ASSERT_EQ(outer.group->Save(stream.Get()), S_OK);
    }
    Bytes bodyRecord = Header(263, "test.body", "B");
    Append(bodyRecord, Bytes{7, 0, 0, 0, 0x5A});
    Bytes innerChunk = GroupChunk(Header(258, "transaction", "I"), {CommandChunk(bodyRecord)});
    Bytes expected =
        GroupChunk(Header(258, "transaction", "T"), {CommandChunk(Header(258, "test.step", "A")), innerChunk});
    EXPECT_EQ(ReadFileBytes(folder.File("n.bin")), expected);
    EXPECT_EQ(expected.size(), 16u + size + 1) << "GetSizeMax leaves out the pad byte";
}

TEST(CommandGroup, SaveStopsAtTheFirstFailingChildAndClosesItsChunk)
{
    ScratchFolder folder;
    GroupFixture f{"A", "B", "C"};
    f.steps[1]->fail.saveFails = 1;
    ComRef<FileStream> stream(ComObject<IJournalFile>::Create<FileStream>(folder.File("f.bin")));
    EXPECT_TRUE(FAILED(f.group->Save(stream.Get())));
    EXPECT_EQ(stream->File()->GetChunkDepth(), 0u);
}

TEST(CommandGroup, ListRefusesNullAndBadIndexesAndRemovesByIdentity)
{
    int liveBefore = StepCommand::s_live;
    {
        GroupFixture f{"A", "B", "C"};
        ComRef<ICommandList> list = QueryCom<ICommandList>(static_cast<IEditCommand*>(f.group.Get()));
        ASSERT_TRUE(list);
        EXPECT_EQ(list->Add(nullptr), E_POINTER);
        ComRef<IEditCommand> child;
        EXPECT_EQ(list->GetAt(3, child.Out()), E_FAIL);
        EXPECT_EQ(list->GetAt(0, nullptr), E_POINTER);
        EXPECT_EQ(list->RemoveAt(3), E_INVALIDARG);
        UINT count = 0;
        EXPECT_EQ(list->GetCount(nullptr), E_POINTER);

        ComRef<StepCommand> stranger(ComObject<IEditCommand>::Create<StepCommand>("X"));
        EXPECT_EQ(list->Remove(stranger.Get()), S_OK);
        list->GetCount(&count);
        EXPECT_EQ(count, 3u);

        EXPECT_EQ(list->RemoveAt(1), S_OK);
        ASSERT_EQ(list->GetAt(1, child.Out()), S_OK);
        EXPECT_EQ(NameOf(child.Get()), "C") << "order kept";
        child.Reset();
        EXPECT_EQ(StepCommand::s_live, liveBefore + 3) << "B released; A, C and X alive";

        // A command listed twice: RemoveAt takes the entry at the index asked for.
        list->Add(f.steps[0]);
        ASSERT_EQ(list->RemoveAt(2), S_OK); // A, C, A -> A, C
        ASSERT_EQ(list->GetAt(0, child.Out()), S_OK);
        EXPECT_EQ(NameOf(child.Get()), "A");
        ASSERT_EQ(list->GetAt(1, child.Out()), S_OK);
        EXPECT_EQ(NameOf(child.Get()), "C");
        child.Reset();
        list->GetCount(&count);
        EXPECT_EQ(count, 2u);

        ComRef<ICommandGroupAux> aux = QueryCom<ICommandGroupAux>(static_cast<IEditCommand*>(f.group.Get()));
        ASSERT_TRUE(aux);
        void* object = nullptr;
        EXPECT_EQ(aux->QueryGroupObject(IID_IUnknown, &object), E_NOTIMPL);

        EXPECT_EQ(list->Clear(), S_OK);
        EXPECT_EQ(StepCommand::s_live, liveBefore + 1);
    }
    EXPECT_EQ(StepCommand::s_live, liveBefore);
}
