#include "NyApp.h"
#include "ChildFrame.h"
#include "FontSet.h"
#include "KsMultiTrackLoader.h"
#include "MainFrame.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SkinImage.h"
#include "SkinPaneWnd.h"
#include "SkinTables.h"
#include "TracksStopMessage.h"
#include "resource.h"

CNyApp::CNyApp() : CWinApp("KorvaneSound5 Tarn US") {}

CNyApp::~CNyApp()
{
    // Documents still open ask their host while they go.
    CloseAllDocuments(TRUE);
    ReleaseHosts();
    FreeSkin();
}

BOOL CNyApp::InitInstance()
{
    RegisterTracksStopMessage();
    SetDocumentHost(this);
    SetInPlaceEditHost(this);
    DefaultSettings();

    SetRegistryKey("Korvane");
    LoadStdProfileSettings(6);
    AddDocTemplate(new CMultiDocTemplate(IDR_MULTITRACKDOC, RUNTIME_CLASS(CNyMultiTrackDoc), RUNTIME_CLASS(CChildFrame),
                                         RUNTIME_CLASS(CNyMultiTrackView)));

    // The frame deletes itself when its window goes, also when creating it fails.
    CMainFrame* frame = new CMainFrame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE))
        return FALSE;
    m_pMainWnd = frame;
    // The skin comes before the frame shows: a missing image ends the start with its name.
    if (!LoadSkin())
        return FALSE;
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();
    return TRUE;
}

int CNyApp::ExitInstance()
{
    int code = CWinApp::ExitInstance();
    EndInPlaceEdit();
    // The engine's module may go only once no document holds an engine object.
    CloseAllDocuments(TRUE);
    MtEngine::Unload();
    FreeSkin();
    return code;
}

void CNyApp::ReleaseHosts()
{
    if (&GetDocumentHost() == static_cast<DocumentHost*>(this))
        SetDocumentHost(nullptr);
    if (GetInPlaceEditHost() == static_cast<IInPlaceEditHost*>(this))
        SetInPlaceEditHost(nullptr);
}

bool CNyApp::LoadSkin()
{
    m_gdiplus = std::make_unique<GdiplusSession>();
    m_skinColors = std::make_unique<CSkinColorTable>();
    m_skinImages = std::make_unique<CSkinImageTable>();
    m_fonts = std::make_unique<FontSet>();
    m_skinColors->InitSkinColors();
    if (!m_skinImages->Load())
        return false;
    m_fonts->CreateAll();
    return LoadSkinScrollBitmaps() != FALSE;
}

void CNyApp::FreeSkin()
{
    FreeSkinScrollBitmaps();
    if (m_skinImages)
        m_skinImages->Free();
    m_fonts.reset();
    m_skinImages.reset();
    m_skinColors.reset();
    m_gdiplus.reset();
}

BOOL CNyApp::IsInPlaceEditActive(int* controlId)
{
    if (controlId)
        *controlId = m_inPlaceEdit ? m_inPlaceEditControlId : 0;
    return m_inPlaceEdit != nullptr;
}

CWnd* CNyApp::GetInPlaceEdit()
{
    return m_inPlaceEdit.get();
}

void CNyApp::EndInPlaceEdit()
{
    if (!m_inPlaceEdit)
        return;
    if (m_inPlaceEdit->m_hWnd) {
        m_inPlaceEdit->ShowWindow(SW_HIDE);
        m_inPlaceEdit->DestroyWindow();
    }
    m_inPlaceEdit.reset();
    m_inPlaceEditControlId = 0;
}

void CNyApp::RestartInPlaceEdit()
{
    // Only an open edit window can be made again, and only the label editor opens one.
}
