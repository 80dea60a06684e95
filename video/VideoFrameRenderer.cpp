#include "VideoFrameRenderer.h"

#include "FontSet.h"
#include "VideoPlayer.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDrawAttempts = 4;

uint8_t Clamp(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One YUY2 row into bottom-up BGR, BT.601 studio range in integers.
void Yuy2Row(const uint8_t* in, uint8_t* out, int width)
{
    for (int x = 0; x < width; x += 2) {
        const int u = in[1] - 128, v = in[3] - 128;
        for (int k = 0; k < 2 && x + k < width; ++k) {
            const int c = 298 * (in[2 * k] - 16) + 128;
            out[0] = Clamp((c + 516 * u) >> 8);
            out[1] = Clamp((c - 100 * u - 208 * v) >> 8);
            out[2] = Clamp((c + 409 * v) >> 8);
            out += 3;
        }
        in += 4;
    }
}

} // namespace

CVideoFrameRenderer::CVideoFrameRenderer(CVideoPlayer* player) : m_player(player) {}

CVideoFrameRenderer* CVideoFrameRenderer::Create(CVideoPlayer* player)
{
    auto* object = RendererObject<CVideoFrameRenderer>::Create<RendererObject<CVideoFrameRenderer>>();
    if (object)
        object->m_player = player;
    return object;
}

HRESULT CVideoFrameRenderer::CheckMediaType(const AM_MEDIA_TYPE& mt)
{
    if (mt.majortype != MEDIATYPE_Video)
        return VFW_E_TYPE_NOT_ACCEPTED;
    if ((mt.subtype == MEDIASUBTYPE_RGB24 || mt.subtype == MEDIASUBTYPE_RGB8) && mt.pbFormat && mt.cbFormat)
        return S_OK;
    if (!m_rgbOnly && mt.subtype == MEDIASUBTYPE_YUY2 && (mt.formattype == FORMAT_VideoInfo || mt.formattype == FORMAT_MPEGVideo) &&
        mt.pbFormat && mt.cbFormat >= sizeof(VIDEOINFOHEADER))
        return S_OK;
    return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CVideoFrameRenderer::SetMediaType(const AM_MEDIA_TYPE& mt)
{
    const BITMAPINFOHEADER* header = nullptr;
    size_t palette = 0;
    REFERENCE_TIME period = 0;
    if ((mt.formattype == FORMAT_VideoInfo || mt.formattype == FORMAT_MPEGVideo) &&
        mt.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
        header = &vih->bmiHeader;
        period = vih->AvgTimePerFrame;
        if (mt.cbFormat >= sizeof(VIDEOINFOHEADER) + 256 * sizeof(RGBQUAD))
            palette = 256;
    } else if (mt.formattype == FORMAT_VideoInfo2 && mt.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat);
        header = &vih->bmiHeader;
        period = vih->AvgTimePerFrame;
    } else {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    if (header->biWidth <= 0 || header->biHeight == 0)
        return VFW_E_TYPE_NOT_ACCEPTED;
    m_format = {};
    m_format.header = *header;
    if (palette)
        std::memcpy(m_format.colors, reinterpret_cast<const uint8_t*>(header) + sizeof(BITMAPINFOHEADER),
                    sizeof m_format.colors);
    m_yuy2 = mt.subtype == MEDIASUBTYPE_YUY2;
    if (period > 0)
        m_framePeriod = period;
    m_width = header->biWidth;
    m_height = std::abs(header->biHeight);
    // Interlaced NTSC frames of this size show as half their height.
    if (m_width == 352 && m_height == 480)
        m_height = 240;
    return S_OK;
}

HRESULT CVideoFrameRenderer::PinCompleteConnect(BasePin* pin, IPin* peer)
{
    HRESULT hr = VideoRendererFilter::PinCompleteConnect(pin, peer);
    return FAILED(hr) ? hr : SetMediaType(pin->CurrentMediaType().Get());
}

HRESULT CVideoFrameRenderer::PinBeginFlush(InputPin* pin)
{
    if (m_player)
        m_player->OnFlush();
    return VideoRendererFilter::PinBeginFlush(pin);
}

HRESULT CVideoFrameRenderer::PinReceive(InputPin* pin, IMediaSample* sample)
{
    // Sample times count from the seek's position: a frame that ends by 0 lies before the
    // frame asked for. Passed on, the next frame comes; held, it would answer the request.
    REFERENCE_TIME start = 0, stop = 0;
    const HRESULT timed = sample->GetTime(&start, &stop);
    if (timed == VFW_S_NO_STOP_TIME)
        stop = start + std::max<int64_t>(m_framePeriod, 1);
    if (sample->IsPreroll() == S_OK || (SUCCEEDED(timed) && stop <= 0))
        return S_OK;
    return VideoRendererFilter::PinReceive(pin, sample);
}

HRESULT CVideoFrameRenderer::RenderSample(IMediaSample* sample)
{
    if (!m_player)
        return S_OK;
    BYTE* bits = nullptr;
    if (FAILED(sample->GetPointer(&bits)) || !bits)
        return S_OK;
    const BITMAPINFOHEADER& h = m_format.header;
    const int width = h.biWidth, height = std::abs(h.biHeight);
    const long bytes = sample->GetActualDataLength();
    const uint8_t* draw = bits;
    // Bottom-up RGB for DrawDib: YUY2 converted, top-down rows turned over.
    if (m_yuy2) {
        const size_t inStride = size_t(width) * 2, outStride = (size_t(width) * 3 + 3) & ~size_t(3);
        if (bytes < static_cast<long>(inStride * height))
            return S_OK;
        m_rgb.resize(outStride * height);
        for (int y = 0; y < height; ++y)
            Yuy2Row(bits + inStride * y, m_rgb.data() + outStride * (height - 1 - y), width);
        draw = m_rgb.data();
    } else {
        const size_t stride = ((size_t(width) * h.biBitCount + 31) / 8) & ~size_t(3);
        if (bytes < static_cast<long>(stride * height))
            return S_OK;
        if (h.biHeight < 0) {
            m_rgb.resize(stride * height);
            for (int y = 0; y < height; ++y)
                std::memcpy(m_rgb.data() + stride * (height - 1 - y), bits + stride * y, stride);
            draw = m_rgb.data();
        }
    }
    EnterCriticalSection(&m_player->Lock());
    VideoDrawRequest request;
    const bool taken = m_player->TakeRequest(&request);
    if (taken && !request.cancelled) {
        HWND window = request.dc ? nullptr : (request.window ? request.window : m_player->Window());
        HDC dc = request.dc ? request.dc : (window ? GetDC(window) : nullptr);
        if (dc) {
            Draw(dc, request.x, request.y, request.width, request.height, draw, request.frame);
            if (window)
                ReleaseDC(window, dc);
        }
        if (request.drawn)
            SetEvent(request.drawn);
    }
    LeaveCriticalSection(&m_player->Lock());
    return S_OK;
}

void CVideoFrameRenderer::Draw(HDC dc, int x, int y, int width, int height, const uint8_t* bits, int frame)
{
    BITMAPINFOHEADER header = m_format.header;
    header.biHeight = std::abs(header.biHeight);
    if (m_yuy2) {
        header.biBitCount = 24;
        header.biCompression = BI_RGB;
    }
    header.biSizeImage = 0;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header = header;
    std::memcpy(info.colors, m_format.colors, sizeof info.colors);
    // A context that another thread is using at that instant refuses the call (Wine's GDI), and
    // DrawDib, begun on such a refusal, fails every later draw: ended, it begins afresh.
    const HDRAWDIB drawDib = m_player->DrawDib();
    auto draw = [&] {
        return DrawDibDraw(drawDib, dc, x, y, width, height, &info.header, const_cast<uint8_t*>(bits), 0, 0,
                           header.biWidth, header.biHeight, 0);
    };
    for (int attempt = 1; !draw() && attempt < kDrawAttempts; ++attempt) {
        DrawDibEnd(drawDib);
        Sleep(1);
    }
    if (m_player->ShowsFrameNumbers()) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", frame);
        CFont* font = FontSet::Get(2);
        HGDIOBJ old = font ? SelectObject(dc, font->m_hObject) : nullptr;
        const UINT align = SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
        const COLORREF color = SetTextColor(dc, RGB(255, 255, 255));
        const COLORREF back = SetBkColor(dc, RGB(0, 0, 0));
        TextOutA(dc, x, y + m_textOffset, text, static_cast<int>(std::strlen(text)));
        SetBkColor(dc, back);
        SetTextColor(dc, color);
        SetTextAlign(dc, align);
        if (old)
            SelectObject(dc, old);
    }
}
