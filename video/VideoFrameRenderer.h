// CVideoFrameRenderer: the player's renderer filter. It takes RGB24 and RGB8 (any format type
// with a format block) and YUY2 (video-info or MPEG video format types), and draws each
// sample into the place of the player's first queued request; a sample with no request
// waiting (the one paused graphs pre-roll) is not drawn. A sample before the position of the
// last seek (decoded from the key frame before it, marked preroll or timed before 0) is
// neither drawn nor held. DrawDib draws bottom-up RGB only, so YUY2 frames are turned into
// RGB24 and top-down frames are turned over first.
#pragma once
#include "VideoRendererFilter.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class CVideoPlayer;

class CVideoFrameRenderer : public VideoRendererFilter {
public:
    explicit CVideoFrameRenderer(CVideoPlayer* player = nullptr);
    // The COM object (one reference), attached to the player.
    static CVideoFrameRenderer* Create(CVideoPlayer* player);

    // The connected format's frame period in 100 ns (0: none known), width and display height.
    int64_t FramePeriod() const { return m_framePeriod; }
    void SetFramePeriod(int64_t period) { m_framePeriod = period; }
    int VideoWidth() const { return m_width; }
    int VideoHeight() const { return m_height; }
    void SetTextOffset(int pixels) { m_textOffset = pixels; }
    void SetTextOrigin(int x, int y) { m_textOrigin = {x, y}; }

    // While set, YUY2 is refused: a decoder that can give RGB gives its exact colours (a YUY2
    // type does not tell the range of its values).
    void SetRgbOnly(bool on) { m_rgbOnly = on; }
    // Takes the format of a media type; VFW_E_TYPE_NOT_ACCEPTED for another format type.
    HRESULT SetMediaType(const AM_MEDIA_TYPE& mt);

protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& mt) override;
    HRESULT PinReceive(InputPin* pin, IMediaSample* sample) override;
    HRESULT RenderSample(IMediaSample* sample) override;
    HRESULT PinCompleteConnect(BasePin* pin, IPin* peer) override;
    HRESULT PinBeginFlush(InputPin* pin) override;

private:
    void Draw(HDC dc, int x, int y, int width, int height, const uint8_t* bits, int frame);

    CVideoPlayer* m_player;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } m_format{};
    bool m_yuy2 = false;
    bool m_rgbOnly = false;
    int64_t m_framePeriod = 0;
    int m_width = 0, m_height = 0;
    int m_textOffset = 0;
    POINT m_textOrigin{};
    std::vector<uint8_t> m_rgb; // a frame turned into bottom-up RGB
};

KV_FILTER_KIND(CVideoFrameRenderer)
