// The program started over a disc image on drive R (two audio tracks and a data track), with
// Extract Audio from CD opened through its menu command.
#pragma once
#include "CdIds.h"
#include "CdPrefix.h"
#include "DialogDriving.h"
#include "ProgramProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace cdtest {

constexpr char kExtractLetter = 'R';
constexpr UINT kExtractCommand = 1103;

inline void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline std::vector<std::string> MdiTitles(HWND frame)
{
    std::vector<std::string> titles;
    HWND client = FindWindowExA(frame, nullptr, "MDIClient", nullptr);
    for (HWND child = client ? GetWindow(client, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
        char title[256] = {};
        GetWindowTextA(child, title, sizeof title);
        titles.push_back(title);
    }
    return titles;
}

inline std::string DialogText(HWND dialog, int id)
{
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

class ExtractProgram : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DriverOverridesSet()) << kDriverOverridesHint;
        kvtest::ClearProgramKey();
        // Other test programs may offer image drives of their own meanwhile.
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Korvane\\KorvaneSound5 Tarn US\\Settings", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, "LastCdDrive", 0, REG_SZ, reinterpret_cast<const BYTE*>("R"), 2);
        RegCloseKey(key);
        m_image = std::make_unique<ScopedImageDrive>(kExtractLetter, StandardDisc());
        ASSERT_TRUE(m_image->IsCdRom());
        m_program = std::make_unique<kvtest::ProgramProcess>(kvtest::BinFolder() + "KvSound5EU.exe");
        m_frame = m_program->WaitForFrame();
        ASSERT_NE(nullptr, m_frame);
    }
    void TearDown() override
    {
        m_program.reset();
        m_image.reset();
        kvtest::ClearProgramKey();
    }
    HWND OpenDialog()
    {
        PostMessageA(m_frame, WM_COMMAND, kExtractCommand, 0);
        return WaitForBoxTitled(*m_program, "Extract Audio from CD");
    }

    std::string Diagnose() { return DescribeBoxes(*m_program); }

    std::unique_ptr<ScopedImageDrive> m_image;
    std::unique_ptr<kvtest::ProgramProcess> m_program;
    HWND m_frame = nullptr;
};

} // namespace cdtest
