#include "EnvSheetHost.h"

#include "Settings.h"
#include "TempFilePaths.h"

namespace {

class BuiltInHost : public EnvSheetHost {
public:
    std::string TempFolder() override
    {
        std::string folder;
        GetSettingString(kSettingsSection, "TempPath", "", &folder);
        return folder;
    }
    void SetTempFolder(const std::string& folder) override
    {
        SetSettingString(kSettingsSection, "TempPath", folder.c_str());
    }
    void CreateTempFolder() override
    {
        TempFilePaths paths;
        paths.GetFolder(); // creates the folder when it is missing
    }
    void ArrangePanesAtDefaults() override {}
    HRESULT GetTempStore(ComRef<IMtTempStore>&) override { return E_FAIL; }
};

BuiltInHost s_builtIn;
EnvSheetHost* s_host = nullptr;

} // namespace

void SetEnvSheetHost(EnvSheetHost* host)
{
    s_host = host;
}

EnvSheetHost& GetEnvSheetHost()
{
    return s_host ? *s_host : s_builtIn;
}
