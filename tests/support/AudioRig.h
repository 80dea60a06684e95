// The audio tests' rig: they run in the audio Wine prefix against a private sound server
// whose default sink is a null sink and default source its monitor (scripts/pulse-null.sh).
// Facts of that path the rig is built on: waveOut keeps a stream whole only while a waveIn is
// open in the same process, so the capture opens first, at program start, and the tests wait
// for its first buffer; capture starts 1.3-1.8 s after waveInStart; each played stream loses
// a fixed ~15 ms at its start (15-30 ms seen under load); a pause resumes within +-8 ms of
// where it stopped. Under load two things go wrong below the program, seen with its output
// queue full: the server's playback runs dry for 15-120 ms (silence, then the stream goes on,
// having skipped up to the silence's length), and the capture drops 5-50 ms (the frames go on
// with no silence: only the clock shows it). KV_RIG_DUMP=1 in the environment prints the ramp
// pieces and stalls found.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <functional>
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
    // Frames the capture dropped between frames from and to, measured against the clock: a
    // buffer comes late but never early, so the least lag of the buffers after a frame is its
    // lag plus what was dropped before it. 0 below 3 ms (the clock's jitter); at gets the first
    // frame after the largest drop. Reliable once a few hundred ms have been captured past to.
    LONGLONG LostFrames(LONGLONG from, LONGLONG to, LONGLONG* at = nullptr);
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
    // When each buffer came (performance counter) and the frames captured with it.
    struct Arrival {
        LONGLONG ticks;
        LONGLONG frames;
    };
    std::vector<Arrival> arrivals_;
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
// Frames of channel ch from the first to the last sample above threshold (full scale 1), less
// every break of more than 5 ms without one (a tone's zero crossings count as sound).
LONGLONG SoundingFrames(const std::vector<int16_t>& stereo, int ch, double threshold);
// First frame of channel ch above threshold, or -1.
LONGLONG FirstSound(const std::vector<int16_t>& stereo, int ch, double threshold);

// " (the capture lost N ms at frame F ...)" when the capture dropped frames in [from, to), else
// "": for the message of a check that fails on what was heard there.
std::string CaptureLossNote(LONGLONG from, LONGLONG to);
// Writes interleaved stereo frames as a WAV file (the rig's format).
bool SaveWav(const std::string& path, const std::vector<int16_t>& stereo);

// The longest stretch of channel ch with no silence of 1 ms or more inside (threshold as for
// SoundingFrames): where a measure of a steady sound is clear of the server's stalls.
struct Stretch {
    LONGLONG start;
    LONGLONG frames;
};
Stretch LongestSounding(const std::vector<int16_t>& stereo, int ch, double threshold);
// The amplitude of frequency hz in channel ch over up to most frames (whole milliseconds) amid
// that stretch (threshold 0.05): a steady tone measured clear of the server's stalls. 0 when the
// stretch holds less than most / 2.
double ClearToneAmplitude(const std::vector<int16_t>& stereo, int ch, double hz, LONGLONG most);

// A ramp that names its own position: value(t) = 0.1 + 0.8 t / length (full scale 1).
std::vector<int16_t> PositionRamp(LONGLONG length);
// The captured ramp split where it jumps or falls silent; each piece with the positions its
// first and last frames name, fitted over up to 480 frames at either end. Pieces parted by a
// stall of the server's playback are one piece when the ramp goes on with the very next position
// after a silence of at most kMostStall (a longer one is a pause).
constexpr LONGLONG kMostStall = kRate / 5; // 120 ms seen; a pause in the tests lasts 400 ms
struct RampPiece {
    LONGLONG captureStart; // frame of the capture
    LONGLONG captureEnd;   // one past its last frame
    LONGLONG frames;       // sounding frames
    double firstPosition;
    double lastPosition;
    int stalls = 0;       // stalls of the server inside
    LONGLONG skipped = 0; // positions those stalls skipped
    LONGLONG dropped = 0; // positions the capture dropped inside (see JoinDrops)
};
std::vector<RampPiece> RampPieces(const std::vector<int16_t>& stereo, int ch, LONGLONG length);
// Joins the pieces RampPieces gives across the stalls that skip: after a silence of at most
// kMostStall the server went on at most the silence's length further on the ramp (skipping=false:
// only with the very next position). Where an engine's output reports no underrun, the skipped
// positions were played to the server.
std::vector<RampPiece> JoinStalls(const std::vector<RampPiece>& pieces, bool skipping = true);
// Joins the pieces parted by a drop of the capture: the ramp goes on with no silence between,
// further by what lostNear(capture frame) says the capture lost around there (within 3 ms).
std::vector<RampPiece> JoinDrops(const std::vector<RampPiece>& pieces,
                                 const std::function<LONGLONG(LONGLONG)>& lostNear);
// RampPieces of the capture's frames [from, to), joined across the server's stalls and the
// capture's drops.
std::vector<RampPiece> HeardRamp(LONGLONG from, LONGLONG to, LONGLONG length);

} // namespace rig
