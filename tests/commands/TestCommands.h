// Small commands for the framework's tests: each records its calls in a shared log and
// can be told to fail any of its actions or its Save.
#pragma once
#include "CommandGroup.h"
#include "EditCommand.h"

#include <string>
#include <vector>

namespace kvtest {

// Calls made on test commands, as "name.Do", "name.Undo", "name.Redo".
std::vector<std::string>& CallLog();

// Failure switches of a test command; fail*Count failures happen before it succeeds again
// (-1 = always).
struct FailPlan {
    int doFails = 0;
    int undoFails = 0;
    int redoFails = 0;
    int saveFails = 0;
};

// "test.step": header only. Its display name identifies it in the log.
class StepCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "test.step";
    StepCommand() { ++s_live; }
    explicit StepCommand(const char* name) : EditCommand(name) { ++s_live; }
    ~StepCommand() override;

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }
    STDMETHODIMP Save(IJournalFile* stream) override;

    FailPlan fail;
    static int s_live; // objects alive

protected:
    HRESULT Act(const char* action, int& failures);
};

// "test.body": a record with a body of 5 bytes (odd record size 263): a 32-bit value and
// one flag byte.
class BodyCommand : public StepCommand {
public:
    static constexpr const char* kTypeName = "test.body";
    static constexpr uint16_t kRecordSize = 263;
    BodyCommand() = default;
    BodyCommand(const char* name, uint32_t value) : StepCommand(name), value(value) {}

    STDMETHODIMP GetTypeName(char* buffer, UINT length) override { return CopyTypeName(kTypeName, buffer, length); }
    STDMETHODIMP OnLoaded() override;

    uint32_t value = 0;
    bool loaded = false;

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;
};

// Registers the test types once (safe to call from every test).
void RegisterTestCommandTypes();

// Reads a command's display name as a string.
std::string NameOf(IEditCommand* command);
std::string TypeNameOf(IEditCommand* command);

template <class T>
T* Query(IUnknown* object)
{
    T* result = nullptr;
    object->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&result));
    return result;
}

} // namespace kvtest
