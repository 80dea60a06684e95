#include "FwControlBar.h"
#include "FwApp.h"
#include "FwDialog.h"
#include "FwFrame.h"
#include <algorithm>

namespace {

// The dialog procedure of a dialog bar's window: the bar object handles its messages.
INT_PTR CALLBACK BarDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

// Resource type of tool-bar button lists.
const char* const kToolBarResourceType = MAKEINTRESOURCEA(241);

// Command-UI of a tool-bar button.
class CToolCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override
    {
        m_pOther->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELPARAM(on ? TRUE : FALSE, 0));
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int check) override
    {
        m_pOther->SendMessage(TB_CHECKBUTTON, m_nID, MAKELPARAM(check == 1, 0));
        m_pOther->SendMessage(TB_INDETERMINATE, m_nID, MAKELPARAM(check == 2, 0));
    }
    void SetRadio(BOOL on) override { SetCheck(on ? 1 : 0); }
    void SetText(const char*) override {}
};

// Command-UI of a status-bar pane: disabled panes show no text.
class CStatusCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override
    {
        CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
        UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
        bar->SetPaneStyle(static_cast<int>(m_nIndex), on ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED));
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int check) override
    {
        CStatusBar* bar = static_cast<CStatusBar*>(m_pOther);
        UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
        bar->SetPaneStyle(static_cast<int>(m_nIndex), check ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT));
    }
    void SetRadio(BOOL on) override { SetCheck(on ? 1 : 0); }
    void SetText(const char* text) override
    {
        static_cast<CStatusBar*>(m_pOther)->SetPaneText(static_cast<int>(m_nIndex), text);
    }
};

} // namespace

// ============================================================================================
// CControlBar

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateMessage)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CControlBar::AttachToFrame()
{
    CWnd* parent = CWnd::FromHandlePermanent(::GetParent(m_hWnd));
    if (parent && parent->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        m_pDockFrame = static_cast<CFrameWnd*>(parent);
        m_pDockFrame->AddControlBar(this);
    }
}

void CControlBar::OnDestroy()
{
    if (m_pDockFrame)
        m_pDockFrame->RemoveControlBar(this);
    m_pDockFrame = nullptr;
    CWnd::OnDestroy();
}

DWORD CControlBar::TakeBarStyle(DWORD style)
{
    m_dwBarStyle = style & (0xFFFF | CBRS_GRIPPER);
    return style & ~(0xFFFF | CBRS_GRIPPER);
}

CSize CControlBar::CalcFixedLayout(BOOL, BOOL)
{
    CRect r;
    GetWindowRect(&r);
    return r.Size();
}

LRESULT CControlBar::OnIdleUpdateMessage(WPARAM wParam, LPARAM)
{
    if (!IsVisible())
        return 0;
    CFrameWnd* target = GetParentFrame();
    if (target)
        OnUpdateCmdUI(target, static_cast<BOOL>(wParam));
    return 0;
}

// ============================================================================================
// CToolBar

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
END_MESSAGE_MAP()

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id)
{
    return CreateEx(parent, TBSTYLE_FLAT, style, CRect(0, 0, 0, 0), id);
}

BOOL CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, CRect, UINT id)
{
    DWORD windowStyle = TakeBarStyle(style);
    windowStyle |= (ctrlStyle & 0xFFFF) | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if (m_dwBarStyle & CBRS_TOOLTIPS)
        windowStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, windowStyle | WS_CHILD, CRect(0, 0, 0, 0), parent, id))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    AttachToFrame();
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT resourceId)
{
    HINSTANCE instance = AfxGetResourceHandle();
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(resourceId), kToolBarResourceType);
    if (!found)
        return FALSE;
    HGLOBAL loaded = ::LoadResource(instance, found);
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    DWORD size = ::SizeofResource(instance, found);
    if (!data)
        return FALSE;
    std::vector<UINT> ids;
    const WORD* words = reinterpret_cast<const WORD*>(data);
    const DWORD* dwords = reinterpret_cast<const DWORD*>(data);
    if (size >= 8 && words[0] == 1 && size == 8u + 2u * words[3]) {
        // 16-bit layout: version 1, image width, image height, count, one id per item.
        m_imageSize = CSize(words[1], words[2]);
        for (UINT i = 0; i < words[3]; ++i)
            ids.push_back(words[4 + i]);
    } else if (size >= 12 && size == 12u + 4u * dwords[2]) {
        // 32-bit layout (as GNU windres writes it): image width, image height, count, ids.
        m_imageSize = CSize(static_cast<int>(dwords[0]), static_cast<int>(dwords[1]));
        for (UINT i = 0; i < dwords[2]; ++i)
            ids.push_back(dwords[3 + i]);
    } else {
        return FALSE;
    }
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(m_imageSize.cx, m_imageSize.cy));
    if (!LoadBitmap(resourceId))
        return FALSE;
    return SetButtons(ids.data(), static_cast<int>(ids.size()));
}

BOOL CToolBar::LoadBitmap(UINT resourceId)
{
    HINSTANCE instance = AfxGetResourceHandle();
    HBITMAP bitmap = ::LoadBitmapA(instance, MAKEINTRESOURCEA(resourceId));
    if (!bitmap)
        return FALSE;
    BITMAP info = {};
    ::GetObjectA(bitmap, sizeof info, &info);
    ::DeleteObject(bitmap);
    TBADDBITMAP add = {instance, static_cast<UINT_PTR>(resourceId)};
    int images = m_imageSize.cx > 0 ? info.bmWidth / m_imageSize.cx : 0;
    return SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&add)) != -1;
}

BOOL CToolBar::SetButtons(const UINT* ids, int count)
{
    while (SendMessage(TB_BUTTONCOUNT) > 0)
        SendMessage(TB_DELETEBUTTON, 0);
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (!ids || ids[i] == ID_SEPARATOR) {
            button.fsStyle = TBSTYLE_SEP;
        } else {
            button.idCommand = static_cast<int>(ids[i]);
            button.iBitmap = image++;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
        }
        if (!SendMessage(TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&button)))
            return FALSE;
    }
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

void CToolBar::SetSizes(SIZE button, SIZE image)
{
    m_imageSize = image;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(image.cx, image.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(button.cx, button.cy));
}

int CToolBar::GetCount() const
{
    return static_cast<int>(SendMessage(TB_BUTTONCOUNT));
}

int CToolBar::CommandToIndex(UINT id) const
{
    return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, id));
}

UINT CToolBar::GetItemID(int index) const
{
    TBBUTTON button = {};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
        return 0;
    return (button.fsStyle & TBSTYLE_SEP) ? ID_SEPARATOR : static_cast<UINT>(button.idCommand);
}

void CToolBar::GetItemRect(int index, RECT* rect) const
{
    if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)))
        ::SetRectEmpty(rect);
}

UINT CToolBar::GetButtonStyle(int index) const
{
    TBBUTTON button = {};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
        return 0;
    return button.fsStyle;
}

void CToolBar::SetButtonStyle(int index, UINT style)
{
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE | TBIF_BYINDEX;
    info.fsStyle = static_cast<BYTE>(style);
    SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

CSize CToolBar::CalcFixedLayout(BOOL, BOOL)
{
    DWORD size = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    int height = HIWORD(size) + 4;
    return CSize(32767, height);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    CToolCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(GetCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        UINT id = GetItemID(static_cast<int>(state.m_nIndex));
        if (id == ID_SEPARATOR)
            continue;
        state.m_nID = id;
        state.DoUpdate(target, disableIfNoHandler);
    }
}

// ============================================================================================
// CStatusBar

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id)
{
    DWORD windowStyle = TakeBarStyle(style);
    windowStyle |= CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NORESIZE;
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, windowStyle | WS_CHILD, CRect(0, 0, 0, 0), parent, id))
        return FALSE;
    AttachToFrame();
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    m_panes.clear();
    CClientDC dc(m_hWnd);
    HGDIOBJ oldFont = dc.SelectObject(reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    for (int i = 0; i < count; ++i) {
        Pane pane = {ids[i], SBPS_NORMAL, 0, CString()};
        if (pane.id == ID_SEPARATOR) {
            pane.style = i == 0 ? SBPS_STRETCH | SBPS_NOBORDERS : SBPS_NORMAL;
            pane.width = i == 0 ? 0 : 20;
        } else {
            CString text;
            if (!text.LoadString(pane.id))
                text = "    ";
            pane.width = dc.GetTextExtent(text).cx + 8;
            pane.text = text;
        }
        m_panes.push_back(pane);
    }
    dc.SelectObject(oldFont);
    ApplyParts();
    return TRUE;
}

void CStatusBar::ApplyParts()
{
    if (m_panes.empty() || !m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    int fixed = 0;
    for (const Pane& pane : m_panes)
        if (!(pane.style & SBPS_STRETCH))
            fixed += pane.width;
    std::vector<int> edges;
    int right = 0;
    for (const Pane& pane : m_panes) {
        int width = (pane.style & SBPS_STRETCH) ? std::max(0, client.Width() - fixed) : pane.width;
        right += width;
        edges.push_back(right);
    }
    edges.back() = -1; // the last pane reaches the edge
    SendMessage(SB_SETPARTS, static_cast<WPARAM>(edges.size()), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < m_panes.size(); ++i) {
        UINT drawing = (m_panes[i].style & SBPS_NOBORDERS) ? SBT_NOBORDERS
                       : (m_panes[i].style & SBPS_POPOUT)  ? SBT_POPOUT
                                                           : 0;
        const char* text = (m_panes[i].style & SBPS_DISABLED) ? "" : static_cast<const char*>(m_panes[i].text);
        SendMessage(SB_SETTEXTA, i | drawing, reinterpret_cast<LPARAM>(text));
    }
}

void CStatusBar::OnSize(UINT type, int cx, int cy)
{
    CControlBar::OnSize(type, cx, cy);
    ApplyParts();
}

int CStatusBar::CommandToIndex(UINT id) const
{
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == id)
            return static_cast<int>(i);
    return -1;
}

UINT CStatusBar::GetItemID(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].id : ID_SEPARATOR;
}

void CStatusBar::GetItemRect(int index, RECT* rect) const
{
    if (!SendMessage(SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)))
        ::SetRectEmpty(rect);
}

BOOL CStatusBar::SetPaneText(int index, const char* text, BOOL update)
{
    if (index < 0)
        return FALSE;
    if (index < GetCount()) {
        Pane& pane = m_panes[static_cast<size_t>(index)];
        if (pane.text == (text ? text : "") && !update)
            return TRUE;
        pane.text = text;
        if (pane.style & SBPS_DISABLED)
            return TRUE;
    }
    return static_cast<BOOL>(
        SendMessage(SB_SETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text ? text : "")));
}

CString CStatusBar::GetPaneText(int index) const
{
    if (index >= 0 && index < GetCount())
        return m_panes[static_cast<size_t>(index)].text;
    int length = LOWORD(SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(index)));
    CString text;
    SendMessage(SB_GETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(length + 1)));
    text.ReleaseBuffer();
    return text;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width)
{
    if (index < 0 || index >= GetCount())
        return;
    Pane& pane = m_panes[static_cast<size_t>(index)];
    pane.id = id;
    pane.style = style;
    pane.width = width;
    ApplyParts();
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const
{
    if (index < 0 || index >= GetCount()) {
        id = 0;
        style = 0;
        width = 0;
        return;
    }
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    id = pane.id;
    style = pane.style;
    width = pane.width;
}

UINT CStatusBar::GetPaneStyle(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].style : 0;
}

void CStatusBar::SetPaneStyle(int index, UINT style)
{
    if (index < 0 || index >= GetCount() || m_panes[static_cast<size_t>(index)].style == style)
        return;
    m_panes[static_cast<size_t>(index)].style = style;
    ApplyParts();
}

CSize CStatusBar::CalcFixedLayout(BOOL, BOOL)
{
    CClientDC dc(m_hWnd);
    HGDIOBJ oldFont = dc.SelectObject(reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    TEXTMETRICA tm = {};
    dc.GetTextMetrics(&tm);
    dc.SelectObject(oldFont);
    return CSize(32767, tm.tmHeight + 8);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    CStatusCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(GetCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = m_panes[state.m_nIndex].id;
        if (state.m_nID == ID_SEPARATOR)
            continue;
        // Indicator panes keep their state when nobody handles them.
        state.DoUpdate(target, FALSE);
        (void)disableIfNoHandler;
    }
}

// ============================================================================================
// CDialogBar

IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

BEGIN_MESSAGE_MAP(CDialogBar, CControlBar)
END_MESSAGE_MAP()

BOOL CDialogBar::Create(CWnd* parent, UINT templateId, UINT style, UINT id)
{
    TakeBarStyle(style);
    HWND hwnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId),
                                     parent ? parent->m_hWnd : nullptr, &BarDialogProc, 0);
    if (!hwnd)
        return FALSE;
    // The bar is an ordinary window of ours, not a dialog object: subclass the dialog window.
    SubclassWindow(hwnd);
    ::SetWindowLongPtrA(hwnd, GWL_ID, static_cast<LONG_PTR>(id));
    ::SetWindowLongPtrA(hwnd, GWL_STYLE, (::GetWindowLongPtrA(hwnd, GWL_STYLE) & ~(WS_POPUP | WS_CAPTION)) | WS_CHILD);
    if (parent)
        ::SetParent(hwnd, parent->m_hWnd);
    CRect r;
    GetWindowRect(&r);
    m_sizeDefault = r.Size();
    if (style & WS_VISIBLE)
        ShowWindow(SW_SHOWNOACTIVATE);
    AttachToFrame();
    return TRUE;
}

CSize CDialogBar::CalcFixedLayout(BOOL, BOOL horizontal)
{
    return horizontal ? CSize(32767, m_sizeDefault.cy) : CSize(m_sizeDefault.cx, 32767);
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    UpdateDialogControls(target, disableIfNoHandler);
}

BOOL CDialogBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Commands of the bar's controls are the frame's commands.
    if (CFrameWnd* frame = GetParentFrame()) {
        kvfw::CmdRequest request;
        request.id = LOWORD(wParam);
        request.code = HIWORD(wParam);
        (void)lParam;
        return frame->OnCmdMsg(request);
    }
    return FALSE;
}
