// The commands the main frame handles itself: pane toggles, settings and devices, CD, the
// recording mixer, help, the default document type, the "&Control" menu's transport items and
// the Add Track drop-down.
#include "ErrorText.h"
#include "HelpLauncher.h"
#include "KsMultiTrackLoader.h"
#include "MainFrame.h"
#include "MainFrameCommandState.h"
#include "MainFrameIds.h"
#include "MainFrameWiring.h"
#include "MultiTrackDoc.h"
#include "NyMiniFrame.h"
#include "ResourceModule.h"
#include "SettingsCommands.h"
#include "Settings.h"
#include "SkinTables.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

void CMainFrame::OnTogglePane(UINT commandId)
{
    const PaneInfo* info = FindPaneByCommand(static_cast<int>(commandId));
    if (!info)
        return;
    // The video preview, and a marker list saved hidden, are made on their first show.
    const bool created =
        (info->kind == PaneKind::VideoPreview || info->kind == PaneKind::MarkerList) && !HeldPane(info->kind);
    CWnd* pane = created ? EnsurePane(info->kind) : HeldPane(info->kind);
    if (pane && pane->m_hWnd) {
        CWnd* frame = CWnd::FromHandle(::GetParent(pane->m_hWnd));
        if (!created && frame->IsWindowVisible()) {
            frame->ShowWindow(SW_HIDE);
        } else {
            frame->ShowWindow(SW_SHOW);
            RefreshShownPane(info->kind, pane);
        }
    }
    if (info->kind != PaneKind::Mixer)
        SetFocus();
}

void CMainFrame::OnUpdateTogglePane(CCmdUI* cmdUI)
{
    const PaneInfo* info = FindPaneByCommand(static_cast<int>(cmdUI->m_nID));
    cmdUI->Enable(TRUE);
    CWnd* pane = info ? HeldPane(info->kind) : nullptr;
    cmdUI->SetCheck(
        PaneCheckState(pane && pane->m_hWnd, pane && pane->m_hWnd && ::IsWindowVisible(::GetParent(pane->m_hWnd))));
}

void CMainFrame::OnFrequencyAnalysis()
{
    // Created on its first show.
    const bool created = HeldPane(PaneKind::Analysis) == nullptr;
    CWnd* pane = EnsurePane(PaneKind::Analysis);
    if (!pane || !pane->m_hWnd)
        return;
    CWnd* frame = CWnd::FromHandle(::GetParent(pane->m_hWnd));
    if (!created && frame->IsWindowVisible()) {
        frame->ShowWindow(SW_HIDE);
    } else {
        frame->ShowWindow(SW_SHOW);
        frame_wiring::UpdateAnalysisPane(0);
    }
    SetFocus();
}

void CMainFrame::OnAutoDemo()
{
    frame_wiring::StartAutoDemo();
}

// Frequency Analysis while a document is open; the auto demo (1096) stays disabled.
void CMainFrame::OnUpdateFrequencyAnalysis(CCmdUI* cmdUI)
{
    cmdUI->Enable(cmdUI->m_nID == ID_VIEW_FREQUENCY_ANALYSIS && MDIGetActive() != nullptr);
}

BOOL CMainFrame::AnyViewBusy()
{
    BOOL busy = FALSE;
    ForEachMultiTrackView([&busy](CView* view) {
        if (!frame_wiring::IsViewTransportIdle(view))
            busy = TRUE;
    });
    return busy;
}

void CMainFrame::OnUpdateSettings(CCmdUI* cmdUI)
{
    CWnd* controller = HeldPane(PaneKind::Controller);
    cmdUI->Enable(SettingsEnabled(AnyViewBusy(), controller && ControllerIsRecording(controller)));
}

void CMainFrame::OnSettings()
{
    m_lastSettingsPage = RunSettingsSheet(m_lastSettingsPage);
}

int CMainFrame::RunSettingsSheet(int startPage)
{
    BOOL accepted = FALSE, redraw = FALSE;
    int lastPage = frame_wiring::RunSettingsSheet(this, startPage, &accepted, &redraw);
    if (!accepted)
        return lastPage;
    CWaitCursor wait;
    if (redraw)
        ForEachMultiTrackView([](CView* view) { view->Invalidate(TRUE); });
    if (AfxGetApp()->GetDocTemplateCount() == 0)
        return lastPage;
    if (CWnd* controller = EnsurePane(PaneKind::Controller))
        ControllerReloadDeviceSettings(controller);
    if (CWnd* mixer = EnsurePane(PaneKind::Mixer))
        MixerRebuild(mixer);
    return lastPage;
}

void CMainFrame::OnAudioDeviceSettings()
{
    // The engine's audio stays suspended exactly while the dialog is open.
    const AudioDeviceRun run = RunAudioDeviceSettings();
    if (run.result != IDOK)
        return;
    const BOOL asio = run.asioUse != 0;
    CWinApp* app = AfxGetApp();
    POSITION pos = app->GetFirstDocTemplatePosition();
    if (CDocTemplate* docTemplate = pos ? app->GetNextDocTemplate(pos) : nullptr) {
        for (POSITION docPos = docTemplate->GetFirstDocPosition(); docPos;)
            if (auto* doc = dynamic_cast<CNyMultiTrackDoc*>(docTemplate->GetNextDoc(docPos)))
                if (IMtTrackSet* set = doc->GetTrackSet())
                    set->SetAsioInUse(asio);
    }
    ResizeMixerPane(asio);
    if (CWnd* controller = HeldPane(PaneKind::Controller))
        ControllerReloadDeviceSettings(controller);
}

void CMainFrame::ResizeMixerPane(BOOL asioInUse)
{
    frame_wiring::SetAsioInUse(asioInUse);
    CWnd* mixer = HeldPane(PaneKind::Mixer);
    CNyMiniFrame* frame = PaneFrame(PaneKind::Mixer);
    if (!mixer || !frame)
        return;
    CSize base = GetSkinImageSize(asioInUse ? 62 : 59);
    int extra = asioInUse ? 0 : GetSkinImageSize(58).cx;
    int left = 0, top = 0, right = 0, bottom = 0;
    frame->GetBorderSizes(&left, &top, &right, &bottom);
    int height = top + bottom + base.cy;
    frame->SetSizeLimits(left + right + base.cx + extra, height, -1, height);
    CRect window;
    frame->GetWindowRect(&window);
    frame->SetWindowPos(nullptr, 0, 0, window.Width(), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MixerRebuild(mixer);
}

// The active child frame's document, when it is a multitrack document.
static CNyMultiTrackDoc* ActiveMultiTrackDoc(CMDIFrameWnd* frame)
{
    CMDIChildWnd* child = frame->MDIGetActive();
    return child ? dynamic_cast<CNyMultiTrackDoc*>(child->GetActiveDocument()) : nullptr;
}

void CMainFrame::OnExtractCd()
{
    CNyMultiTrackDoc* doc = ActiveMultiTrackDoc(this);
    if (doc && !doc->IsViewIdle())
        return;
    frame_wiring::RunExtractCdDialog();
}

void CMainFrame::OnUpdateExtractCd(CCmdUI* cmdUI)
{
    CNyMultiTrackDoc* doc = ActiveMultiTrackDoc(this);
    cmdUI->Enable(ExtractCdEnabled(doc != nullptr, doc && doc->IsViewIdle()));
}

void CMainFrame::OnBurnCd(UINT commandId)
{
    CView* source = nullptr;
    if (commandId == ID_BURN_CD_WINDOW)
        if (CMDIChildWnd* child = MDIGetActive())
            source = child->GetActiveView();
    frame_wiring::RunBurnCdDialog(source);
    frame_wiring::CloseProgressDialog();
}

void CMainFrame::OnUpdateBurnCd(CCmdUI* cmdUI)
{
    CNyMultiTrackDoc* doc = ActiveMultiTrackDoc(this);
    BurnCdState state = BurnCdItemState(cmdUI->m_nID, frame_wiring::HasCdWriter() != FALSE, doc != nullptr,
                                        doc && doc->IsViewIdle(), doc ? doc->GetLength() : 0);
    cmdUI->Enable(state.enabled);
    // The item that stands for the "&Burn CD" popup greys or enables the popup's entry.
    if (cmdUI->m_hSubMenu && cmdUI->m_hMenu && state.popup != BurnCdState::kPopupUnchanged)
        ::EnableMenuItem(cmdUI->m_hMenu, cmdUI->m_nIndex,
                         MF_BYPOSITION | (state.popup == BurnCdState::kPopupGrey ? MF_GRAYED : MF_ENABLED));
}

void CMainFrame::OnUpdateViewEnvelopes(CCmdUI* cmdUI)
{
    cmdUI->Enable(GetActiveView() != nullptr);
}

void CMainFrame::OnOpenMultichannel()
{
    const int type = GetSettingInt(kSettingsSection, "DefaultDocumentType", 0) ? 0 : 1;
    SetSettingInt(kSettingsSection, "DefaultDocumentType", type);
}

void CMainFrame::OnUpdateOpenMultichannel(CCmdUI* cmdUI)
{
    cmdUI->SetCheck(GetSettingInt(kSettingsSection, "DefaultDocumentType", 0) == 1);
}

void CMainFrame::OnHelpContents()
{
    HelpLauncher help;
    help.ShowTopic(kTopicContents, 0);
}

void CMainFrame::OnHelpOnline()
{
    HelpLauncher help;
    help.ShowTopic(kTopicMakerWebPage, 0);
}

int LocateRecordingMixer()
{
    char name[33] = {};
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Multimedia\\Sound Mapper", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return -1;
    DWORD size = 32;
    DWORD type = 0;
    LONG read = ::RegQueryValueExA(key, "Record", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    ::RegCloseKey(key);
    if (read != ERROR_SUCCESS || !IsUsbRecordDeviceName(name))
        return -1;
    UINT device = static_cast<UINT>(-1);
    for (UINT i = 0; i < ::waveInGetNumDevs(); ++i) {
        WAVEINCAPSA caps = {};
        if (::waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR && lstrcmpA(caps.szPname, name) == 0) {
            device = i;
            break;
        }
    }
    if (device == static_cast<UINT>(-1))
        return -1;
    HMIXER mixer = nullptr;
    MIXERCAPSA mixerCaps = {};
    if (::mixerGetDevCapsA(device, &mixerCaps, sizeof mixerCaps) != MMSYSERR_NOERROR ||
        ::mixerOpen(&mixer, device, 0, 0, MIXER_OBJECTF_WAVEIN) != MMSYSERR_NOERROR)
        return 0;
    int count = 0;
    for (DWORD d = 0; d < mixerCaps.cDestinations; ++d) {
        MIXERLINEA line = {};
        line.cbStruct = sizeof line;
        line.dwDestination = d;
        if (::mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(mixer), &line, MIXER_GETLINEINFOF_DESTINATION) !=
                MMSYSERR_NOERROR ||
            lstrcmpA(line.szShortName, "Rec") != 0)
            continue;
        if (!(line.fdwLine & MIXERLINE_LINEF_ACTIVE) || line.cConnections == 0)
            break;
        for (DWORD s = 0; s < line.cConnections; ++s) {
            MIXERLINEA source = {};
            source.cbStruct = sizeof source;
            source.dwDestination = d;
            source.dwSource = s;
            if (::mixerGetLineInfoA(reinterpret_cast<HMIXEROBJ>(mixer), &source, MIXER_GETLINEINFOF_SOURCE) ==
                    MMSYSERR_NOERROR &&
                source.cControls > 0)
                ++count;
        }
        break;
    }
    ::mixerClose(mixer);
    return count;
}

void CMainFrame::OnRecordingControl()
{
    const RecordingMixerProgram program = ChooseRecordingMixer(LocateRecordingMixer());
    HINSTANCE started = ::ShellExecuteA(m_hWnd, nullptr, program.file, program.parameters, nullptr, SW_SHOWNORMAL);
    // This platform may lack the program: its text is all the user sees.
    if (reinterpret_cast<INT_PTR>(started) <= 32) {
        ErrorText text(GetResourceModule());
        AfxMessageBox(text.GetText(static_cast<HRESULT>(KV_E_RECORDING_MIXER)));
    }
}

void CMainFrame::OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu)
{
    if (!sysMenu) {
        const UINT first = ::GetMenuItemID(popup, 0);
        if (first == ID_FADE_HANDLE_FIRST_A || first == ID_FADE_HANDLE_FIRST_B) {
            CNyMultiTrackDoc* doc = ActiveMultiTrackDoc(this);
            CString text;
            text.LoadString(doc && doc->IsPreviewPlaying() ? IDS_FADE_STOP : IDS_FADE_PREVIEW);
            ::ModifyMenuA(popup, ID_FADE_HANDLE_PREVIEW, MF_BYCOMMAND | MF_STRING, ID_FADE_HANDLE_PREVIEW, text);
        }
        if (::GetMenuState(popup, ID_RECORDING_CONTROL, MF_BYCOMMAND) != static_cast<UINT>(-1))
            FillControlMenu(popup);
    }
    CMDIFrameWnd::OnInitMenuPopup(popup, index, sysMenu);
}

void CMainFrame::FillControlMenu(HMENU popup)
{
    CWnd* controller = EnsurePane(PaneKind::Controller);
    CMDIChildWnd* child = MDIGetActive();
    CView* view = child ? child->GetActiveView() : nullptr;
    while (::GetMenuItemCount(popup) > 1)
        ::DeleteMenu(popup, 0, MF_BYPOSITION);
    if (!view)
        return;
    TransportSnapshot state;
    state.hasController = controller != nullptr;
    state.recording = controller && ControllerIsRecording(controller);
    state.paused = controller && ControllerIsPaused(controller);
    state.playing = controller && ControllerIsPlaying(controller);
    state.playStartSet = frame_wiring::IsPlayStartSet(view) != FALSE;
    UINT position = 0;
    for (const ControlMenuItem& item : ControlMenuItems(state)) {
        if (item.id == 0) {
            ::InsertMenuA(popup, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            continue;
        }
        CString text;
        text.LoadString(item.stringId);
        ::InsertMenuA(popup, position++, MF_BYPOSITION | MF_STRING, item.id, text);
    }
}

BOOL CMainFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->code == static_cast<UINT>(TBN_DROPDOWN) && header->hwndFrom == m_toolBar.m_hWnd &&
        reinterpret_cast<NMTOOLBARA*>(lParam)->iItem == ID_ADD_TRACK) {
        if (HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_ADD_TRACK_MENU))) {
            CPoint point = GetToolBarButtonPoint(m_toolBar, ID_ADD_TRACK);
            ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_VERTICAL, point.x, point.y, 0, m_hWnd,
                             nullptr);
            ::DestroyMenu(menu);
        }
    }
    return CMDIFrameWnd::OnNotify(wParam, lParam, result);
}

CPoint CMainFrame::GetToolBarButtonPoint(CToolBar& bar, UINT commandId)
{
    CRect button;
    bar.GetItemRect(bar.CommandToIndex(commandId), &button);
    const int buttonHeight = HIWORD(bar.SendMessage(TB_GETBUTTONSIZE));
    CPoint point(button.left + buttonHeight, button.bottom);
    bar.ClientToScreen(&point);
    return point;
}
