#include <gtest/gtest.h>

#include "CommandStack.h"
#include "TestCommands.h"

using namespace kvtest;

namespace {

ComRef<IEditCommand> NewStep(const char* name)
{
    return ComRef<IEditCommand>(ComObject<IEditCommand>::Create<StepCommand>(name));
}

std::vector<std::string> Walk(ICommandCursor* cursor)
{
    std::vector<std::string> names;
    ComRef<IEditCommand> command;
    while (cursor->Next(command.Out()) == S_OK)
        names.push_back(NameOf(command.Get()));
    return names;
}

} // namespace

TEST(CommandStack, CursorWalksFromNewestToOldestAndStartsOverAfterReset)
{
    ComRef<CommandStack> stack(ComObject<IUnknown>::Create<CommandStack>());
    ComRef<ICommandCursor> cursor(ComObject<ICommandCursor>::Create<CommandStackCursor>(stack.Get()));
    IEditCommand* none = nullptr;
    EXPECT_EQ(cursor->Next(&none), S_FALSE) << "empty stack";

    for (const char* name : {"A", "B", "C"})
        stack->Push(NewStep(name).Get());
    EXPECT_EQ(Walk(cursor.Get()), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(cursor->Next(&none), S_FALSE);
    cursor->Reset();
    ComRef<IEditCommand> first;
    ASSERT_EQ(cursor->Next(first.Out()), S_OK);
    EXPECT_EQ(NameOf(first.Get()), "C");

    // The cursor reads the live stack: a push shifts what comes next.
    stack->Push(NewStep("D").Get());
    ComRef<IEditCommand> next;
    ASSERT_EQ(cursor->Next(next.Out()), S_OK);
    EXPECT_EQ(NameOf(next.Get()), "C");
    EXPECT_EQ(cursor->Next(nullptr), E_POINTER) << "position still moves";
    EXPECT_EQ(Walk(cursor.Get()), (std::vector<std::string>{"A"}));
}

TEST(CommandStack, HoldsOneReferencePerEntryAndReleasesOnPopRemoveAndClear)
{
    int liveBefore = StepCommand::s_live;
    ComRef<CommandStack> stack(ComObject<IUnknown>::Create<CommandStack>());
    IEditCommand* untouched = reinterpret_cast<IEditCommand*>(1);
    EXPECT_EQ(stack->Pop(&untouched), S_FALSE);
    EXPECT_EQ(untouched, reinterpret_cast<IEditCommand*>(1));
    EXPECT_EQ(stack->Push(nullptr), E_POINTER);

    for (const char* name : {"A", "B", "C", "D"})
        stack->Push(NewStep(name).Get()); // the stack holds the only reference
    EXPECT_EQ(StepCommand::s_live, liveBefore + 4);

    EXPECT_EQ(stack->Pop(nullptr), S_OK) << "pop without out releases";
    EXPECT_EQ(StepCommand::s_live, liveBefore + 3);
    ComRef<IEditCommand> popped;
    EXPECT_EQ(stack->Pop(popped.Out()), S_OK);
    EXPECT_EQ(NameOf(popped.Get()), "C");
    popped.Reset();
    EXPECT_EQ(StepCommand::s_live, liveBefore + 2);

    EXPECT_EQ(stack->RemoveAt(7), S_OK) << "out of range changes nothing";
    UINT count = 0;
    stack->GetCount(&count);
    EXPECT_EQ(count, 2u);
    ComRef<IEditCommand> bottom;
    ASSERT_EQ(stack->GetAt(0, bottom.Out()), S_OK);
    EXPECT_EQ(NameOf(bottom.Get()), "A");
    EXPECT_EQ(stack->GetAt(2, popped.Out()), E_INVALIDARG);
    EXPECT_EQ(stack->Remove(bottom.Get()), S_OK);
    EXPECT_EQ(stack->Remove(bottom.Get()), S_OK) << "absent entry";
    bottom.Reset();
    EXPECT_EQ(StepCommand::s_live, liveBefore + 1);

    stack->Push(NewStep("E").Get());
    stack->RemoveAt(0);
    ComRef<IEditCommand> left;
    stack->GetAt(0, left.Out());
    EXPECT_EQ(NameOf(left.Get()), "E");
    left.Reset();
    stack->Clear();
    stack->GetCount(&count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(StepCommand::s_live, liveBefore);
}

TEST(CommandStack, CursorKeepsItsStackAlive)
{
    int liveBefore = StepCommand::s_live;
    CommandStack* stack = ComObject<IUnknown>::Create<CommandStack>();
    stack->Push(NewStep("A").Get());
    ComRef<ICommandCursor> cursor(ComObject<ICommandCursor>::Create<CommandStackCursor>(stack));
    stack->Release();
    ComRef<IEditCommand> entry;
    ASSERT_EQ(cursor->Next(entry.Out()), S_OK);
    EXPECT_EQ(NameOf(entry.Get()), "A");
    entry.Reset();
    cursor.Reset();
    EXPECT_EQ(StepCommand::s_live, liveBefore) << "the last release frees stack and entries";
}
