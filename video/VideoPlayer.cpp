#include "VideoPlayer.h"

#include "GraphHelpers.h"
#include "VideoFrameRenderer.h"

#include <control.h>
#include <uuids.h>

#include <algorithm>
#include <string>

namespace {

constexpr DWORD kFrameWait = 5000; // ms: a frame that never comes frees the worker
// A frame this close after the held one is reached by letting frames go one by one: a seek
// decodes again from the key frame before it, every time.
constexpr int kMaxSteps = 12;

// An outside MPEG decoder takes over the display unless told not to; only its own key is
// touched, and only when it is installed.
void TameOutsideMpegDecoder()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Ligos\\LSX-MPEG Player", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    const DWORD zero = 0;
    RegSetValueExA(key, "UseOverlayMixer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    RegSetValueExA(key, "LIGOSSplitterOnly", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    RegCloseKey(key);
}

// The window that owns a device context, when its class gives every window its own context
// (only such a context is still good when the request is drawn).
bool IsOwnContext(HDC dc)
{
    HWND window = dc ? WindowFromDC(dc) : nullptr;
    return window && (GetClassLongPtrA(window, GCL_STYLE) & CS_OWNDC);
}

} // namespace

CVideoPlayer::CVideoPlayer()
    : m_frameDone(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_requestWaiting(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_stopped(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    InitializeCriticalSection(&m_lock);
}

CVideoPlayer::~CVideoPlayer()
{
    m_stop = true;
    Stop();
    if (m_control)
        m_control->Stop();
    m_rendererFilter.Reset();
    m_renderer = nullptr;
    CloseHandle(m_requestWaiting);
    m_requests.clear();
    m_seeking.Reset();
    m_control.Reset();
    m_graph.Reset();
    if (m_drawDib)
        DrawDibClose(m_drawDib);
    DeleteCriticalSection(&m_lock);
    CloseHandle(m_frameDone);
    CloseHandle(m_stopped);
}

void CVideoPlayer::SetTextOffset(int pixels)
{
    if (m_renderer)
        m_renderer->SetTextOffset(pixels);
}

void CVideoPlayer::SetTextOrigin(int x, int y)
{
    if (m_renderer)
        m_renderer->SetTextOrigin(x, y);
}

double CVideoPlayer::GetFrameDuration() const
{
    return m_renderer ? m_renderer->FramePeriod() * 0.001 : 0.0;
}

int CVideoPlayer::GetWidth() const
{
    return m_renderer ? m_renderer->VideoWidth() : 0;
}

int CVideoPlayer::GetHeight() const
{
    return m_renderer ? m_renderer->VideoHeight() : 0;
}

HRESULT CVideoPlayer::Open(const char* path)
{
    TameOutsideMpegDecoder();
    m_drawDib = DrawDibOpen();
    HRESULT hr =
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, m_graph.OutVoid());
    if (FAILED(hr))
        return hr;
    hr = BuildGraph(path);
    if (FAILED(hr))
        return hr;
    hr = m_control->Pause();
    if (FAILED(hr))
        return hr;
    // The frame a paused graph shows first comes before any request, which it would take.
    OAFilterState state;
    m_control->GetState(5000, &state);
    if (!WorkerThread::Start())
        return E_FAIL;
    Resume();
    return S_OK;
}

HRESULT CVideoPlayer::BuildGraph(const char* path)
{
    m_renderer = CVideoFrameRenderer::Create(this);
    if (!m_renderer)
        return E_OUTOFMEMORY;
    m_rendererFilter = ComRef<IBaseFilter>(static_cast<IBaseFilter*>(m_renderer));
    if (m_framePeriod && !m_renderer->FramePeriod())
        m_renderer->SetFramePeriod(m_framePeriod);
    // The source first: a file that cannot be read leaves nothing else in the graph.
    const std::wstring file(path, path + strlen(path));
    ComRef<IBaseFilter> source;
    HRESULT hr = m_graph->AddSourceFilter(file.c_str(), file.c_str(), source.Out());
    if (FAILED(hr))
        return hr;
    hr = m_graph->AddFilter(m_rendererFilter.Get(), L"Video Frame Renderer");
    if (FAILED(hr))
        return hr;
    // The first output of the source that reaches our renderer (the graph adds the splitter
    // and the decoder between); the sound stays unconnected.
    ComRef<IPin> input;
    hr = FindPinByDirection(m_rendererFilter.Get(), PINDIR_INPUT, input.Out());
    if (SUCCEEDED(hr)) {
        hr = VFW_E_CANNOT_RENDER;
        for (bool rgbOnly : {true, false}) {
            m_renderer->SetRgbOnly(rgbOnly);
            ComRef<IEnumPins> pins;
            if (FAILED(hr) && SUCCEEDED(source->EnumPins(pins.Out()))) {
                ComRef<IPin> pin;
                while (FAILED(hr) && pins->Next(1, pin.Out(), nullptr) == S_OK) {
                    PIN_DIRECTION dir;
                    if (SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_OUTPUT)
                        hr = m_graph->Connect(pin.Get(), input.Get());
                }
            }
        }
        m_renderer->SetRgbOnly(false);
    }
    if (FAILED(hr))
        return hr;
    if (m_framePeriod && !m_renderer->FramePeriod())
        m_renderer->SetFramePeriod(m_framePeriod);
    hr = m_graph->QueryInterface(IID_IMediaSeeking, m_seeking.OutVoid());
    if (SUCCEEDED(hr))
        hr = m_graph->QueryInterface(IID_IMediaControl, m_control.OutVoid());
    if (FAILED(hr))
        return hr;
    m_seeking->GetTimeFormat(&m_timeFormat);
    LONGLONG duration = 0;
    m_seeking->GetDuration(&duration);
    // A stream without a frame period cannot be seeked frame by frame.
    if (m_renderer->FramePeriod() <= 0)
        return VFW_E_INVALIDMEDIATYPE;
    m_frameCount = m_timeFormat == TIME_FORMAT_FRAME ? static_cast<int>(duration)
                                                     : static_cast<int>(duration / m_renderer->FramePeriod());
    return S_OK;
}

int CVideoPlayer::RequestFrame(HDC dc, int x, int y, int width, int height, int frame, int flag)
{
    VideoDrawRequest request;
    // A memory or shared context is gone by the time the frame comes: the window's is taken then.
    if (flag && IsOwnContext(dc))
        request.dc = dc;
    else
        request.window = dc ? WindowFromDC(dc) : nullptr;
    request.x = x;
    request.y = y;
    request.width = width;
    request.height = height;
    request.frame = frame;
    request.flag = flag;
    Queue(request);
    return 0;
}

bool CVideoPlayer::DrawFrameNow(HDC memoryDc, int width, int height, int frame)
{
    VideoDrawRequest request;
    request.dc = memoryDc;
    request.width = width;
    request.height = height;
    request.frame = frame;
    request.flag = 1;
    request.drawn = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!request.drawn)
        return false;
    Queue(request);
    // The worker gives up on a frame after its 5 s; the request is gone by then.
    const bool drawn = WaitForSingleObject(request.drawn, kFrameWait + 1000) == WAIT_OBJECT_0;
    EnterCriticalSection(&m_lock);
    for (VideoDrawRequest& queued : m_requests)
        if (queued.drawn == request.drawn)
            queued.cancelled = true, queued.drawn = nullptr;
    LeaveCriticalSection(&m_lock);
    CloseHandle(request.drawn);
    return drawn;
}

void CVideoPlayer::Queue(const VideoDrawRequest& request)
{
    EnterCriticalSection(&m_lock);
    // A newer picture for the same place supersedes a queued one; a place on another target
    // (the preview beside the strip) is not the same place.
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        const POINT p{request.x, request.y};
        const RECT r{it->x, it->y, it->x + it->width, it->y + it->height};
        const bool sameTarget = it->dc == request.dc && it->window == request.window;
        it = sameTarget && !it->drawn && PtInRect(&r, p) ? m_requests.erase(it) : std::next(it);
    }
    m_requests.push_back(request);
    LeaveCriticalSection(&m_lock);
    SetEvent(m_requestWaiting);
}

void CVideoPlayer::OnFlush()
{
    EnterCriticalSection(&m_lock);
    m_flushed = true;
    LeaveCriticalSection(&m_lock);
}

bool CVideoPlayer::TakeRequest(VideoDrawRequest* request)
{
    // Only the frame of the worker's seek answers a request: a sample that was on its way
    // before the seek flushed the graph is another frame.
    if (m_requests.empty() || !m_seekPending || !m_flushed)
        return false;
    m_seekPending = false;
    *request = m_requests.front();
    m_requests.pop_front();
    SetEvent(m_frameDone);
    return true;
}

void CVideoPlayer::SignalStop()
{
    m_stop = true;
    SetEvent(m_stopped);
}

bool CVideoPlayer::WaitUnlessStopped(HANDLE event, DWORD ms) const
{
    const HANDLE events[2] = {event, m_stopped};
    return WaitForMultipleObjects(2, events, FALSE, ms) == WAIT_OBJECT_0;
}

void CVideoPlayer::Run()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    while (!m_stop) {
        EnterCriticalSection(&m_lock);
        if (m_requests.empty()) {
            LeaveCriticalSection(&m_lock);
            WaitUnlessStopped(m_requestWaiting, INFINITE);
            continue;
        }
        if (m_requests.front().cancelled) {
            m_requests.pop_front();
            LeaveCriticalSection(&m_lock);
            continue;
        }
        const int frame = m_requests.front().frame;
        const bool step = m_heldFrame >= 0 && frame > m_heldFrame && frame - m_heldFrame <= kMaxSteps;
        m_seekPending = true;
        m_flushed = false;
        LeaveCriticalSection(&m_lock);
        ResetEvent(m_frameDone);
        HRESULT hr = S_OK;
        if (step) {
            // The frames between go by undrawn; the last one answers the request.
            for (int f = m_heldFrame + 1; f < frame && SUCCEEDED(hr); ++f)
                if (!m_renderer->Step(kFrameWait, m_stopped))
                    hr = VFW_E_TIMEOUT;
            if (SUCCEEDED(hr) && !m_renderer->WaitHeld(kFrameWait, m_stopped))
                hr = VFW_E_TIMEOUT;
            EnterCriticalSection(&m_lock);
            m_flushed = true;
            LeaveCriticalSection(&m_lock);
            if (SUCCEEDED(hr) && !m_renderer->Step(kFrameWait, m_stopped))
                hr = VFW_E_TIMEOUT;
        } else {
            // A period in whole 100 ns units may be short by less than one (333333 at 30 fps):
            // one unit a frame keeps the position inside the frame asked for, not the one before.
            LONGLONG position = frame;
            if (m_timeFormat == TIME_FORMAT_MEDIA_TIME) {
                const LONGLONG period = m_renderer->FramePeriod();
                position = frame * period + std::min<LONGLONG>(frame, period / 2);
            }
            // No stop: the stream goes on after the frame, for the steps that may follow.
            hr = m_seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        }
        const bool done = SUCCEEDED(hr) && WaitUnlessStopped(m_frameDone, kFrameWait);
        // The renderer holds the frame drawn; after anything else where it stands is unknown.
        m_heldFrame = done ? frame : -1;
        // A failed seek, or a frame that never came: the request goes, or the worker would
        // seek for it forever.
        if (!done) {
            EnterCriticalSection(&m_lock);
            m_seekPending = false;
            if (!m_requests.empty() && m_requests.front().frame == frame)
                m_requests.pop_front();
            LeaveCriticalSection(&m_lock);
        }
    }
    CoUninitialize();
}
