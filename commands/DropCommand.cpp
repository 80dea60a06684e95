#include "ClipboardCommands.h"

#include "ClipCommands.h"
#include "CommandSupport.h"
#include "EnvelopeCommands.h"
#include "MarkCommands.h"
#include "OperationEdge.h"
#include "TrackCommands.h"

DropCommand::DropCommand(CommandDocument* source, CommandDocument* target, int firstTarget, int64_t position)
    : m_source(source), m_target(target), m_firstTarget(firstTarget), m_position(position)
{
}

HRESULT DropCommand::Do()
{
    if (!m_source || !m_target)
        return E_POINTER;
    return RunGroupEdge(this, [&] {
        m_source->GetOrderedSelection(&m_range.start, &m_range.end);
        int64_t length = Magnitude(m_range.end, m_range.start);
        int sourceCount = m_source->GetTrackCount();
        int targetCount = m_target->GetTrackCount();
        IMtTrackSet* sourceSet = m_source->GetTrackSet();
        if (!sourceSet)
            throw CKvSSException(E_POINTER);
        int target = m_firstTarget;
        bool started = false;
        for (int i = 0; i < sourceCount; ++i) {
            if (started)
                ++target;
            if (!m_source->IsTrackSelectedAt(i))
                continue;
            started = true;
            ComRef<IMtTrack> track;
            ThrowIfFailed(sourceSet->GetTrack(i, track.Out()));
            WORD channels = 1;
            ThrowIfFailed(track->GetChannels(&channels));
            if (channels >= 3 && !m_target->IsMultichannel())
                throw CKvSSException(kErrTooManyChannels);
            bool copyProperties = true;
            if (target >= targetCount) {
                AddChild(this, NewCommand<InsertTrackCommand>(nullptr, m_target, channels, -1));
                target = targetCount++;
            } else {
                int64_t spanStart = 0, spanEnd = 0;
                int64_t held = m_target->GetTrackSpan(target, &spanStart, &spanEnd);
                if (held > 0 && channels > m_target->GetTrackChannels(target))
                    throw CKvSSException(kErrTooManyChannels);
                copyProperties = held <= 0;
                int64_t at = m_position < 0 ? 0 : m_position;
                int64_t gap = m_position < 0 ? length - m_position : length;
                AddChild(this, NewCommand<InsertEnvelopeRangeCommand>(nullptr, m_target, target, at, gap));
                std::vector<LabelRecord> labels;
                m_target->FindLabelsInRange(target, labels, m_position, -1, -1);
                for (LabelRecord& label : labels) {
                    int kind = label.kind & 0xFF;
                    if ((kind != kLabelCue && kind != kLabelSection) || label.start <= m_position)
                        continue;
                    label.start += length;
                    label.end += length;
                    Add(ComRef<IEditCommand>(NewCommand<ModMarkCommand>(nullptr, m_target, label)).Get());
                }
            }
            LONGLONG trackStart = 0, trackLength = 0;
            ThrowIfFailed(track->GetStartOffset(&trackStart));
            ThrowIfFailed(track->GetLength(&trackLength));
            SampleRange copied = m_range;
            SampleRange overlap = m_range.Intersect(SampleRange{trackStart, trackStart + trackLength});
            if (overlap.end != overlap.start || overlap.start != 0)
                copied.end = std::min<int64_t>(copied.end, trackStart + trackLength);
            ComRef<IMtClip> copy;
            ThrowIfFailed(track->CopyRange(copy.Out(), copied.start, std::max<int64_t>(0, copied.end - copied.start)));
            if (copyProperties) {
                ComRef<TrackPropertyCommand> property(NewCommand<TrackPropertyCommand>(m_target));
                ThrowIfFailed(property->InitFromSource(target, copy.Get()));
                ThrowIfFailed(Add(property.Get()));
            }
            AddChild(this, NewCommand<InsertClipCommand>(nullptr, m_target, target, m_position, 0, copy.Get()));
        }
        if (m_source->GetBitsPerSample() != m_target->GetBitsPerSample() ||
            m_source->GetSamplesPerSec() != m_target->GetSamplesPerSec()) {
            if (!AskConvertFormat())
                throw CKvSSException(kErrCancelled);
        }
        m_target->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Do());
        m_target->SetSelectionRange(m_position, m_position, FALSE);
        return S_OK;
    });
}

HRESULT DropCommand::Redo()
{
    return RunAtEdge([&] {
        m_target->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Redo());
        m_target->SetSelectionRange(m_position, m_position, FALSE);
        return S_OK;
    });
}

HRESULT DropCommand::Undo()
{
    return RunAtEdge([&] {
        m_target->SetTrackSelected(-1, FALSE);
        ThrowIfFailed(CommandGroup::Undo());
        m_target->SetSelectionRange(m_position, m_position, FALSE);
        return S_OK;
    });
}
