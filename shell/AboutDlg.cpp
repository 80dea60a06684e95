#include "AboutDlg.h"
#include "CdWriterModule.h"

#include "AppHelpers.h"
#include "AppIds.h"

#include <cstdio>

namespace {

constexpr int kLineStep = 5;
constexpr const char kVersionSuffix[] = "";
constexpr int kReleaseNumber = 4;

} // namespace

BEGIN_MESSAGE_MAP(AboutScrollPanel, CWnd)
    ON_WM_SIZE()
    ON_WM_VSCROLL()
    ON_WM_PAINT()
END_MESSAGE_MAP()

AboutScrollPanel::AboutScrollPanel() : m_dialog(std::make_unique<CDialog>()) {}

AboutScrollPanel::~AboutScrollPanel()
{
    if (m_dialog->m_hWnd)
        m_dialog->DestroyWindow();
}

int AboutScrollPanel::DialogHeight() const
{
    if (!m_dialog->m_hWnd)
        return 0;
    RECT r;
    ::GetWindowRect(m_dialog->m_hWnd, &r);
    return r.bottom - r.top;
}

int AboutScrollPanel::ClientHeight() const
{
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    return r.bottom - r.top;
}

void AboutScrollPanel::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    int range = DialogHeight() - ClientHeight();
    ::SetScrollRange(m_hWnd, SB_VERT, 0, range > 0 ? range : 0, TRUE);
}

void AboutScrollPanel::OnVScroll(UINT code, UINT pos, CWnd* scrollBar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(m_hWnd, SB_VERT, &info);
    if (info.nMax == 0)
        return;
    const int client = ClientHeight();
    const int dialog = DialogHeight();
    const int current = info.nPos;
    int wanted = current;
    switch (code) {
    case SB_LINEUP:
        wanted = current - kLineStep;
        break;
    case SB_LINEDOWN:
        wanted = current + kLineStep;
        break;
    case SB_PAGEUP:
        wanted = current - client;
        break;
    case SB_PAGEDOWN:
        wanted = current + client;
        break;
    case SB_THUMBTRACK:
        wanted = info.nTrackPos;
        break;
    case SB_TOP:
        wanted = 0;
        break;
    case SB_BOTTOM:
        wanted = dialog - client;
        break;
    default:
        return;
    }
    const int last = dialog - client > 0 ? dialog - client : 0;
    wanted = wanted < 0 ? 0 : wanted > last ? last : wanted;
    if (wanted != current) {
        ::SetWindowPos(m_dialog->m_hWnd, nullptr, 0, -wanted, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetScrollPos(m_hWnd, SB_VERT, wanted, TRUE);
    }
    CWnd::OnVScroll(code, pos, scrollBar);
}

void AboutScrollPanel::OnPaint()
{
    CPaintDC paint(m_hWnd);
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    ::FillRect(paint.m_hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_MESSAGE(WM_SETFONT, OnSetFontMessage)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD) {}

LRESULT CAboutDlg::OnSetFontMessage(WPARAM font, LPARAM)
{
    m_panel.SetDialogFont(reinterpret_cast<HFONT>(font));
    return Default();
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_PRODUCT, "KorvaneSound5 Tarn");
    char version[128];
    snprintf(version, sizeof version, "Version: %s%s R%d", "5.00", kVersionSuffix, kReleaseNumber);
    SetDlgItemText(IDC_ABOUT_VERSION, version);
    SetDlgItemText(IDC_ABOUT_WRITER, GetWritingEngineVersion().c_str());

    // The panel takes the place of its frame in the template; the long text scrolls in it.
    if (HWND place = ::GetDlgItem(m_hWnd, IDC_ABOUT_PANEL)) {
        RECT r;
        ::GetWindowRect(place, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        ::ShowWindow(place, SW_HIDE);
        m_panel.CreateEx(WS_EX_CLIENTEDGE, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW)), nullptr,
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL, r.left, r.top, r.right - r.left, r.bottom - r.top, m_hWnd,
                         nullptr);
        m_panel.Dialog().Create(IDD_ABOUT_TEXT, &m_panel);
        ::SetWindowPos(m_panel.Dialog().m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        ::SetWindowPos(m_panel.m_hWnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top + 1,
                       SWP_NOMOVE | SWP_NOZORDER);
        ::SetWindowPos(m_panel.m_hWnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    return TRUE;
}

std::string GetWritingEngineVersion()
{
    std::string fileVersion;
    GetFileVersionText((ProgramFolder() + "KgPTP.dll").c_str(), &fileVersion);
    return WritingEngineVersionLine(fileVersion);
}
