#include "TestCommands.h"

#include "CommandRegistry.h"

#include <cstring>

namespace kvtest {

std::vector<std::string>& CallLog()
{
    static std::vector<std::string> log;
    return log;
}

int StepCommand::s_live = 0;

StepCommand::~StepCommand()
{
    --s_live;
}

HRESULT StepCommand::Act(const char* action, int& failures)
{
    CallLog().push_back(DisplayName() + "." + action);
    if (failures != 0) {
        if (failures > 0)
            --failures;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT StepCommand::Do()
{
    return Act("Do", fail.doFails);
}
HRESULT StepCommand::Redo()
{
    return Act("Redo", fail.redoFails);
}
HRESULT StepCommand::Undo()
{
    return Act("Undo", fail.undoFails);
}

HRESULT StepCommand::Save(IJournalFile* stream)
{
    if (fail.saveFails != 0) {
        if (fail.saveFails > 0)
            --fail.saveFails;
        // Leave the record behind, as a command that fails late in its Save would.
        HRESULT hr = EditCommand::Save(stream);
        return FAILED(hr) ? hr : STG_E_MEDIUMFULL;
    }
    return EditCommand::Save(stream);
}

HRESULT BodyCommand::OnLoaded()
{
    loaded = true;
    return S_OK;
}

HRESULT BodyCommand::GetSize(ULONG* size)
{
    *size = kRecordSize;
    return S_OK;
}

HRESULT BodyCommand::WriteBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    FillHeader(block, kRecordSize);
    std::memcpy(block + CommandHeader::kSize, &value, 4);
    block[CommandHeader::kSize + 4] = 0x5A;
    return WriteRecord(stream, block, sizeof block);
}

HRESULT BodyCommand::ReadBody(IJournalFile* stream)
{
    uint8_t block[kRecordSize] = {};
    HRESULT hr = ReadRecord(stream, block, sizeof block);
    if (SUCCEEDED(hr))
        std::memcpy(&value, block + CommandHeader::kSize, 4);
    return hr;
}

void RegisterTestCommandTypes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterCommandType(StepCommand::kTypeName, CreateCommandOf<StepCommand>);
    RegisterCommandType(BodyCommand::kTypeName, CreateCommandOf<BodyCommand>);
}

std::string NameOf(IEditCommand* command)
{
    char buffer[300] = {};
    command->GetName(buffer, sizeof buffer - 1);
    return buffer;
}

std::string TypeNameOf(IEditCommand* command)
{
    char buffer[300] = {};
    command->GetTypeName(buffer, sizeof buffer - 1);
    return buffer;
}

} // namespace kvtest
