#include "CaptionFrameHelper.h"

#include "FontSet.h"
#include "MemoryDC.h"
#include "SkinImage.h"
#include "SkinTables.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

struct PartSource {
    int part;
    int left, top, right, bottom; // inclusive
};

// Where each part lies in the caption image.
const PartSource kPartSources[] = {
    {0, 0, 0, 3, 23},     {1, 57, 0, 60, 23},  {2, 57, 57, 60, 60},  {3, 0, 57, 3, 60},
    {4, 10, 0, 20, 23},   {5, 57, 25, 60, 49}, {6, 10, 57, 20, 60},  {7, 0, 25, 3, 50},
    {8, 70, 21, 97, 33},  {9, 70, 5, 97, 17},  {10, 70, 21, 97, 34}, {11, 70, 37, 97, 50},
    {12, 70, 53, 97, 65}, {13, 1, 64, 28, 76}, {14, 32, 64, 59, 76}, {19, 70, 37, 97, 50},
};

// The border that can be grabbed is at least this thick.
const int kGrab = 4;

RECT WorkArea()
{
    RECT area = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

bool Inside(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

int ElementAnswer(int code)
{
    switch (code) {
    case kCaptionMaximize:
        return 9;
    case kCaptionMinimize:
        return 8;
    case kCaptionClose:
        return 20;
    case kCaptionCancel:
        return 20;
    case kCaptionHelp:
        return 21;
    case kCaptionRollUpButton:
        return 12;
    case kCaptionLayout1:
        return 13;
    case kCaptionLayout2:
        return 14;
    default:
        return 0;
    }
}

} // namespace

CaptionFrameHelper::CaptionFrameHelper()
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        m_topMargin = metrics.iCaptionHeight;
        m_leftMargin = m_rightMargin = m_bottomMargin = metrics.iBorderWidth;
    }
    RECT area = WorkArea();
    m_maxWidth = area.right - area.left;
    m_maxHeight = area.bottom - area.top;
}

CaptionFrameHelper::~CaptionFrameHelper()
{
    DropFrameCache();
    DropBandBrushes();
}

void CaptionFrameHelper::DropBandBrushes()
{
    for (HBRUSH& brush : m_bandBrushes) {
        if (brush)
            ::DeleteObject(brush);
        brush = nullptr;
    }
}

void CaptionFrameHelper::TileBand(CDC* dc, int part, int left, int top, int right, int bottom)
{
    SkinImage* image = GetPart(part);
    if (!image || right <= left || bottom <= top)
        return;
    int slot = part == kCaptionTop ? 0 : part == kCaptionLeft ? 1 : part == kCaptionRight ? 2 : 3;
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    if (m_brushFace != face) {
        DropBandBrushes();
        m_brushFace = face;
    }
    if (!m_bandBrushes[slot]) {
        DWORD argb = 0xFF000000u | ((DWORD)GetRValue(face) << 16) | ((DWORD)GetGValue(face) << 8) | GetBValue(face);
        if (HBITMAP bitmap = image->CreateHBitmap(argb)) {
            m_bandBrushes[slot] = ::CreatePatternBrush(bitmap);
            ::DeleteObject(bitmap);
        }
    }
    if (!m_bandBrushes[slot]) {
        image->DrawTiled(dc, left, top, right, bottom);
        return;
    }
    POINT oldOrigin;
    ::SetBrushOrgEx(*dc, left, top, &oldOrigin);
    RECT area = {left, top, right, bottom};
    ::FillRect(*dc, &area, m_bandBrushes[slot]);
    ::SetBrushOrgEx(*dc, oldOrigin.x, oldOrigin.y, nullptr);
}

void CaptionFrameHelper::DropFrameCache()
{
    if (m_cacheDC) {
        ::SelectObject(m_cacheDC, m_cacheOld);
        ::DeleteDC(m_cacheDC);
    }
    if (m_cacheBitmap)
        ::DeleteObject(m_cacheBitmap);
    m_cacheDC = nullptr;
    m_cacheBitmap = nullptr;
    m_cacheOld = nullptr;
    m_cacheSize = {};
}

void CaptionFrameHelper::Init(const char* name, DWORD flags)
{
    CString path = GetImagesFolder();
    path += name;
    InitFromPath(path, flags);
}

void CaptionFrameHelper::InitFromPath(const char* pathWithoutExtension, DWORD flags)
{
    CString path = pathWithoutExtension;
    m_flags = flags;
    LoadCaptionImagesFromPath(path);
    m_font = FontSet::Get(0);
    m_topMargin = GetPartSize(kCaptionTop).cy;
    m_bottomMargin = GetPartSize(kCaptionBottom).cy;
    m_leftMargin = GetPartSize(kCaptionLeft).cx;
    m_rightMargin = GetPartSize(kCaptionRight).cx;
}

void CaptionFrameHelper::LoadCaptionImages(const char* name)
{
    CString path = GetImagesFolder();
    path += name;
    LoadCaptionImagesFromPath(path);
}

void CaptionFrameHelper::LoadCaptionImagesFromPath(const char* pathWithoutExtension)
{
    DropFrameCache();
    DropBandBrushes();
    for (auto& part : m_parts)
        part.reset();
    SkinImage whole(pathWithoutExtension);
    if (!whole.IsLoaded())
        return;
    for (const PartSource& s : kPartSources)
        m_parts[s.part] = whole.CloneArea(s.left, s.top, s.right + 1, s.bottom + 1);
}

SkinImage* CaptionFrameHelper::GetPart(int n) const
{
    return n >= 0 && n < kPartCount ? m_parts[n].get() : nullptr;
}

CSize CaptionFrameHelper::GetPartSize(int n) const
{
    SkinImage* part = GetPart(n);
    return part ? part->GetSize() : CSize(0, 0);
}

void CaptionFrameHelper::GetMargins(POINT* leftTop, POINT* rightBottom) const
{
    if (leftTop)
        *leftTop = {m_leftMargin, m_topMargin};
    if (rightBottom)
        *rightBottom = {m_rightMargin, m_bottomMargin};
}

void CaptionFrameHelper::SetSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight)
{
    m_minWidth = minWidth;
    m_minHeight = minHeight;
    m_maxWidth = maxWidth;
    m_maxHeight = maxHeight;
}

void CaptionFrameHelper::GetSizeLimits(SIZE* minimum, SIZE* maximum) const
{
    if (minimum)
        *minimum = {m_minWidth, m_minHeight};
    if (maximum)
        *maximum = {m_maxWidth, m_maxHeight};
}

int CaptionFrameHelper::MaxWidth() const
{
    if (m_maxWidth >= 0)
        return m_maxWidth;
    RECT area = WorkArea();
    return area.right - area.left;
}

int CaptionFrameHelper::MaxHeight() const
{
    if (m_maxHeight >= 0)
        return m_maxHeight;
    RECT area = WorkArea();
    return area.bottom - area.top;
}

void CaptionFrameHelper::AttachClient(CWnd* pane)
{
    m_client = pane;
    if (!pane || !m_frame)
        return;
    RECT r;
    pane->GetWindowRect(&r);
    int width = r.right - r.left + m_leftMargin + m_rightMargin;
    int height = r.bottom - r.top + m_topMargin + m_bottomMargin;
    m_frame->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

// ---- non-client messages --------------------------------------------------------------------

void CaptionFrameHelper::OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params)
{
    if (!params)
        return;
    RECT& r = params->rgrc[0];
    r.left += m_leftMargin;
    r.top += m_topMargin;
    r.right -= m_rightMargin;
    r.bottom -= m_bottomMargin;
    if (calcValid)
        params->rgrc[1] = params->rgrc[2] = r;
}

BOOL CaptionFrameHelper::OnNcActivate(BOOL active)
{
    m_active = active;
    OnNcPaint(kCaptionNothing);
    return TRUE;
}

void CaptionFrameHelper::OnNcPaint(int highlight)
{
    if (!m_frame || !m_frame->m_hWnd)
        return;
    RECT wr;
    m_frame->GetWindowRect(&wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    CWindowDC window(m_frame->m_hWnd);
    MemoryDC buffer;
    CDC* dc = buffer.Create(&window, CRect(0, 0, w, h));
    if (!dc)
        return;
    Render(dc, w, h, highlight);
    if (!m_rolledUp && !m_frame->IsIconic()) {
        // The client area is the pane's: only the four bands are copied.
        window.BitBlt(0, 0, w, m_topMargin, dc, 0, 0, SRCCOPY);
        window.BitBlt(0, m_topMargin, m_leftMargin, h - m_topMargin, dc, 0, m_topMargin, SRCCOPY);
        window.BitBlt(w - m_rightMargin, m_topMargin, m_rightMargin, h - m_topMargin, dc, w - m_rightMargin,
                      m_topMargin, SRCCOPY);
        window.BitBlt(0, h - m_bottomMargin, w, m_bottomMargin, dc, 0, h - m_bottomMargin, SRCCOPY);
    } else {
        window.BitBlt(0, 0, w, h, dc, 0, 0, SRCCOPY);
    }
}

void CaptionFrameHelper::Render(CDC* dc, int width, int height, int highlight)
{
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    if (!m_cacheDC || m_cacheSize.cx != width || m_cacheSize.cy != height || m_cacheFace != face) {
        DropFrameCache();
        HDC screen = ::GetDC(nullptr);
        m_cacheDC = ::CreateCompatibleDC(screen);
        m_cacheBitmap = CreateBufferBitmap(screen, std::max(width, 1), std::max(height, 1));
        ::ReleaseDC(nullptr, screen);
        if (!m_cacheDC || !m_cacheBitmap) {
            DropFrameCache();
            dc->FillSolidRect(CRect(0, 0, width, height), face);
            DrawCaption(dc, 0, 0, width, height);
            DrawButtons(dc, 0, 0, width, height, highlight);
            return;
        }
        m_cacheOld = ::SelectObject(m_cacheDC, m_cacheBitmap);
        m_cacheSize = {width, height};
        m_cacheFace = face;
        CDC cache(m_cacheDC);
        cache.FillSolidRect(CRect(0, 0, width, height), face);
        DrawFramePieces(&cache, 0, 0, width, height);
    }
    ::BitBlt(*dc, 0, 0, width, height, m_cacheDC, 0, 0, SRCCOPY);
    DrawTitle(dc, 0, 0, width, height);
    DrawButtons(dc, 0, 0, width, height, highlight);
}

void CaptionFrameHelper::DrawCaption(CDC* dc, int left, int top, int right, int bottom)
{
    DrawFramePieces(dc, left, top, right, bottom);
    DrawTitle(dc, left, top, right, bottom);
}

// The title lies clear of the corners, so the pieces can go first and be kept.
void CaptionFrameHelper::DrawFramePieces(CDC* dc, int left, int top, int right, int bottom)
{
    int w = right - left, h = bottom - top;
    CSize p0 = GetPartSize(kCaptionTopLeft), p1 = GetPartSize(kCaptionTopRight);
    CSize p2 = GetPartSize(kCaptionBottomRight), p3 = GetPartSize(kCaptionBottomLeft);
    TileBand(dc, kCaptionTop, left + p0.cx, top, left + w - m_rightMargin, top + m_topMargin);
    TileBand(dc, kCaptionLeft, left, top + m_topMargin, left + m_leftMargin, top + h - m_bottomMargin);
    TileBand(dc, kCaptionRight, left + w - m_rightMargin, top + m_topMargin, left + w, top + h - m_bottomMargin);
    TileBand(dc, kCaptionBottom, left + m_leftMargin, top + h - m_bottomMargin, left + w - m_rightMargin, top + h);
    if (SkinImage* corner = GetPart(kCaptionTopLeft))
        corner->Draw(dc, left, top);
    if (SkinImage* corner = GetPart(kCaptionTopRight))
        corner->Draw(dc, left + w - p1.cx, top);
    if (SkinImage* corner = GetPart(kCaptionBottomRight))
        corner->Draw(dc, left + w - p2.cx, top + h - p2.cy);
    if (SkinImage* corner = GetPart(kCaptionBottomLeft))
        corner->Draw(dc, left, top + h - p3.cy);
}

void CaptionFrameHelper::DrawTitle(CDC* dc, int left, int top, int right, int bottom)
{
    (void)bottom;
    int w = right - left;
    CSize p0 = GetPartSize(kCaptionTopLeft), p1 = GetPartSize(kCaptionTopRight);
    if (m_frame && m_frame->m_hWnd) {
        int length = m_frame->GetWindowTextLength();
        // DrawText may put an ellipsis of up to four characters behind the text it keeps.
        std::vector<char> text((size_t)length + 5, '\0');
        ::GetWindowTextA(m_frame->m_hWnd, text.data(), length + 1);
        RECT r = {left + p0.cx + 1, top + 2, 0, top + p0.cy};
        int textRight = w - 4 - p1.cx / 2;
        const struct {
            DWORD flag;
            int part;
        } reserved[] = {
            {kCaptionFlagClose, kCaptionClose},
            {kCaptionFlagCancel, kCaptionCancel},
            {kCaptionFlagHelp, kCaptionHelp},
            {kCaptionFlagRollUp, kCaptionRollUpButton},
        };
        for (const auto& button : reserved)
            if (m_flags & button.flag)
                textRight -= 4 + GetPartSize(button.part).cx / 2;
        r.right = left + textRight;
        if (length > 0 && r.right > r.left) {
            HGDIOBJ oldFont = m_font && m_font->m_hObject ? dc->SelectObject(*m_font) : nullptr;
            int oldMode = dc->SetBkMode(TRANSPARENT);
            COLORREF oldColor =
                dc->SetTextColor(SkinColorAt(m_active ? kSkinColorCaptionActive : kSkinColorCaptionInactive));
            dc->DrawText(text.data(), length, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_MODIFYSTRING);
            dc->SetTextColor(oldColor);
            dc->SetBkMode(oldMode);
            if (oldFont)
                dc->SelectObject(oldFont);
        }
    }
}

int CaptionFrameHelper::LayoutButtons(int width, ButtonSlot* slots) const
{
    bool iconic = m_frame && m_frame->m_hWnd && m_frame->IsIconic();
    bool zoomed = m_frame && m_frame->m_hWnd && m_frame->IsZoomed();
    struct Candidate {
        DWORD flag;
        int code;
        int part;
        bool shown;
    };
    const Candidate candidates[] = {
        {kCaptionFlagClose, kCaptionClose, kCaptionClose, true},
        {kCaptionFlagCancel, kCaptionCancel, kCaptionCancel, true},
        {kCaptionFlagMaximize, kCaptionMaximize, zoomed ? kCaptionRestore : kCaptionMaximize, true},
        {kCaptionFlagMinimize, kCaptionMinimize, iconic ? kCaptionRestore : kCaptionMinimize, true},
        {kCaptionFlagHelp, kCaptionHelp, kCaptionHelp, !iconic},
        {kCaptionFlagRollUp, kCaptionRollUpButton, kCaptionRollUpButton, !iconic},
        {kCaptionFlagLayout1, kCaptionLayout1, kCaptionLayout1, !iconic && !m_rolledUp},
        {kCaptionFlagLayout2, kCaptionLayout2, kCaptionLayout2, !iconic && !m_rolledUp},
    };
    int captionHeight = m_topMargin;
    int x = width - GetPartSize(kCaptionTopRight).cx;
    int count = 0;
    for (const Candidate& c : candidates) {
        if (!c.shown || !(m_flags & c.flag))
            continue;
        CSize size = GetPartSize(c.part);
        if (size.cx <= 0 || size.cy <= 0)
            continue;
        x -= 4 + size.cx / 2;
        int y = (captionHeight - size.cy + 1) / 2;
        slots[count++] = {c.code, c.part, {x, y, x + size.cx / 2 - 1, y + size.cy - 1}};
    }
    return count;
}

void CaptionFrameHelper::DrawButtons(CDC* dc, int left, int top, int right, int bottom, int highlight)
{
    (void)bottom;
    ButtonSlot slots[8];
    int count = LayoutButtons(right - left, slots);
    for (int i = 0; i < count; ++i) {
        const ButtonSlot& s = slots[i];
        SkinImage* image = GetPart(s.part);
        int half = image->GetSize().cx / 2;
        image->DrawPart(dc, left + s.rect.left, top + s.rect.top, left + s.rect.right, top + s.rect.bottom,
                        highlight == s.code ? half : 0, 0);
    }
}

// ---- hit tests ------------------------------------------------------------------------------

int CaptionFrameHelper::HitTestCaption(int x, int y)
{
    m_currentCode = kCaptionNothing;
    if (!m_frame || !m_frame->m_hWnd)
        return 0;
    RECT wr;
    m_frame->GetWindowRect(&wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    POINT p = {x - wr.left, y - wr.top};

    ButtonSlot slots[8];
    int count = LayoutButtons(w, slots);
    RECT area = {count ? slots[count - 1].rect.left : 0, 0, w - GetPartSize(kCaptionTopRight).cx,
                 GetPartSize(kCaptionTop).cy};
    if (count && Inside(area, p)) {
        for (int i = 0; i < count; ++i) {
            RECT r = slots[i].rect;
            r.bottom = r.top + GetPartSize(slots[i].part).cy;
            if (Inside(r, p)) {
                m_currentCode = slots[i].code;
                return ElementAnswer(slots[i].code);
            }
        }
        return 0;
    }

    if (m_tracking && m_pressHitCode == HTCAPTION)
        return HTCAPTION;
    if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h)
        return 0;

    if (!m_rolledUp) {
        int gl = std::max(kGrab, m_leftMargin), gr = std::max(kGrab, m_rightMargin);
        int gt = std::max(kGrab, m_topMargin), gb = std::max(kGrab, m_bottomMargin);
        int fromRight = w - 1 - p.x, fromBottom = h - 1 - p.y;
        struct Zone {
            bool hit;
            int code;
            int answer;
        };
        bool corners = CanSizeWidth() && CanSizeHeight();
        // The top edge is the caption band: only its outer kGrab pixels size the window.
        const Zone zones[] = {
            {corners && p.x < gl && p.y < gt && (p.x < kGrab || p.y < kGrab), kCaptionTopLeft, HTTOPLEFT},
            {corners && fromRight < gr && p.y < gt && (fromRight < kGrab || p.y < kGrab), kCaptionTopRight, HTTOPRIGHT},
            {corners && fromRight < gr && fromBottom < gb && (fromRight < kGrab || fromBottom < kGrab),
             kCaptionBottomRight, HTBOTTOMRIGHT},
            {corners && p.x < gl && fromBottom < gb && (p.x < kGrab || fromBottom < kGrab), kCaptionBottomLeft,
             HTBOTTOMLEFT},
            {CanSizeHeight() && p.y < kGrab, kCaptionTop, HTTOP},
            {CanSizeHeight() && fromBottom < gb, kCaptionBottom, HTBOTTOM},
            {CanSizeWidth() && p.x < gl, kCaptionLeft, HTLEFT},
            {CanSizeWidth() && fromRight < gr, kCaptionRight, HTRIGHT},
        };
        for (const Zone& z : zones) {
            if (z.hit) {
                m_currentCode = z.code;
                return z.answer;
            }
        }
    }
    if (p.y < m_topMargin) {
        if (p.x < m_topMargin)
            return HTSYSMENU;
        m_currentCode = kCaptionDragArea;
        return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT CaptionFrameHelper::OnNcHitTest(int x, int y)
{
    if (!m_frame || !m_frame->m_hWnd)
        return HTCAPTION;
    HitTestCaption(x, y);
    switch (m_currentCode) {
    case kCaptionMaximize:
        return HTMAXBUTTON;
    case kCaptionMinimize:
        return HTMINBUTTON;
    case kCaptionClose:
        return HTCLOSE;
    case kCaptionHelp:
        return 21;
    case kCaptionCancel:
        return 22;
    default:
        break;
    }
    if (m_frame->IsIconic())
        return HTCAPTION;

    RECT wr;
    m_frame->GetWindowRect(&wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    POINT p = {x - wr.left, y - wr.top};
    int cxs = ::GetSystemMetrics(SM_CXSIZEFRAME), cys = ::GetSystemMetrics(SM_CYSIZEFRAME);
    DWORD style = m_frame->GetStyle();
    if ((style & WS_SYSMENU) && p.x >= 6 && p.x < 32 && p.y >= 6 && p.y < 23)
        return HTSYSMENU;
    if ((style & WS_THICKFRAME) && !m_rolledUp) {
        bool width = m_maxWidth != m_minWidth, height = m_maxHeight != m_minHeight;
        if (width && height) {
            int left = std::max(cxs, m_leftMargin), right = std::max(cxs, m_rightMargin);
            int top = std::max(cys, m_topMargin), bottom = std::max(cys, m_bottomMargin);
            if (p.x < left && p.y < top)
                return HTTOPLEFT;
            if (p.x >= w - right && p.y < top)
                return HTTOPRIGHT;
            if (p.x >= w - cxs && p.y >= h - cys)
                return HTBOTTOMRIGHT;
            if (p.x < left && p.y >= h - bottom)
                return HTBOTTOMLEFT;
        }
        if (height) {
            if (p.y < cys)
                return m_minHeight < 0 ? HTCLIENT : HTTOP;
            if (p.y >= h - cys)
                return HTBOTTOM;
        }
        if (width) {
            if (p.x < cxs)
                return m_minWidth < 0 ? HTCLIENT : HTLEFT;
            if (p.x >= w - cxs)
                return HTRIGHT;
        }
    }
    if (p.y < m_topMargin || p.y >= h - m_bottomMargin || p.x < m_leftMargin || p.x >= w - m_rightMargin)
        return HTCAPTION;
    if (m_client && m_client->m_hWnd && !m_client->IsWindowEnabled())
        return HTCLIENT;
    return HTCAPTION;
}

// ---- tracking -------------------------------------------------------------------------------

void CaptionFrameHelper::SetFocusToClient()
{
    if (!m_client || !m_client->m_hWnd || !m_client->IsWindowEnabled())
        return;
    HWND focus = ::GetFocus();
    if (focus != m_client->m_hWnd && !::IsChild(m_client->m_hWnd, focus))
        m_client->SetFocus();
}

BOOL CaptionFrameHelper::FilterMessage(const MSG* msg)
{
    if (!msg || !m_frame || !m_frame->m_hWnd || msg->hwnd != m_frame->m_hWnd)
        return FALSE;
    switch (msg->message) {
    case WM_NCLBUTTONDOWN: {
        SetFocusToClient();
        POINT p = {(short)LOWORD(msg->lParam), (short)HIWORD(msg->lParam)};
        HitTestCaption(p.x, p.y); // the element under this very press
        TrackButton((int)msg->wParam, p.x, p.y);
        return m_tracking && m_currentCode != kCaptionDragArea;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
        if (!m_tracking)
            return FALSE;
        POINT p = {(short)LOWORD(msg->lParam), (short)HIWORD(msg->lParam)};
        m_frame->ClientToScreen(&p);
        if (msg->message == WM_MOUSEMOVE) {
            DragFrame(HitTestCaption(p.x, p.y), p.x, p.y);
            return TRUE;
        }
        SetFocusToClient();
        return TrackButtonRelease(HitTestCaption(p.x, p.y), p.x, p.y);
    }
    default:
        return FALSE;
    }
}

void CaptionFrameHelper::TrackButton(int hitCode, int x, int y)
{
    if (hitCode == HTSYSMENU || !m_frame || !m_frame->m_hWnd)
        return;
    m_pressPoint = {x, y};
    m_frame->GetWindowRect(&m_pressRect);
    m_frame->SetCapture();
    m_pressHitCode = hitCode;
    m_tracking = TRUE;
    m_pressedCode = m_currentCode;
    Repaint(m_pressedCode);
    if (hitCode == HTCAPTION)
        m_dragOffset = {x - m_pressRect.left, y - m_pressRect.top};
}

void CaptionFrameHelper::DragFrame(int hitCode, int x, int y)
{
    if (!m_tracking || !m_frame || !m_frame->m_hWnd)
        return;
    if (m_pressedCode == kCaptionDragArea) {
        m_frame->SetWindowPos(nullptr, x - m_dragOffset.x, y - m_dragOffset.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        m_frame->UpdateWindow();
        return;
    }
    if (!m_rolledUp && m_pressedCode >= kCaptionTopLeft && m_pressedCode <= kCaptionLeft) {
        int code = m_pressedCode;
        int dx = x - m_pressPoint.x, dy = y - m_pressPoint.y;
        RECT r = m_pressRect;
        bool left = code == 0 || code == 3 || code == 7, right = code == 1 || code == 2 || code == 5;
        bool top = code == 0 || code == 1 || code == 4, bottom = code == 2 || code == 3 || code == 6;
        if (left)
            r.left += dx;
        if (right)
            r.right += dx;
        if (top)
            r.top += dy;
        if (bottom)
            r.bottom += dy;
        int width = std::min<int>(std::max<int>(r.right - r.left, std::abs(m_minWidth)), MaxWidth());
        width = std::max(width, m_leftMargin + m_rightMargin);
        int height = std::min<int>(std::max<int>(r.bottom - r.top, std::abs(m_minHeight)), MaxHeight());
        height = std::max(height, m_topMargin + m_bottomMargin);
        if (left)
            r.left = r.right - width;
        else
            r.right = r.left + width;
        if (top)
            r.top = r.bottom - height;
        else
            r.bottom = r.top + height;
        RECT now;
        m_frame->GetWindowRect(&now);
        if (!::EqualRect(&now, &r))
            m_frame->SetWindowPos(nullptr, r.left, r.top, width, height,
                                  SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
        return;
    }
    m_pressHitCode = hitCode;
    Repaint(m_currentCode == m_pressedCode ? m_pressedCode : (int)kCaptionNothing);
}

BOOL CaptionFrameHelper::TrackButtonRelease(int hitCode, int x, int y)
{
    (void)hitCode;
    (void)x;
    (void)y;
    if (::GetCapture() == (m_frame ? m_frame->m_hWnd : nullptr))
        ::ReleaseCapture();
    m_tracking = FALSE;
    if (!m_frame || !m_frame->m_hWnd)
        return TRUE;
    if (m_currentCode == m_pressedCode) {
        switch (m_pressedCode) {
        case kCaptionMaximize:
            m_frame->ShowWindow(m_frame->IsZoomed() ? SW_RESTORE : SW_MAXIMIZE);
            break;
        case kCaptionMinimize:
            m_frame->ShowWindow(m_frame->IsIconic() ? SW_RESTORE : SW_MINIMIZE);
            break;
        case kCaptionClose:
            m_frame->PostMessage(WM_CLOSE);
            break;
        case kCaptionRollUpButton:
            ToggleRollUp();
            break;
        case kCaptionCancel:
            m_frame->PostMessage(WM_COMMAND, IDCANCEL);
            break;
        case kCaptionLayout1:
        case kCaptionLayout2:
        case kCaptionHelp:
            Repaint(kCaptionNothing);
            return FALSE;
        default:
            break;
        }
    }
    Repaint(kCaptionNothing);
    return TRUE;
}

void CaptionFrameHelper::Repaint(int highlight)
{
    OnNcPaint(highlight);
}

// ---- rolling up -----------------------------------------------------------------------------

void CaptionFrameHelper::OnNcLButtonDblClk()
{
    if (m_frame && m_frame->m_hWnd && m_frame->IsIconic())
        m_frame->ShowWindow(SW_RESTORE);
    else
        ToggleRollUp();
}

void CaptionFrameHelper::ToggleRollUp()
{
    if (m_flags & kCaptionFlagRollUp)
        SetRolledUp(!m_rolledUp);
}

void CaptionFrameHelper::SetRolledUp(BOOL rolledUp)
{
    rolledUp = rolledUp ? TRUE : FALSE;
    if (!m_frame || !m_frame->m_hWnd) {
        m_rolledUp = rolledUp;
        return;
    }
    bool client = m_client && m_client->m_hWnd;
    if (rolledUp) {
        // Rolling up twice would save the caption-high rectangle as the one to come back to.
        if (m_rolledUp)
            return;
        m_frame->GetWindowRect(&m_savedRect);
        m_rolledUp = TRUE; // before sizing: the size limits follow the rolled-up state
        if (client)
            m_client->ShowWindow(SW_HIDE);
        m_frame->SetWindowPos(nullptr, 0, 0, m_savedRect.right - m_savedRect.left, m_topMargin,
                              SWP_NOMOVE | SWP_NOZORDER);
        return;
    }
    if (m_rolledUp) {
        RECT r = m_savedRect;
        if (::IsRectEmpty(&r))
            m_frame->GetWindowRect(&r);
        m_rolledUp = FALSE;
        m_frame->SetWindowPos(nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    if (client)
        m_client->ShowWindow(SW_SHOW);
}
