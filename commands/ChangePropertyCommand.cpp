#include "ChangePropertyCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

#include <algorithm>

namespace {
constexpr HRESULT kErrFileNotFound = static_cast<HRESULT>(0x83E800C9);
constexpr size_t kVideoPathField = 260;
} // namespace

ChangePropertyCommand::ChangePropertyCommand(const char* name, CommandDocument* document)
    : EditCommand(name), m_document(document)
{
    CaptureOld();
    newVideoPath = m_oldVideoPath;
    newMasterVolume = m_oldMasterVolume;
    newTracks = m_oldTracks;
}

bool ChangePropertyCommand::TakesVideo()
{
    int type = m_document->GetFileType();
    return type == 0 || type == 1 || type == 20;
}

void ChangePropertyCommand::CaptureOld()
{
    if (!m_document)
        return;
    m_oldVideoPath = TakesVideo() ? m_document->GetVideoFile() : std::string();
    m_oldMasterVolume = m_document->GetMasterVolume();
    int count = TrackCountOf(m_document);
    std::vector<TrackPropertyRecord> tracks(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        tracks[i].Capture(m_document, i);
    m_oldTracks = std::move(tracks);
}

HRESULT ChangePropertyCommand::Apply(const std::string& video, int32_t volume, std::vector<TrackPropertyRecord>& tracks,
                                     int changed)
{
    return RunAtEdge([&] {
        if (!m_document)
            throw CKvSSException(E_FAIL);
        if (TakesVideo() && video != m_document->GetVideoFile()) {
            if (!video.empty() && GetFileAttributesA(video.c_str()) == INVALID_FILE_ATTRIBUTES)
                return kErrFileNotFound;
            HRESULT hr = m_document->SetVideoFile(video.c_str(), 1);
            if (FAILED(hr))
                return hr;
            m_changed = changed;
        }
        if (m_document->GetMasterVolume() != volume) {
            m_document->SetMasterVolume(volume);
            m_changed = changed;
        }
        for (TrackPropertyRecord& track : tracks)
            if (track.Apply(true) && track.Apply(false))
                m_changed = changed;
        return S_OK;
    });
}

HRESULT ChangePropertyCommand::Redo()
{
    return Apply(newVideoPath, newMasterVolume, newTracks, 1);
}

HRESULT ChangePropertyCommand::Undo()
{
    return Apply(m_oldVideoPath, m_oldMasterVolume, m_oldTracks, 0);
}

HRESULT ChangePropertyCommand::OnLoaded()
{
    return RunAtEdge([&] {
        CaptureOld();
        return Redo();
    });
}

size_t ChangePropertyCommand::RecordSize() const
{
    return kFixedPart + TrackPropertyRecord::kPersistedSize * std::max<size_t>(newTracks.size(), 1);
}

HRESULT ChangePropertyCommand::GetSize(ULONG* size)
{
    *size = static_cast<ULONG>(RecordSize());
    return S_OK;
}

HRESULT ChangePropertyCommand::WriteBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        std::vector<uint8_t> block(RecordSize(), 0);
        FillHeader(block.data(), SizeWord(block.size()));
        std::memcpy(block.data() + 258, newVideoPath.data(), std::min(newVideoPath.size(), kVideoPathField));
        PutField<int32_t>(block.data(), 520, newMasterVolume);
        PutField<uint32_t>(block.data(), 524, static_cast<uint32_t>(newTracks.size()));
        for (size_t i = 0; i < newTracks.size(); ++i) {
            uint8_t* slot = block.data() + kFixedPart + TrackPropertyRecord::kPersistedSize * i;
            newTracks[i].Persist(slot);
            // Saved records name the track by its index.
            int32_t id = GetField<int32_t>(slot, offsetof(LabelRecord, trackId));
            PutField<int32_t>(slot, offsetof(LabelRecord, trackId), m_document ? m_document->TrackIdToIndex(id) : id);
        }
        return WriteRecord(stream, block.data(), block.size());
    });
}

HRESULT ChangePropertyCommand::ReadBody(IJournalFile* stream)
{
    return RunAtEdge([&] {
        CommandDocument* document = JournalDocument(stream);
        uint8_t fixed[kFixedPart] = {};
        ThrowIfFailed(ReadRecord(stream, fixed, sizeof fixed));
        uint32_t n = GetField<uint32_t>(fixed, 524);
        if (n > 0xFFFFFu)
            throw CKvSSException(kBadJournal);
        std::vector<uint8_t> records(TrackPropertyRecord::kPersistedSize * std::max<size_t>(n, 1));
        ReadInsideChunk(stream, records.data(), records.size());

        std::vector<TrackPropertyRecord> tracks(n);
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* slot = records.data() + TrackPropertyRecord::kPersistedSize * i;
            tracks[i].Capture(document, static_cast<int>(i));
            tracks[i].Restore(slot);
            int index = tracks[i].label.trackId;
            LabelRecord live{};
            if (document->GetTrackLabel(index, &live))
                tracks[i].label.id = live.id;
            tracks[i].label.trackId = document->TrackIndexToId(index);
        }
        char video[kVideoPathField + 1] = {};
        std::memcpy(video, fixed + 258, kVideoPathField);
        m_document = document;
        newVideoPath = video;
        newMasterVolume = GetField<int32_t>(fixed, 520);
        newTracks = std::move(tracks);
        return S_OK;
    });
}
