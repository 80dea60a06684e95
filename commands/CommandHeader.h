// The 258-byte header that opens every saved command record, and the chunk ids of
// command records:
//   offset 0    16-bit little-endian size of the whole record (258 without a body)
//   offset 2    type name, 128 bytes, NUL-padded (no terminator when it fills the field)
//   offset 130  display name, 128 bytes, NUL-padded
// A command chunk is "KSCM" "KCMD" + 64-bit size + the record; a group chunk is
// "KSCM" "KGRP" holding the group's own command chunk and then one chunk per child.
// The readers need no window and no file (the native sanitizer build fuzzes them).
#pragma once
#include "InterfaceTag.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

struct IEditCommand;

constexpr InterfaceTag kCommandChunkId = MakeTag("KSCMKCMD");  // one command
constexpr InterfaceTag kGroupChunkId = MakeTag("KSCMKGRP");    // a group and its children
constexpr InterfaceTag kJournalChunkId = MakeTag("KSCMKSTM");  // the journal file's chunk
constexpr InterfaceTag kDocumentChunkId = MakeTag("KSCMKDOC"); // the document's own journal record

// A journal or saved command that is not what it claims to be: another first chunk, a
// record or count running past the chunk that holds it, a group without its own record.
constexpr HRESULT kBadJournal = static_cast<HRESULT>(0x83E80834);

struct CommandHeader {
    static constexpr size_t kSize = 258;
    static constexpr size_t kNameField = 128;
    static constexpr size_t kTypeNameOffset = 2;
    static constexpr size_t kNameOffset = 130;

    // Fills the three header fields of a zeroed block from the command's names.
    static void Fill(uint8_t* block, uint16_t recordSize, IEditCommand* command);
    static uint16_t RecordSize(const uint8_t* block) { return uint16_t(block[0] | block[1] << 8); }
    // At most 128 bytes, up to the first NUL.
    static std::string TypeName(const uint8_t* block) { return FieldText(block + kTypeNameOffset); }
    static std::string Name(const uint8_t* block) { return FieldText(block + kNameOffset); }

private:
    static std::string FieldText(const uint8_t* field)
    {
        const char* text = reinterpret_cast<const char*>(field);
        return std::string(text, strnlen(text, kNameField));
    }
};
