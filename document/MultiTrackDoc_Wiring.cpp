// The document's wiring to what lies above it (DocWiring.h).
#include "DocWiring.h"

#include "DocCommandRules.h"
#include "DocumentHost.h"
#include "ErrorText.h"
#include "FwApp.h"
#include "FwDocTemplate.h"
#include "MultiTrackDoc.h"
#include "MuteJob.h"
#include "ReverseJob.h"

namespace DocWiring {

namespace {
CNyMultiTrackDoc* (*g_newDocumentFactory)() = nullptr;
Host* g_host = nullptr;
EffectDialogs* g_effectDialogs = nullptr;
DocumentVideo* (*g_videoLookup)(CNyMultiTrackDoc*) = nullptr;
} // namespace

void SetEffectDialogs(EffectDialogs* dialogs)
{
    g_effectDialogs = dialogs;
    SetEffectDialogsAvailable(dialogs != nullptr);
}

DocumentVideo* VideoOf(CNyMultiTrackDoc* document)
{
    return g_videoLookup && document ? g_videoLookup(document) : nullptr;
}

void SetVideoLookup(DocumentVideo* (*lookup)(CNyMultiTrackDoc*))
{
    g_videoLookup = lookup;
}

void SetHost(Host* host)
{
    g_host = host;
}

void RefreshMarkerList(int select)
{
    if (g_host)
        g_host->RefreshMarkerList(select);
}

void SelectLastMarker()
{
    if (g_host)
        g_host->SelectLastMarker();
}

void UpdateAnalysisPane(int64_t resetKey)
{
    if (g_host)
        g_host->UpdateAnalysisPane(resetKey);
}

void UpdateEffectPalette()
{
    if (g_effectDialogs)
        g_effectDialogs->UpdateEffectPalette();
}

BOOL IsInPlaceEditActive()
{
    return g_host ? g_host->IsInPlaceEditActive() : FALSE;
}

void EndInPlaceEdit()
{
    if (g_host)
        g_host->EndInPlaceEdit();
}

CNyMultiTrackDoc* CreateNewDocument()
{
    if (g_newDocumentFactory)
        return g_newDocumentFactory();
    if (g_host)
        return g_host->CreateNewDocument();
    CWinApp* app = AfxGetApp();
    if (!app)
        return nullptr;
    POSITION pos = app->GetFirstDocTemplatePosition();
    CDocTemplate* first = pos ? app->GetNextDocTemplate(pos) : nullptr;
    return first ? dynamic_cast<CNyMultiTrackDoc*>(first->OpenDocumentFile(nullptr)) : nullptr;
}

void SetNewDocumentFactory(CNyMultiTrackDoc* (*factory)())
{
    g_newDocumentFactory = factory;
}

HWND ProgressWindow()
{
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

void RefreshAfterEdit(CNyMultiTrackDoc* document, UINT refreshId)
{
    document->UpdateAllViews(nullptr, refreshId, nullptr);
    if (g_host)
        g_host->RefreshViews(document, refreshId);
    document->UpdateMixer();
    document->RefreshController();
}

HRESULT RunEffectDialog(CEffectDescriptor& descriptor, CNyMultiTrackDoc* document)
{
    return g_effectDialogs ? g_effectDialogs->RunEffectDialog(descriptor, document) : E_NOTIMPL;
}

HRESULT RunGeneratorDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document)
{
    return g_effectDialogs ? g_effectDialogs->RunGeneratorDialog(row, document) : E_NOTIMPL;
}

HRESULT RunFftEqualizerDialog(EffectModuleEntry* row, CNyMultiTrackDoc* document)
{
    return g_effectDialogs ? g_effectDialogs->RunFftEqualizerDialog(row, document) : E_NOTIMPL;
}

HRESULT RunEffectJob(int commandId, CNyMultiTrackDoc* document)
{
    CReverseJob reverse;
    CMuteJob mute;
    TrackRangeJob* job = commandId == 2003 ? static_cast<TrackRangeJob*>(&reverse) : &mute;
    if (commandId != 2003 && commandId != 2005)
        return E_INVALIDARG;
    job->SetEngine(document->GetTrackSet());
    job->SetHistory(document->GetHistory());
    job->SetDocument(document);
    const HRESULT hr = job->Run();
    if (FAILED(hr) && hr != kKvErrorCancelled)
        GetDocumentHost().ShowErrorBox(hr, MB_ICONEXCLAMATION);
    return hr;
}

BOOL RunSampleTypeDialog(CNyMultiTrackDoc* document, DWORD* rate, WORD* bits, DWORD* precision)
{
    return g_effectDialogs ? g_effectDialogs->RunSampleTypeDialog(document, rate, bits, precision) : FALSE;
}

namespace {
void (*g_splitWizard)(CNyMultiTrackDoc*) = nullptr;
}

void SetSplitWizard(void (*wizard)(CNyMultiTrackDoc* document))
{
    g_splitWizard = wizard;
}

void RunSplitWizard(CNyMultiTrackDoc* document)
{
    if (g_splitWizard)
        g_splitWizard(document);
}

void RunFadeDialog(CNyMultiTrackDoc* document, bool crossfade)
{
    if (g_effectDialogs)
        g_effectDialogs->RunFadeDialog(document, crossfade);
}

void FreezeView(CNyMultiTrackDoc* document, BOOL freeze)
{
    if (g_host)
        g_host->FreezeViews(document, freeze);
}

} // namespace DocWiring
