// KvSFndSp.dll: the silence finder on the kit's renderer.
#include "EffectFilter.h"
#include "EffectModule.h"
#include "EffectRenderer.h"
#include "KvSFndSp.h"
#include "SilenceDetector.h"

#include <mutex>
#include <vector>

namespace {

using namespace fxkit;

class SilenceFinder : public RendererObject<EffectRenderer, ISilenceFinderSettings> {
public:
    SilenceFinder()
    {
        SetClassId(CLSID_KvSFndSp);
        SetChannels(kMono | kStereo | kSix);
    }

    STDMETHODIMP_(LONG) GetCount() override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return LONG(m_found.size());
    }
    STDMETHODIMP_(LONGLONG) GetPosition(LONG index) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (index < 0 || size_t(index) >= m_found.size())
            return -1;
        return m_found[size_t(index)].start + m_found[size_t(index)].end;
    }
    STDMETHODIMP SetDetection(LONG durationMs, LONG levelA, LONG levelB) override
    {
        if (State() != State_Stopped)
            return VFW_E_NOT_STOPPED;
        const fx::SilenceSettings asked{int(durationMs), int(levelA), int(levelB)};
        const fx::SilenceSettings taken = fx::ClampSilenceSettings(asked);
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings = taken;
        return taken.durationMs == asked.durationMs && taken.levelA == asked.levelA && taken.levelB == asked.levelB
                   ? S_OK
                   : S_FALSE;
    }

protected:
    HRESULT BeginRun() override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_found.clear();
        m_detector.Prepare(double(Format().samplesPerSec), Format().channels, m_settings);
        return S_OK;
    }
    HRESULT RenderFrames(const uint8_t* data, size_t frames) override
    {
        m_detector.Feed(ToFloat(data, frames), frames);
        return S_OK;
    }
    HRESULT EndRun() override
    {
        m_detector.Finish();
        std::lock_guard<std::mutex> lock(m_lock);
        m_found = m_detector.Silences();
        return S_OK;
    }

private:
    std::mutex m_lock; // the settings and the answers, against the streaming thread
    fx::SilenceSettings m_settings;
    fx::SilenceDetector m_detector; // the streaming thread's
    std::vector<fx::Silence> m_found;
};

const kvcom::ClassEntry kClasses[] = {{&CLSID_KvSFndSp, kvcom::CreateInstanceOf<SilenceFinder>}};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
