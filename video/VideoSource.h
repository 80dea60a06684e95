// CVideoSource: a video file as the video track pane and the preview window draw it. Two
// kinds: an AVI file read through AVIFile and drawn with DrawDib (frames drawn at once), and
// any file a filter graph reads, drawn later by CVideoPlayer. CreateVideoSource chooses.
// Times are in units of 100 us (GetFrameDuration) or 100 ns (frame periods).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class CVideoSource {
public:
    virtual ~CVideoSource() = default;
    // AVI: refuse files with an OpenDML index, and files no installed decoder reads.
    virtual void SetRefuseOpenDml(int flag) = 0;
    virtual bool Open(const char* path) = 0;
    virtual double GetStartTime() { return 0.0; }
    // One frame in units of 100 us.
    virtual double GetFrameDuration() = 0;
    virtual int GetHeight() = 0;
    virtual int GetWidth() = 0;
    virtual int GetFrameCount() = 0;
    virtual int RealizePalette(HDC dc, BOOL background) = 0;
    // Draws (or queues) frame into the rectangle; outside the video the rectangle goes black.
    virtual bool DrawFrame(HDC dc, int x, int y, int width, int height, int frame, int flag) = 0;
    virtual bool FetchFrame(int frame) = 0;
    virtual bool LacksFrameDecoder() = 0;
    // The codec's four characters (bytes of 32 or below as spaces); empty when not known.
    virtual std::string GetCodecText() = 0;
    virtual short IsAviFile() = 0;
    virtual void SetDisplayHeight(int pixels) { m_displayHeight = pixels; }
    virtual int IsDrawnAtOnce() = 0;
    virtual void SetTextOrigin(int, int) {}
    virtual void SetShowFrameNumbers(int) {}
    virtual int IsDrawnLater() = 0;

protected:
    int m_displayHeight = 0;
};

// A source for the file, or null: a QuickTime (".mov") file gets none; an AVI whose structure
// lies gets none; an AVI the AVI road refuses (OpenDML index, DX50/DIVX, or no decoder) goes
// to the graph road with its frame period; what the graph road cannot open is tried once more
// by the AVI road taking every file (a codec no one decodes then shows hatched frames).
// window: the window whose device context draws the graph road's requests.
CVideoSource* CreateVideoSource(const char* path, HWND window);
