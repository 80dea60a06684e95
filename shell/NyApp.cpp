#include "NyApp.h"
#include "FontSet.h"
#include "MainFrame.h"
#include "SkinImage.h"
#include "SkinPaneWnd.h"
#include "SkinTables.h"
#include "resource.h"

CNyApp::CNyApp() : CWinApp("KorvaneSound5 Tarn US") {}

CNyApp::~CNyApp()
{
    FreeSkin();
}

BOOL CNyApp::InitInstance()
{
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
    FreeSkin();
    return code;
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
