// Closing the main frame: the layout values it writes, when it refuses to close, the end of a
// session, and what goes with its window.
#include "ClipboardCommands.h"
#include "MainFrame.h"
#include "MainFrameWiring.h"
#include "MultiTrackDoc.h"
#include "NyMiniFrame.h"
#include "ViewGeometry.h"

#include <commctrl.h>

BOOL CMainFrame::CanEndSession()
{
    CWinApp* app = AfxGetApp();
    POSITION pos = app ? app->GetFirstDocTemplatePosition() : nullptr;
    CDocTemplate* docTemplate = pos ? app->GetNextDocTemplate(pos) : nullptr;
    if (!docTemplate)
        return TRUE;
    if (IsEngineRunning())
        return FALSE;
    for (POSITION docPos = docTemplate->GetFirstDocPosition(); docPos;) {
        auto* doc = dynamic_cast<CNyMultiTrackDoc*>(docTemplate->GetNextDoc(docPos));
        ViewGeometry* view = doc ? doc->GetMultiTrackView() : nullptr;
        if (view && view->GetEditMode() != 0)
            return FALSE;
    }
    return TRUE;
}

void CMainFrame::SavePanePlacements()
{
    for (int i = 0; i < kPaneKindCount; ++i) {
        const PaneKind kind = static_cast<PaneKind>(i);
        CWnd* client = HeldPane(kind);
        if (!client || !client->m_hWnd)
            continue;
        CWnd* frame = CWnd::FromHandle(::GetParent(client->m_hWnd));
        auto* miniFrame = dynamic_cast<CNyMiniFrame*>(frame);
        const PaneInfo& info = GetPaneInfo(kind);
        const BOOL rolledUp = info.rollsUp && miniFrame && miniFrame->IsRolledUp();
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        if (!::GetWindowPlacement(frame->m_hWnd, &placement))
            continue;
        AdjustPanePlacement(&placement, frame->IsWindowVisible(), rolledUp, rolledUp ? miniFrame->GetFullHeight() : 0);
        const BOOL layout = miniFrame ? miniFrame->GetLayoutFlag() : FALSE;
        SavePanePlacement(info.valueName, placement, PaneExtraValue(kind, rolledUp, layout));
    }
}

void CMainFrame::OnClose()
{
    // With Shift held the layout is written even while busy, and the program stays.
    if (::GetKeyState(VK_SHIFT) >= 0 && !CanEndSession())
        return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (::GetWindowPlacement(m_hWnd, &placement)) {
        if (IsZoomed())
            placement.flags |= WPF_RESTORETOMAXIMIZED;
        SaveWindowPlacement(placement);
    }
    SaveBarState("ToolBars\\State");
    SavePanePlacements();
    if (::GetKeyState(VK_SHIFT) >= 0) {
        frame_wiring::SaveLastFiles();
        CMDIFrameWnd::OnClose();
    }
}

BOOL CMainFrame::OnQueryEndSession()
{
    if (!CanEndSession())
        return FALSE;
    if (!CMDIFrameWnd::OnQueryEndSession())
        return FALSE;
    return CanEndSession();
}

BOOL CMainFrame::DestroyWindow()
{
    if (::IsClipboardFormatAvailable(GetCopyClipboardFormat()) && ::OpenClipboard(m_hWnd)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    for (INT_PTR i = 0; i < m_ownedObjects.GetSize(); ++i)
        delete m_ownedObjects.GetAt(i);
    m_ownedObjects.RemoveAll();
    if (m_toolBar.m_hWnd && m_toolBar.SendMessage(TB_GETDISABLEDIMAGELIST) && m_disabledImages) {
        m_toolBar.SendMessage(TB_SETDISABLEDIMAGELIST, 0, 0);
        ImageList_Destroy(m_disabledImages);
        m_disabledImages = nullptr;
    }
    if (m_toolBar.m_hWnd && m_normalImages) {
        m_toolBar.SendMessage(TB_SETIMAGELIST, 0, 0);
        ImageList_Destroy(m_normalImages);
        m_normalImages = nullptr;
    }
    return CWnd::DestroyWindow();
}
