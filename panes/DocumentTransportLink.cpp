#include "DocumentTransportLink.h"

#include "DocumentHost.h"
#include "MultiTrackDoc.h"
#include "NyControlView.h"
#include "SelectionModel.h"

int64_t DocumentTransportLink::SamplesToTime(int64_t frames)
{
    const DWORD rate = m_document ? m_document->GetSamplesPerSec() : 0;
    return rate ? frames * 10000 / int64_t(rate) : 0;
}

bool DocumentTransportLink::IsSelectionPlayable()
{
    return m_document && m_document->GetLength() > 0;
}

void DocumentTransportLink::SetEngineLoop(bool on)
{
    if (m_document && m_document->GetTrackSet())
        m_document->GetTrackSet()->SetShuttleStart(on ? 1 : 0);
}

void DocumentTransportLink::SetAutomation(bool write, bool on)
{
    DocumentSettings& program = GetDocumentHost().DefaultSettings();
    (write ? program.writeAutomation : program.readAutomation) = on ? 1 : 0;
    if (IMtTrackSet* set = m_document ? m_document->GetTrackSet() : nullptr) {
        if (write)
            set->SetWriteAutomation(on ? 1 : 0);
        else
            set->SetReadAutomation(on ? 1 : 0);
    }
}

void DocumentTransportLink::SendCommand(UINT id)
{
    if (id == 1009) {
        ++m_fitCommands;
        return;
    }
    if (id != 1049 || !m_controller)
        return;
    if (m_controller->IsPlaying() && !m_controller->IsPaused())
        m_controller->Stop();
    else
        m_controller->Play();
}

void DocumentTransportLink::SendChar(char ch)
{
    if ((ch == 'H' || ch == 'h') && m_document)
        m_document->GetSelection()->SetSelection(0, 0, TRUE);
}

bool DocumentTransportLink::IsTransportIdle()
{
    return !m_controller || !m_controller->IsPlaying() || m_controller->GetPlayStatus() == 0;
}
