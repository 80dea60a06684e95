// Linked into the programs whose tests drive real windows. The cursor, its clipping, the
// foreground and the window list belong to a desktop, which test programs run at the same time
// would otherwise share (one program's slider drag clips the cursor away from another's tip
// tool). The program moves to a desktop of its own before its first window is made.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

class PrivateDesktop : public ::testing::Environment {
public:
    void SetUp() override
    {
        const std::string name = "KvTests" + std::to_string(::GetCurrentProcessId());
        m_desktop = ::CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ASSERT_NE(m_desktop, nullptr) << ::GetLastError();
        ASSERT_TRUE(::SetThreadDesktop(m_desktop)) << ::GetLastError();
    }

private:
    HDESK m_desktop = nullptr;
};

const auto* const g_desktop = ::testing::AddGlobalTestEnvironment(new PrivateDesktop);

} // namespace
