#include "VideoPlayer.h"

#include "GraphHelpers.h"
#include "VideoFrameRenderer.h"

#include <control.h>
#include <uuids.h>

#include <algorithm>
#include <string>

namespace {

constexpr DWORD kWaitStep = 100;     // ms between looks at the stop flag
constexpr int kFrameWaitSteps = 50;  // a frame that never comes frees the worker after 5 s

template <class T>
void ReleaseInto(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

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
      m_requestWaiting(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    InitializeCriticalSection(&m_lock);
}

CVideoPlayer::~CVideoPlayer()
{
    m_stop = true;
    Stop();
    if (m_control)
        m_control->Stop();
    ReleaseInto(m_rendererFilter);
    m_renderer = nullptr;
    CloseHandle(m_requestWaiting);
    m_requests.clear();
    ReleaseInto(m_seeking);
    ReleaseInto(m_control);
    ReleaseInto(m_graph);
    if (m_drawDib)
        DrawDibClose(m_drawDib);
    DeleteCriticalSection(&m_lock);
    CloseHandle(m_frameDone);
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
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(&m_graph));
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
    m_rendererFilter = static_cast<IBaseFilter*>(m_renderer);
    if (m_framePeriod && !m_renderer->FramePeriod())
        m_renderer->SetFramePeriod(m_framePeriod);
    // The source first: a file that cannot be read leaves nothing else in the graph.
    const std::wstring file(path, path + strlen(path));
    IBaseFilter* source = nullptr;
    HRESULT hr = m_graph->AddSourceFilter(file.c_str(), file.c_str(), &source);
    if (FAILED(hr))
        return hr;
    hr = m_graph->AddFilter(m_rendererFilter, L"Video Frame Renderer");
    if (FAILED(hr)) {
        source->Release();
        return hr;
    }
    // The first output of the source that reaches our renderer (the graph adds the splitter
    // and the decoder between); the sound stays unconnected.
    IPin* input = nullptr;
    hr = FindPinByDirection(m_rendererFilter, PINDIR_INPUT, &input);
    if (SUCCEEDED(hr)) {
        hr = VFW_E_CANNOT_RENDER;
        for (bool rgbOnly : {true, false}) {
            m_renderer->SetRgbOnly(rgbOnly);
            IEnumPins* pins = nullptr;
            if (FAILED(hr) && SUCCEEDED(source->EnumPins(&pins))) {
                IPin* pin = nullptr;
                while (FAILED(hr) && pins->Next(1, &pin, nullptr) == S_OK) {
                    PIN_DIRECTION dir;
                    if (SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_OUTPUT)
                        hr = m_graph->Connect(pin, input);
                    pin->Release();
                }
                pins->Release();
            }
        }
        m_renderer->SetRgbOnly(false);
        input->Release();
    }
    source->Release();
    if (FAILED(hr))
        return hr;
    if (m_framePeriod && !m_renderer->FramePeriod())
        m_renderer->SetFramePeriod(m_framePeriod);
    hr = m_graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&m_seeking));
    if (SUCCEEDED(hr))
        hr = m_graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&m_control));
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
    EnterCriticalSection(&m_lock);
    // A newer picture for the same place supersedes a queued one; a place on another target
    // (the preview beside the strip) is not the same place.
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        const POINT p{x, y};
        const RECT r{it->x, it->y, it->x + it->width, it->y + it->height};
        const bool sameTarget = it->dc == request.dc && it->window == request.window;
        it = sameTarget && PtInRect(&r, p) ? m_requests.erase(it) : std::next(it);
    }
    m_requests.push_back(request);
    LeaveCriticalSection(&m_lock);
    SetEvent(m_requestWaiting);
    return 0;
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
    SetEvent(m_requestWaiting);
}

void CVideoPlayer::Run()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    while (!m_stop) {
        EnterCriticalSection(&m_lock);
        if (m_requests.empty()) {
            LeaveCriticalSection(&m_lock);
            WaitForSingleObject(m_requestWaiting, kWaitStep);
            continue;
        }
        if (m_requests.front().cancelled) {
            m_requests.pop_front();
            LeaveCriticalSection(&m_lock);
            continue;
        }
        const int frame = m_requests.front().frame;
        m_seekPending = true;
        m_flushed = false;
        LeaveCriticalSection(&m_lock);
        // A period in whole 100 ns units may be short by less than one (333333 at 30 fps): one
        // unit a frame keeps the position inside the frame asked for, not the one before.
        LONGLONG position = frame;
        if (m_timeFormat == TIME_FORMAT_MEDIA_TIME) {
            const LONGLONG period = m_renderer->FramePeriod();
            position = frame * period + std::min<LONGLONG>(frame, period / 2);
        }
        ResetEvent(m_frameDone);
        HRESULT hr = m_seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, &position,
                                             AM_SEEKING_AbsolutePositioning);
        bool done = false;
        if (SUCCEEDED(hr)) {
            for (int step = 0; step < kFrameWaitSteps && !m_stop; ++step) {
                if (WaitForSingleObject(m_frameDone, kWaitStep) == WAIT_OBJECT_0) {
                    done = true;
                    break;
                }
            }
        }
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
