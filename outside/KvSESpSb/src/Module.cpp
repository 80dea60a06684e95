// KvSESpSb.dll: the Remove Noise using Profile filter and its page.
#include "EffectModule.h"
#include "EffectPage.h"
#include "KvSESpLr.h"
#include "KvSESpSb.h"
#include "NoiseSubtractionKernel.h"

#include <string>

namespace {

using namespace fxkit;

const PresetInfo kPresets[] = {{L"Light", {10, 90}}, {L"Strong", {30, 95}}};
const PageInfo kPages[] = {{&CLSID_KvSESpSbPage, L"Remove Noise", 0, fx::kSpsParamCount}};

const EffectInfo kInfo = {&CLSID_KvSESpSb,
                          fx::kSpectralSubtractionParams,
                          fx::kSpsParamCount,
                          kPresets,
                          2,
                          kPages,
                          1,
                          1,
                          0,
                          kMono | kStereo,
                          0,
                          false,
                          KernelOf<fx::SpectralSubtractionKernel>};

// The whole profile file, or false when it cannot be read.
bool ReadFileText(const std::string& path, std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 24);
    if (ok) {
        text.resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file, &text[0], DWORD(text.size()), &read, nullptr) && read == text.size();
    }
    CloseHandle(file);
    return ok;
}

class NoiseRemovalFilter : public EffectFilter {
public:
    NoiseRemovalFilter() : EffectFilter(kInfo) {}

protected:
    // The profile must be there, whole, and of this stream's channels and rate; otherwise the
    // stream starts but its first sample (or its end) fails, which ends the run as an error.
    HRESULT StartStreaming() override
    {
        m_profileError = LoadProfile();
        return EffectFilter::StartStreaming();
    }
    HRESULT ProcessSample(IMediaSample* sample) override
    {
        return FAILED(m_profileError) ? m_profileError : EffectFilter::ProcessSample(sample);
    }
    HRESULT OnEndOfStream() override { return FAILED(m_profileError) ? m_profileError : EffectFilter::OnEndOfStream(); }

private:
    HRESULT LoadProfile()
    {
        const WAVEFORMATEX* wf = Input()->CurrentMediaType().Wave();
        std::string text;
        NoiseProfile profile;
        if (!wf || WorkFolder().empty() || !ReadFileText(WorkFolder() + kNoiseProfileFile, text))
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (!ParseProfile(text, profile) || profile.channels != wf->nChannels ||
            profile.rate != int(wf->nSamplesPerSec))
            return VFW_E_INVALIDMEDIATYPE;
        static_cast<fx::SpectralSubtractionKernel*>(Kernel())->SetProfile(profile);
        return S_OK;
    }

    HRESULT m_profileError = S_OK;
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSESpSb, kvcom::CreateInstanceOf<NoiseRemovalFilter>},
    {&CLSID_KvSESpSbPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
