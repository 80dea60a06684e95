// EditCommand: the root of every edit command.
//
//   class MyCommand : public EditCommand {
//       STDMETHODIMP Do() override; STDMETHODIMP Redo() override; STDMETHODIMP Undo() override;
//       STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName("mycommand", b, n); }
//   };
//
// The root keeps the display name and saves the command as one "KSCM" "KCMD" chunk whose
// record starts with the CommandHeader. A type with fields of its own lists them once on
// RecordedCommand (RecordedCommand.h), which implements the body hooks GetSize, WriteBody
// and ReadBody from that list.
// Callers hold commands only through IEditCommand and IPersistCommand; further interfaces
// are added with ComExtend<EditCommand, ...> (see CommandGroup).
#pragma once
#include "ChunkFile.h"
#include "CommandHeader.h"
#include "CommandInterfaces.h"

#include <string>

class EditCommand : public ComObject<IEditCommand, IPersistCommand> {
public:
    EditCommand() = default;
    explicit EditCommand(const char* name); // copied when not null

    STDMETHODIMP GetName(char* buffer, UINT length) override;
    STDMETHODIMP SetName(const char* name) override;

    STDMETHODIMP Load(IJournalFile* stream) override; // the body hook ReadBody
    STDMETHODIMP Save(IJournalFile* stream) override; // one "KSCM" "KCMD" chunk around WriteBody
    STDMETHODIMP OnLoaded() override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULONG* size) override; // the body hook GetSize

protected:
    // Body hooks, working at the chunk file's current position.
    virtual HRESULT ReadBody(IJournalFile* stream);
    virtual HRESULT WriteBody(IJournalFile* stream);
    virtual HRESULT GetSize(ULONG* size); // bytes WriteBody writes: 258 for the root

    // Helpers for body hooks. A record is at least CommandHeader::kSize bytes.
    void FillHeader(uint8_t* block, uint16_t recordSize);
    // Writes the block at the current position; a short write fails with STG_E_WRITEFAULT.
    static HRESULT WriteRecord(IJournalFile* stream, const uint8_t* block, size_t size);
    // Reads size bytes and takes the display name from the header. The record must lie
    // inside the current chunk: a short or damaged one fails with kBadJournal.
    HRESULT ReadRecord(IJournalFile* stream, uint8_t* block, size_t size);
    // The size field of the record at the position (0 when none can be read), which tells a
    // record's forms apart; the position is left where it was.
    static uint16_t StoredRecordSize(IJournalFile* stream);

    static HRESULT CopyTypeName(const char* typeName, char* buffer, UINT length);
    const std::string& DisplayName() const { return m_name; }

private:
    std::string m_name;
};
