#include "FrameworkTestSupport.h"
#include <commctrl.h>

void PumpAndIdle(CWinApp& app)
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        if (!app.PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    app.OnIdle(0);
    app.OnIdle(1);
}

namespace {
ModalDriver* g_driver = nullptr;
const int kMaxTicks = 200;
} // namespace

ModalDriver::ModalDriver(std::function<bool()> script) : m_script(std::move(script))
{
    g_driver = this;
    m_timer = ::SetTimer(nullptr, 0, 20, &ModalDriver::OnTimer);
}

ModalDriver::~ModalDriver()
{
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    g_driver = nullptr;
}

void CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    ModalDriver* driver = g_driver;
    if (!driver || driver->m_done)
        return;
    ++driver->m_ticks;
    if (driver->m_ticks > kMaxTicks) {
        // Give up: end whatever modal window is active.
        driver->m_done = true;
        HWND active = ::GetActiveWindow();
        if (active)
            ::PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (driver->m_script())
        driver->m_done = true;
}

void FrameworkTest::SetUp()
{
    m_appName = "FwTest" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
    AfxSetMessageBoxHook([this](const char* text, const char*, UINT type) {
        m_shown.push_back({text, type});
        if (m_answers.empty())
            return IDOK;
        int answer = m_answers.front();
        m_answers.erase(m_answers.begin());
        return answer;
    });
    CommandTrace().clear();
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    StartApp();
}

void FrameworkTest::StartApp()
{
    m_app.reset(new CSampleApp(m_appName.c_str()));
    ASSERT_TRUE(m_app->InitInstance());
    PumpAndIdle(*m_app);
}

void FrameworkTest::StopApp()
{
    if (!m_app)
        return;
    // Documents are dropped without asking; the recent files are written as at program end.
    if (m_app->m_pMainWnd) {
        for (POSITION pos = m_app->GetFirstDocTemplatePosition(); pos;) {
            CDocTemplate* tpl = m_app->GetNextDocTemplate(pos);
            for (POSITION d = tpl->GetFirstDocPosition(); d;)
                tpl->GetNextDoc(d)->SetModifiedFlag(FALSE);
        }
        m_app->m_pMainWnd->DestroyWindow();
    }
    m_app->ExitInstance();
    PumpAndIdle(*m_app);
    m_app.reset();
}

void FrameworkTest::TearDown()
{
    StopApp();
    AfxSetMessageBoxHook(nullptr);
    HKEY root = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KvTest", 0, KEY_ALL_ACCESS, &root) == ERROR_SUCCESS) {
        ::RegDeleteTreeA(root, m_appName.c_str());
        ::RegCloseKey(root);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KvTest"); // only goes when empty
    }
    for (const std::string& file : m_files)
        ::DeleteFileA(file.c_str());
}

CSampleDoc* FrameworkTest::NewDocument()
{
    CDocument* doc = m_app->Template()->OpenDocumentFile(nullptr);
    PumpAndIdle(*m_app);
    return static_cast<CSampleDoc*>(doc);
}

std::string FrameworkTest::MakeFile(const char* name)
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + m_appName + "_" + name;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    m_files.push_back(path);
    return path;
}
