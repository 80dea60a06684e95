#include <gtest/gtest.h>

#include "ExpectedBytes.h"
#include "JournalSupport.h"
#include "TestCommands.h"
#include "TestSupport.h"

#include <cstring>

using namespace kvtest;

namespace {

// Saves the command into a fresh file and returns the file's bytes.
std::vector<uint8_t> SavedBytes(IEditCommand* command, const std::string& path, HRESULT* result = nullptr)
{
    {
        ComRef<FileStream> stream(ComObject<IJournalFile>::Create<FileStream>(path));
        ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(command);
        HRESULT hr = persist->Save(stream.Get());
        if (result)
            *result = hr;
    }
    return ReadFileBytes(path);
}

// Loads a new command of type T from the first chunk of the file.
template <class T>
ComRef<T> LoadFirst(const std::string& path)
{
    ComRef<FileStream> stream(ComObject<IJournalFile>::Create<FileStream>(path, kFileRead));
    EXPECT_EQ(stream->File()->DescendById(0, 0), S_OK);
    ComRef<T> loaded(ComObject<IEditCommand>::Create<T>());
    ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(static_cast<IEditCommand*>(loaded.Get()));
    EXPECT_EQ(persist->Load(stream.Get()), S_OK);
    return loaded;
}

} // namespace

TEST(EditCommand, SavesOneCommandChunkByteForByte)
{
    ScratchFolder folder;
    struct Case {
        const char* label;
        std::string name;
        std::string savedName; // what the 128-byte field holds
    };
    const std::string longName(200, 'x');
    const Case cases[] = {
        {"plain", "Cut", "Cut"},
        {"empty name", "", ""},
        {"200-character name", longName, longName.substr(0, 128)},
    };
    for (const Case& c : cases) {
        ComRef<StepCommand> command(ComObject<IEditCommand>::Create<StepCommand>(c.name.c_str()));
        std::vector<uint8_t> bytes = SavedBytes(command.Get(), folder.File("cmd.bin"));
        EXPECT_EQ(bytes, CommandChunk(Header(258, "test.step", c.savedName))) << c.label;
        EXPECT_EQ(bytes.size(), 274u) << c.label;
        ULONG size = 0;
        ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(static_cast<IEditCommand*>(command.Get()));
        EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size, 258u) << c.label << ": the chunk's data without its 16-byte header";

        ComRef<StepCommand> loaded = LoadFirst<StepCommand>(folder.File("cmd.bin"));
        EXPECT_EQ(NameOf(loaded.Get()), c.savedName) << c.label;
    }
}

TEST(EditCommand, SavesABodyAsOneRecordPaddedToEvenLength)
{
    ScratchFolder folder;
    ComRef<BodyCommand> command(ComObject<IEditCommand>::Create<BodyCommand>("Body", 0x11223344u));
    ULONG size = 0;
    ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(static_cast<IEditCommand*>(command.Get()));
    ASSERT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size, 263u);
    EXPECT_EQ(persist->GetSizeMax(nullptr), E_POINTER);

    std::vector<uint8_t> record = Header(263, "test.body", "Body");
    Append(record, Bytes{0x44, 0x33, 0x22, 0x11, 0x5A});
    std::vector<uint8_t> bytes = SavedBytes(command.Get(), folder.File("body.bin"));
    EXPECT_EQ(bytes, CommandChunk(record));
    EXPECT_EQ(bytes.size(), 280u) << "16 + 263 + one pad byte";

    ComRef<BodyCommand> loaded = LoadFirst<BodyCommand>(folder.File("body.bin"));
    EXPECT_EQ(loaded->value, 0x11223344u);
    EXPECT_EQ(NameOf(loaded.Get()), "Body");
}

TEST(EditCommand, RefusesToLoadARecordShorterThanItsHeader)
{
    ScratchFolder folder;
    std::vector<uint8_t> bytes = Text("KSCMKCMD");
    Append(bytes, Le64(100));
    bytes.resize(16 + 100, 0x41);
    // What follows the chunk must not be read as part of the record.
    bytes.resize(16 + 400, 0x42);
    WriteFileBytes(folder.File("short.bin"), bytes);

    ComRef<FileStream> stream(ComObject<IJournalFile>::Create<FileStream>(folder.File("short.bin"), kFileRead));
    ASSERT_EQ(stream->File()->DescendById(0, 0), S_OK);
    ComRef<StepCommand> command(ComObject<IEditCommand>::Create<StepCommand>("kept"));
    ComRef<IPersistCommand> persist = QueryCom<IPersistCommand>(static_cast<IEditCommand*>(command.Get()));
    EXPECT_EQ(persist->Load(stream.Get()), kBadJournal);
    EXPECT_EQ(NameOf(command.Get()), "kept");
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);
}

TEST(EditCommand, CopiesNamesWithoutTerminatorAndChecksPointers)
{
    ComRef<StepCommand> command(ComObject<IEditCommand>::Create<StepCommand>("Hello World"));
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(command->GetName(buffer, 5), S_OK);
    EXPECT_EQ(std::string(buffer, 6), "Hello#");
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(command->GetTypeName(buffer, 4), S_OK);
    EXPECT_EQ(std::string(buffer, 5), "test#");
    EXPECT_EQ(command->GetName(nullptr, 5), E_POINTER);
    EXPECT_EQ(command->SetName(nullptr), E_POINTER);
    EXPECT_EQ(command->SetName("Paste"), S_OK);
    EXPECT_EQ(NameOf(command.Get()), "Paste");

    ComRef<StepCommand> unnamed(ComObject<IEditCommand>::Create<StepCommand>(nullptr));
    EXPECT_EQ(NameOf(unnamed.Get()), "");
}

TEST(EditCommand, AnswersItsInterfacesWithOneIdentityAndDiesAtTheLastRelease)
{
    int liveBefore = StepCommand::s_live;
    IEditCommand* edit = ComObject<IEditCommand>::Create<StepCommand>("A");
    IPersistCommand* persist = nullptr;
    ASSERT_EQ(edit->QueryInterface(__uuidof(IPersistCommand), reinterpret_cast<void**>(&persist)), S_OK);
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
    edit->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
    EXPECT_EQ(a, b);
    void* list = reinterpret_cast<void*>(1);
    EXPECT_EQ(edit->QueryInterface(__uuidof(ICommandList), &list), E_NOINTERFACE);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(edit->QueryInterface(__uuidof(IEditCommand), nullptr), E_POINTER);
    a->Release();
    b->Release();
    persist->Release();
    EXPECT_EQ(StepCommand::s_live, liveBefore + 1);
    EXPECT_EQ(edit->Release(), 0u);
    EXPECT_EQ(StepCommand::s_live, liveBefore);
}
