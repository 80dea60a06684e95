// Shared pieces of the framework tests: a fixture that runs the sample application under its own
// registry root (HKCU\Software\KvTest\<unique name>, deleted afterwards), a message pump, a
// message-box hook that answers for the user, and a driver for modal loops.
#pragma once
#include "SampleApp.h"
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Dispatches every queued message (through the application's PreTranslateMessage chain) and
// runs one idle pass, as the message loop does between messages.
void PumpAndIdle(CWinApp& app);

// Runs `script` from a thread timer inside the next modal loop (dialog, property sheet, file
// dialog); the script gets called again on every tick until it returns true. A loop still
// running after many ticks is ended, so that a broken test fails instead of hanging.
class ModalDriver {
public:
    explicit ModalDriver(std::function<bool()> script);
    ~ModalDriver();
    int Ticks() const { return m_ticks; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    std::function<bool()> m_script;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    bool m_done = false;
};

// One recorded message box.
struct ShownMessageBox {
    std::string text;
    UINT type;
};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts (or restarts, for persistence tests) the sample application on this test's registry root.
    void StartApp();
    void StopApp();
    CSampleDoc* NewDocument();
    // A file that exists, for opening documents; removed with the test.
    std::string MakeFile(const char* name);

    std::string m_appName;
    std::unique_ptr<CSampleApp> m_app;
    // Answers of the message-box hook, used in order; IDOK when they run out.
    std::vector<int> m_answers;
    std::vector<ShownMessageBox> m_shown;
    std::vector<std::string> m_files;
};
