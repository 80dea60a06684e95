#include "GraphicEqParams.h"

#include "IGraphicEq.h"

#include <vfwmsgs.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace geq {

const int32_t kPresets[kPresetCount][kParamCount] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},               // Default
    {40, 50, 30, -10, -30, -20, -10, 20, 60, 50, 0, 0}, // Rock
    {12, 0, 0, 15, 17, 25, 23, 17, 15, 15, 0, 0},       // Jazz
    {-10, -11, 0, 22, 38, 40, 44, 22, -16, 6, 0, 0},    // Classical
    {72, 43, 28, -5, -40, 5, 38, 61, 70, 70, 0, 0},     // Disco
    {8, 12, 0, 0, 15, 30, 22, 10, 5, 5, 0, 0},          // Vocal
    {120, 60, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0},           // Low Boost
    {-180, -120, -60, 0, 0, 0, 0, 0, 0, 0, 0, 0},       // Low Cut
    {0, 0, 0, 10, 30, 60, 60, 20, 0, 0, 0, 0},          // Middle Boost
    {0, 0, 0, -30, -60, -120, -60, -30, 0, 0, 0, 0},    // Middle Cut
    {0, 0, 0, 0, 0, 0, 20, 40, 80, 120, 0, 0},          // High Boost
    {0, 0, 0, 0, 0, 0, -20, -40, -80, -120, 0, 0},      // High Cut
};
const unsigned kPresetNameIds[kPresetCount] = {4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16};

namespace {

int ClampParam(int index, int value)
{
    if (index == kModeIndex)
        return value > 0 ? 1 : 0;
    return std::clamp(value, kGainMin, kGainMax);
}

HRESULT ReadExactly(IStream* stream, void* data, ULONG size)
{
    ULONG read = 0;
    HRESULT hr = stream->Read(data, size, &read);
    if (FAILED(hr))
        return hr;
    return read == size ? S_OK : E_FAIL;
}

} // namespace

HINSTANCE ModuleInstance()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
    return module;
}

GraphicEqParams::GraphicEqParams()
{
    for (auto& v : m_block)
        v.store(0);
}

GraphicEqParams::~GraphicEqParams() = default;

void GraphicEqParams::Set(int index, int value)
{
    if (index < 0 || index >= kParamCount)
        return;
    value = ClampParam(index, value);
    AutoLock lock(m_lock);
    if (m_block[index].load() != value) {
        m_block[index].store(value);
        m_changed = 1;
        m_dirty = 1;
    }
}

void GraphicEqParams::GetAll(int32_t block[kParamCount]) const
{
    AutoLock lock(m_lock);
    for (int i = 0; i < kParamCount; ++i)
        block[i] = m_block[i].load();
}

void GraphicEqParams::SetAll(const int32_t block[kParamCount])
{
    AutoLock lock(m_lock);
    for (int i = 0; i < kParamCount; ++i)
        m_block[i].store(ClampParam(i, block[i]));
    m_changed = 1;
    m_dirty = 1;
}

HRESULT GraphicEqParams::SelectPreset(unsigned index)
{
    if (index >= unsigned(kPresetCount))
        return E_INVALIDARG;
    SetAll(kPresets[index]);
    return S_OK;
}

HRESULT GraphicEqParams::GetPresetName(HINSTANCE module, unsigned index, wchar_t* name, int length)
{
    if (index >= unsigned(kPresetCount) || !name || length <= 0)
        return E_INVALIDARG;
    char ansi[256] = {};
    LoadStringA(module, kPresetNameIds[index], ansi, sizeof ansi);
    wchar_t wide[256] = {};
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 256);
    const size_t n = std::min(wcslen(wide), size_t(length) - 1);
    std::memcpy(name, wide, n * sizeof(wchar_t));
    name[n] = L'\0';
    return S_OK;
}

HRESULT GraphicEqParams::Save(IStream* stream, bool clearDirty)
{
    if (!stream)
        return E_POINTER;
    unsigned char record[kRecordSize];
    const uint32_t size = kRecordSize;
    std::memcpy(record, &size, 4);
    std::memcpy(record + 4, &__uuidof(IGraphicEq), 16);
    for (int i = 0; i < kParamCount; ++i) {
        const int32_t v = m_block[i].load();
        std::memcpy(record + 20 + 4 * i, &v, 4);
    }
    ULONG written = 0;
    HRESULT hr = stream->Write(record, 20, &written);
    if (SUCCEEDED(hr))
        hr = stream->Write(record + 20, kRecordSize - 20, &written);
    if (FAILED(hr))
        return hr;
    m_dirty = clearDirty ? 0 : 1;
    return S_OK;
}

HRESULT GraphicEqParams::Load(IStream* stream)
{
    if (!stream)
        return E_POINTER;
    unsigned char head[20];
    HRESULT hr = ReadExactly(stream, head, sizeof head);
    if (FAILED(hr))
        return hr;
    uint32_t size;
    std::memcpy(&size, head, 4);
    if (size != kRecordSize || std::memcmp(head + 4, &__uuidof(IGraphicEq), 16) != 0)
        return E_FAIL;
    int32_t block[kParamCount];
    hr = ReadExactly(stream, block, sizeof block);
    if (FAILED(hr))
        return hr;
    SetAll(block);
    NotifyWindows(kNotifyLoaded);
    return S_OK;
}

HRESULT GraphicEqParams::SetNotifyWindow(HWND window, int id)
{
    if (id == 0) // 0 marks a free entry; it cannot name a window
        return window ? E_INVALIDARG : S_OK;
    AutoLock lock(m_lock);
    NotifyEntry* entry = nullptr;
    NotifyEntry* lastEmpty = nullptr;
    for (auto& e : m_notify) {
        if (e.id == id) {
            entry = &e;
            break;
        }
        if (e.id == 0)
            lastEmpty = &e;
    }
    if (!entry) {
        if (!window)
            return S_OK; // nothing registered under this id
        entry = lastEmpty;
        if (!entry)
            return E_OUTOFMEMORY;
    }
    entry->window = window;
    entry->id = window ? id : 0;
    return S_OK;
}

void GraphicEqParams::NotifyWindows(int code)
{
    AutoLock lock(m_lock);
    for (auto& e : m_notify) {
        if (!e.window)
            continue;
        if (IsWindow(e.window)) {
            PostMessageW(e.window, WM_COMMAND, WPARAM((unsigned(code) << 16) | (unsigned(e.id) & 0xFFFF)), 0);
        } else {
            e.window = nullptr;
            e.id = 0;
        }
    }
}

void GraphicEqParams::SetPinFormat(int pin, const WaveFormat* format)
{
    AutoLock lock(m_lock);
    if (pin == 0)
        m_inputFormat = format;
    else if (pin == 1)
        m_outputFormat = format;
}

void GraphicEqParams::StorePinFormat(int pin, WaveFormat& record, const WaveFormat& value)
{
    AutoLock lock(m_lock);
    record = value;
    if (pin == 0)
        m_inputFormat = &record;
    else if (pin == 1)
        m_outputFormat = &record;
}

HRESULT GraphicEqParams::GetConnectionFormat(void* format20, int pin) const
{
    if (!format20)
        return E_POINTER;
    AutoLock lock(m_lock);
    const WaveFormat* f = pin == 0 ? m_inputFormat : pin == 1 ? m_outputFormat : nullptr;
    if (!f || f->formatTag == 0)
        return VFW_E_NOT_CONNECTED;
    std::memcpy(format20, f, 20);
    return S_OK;
}

bool GraphicEqParams::FetchChanges(int32_t block[kParamCount])
{
    AutoLock lock(m_lock);
    for (int i = 0; i < kParamCount; ++i)
        block[i] = m_block[i].load();
    const bool changed = m_changed != 0;
    m_changed = 0;
    return changed;
}

void GraphicEqParams::UpdateEngineGains(const int32_t block[kParamCount])
{
    for (int i = 0; i <= kMasterIndex; ++i)
        m_engineGains[i] = float(block[i]) * 0.1f;
    m_engineMode = block[kModeIndex];
    m_settingsTaken = true;
}

HRESULT GraphicEqParams::CreateEngine(const WaveFormat* input, const WaveFormat* output)
{
    if (!input || !output)
        return E_POINTER;
    m_inputFormat = input;
    m_outputFormat = output;
    int32_t block[kParamCount];
    FetchChanges(block);
    UpdateEngineGains(block);
    m_engine.reset();
    try {
        m_engine = std::make_unique<EqEngine>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_engine->Prepare(*input, *output);
    return S_OK;
}

int GraphicEqParams::Process(int code, const void* src, size_t frames, void* dst, size_t* outFrames)
{
    const EqChunk chunk = static_cast<EqChunk>(code);
    TakeSettings(chunk);
    *outFrames = RunEngine(src, frames, dst);
    return chunk == EqChunk::EndOfStream ? 1 : 0;
}

void GraphicEqParams::TakeSettings(EqChunk chunk)
{
    if (!m_engine)
        return;
    int32_t block[kParamCount];
    if (FetchChanges(block) || !m_settingsTaken)
        UpdateEngineGains(block);
    m_engine->SetMode(m_engineMode == 1);
    m_engine->SetBandGains(m_engineGains);
    m_engine->SetMasterGain(m_engineGains[kMasterIndex]);
    m_engine->SetDrain(chunk == EqChunk::EndOfStream);
}

size_t GraphicEqParams::RunEngine(const void* src, size_t frames, void* dst)
{
    return m_engine ? m_engine->Process(src, frames, dst) : 0;
}

void GraphicEqParams::ReformatEngine()
{
    if (m_engine && m_inputFormat && m_outputFormat)
        m_engine->Prepare(*m_inputFormat, *m_outputFormat);
}

void GraphicEqParams::ResetEngine()
{
    if (m_engine)
        m_engine->Reset();
}

size_t GraphicEqParams::MaxOutputFrames(size_t frames) const
{
    return m_engine ? m_engine->MaxOutputFrames(frames) : 0;
}

} // namespace geq
