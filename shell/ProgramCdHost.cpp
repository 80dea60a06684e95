// What the CD dialogs ask of the application, answered by the application object.
#include "BurnCdDialog.h"
#include "CdHost.h"
#include "ExtractCdDialog.h"
#include "OpenDlg.h"
#include "ProgressDlg.h"
#include "MainFrameWiring.h"
#include "MultiTrackDoc.h"
#include "NyApp.h"

namespace {

class ProgramCdHost : public CdHost {
public:
    CNyMultiTrackDoc* NewDocument() override
    {
        CNyApp* app = App();
        return app ? dynamic_cast<CNyMultiTrackDoc*>(app->CreateNewDocument()) : nullptr;
    }
    CNyMultiTrackDoc* ActiveDocument() override { return dynamic_cast<CNyMultiTrackDoc*>(GetActiveFrameDocument()); }
    void SetFileTypeHint(int type) override
    {
        if (CNyApp* app = App())
            app->m_openAsFileType = type;
    }
    int ChannelSplit() override { return App() ? App()->m_splitChannels : 0; }
    void SetChannelSplit(int split) override
    {
        if (CNyApp* app = App())
            app->m_splitChannels = split;
    }
    IKvSKsFIO* FileModule() override { return App() ? App()->FileModule() : nullptr; }
    void ShowErrorBox(HRESULT code) override
    {
        if (CNyApp* app = App())
            app->ShowErrorBox(code, nullptr, nullptr, MB_ICONSTOP);
    }
    void UpdateAllDocuments() override
    {
        if (CNyApp* app = App())
            app->UpdateAllDocuments();
    }

    CWnd* OpenProgress(CWnd* owner) override
    {
        CNyApp* app = App();
        if (!app || !app->OpenProgressDialog(owner))
            return nullptr;
        return app->GetProgressDialog();
    }
    bool ChooseSoundFiles(CWnd* parent, const char* filter, const char* folder, int count,
                          const FileFormatEntry* formats, std::vector<std::string>* paths) override
    {
        constexpr DWORD kFlags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        CString title;
        title.LoadString(20442);
        COpenDlg dialog(TRUE, nullptr, nullptr, kFlags, filter, parent, title, 1105);
        if (folder && *folder)
            dialog.m_ofn.lpstrInitialDir = folder;
        dialog.SetFormatTable(FileModule(), count, formats, nullptr);
        if (dialog.DoModal() != IDOK)
            return false;
        dialog.GetSelectedPaths(*paths);
        return true;
    }

private:
    static CNyApp* App() { return dynamic_cast<CNyApp*>(AfxGetApp()); }
};

} // namespace

namespace frame_wiring {

void RunExtractCdDialog()
{
    ProgramCdHost host;
    CExtractCdDialog dialog(AfxGetMainWnd(), host);
    dialog.DoModal();
}

void RunBurnCdDialog(CView* source)
{
    ProgramCdHost host;
    CBurnCdDialog dialog(AfxGetMainWnd(), host);
    if (source)
        dialog.SetSourceView(source);
    dialog.DoModal();
}

} // namespace frame_wiring
