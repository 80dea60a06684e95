#include "MarkCommands.h"

#include "CommandSupport.h"
#include "FwApp.h"
#include "OperationEdge.h"

void AddLabelOrFail(CommandDocument* document, LabelRecord& record)
{
    if (!document->AddLabel(record))
        throw CKvSSException(E_FAIL);
}

void SetLabelOrFail(CommandDocument* document, const LabelRecord& record)
{
    if (!document->SetLabelAt(record))
        throw CKvSSException(E_FAIL);
}

void RemoveLabelOrFail(CommandDocument* document, const LabelRecord& record)
{
    if (!document->RemoveLabel(record))
        throw CKvSSException(E_FAIL);
}

namespace {
bool OnRemovedTrack(CommandDocument* document, int32_t trackId)
{
    return trackId != -1 && document->TrackIdToIndex(trackId) < 0;
}

bool SaysTheSame(CommandDocument* document, const LabelRecord& a, const LabelRecord& saved)
{
    const bool track =
        saved.trackId == kSavedRemovedTrack ? OnRemovedTrack(document, a.trackId) : a.trackId == saved.trackId;
    return track && a.kind == saved.kind && a.start == saved.start && a.end == saved.end &&
           std::strncmp(a.name, saved.name, sizeof a.name) == 0;
}
} // namespace

bool FindSameLabel(CommandDocument* document, const LabelRecord& saved, LabelRecord* found)
{
    LabelRecord record{};
    if (saved.id > 0 && document->FindLabelById(saved.id, &record) && record.id > 0 &&
        SaysTheSame(document, record, saved)) {
        *found = record;
        return true;
    }
    for (int i = 0; document->GetLabelAt(i, &record); ++i) {
        if (record.id > 0 && SaysTheSame(document, record, saved)) {
            *found = record;
            return true;
        }
    }
    return false;
}

void LabelCommand::PutLabel(uint8_t* at) const
{
    // By index: ids differ in a rebuilt document, places do not.
    const LabelRecord stored = StoresTrackIndex() ? TrackByIndex(m_document, m_record) : m_record;
    std::memcpy(at, &stored, sizeof stored);
}

void LabelCommand::GetLabel(const uint8_t* at)
{
    std::memcpy(&m_record, at, sizeof m_record);
    if (StoresTrackIndex())
        m_record = TrackById(m_document, m_record);
}

LabelRecord TrackByIndex(CommandDocument* document, LabelRecord record)
{
    if (document && record.trackId != -1) {
        const int index = document->TrackIdToIndex(record.trackId);
        record.trackId = index >= 0 ? index : kSavedRemovedTrack;
    }
    return record;
}

LabelRecord TrackById(CommandDocument* document, LabelRecord record)
{
    if (record.trackId != kSavedRemovedTrack)
        record.trackId = document->TrackIndexToId(record.trackId);
    return record;
}

std::string LoadResourceText(UINT id)
{
    char text[512] = {};
    ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return text;
}
