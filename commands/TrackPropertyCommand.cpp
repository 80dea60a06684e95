#include "TrackCommands.h"

#include "CommandSupport.h"
#include "OperationEdge.h"

#include <cmath>

int32_t LevelToFixed(float level)
{
    // Rounded to the nearest: a level read back from its fixed form gives the same fixed form.
    return static_cast<int32_t>(std::lround(static_cast<double>(level) * 10000.0));
}

namespace {

ComRef<IMtTrack> TrackOf(CommandDocument* document, int index)
{
    ComRef<IMtTrack> track;
    if (index >= 0 && document && document->GetTrackSet())
        ThrowIfFailed(document->GetTrackSet()->GetTrack(index, track.Out()));
    if (!track)
        throw CKvSSException(E_POINTER);
    return track;
}

struct TrackValues {
    MtGroupRecord group{};
    LONGLONG start = 0;
    int32_t level = 0;
    int32_t pan = 0;
    uint32_t mute = 0;
};

TrackValues ReadValues(IMtTrack* track)
{
    TrackValues v;
    ThrowIfFailed(track->GetGroupRecord(&v.group));
    ThrowIfFailed(track->GetStartOffset(&v.start));
    float level = 0, pan = 0;
    ThrowIfFailed(track->GetVolume(&level));
    ThrowIfFailed(track->GetPan(&pan));
    v.level = LevelToFixed(level);
    v.pan = LevelToFixed(pan);
    LONG mute = 0;
    ThrowIfFailed(track->TestFlag(kMtFlagMute, &mute));
    v.mute = mute ? 1 : 0;
    return v;
}

} // namespace

void TrackPropertyRecord::Capture(CommandDocument* doc, int index)
{
    document = doc;
    trackIndex = index;
    label = LabelRecord{};
    doc->GetTrackLabel(index, &label);
    TrackValues v = ReadValues(TrackOf(doc, index).Get());
    group = v.group;
    startOffset = v.start;
    level = v.level;
    pan = v.pan;
    mute = v.mute;
}

bool TrackPropertyRecord::Apply(bool testOnly)
{
    LabelRecord current{};
    bool stored = document->GetTrackLabel(trackIndex, &current);
    bool differs = false;
    // A record without an id holds the default name of a track that had no label: the
    // track has none again, whatever default name is made up meanwhile.
    bool labelDiffers =
        label.id == 0 ? stored : !stored || std::strncmp(current.name, label.name, sizeof label.name) != 0;
    if (labelDiffers) {
        if (testOnly)
            return true;
        if (label.id == 0) {
            document->RemoveLabel(current);
        } else {
            LabelRecord kept = label;
            document->SetTrackLabel(kept);
        }
        differs = true;
    }
    try {
        ComRef<IMtTrack> track = TrackOf(document, trackIndex);
        TrackValues v = ReadValues(track.Get());
        if (std::memcmp(&v.group, &group, sizeof group) != 0) {
            if (testOnly)
                return true;
            ThrowIfFailed(track->SetGroupRecord(&group));
            differs = true;
        }
        if (v.start != startOffset) {
            if (testOnly)
                return true;
            ThrowIfFailed(track->SetStartOffset(startOffset));
            differs = true;
        }
        if (v.level != level) {
            if (testOnly)
                return true;
            ThrowIfFailed(track->SetVolume(static_cast<float>(level * 0.0001)));
            differs = true;
        }
        if (v.pan != pan) {
            if (testOnly)
                return true;
            ThrowIfFailed(track->SetPan(static_cast<float>(pan * 0.0001)));
            differs = true;
        }
        if (v.mute != mute) {
            if (testOnly)
                return true;
            // The mute flag through the document, so that solo and the group follow.
            document->SetTrackMute(trackIndex, mute ? TRUE : FALSE);
            differs = true;
        }
    } catch (const CKvSSException&) {
    }
    return differs;
}

void TrackPropertyRecord::Persist(uint8_t* block) const
{
    std::memset(block, 0, kPersistedSize);
    std::memcpy(block, &label, sizeof label);
    PutField<int32_t>(block, 284, level);
    PutField<int32_t>(block, 288, pan);
    PutField<int64_t>(block, 296, startOffset);
    std::memcpy(block + 304, &group, sizeof group);
    PutField<uint32_t>(block, 320, mute);
}

void TrackPropertyRecord::Restore(const uint8_t* block)
{
    std::memcpy(&label, block, sizeof label);
    level = GetField<int32_t>(block, 284);
    pan = GetField<int32_t>(block, 288);
    startOffset = GetField<int64_t>(block, 296);
    std::memcpy(&group, block + 304, sizeof group);
    mute = GetField<uint32_t>(block, 320);
}

HRESULT TrackPropertyCommand::InitFromSource(int trackIndex, IUnknown* source)
{
    return RunAtEdge([&] {
        ComRef<IMtTrack> track;
        if (ComRef<IMtClip> clip = QueryCom<IMtClip>(source))
            ThrowIfFailed(clip->GetSourceTrack(track.Out()));
        else
            track = QueryCom<IMtTrack>(source);
        if (!track)
            throw CKvSSException(E_NOINTERFACE);
        TrackValues v = ReadValues(track.Get());
        m_new.level = v.level;
        m_new.pan = v.pan;
        m_new.group = v.group;
        m_trackIndex = trackIndex;
        return S_OK;
    });
}

HRESULT TrackPropertyCommand::Do()
{
    return RunAtEdge([&] {
        m_old.Capture(m_document, m_trackIndex);
        TrackPropertyRecord given = m_new;
        m_new = m_old;
        m_new.level = given.level;
        m_new.pan = given.pan;
        m_new.group = given.group;
        return Redo();
    });
}

HRESULT TrackPropertyCommand::Redo()
{
    return RunAtEdge([&] {
        m_new.Apply(false);
        return S_OK;
    });
}

HRESULT TrackPropertyCommand::Undo()
{
    return RunAtEdge([&] {
        m_old.Apply(false);
        return S_OK;
    });
}

void TrackPropertyCommand::PutProperties(uint8_t* at) const
{
    m_new.Persist(at);
    m_old.Persist(at + TrackPropertyRecord::kPersistedSize);
}

void TrackPropertyCommand::GetProperties(const uint8_t* at)
{
    // The stored fields are what counts; a track not there yet leaves the rest zero.
    for (TrackPropertyRecord* record : {&m_new, &m_old}) {
        try {
            record->Capture(m_document, m_trackIndex);
        } catch (const CKvSSException&) {
        }
    }
    m_new.Restore(at);
    m_old.Restore(at + TrackPropertyRecord::kPersistedSize);
}
