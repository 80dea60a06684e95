// The FFT equaliser dialog's layout: the controls following the dialog's size (buttons at the
// right, the analysis controls at the bottom right, the page growing with the frame).
#include "FftEqDialog.h"

#include "CaptionFrameHelper.h"
#include "FftEqIds.h"

namespace {

struct Named {
    const char* name;
    int id;
};
const Named kControls[] = {{"OK", IDOK},
                           {"Cancel", IDCANCEL},
                           {"Preview", IDC_FFTEQ_PREVIEW},
                           {"NewFile", IDC_FFTEQ_NEW_WINDOW},
                           {"Reset", IDC_FFTEQ_RESET},
                           {"Help", IDC_FFTEQ_HELP},
                           {"Setup", IDC_FFTEQ_SETTINGS},
                           {"Range", IDC_FFTEQ_RANGE},
                           {"Tracks", IDC_FFTEQ_TRACKS},
                           {"Axis", IDC_FFTEQ_AXIS},
                           {"Log", IDC_FFTEQ_LOG},
                           {"Linear", IDC_FFTEQ_LINEAR},
                           {"Frame", IDC_FFTEQ_PAGE_FRAME}};
// Kept at the right edge; kept at the bottom right.
const char* const kRightColumn[] = {"OK", "Cancel", "Preview", "Reset", "Help", "NewFile"};
const char* const kBottomRight[] = {"Setup", "Range", "Tracks", "Axis", "Log", "Linear"};

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

void CFftEqDialog::RecordLayout()
{
    RECT client{};
    GetClientRect(&client);
    m_layout["Dialog"] = {0, client};
    for (const Named& control : kControls)
        m_layout[control.name] = {control.id, ChildRect(m_hWnd, ::GetDlgItem(m_hWnd, control.id))};
    RECT window{};
    GetWindowRect(&window);
    m_minimumSize = {window.right - window.left, window.bottom - window.top};
    m_captionFrame->SetSizeLimits(m_minimumSize.cx, m_minimumSize.cy, -1, -1);
    m_layoutRecorded = 1;
}

void CFftEqDialog::MoveControl(const char* name, int dx, int dy, bool grow)
{
    const LayoutRecord& record = m_layout[name];
    RECT r = record.rect;
    if (grow) {
        r.right += dx;
        r.bottom += dy;
    } else {
        ::OffsetRect(&r, dx, dy);
    }
    ::MoveWindow(::GetDlgItem(m_hWnd, record.id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void CFftEqDialog::OnSize(UINT, int cx, int cy)
{
    Default();
    if (!m_layoutRecorded)
        return;
    const RECT& recorded = m_layout["Dialog"].rect;
    const int dx = cx - (recorded.right - recorded.left), dy = cy - (recorded.bottom - recorded.top);
    for (const char* name : kRightColumn)
        MoveControl(name, dx, 0, false);
    for (const char* name : kBottomRight)
        MoveControl(name, dx, dy, false);
    MoveControl("Frame", dx, dy, true);
    Invalidate();
    UpdateWindow();
    if (!m_pages.empty()) {
        const RECT frame = ChildRect(m_hWnd, ::GetDlgItem(m_hWnd, IDC_FFTEQ_PAGE_FRAME));
        m_pages.front()->Move(&frame);
        m_pages.front()->Show(SW_SHOW);
    }
}

void CFftEqDialog::OnGetMinMaxInfo(MINMAXINFO* info)
{
    if (m_layoutRecorded)
        info->ptMinTrackSize = {m_minimumSize.cx, m_minimumSize.cy};
}
