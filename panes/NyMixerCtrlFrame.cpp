#include "NyMixerCtrlFrame.h"

#include "MixerView.h"

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
    if (msg->message == WM_KEYDOWN && m_view && m_view->m_hWnd)
        return m_view->PreTranslateMessage(msg);
    return CNyMiniFrame::PreTranslateMessage(msg);
}

CNyMixerCtrlFrame* CreateMixerPane(CWnd* mainFrame)
{
    auto* frame = new CNyMixerCtrlFrame;
    if (!frame->Create(mainFrame)) {
        delete frame;
        return nullptr;
    }
    auto* view = new CMixerView;
    if (!view->CreatePane(frame)) {
        delete view;
        frame->DestroyWindow();
        return nullptr;
    }
    frame->SetMixerView(view);
    frame->SetPane(view);
    return frame;
}
