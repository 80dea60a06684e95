// CDShowVideoSource: a file drawn through CVideoPlayer's paused graph; frames are drawn later,
// when the renderer gets them.
#pragma once
#include "VideoPlayer.h"
#include "VideoSource.h"

#include <memory>

class CDShowVideoSource : public CVideoSource {
public:
    CDShowVideoSource() = default;
    ~CDShowVideoSource() override = default;

    void SetRefuseOpenDml(int) override {}
    bool Open(const char* path) override;
    // The player's frame duration (100 ns x 0.001, units of 100 us).
    double GetFrameDuration() override { return m_player ? m_player->GetFrameDuration() : 0.0; }
    int GetHeight() override { return m_player ? m_player->GetHeight() : 0; }
    int GetWidth() override { return m_player ? m_player->GetWidth() : 0; }
    int GetFrameCount() override { return m_player ? m_player->GetFrameCount() : 0; }
    int RealizePalette(HDC, BOOL) override { return 1; }
    bool DrawFrame(HDC dc, int x, int y, int width, int height, int frame, int flag) override;
    bool FetchFrame(int) override { return true; }
    bool LacksFrameDecoder() override { return false; }
    std::string GetCodecText() override { return std::string(); }
    short IsAviFile() override { return 0; }
    void SetDisplayHeight(int pixels) override;
    int IsDrawnAtOnce() override { return 0; }
    void SetTextOrigin(int x, int y) override;
    void SetShowFrameNumbers(int on) override;
    int IsDrawnLater() override { return 1; }

    void SetWindow(HWND window);
    void SetFramePeriod(int64_t period) { m_framePeriod = period; }
    CVideoPlayer* Player() const { return m_player.get(); }

private:
    int64_t m_framePeriod = 0;
    std::unique_ptr<CVideoPlayer> m_player;
};
