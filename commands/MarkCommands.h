// Commands on the document's labels: add a cue or section ("addmark"), one per selected track
// ("addmarks"), the loop ("addloop"), a whole record ("addmarkinfo"), change ("modmark") and
// remove ("delmark") one.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "LabelRecord.h"
#include "RecordedCommand.h"
#include "SampleRange.h"

// Opens the in-place name editor on a new label; installed by the program (none in tests
// unless they install their own). style 0 is editable, 0x800 read-only.
using LabelEditStarter = void (*)(CommandDocument* document, const LabelRecord& record, DWORD style);
void SetLabelEditStarter(LabelEditStarter starter);

// A label record as saved with its track as an index, and back. A label on a track no longer
// in the document (removed by the same edit before the label) is saved with kSavedRemovedTrack,
// kept so on loading: any label of a removed track says the same.
constexpr int32_t kSavedRemovedTrack = -2;
LabelRecord TrackByIndex(CommandDocument* document, LabelRecord record);
LabelRecord TrackById(CommandDocument* document, LabelRecord record);

namespace record {
// A label record saved with its track as an index (ids differ in a rebuilt document, places
// do not), read back to the track's id.
template <class C, auto Document, auto Label>
constexpr RecordField<C> TrackLabel(uint16_t offset)
{
    return {offset, static_cast<uint16_t>(sizeof(LabelRecord)),
            [](const C& command, uint8_t* at) {
                const LabelRecord stored = TrackByIndex(command.*Document, command.*Label);
                std::memcpy(at, &stored, sizeof stored);
            },
            [](C& command, const uint8_t* at) {
                LabelRecord stored;
                std::memcpy(&stored, at, sizeof stored);
                command.*Label = TrackById(command.*Document, stored);
            }};
}
} // namespace record

// Base of the single-record label commands: the record, the document, the record size.
class LabelCommand : public RecordedCommand<LabelCommand> {
public:
    static constexpr uint16_t kRecordSize = 542;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize},
                      Custom<sizeof(LabelRecord), &Self::PutLabel, &Self::GetLabel>(258));
    }

    LabelCommand() = default;
    LabelCommand(const char* name, CommandDocument* document) : RecordedCommand(name), m_document(document) {}

    const LabelRecord& Record() const { return m_record; }

protected:
    // "addmark" and "modmark" store the track index in the record's track field.
    virtual bool StoresTrackIndex() const { return false; }
    void PutLabel(uint8_t* at) const;
    void GetLabel(const uint8_t* at);

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

// "delmark" and "modmark" name their label by what it said before they changed it, besides its
// id: a replay reaches the same label whatever ids the rebuilt table gave (labels made and
// taken back before leave places that a replay does not make). Records of the older form,
// which hold the id only, are still read and name the label by its id.
class DelMarkCommand : public RecordedCommand<DelMarkCommand> {
public:
    static constexpr const char* kTypeName = "delmark";
    static constexpr uint16_t kRecordSize = 548;       // the id at 260, the label as it was at 264
    static constexpr uint16_t kLegacyRecordSize = 264; // the id only
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize, kLegacyRecordSize}, Value<int32_t, &Self::m_labelId>(260),
                      record::TrackLabel<Self, &Self::m_document, &Self::m_record>(264));
    }

    DelMarkCommand() = default;
    DelMarkCommand(const char* name, CommandDocument* document, int labelId)
        : RecordedCommand(name), m_document(document), m_labelId(labelId)
    {
    }

    // A label the table does not hold live (unknown or removed): E_FAIL, nothing changed.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

protected:
    void AfterRead(uint16_t formSize) override { m_named = formSize != kLegacyRecordSize; }

private:
    CommandDocument* m_document = nullptr;
    LabelRecord m_record{};
    int m_labelId = 0;
    bool m_named = false; // loaded with the label as it was: found by that
};

class ModMarkCommand : public RecordedCommand<ModMarkCommand, LabelCommand> {
public:
    static constexpr const char* kTypeName = "modmark";
    static constexpr uint16_t kRecordSize = 826;       // the new record at 258, the old one at 542
    static constexpr uint16_t kLegacyRecordSize = 542; // the new record only
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize, kLegacyRecordSize},
                      record::TrackLabel<Self, &Self::m_document, &Self::m_record>(258),
                      record::TrackLabel<Self, &Self::m_document, &Self::m_old>(542));
    }

    ModMarkCommand() = default;
    ModMarkCommand(const char* name, CommandDocument* document, const LabelRecord& record);

    // A label the table does not hold live: E_FAIL, nothing changed.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

protected:
    bool StoresTrackIndex() const override { return true; }
    void AfterRead(uint16_t formSize) override { m_named = formSize != kLegacyRecordSize; }

private:
    LabelRecord m_old{};
    bool m_named = false; // loaded with the old record: the label is found by it
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

// The live label a saved record names in the document: the one of the record's id while it
// still says what the record says (kind, track, span and name), else the first that does.
bool FindSameLabel(CommandDocument* document, const LabelRecord& saved, LabelRecord* found);

// Label helpers of these commands: a record's table operation, E_FAIL when refused.
void AddLabelOrFail(CommandDocument* document, LabelRecord& record);
void SetLabelOrFail(CommandDocument* document, const LabelRecord& record);
void RemoveLabelOrFail(CommandDocument* document, const LabelRecord& record);
// A string of the program's string table.
std::string LoadResourceText(UINT id);
