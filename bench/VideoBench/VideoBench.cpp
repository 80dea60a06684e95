// video_bench CINEPAK.avi MPEG4.avi LONG.avi OUT.avi
// Prints, per road, the time from a frame's request to its picture (p50, p95, max) while the
// frames are asked for in playback order at 640 x 480, and the time of saving LONG.avi's video
// with a silent mix through our writer.
#include "AviWriter.h"
#include "SoundFile.h"
#include "VideoSource.h"

#include <algorithm>
#include <chrono>
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

    // Saving: the long clip's video copied, with a silent stereo mix as long as the video.
    InFile source(argv[3]);
    AviWriteVideo video;
    video.file = &source;
    video.stream = *ReadAviStructure(source, kAviVideo).Find(kAviVideo);
    AviWriteAudio audio;
    audio.format = PcmFormat(2, 44100, 16, 0);
    audio.rate = 44100;
    audio.blockAlign = 4;
    audio.frames = uint64_t(video.stream.chunks.size()) * video.stream.scale * 44100 / video.stream.rate;
    audio.read = [](uint64_t, size_t count, uint8_t* out) { std::fill(out, out + count * 4, 0); };
    const auto start = Clock::now();
    {
        std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
        std::vector<char> buffer(1 << 20);
        out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        WriteAvi([&out](const void* d, size_t n) { out.write(static_cast<const char*>(d), std::streamsize(n)); },
                 video, audio, AviWriteOptions());
    }
    std::printf("%-34s %8.1f ms for %zu frames\n", "save as AVI (video copied)", Ms(start, Clock::now()),
                video.stream.chunks.size());
    DestroyWindow(window);
    CoUninitialize();
    return 0;
}
