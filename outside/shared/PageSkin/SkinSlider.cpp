#include "SkinSlider.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace geq {

namespace {

constexpr int kEndGap = 2;       // pixels beyond half a thumb at each end of the track
constexpr int kDefaultTrack = 4; // track thickness without an image
constexpr int kTickLength = 3;

} // namespace

SkinSlider::SkinSlider(HINSTANCE cursorModule)
    : m_cursorModule(cursorModule)
{
    m_thumbH.LoadResource(kSkinThumbH);
    m_thumbV.LoadResource(kSkinThumbV);
    m_thumbHDisabled.LoadResource(kSkinThumbHDisabled);
    m_thumbVDisabled.LoadResource(kSkinThumbVDisabled);
    m_trackH.LoadResource(kSkinTrackH);
    m_trackV.LoadResource(kSkinTrackV);
    SetVertical(false);
}

SkinSlider::~SkinSlider()
{
    Detach();
}

bool SkinSlider::Attach(HWND window)
{
    if (!IsWindow(window) || GetWindowLongPtrW(window, GWLP_USERDATA) != 0 || m_hwnd)
        return false;
    m_hwnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinSlider::WindowProc)));
    Layout();
    return true;
}

void SkinSlider::Detach()
{
    if (!m_hwnd)
        return;
    if (IsWindow(m_hwnd)) {
        SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    }
    m_hwnd = nullptr;
    m_previous = nullptr;
}

void SkinSlider::SetRange(double minimum, double maximum)
{
    m_min = minimum;
    m_max = maximum;
    m_valueValid = false;
}

void SkinSlider::SetVertical(bool vertical)
{
    m_horizontal = !vertical;
    const SIZE s = (vertical ? m_thumbV : m_thumbH).GetSize();
    m_thumb = s.cx > 0 ? s : (vertical ? SIZE{20, 10} : SIZE{10, 20});
    Layout();
}

void SkinSlider::SetStyle(unsigned style)
{
    m_style = style;
    Layout();
}

bool SkinSlider::SetTicks(int count)
{
    if (count < 2)
        return false;
    m_ticks = count;
    Layout();
    return true;
}

int SkinSlider::TickSpacing() const
{
    return int(m_tickSpacing);
}

void SkinSlider::Layout()
{
    RECT client{0, 0, 0, 0};
    if (m_hwnd)
        GetClientRect(m_hwnd, &client);
    const int along = m_horizontal ? client.right : client.bottom;
    const int across = m_horizontal ? client.bottom : client.right;
    const int half = (m_horizontal ? m_thumb.cx : m_thumb.cy) / 2;
    m_length = std::max(0, along - 2 * (half + kEndGap));
    if (m_ticks >= 2) {
        m_tickSpacing = double(m_length) / double(m_ticks - 1) + 0.5;
        m_length = (m_ticks - 1) * TickSpacing();
    }
    const SIZE trackImage = (m_horizontal ? m_trackH : m_trackV).GetSize();
    const int thickness = std::max(1, int(m_horizontal ? trackImage.cy : trackImage.cx) > 0
                                          ? int(m_horizontal ? trackImage.cy : trackImage.cx)
                                          : kDefaultTrack);
    const int start = half + kEndGap;
    const int cross = (m_style & kStyleTrackBottom) ? across - thickness - kEndGap : (across - thickness) / 2;
    if (m_horizontal)
        m_track = RECT{start, cross, start + m_length, cross + thickness};
    else
        m_track = RECT{cross, start, cross + thickness, start + m_length};
    if (m_valueValid)
        SetValue(m_value);
    m_position = std::clamp(m_position, 0, m_length);
}

POINT SkinSlider::PointAt(int position) const
{
    if (m_horizontal)
        return POINT{m_track.left + position, (m_track.top + m_track.bottom) / 2};
    return POINT{(m_track.left + m_track.right) / 2, m_track.top + position};
}

RECT SkinSlider::ThumbRect() const
{
    const POINT c = PointAt(m_position);
    return RECT{c.x - m_thumb.cx / 2, c.y - m_thumb.cy / 2, c.x - m_thumb.cx / 2 + m_thumb.cx,
                c.y - m_thumb.cy / 2 + m_thumb.cy};
}

int SkinSlider::HitTest(POINT p) const
{
    const RECT thumb = ThumbRect();
    if (PtInRect(&thumb, p))
        return 1;
    // The track answers across the thumb's breadth, so a click beside the thin line counts.
    RECT track = m_track;
    if (m_horizontal)
        InflateRect(&track, 0, std::max(0L, (m_thumb.cy - (track.bottom - track.top)) / 2));
    else
        InflateRect(&track, std::max(0L, (m_thumb.cx - (track.right - track.left)) / 2), 0);
    return PtInRect(&track, p) ? 2 : 0;
}

int SkinSlider::OffsetAlongTrack(POINT p) const
{
    const int offset = m_horizontal ? p.x - m_track.left : p.y - m_track.top;
    return std::clamp(offset, 0, m_length);
}

int SkinSlider::Snap(int position) const
{
    if (!m_horizontal || !(m_style & kStyleTicks) || (m_style & kStyleNoSnap) || m_ticks < 2 || TickSpacing() <= 0)
        return position;
    const int spacing = TickSpacing();
    return std::clamp((position + spacing / 2) / spacing * spacing, 0, m_length);
}

double SkinSlider::GetValue()
{
    if (!m_valueValid) {
        const double p = m_horizontal ? m_position : m_length - m_position;
        double v = m_length > 0 ? m_min + p / m_length * (m_max - m_min) : m_min;
        m_value = std::clamp(v, std::min(m_min, m_max), std::max(m_min, m_max));
        m_valueValid = true;
    }
    return m_value;
}

void SkinSlider::SetValue(double value)
{
    value = std::clamp(value, std::min(m_min, m_max), std::max(m_min, m_max));
    m_value = value;
    m_valueValid = true;
    int pos = m_max != m_min ? int(m_length * (value - m_min) / (m_max - m_min)) : 0;
    if (!m_horizontal)
        pos = m_length - pos;
    m_position = std::clamp(pos, 0, m_length);
    Redraw();
}

void SkinSlider::SetPosition(int position)
{
    m_position = std::clamp(position, 0, m_length);
    m_valueValid = false;
    Redraw();
}

void SkinSlider::Redraw()
{
    if (m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
        UpdateWindow(m_hwnd);
    }
}

void SkinSlider::Notify(int code)
{
    HWND parent = m_hwnd ? GetParent(m_hwnd) : nullptr;
    if (parent)
        PostMessageW(parent, WM_HSCROLL, WPARAM((unsigned(m_position) << 16) | unsigned(code)),
                     reinterpret_cast<LPARAM>(m_hwnd));
}

const SkinImage& SkinSlider::ThumbImage() const
{
    const bool enabled = IsWindowEnabled(m_hwnd);
    if (m_horizontal)
        return enabled ? m_thumbH : m_thumbHDisabled;
    return enabled ? m_thumbV : m_thumbVDisabled;
}

void SkinSlider::Paint(HDC target)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom));
    HGDIOBJ old = SelectObject(dc, bitmap);

    // The parent's background, aligned with the parent.
    HWND parent = GetParent(m_hwnd);
    HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(
                                SendMessageW(parent, WM_CTLCOLORSTATIC, WPARAM(dc), reinterpret_cast<LPARAM>(m_hwnd)))
                          : nullptr;
    POINT origin{0, 0};
    if (parent)
        MapWindowPoints(m_hwnd, parent, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));

    const bool enabled = IsWindowEnabled(m_hwnd);
    CDC canvas(dc);
    (m_horizontal ? m_trackH : m_trackV).DrawTiled(&canvas, m_track);
    const COLORREF dark = GetSysColor(enabled ? COLOR_3DDKSHADOW : COLOR_3DSHADOW);
    const COLORREF light = GetSysColor(COLOR_3DHILIGHT);
    auto line = [dc](int x0, int y0, int x1, int y1, COLORREF colour) {
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    };
    if (m_style & kStyleTrackEdges) {
        const RECT& t = m_track;
        line(t.left - 1, t.bottom, t.left - 1, t.top - 1, dark);
        line(t.left - 1, t.top - 1, t.right + 1, t.top - 1, dark);
        line(t.right, t.top, t.right, t.bottom + 1, light);
        line(t.left - 1, t.bottom, t.right + 1, t.bottom, light);
    }
    if ((m_style & kStyleTicks) && m_ticks >= 2) {
        const int spacing = TickSpacing();
        for (int i = 0; i < m_ticks; ++i) {
            const int at = i * spacing;
            for (int pass = 0; pass < 2; ++pass) {
                const COLORREF colour = pass == 0 ? dark : light;
                if (m_horizontal) {
                    const int x = m_track.left + at + pass;
                    line(x, m_track.top - 1, x, m_track.top - 1 - kTickLength, colour);
                } else {
                    const int y = m_track.top + at + pass;
                    line(m_track.left - 1, y, m_track.left - 1 - kTickLength, y, colour);
                    line(m_track.right, y, m_track.right + kTickLength, y, colour);
                }
            }
        }
    }
    ThumbImage().DrawScaled(&canvas, ThumbRect());
    if (GetFocus() == m_hwnd && (GetWindowLongW(m_hwnd, GWL_STYLE) & WS_TABSTOP))
        DrawFocusRect(dc, &client);

    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void SkinSlider::OnLeftDown(POINT p)
{
    m_lastHit = HitTest(p);
    if (m_lastHit == 0)
        return;
    SetFocus(m_hwnd);
    if (m_lastHit == 1) {
        DragThumb();
        return;
    }
    m_position = Snap(OffsetAlongTrack(p));
    m_valueValid = false;
    SetCapture(m_hwnd);
    Redraw();
    Notify(kCodeClick);
}

void SkinSlider::DragThumb()
{
    const int before = m_position;
    POINT centre = PointAt(m_position);
    ClientToScreen(m_hwnd, &centre);
    SetCursorPos(centre.x, centre.y);
    POINT a = PointAt(0), b = PointAt(m_length);
    ClientToScreen(m_hwnd, &a);
    ClientToScreen(m_hwnd, &b);
    const RECT clip{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
    ClipCursor(&clip);
    SetCapture(m_hwnd);
    MSG msg;
    bool dragging = true;
    while (dragging && GetCapture() == m_hwnd) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) { // the program is quitting: end the drag and leave the quit for its loop
            PostQuitMessage(int(msg.wParam));
            break;
        }
        switch (msg.message) {
        case WM_MOUSEMOVE:
            if (msg.hwnd == m_hwnd && (msg.wParam & MK_LBUTTON)) {
                m_position = OffsetAlongTrack(POINT{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
                m_valueValid = false;
                Redraw();
                Notify(kCodeDrag);
            }
            break;
        case WM_LBUTTONUP:
            dragging = false;
            break;
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE) {
                m_position = before;
                m_valueValid = false;
                Redraw();
                Notify(kCodeDrag);
                dragging = false;
            }
            break;
        default:
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            break;
        }
    }
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
    ClipCursor(nullptr);
}

void SkinSlider::OnKey(UINT key)
{
    switch (key) {
    case VK_HOME:
        SetValue(m_default);
        break;
    case VK_UP:
    case VK_RIGHT:
    case VK_LEFT:
    case VK_DOWN: {
        const bool up = key == VK_UP || key == VK_RIGHT;
        if (m_step > 0) {
            SetValue(GetValue() + (up ? m_step : -m_step));
        } else {
            const bool back = key == VK_LEFT || key == VK_UP;
            SetPosition(m_position + (back ? -1 : 1));
        }
        break;
    }
    default:
        return;
    }
    Redraw();
    Notify(int(key));
}

LRESULT CALLBACK SkinSlider::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<SkinSlider*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->m_hwnd != hwnd)
        return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC previous = self->m_previous;
        self->Detach();
        return CallWindowProcW(previous, hwnd, msg, wp, lp);
    }
    return self->OnMessage(msg, wp, lp);
}

LRESULT SkinSlider::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftDown(p);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == m_hwnd && !m_rightDown) {
            // A release elsewhere on the track moves the thumb there; the parent hears of it,
            // or its value would no longer be the thumb's.
            const int position = Snap(OffsetAlongTrack(p));
            if (HitTest(p) == 2 && position != m_position) {
                m_position = position;
                m_valueValid = false;
                Redraw();
                Notify(kCodeClick);
            }
            ReleaseCapture();
        }
        return 0;
    case WM_RBUTTONDOWN:
        m_rightDown = true;
        SetCapture(m_hwnd);
        return 0;
    case WM_RBUTTONUP: {
        const bool was = m_rightDown && GetCapture() == m_hwnd;
        m_rightDown = false;
        if (GetCapture() == m_hwnd)
            ReleaseCapture();
        RECT client;
        GetClientRect(m_hwnd, &client);
        if (was && PtInRect(&client, p)) {
            SetValue(m_default);
            Notify(kCodeClick);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        m_rightDown = false;
        return 0;
    case WM_MOUSEWHEEL:
        OnKey(GET_WHEEL_DELTA_WPARAM(wp) < 0 ? VK_DOWN : VK_UP);
        return 0;
    case WM_SETCURSOR: {
        POINT c;
        GetCursorPos(&c);
        ScreenToClient(m_hwnd, &c);
        const int hit = HitTest(c);
        HCURSOR cursor = nullptr;
        if (hit == 1)
            cursor = LoadCursorW(m_cursorModule, m_horizontal ? L"CUR_SLIDE_HD_H" : L"CUR_SLIDE_HD_V");
        else if (hit == 2)
            cursor = LoadCursorW(m_cursorModule, m_horizontal ? L"CUR_SLIDE_AR" : L"CUR_SLIDE_AV");
        SetCursor(cursor ? cursor : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        return TRUE;
    }
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTARROWS;
        const MSG* m = reinterpret_cast<const MSG*>(lp);
        if (m && m->message == WM_KEYDOWN && (m->wParam == VK_HOME || (m->wParam >= VK_LEFT && m->wParam <= VK_DOWN)))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        OnKey(UINT(wp));
        return 0;
    default:
        return CallWindowProcW(m_previous, m_hwnd, msg, wp, lp);
    }
}

} // namespace geq
