// The audio tests' rig: they run in the audio Wine prefix against a private sound server
// whose default sink is a null sink and default source its monitor (scripts/pulse-null.sh).
// Facts of that path the rig is built on: waveOut keeps a stream whole only while a waveIn is
// open in the same process, so the capture opens first, at program start, and the tests wait
// for its first buffer; capture starts 1.3-1.8 s after waveInStart; each played stream loses
// a fixed ~15 ms at its start (15-30 ms seen under load); a pause resumes within +-8 ms of
// where it stopped. KV_RIG_DUMP=1 in the environment prints the ramp pieces and stalls found.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rig {

constexpr DWORD kRate = 48000;
constexpr LONGLONG kStartLoss = kRate * 15 / 1000; // frames a stream loses at its start

// The rig's sound: stereo 16-bit PCM at kRate.
WAVEFORMATEX StereoFormat();

// The process's capture of the sink's monitor: stereo 16-bit at kRate, kept from the first
// buffer on.
class Capture {
public:
    static Capture& Get();
    // Waits (at most timeoutMs) until the first buffer has come.
    bool WaitRunning(DWORD timeoutMs);
    // Frames captured so far.
    LONGLONG Now();
    // Waits until frame `until` has been captured.
    bool WaitFor(LONGLONG until, DWORD timeoutMs);
    // Frames [from, to) as interleaved stereo.
    std::vector<int16_t> Take(LONGLONG from, LONGLONG to);
    // Stops capturing and closes the device (at the end of the program).
    void Close();

private:
    Capture();
    void Run();
    std::mutex lock_;
    std::vector<int16_t> frames_;
    HWAVEIN in_ = nullptr;
    HANDLE event_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::vector<std::vector<int16_t>> data_;
    std::vector<WAVEHDR> headers_;
};

// Plays interleaved stereo frames through the default waveOut device of the test itself.
class Feeder {
public:
    explicit Feeder(std::vector<int16_t> frames);
    ~Feeder();
    bool Ok() const { return out_ != nullptr; }
    // Waits until the whole buffer has been played.
    void Wait();

private:
    std::vector<int16_t> frames_;
    HWAVEOUT out_ = nullptr;
    HANDLE event_ = nullptr;
    WAVEHDR header_{};
};

// A message-only window that collects what is posted to it.
class NotifyWindow {
public:
    static constexpr UINT kMessage = WM_USER + 100;
    NotifyWindow();
    ~NotifyWindow();
    HWND Handle() const { return hwnd_; }
    // Pumps messages until a kMessage arrives (its code) or the time is up (false).
    bool Wait(DWORD timeoutMs, HRESULT* code);
    // Codes received so far.
    std::vector<HRESULT> Codes();
    void Pump(DWORD ms);

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    std::vector<HRESULT> codes_;
    size_t seen_ = 0;
};

// One setting of section "Settings" for the scope of a test, removed again afterwards.
class ScopedSetting {
public:
    ScopedSetting(const char* name, const char* text);
    ScopedSetting(const char* name, int value);
    ~ScopedSetting();

private:
    std::string name_;
};

// Signals and measures.
std::vector<int16_t> Tone(double hz, double amplitude, LONGLONG frames, int channels);
// Amplitude of the frequency component hz in channel ch of stereo frames (Goertzel).
double ToneAmplitude(const std::vector<int16_t>& stereo, int ch, double hz, size_t from, size_t count);
// Frames of channel ch whose 5 ms neighbourhood holds sound above threshold (full scale 1).
LONGLONG SoundingFrames(const std::vector<int16_t>& stereo, int ch, double threshold);
// First frame of channel ch above threshold, or -1.
LONGLONG FirstSound(const std::vector<int16_t>& stereo, int ch, double threshold);

// A ramp that names its own position: value(t) = 0.1 + 0.8 t / length (full scale 1).
std::vector<int16_t> PositionRamp(LONGLONG length);
// The captured ramp split where it jumps or falls silent; each piece with the positions its
// first and last frames name, fitted over up to 480 frames at either end. Pieces whose
// positions join exactly are one piece (a stall of the server; see RampPieces).
struct RampPiece {
    LONGLONG captureStart; // frame of the capture
    LONGLONG captureEnd;   // one past its last frame
    LONGLONG frames;       // sounding frames
    double firstPosition;
    double lastPosition;
};
std::vector<RampPiece> RampPieces(const std::vector<int16_t>& stereo, int ch, LONGLONG length);

} // namespace rig
