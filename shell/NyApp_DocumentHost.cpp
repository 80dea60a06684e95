// What the document asks of the program. The controller and mixer panes do not exist yet:
// without them no transport runs, nothing records and there is nothing to refresh.
#include "NyApp.h"

#include "ErrorText.h"
#include "MultiTrackDoc.h"
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

// The main frame keeps the device mode; until it switches to an ASIO driver, none is in use.
BOOL CNyApp::IsAsioInUse()
{
    return FALSE;
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

COLORREF CNyApp::SkinColorAt(int index)
{
    return ::SkinColorAt(index);
}

BOOL CNyApp::IsTransportBusy()
{
    return FALSE;
}
BOOL CNyApp::IsRecordWhilePlaying()
{
    return FALSE;
}
HRESULT CNyApp::SetupMonitoring()
{
    return S_OK;
}
HRESULT CNyApp::StopTransport()
{
    return S_OK;
}
void CNyApp::RefreshController() {}
void CNyApp::RefreshMixer(BOOL) {}
void CNyApp::UpdateMasterVolume() {}
