#include "MainFrameFixture.h"
#include "Settings.h"
#include "resource.h"

namespace kvtest {

CNyMiniFrame* StandInMainFrame::CreatePaneFrame(PaneKind kind)
{
    ++frameCreations;
    if (kind != PaneKind::Controller && kind != PaneKind::Mixer && kind != PaneKind::EffectLauncher)
        return CMainFrame::CreatePaneFrame(kind);
    auto* frame = new CNyMiniFrame;
    frame->InitCaption(33);
    if (!frame->Create(nullptr, "Pane", 0x80040100, CRect(0, 0, 0, 0), this, 0))
        return nullptr;
    return frame;
}

CWnd* StandInMainFrame::CreatePaneClient(PaneKind kind, CNyMiniFrame* frame)
{
    if (clientFactory)
        return clientFactory(kind, frame);
    switch (kind) {
    case PaneKind::Controller:
    case PaneKind::Mixer:
    case PaneKind::EffectLauncher:
        return CreateViewClient(new StandInView, frame, 0x50010000);
    default: {
        // A dialog-sized window where the real pane has a dialog.
        CWnd* client = CreateChildClient(new CWnd, frame);
        if (client)
            client->SetWindowPos(nullptr, 0, 0, 240, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return client;
    }
    }
}

CDocument* RecordingApp::OpenDocumentFile(const char* path)
{
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    opened.push_back(name);
    if (duringOpen) {
        auto hook = duringOpen;
        duringOpen = nullptr;
        hook();
    }
    if (failing.count(name)) {
        AfxMessageBox(("Cannot open " + name).c_str(), MB_ICONEXCLAMATION);
        return nullptr;
    }
    return CNyApp::OpenDocumentFile(path);
}

void MainFrameTest::SetUp()
{
    SetShift(false);
    AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
        boxes_.push_back(text);
        int answer = IDNO;
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
        return answer;
    });
    ASSERT_TRUE(app_.InitInstance());
    // The program's own frame goes; one with stand-in panes takes its place.
    app_.m_pMainWnd->DestroyWindow();
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    frame_ = new StandInMainFrame;
    ASSERT_TRUE(frame_->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    app_.m_pMainWnd = frame_;
    frame_->MoveWindow(100, 80, 800, 600);
    frame_->ShowWindow(SW_SHOWNORMAL);
}

void MainFrameTest::TearDown()
{
    SetShift(false);
    if (app_.m_pMainWnd) {
        frame_->transportState = 0;
        frame_->recording = FALSE;
        answers_.clear();
        app_.m_pMainWnd->SendMessage(WM_CLOSE);
    }
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    AfxSetMessageBoxHook(nullptr);
}

CMDIChildWnd* MainFrameTest::FileNew()
{
    frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    return frame_->MDIGetActive();
}

int MainFrameTest::DocumentCount()
{
    POSITION pos = app_.GetFirstDocTemplatePosition();
    return app_.GetNextDocTemplate(pos)->GetDocumentCount();
}

void MainFrameTest::SetShift(bool down)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    keys[VK_LSHIFT] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

std::string MainFrameTest::Setting(const char* name)
{
    std::string text;
    GetSettingString(kSettingsSection, name, "", &text);
    return text;
}

CRect MainFrameTest::WindowRect(CWnd* wnd)
{
    CRect rect;
    wnd->GetWindowRect(&rect);
    return rect;
}

} // namespace kvtest
