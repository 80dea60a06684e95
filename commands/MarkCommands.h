// Commands on the document's labels: add a cue or section ("addmark"), one per selected track
// ("addmarks"), the loop ("addloop"), a whole record ("addmarkinfo"), change ("modmark") and
// remove ("delmark") one.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "EditCommand.h"
#include "LabelTable.h"
#include "SampleRange.h"

// Opens the in-place name editor on a new label; installed by the program (none in tests
// unless they install their own). style 0 is editable, 0x800 read-only.
using LabelEditStarter = void (*)(CommandDocument* document, const LabelRecord& record, DWORD style);
void SetLabelEditStarter(LabelEditStarter starter);

// Base of the single-record label commands: the record, the document, the record size.
class LabelCommand : public EditCommand {
public:
    static constexpr uint16_t kRecordSize = 542;

    LabelCommand() = default;
    LabelCommand(const char* name, CommandDocument* document) : EditCommand(name), m_document(document) {}

    const LabelRecord& Record() const { return m_record; }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;
    // "addmark" and "modmark" store the track index in the record's track field.
    virtual bool StoresTrackIndex() const { return false; }

    CommandDocument* m_document = nullptr;
    LabelRecord m_record{};
};

class AddMarkCommand : public LabelCommand {
public:
    static constexpr const char* kTypeName = "addmark";

    AddMarkCommand() = default;
    AddMarkCommand(const char* name, CommandDocument* document, int trackIndex, int64_t position, int64_t length,
                   int beginEdit = 1);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override;
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

protected:
    bool StoresTrackIndex() const override { return true; }

private:
    SampleRange m_range;
    int m_trackIndex = -1;
    int m_beginEdit = 1;
};

class AddMarksCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "addmarks";

    AddMarksCommand() = default;
    AddMarksCommand(const char* name, CommandDocument* document) : CommandGroup(name), m_document(document) {}

    STDMETHODIMP Do() override;
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

private:
    CommandDocument* m_document = nullptr;
};

class DelMarkCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "delmark";
    static constexpr uint16_t kRecordSize = 264;

    DelMarkCommand() = default;
    DelMarkCommand(const char* name, CommandDocument* document, int labelId)
        : EditCommand(name), m_document(document), m_labelId(labelId)
    {
    }

    // A label the table does not hold live (unknown or removed): E_FAIL, nothing changed.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

protected:
    HRESULT ReadBody(IJournalFile* stream) override;
    HRESULT WriteBody(IJournalFile* stream) override;
    HRESULT GetSize(ULONG* size) override;

private:
    CommandDocument* m_document = nullptr;
    LabelRecord m_record{};
    int m_labelId = 0;
};

class ModMarkCommand : public LabelCommand {
public:
    static constexpr const char* kTypeName = "modmark";

    ModMarkCommand() = default;
    ModMarkCommand(const char* name, CommandDocument* document, const LabelRecord& record);

    // A label the table does not hold live: E_FAIL, nothing changed.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

protected:
    bool StoresTrackIndex() const override { return true; }

private:
    LabelRecord m_old{};
};

class AddLoopCommand : public LabelCommand {
public:
    static constexpr const char* kTypeName = "addloop";

    AddLoopCommand() = default;
    AddLoopCommand(const char* name, CommandDocument* document, int64_t start, int64_t length);

    // A second loop: E_FAIL.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override;
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

private:
    SampleRange m_range;
};

class AddMarkInfoCommand : public LabelCommand {
public:
    static constexpr const char* kTypeName = "addmarkinfo";

    AddMarkInfoCommand() = default;
    AddMarkInfoCommand(const char* name, CommandDocument* document, const LabelRecord& record);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }
};

// Label helpers of these commands: a record's table operation, E_FAIL when refused.
void AddLabelOrFail(CommandDocument* document, LabelRecord& record);
void SetLabelOrFail(CommandDocument* document, const LabelRecord& record);
void RemoveLabelOrFail(CommandDocument* document, const LabelRecord& record);
// A string of the program's string table.
std::string LoadResourceText(UINT id);
