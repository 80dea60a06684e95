#include "LabelEditWnd.h"

#include "BaseWin.h"
#include "ComObject.h"
#include "ComRef.h"
#include "CommandInterfaces.h"
#include "DocCommandIds.h"
#include "FontSet.h"
#include "LabelMarks.h"
#include "LabelTable.h"
#include "MarkCommands.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "ResourceModule.h"
#include "SkinTables.h"
#include "ViewHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr UINT kReflectedCtlColorEdit = 0x2000 + WM_CTLCOLOREDIT;
constexpr UINT_PTR kEndEditTimer = 0x4C45;

std::string CueText()
{
    char text[256] = "Cue";
    ::LoadStringA(GetResourceModule(), IDS_CMD_CUE, text, sizeof text);
    return text;
}

// The box that asked to be ended; a box opened since then stays.
HWND g_ending = nullptr;

// The slot's edit window is deleted outside the box's own message handlers.
void CALLBACK EndEditLater(HWND wnd, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(wnd, id);
    IInPlaceEditHost* host = GetInPlaceEditHost();
    CWnd* edit = host ? host->GetInPlaceEdit() : nullptr;
    if (edit && edit->m_hWnd == g_ending)
        host->EndInPlaceEdit();
    g_ending = nullptr;
}

void EndSoon(HWND edit)
{
    HWND parent = ::GetParent(edit);
    g_ending = edit;
    if (parent)
        ::SetTimer(parent, kEndEditTimer, 0, EndEditLater);
}

} // namespace

BEGIN_MESSAGE_MAP(CLabelEditWnd, CEdit)
    ON_WM_KEYDOWN()
    ON_WM_KILLFOCUS()
    ON_MESSAGE(kReflectedCtlColorEdit, OnCtlColor)
END_MESSAGE_MAP()

CLabelEditWnd::~CLabelEditWnd()
{
    m_screen = RECT{};
    if (m_hWnd)
        DestroyWindow();
}

BOOL CLabelEditWnd::StartEdit(CNyMultiTrackView* view, CLabelTable* table, int labelId, DWORD extraStyle)
{
    CNyMultiTrackDoc* doc = view ? view->GetMultiTrackDoc() : nullptr;
    if (!doc || !table || !table->FindById(labelId, &m_record) || m_record.id <= 0)
        return FALSE;
    m_view = view;
    m_table = table;
    m_readOnly = extraStyle & ES_READONLY;
    bool allTracks = m_record.trackId == -1;
    CWnd& pane = allTracks ? static_cast<CWnd&>(view->GetTimeRuler()) : view->GetTrackArea();
    if (!pane.m_hWnd)
        return FALSE;

    int kind = m_record.kind & 0xFF;
    int image = kind == kLabelLoop ? kSkinLoopStart : kind == kLabelSection ? kSkinMarkStart : kSkinMarkCue;
    RECT axis = view->GetTrackWaveRect(-1);
    int left = axis.left + int(std::floor(view->SampleToPixel(m_record.start - view->GetFirstVisibleSample()))) +
               GetSkinImageSize(image).cx;
    RECT strip;
    if (allTracks)
        ::GetClientRect(pane.m_hWnd, &strip);
    else
        strip = view->GetTrackMarkerRect(doc->TrackIdToIndex(m_record.trackId));

    std::string name(m_record.name, strnlen(m_record.name, sizeof m_record.name - 1));
    CFont* font = FontSet::Get(0);
    HDC dc = ::GetDC(pane.m_hWnd);
    HGDIOBJ old = font ? ::SelectObject(dc, font->m_hObject) : nullptr;
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    int width = 0;
    if (m_readOnly) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc, name.c_str(), int(name.size()), &size);
        width = size.cx;
    } else {
        int chars = std::max<int>(16, int(name.size()) * 2);
        width = (metrics.tmAveCharWidth * chars + 1) / 2;
    }
    if (old)
        ::SelectObject(dc, old);
    ::ReleaseDC(pane.m_hWnd, dc);
    int height = metrics.tmHeight;
    int top = (allTracks ? (strip.top + strip.bottom - height) / 2 : strip.top) - 2;
    RECT box{left, top, left + width + 4, top + height + 4};

    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | extraStyle;
    if (!CreateEx(0, "EDIT", "", style, box, &pane, kControlId))
        return FALSE;
    if (font)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font->m_hObject), TRUE);
    LimitText(sizeof m_record.name - 1);
    SetWindowText(name.c_str());
    SetSel(0, -1);
    m_screen = box;
    ::MapWindowPoints(pane.m_hWnd, nullptr, reinterpret_cast<POINT*>(&m_screen), 2);
    return TRUE;
}

void CLabelEditWnd::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key != VK_RETURN && key != VK_ESCAPE) {
        CEdit::OnKeyDown(key, repeat, flags);
        return;
    }
    if (key == VK_RETURN)
        Commit();
    Close();
}

void CLabelEditWnd::Commit()
{
    CNyMultiTrackDoc* doc = m_view ? m_view->GetMultiTrackDoc() : nullptr;
    if (!doc || !doc->GetHistory())
        return;
    // A name is at most 255 characters and its terminator.
    char text[sizeof m_record.name] = {};
    ::GetWindowTextA(m_hWnd, text, int(sizeof text));
    text[sizeof text - 1] = '\0';
    if (strncmp(text, m_record.name, sizeof text) == 0)
        return;
    std::string name(text);
    name.erase(name.find_last_not_of(' ') == std::string::npos ? 0 : name.find_last_not_of(' ') + 1);
    HRESULT hr = S_OK;
    if (name.empty()) {
        // Blanks delete the mark, as a step the user can undo.
        ComRef<DelMarkCommand> command(
            ComObject<IEditCommand>::Create<DelMarkCommand>(CueText().c_str(), doc, m_record.id));
        hr = command ? doc->GetHistory()->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    } else {
        LabelRecord renamed = m_record;
        memset(renamed.name, 0, sizeof renamed.name);
        memcpy(renamed.name, name.data(), std::min(name.size(), sizeof renamed.name - 1));
        ComRef<ModMarkCommand> command(
            ComObject<IEditCommand>::Create<ModMarkCommand>(CueText().c_str(), doc, renamed));
        hr = command ? doc->GetHistory()->Do(command.Get(), TRUE) : E_OUTOFMEMORY;
    }
    if (FAILED(hr))
        GetViewHost().ShowErrorBox(hr, nullptr);
    GetViewHost().RefreshMarkerList(-1);
}

void CLabelEditWnd::Close()
{
    ShowWindow(SW_HIDE);
    EndSoon(m_hWnd);
    if (!m_view)
        return;
    bool allTracks = m_record.trackId == -1;
    CWnd& pane = allTracks ? static_cast<CWnd&>(m_view->GetTimeRuler()) : m_view->GetTrackArea();
    if (!pane.m_hWnd)
        return;
    RECT strip{};
    CNyMultiTrackDoc* doc = m_view->GetMultiTrackDoc();
    if (!allTracks && doc)
        strip = m_view->GetTrackMarkerRect(doc->TrackIdToIndex(m_record.trackId));
    ::InvalidateRect(pane.m_hWnd, allTracks ? nullptr : &strip, TRUE);
    if (::GetFocus() == m_hWnd)
        ::SetFocus(m_view->m_hWnd);
}

void CLabelEditWnd::OnKillFocus(CWnd* next)
{
    CEdit::OnKillFocus(next);
    EndSoon(m_hWnd);
}

LRESULT CLabelEditWnd::OnCtlColor(WPARAM dc, LPARAM)
{
    ::SetBkMode(reinterpret_cast<HDC>(dc), TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_INFOBK));
}

void StartNewLabelEdit(CommandDocument* document, const LabelRecord& record, DWORD style)
{
    (void)style; // the new mark's name is offered for typing
    auto* doc = dynamic_cast<CNyMultiTrackDoc*>(document);
    auto* view = doc ? dynamic_cast<CNyMultiTrackView*>(doc->GetMultiTrackView()) : nullptr;
    if (view && view->m_hWnd)
        GetViewHost().BeginLabelEdit(view, record.id);
}

void BeginLabelEdit(CNyMultiTrackView* view, int labelId)
{
    IInPlaceEditHost* host = GetInPlaceEditHost();
    CNyMultiTrackDoc* doc = view ? view->GetMultiTrackDoc() : nullptr;
    if (!host || !doc)
        return;
    host->EndInPlaceEdit();
    auto* edit = new CLabelEditWnd;
    if (!edit->StartEdit(view, &doc->GetLabels(), labelId, 0)) {
        delete edit;
        return;
    }
    host->BeginInPlaceEdit(edit, CLabelEditWnd::kControlId);
    edit->SetFocus();
}
