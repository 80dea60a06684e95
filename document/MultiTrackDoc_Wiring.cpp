// The document's wiring to what lies above it (DocWiring.h).
#include "DocWiring.h"

#include "FwApp.h"
#include "FwDocTemplate.h"
#include "MultiTrackDoc.h"

namespace DocWiring {

namespace {
CNyMultiTrackDoc* (*g_newDocumentFactory)() = nullptr;
Host* g_host = nullptr;
DocumentVideo* (*g_videoLookup)(CNyMultiTrackDoc*) = nullptr;
} // namespace

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

void UpdateEffectPalette() {}

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

HRESULT RunEffectDialog(CEffectDescriptor&, CNyMultiTrackDoc*)
{
    return E_NOTIMPL;
}

HRESULT RunGeneratorDialog(EffectModuleEntry*, CNyMultiTrackDoc*)
{
    return E_NOTIMPL;
}

HRESULT RunFftEqualizerDialog(EffectModuleEntry*, CNyMultiTrackDoc*)
{
    return E_NOTIMPL;
}

HRESULT RunEffectJob(int, CNyMultiTrackDoc*)
{
    return E_NOTIMPL;
}

BOOL RunSampleTypeDialog(CNyMultiTrackDoc*, DWORD*, WORD*, DWORD*)
{
    return FALSE;
}

void RunSplitWizard(CNyMultiTrackDoc*) {}

void RunFadeDialog(CNyMultiTrackDoc*, bool) {}

void FreezeView(CNyMultiTrackDoc* document, BOOL freeze)
{
    if (g_host)
        g_host->FreezeViews(document, freeze);
}

} // namespace DocWiring
