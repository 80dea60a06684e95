#include <gtest/gtest.h>

#include "CommandRegistry.h"
#include "TestCommands.h"

#include <set>

using namespace kvtest;

TEST(CommandRegistry, ListsEveryTypeNameOnceAndCreatesTheTypesThatExist)
{
    EXPECT_EQ(CommandTypeCount(), 50u);
    std::set<std::string> names;
    size_t creatable = 0;
    for (size_t i = 0; i < CommandTypeCount(); ++i) {
        const char* name = CommandTypeName(i);
        ASSERT_NE(name, nullptr);
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(RegisterCommandType(name, CreateCommandOf<StepCommand>), nullptr)
            << name << " is reserved: a second registration is ignored";
        IEditCommand* command = reinterpret_cast<IEditCommand*>(1);
        HRESULT hr = CreateCommandByName(name, &command);
        if (hr == E_FAIL) {
            EXPECT_EQ(command, reinterpret_cast<IEditCommand*>(1)) << "out pointer untouched";
            continue;
        }
        ASSERT_EQ(hr, S_OK) << name;
        ++creatable;
        EXPECT_EQ(TypeNameOf(command), name);
        EXPECT_EQ(command->Release(), 0u) << name << ": the caller holds the only reference";
    }
    EXPECT_EQ(CommandTypeName(CommandTypeCount()), nullptr);
    EXPECT_GE(creatable, 1u);
    EXPECT_TRUE(names.count("transaction"));
}

TEST(CommandRegistry, LooksNamesUpCaseSensitively)
{
    IEditCommand* command = nullptr;
    EXPECT_EQ(CreateCommandByName("Transaction", &command), E_FAIL);
    EXPECT_EQ(CreateCommandByName("", &command), E_FAIL);
    EXPECT_EQ(CreateCommandByName(nullptr, &command), E_FAIL);
    EXPECT_EQ(CreateCommandByName("transaction", nullptr), E_POINTER);
}

TEST(CommandRegistry, KeepsTheFirstRegistrationOfAName)
{
    const char* name = RegisterCommandType("test.registry.first", CreateCommandOf<StepCommand>);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "test.registry.first");
    EXPECT_EQ(RegisterCommandType("test.registry.first", CreateCommandOf<BodyCommand>), nullptr);
    ComRef<IEditCommand> command;
    ASSERT_EQ(CreateCommandByName("test.registry.first", command.Out()), S_OK);
    EXPECT_EQ(TypeNameOf(command.Get()), StepCommand::kTypeName) << "made by the first create function";
    EXPECT_EQ(RegisterCommandType(nullptr, CreateCommandOf<StepCommand>), nullptr);
}
