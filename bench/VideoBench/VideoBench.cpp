// video_bench CINEPAK.avi MPEG4.avi LONG.avi OUT.avi
// Prints, per road, the time from a frame's request to its picture (p50, p95, max) while the
// frames are asked for in playback order at 640 x 480; the repaint of a video track strip of
// 20 thumbnails; and the time of saving LONG.avi's video and sound through our writer.
#include "AviWriter.h"
#include "SoundFile.h"
#include "VideoSource.h"
#include "VideoTrackHost.h"
#include "VideoTrackPane.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

HWND MakeWindow(int w, int h)
{
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KvVideoBench";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

void Report(const char* what, std::vector<double> t)
{
    if (t.empty()) {
        std::printf("%-34s no frames\n", what);
        return;
    }
    std::sort(t.begin(), t.end());
    std::printf("%-34s frames %4zu  p50 %6.2f ms  p95 %6.2f ms  max %6.2f ms\n", what, t.size(), t[t.size() / 2],
                t[t.size() * 95 / 100], t.back());
}

void Follow(const char* label, const char* path, HWND window)
{
    std::unique_ptr<CVideoSource> source(CreateVideoSource(path, window));
    if (!source) {
        std::printf("%-34s cannot open %s\n", label, path);
        return;
    }
    HDC dc = GetDC(window);
    std::vector<double> times;
    const int n = std::min(source->GetFrameCount(), 250);
    for (int f = 0; f < n; ++f) {
        SetPixel(dc, 320, 240, RGB(255, 0, 255));
        const auto start = Clock::now();
        source->DrawFrame(dc, 0, 0, 640, 480, f, 1);
        while (GetPixel(dc, 320, 240) == RGB(255, 0, 255) && Ms(start, Clock::now()) < 1000)
            Pump();
        times.push_back(Ms(start, Clock::now()));
    }
    ReleaseDC(window, dc);
    Report(label, times);
}

// The view's time axis for the strip: 1 pixel = 1 ms, from time 0.
class StripHost : public IVideoTrackHost {
public:
    double TimeToPixelsExact(double time) override { return time / 10.0; }
    double PixelsToTime(int pixels) override { return pixels * 10.0; }
    double VisibleStartTime() override { return 0.0; }
    DWORD SampleRate() override { return 44100; }
    bool GetPlayState(int* state, int64_t* position) override
    {
        *state = 0;
        *position = 0;
        return true;
    }
    HWND ViewWindow() override { return nullptr; }
    void RelayoutView() override {}
};

// A strip 68 pixels high (80 x 60 thumbnails, one every 3 frames at 25 fps): 20 slots of 120
// pixels, repainted whole while the frames change (the scroll of a view moved by its width).
void StripRepaint(const char* label, const char* path, HWND parent)
{
    StripHost host;
    CVideoTrackPane pane;
    if (!pane.Create(CWnd::FromHandle(parent), kVideoTrackPaneId, &host) || !pane.OpenVideo(path)) {
        std::printf("%-34s cannot open %s\n", label, path);
        return;
    }
    pane.MoveWindow(0, 0, 20 * 120, 68);
    pane.UpdateLayout();
    std::vector<double> times;
    for (int i = 0; i < 30; ++i) {
        const auto start = Clock::now();
        RedrawWindow(pane.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        times.push_back(Ms(start, Clock::now()));
        Pump();
    }
    std::sort(times.begin(), times.end());
    std::printf("%-34s %d thumbnails a step of %d frames: p50 %6.2f ms  max %6.2f ms\n", label, 20,
                pane.GetFrameStep(), times[times.size() / 2], times.back());
    pane.CloseVideo();
    pane.DestroyWindow();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: video_bench CINEPAK.avi MPEG4.avi LONG.avi OUT.avi\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND window = MakeWindow(640, 480);
    Follow("preview, AVIFile road (Cinepak)", argv[1], window);
    Follow("preview, graph road (MPEG-4 ASP)", argv[2], window);
    StripRepaint("strip repaint, AVIFile road", argv[1], window);

    // Saving: the long clip's video copied and its sound as the mix, as ffmpeg -c copy does.
    const auto start = Clock::now();
    InFile source(argv[3]);
    const AviStructure avi = ReadAviStructure(source, 0);
    const double walked = Ms(start, Clock::now());
    AviWriteVideo video;
    video.file = &source;
    video.stream = *avi.Find(kAviVideo);
    const AviStreamInfo* sound = avi.Find(kAviAudio);
    AviWriteAudio audio;
    audio.format = PcmFormat(2, 44100, 16, 0);
    audio.rate = 44100;
    audio.blockAlign = 4;
    uint64_t soundBytes = 0;
    for (const AviChunkRef& c : sound ? sound->chunks : std::vector<AviChunkRef>())
        soundBytes += c.size;
    audio.frames = soundBytes / 4;
    // The mix reader of a document hands out frames in order from its own buffers: here the
    // source's own chunks, read as the engine reads a track, in large pieces.
    size_t chunk = 0, used = 0;
    std::vector<uint8_t> held;
    uint64_t pieceAt = 0;
    std::vector<uint8_t> piece(4u << 20);
    size_t pieceFilled = 0;
    auto readSource = [&](uint64_t offset, uint8_t* out, size_t bytes) {
        if (offset < pieceAt || offset + bytes > pieceAt + pieceFilled) {
            if (bytes > piece.size())
                piece.resize(bytes);
            pieceAt = offset;
            pieceFilled = source.ReadSome(offset, piece.data(), piece.size());
        }
        std::memcpy(out, piece.data() + (offset - pieceAt), bytes);
    };
    audio.read = [&](uint64_t, size_t count, uint8_t* out) {
        for (size_t bytes = count * 4; bytes;) {
            if (used == held.size()) {
                held.resize(sound->chunks[chunk].size);
                readSource(sound->chunks[chunk].offset, held.data(), held.size());
                ++chunk;
                used = 0;
            }
            const size_t n = std::min(bytes, held.size() - used);
            std::memcpy(out, held.data() + used, n);
            out += n, used += n, bytes -= n;
        }
    };
    AviWriteOptions options;
    options.allowOpenDml = [] { return true; };
    {
        HANDLE file = CreateFileA(argv[4], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::vector<uint8_t> buffer;
        buffer.reserve(4 << 20);
        auto flush = [&] {
            DWORD written = 0;
            WriteFile(file, buffer.data(), DWORD(buffer.size()), &written, nullptr);
            buffer.clear();
        };
        WriteAvi(
            [&](const void* d, size_t n) {
                const auto* b = static_cast<const uint8_t*>(d);
                buffer.insert(buffer.end(), b, b + n);
                if (buffer.size() >= (4u << 20))
                    flush();
            },
            video, audio, options);
        flush();
        CloseHandle(file);
    }
    std::printf("%-34s %8.1f ms for %zu frames and %.0f s of sound (the walk of the source %.1f ms)\n",
                "save as AVI (copied, with the mix)", Ms(start, Clock::now()), video.stream.chunks.size(),
                double(audio.frames) / 44100, walked);
    DestroyWindow(window);
    CoUninitialize();
    return 0;
}
