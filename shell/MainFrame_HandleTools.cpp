// The tool windows of the handle edit modes and the program's answers to the view's edit
// mode host: the application's kept menus, installed through the main frame.
#include "MainFrame.h"

#include "EditModeHost.h"
#include "HandleEditDialogs.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "ProgramHosts.h"

#include <memory>

CWnd* CMainFrame::EnsureAuxWindow(int slot)
{
    CWnd*& held = slot == 0 ? m_auxWindowA : m_auxWindowB;
    if (held || !m_hWnd)
        return held;
    std::unique_ptr<HandleToolDialog> dialog;
    if (slot == 0)
        dialog = std::make_unique<FadeHandleDialog>();
    else
        dialog = std::make_unique<FadeToolDialog>();
    if (!dialog->CreatePanel(this))
        return nullptr;
    held = dialog.release();
    return held;
}

namespace {

CMainFrame* MainFrame()
{
    CWinApp* app = AfxGetApp();
    return app ? dynamic_cast<CMainFrame*>(app->m_pMainWnd) : nullptr;
}

class ProgramEditModeHost final : public IEditModeHost {
public:
    HMENU GetModeMenu(int mode) override
    {
        auto* app = dynamic_cast<CNyApp*>(AfxGetApp());
        return app ? app->GetKeptMenu(mode) : nullptr;
    }
    void InstallMenu(HMENU menu) override
    {
        if (CMainFrame* frame = MainFrame(); frame && frame->m_hWnd)
            frame->RefreshMenuBar(menu);
    }
    void ShowToolWindow(CNyMultiTrackView* view, int mode, bool show) override
    {
        CMainFrame* frame = MainFrame();
        auto* dialog = frame ? dynamic_cast<HandleToolDialog*>(frame->EnsureAuxWindow(mode == 2 ? 0 : 1)) : nullptr;
        if (!dialog)
            return;
        if (show)
            dialog->SetView(view);
        dialog->ShowPanel(show);
    }
    void RefreshToolWindow(CNyMultiTrackView* view) override
    {
        CMainFrame* frame = MainFrame();
        auto* dialog = frame ? dynamic_cast<FadeToolDialog*>(frame->GetAuxWindowB()) : nullptr;
        if (dialog && dialog->GetView() == view)
            dialog->ShowShape();
    }
    void DetachToolWindows(CNyMultiTrackView* view) override
    {
        CMainFrame* frame = MainFrame();
        if (!frame)
            return;
        for (CWnd* window : {frame->GetAuxWindowA(), frame->GetAuxWindowB()})
            if (auto* dialog = dynamic_cast<HandleToolDialog*>(window); dialog && dialog->GetView() == view) {
                dialog->ShowPanel(FALSE);
                dialog->SetView(nullptr);
            }
    }
};

ProgramEditModeHost g_editModeHost;

} // namespace

void InstallEditModeHost()
{
    SetEditModeHost(&g_editModeHost);
}

void RemoveEditModeHost()
{
    SetEditModeHost(nullptr);
}
