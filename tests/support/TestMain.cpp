// Entry of every test program: each process gets a temporary folder of its own (TMP and TEMP,
// which the modules it loads share), so tests that look at scratch files never see another
// test program's files, and nothing is left behind after the run.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

namespace {

// A program registered in shards has picked its share once its run starts; a test program it
// starts in turn (a kill test's child) must run the test it is given, not a share of it.
class ShardForgetter : public testing::EmptyTestEventListener {
    void OnTestProgramStart(const testing::UnitTest&) override
    {
        SetEnvironmentVariableA("GTEST_TOTAL_SHARDS", nullptr);
        SetEnvironmentVariableA("GTEST_SHARD_INDEX", nullptr);
    }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ShardForgetter);
    kvtest::ScratchFolder temp;
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp.Path().c_str());
    return RUN_ALL_TESTS();
}
