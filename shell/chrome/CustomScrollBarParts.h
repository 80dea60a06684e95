// Pieces shared by the files of the replacement scroll bars: the program's one press and hot
// part, the window record, and where the bars lie in a window.
#pragma once
#include "CustomScrollBar.h"

namespace csb {

inline constexpr char kRecordProp[] = "CoolSBSubclassPtr";

// The one press of the program (the mouse capture is one too).
struct PressState {
    HWND hwnd = nullptr;
    int bar = SB_HORZ;
    int part = kScrollItemNone;
    bool onPart = false;
    POINT last = {};   // screen point of the last press or move
    int grab = 0;      // cursor minus thumb start, along the bar
    RECT barRect = {}; // window coordinates
    int startPosition = 0;
    int startThumb = 0;
    int thumbStart = 0; // of the dragged thumb, from the bar's start
    int trackPosition = 0;
};

struct HotState {
    HWND hwnd = nullptr;
    int bar = SB_HORZ;
    int part = kScrollItemNone;
};

extern PressState g_press;
extern HotState g_hot;

// The window's record, null when the window is not subclassed. Attach and detach keep the
// window property and this process's table together.
CustomScrollBarWindow* Record(HWND hwnd);
void AttachRecord(HWND hwnd, CustomScrollBarWindow* rec);
void DetachRecord(HWND hwnd);
CustomScrollBarInfo* Bar(CustomScrollBarWindow* rec, int bar);
int DefaultMinThumb();
// Arrow length and thickness in pixels (negative settings are multiples of the system metric).
int ArrowLength(const CustomScrollBarInfo& info);
int Thickness(const CustomScrollBarInfo& info);
bool CanScroll(const CustomScrollBarInfo& info);
void RecalcFrame(HWND hwnd);
void RedrawFrame(HWND hwnd);
// The bar's rectangle in window coordinates (SB_BOTH: the size box); empty when not shown.
RECT BarRect(HWND hwnd, const CustomScrollBarWindow* rec, int bar);
int BarLength(const RECT& r, int bar);
int Along(const RECT& r, int bar, POINT p);
POINT ToWindow(HWND hwnd, POINT screen);
bool Contains(const RECT& r, POINT p);
// The geometry of a bar as painted now (a dragged thumb where the mouse holds it).
ScrollBarGeometry GeometryOf(const CustomScrollBarInfo& info, const RECT& r, int bar, HWND hwnd);

void PaintBarsTo(HWND hwnd, CustomScrollBarWindow* rec, HDC dc);
void PaintBars(HWND hwnd, CustomScrollBarWindow* rec);

} // namespace csb
