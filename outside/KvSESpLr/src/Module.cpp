// KvSESpLr.dll: the Get Noise Profile filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSESpLr.h"
#include "ProfileLearnerKernel.h"

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Fine (4096)", {3}}, {L"Quick (1024)", {1}}};
const PageInfo kPages[] = {{&CLSID_KvSESpLrPage, L"Get Noise Profile", 0, fx::kSplParamCount}};

const EffectInfo kInfo = {&CLSID_KvSESpLr,
                          fx::kProfileLearnerParams,
                          fx::kSplParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo,
                          0,
                          false,
                          KernelOf<fx::ProfileLearnerKernel>};

// Writes the whole file beside the profile, then puts it in the profile's place in one step,
// so a reader never sees half a profile.
HRESULT WriteProfileFile(const std::string& folder, const std::string& text)
{
    const std::string dir = folder + "\\KvSSpectralSubtraction";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string target = folder + kNoiseProfileFile;
    const std::string temp = target + ".new";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size() &&
                    FlushFileBuffers(file);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || !MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD why = ok ? GetLastError() : error;
        DeleteFileA(temp.c_str());
        return HRESULT_FROM_WIN32(why ? why : ERROR_WRITE_FAULT);
    }
    return S_OK;
}

class ProfileLearnerFilter : public EffectFilter {
public:
    ProfileLearnerFilter() : EffectFilter(kInfo) {}

protected:
    // Without a work folder the profile would have nowhere to go: the first sample fails,
    // which ends the run as an error.
    HRESULT ProcessSample(IMediaSample* sample) override
    {
        return WorkFolder().empty() ? E_FAIL : EffectFilter::ProcessSample(sample);
    }
    HRESULT OnEndOfStream() override
    {
        if (WorkFolder().empty())
            return E_FAIL;
        HRESULT hr = EffectFilter::OnEndOfStream();
        // A stopped run learnt only part of the selection: it leaves no profile.
        if (FAILED(hr) || State() == State_Stopped)
            return hr;
        NoiseProfile profile;
        if (!static_cast<fx::ProfileLearnerKernel*>(Kernel())->Result(profile))
            return VFW_E_NOT_FOUND; // shorter than one analysis frame: nothing learnt
        return WriteProfileFile(WorkFolder(), FormatProfile(profile));
    }
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSESpLr, kvcom::CreateInstanceOf<ProfileLearnerFilter>},
    {&CLSID_KvSESpLrPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
