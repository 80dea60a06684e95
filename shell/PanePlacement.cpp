#include "PanePlacement.h"
#include "MainFrameIds.h"
#include "Settings.h"

#include <cstdio>
#include <cstdlib>

namespace {

const PaneInfo kPanes[kPaneKindCount] = {
    {PaneKind::Controller, ID_VIEW_CONTROLLER, "ControlerPos", 50, {0, 0}, true, true, 0},
    {PaneKind::MarkerList, ID_VIEW_MARKER_LIST, "LabelWndPos", 100, {0, 0}, false, true, IDS_MARKER_LIST_TITLE},
    {PaneKind::Selection,
     ID_VIEW_SELECTION_CONTROL,
     "SelectionWndPos",
     150,
     {0, 0},
     true,
     true,
     IDS_SELECTION_CONTROL_TITLE},
    {PaneKind::VideoPreview,
     ID_VIEW_VIDEO_PREVIEW,
     "VideoPreviewPos",
     200,
     {360, 256},
     false,
     true,
     IDS_VIDEO_PREVIEW_TITLE},
    {PaneKind::Analysis, ID_VIEW_FREQUENCY_ANALYSIS, "AnalizeWndPos", 250, {320, 240}, true, false, 0},
    {PaneKind::Mixer, ID_VIEW_MIXER, "MixerCtrlWndPos", 50, {0, 0}, true, true, 0},
    {PaneKind::EffectLauncher, ID_VIEW_EFFECT_LAUNCHER, "EffectWndPos", 50, {0, 0}, true, true, 0},
};

const char kTenFields[] = "%i:%i:%i:%i:%i:%i:%i:%i:%i:%i";
const char kElevenFields[] = "%i:%i:%i:%i:%i:%i:%i:%i:%i:%i:%i";

// Squared distance between two rectangles (0 when they meet).
long long Distance(const RECT& a, const RECT& b)
{
    long long dx = 0, dy = 0;
    if (a.right <= b.left)
        dx = b.left - a.right;
    else if (b.right <= a.left)
        dx = a.left - b.right;
    if (a.bottom <= b.top)
        dy = b.top - a.bottom;
    else if (b.bottom <= a.top)
        dy = a.top - b.bottom;
    return dx * dx + dy * dy;
}

// Shifts [low, high) into [areaLow, areaHigh); a span longer than the area starts at its low end.
void ShiftInto(LONG& low, LONG& high, LONG areaLow, LONG areaHigh)
{
    LONG shift = 0;
    if (high > areaHigh)
        shift = areaHigh - high;
    if (low + shift < areaLow)
        shift = areaLow - low;
    low += shift;
    high += shift;
}

} // namespace

const PaneInfo& GetPaneInfo(PaneKind kind)
{
    return kPanes[static_cast<int>(kind)];
}

const PaneInfo* FindPaneByCommand(int commandId)
{
    for (const PaneInfo& info : kPanes)
        if (info.commandId == commandId)
            return &info;
    return nullptr;
}

RECT ArrangedPaneRect(PaneKind kind, const RECT& mainWindow, SIZE minimumSize)
{
    const PaneInfo& info = GetPaneInfo(kind);
    SIZE size = info.fixedSize.cx ? info.fixedSize : minimumSize;
    RECT rect;
    rect.left = mainWindow.left + info.offset;
    rect.top = mainWindow.top + info.offset;
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    return rect;
}

RECT FindFreePaneRect(const RECT& preferred, const RECT& area, const std::vector<RECT>& taken)
{
    const LONG width = preferred.right - preferred.left;
    const LONG height = preferred.bottom - preferred.top;
    // The corners worth trying: where the pane wants to be, the area's edges and every taken
    // rectangle's edges, each left or top edge against each right or bottom one.
    RECT inside = preferred;
    ShiftInto(inside.left, inside.right, area.left, area.right);
    ShiftInto(inside.top, inside.bottom, area.top, area.bottom);
    std::vector<LONG> xs = {preferred.left, inside.left, area.left, area.right - width};
    std::vector<LONG> ys = {preferred.top, inside.top, area.top, area.bottom - height};
    for (const RECT& t : taken) {
        xs.insert(xs.end(), {t.right, t.left - width});
        ys.insert(ys.end(), {t.bottom, t.top - height});
    }
    std::vector<POINT> corners;
    for (LONG x : xs)
        for (LONG y : ys)
            corners.push_back({x, y});
    // Inside the area, the place meeting the least of what is taken (none: a free place), the
    // nearest to preferred among equals.
    RECT best = preferred;
    long long bestCover = -1, bestDistance = 0;
    for (const POINT& corner : corners) {
        const RECT r = {corner.x, corner.y, corner.x + width, corner.y + height};
        if (r.left < area.left || r.top < area.top || r.right > area.right || r.bottom > area.bottom)
            continue;
        long long cover = 0;
        RECT meet;
        for (const RECT& t : taken)
            if (::IntersectRect(&meet, &r, &t))
                cover += static_cast<long long>(meet.right - meet.left) * (meet.bottom - meet.top);
        const long long dx = corner.x - preferred.left, dy = corner.y - preferred.top;
        const long long distance = dx * dx + dy * dy;
        if (bestCover < 0 || cover < bestCover || (cover == bestCover && distance < bestDistance)) {
            best = r;
            bestCover = cover;
            bestDistance = distance;
        }
    }
    return best;
}

RECT RestoredPaneRect(PaneKind kind, const RECT& saved, const RECT& mainWindow, SIZE minimum)
{
    RECT rect = saved;
    const bool narrow = saved.right - saved.left < minimum.cx;
    const bool low = saved.bottom - saved.top < minimum.cy;
    if (narrow && low) {
        const RECT arranged = ArrangedPaneRect(kind, mainWindow, minimum);
        rect.right = rect.left + (arranged.right - arranged.left);
        rect.bottom = rect.top + (arranged.bottom - arranged.top);
    } else if (narrow) {
        rect.right = rect.left + minimum.cx;
    } else if (low) {
        rect.bottom = rect.top + minimum.cy;
    }
    return rect;
}

int PaneExtraValue(PaneKind kind, BOOL rolledUp, BOOL layoutFlag)
{
    if (!GetPaneInfo(kind).rollsUp)
        return 0;
    int extra = rolledUp ? 1 : 0;
    if (kind == PaneKind::Controller)
        extra |= (layoutFlag ? 1 : 0) << 4;
    return extra;
}

void AdjustPanePlacement(WINDOWPLACEMENT* placement, BOOL visible, BOOL rolledUp, int fullHeight)
{
    placement->showCmd = visible ? 1 : 0;
    if (rolledUp && fullHeight > 0)
        placement->rcNormalPosition.bottom = placement->rcNormalPosition.top + fullHeight;
}

std::string FormatWindowPlacement(const WINDOWPLACEMENT& p)
{
    char text[160];
    std::snprintf(text, sizeof text, kTenFields, static_cast<int>(p.flags), static_cast<int>(p.showCmd),
                  static_cast<int>(p.ptMinPosition.x), static_cast<int>(p.ptMinPosition.y),
                  static_cast<int>(p.ptMaxPosition.x), static_cast<int>(p.ptMaxPosition.y),
                  static_cast<int>(p.rcNormalPosition.left), static_cast<int>(p.rcNormalPosition.top),
                  static_cast<int>(p.rcNormalPosition.right), static_cast<int>(p.rcNormalPosition.bottom));
    return text;
}

std::string FormatPanePlacement(const WINDOWPLACEMENT& placement, int extra)
{
    return FormatWindowPlacement(placement) + ":" + std::to_string(extra);
}

BOOL ParsePanePlacement(const char* text, WINDOWPLACEMENT* placement, int* extra)
{
    if (!text || !*text)
        return FALSE;
    int v[11] = {};
    if (std::sscanf(text, kElevenFields, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9],
                    &v[10]) != 11)
        return FALSE;
    placement->flags = static_cast<UINT>(v[0]);
    placement->showCmd = static_cast<UINT>(v[1]);
    placement->ptMinPosition = {v[2], v[3]};
    placement->ptMaxPosition = {v[4], v[5]};
    placement->rcNormalPosition = {v[6], v[7], v[8], v[9]};
    *extra = v[10];
    return TRUE;
}

void SaveWindowPlacement(const WINDOWPLACEMENT& placement)
{
    SetSettingString(kSettingsSection, "Position", FormatWindowPlacement(placement).c_str());
}

void SavePanePlacement(const char* valueName, const WINDOWPLACEMENT& placement, int extra)
{
    SetSettingString(kSettingsSection, valueName, FormatPanePlacement(placement, extra).c_str());
}

BOOL LoadWindowPlacement(const char* valueName, WINDOWPLACEMENT* placement, int* extra)
{
    char text[256] = {};
    GetSettingBuffer(kSettingsSection, valueName, "", text, sizeof text);
    return ParsePanePlacement(text, placement, extra);
}

bool IsPaneBuiltOnFirstShow(PaneKind kind)
{
    if (kind != PaneKind::MarkerList && kind != PaneKind::VideoPreview)
        return false;
    // Without a saved value the pane is arranged with the others at start.
    WINDOWPLACEMENT placement = {};
    int extra = 0;
    return LoadWindowPlacement(GetPaneInfo(kind).valueName, &placement, &extra) && placement.showCmd == 0;
}

BOOL MoveRectOntoNearestArea(RECT* rect, const std::vector<RECT>& areas)
{
    const RECT* nearest = nullptr;
    long long best = 0;
    for (const RECT& area : areas) {
        RECT meet;
        if (::IntersectRect(&meet, rect, &area))
            return FALSE;
        long long distance = Distance(*rect, area);
        if (!nearest || distance < best) {
            nearest = &area;
            best = distance;
        }
    }
    if (!nearest)
        return FALSE;
    ShiftInto(rect->left, rect->right, nearest->left, nearest->right);
    ShiftInto(rect->top, rect->bottom, nearest->top, nearest->bottom);
    return TRUE;
}

namespace {
BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoA(monitor, &info))
        reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcWork);
    return TRUE;
}
} // namespace

BOOL MoveRectOntoMonitor(RECT* rect)
{
    std::vector<RECT> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&areas));
    return MoveRectOntoNearestArea(rect, areas);
}
