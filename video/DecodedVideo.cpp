#include "DecodedVideo.h"

#include "AviWriter.h"
#include "KvSSException.h"
#include "SampleCodec.h"
#include "SoundFile.h"
#include "VideoPlayer.h"

#include <cstring>

namespace {

constexpr HRESULT kErrVideoNotConverted = static_cast<HRESULT>(0x83E808A3); // "Video format cannot be converted."

// A 24-bit bottom-up DIB section selected into a memory context, the size of the video.
class FrameCanvas {
public:
    FrameCanvas(int width, int height) : m_dc(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        if (m_dc && m_bitmap)
            m_old = SelectObject(m_dc, m_bitmap);
    }
    ~FrameCanvas()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        if (m_bitmap)
            DeleteObject(m_bitmap);
        if (m_dc)
            DeleteDC(m_dc);
    }
    FrameCanvas(const FrameCanvas&) = delete;
    FrameCanvas& operator=(const FrameCanvas&) = delete;
    bool Ready() const { return m_old != nullptr && m_bits != nullptr; }
    HDC Dc() const { return m_dc; }
    const uint8_t* Bits() const { return static_cast<const uint8_t*>(m_bits); }

private:
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

// Whether our walk reads the file as an AVI (its samples are then copied, not decoded).
bool IsCopiedAvi(const char* path)
{
    try {
        ReadAviStructure(path, kAviVideo);
        return true;
    } catch (const CKvSSException& e) {
        if (e.m_hr != kErrInvalidFormat)
            throw;
        return false;
    }
}

void WriteFrames(const char* path, const char* aviPath)
{
    CVideoPlayer player;
    ThrowIfFailed(player.Open(path));
    const int width = player.GetWidth(), height = player.GetHeight(), frames = player.GetFrameCount();
    const int64_t period = static_cast<int64_t>(player.GetFrameDuration() * 1000.0 + 0.5);
    if (width <= 0 || height <= 0 || frames <= 0 || period <= 0 || period > 0xFFFFFFFF)
        throw CKvSSException(kErrVideoNotConverted);
    FrameCanvas canvas(width, height);
    if (!canvas.Ready())
        throw CKvSSException(E_OUTOFMEMORY);
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u, bytes = stride * uint32_t(height);

    AviWriteVideo video;
    AviStreamInfo& v = video.stream;
    v.type = kAviVideo;
    v.scale = static_cast<uint32_t>(period);
    v.rate = 10000000;
    v.length = static_cast<uint32_t>(frames);
    v.suggestedBuffer = bytes;
    v.frame[2] = static_cast<int16_t>(width);
    v.frame[3] = static_cast<int16_t>(height);
    v.width = width;
    v.height = height;
    v.bitCount = 24;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = bytes;
    const auto* h = reinterpret_cast<const uint8_t*>(&header);
    v.format.assign(h, h + sizeof header);
    for (int i = 0; i < frames; ++i)
        v.chunks.push_back({static_cast<uint64_t>(i), bytes, true});
    v.largestChunk = bytes;
    video.readFrame = [&](uint64_t index, uint8_t* out) {
        if (!player.DrawFrameNow(canvas.Dc(), width, height, static_cast<int>(index)))
            throw CKvSSException(kErrVideoNotConverted);
        GdiFlush();
        std::memcpy(out, canvas.Bits(), bytes);
    };
    // No sound: the file module adds the mix to the frames it copies from here.
    AviWriteAudio silence;
    silence.format = PcmFormat(2, 44100, 16, 0);
    silence.rate = 44100;
    silence.blockAlign = 4;
    silence.read = [](uint64_t, size_t, uint8_t*) {};

    AviWriteOptions options;
    options.allowOpenDml = [] { return true; }; // the save itself asks before it passes 2 GB
    SafeSave save(aviPath);
    WriteAvi([&save](const void* data, size_t n) { save.Write(data, n); }, video, silence, options);
    save.Commit();
}

} // namespace

HRESULT WriteDecodedVideo(const char* path, const char* aviPath)
{
    try {
        if (IsCopiedAvi(path))
            return S_FALSE;
        WriteFrames(path, aviPath);
        return S_OK;
    } catch (const CKvSSException& e) {
        return e.m_hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
