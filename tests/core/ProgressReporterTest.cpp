#include <gtest/gtest.h>

#include "ProgressReporter.h"

#include <string>
#include <thread>
#include <vector>

namespace {

// What the progress window saw of one message.
struct Seen {
    char kind; // 'o'pen, 'u'pdate, 'c'lose
    LPARAM parameter;
    UINT position;
    std::string text;
    std::string caption;
    DWORD flags;
};

// A real window on its own thread with its own message loop, standing in for the main frame:
// it records each progress message and answers updates with 1 until told to cancel.
class ProgressWindow {
public:
    ProgressWindow()
    {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] { Run(ready); });
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
    }
    ~ProgressWindow()
    {
        PostMessageA(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_window; }
    // Updates after the count given are answered 0 (Cancel pressed).
    void CancelAfter(int updates) { m_cancelAfter = updates; }
    const std::vector<Seen>& Messages() const { return m_seen; }
    std::string Kinds() const
    {
        std::string kinds;
        for (const Seen& s : m_seen)
            kinds += s.kind;
        return kinds;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && (message == ProgressOpenMessage() || message == ProgressUpdateMessage() ||
                     message == ProgressCloseMessage()))
            return self->OnProgress(message, wParam, lParam);
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    LRESULT OnProgress(UINT message, WPARAM wParam, LPARAM lParam)
    {
        Seen seen{};
        seen.parameter = lParam;
        if (message == ProgressCloseMessage()) {
            seen.kind = 'c';
            EXPECT_EQ(wParam, 0u);
            m_seen.push_back(seen);
            return 7;
        }
        const auto* record = reinterpret_cast<const ProgressReporter*>(wParam);
        seen.kind = message == ProgressOpenMessage() ? 'o' : 'u';
        seen.position = record->position;
        seen.text = record->text;
        seen.caption = record->caption;
        seen.flags = record->flags;
        m_seen.push_back(seen);
        if (seen.kind == 'u' && ++m_updates > m_cancelAfter)
            return 0;
        return 1;
    }
    void Run(HANDLE ready)
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KvProgressTestWindow";
        RegisterClassA(&wc);
        m_window =
            CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetEvent(ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
    }

    std::thread m_thread;
    HWND m_window = nullptr;
    std::vector<Seen> m_seen;
    int m_updates = 0;
    int m_cancelAfter = 1000;
};

// Points the reporters at the window for one test and back at nothing afterwards.
class ProgressReporterTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgressWindow(m_receiver.Window()); }
    void TearDown() override { SetProgressWindow(nullptr); }
    ProgressWindow m_receiver;
};

} // namespace

TEST(ProgressMessages, AreTheRegisteredNames)
{
    EXPECT_EQ(ProgressOpenMessage(), RegisterWindowMessageA("MsgOpenProgress"));
    EXPECT_EQ(ProgressUpdateMessage(), RegisterWindowMessageA("MsgUpdateProgress"));
    EXPECT_EQ(ProgressCloseMessage(), RegisterWindowMessageA("MsgCloseProgress"));
    EXPECT_GE(ProgressOpenMessage(), 0xC000u);
}

TEST_F(ProgressReporterTest, OpensUpdatesAndClosesTheWindow)
{
    {
        ProgressReporter progress("Loading", "Open", 0, 500, TRUE);
        EXPECT_EQ(progress.maximum, 100u);
        EXPECT_EQ(progress.shown, 1);
        EXPECT_EQ(progress.SetPosition(40), 0) << "go on";
        EXPECT_EQ(progress.cancelled, 0);
        EXPECT_EQ(progress.End(), 7) << "the receiver's answer";
        EXPECT_EQ(progress.shown, 0);
    }
    ASSERT_EQ(m_receiver.Kinds(), "ouc") << "nothing more from the destructor";
    const std::vector<Seen>& seen = m_receiver.Messages();
    EXPECT_EQ(seen[0].text, "Loading");
    EXPECT_EQ(seen[0].caption, "Open");
    EXPECT_EQ(seen[0].flags, kProgressCannotCancel);
    EXPECT_EQ(seen[0].parameter, 0);
    EXPECT_EQ(seen[1].position, 40u);
    EXPECT_EQ(seen[2].parameter, 500);
}

TEST_F(ProgressReporterTest, CancelStaysSetAndEndStillCloses)
{
    m_receiver.CancelAfter(1);
    ProgressReporter progress("Saving", nullptr, 0, 500, FALSE);
    EXPECT_EQ(progress.SetPosition(10), 0);
    EXPECT_EQ(progress.SetPosition(20), 1) << "Cancel pressed";
    EXPECT_EQ(progress.cancelled, 1);
    m_receiver.CancelAfter(1000);
    EXPECT_EQ(progress.SetPosition(30), 1) << "cancelled is never cleared";
    progress.End();
    EXPECT_EQ(m_receiver.Kinds(), "ouuuc");
    EXPECT_EQ(m_receiver.Messages()[0].caption, "") << "empty caption: the dialog shows the product name";
    EXPECT_EQ(m_receiver.Messages()[0].flags, 0u);
}

TEST_F(ProgressReporterTest, NestedReportersOpenAndCloseInOrder)
{
    {
        ProgressReporter outer("Outer", nullptr, 0, 500, FALSE);
        {
            ProgressReporter inner("Inner", nullptr, 0, 0, FALSE);
            inner.Open(0); // already shown: an update
            inner.End();
        }
        outer.SetPosition(100);
        outer.End();
    }
    EXPECT_EQ(m_receiver.Kinds(), "oouc"
                                  "uc");
}

TEST_F(ProgressReporterTest, ReporterLeftOpenByAnExceptionClosesTheWindow)
{
    try {
        ProgressReporter progress("Work", nullptr, 0, 500, FALSE);
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(m_receiver.Kinds(), "oc");
    EXPECT_EQ(m_receiver.Messages()[1].parameter, 500);
}

TEST_F(ProgressReporterTest, WithoutAWindowNothingIsSent)
{
    SetProgressWindow(nullptr);
    ProgressReporter progress("Quiet", nullptr, 0, 500, FALSE);
    EXPECT_EQ(progress.shown, 0);
    EXPECT_EQ(progress.SetPosition(50), 1);
    EXPECT_EQ(progress.Update(), 0) << "go on";
    EXPECT_EQ(progress.End(), 0);
    EXPECT_EQ(progress.position, 50u);
    EXPECT_TRUE(m_receiver.Kinds().empty());
}

TEST_F(ProgressReporterTest, ResetClearsEverythingButTheMaximum)
{
    ProgressReporter progress(std::string(300, 'x').c_str(), "Caption", 0, 500, TRUE);
    EXPECT_EQ(std::string(progress.text).size(), kProgressTextLength - 1) << "bounded text";
    progress.End();
    progress.Reset();
    EXPECT_EQ(progress.text[0], '\0');
    EXPECT_EQ(progress.caption[0], '\0');
    EXPECT_EQ(progress.flags | progress.cancelled | progress.shown | progress.closeParameter, 0u);
    EXPECT_EQ(progress.minimum, 0u);
    EXPECT_EQ(progress.maximum, 100u);
}

// The dialog counts opens and closes; a reporter that is not shown must not take away the
// open of another one still running (its End called twice, or made before the window was set).
TEST_F(ProgressReporterTest, ReporterNotShownSendsNoClose)
{
    ProgressReporter outer("Outer", nullptr, 0, 500, FALSE);
    {
        ProgressReporter inner("Inner", nullptr, 0, 0, FALSE);
        EXPECT_EQ(inner.End(), 7);
        EXPECT_EQ(inner.End(), 0) << "already closed";
    }
    SetProgressWindow(nullptr);
    ProgressReporter early("Early", nullptr, 0, 0, FALSE);
    SetProgressWindow(m_receiver.Window());
    EXPECT_EQ(early.End(), 0) << "never opened";
    EXPECT_EQ(m_receiver.Kinds(), "ooc");
    EXPECT_EQ(outer.End(), 7);
    EXPECT_EQ(m_receiver.Kinds(), "oocc");
}
