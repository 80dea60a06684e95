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

// The program keeps its temporary folder in its settings; a program run by a test leaves it
// naming that test's scratch folder, which every later test program's modules would then share.
void ForgetProgramTempFolder()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Settings", 0, KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "TempPath");
    RegCloseKey(key);
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ShardForgetter);
    kvtest::ScratchFolder temp;
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp.Path().c_str());
    // Only the registered program holds the key; a test program it starts in turn must not
    // clear the value under its parent's running program.
    char owns[4] = {};
    const bool ownsProgramKey = GetEnvironmentVariableA("KV_OWNS_PROGRAM_KEY", owns, sizeof owns) != 0;
    SetEnvironmentVariableA("KV_OWNS_PROGRAM_KEY", nullptr);
    if (ownsProgramKey)
        ForgetProgramTempFolder();
    const int result = RUN_ALL_TESTS();
    if (ownsProgramKey)
        ForgetProgramTempFolder();
    return result;
}
