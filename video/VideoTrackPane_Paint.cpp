// The video track pane's pictures: the strip of thumbnails, the frames that follow the
// position, and the preview window's picture.
#include "VideoTrackPane.h"

#include "DShowVideoSource.h"
#include "FontSet.h"
#include "SkinTables.h"
#include "VideoLayout.h"
#include "VideoPreviewWnd.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void Fill(HDC dc, const RECT& r, COLORREF color)
{
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// White text on black in a program font, its bottom at y.
void TextAt(HDC dc, int font, int x, int y, const char* text, COLORREF back)
{
    CFont* f = FontSet::Get(font);
    HGDIOBJ old = f ? SelectObject(dc, f->m_hObject) : nullptr;
    SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, back);
    SetBkMode(dc, OPAQUE);
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    if (old)
        SelectObject(dc, old);
}

} // namespace

int CVideoTrackPane::SlotX(int groupFirst) const
{
    if (!m_host)
        return INT_MIN;
    const double x = m_host->TimeToPixelsExact(FrameTime(groupFirst)) - m_host->TimeToPixelsExact(m_host->VisibleStartTime());
    return static_cast<int>(std::floor(x)) + 1;
}

void CVideoTrackPane::DrawSlot(HDC dc, int groupFirst, int frame, bool later)
{
    const int x = SlotX(groupFirst);
    if (x == INT_MIN)
        return;
    const RECT slot{x, 0, x + m_thumbWidth + 2, m_thumbHeight + 8};
    // The bands above and below, and the sunken edge around the picture.
    Fill(dc, RECT{slot.left, 0, slot.right, 4}, kVideoTrackBackground);
    Fill(dc, RECT{slot.left, 4 + m_thumbHeight, slot.right, slot.bottom}, kVideoTrackBackground);
    RECT edge{x, 3, x + m_thumbWidth + 2, 5 + m_thumbHeight};
    DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    const bool current = frame != groupFirst;
    CVideoSource* source = current && m_thumb ? m_thumb.get() : m_display.get();
    if (!later || !source->IsDrawnLater())
        source->DrawFrame(dc, x + 1, 4, m_thumbWidth, m_thumbHeight, frame, 0);
    if (m_frameNumber && frame >= 0 && frame < m_display->GetFrameCount()) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", frame);
        TextAt(dc, 2, x + 1, 4 + m_thumbHeight, text, RGB(0, 0, 0));
    }
}

// The slots that meet the area; sources that draw later are asked only when later is true
// (after the picture was put on the screen, so that it does not cover their frames).
void CVideoTrackPane::PaintStrip(HDC dc, const RECT& area, bool later)
{
    if (!m_display || m_framesPerStep <= 0 || !m_host)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int current = m_position >= 0 ? FrameAtTime(m_position) : -1;
    for (int group = GroupStart(m_host->VisibleStartTime());; group += m_framesPerStep) {
        const int x = SlotX(group);
        if (x == INT_MIN || x > client.right)
            break;
        if (x + m_thumbWidth + 2 < area.left || x > area.right)
            continue;
        const bool holdsCurrent = m_frameAnimation && current >= group && current < group + m_framesPerStep;
        DrawSlot(dc, group, holdsCurrent ? current : group, later);
    }
}

void CVideoTrackPane::OnPaint()
{
    PAINTSTRUCT ps;
    HDC screen = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<int>(1, client.right), std::max<int>(1, client.bottom));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    Fill(dc, client, RGB(0, 0, 0));
    const bool drawnLater = m_display && m_display->IsDrawnLater();
    if (m_frozen) {
        HDC frozen = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(frozen, m_frozen);
        BitBlt(dc, 0, 0, client.right, client.bottom, frozen, 0, 0, SRCCOPY);
        SelectObject(frozen, old);
        DeleteDC(frozen);
    } else if (!m_display) {
        Fill(dc, client, kVideoTrackBackground);
    } else {
        PaintStrip(dc, ps.rcPaint, false);
    }
    if (!m_frozen) {
        HPEN pen = CreatePen(PS_SOLID, 1, SkinColorAt(11));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        MoveToEx(dc, 0, client.bottom - 1, nullptr);
        LineTo(dc, client.right, client.bottom - 1);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    BitBlt(screen, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    if (!m_frozen && drawnLater) {
        // The graph's frames come later and land on the window itself.
        HDC window = ::GetDC(m_hWnd);
        PaintStrip(window, ps.rcPaint, true);
        ::ReleaseDC(m_hWnd, window);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CVideoTrackPane::RenderFrames(double time)
{
    if (m_frozen || !m_thumb || !m_display)
        return;
    const int frame = FrameAtTime(time);
    if (m_position >= 0 && frame == FrameAtTime(m_position))
        return;
    if (m_hWnd && m_frameAnimation && m_framesPerStep > 1) {
        HDC dc = ::GetDC(m_hWnd);
        if (m_position >= 0) {
            const int previous = GroupStart(m_position);
            DrawSlot(dc, previous, previous, true);
        }
        DrawSlot(dc, GroupStart(time), frame, true);
        ::ReleaseDC(m_hWnd, dc);
    }
    m_position = time;
    if (m_preview && m_preview->m_hWnd && m_preview->IsWindowVisible()) {
        m_preview->Invalidate(FALSE);
        m_preview->UpdateWindow();
    }
}

void CVideoTrackPane::LayoutPreview(const RECT& picture)
{
    if (!m_display)
        return;
    const RECT old = m_previewFrame;
    m_previewFrame = FitFrame(picture, m_display->GetWidth(), m_display->GetHeight());
    if (!m_preview)
        return;
    if (CDShowVideoSource* shown = dynamic_cast<CDShowVideoSource*>(m_display.get())) {
        shown->SetTextOrigin(picture.left, picture.bottom + 2);
        CVideoPlayer* player = shown->Player();
        EnterCriticalSection(&player->Lock());
        for (VideoDrawRequest& r : player->Requests()) {
            if (r.x == old.left && r.y == old.top && r.window != m_hWnd) {
                r.x = m_previewFrame.left;
                r.y = m_previewFrame.top;
                r.width = m_previewFrame.right - m_previewFrame.left;
                r.height = m_previewFrame.bottom - m_previewFrame.top;
            }
        }
        LeaveCriticalSection(&player->Lock());
    }
}

void CVideoTrackPane::PaintPreview(HDC dc, const RECT& picture)
{
    if (!m_display)
        return;
    const RECT& f = m_previewFrame;
    // The margins around the frame.
    Fill(dc, RECT{picture.left, picture.top, picture.right, f.top}, RGB(0, 0, 0));
    Fill(dc, RECT{picture.left, f.bottom, picture.right, picture.bottom}, RGB(0, 0, 0));
    Fill(dc, RECT{picture.left, f.top, f.left, f.bottom}, RGB(0, 0, 0));
    Fill(dc, RECT{f.right, f.top, picture.right, f.bottom}, RGB(0, 0, 0));
    const int frame = m_position >= 0 ? FrameAtTime(m_position) : -1;
    if (m_position < 0)
        Fill(dc, f, RGB(0, 0, 0));
    else
        m_display->DrawFrame(dc, f.left, f.top, f.right - f.left, f.bottom - f.top, frame, 1);
    char text[16];
    if (frame >= 0 && frame < m_display->GetFrameCount())
        std::snprintf(text, sizeof text, "%5d", frame);
    else
        std::strcpy(text, "-----");
    CFont* font = FontSet::Get(7);
    HGDIOBJ old = font ? SelectObject(dc, font->m_hObject) : nullptr;
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, picture.left, picture.bottom + 2, text, static_cast<int>(std::strlen(text)));
    if (old)
        SelectObject(dc, old);
}
