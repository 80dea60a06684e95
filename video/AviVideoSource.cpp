#include "AviVideoSource.h"

#include "AviStructure.h"
#include "CinepakCheck.h"
#include "SoundFile.h"
#include "KvSSException.h"

#include <cstdlib>
#include <cstring>

namespace {

size_t Stride(int width, int bits)
{
    return ((size_t(width) * bits + 31) / 8) & ~size_t(3);
}

bool CinepakFramesAreSound(const char* path, const AviStreamInfo& video)
{
    InFile file(path);
    std::vector<uint8_t> frame;
    for (const AviChunkRef& c : video.chunks) {
        frame.resize(c.size);
        if (c.size)
            file.ReadAt(c.offset, frame.data(), c.size);
        if (!IsSoundCinepakFrame(frame.data(), frame.size(), video.width, std::abs(video.height)))
            return false;
    }
    return true;
}

} // namespace

CAviVideoSource::CAviVideoSource() = default;

CAviVideoSource::~CAviVideoSource()
{
    Close();
}

void CAviVideoSource::Close()
{
    if (m_decoder)
        AVIStreamGetFrameClose(m_decoder);
    if (m_stream)
        AVIStreamRelease(m_stream);
    if (m_file)
        AVIFileRelease(m_file);
    if (m_drawDib)
        DrawDibClose(m_drawDib);
    if (m_copy)
        GlobalFree(m_copy);
    if (m_libraryOpen)
        AVIFileExit();
    m_decoder = nullptr;
    m_stream = nullptr;
    m_file = nullptr;
    m_drawDib = nullptr;
    m_copy = nullptr;
    m_copyCapacity = 0;
    m_copyIndex = -1;
    m_fetched = nullptr;
    m_fetchedIndex = -1;
    m_libraryOpen = false;
}

bool CAviVideoSource::Open(const char* path)
{
    if (!path || !*path || m_file)
        return false;
    // Nothing of the file reaches AVIFile before our walk has checked its structure.
    bool openDml = false;
    try {
        const AviStructure avi = ReadAviStructure(path, kAviVideo);
        if (avi.moviSize > 0x7FFFFFFF)
            return false;
        // The system's library reads a frame into a buffer of the size the headers suggest: a
        // frame larger than that overruns it. Such a file goes to the graph road.
        const AviStreamInfo& video = *avi.Find(kAviVideo);
        if ((video.suggestedBuffer && video.suggestedBuffer < video.largestChunk) ||
            (avi.suggestedBuffer && avi.suggestedBuffer < video.largestChunk))
            return false;
        // The system's Cinepak decoder writes past its buffers on frames that lie.
        if (video.compression == mmioFOURCC('c', 'v', 'i', 'd') && !CinepakFramesAreSound(path, video))
            return false;
        openDml = avi.openDml && m_refuseOpenDml;
    } catch (const CKvSSException&) {
        return false;
    }
    AVIFileInit();
    m_libraryOpen = true;
    if (AVIFileOpenA(&m_file, path, OF_READ | OF_SHARE_DENY_NONE, nullptr) != 0 ||
        AVIFileGetStream(m_file, &m_stream, streamtypeVIDEO, 0) != 0 ||
        AVIStreamInfoA(m_stream, &m_info, sizeof m_info) != 0 || m_info.dwRate == 0 || m_info.dwScale == 0) {
        Close();
        return false;
    }
    const int64_t period = static_cast<int64_t>(m_info.dwScale) * 10000000 / m_info.dwRate;
    const DWORD handler = m_info.fccHandler;
    if (openDml || handler == mmioFOURCC('D', 'X', '5', '0') || handler == mmioFOURCC('D', 'I', 'V', 'X')) {
        m_framePeriod = period;
        Close();
        return false;
    }
    // DrawDib draws bottom-up RGB here: ask the decoder for 24 bits first, then for what it likes.
    BITMAPINFOHEADER rgb{};
    rgb.biSize = sizeof rgb;
    rgb.biWidth = m_info.rcFrame.right - m_info.rcFrame.left;
    rgb.biHeight = m_info.rcFrame.bottom - m_info.rcFrame.top;
    rgb.biPlanes = 1;
    rgb.biBitCount = 24;
    rgb.biCompression = BI_RGB;
    m_decoder = AVIStreamGetFrameOpen(m_stream, &rgb);
    if (!m_decoder)
        m_decoder = AVIStreamGetFrameOpen(m_stream, nullptr);
    // A codec no installed decoder reads may still play through a graph.
    if (!m_decoder && m_refuseOpenDml) {
        m_framePeriod = period;
        Close();
        return false;
    }
    LONG formatSize = 0;
    if (AVIStreamReadFormat(m_stream, 0, nullptr, &formatSize) == 0 && formatSize >= 40 && formatSize < (1 << 20)) {
        m_rawFormat.resize(formatSize);
        if (AVIStreamReadFormat(m_stream, 0, m_rawFormat.data(), &formatSize) != 0 ||
            reinterpret_cast<const BITMAPINFOHEADER*>(m_rawFormat.data())->biCompression != BI_RGB)
            m_rawFormat.clear();
    }
    m_drawDib = DrawDibOpen();
    if (!m_drawDib) {
        Close();
        return false;
    }
    return true;
}

double CAviVideoSource::GetFrameDuration()
{
    return m_info.dwRate ? static_cast<double>(m_info.dwScale) / m_info.dwRate * 10000.0 : 0.0;
}

int CAviVideoSource::RealizePalette(HDC dc, BOOL background)
{
    return m_drawDib ? static_cast<int>(DrawDibRealize(m_drawDib, dc, background)) : 0;
}

std::string CAviVideoSource::GetCodecText()
{
    return FourCCText(m_info.fccHandler);
}

bool CAviVideoSource::FetchFrame(int frame)
{
    if (frame < 0 || frame >= GetFrameCount() || !m_decoder)
        return false;
    if (m_copyIndex == frame)
        return true;
    auto* decoded = m_rawFormat.empty() ? static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(m_decoder, frame))
                                        : ReadRawFrame(frame);
    if (!decoded || decoded->biWidth <= 0 || decoded->biHeight == 0)
        return false;
    m_fetched = decoded;
    m_fetchedIndex = frame;
    // Sized by the height's magnitude: a top-down frame has a negative height.
    const int height = decoded->biHeight < 0 ? -decoded->biHeight : decoded->biHeight;
    const size_t stride = Stride(decoded->biWidth, decoded->biBitCount);
    const size_t image = decoded->biCompression == BI_RGB || decoded->biSizeImage == 0 ? stride * height
                                                                                       : decoded->biSizeImage;
    const size_t colors = decoded->biClrUsed ? decoded->biClrUsed : (decoded->biBitCount <= 8 ? 1u << decoded->biBitCount : 0);
    const size_t header = decoded->biSize + colors * sizeof(RGBQUAD);
    const size_t need = header + image;
    if (need > m_copyCapacity) {
        if (m_copy)
            GlobalFree(m_copy);
        m_copy = GlobalAlloc(GMEM_MOVEABLE, need);
        m_copyCapacity = m_copy ? need : 0;
        m_copyIndex = -1;
        if (!m_copy)
            return false;
    }
    auto* out = static_cast<uint8_t*>(GlobalLock(m_copy));
    const auto* in = reinterpret_cast<const uint8_t*>(decoded);
    std::memcpy(out, in, header);
    auto* outHeader = reinterpret_cast<BITMAPINFOHEADER*>(out);
    outHeader->biSizeImage = static_cast<DWORD>(image);
    if (decoded->biHeight < 0 && decoded->biCompression == BI_RGB) {
        // Kept bottom-up, as DrawDib draws it.
        outHeader->biHeight = height;
        for (int y = 0; y < height; ++y)
            std::memcpy(out + header + stride * (height - 1 - y), in + header + stride * y, stride);
    } else {
        std::memcpy(out + header, in + header, image);
    }
    GlobalUnlock(m_copy);
    m_copyIndex = frame;
    return true;
}

const BITMAPINFOHEADER* CAviVideoSource::ReadRawFrame(int frame)
{
    const auto* format = reinterpret_cast<const BITMAPINFOHEADER*>(m_rawFormat.data());
    const int height = format->biHeight < 0 ? -format->biHeight : format->biHeight;
    const size_t image = Stride(format->biWidth, format->biBitCount) * height;
    m_rawFrame.assign(m_rawFormat.begin(), m_rawFormat.end());
    m_rawFrame.resize(m_rawFormat.size() + image);
    LONG bytes = 0;
    if (AVIStreamRead(m_stream, frame, 1, m_rawFrame.data() + m_rawFormat.size(), static_cast<LONG>(image), &bytes,
                      nullptr) != 0 ||
        static_cast<size_t>(bytes) < image)
        return nullptr;
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(m_rawFrame.data());
    // The palette (if any) lies between the header and the bits, as in a packed bitmap.
    header->biSize = static_cast<DWORD>(m_rawFormat.size()) -
                     static_cast<DWORD>((header->biClrUsed ? header->biClrUsed : (header->biBitCount <= 8 ? 1u << header->biBitCount : 0)) * sizeof(RGBQUAD));
    return header;
}

void CAviVideoSource::Draw(HDC dc, int x, int y, int width, int height, const BITMAPINFOHEADER* frame)
{
    const size_t colors = frame->biClrUsed ? frame->biClrUsed : (frame->biBitCount <= 8 ? 1u << frame->biBitCount : 0);
    auto* bits = const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(frame)) + frame->biSize + colors * sizeof(RGBQUAD);
    DrawDibDraw(m_drawDib, dc, x, y, width, height, const_cast<BITMAPINFOHEADER*>(frame), bits, 0, 0, frame->biWidth,
                frame->biHeight < 0 ? -frame->biHeight : frame->biHeight, 0);
}

bool CAviVideoSource::DrawFrame(HDC dc, int x, int y, int width, int height, int frame, int)
{
    const RECT r{x, y, x + width, y + height};
    if (frame < 0 || frame >= GetFrameCount()) {
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        m_fetchedIndex = -1;
        return true;
    }
    if (!m_decoder) {
        // No decoder: white hatched with backward diagonals, the pattern tied to the place.
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, RGB(128, 0, 0));
        POINT old;
        SetBrushOrgEx(dc, x % 8, y % 8, &old);
        FillRect(dc, &r, hatch);
        SetBrushOrgEx(dc, old.x, old.y, nullptr);
        DeleteObject(hatch);
        m_fetchedIndex = -1;
        return true;
    }
    if (!FetchFrame(frame))
        return false;
    auto* copy = static_cast<const BITMAPINFOHEADER*>(GlobalLock(m_copy));
    Draw(dc, x, y, width, height, copy);
    GlobalUnlock(m_copy);
    return true;
}
