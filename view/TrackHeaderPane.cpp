#include "TrackHeaderPane.h"

#include "ChangePropertyCommand.h"
#include "CommandHistory.h"
#include "ComObject.h"
#include "CursorIds.h"
#include "FontSet.h"
#include "KsMultiTrack.h"
#include "TipWindow.h"
#include "TrackPropertiesDialog.h"
#include "DocCommandIds.h"
#include "DocCommandSupport.h"
#include "LabelTable.h"
#include "MarkCommands.h"
#include "MemoryDC.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "SelectionModel.h"
#include "SkinTables.h"
#include "ViewDialogs.h"
#include "ViewHost.h"
#include "WaveformPainter.h"

#include <algorithm>
#include <cstdio>

BEGIN_MESSAGE_MAP(CTrackHeaderPane, CBaseWin)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_WM_CANCELMODE()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

namespace {
struct Cell {
    int x, y, image, frames, code;
};
// In cell order; cells 5, 6 and 8 sit on a second row that only tall headers have.
// The tool tip of each button code (-2 .. -9; 0 none).
UINT TipTextId(int code)
{
    switch (code) {
    case CTrackHeaderPane::kHitStretch:
        return 22013;
    case CTrackHeaderPane::kHitMute:
        return 22014;
    case CTrackHeaderPane::kHitSolo:
        return 22015;
    case CTrackHeaderPane::kHitRecord:
        return 22016;
    case CTrackHeaderPane::kHitInfo:
        return 22017;
    case CTrackHeaderPane::kHitSplit:
        return 22018;
    case CTrackHeaderPane::kHitMix:
        return 22027;
    default:
        return 0;
    }
}

constexpr Cell kCells[9] = {
    {5, 5, 86, 4, CTrackHeaderPane::kHitStretch},  {11, 6, 12, 1, CTrackHeaderPane::kHitNumber},
    {93, 5, 8, 8, CTrackHeaderPane::kHitMute},     {113, 5, 9, 8, CTrackHeaderPane::kHitSolo},
    {133, 5, 10, 8, CTrackHeaderPane::kHitRecord}, {133, 42, 14, 4, CTrackHeaderPane::kHitInfo},
    {34, 42, 15, 4, CTrackHeaderPane::kHitSplit},  {11, 25, 13, 1, CTrackHeaderPane::kHitName},
    {7, 42, 16, 4, CTrackHeaderPane::kHitMix},
};

constexpr int kButtonCells[] = {0, 2, 3, 4, 5, 6, 8};

SIZE FrameSize(const Cell& cell)
{
    CSize size = GetSkinImageSize(cell.image);
    return SIZE{cell.frames ? size.cx / cell.frames : size.cx, size.cy};
}

bool IsButton(int code)
{
    return code <= -2 && code >= -9 && code != CTrackHeaderPane::kHitName;
}
} // namespace

BOOL CTrackHeaderPane::Create(CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent, id);
}

void CTrackHeaderPane::Attach()
{
    m_view = dynamic_cast<CNyMultiTrackView*>(CWnd::FromHandle(::GetParent(m_hWnd)));
    m_doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!GetTip() && m_hWnd) {
        if (TipWindow* tip = CreateTipWindow(this, 0, 0)) {
            tip->SetActive(TRUE);
            SetTip(tip);
        }
    }
}

void CTrackHeaderPane::UpdateTip(POINT point, int track)
{
    TipWindow* tip = GetTip();
    RECT cell{0, 0, 0, 0};
    const int code = HitTest(point, track, &cell);
    if (!tip || code == m_tipCode)
        return;
    while (tip->RemoveTool(0)) {
    }
    m_tipCode = code;
    CString text;
    if (const UINT id = TipTextId(code); id && text.LoadString(id))
        tip->AddTool(text.GetString(), cell);
}

bool CTrackHeaderPane::Bind()
{
    if (!m_view && m_hWnd)
        Attach();
    return m_view && m_doc;
}

bool CTrackHeaderPane::InFadeMode()
{
    return m_view->GetEditMode() == 1 || m_view->GetEditMode() == 2;
}

RECT CTrackHeaderPane::GetTrackRect(int track)
{
    RECT client{0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    RECT t = m_view->GetTrackRect(track);
    return RECT{0, t.top, client.right, t.bottom - 1};
}

void CTrackHeaderPane::GetCellLayout(int track, POINT cells[9])
{
    RECT t = GetTrackRect(track);
    for (int i = 0; i < 9; ++i) {
        cells[i] = POINT{kCells[i].x, kCells[i].y};
        if (kCells[i].y == 42 && t.bottom - t.top <= 42 + FrameSize(kCells[i]).cy)
            cells[i].y = -1;
    }
}

int CTrackHeaderPane::HitTest(POINT point, int track, RECT* cellRect)
{
    if (track < 0 || !Bind() || InFadeMode())
        return kHitNone;
    RECT t = GetTrackRect(track);
    POINT cells[9];
    GetCellLayout(track, cells);
    for (int i = 0; i < 9; ++i) {
        if (cells[i].y < 0)
            continue;
        SIZE size = FrameSize(kCells[i]);
        RECT r{t.left + cells[i].x, t.top + cells[i].y, t.left + cells[i].x + size.cx, t.top + cells[i].y + size.cy};
        if (::PtInRect(&r, point)) {
            if (cellRect)
                *cellRect = r;
            return kCells[i].code;
        }
    }
    return kHitHeader;
}

int CTrackHeaderPane::FilterHit(int code, int track)
{
    switch (code) {
    case kHitMix:
    case kHitSplit:
        return m_doc->GetTrackExtent(track, 0) > 0 ? code : kHitDisabled;
    case kHitRecord:
        return m_doc->IsEditable() && m_doc->GetTrackChannels(track) < 3 ? code : kHitDisabled;
    case kHitSolo:
        return m_doc->HasMultipleGroups() ? code : kHitDisabled;
    default:
        return code;
    }
}

int CTrackHeaderPane::CellFrame(int cell, int track)
{
    int code = kCells[cell].code;
    bool pressed = (m_state & 2) && m_pressedCode == code && m_pressedTrack == track;
    bool busy = !m_view->IsTransportIdle();
    int64_t length = m_doc->GetTrackExtent(track, 0);
    switch (code) {
    case kHitMute:
        return (pressed ? 2 : 0) + (m_doc->GetTrackFlag(track, kMtFlagMute) ? 4 : 0);
    case kHitSolo:
        return (pressed ? 2 : 0) + (m_doc->GetTrackFlag(track, kMtFlagSolo) ? 4 : 0) +
               (m_doc->GetTrackCount() < 2 ? 1 : 0);
    case kHitRecord:
        if (m_doc->GetTrackChannels(track) > 2)
            return 1;
        return (pressed ? 2 : 0) + (m_doc->GetTrackFlag(track, kMtFlagRecord) ? 4 : 0);
    case kHitInfo:
        return busy ? 1 : pressed || track == m_propertiesTrack ? 2 : 0;
    case kHitSplit:
        return busy || length <= 0 || m_doc->GetTrackChannels(track) < 2 ? 1 : pressed ? 2 : 0;
    case kHitMix:
        return busy || length <= 0 ? 1 : pressed ? 2 : 0;
    case kHitStretch:
        return (pressed ? 1 : 0) + (m_doc->GetTrackFlag(track, kMtFlagFurther) ? 2 : 0);
    default:
        return 0;
    }
}

void CTrackHeaderPane::DrawTrackHeader(HDC dc, int track)
{
    RECT t = GetTrackRect(track);
    CDC target(dc);
    TileSkinImage(&target, kSkinViewLeft, t);
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, t.left, t.top, t.right, t.bottom);
    DrawSkinImage(&target, kSkinTrackBg, t.left, t.top);
    POINT cells[9];
    GetCellLayout(track, cells);
    if (!InFadeMode())
        for (int i : kButtonCells) {
            if (cells[i].y < 0)
                continue;
            SIZE size = FrameSize(kCells[i]);
            DrawSkinImagePart(&target, kCells[i].image, t.left + cells[i].x, t.top + cells[i].y,
                              CellFrame(i, track) * size.cx, 0, size.cx, size.cy);
        }
    ::SetBkMode(dc, TRANSPARENT);
    CSelectionModel* selection = m_view->GetSelection();
    bool selected = selection && selection->IsTrackSelectedAt(track);
    if (cells[1].y >= 0) {
        CSize size = GetSkinImageSize(kCells[1].image);
        RECT box{t.left + cells[1].x, t.top + cells[1].y, t.left + cells[1].x + size.cx, t.top + cells[1].y + size.cy};
        char number[16];
        std::snprintf(number, sizeof number, "%d", track + 1);
        CFont* font = FontSet::Get(4);
        HGDIOBJ old = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
        ::SetTextColor(dc, SkinColorAt(m_doc->HasEditHandles(track) ? 42 : selected ? 40 : 41));
        ::DrawTextA(dc, number, -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        if (old)
            ::SelectObject(dc, old);
    }
    if (cells[7].y >= 0) {
        CSize size = GetSkinImageSize(kCells[7].image);
        RECT box{t.left + cells[7].x, t.top + cells[7].y, t.left + cells[7].x + size.cx, t.top + cells[7].y + size.cy};
        LabelRecord label{};
        m_doc->GetLabels().GetTrackLabel(track, &label);
        // A name holds at most 255 characters and its terminator, whatever the record says.
        char name[256];
        std::snprintf(name, sizeof name, "%.255s", label.name);
        CFont* font = FontSet::Get(0);
        HGDIOBJ old = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
        ::SetTextColor(dc, SkinColorAt(selected ? 43 : 44));
        ::DrawTextA(dc, name, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
        if (old)
            ::SelectObject(dc, old);
    }
    ::RestoreDC(dc, saved);
    FillColour(dc, RECT{t.left, t.bottom - 1, t.right, t.bottom}, SkinColorAt(11));
}

BOOL CTrackHeaderPane::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CTrackHeaderPane::OnPaint()
{
    PaintBuffered(m_hWnd, Bind(), [&](HDC dc, const RECT& client) {
        int count = m_doc->GetTrackCount();
        int below = count > 0 ? std::max<int>(client.top, m_view->GetVisibleTrackRect(count - 1).bottom) : client.top;
        FillColour(dc, RECT{client.left, below, client.right, client.bottom}, SkinColorAt(17));
        for (int t = std::max(0, m_view->TrackFromRow(m_view->GetFirstVisibleRow(), 0)); t < count; ++t) {
            RECT r = GetTrackRect(t);
            if (r.bottom < client.top)
                continue;
            if (r.top > client.bottom)
                break;
            if (m_doc->GetTrack(t))
                DrawTrackHeader(dc, t);
        }
        FillColour(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, SkinColorAt(11));
    });
}

void CTrackHeaderPane::OnLButtonDown(UINT flags, CPoint point)
{
    if (!Bind())
        return;
    int track = m_view->TrackFromY(point.y, 1);
    if (track < 0 || InFadeMode())
        return;
    m_pressedCode = 0;
    int code = FilterHit(HitTest(point, track), track);
    if (code == kHitDisabled)
        return;
    if (IsButton(code)) {
        m_pressedCode = code;
        m_pressedTrack = track;
        ::SetCapture(m_hWnd);
        m_state = 3;
        RECT r = GetTrackRect(track);
        ::InvalidateRect(m_hWnd, &r, FALSE);
        return;
    }
    if (code == kHitName) {
        m_pressedTrack = track;
        m_pressedCode = kHitName;
        return;
    }
    if (m_doc->IsViewIdle()) {
        CTrackAreaPane& area = m_view->GetTrackArea();
        area.SetCaretHidden(1);
        m_view->SetEditPosition(-1);
        POINT inView = point;
        ::MapWindowPoints(m_hWnd, m_view->m_hWnd, &inView, 1);
        m_view->DragTrack(inView.x, point.y);
        area.SetCaretHidden(0);
    }
    CBaseWin::OnLButtonDown(flags, point);
}

BOOL CTrackHeaderPane::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest == HTCLIENT && Bind() && m_doc->IsViewIdle()) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(m_hWnd, &p);
        int code = HitTest(p, m_view->TrackFromY(p.y, 1));
        const char* name = code == kHitNumber ? kCursorFinger : code == kHitHeader ? kCursorHand : nullptr;
        if (HCURSOR cursor = name ? ::LoadCursorA(::GetModuleHandleA(nullptr), name) : nullptr) {
            ::SetCursor(cursor);
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

void CTrackHeaderPane::OnMouseMove(UINT, CPoint point)
{
    if (!Bind())
        return;
    int track = m_view->TrackFromY(point.y, 1);
    m_view->ShowTrackName(track);
    UpdateTip(point, track);
    if (!(m_state & 1) || InFadeMode())
        return;
    int code = FilterHit(HitTest(point, track), track);
    int state = m_state;
    if (!IsButton(code))
        state &= ~2;
    else if (code == m_pressedCode && track == m_pressedTrack)
        state |= 2;
    if (state != m_state) {
        m_state = state;
        RECT r = GetTrackRect(m_pressedTrack);
        ::InvalidateRect(m_hWnd, &r, FALSE);
    }
}

void CTrackHeaderPane::OnLButtonUp(UINT flags, CPoint point)
{
    if (!Bind() || !(m_state & 1) || InFadeMode())
        return;
    int track = m_view->TrackFromY(point.y, 1);
    ::ReleaseCapture();
    m_state = 0;
    int code = FilterHit(HitTest(point, track), track);
    int pressed = m_pressedTrack;
    if (pressed >= 0) {
        RECT r = GetTrackRect(pressed);
        ::InvalidateRect(m_hWnd, &r, TRUE);
    }
    if (!IsButton(code) || track != pressed || code != m_pressedCode)
        return;
    Click(code, pressed, (flags & MK_SHIFT) != 0);
    m_view->InvalidateTrackArea(m_view->GetTrackWaveRect(pressed));
    m_pressedTrack = -1;
}

void CTrackHeaderPane::ShowTrackProperties(int track)
{
    if (!Bind() || !m_view->IsTransportIdle())
        return;
    m_propertiesTrack = track;
    {
        CTrackPropertiesDialog dialog(m_view);
        dialog.SetView(m_view);
        dialog.SetTrack(track);
        dialog.DoModal();
    }
    m_propertiesTrack = -1;
    RECT r = GetTrackRect(track);
    ::InvalidateRect(m_hWnd, &r, FALSE);
}

void CTrackHeaderPane::Click(int code, int track, bool shift)
{
    switch (code) {
    case kHitStretch:
        m_doc->SetTrackFlag(track, kMtFlagFurther, !m_doc->GetTrackFlag(track, kMtFlagFurther));
        m_doc->UpdateMixer();
        m_view->UpdateVertScrollBar();
        m_view->RepaintTracks();
        break;
    case kHitInfo:
        if (!m_view->IsTransportIdle())
            break;
        ShowTrackProperties(track);
        break;
    case kHitRecord:
        m_doc->SetTrackRecord(track, !m_doc->GetTrackFlag(track, kMtFlagRecord));
        break;
    case kHitSolo:
        m_doc->SetTrackSolo(track, !m_doc->GetTrackFlag(track, kMtFlagSolo));
        break;
    case kHitMute:
        m_doc->SetTrackMute(shift ? -1 : track, !m_doc->GetTrackFlag(track, kMtFlagMute));
        break;
    case kHitMix:
        m_doc->MixDownTrack(track);
        break;
    case kHitSplit:
        m_doc->SplitTrack(track);
        break;
    default:
        break;
    }
}

void CTrackHeaderPane::OnLButtonDblClk(UINT flags, CPoint point)
{
    if (Bind() && m_pressedCode == kHitName && m_pressedTrack >= 0 && GetViewDialogs().trackLabel) {
        const int track = m_pressedTrack;
        LabelRecord label{};
        m_doc->GetLabels().GetTrackLabel(track, &label);
        std::string name(label.name, strnlen(label.name, sizeof label.name));
        if (GetViewDialogs().trackLabel(m_view, &name) && RenameTrack(track, name.c_str())) {
            if (IViewMixer* mixer = GetViewHost().GetMixer())
                mixer->InvalidateAll();
        }
        RECT r = GetTrackRect(track);
        ::InvalidateRect(m_hWnd, &r, TRUE);
    }
    CBaseWin::OnLButtonDblClk(flags, point);
}

bool CTrackHeaderPane::RenameTrack(int track, const char* name)
{
    if (!Bind() || track < 0 || !name)
        return false;
    LabelRecord old{};
    m_doc->GetLabels().GetTrackLabel(track, &old);
    if (strncmp(old.name, name, sizeof old.name) == 0)
        return false;
    ComRef<ChangePropertyCommand> command(ComObject<IEditCommand>::Create<ChangePropertyCommand>(
        LoadResourceText(IDS_CMD_PROPERTIES).c_str(), static_cast<CommandDocument*>(m_doc)));
    if (!command || size_t(track) >= command->newTracks.size())
        return false;
    // The record's name field ends with its terminator: a longer name is cut.
    char* field = command->newTracks[track].label.name;
    memset(field, 0, sizeof command->newTracks[track].label.name);
    strncpy(field, name, sizeof command->newTracks[track].label.name - 1);
    if (FAILED(command->Do()) || !command->Changed() || !m_doc->GetHistory())
        return false;
    if (FAILED(m_doc->GetHistory()->Add(command.Get(), TRUE))) {
        doccmd::TakeBackUnlessRecorded(m_doc->GetHistory(), command.Get());
        return false;
    }
    m_doc->SetModifiedFlag(TRUE);
    return true;
}

void CTrackHeaderPane::OnCancelMode()
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_state = 0;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}
