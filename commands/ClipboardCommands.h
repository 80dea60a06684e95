// Commands of the clipboard and of dragging: copy the selected range of the selected tracks
// to the clipboard ("copy"), cut ("cut" = copy + delete), delete ("delete"), paste the copies
// back ("paste") and drop a dragged range from one document into another ("drop").
//
// The audio never leaves the process: each copied track is an engine copy object kept in
// the process-wide list of pending copies, and the clipboard block in the private format
// "KorvaneSound4 Copy" holds their count N and N serial numbers (4 + 4N bytes). A block is
// only taken from a clipboard owned by a window of this process whose every serial names
// a live pending copy.
#pragma once
#include "CommandDocument.h"
#include "CommandGroup.h"
#include "ComRef.h"
#include "KsMultiTrack.h"
#include "RecordedCommand.h"
#include "SampleRange.h"

#include <vector>

UINT GetCopyClipboardFormat();
// Releases every pending copy; the owner of the clipboard calls it on WM_DESTROYCLIPBOARD.
void ReleasePendingCopies();
size_t PendingCopyCount();
// The window that owns what a copy puts on the clipboard: the main window unless one is
// set here (null puts the main window back).
void SetClipboardOwnerWindow(HWND window);

// The pending copies that a clipboard block names, each with a reference; E_FAIL when the
// block is refused (see above). The clipboard must be open.
HRESULT ReadClipboardCopies(std::vector<ComRef<IMtClip>>& copies);

class CopyCommand : public EditCommand {
public:
    static constexpr const char* kTypeName = "copy";

    CopyCommand() = default;
    explicit CopyCommand(CommandDocument* document) : m_document(document) {}

    // The selected tracks over the ordered selection: a track that ends before the selection
    // gives an empty copy. An empty selection: E_FAIL.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override { return S_OK; }
    STDMETHODIMP Undo() override { return S_OK; }
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

private:
    CommandDocument* m_document = nullptr;
};

class DeleteCommand : public RecordedCommand<DeleteCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "delete";
    static constexpr uint16_t kRecordSize = 280;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264));
    }

    DeleteCommand() = default;
    explicit DeleteCommand(CommandDocument* document) : m_document(document) {}

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override;

private:
    CommandDocument* m_document = nullptr;
    SampleRange m_range;
};

class CutCommand : public CommandGroup {
public:
    static constexpr const char* kTypeName = "cut";

    CutCommand() = default;
    explicit CutCommand(CommandDocument* document) : m_document(document) {}

    STDMETHODIMP Do() override;
    STDMETHODIMP GetTypeName(char* b, UINT n) override { return CopyTypeName(kTypeName, b, n); }

private:
    CommandDocument* m_document = nullptr;
};

class PasteCommand : public RecordedCommand<PasteCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "paste";
    static constexpr uint16_t kRecordSize = 288;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_document, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int64_t, &Self::m_pasted>(280));
    }

    PasteCommand() = default;
    explicit PasteCommand(CommandDocument* document) : m_document(document) {}

    // Nothing of ours on the clipboard, or a block refused: E_FAIL, nothing changed.
    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override;

private:
    void Build(const std::vector<ComRef<IMtClip>>& copies);

    CommandDocument* m_document = nullptr;
    SampleRange m_range;
    int64_t m_pasted = 0;
};

class DropCommand : public RecordedCommand<DropCommand, CommandGroup> {
public:
    static constexpr const char* kTypeName = "drop";
    static constexpr uint16_t kRecordSize = 288;
    static constexpr auto Fields()
    {
        return Layout(&Self::m_target, {kRecordSize}, Value<SampleRange, &Self::m_range>(264),
                      Value<int64_t, &Self::m_position>(280));
    }

    DropCommand() = default;
    DropCommand(CommandDocument* source, CommandDocument* target, int firstTarget, int64_t position);

    STDMETHODIMP Do() override;
    STDMETHODIMP Redo() override;
    STDMETHODIMP Undo() override;
    STDMETHODIMP OnLoaded() override { return Redo(); }

private:
    CommandDocument* m_source = nullptr;
    CommandDocument* m_target = nullptr;
    SampleRange m_range;
    int m_firstTarget = 0;
    int64_t m_position = 0;
};
