// Engine queries, view options, the engine mode and the view of the document.
#include "MultiTrackDoc.h"

#include "DocumentHost.h"
#include "FwView.h"
#include "ViewGeometry.h"

namespace {

// The view-option bit of a command id held in the document's own word; 0 for others.
uint32_t DocumentBit(int commandId)
{
    switch (commandId) {
    case kCmdViewTimeRuler:
        return kViewOptionTimeRuler;
    case kCmdViewHeader:
        return kViewOptionHeader;
    case kCmdViewMarkers:
        return kViewOptionMarkers;
    case kCmdView1016:
        return kViewOption1016;
    case kCmdViewVideoTrack:
        return kViewOptionVideoTrack;
    case kCmdViewSpectrum:
        return kViewOptionSpectrum;
    default:
        return 0;
    }
}

// The bit of a program-wide option (in the application's record); 0 for others.
uint32_t ProgramBit(int commandId)
{
    switch (commandId) {
    case kCmdViewVolumeEnvelopes:
        return kViewOptionVolumeEnv;
    case kCmdViewPanEnvelopes:
        return kViewOptionPanEnv;
    default:
        return 0;
    }
}

} // namespace

int64_t CNyMultiTrackDoc::GetLength()
{
    LONGLONG length = 0;
    if (!m_engine || FAILED(m_engine->GetLength(&length, 0)))
        return 0;
    return length;
}

WORD CNyMultiTrackDoc::GetBitsPerSample()
{
    WORD bits = 16;
    if (!m_engine || FAILED(m_engine->GetBitsPerSample(&bits)))
        return 16;
    return bits;
}

DWORD CNyMultiTrackDoc::GetSamplesPerSec()
{
    DWORD rate = 0;
    if (!m_engine || FAILED(m_engine->GetSamplesPerSec(&rate)))
        return 0;
    return rate;
}

int CNyMultiTrackDoc::GetTrackCount()
{
    LONG count = 0;
    if (!m_engine || FAILED(m_engine->GetTrackCount(&count)))
        return 0;
    return count;
}

IMtTrack* CNyMultiTrackDoc::GetTrack(int index)
{
    ComRef<IMtTrack> track;
    if (!m_engine || index < 0 || FAILED(m_engine->GetTrack(index, track.Out())))
        return nullptr;
    // The track set holds the track; callers get it without a reference of their own.
    return track.Get();
}

WORD CNyMultiTrackDoc::GetTrackChannels(int index)
{
    IMtTrack* track = GetTrack(index);
    WORD channels = 1;
    if (!track || FAILED(track->GetChannels(&channels)))
        return 1;
    return channels;
}

int64_t CNyMultiTrackDoc::GetTrackExtent(int index, int part)
{
    if (index < 0)
        return 0;
    IMtTrack* track = GetTrack(index);
    LONGLONG start = 0, length = 0;
    if (track) {
        if (FAILED(track->GetStartOffset(&start)))
            start = 0;
        if (FAILED(track->GetLength(&length)))
            length = 0;
    }
    if (part == -1)
        return start;
    if (part == 0)
        return length;
    return start + length;
}

int CNyMultiTrackDoc::SetViewOption(int commandId, int on)
{
    uint32_t* word = &m_settings.viewOptions;
    uint32_t bit = DocumentBit(commandId);
    if (!bit) {
        bit = ProgramBit(commandId);
        word = &GetDocumentHost().DefaultSettings().viewOptions;
    }
    if (!bit)
        return on;
    int previous = (*word & bit) ? 1 : 0;
    if (on & 1)
        *word |= bit;
    else
        *word &= ~bit;
    return previous;
}

int CNyMultiTrackDoc::GetViewOption(int commandId)
{
    ViewGeometry* view = GetMultiTrackView();
    bool editing = view && view->GetEditMode() != 0;
    switch (commandId) {
    case kCmdViewTimeRuler:
    case kCmdViewHeader:
        return (m_settings.viewOptions & DocumentBit(commandId)) ? 1 : 0;
    case kCmdViewMarkers:
    case kCmdViewSpectrum:
        return !editing && (m_settings.viewOptions & DocumentBit(commandId)) ? 1 : 0;
    case kCmdView1016:
        return 0;
    case kCmdViewVideoTrack:
        return m_videoOpen && (m_settings.viewOptions & kViewOptionVideoTrack) ? 1 : 0;
    case kCmdViewVolumeEnvelopes:
    case kCmdViewPanEnvelopes:
        return (GetDocumentHost().DefaultSettings().viewOptions & ProgramBit(commandId)) ? 1 : 0;
    default:
        return 0;
    }
}

BOOL CNyMultiTrackDoc::SetEngineMode(uint32_t documentType)
{
    m_settings.documentType = documentType;
    if (documentType == 0 && m_settings.dataChannels == 6)
        m_settings.dataChannels = 2;
    if (m_engine && FAILED(m_engine->SetChannelLimit(documentType == 1 ? 6 : 2)))
        return FALSE;
    return TRUE;
}

ViewGeometry* CNyMultiTrackDoc::GetMultiTrackView()
{
    POSITION pos = GetFirstViewPosition();
    while (pos) {
        if (auto* geometry = dynamic_cast<ViewGeometry*>(GetNextView(pos)))
            return geometry;
    }
    return nullptr;
}
