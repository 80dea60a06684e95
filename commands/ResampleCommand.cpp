#include "ResampleCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

#include <cmath>

namespace {

// The engine's marked range follows a rate change as the engine's own conversion moves it.
void ScaleEngineRange(IMtTrackSet* tracks, double factor)
{
    ComRef<IMtSelection> selection = QueryCom<IMtSelection>(tracks);
    LONGLONG start = 0, end = 0;
    if (!selection || FAILED(selection->GetRange(&start, &end)))
        return;
    selection->SetRange(static_cast<LONGLONG>(std::floor(start * factor)),
                        static_cast<LONGLONG>(std::floor(end * factor)));
}

} // namespace

ResampleCommand::ResampleCommand(const char* name, CommandDocument* document, WORD bitsPerSample, DWORD samplesPerSec)
    : RecordedCommand(name), m_document(document), m_newBits(bitsPerSample), m_newRate(samplesPerSec)
{
}

std::vector<ResampleCommand::KeptTrack> ResampleCommand::KeepTracks()
{
    const int count = TrackCountOf(m_document);
    std::vector<KeptTrack> kept(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ComRef<IMtTrack> track = TrackAt(m_document, i);
        // Swapping out and straight back hands over the content as it is, without a copy.
        ThrowIfFailed(track->SwapContent(nullptr, kept[i].content.Out()));
        HRESULT back = track->SwapContent(kept[i].content.Get(), nullptr);
        ThrowIfFailed(back);
        for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind)
            ThrowIfFailed(EnvelopeOf(track.Get(), kind)->Clone(kept[i].envelopes[kind].Out()));
    }
    return kept;
}

void ResampleCommand::KeepDocument()
{
    std::vector<KeptTrack> kept = KeepTracks();
    std::vector<LabelRecord> labels;
    LabelRecord record{};
    for (int id = 1; m_document->FindLabelById(id, &record); ++id)
        labels.push_back(record);
    m_kept = std::move(kept);
    m_labels = std::move(labels);
    m_keptValid = true;
}

HRESULT ResampleCommand::Do()
{
    return RunAtEdge([&] {
        if (!m_document)
            throw CKvSSException(E_FAIL);
        m_oldBits = m_document->GetStoredBits();
        m_oldRate = m_document->GetSamplesPerSec();
        KeepDocument();
        m_converted.clear();
        return Redo();
    });
}

void ResampleCommand::FollowFormat(WORD bits, DWORD rate)
{
    m_document->SetDocumentFormat(rate, bits);
    m_document->SetFileFormatInfo(bits, rate);
    DWORD flags = m_document->GetFormatChangeFlags() & ~3u;
    if (m_newRate != m_oldRate)
        flags |= 1;
    if (m_newBits != m_oldBits)
        flags |= 2;
    m_document->SetFormatChangeFlags(flags);
    m_document->RepaintAllViews();
}

HRESULT ResampleCommand::Redo()
{
    return RunAtEdge([&] {
        IMtTrackSet* tracks = TrackSetOf(m_document);
        std::vector<KeptTrack> converted;
        converted.swap(m_converted);
        HRESULT hr = S_OK;
        if (converted.empty() || TrackCountOf(m_document) != static_cast<int>(converted.size())) {
            hr = ThrowIfFailed(tracks->ConvertFormat(m_newBits, m_newRate));
        } else {
            // What the conversion made, put back as the conversion placed it.
            hr = ThrowIfFailed(tracks->SetFormat(m_newBits, m_newRate));
            for (size_t i = 0; i < converted.size(); ++i) {
                ComRef<IMtTrack> track = TrackAt(m_document, static_cast<int>(i));
                ThrowIfFailed(track->SwapContent(converted[i].content.Get(), nullptr));
                for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind)
                    ThrowIfFailed(EnvelopeOf(track.Get(), kind)->Restore(converted[i].envelopes[kind].Get()));
            }
            ScaleEngineRange(tracks, static_cast<double>(m_newRate) / m_oldRate);
        }
        FollowFormat(m_newBits, m_newRate);
        m_document->UpdateLabelsAfterEdit(m_oldRate, m_newRate);
        return hr;
    });
}

HRESULT ResampleCommand::Undo()
{
    return RunAtEdge([&] {
        IMtTrackSet* tracks = TrackSetOf(m_document);
        if (!m_keptValid || TrackCountOf(m_document) != static_cast<int>(m_kept.size()))
            throw CKvSSException(E_FAIL);
        // What the conversion made stays for Redo; the old format without converting, then
        // each track's own sound and curves.
        if (m_newRate != m_oldRate)
            m_converted = KeepTracks();
        HRESULT hr = ThrowIfFailed(tracks->SetFormat(m_oldBits, m_oldRate));
        for (size_t i = 0; i < m_kept.size(); ++i) {
            ComRef<IMtTrack> track = TrackAt(m_document, static_cast<int>(i));
            ThrowIfFailed(track->SwapContent(m_kept[i].content.Get(), nullptr));
            for (LONG kind = 0; kind < kMtEnvelopeKinds; ++kind)
                ThrowIfFailed(EnvelopeOf(track.Get(), kind)->Restore(m_kept[i].envelopes[kind].Get()));
        }
        for (const LabelRecord& label : m_labels)
            m_document->SetLabelAt(label);
        FollowFormat(m_oldBits, m_oldRate);
        return hr;
    });
}

// The target format as an 18-byte WAVEFORMATEX with only the rate and the bits set.
