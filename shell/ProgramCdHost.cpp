// What the CD dialogs ask of the application, answered by the application object.
#include "CdHost.h"
#include "ExtractCdDialog.h"
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

} // namespace frame_wiring
