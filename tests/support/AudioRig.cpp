#include "AudioRig.h"

#include "Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rig {

namespace {

// The capture opens before any test plays (see the header).
class CaptureEnvironment : public ::testing::Environment {
public:
    void SetUp() override { Capture::Get().WaitRunning(8000); }
    // A recording device still open while the process exits tears down the sound driver under
    // its own thread: close it first.
    void TearDown() override { Capture::Get().Close(); }
};
const auto* g_environment = ::testing::AddGlobalTestEnvironment(new CaptureEnvironment);

constexpr size_t kBufferFrames = kRate / 50; // 20 ms
constexpr double kPi = 3.14159265358979323846;

} // namespace

WAVEFORMATEX StereoFormat()
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = kRate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = kRate * 4;
    return f;
}

Capture& Capture::Get()
{
    static Capture* capture = new Capture; // lives as long as the process
    return *capture;
}

Capture::Capture()
{
    event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const WAVEFORMATEX f = StereoFormat();
    if (waveInOpen(&in_, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(event_), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        in_ = nullptr;
        return;
    }
    data_.assign(16, std::vector<int16_t>(kBufferFrames * 2));
    headers_.assign(16, WAVEHDR{});
    for (size_t i = 0; i < headers_.size(); ++i) {
        headers_[i].lpData = reinterpret_cast<LPSTR>(data_[i].data());
        headers_[i].dwBufferLength = static_cast<DWORD>(kBufferFrames * 4);
        waveInPrepareHeader(in_, &headers_[i], sizeof(WAVEHDR));
        waveInAddBuffer(in_, &headers_[i], sizeof(WAVEHDR));
    }
    waveInStart(in_);
    thread_ = std::thread([this] { Run(); });
}

void Capture::Close()
{
    if (!in_)
        return;
    stop_ = true;
    SetEvent(event_);
    thread_.join();
    waveInReset(in_);
    for (WAVEHDR& h : headers_)
        waveInUnprepareHeader(in_, &h, sizeof(WAVEHDR));
    waveInClose(in_);
    in_ = nullptr;
}

void Capture::Run()
{
    size_t next = 0;
    while (!stop_) {
        WaitForSingleObject(event_, 50);
        while (headers_[next].dwFlags & WHDR_DONE) {
            WAVEHDR& h = headers_[next];
            {
                std::lock_guard<std::mutex> guard(lock_);
                const int16_t* p = reinterpret_cast<const int16_t*>(h.lpData);
                frames_.insert(frames_.end(), p, p + h.dwBytesRecorded / 2);
                LARGE_INTEGER now;
                QueryPerformanceCounter(&now);
                arrivals_.push_back({now.QuadPart, static_cast<LONGLONG>(frames_.size() / 2)});
            }
            h.dwFlags &= ~WHDR_DONE;
            h.dwBytesRecorded = 0;
            waveInAddBuffer(in_, &h, sizeof(WAVEHDR));
            next = (next + 1) % headers_.size();
        }
    }
}

bool Capture::WaitRunning(DWORD timeoutMs)
{
    return in_ && WaitFor(1, timeoutMs);
}

LONGLONG Capture::Now()
{
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<LONGLONG>(frames_.size() / 2);
}

bool Capture::WaitFor(LONGLONG until, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (Now() < until) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}

std::vector<int16_t> Capture::Take(LONGLONG from, LONGLONG to)
{
    std::lock_guard<std::mutex> guard(lock_);
    LONGLONG have = static_cast<LONGLONG>(frames_.size() / 2);
    from = std::max<LONGLONG>(0, std::min(from, have));
    to = std::max(from, std::min(to, have));
    return std::vector<int16_t>(frames_.begin() + from * 2, frames_.begin() + to * 2);
}

LONGLONG Capture::LostFrames(LONGLONG from, LONGLONG to, LONGLONG* at)
{
    if (at)
        *at = -1;
    std::lock_guard<std::mutex> guard(lock_);
    if (arrivals_.empty())
        return 0;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    // Lag of each buffer behind the clock, in frames, and the least lag from it on.
    const size_t n = arrivals_.size();
    std::vector<double> least(n);
    double low = 1e300;
    for (size_t i = n; i-- > 0;) {
        const double passed = double(arrivals_[i].ticks - arrivals_.front().ticks) * kRate / double(frequency.QuadPart);
        low = std::min(low, passed - double(arrivals_[i].frames));
        least[i] = low;
    }
    auto index = [&](LONGLONG frame) {
        auto it = std::lower_bound(arrivals_.begin(), arrivals_.end(), frame,
                                   [](const Arrival& a, LONGLONG f) { return a.frames < f; });
        return std::min(static_cast<size_t>(it - arrivals_.begin()), n - 1);
    };
    const size_t a = index(from), b = index(to);
    const LONGLONG lost = static_cast<LONGLONG>(std::lround(least[b] - least[a]));
    if (lost < LONGLONG(kRate) * 3 / 1000)
        return 0;
    if (at) {
        double most = 0;
        for (size_t i = a + 1; i <= b; ++i)
            if (least[i] - least[i - 1] > most) {
                most = least[i] - least[i - 1];
                *at = arrivals_[i - 1].frames;
            }
    }
    return lost;
}

std::string CaptureLossNote(LONGLONG from, LONGLONG to)
{
    LONGLONG at = -1;
    const LONGLONG lost = Capture::Get().LostFrames(from, to, &at);
    if (lost == 0)
        return "";
    return " (the capture lost " + std::to_string(lost * 1000 / kRate) + " ms, most at frame " +
           std::to_string(at - from) + " of what was heard: the rig's loss, not the program's)";
}

bool SaveWav(const std::string& path, const std::vector<int16_t>& stereo)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const WAVEFORMATEX format = StereoFormat();
    const uint32_t data = static_cast<uint32_t>(stereo.size() * 2), riff = 36 + data, fmt = 16;
    bool ok = fwrite("RIFF", 1, 4, f) == 4 && fwrite(&riff, 4, 1, f) == 1 && fwrite("WAVEfmt ", 1, 8, f) == 8 &&
              fwrite(&fmt, 4, 1, f) == 1 && fwrite(&format, 16, 1, f) == 1 && fwrite("data", 1, 4, f) == 4 &&
              fwrite(&data, 4, 1, f) == 1 && fwrite(stereo.data(), 2, stereo.size(), f) == stereo.size();
    return fclose(f) == 0 && ok;
}

Feeder::Feeder(std::vector<int16_t> frames) : frames_(std::move(frames))
{
    event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const WAVEFORMATEX f = StereoFormat();
    if (waveOutOpen(&out_, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(event_), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        out_ = nullptr;
        return;
    }
    header_.lpData = reinterpret_cast<LPSTR>(frames_.data());
    header_.dwBufferLength = static_cast<DWORD>(frames_.size() * 2);
    waveOutPrepareHeader(out_, &header_, sizeof(header_));
    waveOutWrite(out_, &header_, sizeof(header_));
}

void Feeder::Wait()
{
    DWORD start = GetTickCount();
    while (out_ && !(header_.dwFlags & WHDR_DONE) && GetTickCount() - start < 20000)
        WaitForSingleObject(event_, 20);
}

Feeder::~Feeder()
{
    if (out_) {
        waveOutReset(out_);
        waveOutUnprepareHeader(out_, &header_, sizeof(header_));
        waveOutClose(out_);
    }
    CloseHandle(event_);
}

NotifyWindow::NotifyWindow()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvTransportTestNotify";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotifyWindow::~NotifyWindow()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
}

LRESULT CALLBACK NotifyWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == kMessage) {
        auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self)
            self->codes_.push_back(static_cast<HRESULT>(wp));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void NotifyWindow::Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(2);
    } while (GetTickCount() - start < ms);
}

bool NotifyWindow::Wait(DWORD timeoutMs, HRESULT* code)
{
    DWORD start = GetTickCount();
    while (seen_ >= codes_.size()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Pump(2);
    }
    *code = codes_[seen_++];
    return true;
}

std::vector<HRESULT> NotifyWindow::Codes()
{
    Pump(0);
    return codes_;
}

ScopedSetting::ScopedSetting(const char* name, const char* text) : name_(name)
{
    SetSettingString(kSettingsSection, name, text);
}

ScopedSetting::ScopedSetting(const char* name, int value) : name_(name)
{
    SetSettingInt(kSettingsSection, name, value);
}

ScopedSetting::~ScopedSetting()
{
    SetSettingString(kSettingsSection, name_.c_str(), nullptr);
}

std::vector<int16_t> Tone(double hz, double amplitude, LONGLONG frames, int channels)
{
    std::vector<int16_t> out(static_cast<size_t>(frames * channels));
    for (LONGLONG i = 0; i < frames; ++i) {
        auto v = static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2 * kPi * hz * double(i) / kRate)));
        for (int c = 0; c < channels; ++c)
            out[static_cast<size_t>(i * channels + c)] = v;
    }
    return out;
}

double ToneAmplitude(const std::vector<int16_t>& stereo, int ch, double hz, size_t from, size_t count)
{
    const size_t frames = stereo.size() / 2;
    count = std::min(count, frames > from ? frames - from : 0);
    if (count == 0)
        return 0.0;
    const double w = 2 * kPi * hz / kRate;
    double re = 0, im = 0;
    for (size_t i = 0; i < count; ++i) {
        double x = stereo[(from + i) * 2 + ch] / 32768.0;
        re += x * std::cos(w * double(i));
        im -= x * std::sin(w * double(i));
    }
    return 2.0 * std::sqrt(re * re + im * im) / double(count);
}

LONGLONG SoundingFrames(const std::vector<int16_t>& stereo, int ch, double threshold)
{
    const LONGLONG frames = static_cast<LONGLONG>(stereo.size() / 2);
    const LONGLONG half = kRate / 400; // 2.5 ms either side
    const int limit = static_cast<int>(threshold * 32768);
    // Frames that have a loud sample within `half` frames: a tone's zero crossings count too.
    std::vector<LONGLONG> loud;
    for (LONGLONG i = 0; i < frames; ++i)
        if (std::abs(stereo[static_cast<size_t>(i * 2 + ch)]) > limit)
            loud.push_back(i);
    // The neighbourhood reaches `half` past the first and last loud samples of each stretch: a
    // stretch counts from its first loud sample to its last, and a break in the sound (a stall of
    // the server) does not count.
    LONGLONG count = 0, start = -1, end = -1;
    for (LONGLONG at : loud) {
        if (start >= 0 && at - end > 2 * half) {
            count += end - start + 1;
            start = -1;
        }
        if (start < 0)
            start = at;
        end = at;
    }
    return start < 0 ? 0 : count + end - start + 1;
}

Stretch LongestSounding(const std::vector<int16_t>& stereo, int ch, double threshold)
{
    const LONGLONG frames = static_cast<LONGLONG>(stereo.size() / 2);
    const LONGLONG gap = kRate / 1000;
    const int limit = static_cast<int>(threshold * 32768);
    Stretch best{0, 0}, current{-1, 0};
    LONGLONG last = -1;
    for (LONGLONG i = 0; i <= frames; ++i) {
        const bool loud = i < frames && std::abs(stereo[static_cast<size_t>(i * 2 + ch)]) > limit;
        if (!loud && (i == frames || (last >= 0 && i - last > gap))) {
            if (current.start >= 0) {
                current.frames = last + 1 - current.start;
                if (current.frames > best.frames)
                    best = current;
            }
            current.start = -1;
        }
        if (loud) {
            if (current.start < 0)
                current.start = i;
            last = i;
        }
    }
    return best;
}

double ClearToneAmplitude(const std::vector<int16_t>& stereo, int ch, double hz, LONGLONG most)
{
    const Stretch clear = LongestSounding(stereo, ch, 0.05);
    // Clear of the stretch's edges by 10 ms.
    const LONGLONG ms = kRate / 1000;
    const LONGLONG span = std::min(most, clear.frames - 20 * ms) / ms * ms;
    if (span < most / 2)
        return 0.0;
    return ToneAmplitude(stereo, ch, hz, size_t(clear.start + (clear.frames - span) / 2), size_t(span));
}

LONGLONG FirstSound(const std::vector<int16_t>& stereo, int ch, double threshold)
{
    const int limit = static_cast<int>(threshold * 32768);
    for (size_t i = 0; i < stereo.size() / 2; ++i)
        if (std::abs(stereo[i * 2 + ch]) > limit)
            return static_cast<LONGLONG>(i);
    return -1;
}

std::vector<int16_t> PositionRamp(LONGLONG length)
{
    std::vector<int16_t> out(static_cast<size_t>(length));
    for (LONGLONG t = 0; t < length; ++t)
        out[static_cast<size_t>(t)] =
            static_cast<int16_t>(std::lround((0.1 + 0.8 * double(t) / double(length)) * 32767.0));
    return out;
}

namespace {

// Least-squares line through values v[a..b) against frame index; the value it gives at x.
double FitAt(const std::vector<double>& v, size_t a, size_t b, double x)
{
    double n = double(b - a), sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = a; i < b; ++i) {
        sx += double(i);
        sy += v[i];
        sxx += double(i) * double(i);
        sxy += double(i) * v[i];
    }
    double d = n * sxx - sx * sx;
    double slope = d != 0 ? (n * sxy - sx * sy) / d : 0;
    return (sy - slope * sx) / n + slope * x;
}

} // namespace

std::vector<RampPiece> JoinStalls(const std::vector<RampPiece>& pieces, bool skipping)
{
    std::vector<RampPiece> joined;
    for (const RampPiece& p : pieces) {
        if (!joined.empty()) {
            RampPiece& q = joined.back();
            const double silence = double(p.captureStart - q.captureEnd);
            const double skipped = p.firstPosition - q.lastPosition - 1.0;
            const double most = skipping ? silence + 1.5 : 1.5;
            if (silence > 0 && silence <= double(kMostStall) && skipped > -1.5 && skipped < most) {
                q.lastPosition = p.lastPosition;
                q.frames += p.frames;
                q.captureEnd = p.captureEnd;
                q.stalls += 1 + p.stalls;
                q.skipped += std::max<LONGLONG>(0, std::llround(skipped)) + p.skipped;
                if (getenv("KV_RIG_DUMP"))
                    printf("stall at %lld: %.0f frames silent, %.0f skipped\n", p.captureStart, silence, skipped);
                continue;
            }
        }
        joined.push_back(p);
    }
    return joined;
}

std::vector<RampPiece> JoinDrops(const std::vector<RampPiece>& pieces,
                                 const std::function<LONGLONG(LONGLONG)>& lostNear)
{
    std::vector<RampPiece> joined;
    for (const RampPiece& p : pieces) {
        if (!joined.empty() && p.captureStart == joined.back().captureEnd) {
            RampPiece& q = joined.back();
            const double jump = p.firstPosition - q.lastPosition - 1.0;
            const LONGLONG lost = jump > 0 ? lostNear(q.captureEnd) : 0;
            if (lost > 0 && std::fabs(jump - double(lost)) <= kRate * 0.003) {
                q.lastPosition = p.lastPosition;
                q.frames += p.frames;
                q.captureEnd = p.captureEnd;
                q.stalls += p.stalls;
                q.skipped += p.skipped;
                q.dropped += std::llround(jump) + p.dropped;
                continue;
            }
        }
        joined.push_back(p);
    }
    return joined;
}

std::vector<RampPiece> HeardRamp(LONGLONG from, LONGLONG to, LONGLONG length)
{
    Capture& capture = Capture::Get();
    return JoinDrops(JoinStalls(RampPieces(capture.Take(from, to), 0, length)),
                     [&](LONGLONG at) { return capture.LostFrames(from + at - kRate / 10, from + at + kRate / 10); });
}

std::vector<RampPiece> RampPieces(const std::vector<int16_t>& stereo, int ch, LONGLONG length)
{
    const size_t frames = stereo.size() / 2;
    std::vector<double> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] = stereo[i * 2 + ch] / 32767.0;
    auto position = [length](double value) { return (value - 0.1) / 0.8 * double(length); };
    std::vector<RampPiece> pieces;
    size_t i = 0;
    while (i < frames) {
        if (v[i] < 0.05) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        // A piece ends at silence or at a step far above the ramp's own (about 0.5 LSB).
        while (j < frames && v[j] >= 0.05 && std::fabs(v[j] - v[j - 1]) < 48.0 / 32767.0)
            ++j;
        if (j - i >= 96) {
            size_t edge = std::min<size_t>(480, (j - i) / 2);
            RampPiece p;
            p.captureStart = static_cast<LONGLONG>(i);
            p.frames = static_cast<LONGLONG>(j - i);
            p.captureEnd = static_cast<LONGLONG>(j);
            p.firstPosition = position(FitAt(v, i, i + edge, double(i)));
            p.lastPosition = position(FitAt(v, j - edge, j, double(j - 1)));
            pieces.push_back(p);
        }
        i = j;
    }
    // The server's playback runs dry now and then on a loaded machine: the sound stops for some
    // milliseconds and goes on with the very next frame. Such a stall is the rig's, not a gap in
    // the stream, and the two pieces are one. A longer silence is a pause.
    std::vector<RampPiece> joined = JoinStalls(pieces, false);
    pieces.swap(joined);
    if (getenv("KV_RIG_DUMP"))
        for (const RampPiece& p : pieces)
            printf("piece at %lld: %lld frames, %.1f .. %.1f, %d stalls\n", p.captureStart, p.frames, p.firstPosition,
                   p.lastPosition, p.stalls);
    return pieces;
}

} // namespace rig
