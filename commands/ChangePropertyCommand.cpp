#include "ChangePropertyCommand.h"

#include "OperationEdge.h"
#include "TrackCommandSupport.h"

#include <algorithm>

namespace {
constexpr HRESULT kErrFileNotFound = static_cast<HRESULT>(0x83E800C9);
} // namespace

ChangePropertyCommand::ChangePropertyCommand(const char* name, CommandDocument* document)
    : RecordedCommand(name), m_document(document)
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

void ChangePropertyCommand::PutList(uint8_t* first, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        uint8_t* slot = first + TrackPropertyRecord::kPersistedSize * i;
        newTracks[i].Persist(slot);
        // Saved records name the track by its index.
        int32_t id = GetField<int32_t>(slot, offsetof(LabelRecord, trackId));
        PutField<int32_t>(slot, offsetof(LabelRecord, trackId), m_document ? m_document->TrackIdToIndex(id) : id);
    }
}

void ChangePropertyCommand::GetList(const uint8_t* first, size_t count)
{
    std::vector<TrackPropertyRecord> tracks(count);
    for (size_t i = 0; i < count; ++i) {
        tracks[i].Capture(m_document, static_cast<int>(i));
        tracks[i].Restore(first + TrackPropertyRecord::kPersistedSize * i);
        int index = tracks[i].label.trackId;
        LabelRecord live{};
        if (m_document->GetTrackLabel(index, &live))
            tracks[i].label.id = live.id;
        tracks[i].label.trackId = m_document->TrackIndexToId(index);
    }
    newTracks = std::move(tracks);
}
