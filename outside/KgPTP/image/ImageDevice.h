// ImageDevice: a CD drive whose disc is a cue/bin image. It answers the MMC commands that the
// CD writer, the file module's CD tracks and the MCI driver of the tests use: INQUIRY, TEST UNIT
// READY, REQUEST SENSE, READ TOC (formats 0 and 1), READ CD, READ DISC INFORMATION, READ TRACK
// INFORMATION, GET CONFIGURATION, MODE SENSE/SELECT (write parameters 05h with test write,
// capabilities 2Ah with the write speeds), SET CD SPEED, SEND CUE SHEET, WRITE(10),
// SYNCHRONIZE CACHE, CLOSE TRACK/SESSION, BLANK, and the no-op unit commands.
//
// A disc-at-once burn: SEND CUE SHEET on a blank disc, WRITE(10) from LBA -150 on, then
// SYNCHRONIZE CACHE, which writes the image's bin beside the sheet and rewrites the sheet in the
// common form. With test write set nothing is kept: the disc stays blank. The sheet is read
// again whenever its file changes. A staging file that a killed burn left goes when the drive
// is made and when the next burn starts.
#pragma once
#include "CueSheet.h"
#include "ScsiDevice.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace cdimage {

class ImageDevice : public ScsiDevice {
public:
    ImageDevice(char letter, const std::string& sheetPath);
    ~ImageDevice() override;

    char Letter() const override { return m_letter; }
    const std::string& SheetPath() const { return m_sheetPath; }
    uint8_t Execute(const ScsiRequest& request, uint8_t* sense) override;

    // Write speeds of a medium in kB/s (1x = 176), fastest first.
    static std::vector<uint16_t> WriteSpeeds(Medium medium);

private:
    struct CueEntry {
        int track = 0;
        uint32_t index0 = 0, index1 = 0; // LBAs; index0 == index1 without a pre-gap
    };

    bool LoadDisc(Sense* sense); // false: no medium (sense set)
    uint8_t Fail(uint8_t key, uint8_t asc, uint8_t ascq, uint8_t* sense);
    uint8_t Dispatch(const ScsiRequest& r, uint8_t* sense);
    uint8_t Inquiry(const ScsiRequest& r);
    uint8_t ReadToc(const ScsiRequest& r, uint8_t* sense);
    uint8_t ReadCd(const ScsiRequest& r, uint8_t* sense);
    uint8_t ReadDiscInformation(const ScsiRequest& r);
    uint8_t ReadTrackInformation(const ScsiRequest& r, uint8_t* sense);
    uint8_t GetConfiguration(const ScsiRequest& r);
    uint8_t ModeSense(const ScsiRequest& r, uint8_t* sense);
    uint8_t ModeSelect(const ScsiRequest& r, uint8_t* sense);
    uint8_t SendCueSheet(const ScsiRequest& r, uint8_t* sense);
    uint8_t Write(const ScsiRequest& r, uint8_t* sense);
    uint8_t CloseSession(uint8_t* sense);
    uint8_t Blank(uint8_t* sense);
    void DropSession();
    // Deletes the staging file ("<bin>.part") a killed burn left; the finished bin stays.
    void RemoveStaleStaging();
    std::string BinPath() const;
    bool ReadSectors(uint32_t lba, uint32_t count, uint8_t* out);
    void Copy(const ScsiRequest& r, const uint8_t* answer, size_t bytes);

    const char m_letter;
    const std::string m_sheetPath;
    std::string m_folder;
    std::mutex m_lock;
    CueDisc m_disc;
    bool m_loaded = false;
    FILETIME m_loadedTime{};
    std::vector<HANDLE> m_files; // open files of the loaded disc, as the sheet lists them
    Sense m_lastSense;

    // Write parameters and the burn under way.
    bool m_testWrite = false;
    uint8_t m_writeType = 2; // disc at once
    uint16_t m_writeSpeed = 0; // kB/s; 0 or 0xFFFF: as fast as the image takes it
    DWORD m_burnStart = 0;      // tick of the session's cue sheet
    uint64_t m_burnSectors = 0; // sectors written (or test-written) since
    std::vector<CueEntry> m_cue;
    uint32_t m_cueLeadOut = 0;
    HANDLE m_staging = INVALID_HANDLE_VALUE;
    bool m_session = false;
};

} // namespace cdimage
