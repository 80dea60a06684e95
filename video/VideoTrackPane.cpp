#include "VideoTrackPane.h"

#include "DShowVideoSource.h"
#include "Settings.h"
#include "VideoIds.h"
#include "VideoLayout.h"
#include "VideoPreviewWnd.h"

#include <climits>
#include <cmath>

namespace {

constexpr UINT kAnimationMessage = WM_USER;
constexpr int kEventStart = 0, kEventStop = 1, kEventQuit = 4;
const char kSection[] = "Settings";

CVideoPlayer* PlayerOf(CVideoSource* source)
{
    auto* shown = dynamic_cast<CDShowVideoSource*>(source);
    return shown ? shown->Player() : nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CVideoTrackPane, CBaseWin)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_MESSAGE(kAnimationMessage, OnAnimationTime)
    ON_MESSAGE(WM_PALETTECHANGED, OnPaletteChanged)
    ON_MESSAGE(WM_QUERYNEWPALETTE, OnQueryNewPalette)
    ON_COMMAND(ID_VIDEO_FRAME_NUMBERS, OnFrameNumbers)
    ON_COMMAND(ID_VIDEO_FRAME_ANIMATION, OnFrameAnimation)
    ON_UPDATE_COMMAND_UI(ID_VIDEO_FRAME_NUMBERS, OnUpdateFrameNumbers)
    ON_UPDATE_COMMAND_UI(ID_VIDEO_FRAME_ANIMATION, OnUpdateFrameAnimation)
END_MESSAGE_MAP()

CVideoTrackPane::CVideoTrackPane()
{
    InitializeCriticalSection(&m_lock);
    m_frameNumber = GetSettingInt(kSection, "FrameNumber", 1) ? TRUE : FALSE;
    m_frameAnimation = GetSettingInt(kSection, "FrameAnimation", 0) ? TRUE : FALSE;
    for (HANDLE& e : m_events)
        e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_thread = CreateThread(nullptr, 0, &CVideoTrackPane::AnimationThread, this, 0, nullptr);
}

CVideoTrackPane::~CVideoTrackPane()
{
    SetEvent(m_events[kEventQuit]);
    if (m_thread) {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    for (HANDLE e : m_events)
        CloseHandle(e);
    CloseVideo();
    if (m_frozen)
        DeleteObject(m_frozen);
    DeleteCriticalSection(&m_lock);
}

BOOL CVideoTrackPane::Create(CWnd* parent, UINT id, IVideoTrackHost* host)
{
    m_host = host;
    return CWnd::Create(AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW)), nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0), parent, id);
}

void CVideoTrackPane::OnDestroy()
{
    if (m_preview)
        m_preview->SetActiveView(nullptr);
    CBaseWin::OnDestroy();
}

UINT CVideoTrackPane::ContextMenuId() const
{
    return IDR_VIDEO_TRACK_MENU;
}

bool CVideoTrackPane::OpenVideo(const char* path)
{
    CloseVideo();
    m_display.reset(CreateVideoSource(path, m_hWnd));
    if (!m_display)
        return false;
    m_thumb.reset(CreateVideoSource(path, m_hWnd));
    for (CVideoSource* source : {m_display.get(), m_thumb.get()})
        if (source)
            source->SetShowFrameNumbers(m_frameNumber);
    if (CVideoPreviewWnd* preview = m_preview) {
        preview->SetActiveView(nullptr);
        preview->SetActiveView(m_host ? CWnd::FromHandlePermanent(m_host->ViewWindow()) : nullptr);
    }
    UpdateLayout();
    if (m_hWnd)
        Invalidate(TRUE);
    return true;
}

bool CVideoTrackPane::CloseVideo()
{
    m_display.reset();
    m_thumb.reset();
    m_framesPerStep = 0;
    return true;
}

bool CVideoTrackPane::CanOpenVideo(const char* path)
{
    std::unique_ptr<CVideoSource> probe(CreateVideoSource(path, m_hWnd));
    return probe != nullptr;
}

bool CVideoTrackPane::LacksFrameDecoder()
{
    return m_display && m_display->LacksFrameDecoder();
}

std::string CVideoTrackPane::GetCodecText()
{
    return m_display ? m_display->GetCodecText() : std::string();
}

void CVideoTrackPane::Relayout()
{
    if (m_host)
        m_host->RelayoutView();
}

double CVideoTrackPane::GetFrameDuration() const
{
    return m_display ? m_display->GetFrameDuration() * 0.0001 : 0.0;
}

double CVideoTrackPane::FrameTime(int frame) const
{
    return m_display ? frame * m_display->GetFrameDuration() : 0.0;
}

int CVideoTrackPane::FrameAtTime(double time) const
{
    const double duration = m_display ? m_display->GetFrameDuration() : 0.0;
    return duration > 0.0 ? static_cast<int>(time / duration) : 0;
}

int CVideoTrackPane::GroupStart(double time) const
{
    const int frame = FrameAtTime(time);
    return m_framesPerStep > 0 ? frame - frame % m_framesPerStep : frame;
}

BOOL CVideoTrackPane::SetFrameAnimation(BOOL on)
{
    const BOOL previous = m_frameAnimation;
    m_frameAnimation = on;
    return previous;
}

void CVideoTrackPane::FreezeImage(BOOL freeze)
{
    if (m_frozen) {
        DeleteObject(m_frozen);
        m_frozen = nullptr;
    }
    if (!m_hWnd)
        return;
    if (freeze) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        HDC dc = ::GetDC(m_hWnd);
        HDC memory = CreateCompatibleDC(dc);
        m_frozen = CreateCompatibleBitmap(dc, std::max<int>(1, client.right), std::max<int>(1, client.bottom));
        HGDIOBJ old = SelectObject(memory, m_frozen);
        BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        ::ReleaseDC(m_hWnd, dc);
    } else {
        Invalidate(TRUE);
    }
}

void CVideoTrackPane::UpdateLayout()
{
    if (!m_display || !m_hWnd)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int videoHeight = m_display->GetHeight();
    m_thumbHeight = std::max<int>(0, client.bottom - 8);
    m_thumbWidth = videoHeight > 0 ? m_display->GetWidth() * m_thumbHeight / videoHeight : 0;
    for (CVideoSource* source : {m_display.get(), m_thumb.get()})
        if (source)
            source->SetDisplayHeight(m_thumbHeight);
    const double span = m_host ? m_host->PixelsToTime(m_thumbWidth + 6) : 0.0;
    m_framesPerStep = FramesPerStep(span, m_display->GetFrameDuration());
}

void CVideoTrackPane::OnSize(UINT, int, int)
{
    UpdateLayout();
}

void CVideoTrackPane::StartFrameAnimation()
{
    if (m_thread)
        SetEvent(m_events[kEventStart]);
}

void CVideoTrackPane::SetPreviewWindow(CVideoPreviewWnd* preview)
{
    m_preview = preview;
    if (preview && preview->m_hWnd)
        LayoutPreview(preview->PictureRect());
}

void CVideoTrackPane::ScrollBy(int dx)
{
    if (!m_hWnd)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (CVideoPlayer* player = PlayerOf(m_display.get())) {
        EnterCriticalSection(&player->Lock());
        for (VideoDrawRequest& r : player->Requests()) {
            if (r.window != m_hWnd)
                continue;
            r.x += dx;
            if (r.x + r.width <= client.left || r.x >= client.right)
                r.cancelled = true;
        }
        LeaveCriticalSection(&player->Lock());
    }
    EnterCriticalSection(&m_lock);
    ::ScrollWindowEx(m_hWnd, dx, 0, &client, &client, nullptr, nullptr, 0);
    LeaveCriticalSection(&m_lock);
    RECT strip = client;
    if (dx > 0)
        strip.right = client.left + dx + 1;
    else
        strip.left = client.right + dx;
    ::InvalidateRect(m_hWnd, &strip, TRUE);
}

void CVideoTrackPane::CancelRequestsIn(const RECT& area)
{
    CVideoPlayer* player = PlayerOf(m_display.get());
    if (!player)
        return;
    EnterCriticalSection(&player->Lock());
    for (VideoDrawRequest& r : player->Requests()) {
        const RECT place{r.x, r.y, r.x + r.width, r.y + r.height};
        RECT common;
        if (r.window == m_hWnd && IntersectRect(&common, &place, &area))
            r.cancelled = true;
    }
    LeaveCriticalSection(&player->Lock());
}

BOOL CVideoTrackPane::OnEraseBkgnd(CDC* dc)
{
    // A frame queued for what is erased now would land on the new background.
    RECT area;
    if (::GetClipBox(dc->m_hDC, &area) != ERROR)
        CancelRequestsIn(area);
    return TRUE;
}

LRESULT CVideoTrackPane::OnAnimationTime(WPARAM time, LPARAM)
{
    RenderFrames(static_cast<double>(time));
    InterlockedDecrement(&m_outstanding);
    return 0;
}

void CVideoTrackPane::RealizePalette(bool background)
{
    if (!m_display || !m_hWnd)
        return;
    HDC dc = ::GetDC(m_hWnd);
    const int changed = m_display->RealizePalette(dc, background);
    ::ReleaseDC(m_hWnd, dc);
    if (changed) {
        Invalidate(TRUE);
        if (m_preview && m_preview->m_hWnd)
            m_preview->Invalidate(TRUE);
    }
}

LRESULT CVideoTrackPane::OnPaletteChanged(WPARAM window, LPARAM)
{
    if (reinterpret_cast<HWND>(window) != m_hWnd)
        RealizePalette(true);
    return 0;
}

LRESULT CVideoTrackPane::OnQueryNewPalette(WPARAM, LPARAM)
{
    RealizePalette(false);
    return TRUE;
}

void CVideoTrackPane::OnFrameNumbers()
{
    m_frameNumber = !m_frameNumber;
    SetSettingInt(kSection, "FrameNumber", m_frameNumber);
    for (CVideoSource* source : {m_display.get(), m_thumb.get()})
        if (source)
            source->SetShowFrameNumbers(m_frameNumber);
    Invalidate(TRUE);
}

void CVideoTrackPane::OnFrameAnimation()
{
    m_frameAnimation = !m_frameAnimation;
    SetSettingInt(kSection, "FrameAnimation", m_frameAnimation);
}

void CVideoTrackPane::OnUpdateFrameNumbers(CCmdUI* ui)
{
    ui->Enable(HasVideo());
    ui->SetCheck(HasVideo() && m_frameNumber);
}

void CVideoTrackPane::OnUpdateFrameAnimation(CCmdUI* ui)
{
    ui->Enable(HasVideo());
    ui->SetCheck(HasVideo() && m_frameAnimation);
}

// The animation thread follows playback; it draws nothing and only posts the time.
DWORD WINAPI CVideoTrackPane::AnimationThread(void* self)
{
    static_cast<CVideoTrackPane*>(self)->Animate();
    return 0;
}

void CVideoTrackPane::Animate()
{
    for (;;) {
        DWORD which = WaitForMultipleObjects(7, m_events, FALSE, 500);
        if (which == WAIT_OBJECT_0 + kEventQuit)
            return;
        if (which != WAIT_OBJECT_0 + kEventStart)
            continue;
        EnterCriticalSection(&m_lock);
        const double duration = m_thumb ? m_thumb->GetFrameDuration() : 0.0;
        LeaveCriticalSection(&m_lock);
        const DWORD rate = m_host ? m_host->SampleRate() : 0;
        InterlockedExchange(&m_outstanding, 0);
        bool following = duration > 0.0 && rate > 0;
        while (following) {
            which = WaitForMultipleObjects(7, m_events, FALSE, std::max<DWORD>(1, static_cast<DWORD>(duration * 0.1)));
            if (which == WAIT_OBJECT_0 + kEventQuit)
                return;
            if (which == WAIT_OBJECT_0 + kEventStop)
                break;
            if (which != WAIT_TIMEOUT)
                continue;
            int state = 0;
            int64_t position = 0;
            if (!m_host || !m_host->GetPlayState(&state, &position))
                break;
            if (state == 3)
                continue;
            if (state != 2)
                break;
            // At most one time in flight: a busy user-interface thread is not flooded.
            if (InterlockedCompareExchange(&m_outstanding, 1, 0) == 0 &&
                !::PostMessageA(m_hWnd, kAnimationMessage, static_cast<WPARAM>(position * 10000 / rate), 0))
                InterlockedExchange(&m_outstanding, 0);
        }
    }
}
