// Copies of the program beside a set of its modules and images, each missing one piece.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "TestSupport.h"

#include <string>
#include <vector>

using kvtest::ProgramProcess;

namespace {

// bin\ with the program and the modules named, images\ with every skin image but the one
// left out.
std::string CopyProgram(const kvtest::ScratchFolder& scratch, const std::vector<std::string>& modules,
                        const std::string& imageLeftOut)
{
    const std::string bin = scratch.File("bin\\");
    const std::string images = scratch.File("images\\");
    CreateDirectoryA(bin.c_str(), nullptr);
    CreateDirectoryA(images.c_str(), nullptr);
    for (const std::string& name : modules)
        CopyFileA((kvtest::BinFolder() + name).c_str(), (bin + name).c_str(), FALSE);
    const std::string source = kvtest::BinFolder() + "..\\images\\";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((source + "*.png").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do
            if (lstrcmpiA(found.cFileName, imageLeftOut.c_str()) != 0)
                CopyFileA((source + found.cFileName).c_str(), (images + found.cFileName).c_str(), FALSE);
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return bin + "KvSound5EU.exe";
}

} // namespace

TEST(ProgramCopy, WithoutTheEngineModuleTheStartSaysSoAndEnds)
{
    kvtest::ClearProgramKey();
    kvtest::ScratchFolder scratch;
    const std::string exe = CopyProgram(scratch, {"KvSound5EU.exe", "KvSKsFIO.dll", "KVSSTRM.dll"}, "");
    ProgramProcess start(exe, "", scratch.File("bin"));
    HWND box = start.WaitForBox();
    ASSERT_NE(box, nullptr) << "no box";
    EXPECT_EQ(kvtest::BoxText(box), "Error while initializing.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(start.WaitForExit(15000));
    EXPECT_EQ(start.Frame(), nullptr);
}

TEST(ProgramCopy, WithoutTheSplashImageTheStartGoesOn)
{
    kvtest::ClearProgramKey();
    kvtest::ScratchFolder scratch;
    const std::string exe =
        CopyProgram(scratch, {"KvSound5EU.exe", "KvSKsFIO.dll", "KVSSTRM.dll", "KsMultiTrack.dll"}, "SPLASH.png");
    ProgramProcess start(exe, "", scratch.File("bin"));
    HWND frame = start.WaitForFrame();
    ASSERT_NE(frame, nullptr) << kvtest::BoxText(start.WaitForBox(0));
    EXPECT_TRUE(start.Boxes().empty());
    PostMessageA(frame, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(start.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}
