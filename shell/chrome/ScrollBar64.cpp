#include "ScrollBar64.h"

#include <algorithm>
#include <cstdlib>

IMPLEMENT_DYNCREATE(CScrollBar64, CWnd)

CScrollBar64::~CScrollBar64()
{
    DestroyWindow();
}

BOOL CScrollBar64::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("SCROLLBAR", nullptr, style, rect, parent, id);
}

BOOL CScrollBar64::EnableScrollBar(UINT arrows)
{
    // Asked for the state it is in, Wine's control still repaints itself (some 45 server round
    // trips when themed); the state reads back in one. The answer is the system's for that case.
    if (IsInState(arrows))
        return FALSE;
    return ::EnableScrollBar(m_hWnd, SB_CTL, arrows);
}

bool CScrollBar64::IsInState(UINT arrows) const
{
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    if (!m_hWnd || !::GetScrollBarInfo(m_hWnd, OBJID_CLIENT, &info))
        return false;
    const bool firstOff = (info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) != 0;
    const bool lastOff = (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE) != 0;
    // Both arrows off disables the control's window as well.
    const bool windowOn = ::IsWindowEnabled(m_hWnd) != FALSE;
    return firstOff == ((arrows & ESB_DISABLE_LTUP) != 0) && lastOff == ((arrows & ESB_DISABLE_RTDN) != 0) &&
           windowOn == ((arrows & ESB_DISABLE_BOTH) != ESB_DISABLE_BOTH);
}

int CScrollBar64::ShiftFor(int64_t minimum, int64_t maximum)
{
    int64_t low = minimum >> 31, high = maximum >> 31;
    uint64_t h =
        std::max<uint64_t>(low < 0 ? (uint64_t)-low : (uint64_t)low, high < 0 ? (uint64_t)-high : (uint64_t)high);
    int shift = 0;
    while (shift < 32 && (h >> shift) >= 1)
        ++shift;
    return shift;
}

int64_t CScrollBar64::ScaleDown(int64_t value, int shift)
{
    return value >= 0 ? value >> shift : -((-value) >> shift);
}

int64_t CScrollBar64::ScaleUp(int64_t value, int shift)
{
    return value >= 0 ? value << shift : -((-value) << shift);
}

BOOL CScrollBar64::SetScrollInfo64(const ScrollInfo64* info, BOOL redraw)
{
    if (!info || !m_hWnd)
        return FALSE;
    int shift = (info->mask & SIF_RANGE) ? ShiftFor(info->minimum, info->maximum) : m_shift;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = info->mask;
    if (info->mask & SIF_RANGE) {
        si.nMin = (int)ScaleDown(info->minimum, shift);
        si.nMax = (int)ScaleDown(info->maximum, shift);
    }
    if (info->mask & SIF_PAGE)
        si.nPage = info->page;
    if (info->mask & SIF_POS)
        si.nPos = (int)ScaleDown(info->position, shift);
    if (info->mask & SIF_TRACKPOS)
        si.nTrackPos = (int)ScaleDown(info->trackPosition, shift);
    ::SetScrollInfo(m_hWnd, SB_CTL, &si, redraw);
    // The control answers with the position, not with success: the window decides.
    BOOL ok = ::IsWindow(m_hWnd);
    if (ok) {
        m_cache.size = info->size;
        m_cache.mask = info->mask;
        if (info->mask & SIF_RANGE) {
            m_cache.minimum = info->minimum;
            m_cache.maximum = info->maximum;
            m_shift = shift;
        }
        if (info->mask & SIF_PAGE)
            m_cache.page = info->page;
        if (info->mask & SIF_POS)
            m_cache.position = info->position;
        if (info->mask & SIF_TRACKPOS)
            m_cache.trackPosition = info->trackPosition;
    }
    return ok;
}

BOOL CScrollBar64::GetScrollPos64(ScrollInfo64* info, UINT mask)
{
    if (!info)
        return FALSE;
    UINT size = info->size;
    *info = ScrollInfo64();
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = mask;
    if (!m_hWnd || !::GetScrollInfo(m_hWnd, SB_CTL, &si))
        return FALSE;
    m_cache.size = size;
    m_cache.mask = mask;
    info->size = size;
    info->mask = mask;
    const int64_t lowBits = m_shift ? (((int64_t)1 << m_shift) - 1) : 0;
    // The low bits the control cannot hold come back from the values that were set.
    auto restore = [&](int controlValue, int64_t cached) {
        int64_t up = ScaleUp(controlValue, m_shift);
        int64_t low = (cached < 0 ? -cached : cached) & lowBits;
        return up < 0 || (up == 0 && cached < 0) ? up - low : up + low;
    };
    if (mask & SIF_RANGE) {
        m_cache.minimum = info->minimum = restore(si.nMin, m_cache.minimum);
        m_cache.maximum = info->maximum = restore(si.nMax, m_cache.maximum);
    }
    if (mask & SIF_PAGE)
        info->page = m_cache.page = si.nPage;
    if (mask & SIF_POS)
        m_cache.position = info->position = ScaleUp(si.nPos, m_shift);
    if (mask & SIF_TRACKPOS)
        m_cache.trackPosition = info->trackPosition = ScaleUp(si.nTrackPos, m_shift);
    return TRUE;
}
