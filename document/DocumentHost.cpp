#include "DocumentHost.h"

#include "IKvSKsFIO.h"
#include "ModuleObjects.h"
#include "Settings.h"

#include "ErrorText.h"
#include "ResourceModule.h"

namespace {

class BuiltInHost : public DocumentHost {
public:
    DocumentSettings& DefaultSettings() override
    {
        if (!m_read) {
            m_settings = ReadDefaultDocumentSettings();
            m_read = true;
        }
        return m_settings;
    }
    BOOL IsAsioInUse() override { return FALSE; }
    void ShowErrorText(HRESULT code) override
    {
        ErrorText text(GetResourceModule());
        ::MessageBoxA(nullptr, text.GetText(code), nullptr, MB_OK);
    }
    void ShowErrorBox(HRESULT code, UINT style) override
    {
        if (code == kKvErrorCancelled)
            return;
        ErrorText text(GetResourceModule());
        ::MessageBoxA(nullptr, text.GetText(code), nullptr, MB_OK | style);
    }
    COLORREF SkinColorAt(int) override { return 0; }
    BOOL IsTransportBusy() override { return FALSE; }
    BOOL IsRecordWhilePlaying() override { return FALSE; }
    HRESULT SetupMonitoring() override { return S_OK; }
    HRESULT StopTransport() override { return S_OK; }
    void RefreshController() override {}
    void RefreshMixer(BOOL) override {}
    void UpdateMasterVolume() override {}

private:
    DocumentSettings m_settings{};
    bool m_read = false;
};

BuiltInHost& BuiltIn()
{
    static BuiltInHost host;
    return host;
}

DocumentHost* g_host = nullptr;

} // namespace

void SetDocumentHost(DocumentHost* host)
{
    g_host = host;
}

DocumentHost& GetDocumentHost()
{
    return g_host ? *g_host : BuiltIn();
}

int DocumentHost::ShowMessageText(const char* text, UINT style)
{
    return MessageBoxA(nullptr, text, nullptr, style);
}

IKvSKsFIO* DocumentHost::FileModule()
{
    // One object for the whole program, as the application holds it.
    static IKvSKsFIO* module = [] {
        IKvSKsFIO* made = nullptr;
        if (FAILED(CreateModuleObject("KvSKsFIO.dll", CLSID_KvSKsFIO, __uuidof(IKvSKsFIO),
                                      reinterpret_cast<void**>(&made))))
            made = nullptr;
        return made;
    }();
    return module;
}

BOOL DocumentHost::IsChannelSplitOn()
{
    return GetSettingInt("Settings", "ChannelSplit", 0) != 0;
}

BOOL DocumentHost::IsCommandLoggingOn()
{
    return GetSettingInt("Settings", "CommandLogging", 1) != 0;
}

BOOL DocumentHost::RunSaveDialog(CNyMultiTrackDoc*, int, SaveAsChoice*)
{
    return FALSE;
}

BOOL DocumentHost::RunImportDialog(CNyMultiTrackDoc*, std::vector<std::string>*)
{
    return FALSE;
}
