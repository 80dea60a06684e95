// KvSDivFl.dll: the file divider on the kit's renderer, and its page.
#include "DividerPlan.h"
#include "EffectFilter.h"
#include "EffectModule.h"
#include "EffectPage.h"
#include "EffectRenderer.h"
#include "KvSDivFl.h"
#include "KvSSException.h"
#include "RegionFile.h"

#include <ocidl.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace {

using namespace fxkit;

const wchar_t* const kSampleTypes[] = {L"8-bit PCM",  L"16-bit PCM",   L"24-bit PCM",
                                       L"32-bit PCM", L"32-bit float", nullptr};
const wchar_t* const kHeaders[] = {L"Standard", L"Extensible", nullptr};
const ParamInfo kParams[kDividerParamCount] = {
    {L"Sample type", L"", 0, 4, 1, 0, kSampleTypes},
    {L"WAV header", L"", 0, 1, 0, 0, kHeaders},
};
const PageInfo kPages[] = {{&CLSID_KvSDivFlPage, L"Split Files", 0, kDividerParamCount}};
const EffectInfo kInfo = {
    &CLSID_KvSDivFl, kParams, kDividerParamCount, nullptr, 0, kPages, 1, 1, 0, kMono | kStereo | kSix, 0,
    false,           nullptr};

constexpr DWORD kNoChannelWord = 0x80000000;
constexpr int kBitsOfType[] = {8, 16, 24, 32, 32};

// What a run writes, copied from the settings when it begins.
struct DividerSettings {
    std::set<int64_t> cuts;
    std::string base;
    WORD formatWord = 0;
    LONG formatId = 0;
    DWORD channelWord = kNoChannelWord;
    double values[kDividerParamCount] = {1, 0};
};

int BitCount(DWORD v)
{
    int n = 0;
    for (; v; v &= v - 1)
        ++n;
    return n;
}

// How the samples lie in a file of the format, for the stream's rate and channels.
StoredFormat StoredFor(fx::DividerFormat format, const DividerSettings& s, const WaveFormat& stream)
{
    const int type = int(s.values[kDividerSampleType]);
    const bool isFloat = type == 4;
    WORD bits = WORD(kBitsOfType[type]);
    if (bits == 24 && s.formatWord == 20)
        bits = 20; // the document holds 20 significant bits: say so in the file
    const DWORD usual = DefaultChannelMask(stream.channels);
    const DWORD mask =
        s.channelWord != kNoChannelWord && BitCount(s.channelWord) == stream.channels ? s.channelWord : usual;
    if (format == fx::DividerFormat::Au) {
        StoredFormat f;
        f.coding = isFloat ? Coding::FloatBE : Coding::PcmBE;
        f.channels = stream.channels;
        f.rate = stream.samplesPerSec;
        f.containerBits = f.validBits = bits == 20 ? 24 : bits;
        f.signed8 = true;
        return f;
    }
    const LONG fileType = format == fx::DividerFormat::Aiff ? kTypeAiff : kTypeWav;
    const bool extensible = s.values[kDividerWavHeader] != 0 || mask != usual;
    return FormatForWrite(fileType, stream.channels, stream.samplesPerSec, bits,
                          isFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM, mask, extensible);
}

class FileDivider
    : public RendererObject<EffectRenderer, IFileDividerSettings, IEffectParameters, ISpecifyPropertyPages> {
public:
    FileDivider()
    {
        SetClassId(CLSID_KvSDivFl);
        SetChannels(kInfo.inputChannels);
    }

    // IFileDividerSettings
    STDMETHODIMP AddSplitPoint(LONGLONG frame) override
    {
        if (frame <= 0)
            return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings.cuts.insert(frame);
        return S_OK;
    }
    STDMETHODIMP Reserved4() override { return E_NOTIMPL; }
    STDMETHODIMP SetOutputBase(const char* base) override
    {
        if (!base)
            return E_POINTER;
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings.base = base;
        return S_OK;
    }
    STDMETHODIMP SetFormatWord(WORD bits) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings.formatWord = bits;
        return S_OK;
    }
    STDMETHODIMP SetFormatId(LONG id) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings.formatId = id;
        return S_OK;
    }
    STDMETHODIMP SetProgressText(const char* text) override
    {
        if (!text)
            return E_POINTER;
        std::lock_guard<std::mutex> lock(m_lock);
        m_progressText = text;
        return S_OK;
    }
    STDMETHODIMP Reserved9() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved10() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved11() override { return E_NOTIMPL; }
    STDMETHODIMP SetOutputFormat(const WAVEFORMATEX* format) override
    {
        if (!format)
            return E_POINTER;
        WaveFormat f;
        std::memcpy(static_cast<void*>(&f), format,
                    format->wFormatTag == WAVE_FORMAT_EXTENSIBLE ? sizeof(WaveFormat) : sizeof(WAVEFORMATEX) - 2);
        if (!f.IsPcmOrFloat())
            return E_INVALIDARG;
        const int bits = f.bitsPerSample;
        const int type = f.IsFloat() ? 4 : bits <= 8 ? 0 : bits <= 16 ? 1 : bits <= 24 ? 2 : 3;
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings.values[kDividerSampleType] = type;
        m_settings.values[kDividerWavHeader] = f.IsExtensible() ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP_(LONG) GetSplitCount() override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return LONG(m_settings.cuts.size());
    }
    STDMETHODIMP Reserved14() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved15() override { return E_NOTIMPL; }
    STDMETHODIMP Reserved16() override { return E_NOTIMPL; }
    STDMETHODIMP_(LONG) CanWrite() override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return fx::DividerFormatOf(m_settings.formatId) != fx::DividerFormat::None && !m_settings.base.empty();
    }
    STDMETHODIMP SetChannelWord(DWORD mask) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings.channelWord = mask;
        return S_OK;
    }

    // IEffectParameters: the page's values.
    STDMETHODIMP GetParameterCount(int* count) override
    {
        if (!count)
            return E_POINTER;
        *count = kDividerParamCount;
        return S_OK;
    }
    STDMETHODIMP GetParameter(int index, double* value) override
    {
        if (!value)
            return E_POINTER;
        if (index < 0 || index >= kDividerParamCount)
            return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(m_lock);
        *value = m_settings.values[index];
        return S_OK;
    }
    STDMETHODIMP SetParameter(int index, double value) override
    {
        if (index < 0 || index >= kDividerParamCount)
            return E_INVALIDARG;
        const double v = ClampParam(kParams[index], value);
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings.values[index] = v;
        return std::fabs(v - value) > 1e-9 ? S_FALSE : S_OK;
    }
    STDMETHODIMP GetParameterRange(int index, double* minimum, double* maximum) override
    {
        if (!minimum || !maximum)
            return E_POINTER;
        if (index < 0 || index >= kDividerParamCount)
            return E_INVALIDARG;
        *minimum = kParams[index].minimum;
        *maximum = kParams[index].maximum;
        return S_OK;
    }

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override
    {
        if (!pages)
            return E_POINTER;
        pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
        if (!pages->pElems)
            return E_OUTOFMEMORY;
        pages->pElems[0] = CLSID_KvSDivFlPage;
        pages->cElems = 1;
        return S_OK;
    }

protected:
    HRESULT BeginRun() override
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_run = m_settings;
        }
        m_format = fx::DividerFormatOf(m_run.formatId);
        m_plan = fx::RegionPlan(m_run.cuts);
        m_stored = StoredFor(m_format == fx::DividerFormat::None ? fx::DividerFormat::Raw : m_format, m_run, Format());
        m_region = 0;
        m_frame = 0;
        m_file.reset();
        return S_OK; // what cannot be written fails at the first sample, as the run's error
    }
    HRESULT RenderFrames(const uint8_t* data, size_t frames) override
    {
        try {
            const size_t block = Format().blockAlign;
            while (frames > 0) {
                const uint64_t n = m_plan.FramesLeftIn(m_region, m_frame, frames);
                if (n == 0) {
                    CloseRegion();
                    continue;
                }
                if (!m_file)
                    OpenRegion();
                m_file->Write(data, size_t(n));
                data += n * block;
                frames -= size_t(n);
                m_frame += int64_t(n);
            }
            return S_OK;
        } catch (const CKvSSException& e) {
            return e.m_hr;
        }
    }
    HRESULT EndRun() override
    {
        try {
            if (m_format == fx::DividerFormat::None)
                return E_NOTIMPL; // an empty stream of a format not written here fails all the same
            CloseRegion();
            return S_OK;
        } catch (const CKvSSException& e) {
            return e.m_hr;
        }
    }
    void AbortRun() override { m_file.reset(); }

private:
    void OpenRegion()
    {
        if (m_format == fx::DividerFormat::None || m_run.base.empty())
            throw CKvSSException(E_NOTIMPL);
        const Storage from = Format().IsFloat() ? Storage::F32 : Storage::S16;
        m_file = std::make_unique<RegionFile>(fx::RegionFileName(m_run.base, m_region + 1, m_format), m_format,
                                              m_stored, from);
    }
    // The region ends: its file (when it has one) becomes whole; the next region begins.
    void CloseRegion()
    {
        if (m_file) {
            m_file->Commit();
            m_file.reset();
        }
        ++m_region;
    }

    std::mutex m_lock; // the settings, against the streaming thread
    DividerSettings m_settings;
    std::string m_progressText;
    // The run, on the streaming thread.
    DividerSettings m_run;
    fx::DividerFormat m_format = fx::DividerFormat::Wav;
    fx::RegionPlan m_plan;
    StoredFormat m_stored;
    int m_region = 0;
    int64_t m_frame = 0;
    std::unique_ptr<RegionFile> m_file;
};

const kvcom::ClassEntry kClasses[] = {
    {&CLSID_KvSDivFl, kvcom::CreateInstanceOf<FileDivider>},
    {&CLSID_KvSDivFlPage, kvcom::CreateInstanceOf<EffectPageOf<&kInfo, 0>>},
};

} // namespace

KV_EFFECT_MODULE_EXPORTS(kClasses)
