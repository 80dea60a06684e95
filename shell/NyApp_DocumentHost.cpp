// What the document asks of the program: the error box, the default settings, and the
// controller and mixer panes of the main frame (without them no transport runs, nothing
// records and there is nothing to refresh).
#include "NyApp.h"

#include "ErrorText.h"
#include "MainFrame.h"
#include "MainFrameWiring.h"
#include "MixerView.h"
#include "MultiTrackDoc.h"
#include "NyControlView.h"
#include "NyException.h"
#include "ProgramHosts.h"
#include "ProjectFileIds.h"
#include "ResourceModule.h"
#include "SkinTables.h"
#include "resource.h"

int CNyApp::ShowErrorBox(HRESULT code, const char* caption, const char* prefix, UINT style)
{
    if (code == kKvErrorCancelled)
        return 0;
    ErrorText lookup(GetResourceModule());
    const bool fullTracks = code == kDocErrNoMoreTracks;
    CString text;
    if (prefix) {
        text = prefix;
        text += "\n\r";
    }
    CString message;
    message.Format(fullTracks ? "%s" : "%s ", lookup.GetText(code));
    text += message;

    CString warning;
    if (!caption && fullTracks && warning.LoadString(IDS_WARNING))
        caption = warning;
    int result = caption ? AfxShowMessageBox(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, text, caption, style)
                         : AfxMessageBox(text, style);

    if (auto* main = dynamic_cast<CFrameWnd*>(m_pMainWnd)) {
        CFrameWnd* active = main->GetActiveFrame();
        if (CView* view = active ? active->GetActiveView() : nullptr)
            view->SetFocus();
    }
    return result;
}

DocumentSettings& CNyApp::DefaultSettings()
{
    if (!m_defaultSettingsRead) {
        m_defaultSettings = ReadDefaultDocumentSettings();
        m_defaultSettingsRead = true;
    }
    return m_defaultSettings;
}

// The main frame keeps the device mode.
BOOL CNyApp::IsAsioInUse()
{
    return frame_wiring::AsioInUse();
}

void CNyApp::ShowErrorText(HRESULT code)
{
    ErrorText lookup(GetResourceModule());
    AfxMessageBox(lookup.GetText(code), MB_OK);
}

void CNyApp::ShowErrorBox(HRESULT code, UINT style)
{
    ShowErrorBox(code, nullptr, nullptr, style);
}

void CNyApp::ShowLoadError(HRESULT code, const char* path)
{
    CString caption;
    caption.LoadString(IDS_PF_STORE_OPEN);
    ShowErrorBox(code, caption, path, MB_ICONEXCLAMATION);
}

COLORREF CNyApp::SkinColorAt(int index)
{
    return ::SkinColorAt(index);
}

// Playing or recording, as the main frame's transport test answers it.
BOOL CNyApp::IsTransportBusy()
{
    auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    return frame && frame->m_hWnd && frame->IsEngineRunning();
}

BOOL CNyApp::IsRecordWhilePlaying()
{
    CNyControlView* controller = HeldController();
    return controller && controller->IsRecordWhilePlaying();
}

HRESULT CNyApp::SetupMonitoring()
{
    CNyControlView* controller = HeldController();
    return controller ? controller->SetupMonitoring() : S_OK;
}

HRESULT CNyApp::StopTransport()
{
    CNyControlView* controller = HeldController();
    if (!controller)
        return S_OK;
    try {
        controller->Stop();
    } catch (const CNyException& e) {
        return e.m_hr;
    }
    return S_OK;
}

void CNyApp::RefreshController()
{
    if (CNyControlView* controller = HeldController()) {
        controller->CheckRecordFormat();
        controller->UpdateMonitoring();
        controller->UpdateDisplay();
    }
}

void CNyApp::RefreshMixer(BOOL rebuild)
{
    if (CMixerView* mixer = HeldMixer()) {
        if (rebuild)
            mixer->Rebuild();
        else
            mixer->InvalidateAll();
    }
}

void CNyApp::UpdateMasterVolume()
{
    if (CMixerView* mixer = HeldMixer())
        mixer->UpdateMaster();
}
