#include "ViewHost.h"

#include "ComRef.h"
#include "DocumentHost.h"
#include "IKvSKsFIO.h"
#include "LabelEditWnd.h"
#include "ModuleObjects.h"
#include "ViewDialogs.h"

namespace {
// A program without panes: no controller, no mixer; the file module for file facts.
class BuiltInViewHost : public IViewHost {
public:
    IViewController* GetController() override { return nullptr; }
    IViewMixer* GetMixer() override { return nullptr; }
    void EnableSelectionPanes(CNyMultiTrackView*, bool) override {}
    void EnableControllerPanes(CNyMultiTrackView*, bool) override {}
    void AttachToolPanes(CNyMultiTrackView*) override {}
    void DetachToolPanes(CNyMultiTrackView*) override {}
    void ShowErrorBox(HRESULT code, const char*) override { GetDocumentHost().ShowErrorBox(code, MB_ICONEXCLAMATION); }
    bool IsReadAutomation() override { return false; }
    bool IsWriteAutomation() override { return false; }
    void SetReadAutomation(bool) override {}
    void SetWriteAutomation(bool) override {}
    void UpdateAllDocuments() override {}
    void UpdateAnalysisAndEffects() override {}
    void RunRecordingTimerDialog() override
    {
        if (GetViewDialogs().recordingTimer)
            GetViewDialogs().recordingTimer(nullptr);
    }
    void RunPropertiesDialog(CNyMultiTrackView* view, int track) override
    {
        if (GetViewDialogs().properties)
            GetViewDialogs().properties(view, track);
    }
    void BeginLabelEdit(CNyMultiTrackView* view, int labelId) override { ::BeginLabelEdit(view, labelId); }
    void RefreshMarkerList(int) override {}
    void OpenProgress(CNyMultiTrackView*, const char*) override {}
    bool UpdateProgress(int) override { return false; }
    void CloseProgress(bool) override {}

    HRESULT QueryFileInfo(const char* path, FileInfoRecord* info) override
    {
        if (!m_files) {
            HRESULT hr = CreateModuleObject("KvSKsFIO.dll", CLSID_KvSKsFIO, __uuidof(IKvSKsFIO), m_files.OutVoid());
            if (FAILED(hr))
                return hr;
        }
        return m_files->QueryFileInfo(nullptr, path, -1, 0, info);
    }
    HRESULT GetProjectChannels(const char*, int*) override { return E_NOTIMPL; }
    HRESULT ImportFile(CNyMultiTrackDoc*, const char*, int, IEditCommand** command) override
    {
        *command = nullptr;
        return E_NOTIMPL;
    }

private:
    ComRef<IKvSKsFIO> m_files;
};

BuiltInViewHost g_builtIn;
IViewHost* g_host = nullptr;
} // namespace

void SetViewHost(IViewHost* host)
{
    g_host = host;
}

IViewHost& GetViewHost()
{
    return g_host ? *g_host : g_builtIn;
}
