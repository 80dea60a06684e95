// Entry of every test program: each process gets a temporary folder of its own (TMP and TEMP,
// which the modules it loads share), so tests that look at scratch files never see another
// test program's files, and nothing is left behind after the run.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    kvtest::ScratchFolder temp;
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp.Path().c_str());
    return RUN_ALL_TESTS();
}
