// The progress dialog driven by the reporter's messages and the worker's 0x40A, over a main
// window of the test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include "AppIds.h"
#include "EngineFixture.h"
#include "FormatConverter.h"
#include "NyApp.h"
#include "ProgressDlg.h"
#include "ProgressReporter.h"

#include <cstring>
#include <utility>

namespace {

class ProgressDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* cls = AfxRegisterWndClass(0);
        ASSERT_TRUE(main_.CreateEx(0, cls, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
        app_.m_pMainWnd = &main_;
        ASSERT_TRUE(dialog_.Create(CProgressDlg::IDD, &main_));
    }
    void TearDown() override
    {
        dialog_.DestroyWindow();
        app_.m_pMainWnd = nullptr;
        main_.DestroyWindow();
    }
    // Handles what is queued for ms milliseconds.
    static void Pump(DWORD ms)
    {
        const DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(10);
        } while (GetTickCount() - start < ms);
    }
    LRESULT Open(DWORD delay, DWORD flags = 0)
    {
        record_.flags = flags;
        return dialog_.SendMessage(ProgressOpenMessage(), reinterpret_cast<WPARAM>(&record_), delay);
    }
    LRESULT Update() { return dialog_.SendMessage(ProgressUpdateMessage(), reinterpret_cast<WPARAM>(&record_), 0); }
    LRESULT Close(DWORD delay) { return dialog_.SendMessage(ProgressCloseMessage(), 0, delay); }
    void PressEscape()
    {
        dialog_.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        Update();
    }
    bool CancelShown() { return IsWindowVisible(GetDlgItem(dialog_.m_hWnd, IDCANCEL)) != FALSE; }

    CNyApp app_;
    CWnd main_;
    CProgressDlg dialog_;
    ProgressMessageRecord record_ = {40, "Working", "", 0};
};

} // namespace

TEST_F(ProgressDlgTest, ADelayedOpenClosedInTimeNeverShowsAndOpensNest)
{
    Open(500);
    Pump(100);
    Close(0);
    Pump(700);
    EXPECT_FALSE(dialog_.IsWindowVisible());
    EXPECT_TRUE(main_.IsWindowEnabled());

    Open(0);
    Open(0);
    EXPECT_TRUE(dialog_.IsWindowVisible());
    EXPECT_FALSE(main_.IsWindowEnabled());
    Close(0);
    EXPECT_TRUE(dialog_.IsWindowVisible());
    EXPECT_FALSE(main_.IsWindowEnabled());
    Close(0);
    EXPECT_FALSE(dialog_.IsWindowVisible());
    EXPECT_TRUE(main_.IsWindowEnabled());

    // The caption: the record's, or the product's when it gives none.
    char caption[64] = {};
    Open(0);
    GetWindowTextA(dialog_.m_hWnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "KorvaneSound5 Tarn");
    strcpy(record_.caption, "Saving");
    Update();
    GetWindowTextA(dialog_.m_hWnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Saving");
    Close(0);
}

TEST_F(ProgressDlgTest, EscapeCancelsOnlyWhileCancelIsOffered)
{
    Open(0, kProgressCannotCancel);
    EXPECT_FALSE(CancelShown());
    PressEscape();
    EXPECT_EQ(Update(), 1);
    Close(0);

    Open(0);
    EXPECT_TRUE(CancelShown());
    PressEscape();
    EXPECT_TRUE(dialog_.IsCancelled());
    EXPECT_EQ(Update(), 0);
    Close(0);
    // A new open starts uncancelled.
    Open(0);
    EXPECT_EQ(Update(), 1);
    Close(0);
}

TEST_F(ProgressDlgTest, TheWorkersRecordCarriesCancelAndItsEndFinishesTheWait)
{
    ProgressRecord worker = {};
    worker.value = 10;
    memset(worker.text, 'x', sizeof worker.text - 1); // 319 characters: the dialog shows 127
    dialog_.SendMessage(kProgressMessage, kProgressStarted, reinterpret_cast<LPARAM>(&worker));
    EXPECT_TRUE(dialog_.IsWindowVisible());
    char text[400] = {};
    GetDlgItemTextA(dialog_.m_hWnd, IDC_PROGRESS_TEXT, text, sizeof text);
    EXPECT_EQ(strlen(text), 127u);

    dialog_.SendMessage(kProgressMessage, kProgressStep, reinterpret_cast<LPARAM>(&worker));
    EXPECT_EQ(worker.cancel, 0);
    dialog_.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    dialog_.SendMessage(kProgressMessage, kProgressStep, reinterpret_cast<LPARAM>(&worker));
    EXPECT_EQ(worker.cancel, 1);

    // A worker thread ends with code 5 while the main thread waits.
    worker.closeValue = 77;
    HWND target = dialog_.m_hWnd;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* args = static_cast<std::pair<HWND, ProgressRecord*>*>(p);
            Sleep(200);
            PostMessageA(args->first, kProgressMessage, 5, reinterpret_cast<LPARAM>(args->second));
            delete args;
            return 0;
        },
        new std::pair<HWND, ProgressRecord*>(target, &worker), 0, nullptr);
    EXPECT_EQ(dialog_.WaitUntilDone(), 1);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_TRUE(dialog_.IsDone());
    EXPECT_EQ(dialog_.FinishCode(), 5);
    EXPECT_EQ(dialog_.FinalValue(), 77);
    EXPECT_FALSE(dialog_.IsWindowVisible());
    EXPECT_TRUE(main_.IsWindowEnabled());
}

TEST_F(ProgressDlgTest, WhileHiddenOnlyInputForOtherWindowsIsDroppedAndAQuitSurvives)
{
    Open(5000); // not shown yet
    const UINT kMine = WM_APP + 7;
    main_.PostMessage(WM_LBUTTONDOWN, 0, 0);
    main_.PostMessage(kMine, 0, 0);
    EXPECT_EQ(Update(), 1);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, main_.m_hWnd, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE)) << "input not dropped";
    EXPECT_FALSE(PeekMessageA(&msg, main_.m_hWnd, kMine, kMine, PM_REMOVE)) << "handled, not left";

    // A quit asked for meanwhile is still there for the program's loop.
    PostQuitMessage(3);
    EXPECT_EQ(Update(), 1);
    bool quit = false;
    while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        quit = msg.message == WM_QUIT && msg.wParam == 3;
    EXPECT_TRUE(quit);
    Close(0);
}

// A resampling of three minutes of sound reports to the dialog; Esc pressed while it runs
// stops it with nothing left behind and the main window enabled again.
TEST_F(ProgressDlgTest, EscapeStopsARealResamplingCleanly)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    {
        kvtest::EngineFixture engine;
        ASSERT_TRUE(engine.Ok());
        ASSERT_EQ(S_OK, engine.AddTrack16(kvtest::Sine16(440, 44100, 44100 * 180, 2), 2));
        IMtItemList* receiver = engine.NewItemList();
        ASSERT_NE(receiver, nullptr);
        const std::vector<std::string> before = kvtest::TempFiles();

        // The key waits in the queue until the dialog's first update pumps it.
        dialog_.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
        FormatConverter converter;
        EXPECT_EQ(ConvertFileFormat(converter, engine.Set(), 48000, 24, dialog_.m_hWnd, 8, receiver),
                  kConversionCancelled);
        EXPECT_EQ(kvtest::TempFiles(), before) << "no data or peak file is left";
        EXPECT_TRUE(receiver->IsEmpty());
        EXPECT_TRUE(dialog_.IsDone());
        EXPECT_EQ(dialog_.FinishCode(), static_cast<int>(kProgressCancelled));
        EXPECT_FALSE(dialog_.IsWindowVisible());
        EXPECT_TRUE(main_.IsWindowEnabled());
        receiver->Release();
    }
    CoUninitialize();
}
