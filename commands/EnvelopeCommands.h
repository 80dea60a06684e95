// Commands on a track's envelopes: one point ("insertenvelopepoint", "deleteenvelopepoint",
// "moveenvelopepoint"), one whole envelope ("deleteclearenvelope") and a range of all five
// kinds ("insertenveloperange", "deleteenveloperange"), which keep the envelopes in step
// with audio moved on the track. Positions are kept relative to the track's start.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "RecordedCommand.h"
#include "SampleRange.h"

#include <vector>

class EnvelopeCommand : public EditCommand {
public:
    EnvelopeCommand() = default;
    EnvelopeCommand(const char* name, CommandDocument* document, int trackIndex, int kind)
        : EditCommand(name), m_document(document), m_trackIndex(trackIndex), m_kind(kind)
    {
    }

protected:
    // The envelope of the command's track and kind; failures are thrown.
    ComRef<IMtEnvelope> GetEnvelope();

    CommandDocument* m_document = nullptr;
    int m_trackIndex = -1;
    int m_kind = -1;
};

class InsertEnvelopePointCommand : public RecordedCommand<InsertEnvelopePointCommand, EnvelopeCommand> {
public:
    static constexpr const char* kTypeName = "insertenvelopepoint";
    static constexpr uint16_t kRecordSize = 288;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int64_t, &Self::m_position>(264),
                      Value<float, &Self::m_value>(272), Value<int32_t, &Self::m_trackIndex>(280),
                      Value<int32_t, &Self::m_kind>(284));
    }

    InsertEnvelopePointCommand() = default;
    InsertEnvelopePointCommand(const char* name, CommandDocument* document, int trackIndex, int kind, int64_t position,
                               float value);

    // Keeps the point the insert replaces, if one stood there, then inserts.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    // Puts the replaced point back, or deletes the inserted one.
    STDMETHODIMP Undo() override;
    // Replayed through Do: the replaced point is found again in the rebuilt envelope.
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    int64_t m_position = 0;
    float m_value = 0;
    bool m_replaced = false; // Do found a point at the position
    float m_replacedValue = 0;
};

class DeleteEnvelopePointCommand : public RecordedCommand<DeleteEnvelopePointCommand, EnvelopeCommand> {
public:
    static constexpr const char* kTypeName = "deleteenvelopepoint";
    static constexpr uint16_t kRecordSize = 280;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int64_t, &Self::m_position>(264),
                      Value<int32_t, &Self::m_trackIndex>(272), Value<int32_t, &Self::m_kind>(276));
    }

    DeleteEnvelopePointCommand() = default;
    DeleteEnvelopePointCommand(const char* name, CommandDocument* document, int trackIndex, int kind, int64_t position);

    // Captures the point's value, then deletes it.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    int64_t m_position = 0;
    float m_value = 0;
    bool m_found = false; // Do found a point at the position
};

class MoveEnvelopePointCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "moveenvelopepoint";

    MoveEnvelopePointCommand() = default;
    MoveEnvelopePointCommand(const char* name, CommandDocument* document, int trackIndex, int kind, int64_t oldPosition,
                             int64_t newPosition, float newValue);

    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }
};

// The two range types share the range, the track and the five-kind walk.
class EnvelopeRangeCommand : public RecordedCommand<EnvelopeRangeCommand> {
public:
    static constexpr uint16_t kRecordSize = 288;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int32_t, &Self::m_trackIndex>(280));
    }

    EnvelopeRangeCommand() = default;
    EnvelopeRangeCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length);

    const SampleRange& Range() const { return m_range; }

    // Calls call(envelope, kind) for kinds 0 to 4; the result of the last call.
    template <class F>
    HRESULT ForEachKind(F&& call);
    int64_t Length() const { return m_range.end - m_range.start; }

    CommandDocument* m_document = nullptr;
    SampleRange m_range; // track-relative
    int m_trackIndex = -1;
};

class InsertEnvelopeRangeCommand : public EnvelopeRangeCommand {
public:
    static constexpr const char* kTypeName = "insertenveloperange";

    InsertEnvelopeRangeCommand() = default;
    InsertEnvelopeRangeCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start,
                               int64_t length);

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Redo(); }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }
};

class DeleteEnvelopeRangeCommand : public EnvelopeRangeCommand {
public:
    static constexpr const char* kTypeName = "deleteenveloperange";

    DeleteEnvelopeRangeCommand() = default;
    // The range is cut to the track's span; one outside it becomes empty.
    DeleteEnvelopeRangeCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start,
                               int64_t length);

    // Keeps the points inside the range (ends included), then deletes it.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

private:
    struct SavedPoint {
        int64_t position;
        float value;
    };
    std::vector<SavedPoint> m_saved[kMtEnvelopeKinds];
};

class DeleteClearEnvelopeCommand : public RecordedCommand<DeleteClearEnvelopeCommand, EnvelopeCommand> {
public:
    static constexpr const char* kTypeName = "deleteclearenvelope";
    static constexpr uint16_t kRecordSize = 268;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<int32_t, &Self::m_trackIndex>(260),
                      Value<int32_t, &Self::m_kind>(264));
    }

    DeleteClearEnvelopeCommand() = default;
    DeleteClearEnvelopeCommand(const char* name, CommandDocument* document, int trackIndex, int kind)
        : RecordedCommand(name, document, trackIndex, kind)
    {
    }

    STDMETHODIMP Do() override { return Redo(); }
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Redo(); }

private:
    ComRef<IMtEnvelope> m_copy;
};

// The envelope of a track and kind of a document; failures are thrown.
ComRef<IMtEnvelope> TrackEnvelope(CommandDocument* document, int trackIndex, int kind);
// Whether a point stands at the track-relative position, and its value (the last one's when
// several do); a failing enumeration is thrown.
bool FindEnvelopePoint(IMtEnvelope* envelope, int64_t position, float* value);
