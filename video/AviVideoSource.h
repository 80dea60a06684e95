// CAviVideoSource: an AVI file through AVIFile, frames decoded by the stream's frame decoder
// and drawn with DrawDib. The file's structure is walked by our own code first.
#pragma once
#include "VideoSource.h"

#include <vfw.h>

#include <cstdint>
#include <vector>

class CAviVideoSource : public CVideoSource {
public:
    CAviVideoSource();
    ~CAviVideoSource() override;

    void SetRefuseOpenDml(int flag) override { m_refuseOpenDml = flag; }
    bool Open(const char* path) override;
    double GetFrameDuration() override;
    int GetHeight() override { return m_info.rcFrame.bottom; }
    int GetWidth() override { return m_info.rcFrame.right; }
    int GetFrameCount() override { return static_cast<int>(m_info.dwLength); }
    int RealizePalette(HDC dc, BOOL background) override;
    bool DrawFrame(HDC dc, int x, int y, int width, int height, int frame, int flag) override;
    bool FetchFrame(int frame) override;
    bool LacksFrameDecoder() override { return m_decoder == nullptr; }
    std::string GetCodecText() override;
    short IsAviFile() override { return 1; }
    int IsDrawnAtOnce() override { return 1; }
    int IsDrawnLater() override { return 0; }

    // The frame period in 100 ns; known after an Open that refused the file for its index or codec.
    int64_t GetFramePeriod() const { return m_framePeriod; }

private:
    void Close();
    // Frame of an uncompressed stream, as the decoder would give it (a packed bitmap), or null.
    const BITMAPINFOHEADER* ReadRawFrame(int frame);
    void Draw(HDC dc, int x, int y, int width, int height, const BITMAPINFOHEADER* frame);

    int m_refuseOpenDml = 1;
    bool m_libraryOpen = false;
    PAVIFILE m_file = nullptr;
    PAVISTREAM m_stream = nullptr;
    AVISTREAMINFOA m_info{};
    PGETFRAME m_decoder = nullptr;
    HDRAWDIB m_drawDib = nullptr;
    const BITMAPINFOHEADER* m_fetched = nullptr;
    int m_fetchedIndex = -1;
    HGLOBAL m_copy = nullptr;
    size_t m_copyCapacity = 0;
    int m_copyIndex = -1;
    int64_t m_framePeriod = 0;
    // Uncompressed RGB is read as it lies (the system's frame decoder turns top-down frames
    // into the wrong ones): the stream's bitmap header and palette.
    std::vector<uint8_t> m_rawFormat;
    std::vector<uint8_t> m_rawFrame;
};
