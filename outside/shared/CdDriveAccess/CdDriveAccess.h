// CdDriveAccess: KgPTP.dll bound at run time from a folder, its drives found by letter, and the
// commands that readers of audio tracks need (table of contents, READ CD of audio sectors).
// The file module's CD tracks, the CD writer and the tests' MCI driver use it.
#pragma once
#include "AspiRequests.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct CdAddress {
    uint8_t adapter = 0, target = 0, lun = 0;
    char letter = 0;
};

struct DiscToc {
    struct Track {
        int number = 0;
        bool audio = true;
        uint32_t start = 0; // LBA
    };
    std::vector<Track> tracks;
    uint32_t leadOut = 0; // LBA after the last track
    // Sectors of the track at index i: to the next start or the lead-out.
    uint32_t Length(size_t i) const { return (i + 1 < tracks.size() ? tracks[i + 1].start : leadOut) - tracks[i].start; }
};

class CdDriveAccess {
public:
    enum class Direction { None, In, Out };
    static constexpr uint32_t kAudioSectorBytes = 2352;

    CdDriveAccess() = default;
    ~CdDriveAccess();
    CdDriveAccess(const CdDriveAccess&) = delete;
    CdDriveAccess& operator=(const CdDriveAccess&) = delete;

    // Binds "KgPTP.dll" of the folder (ending in a backslash); false when it is missing or is
    // not a drive-access library.
    bool Load(const std::string& folder);
    bool Loaded() const { return m_send != nullptr; }
    // The folder of the module that holds this code, with a trailing backslash.
    static std::string OwnFolder();

    std::vector<CdAddress> Drives();
    bool FindDrive(char letter, CdAddress* drive);

    // Runs a command block. Returns the ASPI status (SS_COMP on success); on SS_ERR the sense
    // key, code and qualifier are in *sense (key << 16 | asc << 8 | ascq) when given.
    uint8_t Execute(const CdAddress& drive, const uint8_t* cdb, uint8_t cdbLength, void* data, uint32_t bytes,
                    Direction direction, uint32_t* sense = nullptr);

    bool ReadToc(const CdAddress& drive, DiscToc* toc);
    // count raw audio sectors from lba into out (count * 2352 bytes).
    bool ReadAudio(const CdAddress& drive, uint32_t lba, uint32_t count, void* out);

private:
    HMODULE m_library = nullptr;
    aspi::GetSupportInfoFn m_support = nullptr;
    aspi::SendCommandFn m_send = nullptr;
};
