// Commands that change the audio of one track over one range by one engine call: insert a
// clip ("insertclip"), delete ("deleteclip"), keep only ("trimclip"), fill from an item
// ("createclip"), merge an item in ("mergeclip"), write one sample ("editsample"). Each keeps
// the track's content before the edit, so undo and redo swap contents.
#pragma once
#include "FileHandle.h"
#include "RangeCommand.h"
#include "RecordedCommand.h"

#include <string>

class InsertClipCommand : public RecordedCommand<InsertClipCommand, RangeCommand> {
public:
    static constexpr const char* kTypeName = "insertclip";
    static constexpr uint16_t kRecordSize = 552;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int32_t, &Self::m_trackIndex>(280), Value<int32_t, &Self::m_trackState>(284),
                      Text<260, &Self::m_clipPath>(288));
    }

    InsertClipCommand() = default;
    InsertClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length,
                      IMtClip* clip);
    // A clip file the command wrote goes when the command goes. One it was loaded from stays:
    // it belongs to the journal it came from until the program's start-up finds it unused.
    ~InsertClipCommand() override;

    STDMETHODIMP Do() override;
    STDMETHODIMP OnLoaded() override;

    // Replaces the clip by one in the document's rate and bits when it has others.
    virtual void ConvertClipToDocumentFormat();
    IMtClip* Clip() const { return m_forward.Get(); }

protected:
    // The clip goes to a file of its own the first time; the record names the file.
    void BeforeWrite() override;
    void AfterRead(uint16_t formSize) override;

private:
    // Holds the clip file open while the command names it, so that no clean-up of unused
    // temporary files takes it away.
    void HoldClipFile();

    std::string m_clipPath;
    FileHandle m_clipHold;
    bool m_ownsClipFile = false;
    int32_t m_trackState = static_cast<int32_t>(0x80000000);
};

class DeleteClipCommand : public RecordedCommand<DeleteClipCommand, RangeCommand> {
public:
    static constexpr const char* kTypeName = "deleteclip";
    static constexpr uint16_t kRecordSize = 288;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int32_t, &Self::m_trackIndex>(280));
    }

    DeleteClipCommand() = default;
    DeleteClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length)
        : RecordedCommand(name, document, trackIndex, start, length, nullptr)
    {
    }

    STDMETHODIMP Do() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(TypeName(), b, n); }

protected:
    virtual const char* TypeName() const { return kTypeName; }
    // The edit itself; deleteclip removes the range, trimclip keeps it alone.
    virtual HRESULT Edit(IMtTrack* track, int64_t start, int64_t length);
};

class TrimClipCommand : public DeleteClipCommand {
public:
    static constexpr const char* kTypeName = "trimclip";

    TrimClipCommand() = default;
    TrimClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length)
        : DeleteClipCommand(name, document, trackIndex, start, length)
    {
    }

protected:
    const char* TypeName() const override { return kTypeName; }
    HRESULT Edit(IMtTrack* track, int64_t start, int64_t length) override;
};

// createclip and mergeclip: the range takes an engine item's sound.
class CreateClipCommand : public RecordedCommand<CreateClipCommand, RangeCommand> {
public:
    static constexpr const char* kTypeName = "createclip";
    static constexpr uint16_t kRecordSize = 576;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize},
                      Custom<sizeof(MtFileItemRecord), &Self::PutItem, &Self::GetItem>(260),
                      Value<SampleRange, &Self::m_range>(552), Value<int32_t, &Self::m_trackIndex>(568),
                      Value<int32_t, &Self::m_mergeMode>(572));
    }

    CreateClipCommand() = default;
    CreateClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length,
                      IUnknown* item);

    STDMETHODIMP Do() override;
    STDMETHODIMP OnLoaded() override { return Do(); }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(TypeName(), b, n); }

protected:
    virtual const char* TypeName() const { return kTypeName; }
    virtual HRESULT Edit(IMtTrack* track, int64_t start, int64_t length);
    // The item's descriptor: its information record, by which the store finds it again.
    void PutItem(uint8_t* at) const;
    void GetItem(const uint8_t* at);

    ComRef<IUnknown> m_item;
    int32_t m_mergeMode = 0;
};

class MergeClipCommand : public CreateClipCommand {
public:
    static constexpr const char* kTypeName = "mergeclip";

    MergeClipCommand() = default;
    MergeClipCommand(const char* name, CommandDocument* document, int trackIndex, int64_t start, int64_t length,
                     IUnknown* item, int32_t mergeMode)
        : CreateClipCommand(name, document, trackIndex, start, length, item)
    {
        m_mergeMode = mergeMode;
    }

protected:
    const char* TypeName() const override { return kTypeName; }
    HRESULT Edit(IMtTrack* track, int64_t start, int64_t length) override;
};

class EditSampleCommand : public RecordedCommand<EditSampleCommand, RangeCommand> {
public:
    static constexpr const char* kTypeName = "editsample";
    static constexpr uint16_t kRecordSize = 296;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int32_t, &Self::m_trackIndex>(280), Value<uint16_t, &Self::m_channel>(284),
                      Value<int32_t, &Self::m_value>(288));
    }

    EditSampleCommand() = default;
    EditSampleCommand(const char* name, CommandDocument* document, int trackIndex, WORD channel, int64_t position,
                      int32_t value);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Do(); }

private:
    int32_t m_value = 0;
    WORD m_channel = 0;
};
