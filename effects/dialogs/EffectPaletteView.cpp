#include "EffectPaletteView.h"

#include "DocCommandRules.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyMiniFrame.h"
#include "PaneToolTip.h"
#include "PanelElement.h"
#include "ResourceModule.h"
#include "SkinImage.h"
#include "SkinTables.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kButtonLeft = 12;
constexpr int kTabLeft = 7;
constexpr int kTabTop = 5;
constexpr COLORREF kGridColour = RGB(226, 226, 226);
constexpr COLORREF kFrameColour = RGB(203, 203, 203);
constexpr COLORREF kFocusColour = RGB(0, 169, 157);
constexpr UINT kCommandCancelEdit = 1129;
constexpr int kEditFade = 2012, kEditEnvelope = 2013;

// Frames of a button's image and of a tab header's.
enum ButtonFrame { kFrameNormal = 0, kFrameDisabled = 1, kFramePressed = 2, kFrameOn = 3 };
enum TabFrame { kTabNormal = 0, kTabHot = 1, kTabSelected = 2, kTabSelectedHot = 3 };

const char* const kTabImages[2] = {"el_kv5tab", "el_kv5tab02"};

std::string Text(UINT id)
{
    char text[1024] = {};
    ::LoadStringA(GetResourceModule(), id, text, sizeof text);
    return text;
}

// A tool tip's text: line breaks as the control needs them, a tab after a one-line text.
std::string ToolText(UINT id)
{
    std::string text = Text(id), out;
    for (char c : text) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    if (text.find('\n') == std::string::npos)
        out += '\t';
    return out;
}

} // namespace

IMPLEMENT_DYNCREATE(CEffectPaletteView, CView)

BEGIN_MESSAGE_MAP(CEffectPaletteView, CView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    ON_WM_VSCROLL()
    ON_WM_TIMER()
    ON_WM_MOUSEWHEEL()
    ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

const std::vector<CEffectPaletteView::Row>& CEffectPaletteView::Rows(int tab)
{
    static const std::vector<Row> effects = {
        {2000, 30001, "el_d_level"},        {2001, 30002, "el_d_dcoffset"},   {2002, 30003, "el_d_normalize"},
        {2003, 30004, "el_d_reverse"},      {2004, 30005, "el_d_smoothing"},  {2019, 30006, "el_d_fmsound"},
        {2020, 30007, "el_d_tone"},         {2021, 30008, "el_d_silence"},    {2022, 30009, "el_d_noise"},
        {2005, 30010, "el_d_mute"},         {2012, 30011, "el_d_fade"},       {2013, 30012, "el_d_envelope"},
        {2023, 30013, "el_d_geq10"},        {2025, 30015, "el_d_peq"},        {2006, 30017, "el_d_filter"},
        {2007, 30018, "el_d_compressor"},   {2027, 30019, "el_d_noisegate"},  {2028, 30020, "el_d_hissnoise"},
        {2029, 30021, "el_d_humnoise"},     {2030, 30022, "el_d_cracklenoise"}, {2031, 30023, "el_d_learnnoise"},
        {2032, 30024, "el_d_removenoise"},  {2008, 30025, "el_d_delay"},      {2009, 30026, "el_d_reverb"},
        {2010, 30027, "el_d_pitchshift"},   {2011, 30028, "el_d_timestretch"}, {2015, 30029, "el_d_modulator"},
        {2017, 30030, "el_d_lofi"},         {2018, 30031, "el_d_attributes"},
    };
    static const std::vector<Row> channels = {
        {1122, 30032, "el_c_monostereo"}, {1123, 30033, "el_c_stereomono"}, {1124, 30034, "el_c_vocalcancel"},
        {1125, 30035, "el_c_invert"},     {1126, 30036, "el_c_normalize"},
    };
    return tab == 0 ? effects : channels;
}

std::string CEffectPaletteView::ImagePathFor(const std::string& folder, int tab, size_t row)
{
    const std::vector<Row>& rows = Rows(tab);
    std::string path = folder + rows[row].image;
    if (SkinImage::FindFile(path.c_str()).IsEmpty())
        path = folder + rows[0].image;
    return path;
}

CEffectPaletteView::CEffectPaletteView() = default;

CEffectPaletteView::~CEffectPaletteView() = default;

int CEffectPaletteView::OnCreate(LPCREATESTRUCTA cs)
{
    if (CView::OnCreate(cs) == -1)
        return -1;
    if (!m_scrollBar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(0, 0, 0, 0), this, kScrollBarId))
        return -1;
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 1, 0, 0};
    m_scrollBar.SetScrollInfo(&info, FALSE);
    m_scrollBar.EnableScrollBar(ESB_DISABLE_BOTH);
    m_toolTip = CreatePaneToolTip(m_hWnd);

    const std::string folder = static_cast<const char*>(GetImagesFolder());
    for (int tab = 0; tab < 2; ++tab) {
        const std::vector<Row>& rows = Rows(tab);
        for (size_t i = 0; i < rows.size(); ++i) {
            if (!rows[i].image || !*rows[i].image)
                continue;
            const std::string path = ImagePathFor(folder, tab, i);
            auto element = std::make_unique<CPanelElement>();
            element->SetOwner(this);
            element->SetImageFile(path.c_str(), 2);
            element->SetEnabled(false);
            element->Place(static_cast<int>(rows[i].command), POINT{-1, 0});
            m_buttons[tab].push_back(std::move(element));
            m_imagePaths[tab].push_back(path);
        }
        auto header = std::make_unique<CPanelElement>();
        header->SetOwner(this);
        header->SetImageFile((folder + kTabImages[tab]).c_str(), 2);
        m_tabs.push_back(std::move(header));
    }
    // The grid of five lines of four buttons, the tab strip, the bottom border and the bar.
    const CSize button(m_buttons[0].empty() ? 64 : m_buttons[0][0]->FrameWidth(), 40);
    int buttonHeight = 40;
    if (!m_buttons[0].empty()) {
        RECT r{};
        m_buttons[0][0]->Place(0, POINT{0, 0});
        m_buttons[0][0]->GetRect(&r);
        buttonHeight = r.bottom - r.top;
    }
    const int width = std::max<int>(GetSkinImageSize(kSkinElBaseTop).cx,
                                    kButtonLeft + kButtonsPerLine * (button.cx + 1) + 4 + ::GetSystemMetrics(SM_CXVSCROLL));
    const int height =
        kTabStripHeight + kVisibleLines * (buttonHeight + 1) + GetSkinImageSize(kSkinElBaseBottom).cy;
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    FitFrame(width, height);
    SetTimer(kRefreshTimer, kRefreshMs);
    return 0;
}

void CEffectPaletteView::FitFrame(int width, int height)
{
    auto* frame = dynamic_cast<CNyMiniFrame*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
    if (!frame)
        return;
    int left = 0, top = 0, right = 0, bottom = 0;
    frame->GetBorderSizes(&left, &top, &right, &bottom);
    const int frameWidth = width + left + right, frameHeight = height + top + bottom;
    frame->SetSizeLimits(frameWidth, frameHeight, frameWidth, -1);
    frame->SetWindowPos(nullptr, 0, 0, frameWidth, frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEffectPaletteView::OnTimer(UINT_PTR id)
{
    if (id != kRefreshTimer)
        return;
    if (::IsWindowVisible(m_hWnd) && RefreshEnabled())
        Invalidate(FALSE);
}

void CEffectPaletteView::OnDestroy()
{
    if (m_toolTip)
        ::DestroyWindow(m_toolTip);
    m_toolTip = nullptr;
    CView::OnDestroy();
}

void CEffectPaletteView::SetActiveView(CNyMultiTrackView* view)
{
    if (view == m_activeView)
        return;
    m_activeView = view;
    UpdateRows();
}

bool CEffectPaletteView::IsButtonEnabled(int tab, size_t index) const
{
    return index < m_buttons[tab].size() && m_buttons[tab][index]->IsEnabled();
}

RECT CEffectPaletteView::ButtonRect(int tab, size_t index) const
{
    RECT r{};
    if (index < m_buttons[tab].size())
        m_buttons[tab][index]->GetFrameRect(&r);
    return r;
}

RECT CEffectPaletteView::TabRect(int tab) const
{
    RECT r{};
    if (static_cast<size_t>(tab) < m_tabs.size())
        m_tabs[static_cast<size_t>(tab)]->GetFrameRect(&r);
    return r;
}

int CEffectPaletteView::LineCount() const
{
    return (static_cast<int>(m_buttons[m_currentTab].size()) + kButtonsPerLine - 1) / kButtonsPerLine;
}

int CEffectPaletteView::VisibleLines() const
{
    return kVisibleLines;
}

bool CEffectPaletteView::WhollyInside(const RECT& rect) const
{
    RECT client{};
    GetClientRect(&client);
    client.top = kTabStripHeight;
    client.bottom -= GetSkinImageSize(kSkinElBaseBottom).cy;
    return !IsRectEmpty(&rect) && rect.left >= client.left && rect.top >= client.top && rect.right <= client.right &&
           rect.bottom <= client.bottom;
}

int CEffectPaletteView::UpdateRows()
{
    if (!m_hWnd)
        return 0;
    RECT client{};
    GetClientRect(&client);
    const int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    m_scrollBar.MoveWindow(client.right - barWidth, kTabStripHeight, barWidth,
                           std::max<int>(0, client.bottom - kTabStripHeight), TRUE);
    int x = kTabLeft;
    for (auto& header : m_tabs) {
        header->Place(0, POINT{x, kTabTop});
        RECT r{};
        header->GetRect(&r);
        x = r.right;
    }

    // Lines that fit in the pane: five unless all fit.
    const int lines = LineCount();
    int buttonHeight = 40;
    if (!m_buttons[m_currentTab].empty()) {
        RECT r{};
        m_buttons[m_currentTab][0]->GetRect(&r);
        if (r.bottom > r.top)
            buttonHeight = r.bottom - r.top;
    }
    const int room = (client.bottom - GetSkinImageSize(kSkinElBaseBottom).cy - kTabStripHeight) / (buttonHeight + 1);
    m_scrollMaximum = lines <= room ? 0 : std::max(0, lines - VisibleLines());
    m_firstLine = std::min(std::max(m_firstLine, 0), m_scrollMaximum);
    SCROLLINFO info{sizeof info, SIF_ALL, 0, m_scrollMaximum, 1, m_firstLine, 0};
    m_scrollBar.SetScrollInfo(&info, TRUE);
    m_scrollBar.EnableScrollBar(m_scrollMaximum > 0 ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);

    const int right = client.right - barWidth;
    for (int tab = 0; tab < 2; ++tab) {
        int bx = kButtonLeft, by = kTabStripHeight - m_firstLine * (buttonHeight + 1);
        for (auto& button : m_buttons[tab]) {
            if (tab != m_currentTab) {
                button->Place(button->GetElementId(), POINT{-1, 0});
                continue;
            }
            if (bx + button->FrameWidth() > right && bx != kButtonLeft) {
                bx = kButtonLeft;
                by += buttonHeight + 1;
            }
            button->Place(button->GetElementId(), POINT{bx, by});
            bx += button->FrameWidth() + 1;
        }
    }

    RefreshEnabled();
    ResetTools();
    Invalidate(FALSE);
    return 0;
}

bool CEffectPaletteView::RefreshEnabled()
{
    CNyMultiTrackDoc* document =
        m_activeView ? dynamic_cast<CNyMultiTrackDoc*>(m_activeView->GetDocument()) : nullptr;
    DocCommandState state;
    if (document)
        state = document->CaptureCommandState();
    bool changed = false;
    // As the menu rules them: a command whose dialog the program lacks stays off here too.
    for (int tab = 0; tab < 2; ++tab)
        for (auto& button : m_buttons[tab]) {
            const int id = button->GetElementId();
            const bool enabled = document && CanRunEffectRule(state, id) && !IsEffectDialogCommand(id);
            changed = changed || enabled != button->IsEnabled();
            button->SetEnabled(enabled);
        }
    return changed;
}

void CEffectPaletteView::ResetTools()
{
    if (!m_toolTip)
        return;
    for (UINT_PTR id = 1; id <= 64; ++id)
        RemovePaneTool(m_toolTip, m_hWnd, id);
    m_toolCount = 0;
    const std::vector<Row>& rows = Rows(m_currentTab);
    for (size_t i = 0; i < m_buttons[m_currentTab].size(); ++i) {
        RECT r = ButtonRect(m_currentTab, i);
        if (!WhollyInside(r))
            continue;
        SetPaneTool(m_toolTip, m_hWnd, i + 1, r, ToolText(rows[i].descriptionId).c_str());
        ++m_toolCount;
    }
}

CEffectPaletteView::Hit CEffectPaletteView::HitTest(CPoint point) const
{
    for (size_t t = 0; t < m_tabs.size(); ++t) {
        RECT r = TabRect(static_cast<int>(t));
        if (::PtInRect(&r, point))
            return {kPressTab, static_cast<int>(t)};
    }
    for (size_t i = 0; i < m_buttons[m_currentTab].size(); ++i) {
        RECT r = ButtonRect(m_currentTab, i);
        if (WhollyInside(r) && ::PtInRect(&r, point))
            return {kPressButton, static_cast<int>(i)};
    }
    return {kPressNothing, -1};
}

void CEffectPaletteView::OnLButtonDown(UINT, CPoint point)
{
    SetFocus();
    SetCapture();
    const Hit hit = HitTest(point);
    m_pressState = hit.kind;
    if (hit.kind == kPressButton) {
        m_pressedIndex = m_hoveredIndex = m_focusIndex = hit.index;
        m_pressedInside = true;
    } else if (hit.kind == kPressTab) {
        m_hoveredIndex = hit.index;
    }
    Invalidate(FALSE);
}

void CEffectPaletteView::OnLButtonUp(UINT, CPoint point)
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    const Hit hit = HitTest(point);
    const Press pressed = m_pressState;
    const int pressedIndex = m_pressedIndex, pressedTab = m_hoveredIndex;
    m_pressState = kPressNothing;
    m_pressedIndex = -1;
    m_pressedInside = false;
    if (pressed == kPressTab && hit.kind == kPressTab && hit.index == pressedTab && hit.index != m_currentTab)
        SwitchTab(hit.index);
    else if (pressed == kPressButton && hit.kind == kPressButton && hit.index == pressedIndex)
        SendCommand(hit.index);
    Invalidate(FALSE);
}

void CEffectPaletteView::OnMouseMove(UINT, CPoint point)
{
    const Hit hit = HitTest(point);
    if (m_pressState == kPressButton) {
        const bool inside = hit.kind == kPressButton && hit.index == m_pressedIndex;
        if (inside != m_pressedInside) {
            m_pressedInside = inside;
            Invalidate(FALSE);
        }
        return;
    }
    const int hovered = hit.kind == kPressTab ? hit.index : -1;
    if (m_pressState == kPressNothing && hovered != m_hoveredIndex) {
        m_hoveredIndex = hovered;
        Invalidate(FALSE);
    }
}

void CEffectPaletteView::SendCommand(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_buttons[m_currentTab].size())
        return;
    CPanelElement* button = m_buttons[m_currentTab][static_cast<size_t>(index)].get();
    if (!button->IsEnabled() || !m_activeView || !m_activeView->m_hWnd)
        return;
    CNyMultiTrackView* view = m_activeView;
    view->SendMessage(WM_COMMAND, static_cast<WPARAM>(button->GetElementId()), 0);
    // The launcher may have been told of another view meanwhile.
    if (view != m_activeView || !view->m_hWnd)
        return;
    auto* document = dynamic_cast<CNyMultiTrackDoc*>(view->GetDocument());
    if (document && (document->GetEditMode() == kEditFade || document->GetEditMode() == kEditEnvelope))
        view->SetFocus();
}

void CEffectPaletteView::SwitchTab(int tab)
{
    m_currentTab = tab;
    m_firstLine = 0;
    m_focusIndex = 0;
    UpdateRows();
}

void CEffectPaletteView::ScrollTo(int line)
{
    line = std::min(std::max(line, 0), m_scrollMaximum);
    if (line == m_firstLine)
        return;
    m_firstLine = line;
    UpdateRows();
}

void CEffectPaletteView::MoveFocus(int index)
{
    const int count = static_cast<int>(m_buttons[m_currentTab].size());
    if (count == 0)
        return;
    m_focusIndex = std::min(std::max(index, 0), count - 1);
    const int line = m_focusIndex / kButtonsPerLine;
    if (line < m_firstLine)
        ScrollTo(line);
    else if (line >= m_firstLine + VisibleLines())
        ScrollTo(line - VisibleLines() + 1);
    Invalidate(FALSE);
}

void CEffectPaletteView::OnKeyDown(UINT key, UINT, UINT)
{
    const int count = static_cast<int>(m_buttons[m_currentTab].size());
    const int column = m_focusIndex % kButtonsPerLine;
    switch (key) {
    case VK_RETURN:
        m_pressState = kPressButton;
        m_pressedIndex = m_focusIndex;
        m_pressedInside = true;
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        m_pressState = kPressNothing;
        m_pressedIndex = -1;
        SendCommand(m_focusIndex);
        Invalidate(FALSE);
        break;
    case VK_TAB: // with two tabs, Tab and Shift+Tab both go to the other one
        SwitchTab((m_currentTab + 1) % 2);
        break;
    case VK_ESCAPE:
        if (m_activeView && m_activeView->m_hWnd && m_activeView->GetEditMode() != 0)
            m_activeView->SendMessage(WM_COMMAND, kCommandCancelEdit, 0);
        break;
    case VK_LEFT:
        MoveFocus(m_focusIndex - 1);
        break;
    case VK_RIGHT:
        MoveFocus(m_focusIndex + 1);
        break;
    case VK_UP:
        if (m_focusIndex - kButtonsPerLine >= 0)
            MoveFocus(m_focusIndex - kButtonsPerLine);
        break;
    case VK_DOWN:
        if (m_focusIndex + kButtonsPerLine < count)
            MoveFocus(m_focusIndex + kButtonsPerLine);
        break;
    case VK_HOME:
        MoveFocus(0);
        ScrollTo(0);
        break;
    case VK_END:
        MoveFocus(count - 1);
        ScrollTo(m_scrollMaximum);
        break;
    case VK_PRIOR: {
        const int top = m_firstLine * kButtonsPerLine + column;
        if (m_focusIndex != top) {
            MoveFocus(top);
        } else {
            ScrollTo(m_firstLine - VisibleLines());
            MoveFocus(m_firstLine * kButtonsPerLine + column);
        }
        break;
    }
    case VK_NEXT: {
        const int bottom = std::min(count - 1, (m_firstLine + VisibleLines() - 1) * kButtonsPerLine + column);
        if (m_focusIndex != bottom) {
            MoveFocus(bottom);
        } else {
            ScrollTo(m_firstLine + VisibleLines());
            MoveFocus(std::min(count - 1, (m_firstLine + VisibleLines() - 1) * kButtonsPerLine + column));
        }
        break;
    }
    default:
        break;
    }
}

UINT CEffectPaletteView::OnGetDlgCode()
{
    return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB;
}

void CEffectPaletteView::OnVScroll(UINT code, UINT position, CWnd*)
{
    switch (code) {
    case SB_LINEUP:
        ScrollTo(m_firstLine - 1);
        break;
    case SB_LINEDOWN:
        ScrollTo(m_firstLine + 1);
        break;
    case SB_PAGEUP:
        ScrollTo(m_firstLine - VisibleLines());
        break;
    case SB_PAGEDOWN:
        ScrollTo(m_firstLine + VisibleLines());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        ScrollTo(static_cast<int>(position));
        break;
    case SB_TOP:
        ScrollTo(0);
        break;
    case SB_BOTTOM:
        ScrollTo(m_scrollMaximum);
        break;
    default:
        break;
    }
}

BOOL CEffectPaletteView::OnMouseWheel(UINT, short delta, CPoint point)
{
    RECT client{};
    GetClientRect(&client);
    POINT inside = point;
    ScreenToClient(&inside);
    if (!::PtInRect(&client, inside))
        return FALSE;
    ScrollTo(m_firstLine + (delta > 0 ? -1 : 1));
    return TRUE;
}

void CEffectPaletteView::OnSize(UINT type, int cx, int cy)
{
    (void)type;
    (void)cx;
    (void)cy;
    UpdateRows();
}

BOOL CEffectPaletteView::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CEffectPaletteView::OnPaint()
{
    PAINTSTRUCT ps;
    HDC target = ::BeginPaint(m_hWnd, &ps);
    CDC dc(target);
    OnDraw(&dc);
    ::EndPaint(m_hWnd, &ps);
}

void CEffectPaletteView::OnDraw(CDC* target)
{
    RECT client{};
    GetClientRect(&client);
    MemoryDC buffer;
    CDC* dc = buffer.Create(target, CRect(client));
    if (!dc)
        return;
    dc->FillSolidRect(client, kFrameColour);
    const int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const CSize top = GetSkinImageSize(kSkinElBaseTop), bottom = GetSkinImageSize(kSkinElBaseBottom);
    RECT grid{0, kTabStripHeight, client.right - barWidth, client.bottom - bottom.cy};
    dc->FillSolidRect(grid, kGridColour);
    TileSkinImage(dc, kSkinElBaseTop, RECT{0, 0, client.right, std::min<LONG>(kTabStripHeight, top.cy)});

    for (size_t t = 0; t < m_tabs.size(); ++t) {
        const bool selected = static_cast<int>(t) == m_currentTab;
        const bool hot = static_cast<int>(t) == m_hoveredIndex && m_pressState != kPressButton;
        const int frame = selected ? (hot ? kTabSelectedHot : kTabSelected) : (hot ? kTabHot : kTabNormal);
        m_tabs[t]->DrawFrame(dc, kSkinElBaseTop, frame);
    }

    // The buttons stay inside the grid; the tab strip is drawn over what scrolled past.
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(grid);
    CNyMultiTrackDoc* document =
        m_activeView ? dynamic_cast<CNyMultiTrackDoc*>(m_activeView->GetDocument()) : nullptr;
    const int editMode = document ? document->GetEditMode() : 0;
    for (size_t i = 0; i < m_buttons[m_currentTab].size(); ++i) {
        CPanelElement* button = m_buttons[m_currentTab][i].get();
        int frame = button->IsEnabled() ? kFrameNormal : kFrameDisabled;
        if (button->IsEnabled() && editMode != 0 && button->GetElementId() == editMode)
            frame = kFrameOn;
        if (static_cast<int>(i) == m_pressedIndex && m_pressState == kPressButton && m_pressedInside)
            frame = kFramePressed;
        button->DrawFrame(dc, -1, frame);
        if (static_cast<int>(i) == m_focusIndex && ::GetFocus() == m_hWnd) {
            RECT r = ButtonRect(m_currentTab, i);
            ::InflateRect(&r, -1, -1);
            CBrush focus(kFocusColour);
            ::FrameRect(dc->m_hDC, &r, static_cast<HBRUSH>(focus.m_hObject));
        }
    }
    dc->RestoreDC(saved);
    // The bottom edge and the grip in its corner, over whatever line is cut there.
    if (bottom.cy > 0) {
        TileSkinImage(dc, kSkinElBaseBottom, RECT{0, client.bottom - bottom.cy, client.right - barWidth, client.bottom});
        const CSize grip = GetSkinImageSize(kSkinElResize);
        DrawSkinImage(dc, kSkinElResize, client.right - barWidth - grip.cx, client.bottom - grip.cy);
    }
    target->BitBlt(0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

BOOL CEffectPaletteView::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip && msg->hwnd == m_hWnd && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
        ::SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    return CView::PreTranslateMessage(msg);
}
