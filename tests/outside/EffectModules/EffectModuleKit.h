// The effect modules under test, one row each, loaded by file name as the program loads them;
// signals, wave formats and a graph of the platform's graph manager (test source -> module ->
// test renderer) shared by the module tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <mmreg.h>
#include <ocidl.h>
#include <strmif.h>

#include "ComObject.h"
#include "ComRef.h"
#include "EffectKernel.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace fxtest {

constexpr unsigned kMono = 1u << 1, kStereo = 1u << 2, kSix = 1u << 6;

struct ModuleRow {
    const char* dll;
    CLSID clsid;
    int pages;
    int params;
    int presets;
    unsigned inputs;    // channel counts accepted
    int outputChannels; // 0: as the input
    unsigned short need;
    bool twoPass;
    std::unique_ptr<fxkit::EffectKernel> (*kernel)();
    // A setting that makes the effect audible: (index, value) pairs.
    std::vector<std::pair<int, double>> settings;
    // Sets the measuring mode through the effect's own interface (two-pass effects).
    HRESULT (*setMeasuringMode)(IUnknown* filter, int mode);
};

// Every module of the table, in effect-table order.
const std::vector<ModuleRow>& Modules();
// The sound generators (sources: no input, no kernel), in effect-table order.
const std::vector<ModuleRow>& Generators();
// Get Noise Profile and Remove Noise (their streams need a work folder and a profile).
const std::vector<ModuleRow>& ProfileModules();
// The renderers that end a render chain (silence finder, file divider): no output, no kernel.
const std::vector<ModuleRow>& Renderers();
std::string RowName(const ModuleRow& row);

// The module's class object for clsid (loads the DLL once per process).
HRESULT GetClassObject(const ModuleRow& row, REFCLSID clsid, REFIID iid, void** ppv);
template <class I>
ComRef<I> Create(const ModuleRow& row, REFCLSID clsid)
{
    IClassFactory* factory = nullptr;
    if (FAILED(GetClassObject(row, clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return ComRef<I>();
    I* object = nullptr;
    factory->CreateInstance(nullptr, __uuidof(I), reinterpret_cast<void**>(&object));
    factory->Release();
    return ComRef<I>(object);
}
template <class I>
ComRef<I> Query(IUnknown* object)
{
    I* p = nullptr;
    if (object)
        object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(&p));
    return ComRef<I>(p);
}
ComRef<IBaseFilter> CreateFilter(const ModuleRow& row);
// Applies the row's settings through IEffectParameters.
void ApplySettings(IUnknown* filter, const ModuleRow& row);

// A property page site that applies `page` at once on every status change, as the program's
// effect dialogs do (null: it only counts); `changes` counts the changes that made the page dirty.
class ApplyingSite : public ComObject<IPropertyPageSite> {
public:
    IPropertyPage* page = nullptr;
    int changes = 0;
    STDMETHODIMP OnStatusChange(DWORD flags) override
    {
        if (flags & PROPPAGESTATUS_DIRTY)
            ++changes;
        return page ? page->Apply() : S_OK;
    }
    STDMETHODIMP GetLocaleID(LCID* id) override
    {
        *id = GetThreadLocale();
        return S_OK;
    }
    STDMETHODIMP GetPageContainer(IUnknown**) override { return E_FAIL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
};

// Interleaved float test signals, full scale 1.0.
std::vector<float> Sine(double freq, double amplitude, double rate, size_t frames, int channels);
std::vector<float> Noise(size_t frames, int channels, double amplitude, unsigned seed);

WAVEFORMATEXTENSIBLE Wave(bool isFloat, int channels, DWORD rate = 44100, bool extensible = false);
std::vector<uint8_t> ToBytes(const std::vector<float>& v, bool isFloat);
std::vector<float> FromBytes(const std::vector<uint8_t>& b, bool isFloat);

// The filter's values, read through IEffectParameters.
std::vector<double> ValuesOf(IUnknown* filter);

// Runs bytes through source -> filter -> renderer; the renderer's bytes (empty when the
// graph could not connect, *connect holds why).
std::vector<uint8_t> RunGraph(IBaseFilter* filter, const WAVEFORMATEXTENSIBLE& w, const std::vector<uint8_t>& in,
                              size_t chunkFrames = 4410, HRESULT* connect = nullptr, WAVEFORMATEX* outFormat = nullptr);

// What the kernel makes of the input with the row's settings, latency removed and drained,
// its tail after the input (or stretched to its length).
std::vector<float> KernelOutput(fxkit::EffectKernel& kernel, const std::vector<float>& in, int inChannels,
                                int outChannels, const double* values, double rate = 44100);

// Level of a tone in one channel (by correlation), and the peak of a channel.
double ToneAmplitude(const std::vector<float>& v, int channels, int channel, double freq, double rate, size_t from,
                     size_t count);
double Peak(const std::vector<float>& v, int channels, int channel);
inline double Db(double x)
{
    return 20.0 * std::log10(x);
}

} // namespace fxtest
