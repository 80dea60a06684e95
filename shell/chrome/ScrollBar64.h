// CScrollBar64: a scroll-bar control (class "SCROLLBAR", SB_CTL) that takes 64-bit ranges and
// positions. Values are divided by a power of two (the shift) so that they fit the 32-bit control;
// the range reads back exactly, positions lose their low shift bits.
//
//   ScrollInfo64 info = { sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, length, page, start };
//   bar.SetScrollInfo64(&info, TRUE);
//   bar.GetScrollPos64(&info, SIF_TRACKPOS);
#pragma once
#include "Framework.h"

#include <cstdint>

struct ScrollInfo64 {
    UINT size;
    UINT mask; // SIF_RANGE, SIF_PAGE, SIF_POS, SIF_TRACKPOS
    int64_t minimum;
    int64_t maximum;
    UINT page; // not scaled
    int64_t position;
    int64_t trackPosition;
};

class CScrollBar64 : public CWnd {
    DECLARE_DYNCREATE(CScrollBar64)
public:
    CScrollBar64() = default;
    ~CScrollBar64() override;

    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // ESB_ENABLE_BOTH, ESB_DISABLE_LTUP, ESB_DISABLE_RTDN or ESB_DISABLE_BOTH; FALSE when the
    // bar is in that state already (then it is left alone) or on failure.
    BOOL EnableScrollBar(UINT arrows);
    BOOL SetScrollInfo64(const ScrollInfo64* info, BOOL redraw);
    BOOL GetScrollPos64(ScrollInfo64* info, UINT mask);
    int GetShift() const { return m_shift; }

    // The smallest shift from 0 to 32 that brings both values into 31 bits and a sign.
    static int ShiftFor(int64_t minimum, int64_t maximum);
    // Towards zero, for either sign.
    static int64_t ScaleDown(int64_t value, int shift);
    static int64_t ScaleUp(int64_t value, int shift);

private:
    // Whether the control shows its arrows (and its window) as EnableScrollBar(arrows) leaves them.
    bool IsInState(UINT arrows) const;

    ScrollInfo64 m_cache = {};
    int m_shift = 0;
};
