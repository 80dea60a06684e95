// GraphicEqParams: the equaliser's parameter state, shared by the user-interface thread
// (the program's dialog and the pages, through IGraphicEq) and the filter's streaming thread.
// Setters, GetAll/SetAll, FetchChanges and the notification table hold one critical section;
// single-value getters read a 32-bit value without it. The streaming side takes a copy of the
// block at each chunk (FetchChanges), so a change applies from the next chunk on.
#pragma once
#include "EqEngine.h"
#include "EqWaveFormat.h"
#include "Lock.h"

#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <cstdint>
#include <memory>

namespace geq {

constexpr int kParamCount = 12; // bands 1-10, master, mode
constexpr int kMasterIndex = 10;
constexpr int kModeIndex = 11;
constexpr int kGainMin = -600; // 0.1 dB
constexpr int kGainMax = 200;
constexpr int kPresetCount = 12;
constexpr int kNotifySlots = 4;
constexpr uint32_t kRecordSize = 68;
constexpr int kNotifyLoaded = 100; // code posted after Load

// What a chunk handed to the engine is to its stream; the values are Process's codes.
enum class EqChunk : int {
    AfterDiscontinuity = 0, // the first chunk after a gap (the engine treats it as Continuing)
    Continuing = 1,         // the next chunk of the stream
    EndOfStream = 2,        // no input: the frames the FIR delay still owes are drained
};

// Gains of the twelve presets (bands 1-10, master, mode) and the string ids of their names.
extern const int32_t kPresets[kPresetCount][kParamCount];
extern const unsigned kPresetNameIds[kPresetCount];

class GraphicEqParams {
public:
    GraphicEqParams();
    ~GraphicEqParams();
    GraphicEqParams(const GraphicEqParams&) = delete;
    GraphicEqParams& operator=(const GraphicEqParams&) = delete;

    // index 0..11; no lock.
    int Get(int index) const { return m_block[index].load(std::memory_order_relaxed); }
    // Clamps (gains to -600..200, the mode to 0..1) and stores when different.
    void Set(int index, int value);
    int SampleRate() const { return m_sampleRate.load(std::memory_order_relaxed); }
    void SetSampleRate(int rate) { m_sampleRate.store(rate, std::memory_order_relaxed); }
    void GetAll(int32_t block[kParamCount]) const;
    // Copies the block in, clamped; marks changed and dirty even when nothing differs.
    void SetAll(const int32_t block[kParamCount]);
    // E_INVALIDARG for an index above 11.
    HRESULT SelectPreset(unsigned index);
    // Name from the string table of `module`; E_INVALIDARG for an index above 11 or no buffer.
    static HRESULT GetPresetName(HINSTANCE module, unsigned index, wchar_t* name, int length);

    bool IsDirty() const { return m_dirty.load() != 0; }
    bool IsChanged() const { return m_changed.load() != 0; }
    // The 68-byte record: size, the IGraphicEq identifier, the block.
    HRESULT Save(IStream* stream, bool clearDirty);
    HRESULT Load(IStream* stream);

    // Notification table of four (window, id) entries.
    HRESULT SetNotifyWindow(HWND window, int id);
    void NotifyWindows(int code);

    // Pin formats: 0 input, 1 output (pointers into the filter, null while unset).
    void SetPinFormat(int pin, const WaveFormat* format);
    // Writes a pin's format record under the lock (GetConnectionFormat reads it from other
    // threads) and records it as that pin's format.
    void StorePinFormat(int pin, WaveFormat& record, const WaveFormat& value);
    // Copies the first 20 bytes of a pin's format; VFW_E_NOT_CONNECTED when unset or pin unknown.
    HRESULT GetConnectionFormat(void* format20, int pin) const;

    // Streaming side.
    bool FetchChanges(int32_t block[kParamCount]);
    void UpdateEngineGains(const int32_t block[kParamCount]);
    // (Re)creates the engine for a run; E_OUTOFMEMORY when it cannot be allocated.
    HRESULT CreateEngine(const WaveFormat* input, const WaveFormat* output);
    // Runs one chunk (code: an EqChunk value); writes the frames produced to *outFrames.
    // Returns 1 at end of stream, else 0. Same as TakeSettings then RunEngine.
    int Process(int code, const void* src, size_t frames, void* dst, size_t* outFrames);
    // Hands the latest parameters, and the drain at end of stream, to the engine for the next chunk.
    void TakeSettings(EqChunk chunk);
    // Filters one chunk with the settings taken; returns the frames written.
    size_t RunEngine(const void* src, size_t frames, void* dst);
    // Most frames RunEngine of `frames` frames can write with the settings taken (0 without engine).
    size_t MaxOutputFrames(size_t frames) const;
    // Gives the engine the pin formats again after they changed mid-stream; clears its state.
    void ReformatEngine();
    // Clears the engine's filter state (a flush): no frame owed from before is delivered.
    void ResetEngine();

private:
    mutable CritSec m_lock;
    std::atomic<int32_t> m_block[kParamCount];
    std::atomic<int> m_changed{1};
    std::atomic<int> m_dirty{0};
    struct NotifyEntry {
        HWND window;
        int id;
    } m_notify[kNotifySlots] = {};
    const WaveFormat* m_inputFormat = nullptr;
    const WaveFormat* m_outputFormat = nullptr;
    bool m_settingsTaken = false;
    float m_engineGains[kBandCount + 1] = {};
    int m_engineMode = 0;
    std::atomic<int> m_sampleRate{44100};
    std::unique_ptr<EqEngine> m_engine;
};

// The module holding this code (the DLL, or a test program that links it).
HINSTANCE ModuleInstance();

} // namespace geq
