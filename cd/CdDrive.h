// CCdDrive: one CD-ROM drive for the extract dialog. It opens the drive as a shared MCI
// "cdaudio" device, reads the disc's table of contents into CCdTrackEntry records (times in
// milliseconds), answers capability questions and builds the device name the drive list shows.
// It reads no audio: a track's sound is reached through "%c:\Track%02d.cda".
//
// Results: an MCI error e is 0x83F20000 | e; "not open" is 0x80004005.
#pragma once
#include "AspiLayer.h"
#include "CdTrackEntry.h"

#include <windows.h>
#include <mmsystem.h>

#include <string>
#include <vector>

using MciSendFn = MCIERROR(WINAPI*)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR);

constexpr HRESULT MciResult(MCIERROR error) { return HRESULT(0x83F20000u | (error & 0xFFFF)); }

// The name from a storage device descriptor (vendor, product and revision at their offsets,
// each taken when its offset is not 0 and lies inside the answer's bytes).
std::string DeviceNameFromDescriptor(const uint8_t* answer, size_t bytes);

class CCdDrive {
public:
    CCdDrive();
    // Sends MCI commands through mci (tests answer them from a table).
    explicit CCdDrive(MciSendFn mci);
    virtual ~CCdDrive();
    CCdDrive(const CCdDrive&) = delete;
    CCdDrive& operator=(const CCdDrive&) = delete;

    virtual HRESULT Close();
    // Letter 0: the system's default CD device.
    virtual HRESULT Open(char letter);
    virtual HRESULT ReadTrackTable();
    virtual std::string GetDeviceName();
    virtual char GetDriveLetter() const { return m_letter; }
    virtual int GetTrackCount();
    // No bounds check: index below the table's size.
    virtual const CCdTrackEntry& GetTrack(int index) const { return m_tracks[size_t(index)]; }
    virtual bool IsCdRomDrive() const;
    virtual bool CanEject();
    virtual WORD GetDeviceId() const { return m_deviceId; }
    virtual bool CanPlay();

    size_t TableSize() const { return m_tracks.size(); }

private:
    DWORD_PTR Capability(DWORD item);

    std::vector<CCdTrackEntry> m_tracks;
    CAspiLayer m_aspi;
    char m_letter = 0;
    WORD m_deviceId = 0;
    MciSendFn m_mci;
};
