// What edit commands reach of the document (CommandDocument): the selection, the label
// table and the state of the file the document came from.
#include "MultiTrackDoc.h"

#include "AudioFormat.h"
#include "DocumentHost.h"
#include "SelectionModel.h"
#include "ViewGeometry.h"

bool CNyMultiTrackDoc::GetOrderedSelection(int64_t* start, int64_t* end)
{
    return m_selection->GetOrderedSelection(start, end);
}

bool CNyMultiTrackDoc::GetSelectionRange(int64_t* start, int64_t* end)
{
    return m_selection->GetSelection(start, end);
}

HRESULT CNyMultiTrackDoc::SetSelectionRange(int64_t start, int64_t end, BOOL force)
{
    HRESULT hr = m_selection->SetSelection(start, end, force);
    m_selection->InvalidateSelection();
    return hr;
}

int CNyMultiTrackDoc::IsTrackSelectedAt(int track)
{
    return m_selection->IsTrackSelectedAt(track);
}

int CNyMultiTrackDoc::IsAllTracksMode()
{
    return m_selection->IsAllTracksMode();
}

int CNyMultiTrackDoc::AddLabel(LabelRecord& record)
{
    return m_labels.Add(record);
}

int CNyMultiTrackDoc::SetLabelAt(const LabelRecord& record)
{
    int done = m_labels.SetAt(record);
    if (done)
        SetModifiedFlag(TRUE);
    return done;
}

int CNyMultiTrackDoc::RemoveLabel(const LabelRecord& record)
{
    return m_labels.Remove(record);
}

bool CNyMultiTrackDoc::FindLabelById(int id, LabelRecord* out)
{
    return m_labels.FindById(id, out);
}

int CNyMultiTrackDoc::FindLabelsInRange(int track, std::vector<LabelRecord>& out, int64_t from, int64_t to,
                                        int32_t kind)
{
    return m_labels.FindInRange(track, out, from, to, kind);
}

int CNyMultiTrackDoc::GetLabelCount(int kind)
{
    return m_labels.GetCount(kind);
}

bool CNyMultiTrackDoc::GetTrackLabel(int track, LabelRecord* out)
{
    return m_labels.GetTrackLabel(track, out);
}

void CNyMultiTrackDoc::SetTrackLabel(LabelRecord& record)
{
    m_labels.SetTrackLabel(record);
}

int CNyMultiTrackDoc::TrackIdToIndex(int id)
{
    return m_labels.TrackIdToIndex(id);
}

int CNyMultiTrackDoc::TrackIndexToId(int index)
{
    return m_labels.TrackIndexToId(index);
}

void CNyMultiTrackDoc::SetActiveLabelId(int id)
{
    m_labels.SetActiveId(id);
}

void CNyMultiTrackDoc::UpdateLabelsAfterEdit(DWORD oldRate, DWORD newRate)
{
    if (oldRate == 0 || oldRate == newRate)
        return;
    LabelRecord record;
    for (int i = 0; i < m_labels.GetSize(); ++i) {
        if (!m_labels.GetAt(i, &record) || record.id <= 0)
            continue;
        record.start = record.start * static_cast<int64_t>(newRate) / static_cast<int64_t>(oldRate);
        record.end = record.end * static_cast<int64_t>(newRate) / static_cast<int64_t>(oldRate);
        m_labels.SetAt(record);
    }
    RepaintAllViews();
}

int CNyMultiTrackDoc::CountValidLabels(int)
{
    int64_t length = GetLength();
    int count = 0;
    LabelRecord record;
    for (int i = 0; i < m_labels.GetSize(); ++i) {
        if (!m_labels.GetAt(i, &record) || record.id <= 0 || (record.kind & 0xFF) == kLabelTrack)
            continue;
        // A mark past the audio cannot be written with it: none of them counts then.
        if (record.start > length || record.end > length)
            return 0;
        ++count;
    }
    return count;
}

int CNyMultiTrackDoc::GetFileType()
{
    return m_fileInfo.fileType;
}

WORD CNyMultiTrackDoc::GetStoredBits()
{
    return m_fileInfo.bitsPerSample;
}

void CNyMultiTrackDoc::SetFileFormatInfo(WORD bits, DWORD rate)
{
    m_fileInfo.bitsPerSample = bits;
    m_fileInfo.samplesPerSec = rate;
}

int CNyMultiTrackDoc::IsMultichannel()
{
    return m_settings.documentType == 1 ? 1 : 0;
}

DWORD CNyMultiTrackDoc::GetFormatChangeFlags()
{
    return m_formatChanges;
}

void CNyMultiTrackDoc::SetFormatChangeFlags(DWORD flags)
{
    m_formatChanges = flags;
}

int CNyMultiTrackDoc::IsFrontRearPlacement()
{
    return m_frontRear;
}

std::string CNyMultiTrackDoc::GetVideoFile()
{
    return std::string(static_cast<const char*>(m_videoPath));
}

int CNyMultiTrackDoc::IsPreviewPlaying()
{
    return m_previewPlaying;
}

std::string CNyMultiTrackDoc::GetPathText()
{
    return std::string(static_cast<const char*>(GetPathName()));
}

int64_t CNyMultiTrackDoc::GetPlayPositionNow()
{
    ViewGeometry* view = GetMultiTrackView();
    return view ? view->GetPlayPositionNow() : -1;
}

BOOL CNyMultiTrackDoc::IsViewIdle()
{
    if (GetDocumentHost().IsTransportBusy())
        return FALSE;
    ViewGeometry* view = GetMultiTrackView();
    return !view || view->GetEditMode() == 0;
}

void CNyMultiTrackDoc::RepaintAllViews()
{
    UpdateAllViews(nullptr, 0, nullptr);
}
