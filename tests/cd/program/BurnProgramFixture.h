// The running program with a blank disc image in drive S: for the Burn CD tests: the menu's
// burn commands, boxes answered, the disc read back by the machine's bchunk.
#pragma once
#include "CdPrefix.h"
#include "CueSheet.h"
#include "ProgramProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cdtest {

constexpr char kBurnLetter = 'S';
constexpr UINT kBurnFromWindow = 1104;
constexpr UINT kBurnFromFiles = 1105;

std::vector<uint8_t> ReadBytes(const std::string& path);
// Runs a shell line of the machine in folder; its exit code.
int RunNative(const std::string& folder, const std::string& line);
// The sound bytes of a plain 44-byte-header WAV.
std::vector<uint8_t> WavData(const std::string& path);
// Files left in a folder (folders not counted).
int FilesIn(const std::string& folder);

class BurnProgram : public testing::Test {
protected:
    // The settings, the blank disc, and the program started with the document that
    // PrepareDocument makes (none by default).
    void SetUp() override;
    void TearDown() override;
    // Writes the document the program opens at its start; its path, or empty for none.
    virtual std::string PrepareDocument() { return std::string(); }
    HWND Box(const std::string& title, DWORD ms = 20000);
    // A message box showing text, answered with OK.
    bool Answer(const std::string& text, DWORD ms);
    std::string Diagnose();
    // The Burn CD dialog the menu command opens.
    HWND OpenBurnDialog(UINT command = kBurnFromFiles);
    void AddFiles(HWND dialog, const std::string& names);
    // Burn pressed: the run ends with "Finished writing to media.", leaves no temporary file;
    // the dialog and the program are closed, so that the disc can be read.
    void BurnAndClose(HWND dialog);
    cdimage::CueDisc ReadDisc();
    // The disc's sectors from LBA 0 through our drive access (empty when it cannot read).
    std::vector<uint8_t> ReadSectors(uint32_t count);

    kvtest::ScratchFolder m_sources, m_temp;
    std::unique_ptr<ScopedImageDrive> m_image;
    std::unique_ptr<kvtest::ProgramProcess> m_program;
    HWND m_frame = nullptr;
};

} // namespace cdtest
