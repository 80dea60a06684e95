// Commands that add a track ("inserttrack", "appendtrack") and the one that sets a brought-in
// track's properties ("trackproperty") with the record of a track's properties it keeps.
#pragma once
#include "CommandDocument.h"
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "LabelRecord.h"
#include "RecordedCommand.h"
#include "TrackCommandSupport.h"

class InsertTrackCommand : public RecordedCommand<InsertTrackCommand> {
public:
    static constexpr const char* kTypeName = "inserttrack";
    static constexpr uint16_t kRecordSize = 520;       // the default label's name at 264
    static constexpr uint16_t kLegacyRecordSize = 264; // without it
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize, kLegacyRecordSize}, Value<uint16_t, &Self::m_channels>(258),
                      Value<int32_t, &Self::m_trackIndex>(260),
                      record::LabelName<Self, &Self::m_label, &Self::m_labelName>(264));
    }

    InsertTrackCommand() = default;
    // index -1: after the last track.
    InsertTrackCommand(const char* name, CommandDocument* document, WORD channels, int trackIndex);

    // More channels than the document takes (2, or 6 when multichannel): 0x83E804B4.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

    IMtTrack* Track() const { return m_track.Get(); }
    // The name Do gives the new track's default label (empty: the next default name), and
    // the name it gave.
    void GiveLabelName(const char* name);
    const char* GivenLabelName() const { return m_label.id > 0 ? m_label.name : m_labelName; }

protected:
    virtual bool Appends() const { return false; }
    int TargetIndex();
    void SelectOnly(int index);

    CommandDocument* m_document = nullptr;
    ComRef<IMtTrack> m_track;
    WORD m_channels = 2;
    int m_trackIndex = -1;
    LabelRecord m_label{};                            // the default label Do gave the new track (id 0: none)
    char m_labelName[sizeof(LabelRecord::name)] = {}; // loaded: the name Do gives that label
};

class AppendTrackCommand : public RecordedCommand<AppendTrackCommand, InsertTrackCommand> {
public:
    static constexpr const char* kTypeName = "appendtrack";
    static constexpr uint16_t kRecordSize = 516;       // the default label's name at 260
    static constexpr uint16_t kLegacyRecordSize = 260; // without it
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize, kLegacyRecordSize}, Value<uint16_t, &Self::m_channels>(258),
                      record::LabelName<Self, &Self::m_label, &Self::m_labelName>(260));
    }

    AppendTrackCommand() = default;
    AppendTrackCommand(const char* name, CommandDocument* document, WORD channels)
        : RecordedCommand(name, document, channels, -1)
    {
    }

protected:
    bool Appends() const override { return true; }
};

// A level as the records keep it: value x 10000 rounded to the nearest integer, the same
// whether it is captured from a track or taken from a copied one.
int32_t LevelToFixed(float level);

// One track's properties: label, level, pan, start offset, group record, mute state.
class TrackPropertyRecord {
public:
    static constexpr size_t kPersistedSize = 328;

    virtual ~TrackPropertyRecord() = default;

    // Fills the record from track index of the document; failing reads are thrown.
    void Capture(CommandDocument* document, int index);
    // Compares with the track and, unless testOnly, writes what differs. True when something
    // differed. A failing read ends it quietly.
    bool Apply(bool testOnly);

    void Persist(uint8_t* block) const; // 328 bytes
    void Restore(const uint8_t* block);

    LabelRecord label{};
    int32_t level = 0;
    int32_t pan = 0;
    int64_t startOffset = 0;
    MtGroupRecord group{};
    uint32_t mute = 0;
    CommandDocument* document = nullptr;
    int trackIndex = -1;
};

class TrackPropertyCommand : public RecordedCommand<TrackPropertyCommand> {
public:
    static constexpr const char* kTypeName = "trackproperty";
    static constexpr uint16_t kRecordSize = 928;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(920),
                      Custom<2 * TrackPropertyRecord::kPersistedSize, &Self::PutProperties, &Self::GetProperties>(264));
    }

    TrackPropertyCommand() = default;
    explicit TrackPropertyCommand(CommandDocument* document) : m_document(document) {}

    // Level, pan and group of the track that source (a copy of a track range) hands out.
    HRESULT InitFromSource(int trackIndex, IUnknown* source);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Redo(); }

private:
    // Both records, the new one first; reading needs the track index read before.
    void PutProperties(uint8_t* at) const;
    void GetProperties(const uint8_t* at);

    CommandDocument* m_document = nullptr;
    TrackPropertyRecord m_new;
    TrackPropertyRecord m_old;
    int m_trackIndex = -1;
};
