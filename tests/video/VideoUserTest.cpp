// What a new user does with a video, in the whole program with the real engine playing to the
// sound server's null sink: attach a video in Properties, turn Frame Animation on in the video
// track's menu and play, open the video preview (Alt+5) and zoom it to 200% from its menu, save
// as AVI through the save dialog and open the saved file again. With KV_SHOT_DIR set, pictures
// of the screen at each step are written there (tests/video/screenshot-user.sh runs it so under
// a virtual X display).
#include "AudioRig.h"
#include "AviStructure.h"
#include "KvSSException.h"
#include "ComRef.h"
#include "DrawWindow.h"
#include "MainFrame.h"
#include "MultiTrackDoc.h"
#include "MultiTrackView.h"
#include "NyApp.h"
#include "NyControlView.h"
#include "PanePlacement.h"
#include "RawClip.h"
#include "ScreenShot.h"
#include "SelectionModel.h"
#include "Settings.h"
#include "SettingsTestKit.h"
#include "SettingsTestRoot.h"
#include "SoundFile.h"
#include "TestSupport.h"
#include "VideoFixtures.h"
#include "VideoIds.h"
#include "VideoPreviewWnd.h"
#include "VideoTrackPane.h"
#include "ViewIds.h"
#include "SettingsIds.h"
#include "resource.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using settingstest::ModalScript;
using kvtest::Shot;

namespace {

constexpr int64_t kRate = 44100;
constexpr UINT kExport = 1001;

// The visible popup menu of this thread, or null.
HWND OpenMenu()
{
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// The visible dialog of this thread holding control id, or null.
HWND DialogWith(int id)
{
    struct Find {
        int id;
        HWND found;
    } find{id, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) {
            auto* f = reinterpret_cast<Find*>(p);
            if (IsWindowVisible(w) && GetDlgItem(w, f->id)) {
                f->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

void Click(HWND dialog, int button)
{
    SendMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
}

class VideoUserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig::Capture::Get().WaitRunning(8000)) << "no capture of the sound server";
        SetSettingInt(kSettingsSection, "DefaultSamplesPerSec", int(kRate));
        SetSettingInt(kSettingsSection, "DefaultDataChannels", 2);
        AfxSetMessageBoxHook([this](const char* text, const char*, UINT) {
            boxes_.push_back(text);
            return IDOK;
        });
        ASSERT_TRUE(app_.InitInstance());
        frame_ = dynamic_cast<CMainFrame*>(app_.m_pMainWnd);
        ASSERT_NE(frame_, nullptr);
        frame_->ShowWindow(SW_SHOW);
        controller_ = frame_->GetControllerPane();
        ASSERT_NE(controller_, nullptr);
        frame_->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
        view_ = ActiveView();
        ASSERT_NE(view_, nullptr);
        doc_ = view_->GetMultiTrackDoc();
        view_->SetFocus();
    }
    void TearDown() override
    {
        if (controller_ && controller_->IsPlaying())
            Key(VK_SPACE);
        if (app_.m_pMainWnd) {
            for (CNyMultiTrackDoc* doc : {doc_, reopened_})
                if (doc)
                    doc->SetModifiedFlag(FALSE);
            app_.m_pMainWnd->SendMessage(WM_CLOSE);
        }
        MSG quit;
        while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        AfxSetMessageBoxHook(nullptr);
    }
    CNyMultiTrackView* ActiveView()
    {
        CMDIChildWnd* child = frame_->MDIGetActive();
        return child ? dynamic_cast<CNyMultiTrackView*>(child->GetActiveView()) : nullptr;
    }
    // The program's loop for ms milliseconds: accelerators and the panes' keys first.
    void Run(DWORD ms)
    {
        const DWORD until = ::GetTickCount() + ms;
        do {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT)
                    continue;
                if (!app_.PreTranslateMessage(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            }
            ::Sleep(5);
        } while (::GetTickCount() < until);
    }
    template <class Condition>
    bool RunUntil(Condition condition, DWORD ms)
    {
        for (DWORD waited = 0; waited < ms; waited += 20) {
            if (condition())
                return true;
            Run(20);
        }
        return condition();
    }
    void Key(UINT key, bool alt = false)
    {
        const UINT scan = ::MapVirtualKeyA(key, 0);
        const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN, up = alt ? WM_SYSKEYUP : WM_KEYUP;
        const LPARAM altBit = alt ? 0x20000000 : 0;
        BYTE keys[256] = {};
        keys[VK_MENU] = alt ? 0x80 : 0;
        ::SetKeyboardState(keys);
        ::PostMessageA(view_->m_hWnd, down, key, MAKELPARAM(1, scan) | altBit);
        ::PostMessageA(view_->m_hWnd, up, key, MAKELPARAM(1, scan | 0xC000) | altBit);
        Run(0);
        BYTE none[256] = {};
        ::SetKeyboardState(none);
    }
    // A right click at a point of a window opens its menu; the script then types keys into it.
    void ChooseFromMenu(HWND window, POINT at, std::vector<WPARAM> keys)
    {
        ModalScript script([&] {
            HWND menu = OpenMenu();
            if (!menu)
                return false;
            for (WPARAM key : keys)
                PostMessageA(menu, key < 0x100 && key >= '0' ? WM_CHAR : WM_KEYDOWN, key, 0);
            return true;
        });
        ::PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        ::PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        Run(300);
    }
    // A stereo tone as the document's first track.
    void AddTone(int64_t frames)
    {
        const std::string path = scratch_.File("tone.raw");
        std::vector<int16_t> tone(size_t(frames * 2));
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = int16_t((i / 40) % 2 ? 6000 : -6000);
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(tone.data(), 2, tone.size(), f);
        std::fclose(f);
        ComRef<IMtClip> clip;
        ASSERT_EQ(S_OK, MakeRawClip(path, 2, 16, doc_->GetSamplesPerSec(), clip));
        ComRef<IMtTrack> track;
        *track.Out() = doc_->GetTrack(0);
        track->AddRef();
        track->SetChannels(2);
        ASSERT_EQ(S_OK, track->InsertClip(clip.Get(), 0, 0, 0));
        view_->UpdateScrollBars();
    }

    SettingsTestRoot root_;
    kvtest::ScratchFolder scratch_;
    CNyApp app_;
    CMainFrame* frame_ = nullptr;
    CNyControlView* controller_ = nullptr;
    CNyMultiTrackView* view_ = nullptr;
    CNyMultiTrackDoc* doc_ = nullptr;
    CNyMultiTrackDoc* reopened_ = nullptr;
    std::vector<std::string> boxes_;
};

} // namespace

TEST_F(VideoUserTest, AttachPlayWithAnimationPreviewZoomSaveAsAviAndReopen)
{
    AddTone(3 * kRate);
    view_->ZoomToFit(0, 0); // the whole sound in sight, as the zoom buttons give it
    CVideoTrackPane& pane = view_->GetVideoTrackPane();
    const std::string video = VideoFixture("theora.ogg");

    // Properties: the video's path typed into its box, then OK.
    {
    ModalScript properties([&] {
        HWND dialog = DialogWith(IDC_PROP_VIDEO);
        if (!dialog)
            return false;
        SetDlgItemTextA(dialog, IDC_PROP_VIDEO, video.c_str());
        Click(dialog, IDOK);
        return true;
    });
    frame_->SendMessage(WM_COMMAND, IDC_VIEW_PROPERTIES, 0);
    Run(200);
    }
    ASSERT_TRUE(boxes_.empty()) << boxes_.front();
    ASSERT_TRUE(doc_->IsVideoOpen());
    ASSERT_TRUE(pane.HasVideo());
    EXPECT_EQ(pane.DisplaySource()->GetFrameCount(), 12);
    EXPECT_TRUE(::IsWindowVisible(pane.m_hWnd)) << "the video track did not show";
    Shot("1-video-attached");

    // Frame Animation from the track's own menu, then Space plays; stopped inside the video.
    ChooseFromMenu(pane.m_hWnd, POINT{40, 20}, {'e'});
    ASSERT_TRUE(pane.IsFrameAnimationOn());
    Key(VK_SPACE);
    ASSERT_TRUE(RunUntil([&] { return pane.CurrentPosition() > 1000; }, 3000))
        << "the strip did not follow playback: " << pane.CurrentPosition();
    const double early = pane.CurrentPosition();
    ASSERT_TRUE(RunUntil([&] { return pane.CurrentPosition() > early + 1000; }, 3000));
    Shot("2-playing-with-frame-animation");
    Key(VK_SPACE);
    Run(200);

    // Alt+5 shows the preview, bound to this view; 200% from its menu.
    Key('5', true);
    ASSERT_TRUE(RunUntil([&] { return frame_->HeldPane(PaneKind::VideoPreview) != nullptr; }, 2000))
        << "Alt+5 made no preview";
    auto* preview = dynamic_cast<CVideoPreviewWnd*>(frame_->HeldPane(PaneKind::VideoPreview));
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(RunUntil([&] { return ::IsWindowVisible(::GetParent(preview->m_hWnd)) != FALSE; }, 2000))
        << "Alt+5 did not show the preview";
    EXPECT_EQ(preview->Pane(), &pane);
    EXPECT_NE(preview->StatusText().find("/   12"), std::string::npos) << preview->StatusText();
    ChooseFromMenu(preview->m_hWnd, POINT{30, 30}, {'2'});
    Run(300);
    const RECT& fitted = pane.PreviewFrameRect();
    EXPECT_EQ(fitted.right - fitted.left, 320);
    EXPECT_EQ(fitted.bottom - fitted.top, 240);
    EXPECT_NE(preview->StatusText().find("320x240(160x120)"), std::string::npos) << preview->StatusText();
    Shot("3-preview-at-200");

    // Export: AVI chosen in the save dialog's type list, the name typed, OK.
    const std::string saved = scratch_.File("walk.avi");
    {
    ModalScript save([&] {
        HWND dialog = DialogWith(cmb1);
        if (!dialog)
            return false;
        HWND types = GetDlgItem(dialog, cmb1);
        for (LRESULT i = 0, n = SendMessageA(types, CB_GETCOUNT, 0, 0); i < n; ++i) {
            char text[256] = {};
            SendMessageA(types, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            if (std::string(text).find("AVI") != std::string::npos) {
                SendMessageA(types, CB_SETCURSEL, WPARAM(i), 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
            }
        }
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(saved.c_str()));
        Click(dialog, IDOK);
        return true;
    });
    frame_->SendMessage(WM_COMMAND, kExport, 0);
    Run(300);
    }
    std::string shown;
    for (const std::string& box : boxes_)
        shown += box + "\n";
    ASSERT_NE(GetFileAttributesA(saved.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing saved; boxes: " << shown;
    AviStructure avi;
    try {
        avi = ReadAviStructure(saved.c_str(), kAviVideo);
    } catch (const CKvSSException& e) {
        FAIL() << "the saved AVI does not read: " << std::hex << e.m_hr << " size " << std::dec
               << InFile(saved.c_str()).Size() << "; boxes: " << shown;
    }
    const AviStreamInfo& frames = *avi.Find(kAviVideo);
    EXPECT_EQ(frames.chunks.size(), 12u);
    EXPECT_EQ(frames.bitCount, 24) << "the decoded frames are not uncompressed RGB24";
    ASSERT_NE(avi.Find(kAviAudio), nullptr);
    uint64_t sound = 0;
    for (const AviChunkRef& c : avi.Find(kAviAudio)->chunks)
        sound += c.size;
    EXPECT_EQ(sound, uint64_t(3 * kRate) * 4);

    // Open it again: its own video comes with it, frame 7 drawn for frame 7.
    {
    ModalScript open([&] {
        HWND dialog = DialogWith(cmb1);
        if (!dialog)
            return false;
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(saved.c_str()));
        Click(dialog, IDOK);
        return true;
    });
    frame_->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);
    ASSERT_TRUE(RunUntil([&] { return ActiveView() && ActiveView() != view_; }, 10000)) << "the saved AVI did not open";
    }
    CNyMultiTrackView* again = ActiveView();
    reopened_ = again->GetMultiTrackDoc();
    Run(300);
    CVideoTrackPane& video2 = again->GetVideoTrackPane();
    ASSERT_TRUE(video2.HasVideo()) << "the saved AVI came back without its video";
    EXPECT_EQ(video2.DisplaySource()->GetFrameCount(), 12);
    EXPECT_EQ(reopened_->GetLength(), 3 * kRate);
    DrawWindow w;
    EXPECT_EQ(DrawnFrame(*video2.DisplaySource(), w, 7), 7);
    Shot("4-reopened");
}
