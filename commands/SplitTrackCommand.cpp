#include "SplitTrackCommand.h"

#include "ChannelSplitter.h"
#include "DeleteTrackCommand.h"
#include "FileCommands.h"
#include "KsMultiTrackLoader.h"
#include "LabelRecord.h"
#include "MarkCommands.h"
#include "OffsetTrackCommand.h"
#include "OperationEdge.h"
#include "TrackCommandSupport.h"
#include "TrackCommands.h"

#include <cstdio>
#include <vector>

namespace {

const char* const kChannelSuffix[] = {"L", "R", "C", "LFE", "Ls", "Rs"};

} // namespace

HRESULT SplitTrackCommand::ExecuteChild(IEditCommand* child)
{
    return RunAtEdge([&] {
        ThrowIfFailed(child->Do());
        ThrowIfFailed(Add(child));
        return S_OK;
    });
}

HRESULT SplitTrackCommand::SplitToItems(IMtTrack* track, IMtItemList** items)
{
    if (!items)
        return E_POINTER;
    *items = nullptr;
    CChannelSplitter splitter;
    return RunAtEdge([&] {
        DWORD rate = m_document->GetSamplesPerSec();
        WORD bits = m_document->GetBitsPerSample();
        LONGLONG start = 0, length = 0;
        WORD channels = 0;
        ThrowIfFailed(track->GetStartOffset(&start));
        ThrowIfFailed(track->GetLength(&length));
        ThrowIfFailed(track->GetChannels(&channels));
        try {
            ComRef<IMtItem> reader;
            ThrowIfFailed(track->CreateReader(reader.Out(), 0));
            LONGLONG end = start + length;
            ThrowIfFailed(reader->SetRange(&start, &end));
            ThrowIfFailed(reader->BeginRead());
            HRESULT split = splitter.SplitWithProgress(reader.Get(), bits, rate, channels, length);
            reader->EndRead();
            ThrowIfFailed(split);

            ComRef<IMtPeakReader> peaks;
            ThrowIfFailed(track->CreatePeakReader(peaks.Out(), 1024, 0));
            ThrowIfFailed(peaks->Seek(start));
            splitter.SplitBlocks(peaks.Get(), channels);
            peaks->End();
            splitter.CloseChannelFiles();
            splitter.ClosePeakFiles();

            ComRef<IMtItemList> list;
            ThrowIfFailed(MtEngine::CreateItemList(list));
            for (WORD ch = 0; ch < channels; ++ch) {
                MtFileItemRecord record{};
                std::snprintf(record.path, sizeof record.path, "%s", splitter.GetChannelFileName(ch));
                record.channels = 1;
                record.bitsPerSample = bits;
                record.samplesPerSec = rate;
                ThrowIfFailed(
                    list->AddFileItem(&record, splitter.GetChannelFileName(ch), splitter.GetPeakFileName(ch), 0));
            }
            *items = list.Detach();
        } catch (...) {
            // Files not yet handed to the engine are this command's to remove.
            splitter.CloseChannelFiles();
            splitter.ClosePeakFiles();
            splitter.DeleteChannelFiles();
            splitter.DeletePeakFiles();
            throw;
        }
        return S_OK;
    });
}

HRESULT SplitTrackCommand::SetupChannelTrack(int index, IMtTrack* source, int channel)
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track = TrackAt(m_document, index);
        ThrowIfFailed(EnvelopeOf(track.Get(), kMtEnvLevel)->Restore(EnvelopeOf(source, kMtEnvLevel).Get()));
        if (channel == 2) {
            ThrowIfFailed(track->SetSpeakerMask(4));
            ThrowIfFailed(track->SetCenterLevel(1.0f));
            return S_OK;
        }
        if (channel == 3) {
            ThrowIfFailed(track->SetSpeakerMask(8));
            ThrowIfFailed(track->SetLfeLevel(1.0f));
            return S_OK;
        }
        const bool left = channel == 0 || channel == 4;
        ThrowIfFailed(EnvelopeOf(track.Get(), kMtEnvPan)->SetInitialValue(left ? -1.0f : 1.0f));
        WORD sourceChannels = 0;
        ThrowIfFailed(source->GetChannels(&sourceChannels));
        if (m_document->IsFrontRearPlacement() && sourceChannels > 2) {
            const bool front = channel == 0 || channel == 1;
            ThrowIfFailed(EnvelopeOf(track.Get(), kMtEnvFrontRear)->SetInitialValue(front ? 1.0f : -1.0f));
        }
        return S_OK;
    });
}

void SplitTrackCommand::SelectChannelTracks(int count)
{
    m_document->SetTrackSelected(-1, FALSE);
    m_document->SetSelectionRange(0, 0, FALSE);
    for (int i = 0; i < count; ++i)
        m_document->SetTrackSelected(m_trackIndex + i, TRUE);
}

void SplitTrackCommand::Split()
{
    ComRef<IMtTrack> source = TrackAt(m_document, m_trackIndex);
    WORD channels = 0;
    ThrowIfFailed(source->GetChannels(&channels));
    if (channels < 1 || channels > CChannelSplitter::kMaxChannels)
        throw CKvSSException(kMtErrFormatNotSupported);
    const int group = m_document->GetTrackGroup(m_trackIndex);
    std::vector<LabelRecord> marks;
    m_document->FindLabelsInRange(m_trackIndex, marks, -1, -1, -1);
    const int64_t startOffset = m_document->GetTrackExtent(m_trackIndex, -1);

    ComRef<IMtItemList> items;
    ThrowIfFailed(SplitToItems(source.Get(), items.Out()));

    auto run = [&](IEditCommand* child) {
        ComRef<IEditCommand> held(child);
        ThrowIfFailed(ExecuteChild(child));
    };
    run(NewCommand<DeleteTrackCommand>(nullptr, m_document, m_trackIndex));
    for (const LabelRecord& mark : marks)
        run(NewCommand<DelMarkCommand>(nullptr, m_document, mark.id));
    for (int ch = 0; ch < channels; ++ch) {
        const int index = m_trackIndex + ch;
        InsertTrackCommand* insert = NewCommand<InsertTrackCommand>(nullptr, m_document, WORD(1), index);
        insert->GiveLabelName(m_labelNames[ch]);
        run(insert);
        std::memcpy(m_labelNames[ch], insert->GivenLabelName(), sizeof m_labelNames[ch]);
        m_document->SetTrackGroup(TrackAt(m_document, index).Get(), group);
        for (const LabelRecord& mark : marks) {
            if ((mark.kind & 7) == kLabelTrack) {
                std::string text = mark.name;
                if (channels > 1)
                    text += std::string(" - ") + kChannelSuffix[ch];
                LabelRecord label{};
                if (m_document->GetTrackLabel(index, &label)) {
                    std::snprintf(label.name, sizeof label.name, "%s", text.c_str());
                    run(NewCommand<ModMarkCommand>(nullptr, m_document, label));
                }
            } else {
                LabelRecord copy = mark;
                copy.trackId = m_document->TrackIndexToId(index);
                run(NewCommand<AddMarkInfoCommand>(nullptr, m_document, copy));
            }
        }
        ThrowIfFailed(SetupChannelTrack(index, source.Get(), ch));
    }

    m_channelTracks = 0;
    ThrowIfFailed(items->ResetItems(0));
    for (;;) {
        ComRef<IUnknown> item;
        if (ThrowIfFailed(items->NextItem(item.Out(), nullptr)) != S_OK)
            break;
        const int index = m_trackIndex + m_channelTracks;
        run(NewCommand<OpenFileCommand>(m_document, index, int64_t(0), int64_t(0), item.Get()));
        run(NewCommand<OffsetTrackCommand>(nullptr, m_document, index, startOffset));
        ++m_channelTracks;
    }
    m_document->SetLeadTrack(m_trackIndex);
    SelectChannelTracks(m_channelTracks);
}

HRESULT SplitTrackCommand::Do()
{
    return RunAtEdge([&] {
        if (!m_document)
            throw CKvSSException(E_FAIL);
        try {
            Split();
        } catch (...) {
            // The children ran as they were added: take them back, newest first.
            UndoChildrenBackwards(this);
            Clear();
            m_channelTracks = 0;
            throw;
        }
        return S_OK;
    });
}

HRESULT SplitTrackCommand::Redo()
{
    return RunAtEdge([&] {
        HRESULT hr = ThrowIfFailed(CommandGroup::Redo());
        SelectChannelTracks(m_channelTracks);
        return hr;
    });
}

HRESULT SplitTrackCommand::Undo()
{
    return RunAtEdge([&] {
        HRESULT hr = ThrowIfFailed(CommandGroup::Undo());
        SelectChannelTracks(0);
        m_document->SetTrackSelected(m_trackIndex, TRUE);
        return hr;
    });
}

void SplitTrackCommand::AfterRead(uint16_t /*formSize*/)
{
    for (auto& name : m_labelNames)
        name[sizeof name - 1] = 0;
}
