// The dialog script's time limit: a test whose step never finishes ends its dialogs instead of
// hanging, also while the step waits in a modal loop of its own.
#include "DialogScript.h"

#include <gtest/gtest.h>

namespace {

// Ends every modal loop of the thread if the script has not within its time.
void CALLBACK Guard(HWND, UINT, UINT_PTR, DWORD)
{
    ::PostQuitMessage(0);
}

TEST(DialogScriptTest, AStepThatNeverFinishesEndsItsDialogsWithCancel)
{
    struct Case {
        const char* name;
        bool nested; // the step opens a message box of its own and waits in it
    } cases[] = {{"a step that keeps trying", false}, {"a step waiting in its own message box", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int nestedResult = -1;
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, &Guard);
        const DWORD started = ::GetTickCount();
        int result = 0;
        {
            fxtest::Script script({[&] {
                                      if (c.nested && nestedResult < 0)
                                          nestedResult = ::MessageBoxA(nullptr, "inner", "inner", MB_OKCANCEL);
                                      return false;
                                  }},
                                  10);
            result = ::MessageBoxA(nullptr, "outer", "outer", MB_OKCANCEL);
            EXPECT_TRUE(script.TimedOut());
        }
        ::KillTimer(nullptr, guard);
        MSG quit;
        EXPECT_FALSE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the guard ended it";
        EXPECT_LT(::GetTickCount() - started, 10000u);
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(nestedResult, c.nested ? IDCANCEL : -1);
    }
}

} // namespace
