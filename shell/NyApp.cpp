#include "NyApp.h"

#include "KsMultiTrack.h"
#include "ProgressDlg.h"
#include "ChildFrame.h"
#include "FontSet.h"
#include "KsMultiTrackLoader.h"
#include "MainFrame.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "ProgramHosts.h"
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
    // An object that never ran its exit must not leave this process looking like a copy.
    if (m_sharedMemory)
        ::CloseHandle(m_sharedMemory);
    ReleaseInstanceObjects();
    m_fileIo.Reset();
    m_tempStore.Reset();
    if (m_patternBitmap)
        ::DeleteObject(m_patternBitmap);
}

void CNyApp::ReleaseHosts()
{
    if (&GetDocumentHost() == static_cast<DocumentHost*>(this))
        SetDocumentHost(nullptr);
    if (GetInPlaceEditHost() == static_cast<IInPlaceEditHost*>(this))
        SetInPlaceEditHost(nullptr);
    RemoveProgramHosts();
    InstallSettingsHosts(false);
}

bool CNyApp::LoadSkin()
{
    if (!m_gdiplus)
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

void CNyApp::BeginInPlaceEdit(CWnd* edit, int controlId)
{
    EndInPlaceEdit();
    m_inPlaceEdit.reset(edit);
    m_inPlaceEditControlId = edit ? controlId : 0;
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
