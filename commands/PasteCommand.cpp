#include "ClipboardCommands.h"

#include "AudioFormat.h"
#include "ClipCommands.h"
#include "CommandSupport.h"
#include "EnvelopeCommands.h"
#include "MarkCommands.h"
#include "OperationEdge.h"
#include "TrackCommands.h"

namespace {

// The clipboard, open for the length of a scope: closed on every path.
class OpenedClipboard {
public:
    OpenedClipboard() : m_open(::OpenClipboard(nullptr) != FALSE) {}
    ~OpenedClipboard()
    {
        if (m_open)
            ::CloseClipboard();
    }
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

// Frames at one rate counted at another, through time as the position texts count it.
int64_t ConvertFrames(int64_t frames, DWORD fromRate, DWORD toRate)
{
    AudioFormat from, to;
    from.Set(fromRate, 16, 1);
    to.Set(toRate, 16, 1);
    return to.TimeToFrames(from.FramesToTime(frames));
}

} // namespace

HRESULT PasteCommand::Do()
{
    if (!m_document)
        return E_POINTER;
    if (!::IsClipboardFormatAvailable(GetCopyClipboardFormat()))
        return E_FAIL;
    OpenedClipboard clipboard;
    if (!clipboard.IsOpen()) {
        DWORD error = ::GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    std::vector<ComRef<IMtClip>> copies;
    HRESULT hr = ReadClipboardCopies(copies);
    if (FAILED(hr))
        return hr;
    return RunGroupEdge(this, [&] {
        Build(copies);
        return S_OK;
    });
}

void PasteCommand::Build(const std::vector<ComRef<IMtClip>>& copies)
{
    m_document->GetOrderedSelection(&m_range.start, &m_range.end);
    int64_t replaced = Magnitude(m_range.end, m_range.start);
    int count = m_document->GetTrackCount();
    int target = 0;
    while (target < count && !m_document->IsTrackSelectedAt(target))
        ++target;

    MtClipFormat first{};
    for (size_t k = 0; k < copies.size(); ++k, ++target) {
        IMtClip* copy = copies[k].Get();
        ComRef<IMtClip> clip;
        ThrowIfFailed(copy->CreateSubClip(0, -1, clip.Out()));
        LONGLONG length = 0;
        ThrowIfFailed(clip->GetLength(&length));
        MtClipFormat format{};
        ThrowIfFailed(clip->GetFormat(&format));
        if (k == 0)
            first = format;
        m_pasted = std::max<int64_t>(m_pasted, length);
        if (!m_document->IsMultichannel() && format.channels > 2)
            throw CKvSSException(kErrTooManyChannels);

        bool copyProperties = true;
        if (target < count) {
            int64_t trackStart = 0, trackEnd = 0;
            int64_t held = m_document->GetTrackSpan(target, &trackStart, &trackEnd);
            if (held > 0 && m_document->GetTrackChannels(target) < format.channels)
                throw CKvSSException(kErrTooManyChannels);
            if (held > 0)
                copyProperties = false;
            bool fromSelection = trackStart <= m_range.start;
            int64_t at = fromSelection ? m_range.start : trackStart;
            int64_t gap = fromSelection ? length : (trackStart - m_range.start) + length;
            AddChild(this, NewCommand<InsertEnvelopeRangeCommand>(nullptr, m_document, target, at, gap));
            if (replaced != 0)
                AddChild(this, NewCommand<DeleteEnvelopeRangeCommand>(nullptr, m_document, target, at, replaced));
            std::vector<LabelRecord> labels;
            m_document->FindLabelsInRange(target, labels, m_range.start, -1, -1);
            for (LabelRecord& label : labels) {
                int kind = label.kind & 0xFF;
                if ((kind != kLabelCue && kind != kLabelSection) || label.start <= m_range.end ||
                    label.end <= m_range.end)
                    continue;
                label.start += length - replaced;
                label.end += length - replaced;
                Add(ComRef<IEditCommand>(NewCommand<ModMarkCommand>(nullptr, m_document, label)).Get());
            }
        } else {
            AddChild(this, NewCommand<InsertTrackCommand>(nullptr, m_document, format.channels, -1));
        }
        if (copyProperties) {
            ComRef<TrackPropertyCommand> property(NewCommand<TrackPropertyCommand>(m_document));
            ThrowIfFailed(property->InitFromSource(target, copy));
            ThrowIfFailed(Add(property.Get()));
        }
        AddChild(this, NewCommand<InsertClipCommand>(nullptr, m_document, target, m_range.start, replaced, clip.Get()));
    }

    DWORD rate = m_document->GetSamplesPerSec();
    bool otherRate = first.samplesPerSec != rate;
    if (otherRate || first.bitsPerSample != m_document->GetBitsPerSample()) {
        if (!AskConvertFormat())
            throw CKvSSException(kErrCancelled);
    }
    m_document->SetTrackSelected(-1, FALSE);
    if (otherRate)
        m_pasted = ConvertFrames(m_pasted, first.samplesPerSec, rate);
    ThrowIfFailed(CommandGroup::Do());
    m_document->SetSelectionRange(m_range.start, m_range.start + m_pasted, FALSE);
}

HRESULT PasteCommand::Redo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Redo());
        m_document->SetSelectionRange(m_range.start, m_range.start + m_pasted, FALSE);
        return S_OK;
    });
}

HRESULT PasteCommand::Undo()
{
    return RunAtEdge([&] {
        m_document->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Undo());
        m_document->SetSelectionRange(m_range.start, m_range.end, FALSE);
        return S_OK;
    });
}

HRESULT PasteCommand::OnLoaded()
{
    ClearRowsAndSelect(m_document, m_range.start, m_range.end);
    return S_OK;
}
