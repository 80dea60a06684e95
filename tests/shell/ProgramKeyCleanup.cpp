// The program's tests share the program's registry key with every test program of the build:
// each test here starts from a cleared key and leaves none behind (the program writes its
// temporary folder, this process's own, there when it ends).
#include <gtest/gtest.h>

#include "ProgramProcess.h"

namespace {

class ProgramKeyCleanup : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { kvtest::ClearProgramKey(); }
    void OnTestEnd(const testing::TestInfo&) override { kvtest::ClearProgramKey(); }
};

const bool kInstalled = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ProgramKeyCleanup);
    return true;
}();

} // namespace
