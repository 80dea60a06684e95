// The test prefix made to hold a CD drive: a disc image offered by KgPTP.dll on a letter that
// Wine's mount manager calls a CD-ROM drive, our own MCI "cdaudio" driver in place of Wine's
// (which would find no disc there), and KgPTP.dll loadable under the platform's ASPI name.
// Each scoped object undoes what it did.
//
// The two drivers are ours only for the CD test programs and the programs they start: these
// run with Wine's load order for mcicda and wnaspi32 set to native first in their environment
// (CTest sets it), so that the bin folder's mcicda.dll (the tests' driver) and the scratch
// WNASPI32.DLL are loaded. Every other program of the prefix keeps Wine's own; nothing
// machine-wide is changed.
#pragma once
#include "AspiLayer.h"
#include "DiscImageKit.h"
#include "TestSupport.h"

#include <string>
#include <vector>

namespace cdtest {

// Two audio tracks of 10 and 8 seconds and a data track of 4 seconds.
std::vector<cdkit::ImageTrack> StandardDisc();

class ScopedImageDrive {
public:
    ScopedImageDrive(char letter, const std::vector<cdkit::ImageTrack>& tracks, const char* medium = "CD-ROM");
    // A blank disc of that medium.
    ScopedImageDrive(char letter, const char* blankMedium);
    ~ScopedImageDrive();
    bool IsCdRom() const { return m_cdrom; }
    const std::string& Sheet() const { return m_sheet; }
    const std::string& Folder() const { return m_folder.Path(); }

private:
    void Mount();
    char m_letter;
    kvtest::ScratchFolder m_folder;
    std::string m_sheet;
    bool m_cdrom = false;
};

// Whether this process loads our drivers; otherwise the hint says how to run it.
bool DriverOverridesSet();
constexpr const char kDriverOverridesHint[] =
    "run through CTest, or with WINEDLLOVERRIDES=mcicda,wnaspi32=n,b in the environment";

class ScopedWnaspi32 {
public:
    ScopedWnaspi32();
    ~ScopedWnaspi32();

private:
    kvtest::ScratchFolder m_folder;
};

} // namespace cdtest
