#include "NyMixerCtrlFrame.h"

#include "MixerView.h"

namespace {
constexpr UINT kMsgMixerKey = WM_USER + 100;
}

BOOL CNyMixerCtrlFrame::Create(CWnd* parent)
{
    CString title;
    if (!title.LoadString(20355))
        title = "Mixer";
    if (!CNyMiniFrame::Create(nullptr, title.GetString(), 0x80040100, CRect(0, 0, 600, 440), parent, 0))
        return FALSE;
    InitCaption(41);
    return TRUE;
}

BOOL CNyMixerCtrlFrame::PreTranslateMessage(MSG* msg)
{
    // Keys skip the mini frame's own handling: the view has had them, and what it leaves goes
    // on to normal dispatch.
    if (msg->message == WM_KEYDOWN) {
        HWND child = ::GetWindow(m_hWnd, GW_CHILD);
        return child ? BOOL(::SendMessageA(child, kMsgMixerKey, msg->wParam, msg->lParam)) : FALSE;
    }
    return CNyMiniFrame::PreTranslateMessage(msg);
}

CNyMixerCtrlFrame* CreateMixerPane(CWnd* mainFrame)
{
    // A frame or view whose window fails is deleted by the framework already; a view whose
    // window exists (its scroll bar failed) goes with its frame.
    auto* frame = new CNyMixerCtrlFrame;
    if (!frame->Create(mainFrame))
        return nullptr;
    auto* view = new CMixerView;
    if (!view->CreatePane(frame)) {
        frame->DestroyWindow();
        return nullptr;
    }
    frame->SetMixerView(view);
    frame->SetPane(view);
    return frame;
}
