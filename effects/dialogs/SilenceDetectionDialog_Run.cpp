// The silence-detection run: the silence finder at the end of a render worker's chain hears
// the whole document; its silences become cue points or cut positions.
#include "SilenceDetectionDialog.h"

#include "EffectProgramHost.h"
#include "KvSFndSp.h"
#include "ModuleObjects.h"
#include "MultiTrackDoc.h"
#include "RenderWorker.h"
#include "SplitRender.h"
#include "SplitWizard.h"

namespace {
constexpr UINT kIdsPluginLoadFailed = 20263; // "Failed to load the plugin(s)."
constexpr UINT kIdsPlugin = 21021;           // "Plug-in"
constexpr HRESULT kPluginNotSupported = static_cast<HRESULT>(0x83E8044C);
} // namespace

std::vector<int64_t> CSilenceDetectionDialog::SilenceMiddles(ISilenceFinderSettings* finder)
{
    // The stream starts at the document's 0 whatever the tracks' offsets: the middles count
    // from there.
    std::vector<int64_t> middles;
    const LONG count = finder->GetCount();
    for (LONG i = 0; i < count; ++i) {
        const LONGLONG position = finder->GetPosition(i);
        if (position >= 0)
            middles.push_back(position / 2);
    }
    return middles;
}

HRESULT CSilenceDetectionDialog::DetectSilence(CNyMultiTrackDoc* document, CWnd* window)
{
    IEffectProgramHost& host = GetEffectProgramHost();
    SplitRender render(document);
    HRESULT hr = render.Start();
    if (FAILED(hr)) {
        host.ShowErrorBox(hr, SplitText(kIdsPlugin).c_str(), MB_ICONEXCLAMATION);
        return hr;
    }
    ComRef<IBaseFilter> finder;
    hr = CreateModuleObject("KvSFndSp.dll", CLSID_KvSFndSp, IID_IBaseFilter, finder.OutVoid());
    if (SUCCEEDED(hr) && !finder)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = render.AddTerminal(finder.Get());
    if (FAILED(hr)) {
        AfxMessageBox(SplitText(kIdsPluginLoadFailed).c_str(), MB_OK | MB_ICONSTOP);
        return hr;
    }
    render.Worker()->SetSourceOptionA(100);
    render.Worker()->SetSourceOptionB(16);
    ComRef<ISilenceFinderSettings> settings;
    if (FAILED(finder->QueryInterface(__uuidof(ISilenceFinderSettings), settings.OutVoid()))) {
        host.ShowErrorBox(kPluginNotSupported, SplitText(kIdsPlugin).c_str(), MB_ICONEXCLAMATION);
        return kPluginNotSupported;
    }
    settings->SetDetection(static_cast<LONG>(m_valueMs), m_levelA, m_levelB);
    hr = render.Run(window);
    if (SUCCEEDED(hr)) {
        std::vector<int64_t> middles = SilenceMiddles(settings.Get());
        if (m_cutPositions)
            *m_cutPositions = std::move(middles);
        else if (!middles.empty())
            hr = ApplySplitCuePoints(document, middles, m_removeCues);
    } else if (hr != kRenderCancelled) {
        host.ShowErrorBox(hr, SplitText(kIdsPlugin).c_str(), MB_ICONEXCLAMATION);
    }
    return hr;
}
