// CdWriter: the writer object of KvSCDBrn.dll (ICdWriter). Drive commands go through KgPTP.dll
// beside the module; without it every operation answers kCdWriterNotInstalled. A write or an
// erase runs on the object's one worker thread, which GetStatus follows.
#pragma once
#include "CdDriveAccess.h"
#include "KvSCDBrn.h"
#include "DriveReservation.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CdWriter final : public ICdWriter {
public:
    CdWriter();
    ~CdWriter();
    // A write or an erase holds a reference until its thread ends.

    ULONG STDMETHODCALLTYPE Release() override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    int STDMETHODCALLTYPE GetStatus(int32_t* done, int32_t* total) override;
    HRESULT STDMETHODCALLTYPE GetDevices(int32_t* count, HGLOBAL* block) override;
    HRESULT STDMETHODCALLTYPE Write(int32_t device, int32_t, int32_t, int32_t, const CdWriteTrackList* tracks, int32_t,
                                    BOOL test, BOOL underrunProtection, BOOL real) override;
    void STDMETHODCALLTYPE Cancel() override;
    void STDMETHODCALLTYPE SetSpeed(int32_t speed) override;
    HRESULT STDMETHODCALLTYPE QueryMedia(int32_t* type, int32_t* status, int32_t* freeBlocks, int32_t* tracks,
                                         int32_t* sessions, int32_t* erasable, int32_t* capacity) override;
    HRESULT STDMETHODCALLTYPE ExamineMedium(int32_t device, int32_t* type, int32_t* status) override;
    HRESULT STDMETHODCALLTYPE GetSpeeds(int32_t device, uint32_t* speeds, uint32_t* dvdSpeeds,
                                        int32_t* writeModes) override;
    HRESULT STDMETHODCALLTYPE Erase(int32_t device, int32_t mode) override;
    int32_t STDMETHODCALLTYPE GetCdRwEraseSpeed(int32_t device) override;
    int32_t STDMETHODCALLTYPE GetDvdEraseSpeed(int32_t device) override;
    BOOL STDMETHODCALLTYPE Reserve(int32_t device, BOOL reserve) override;
    void STDMETHODCALLTYPE GetDeviceUser(int32_t device, char* name) override;
    const char* STDMETHODCALLTYPE GetErrorText(HRESULT code) override;
    HRESULT STDMETHODCALLTYPE Unused16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVersionText(char* text, int32_t size) override;

    // The drive of a device identifier (letter, adapter, target, lun packed by GetDevices).
    static CdAddress AddressOf(int32_t device);
    static int32_t IdOf(const CdAddress& drive);

private:
    struct Media {
        int32_t type = 0, status = 0, freeBlocks = 0, tracks = 0, sessions = 0, erasable = 0, capacity = 0;
    };
    struct Track {
        std::string path;
        uint64_t dataOffset = 0;
        uint64_t bytes = 0;
        uint32_t sectors = 0;
        uint32_t preGap = 0;
    };

    // Runs a command; S_OK, or the sense as the writer's result.
    HRESULT Command(const CdAddress& drive, const uint8_t* cdb, uint8_t length, void* data, uint32_t bytes,
                    CdDriveAccess::Direction direction);
    HRESULT Ready(const CdAddress& drive);
    // Write speeds of the medium in the drive in x, fastest first; its read speed.
    HRESULT ReadSpeeds(const CdAddress& drive, std::vector<uint32_t>* cdr, std::vector<uint32_t>* cdrw,
                       uint32_t* readSpeed, uint8_t* writeCaps);
    bool StartWork(void (CdWriter::*work)());
    void BurnWork();
    void EraseWork();
    HRESULT Burn();
    HRESULT ModeSelectWriteParameters(bool test);
    HRESULT SendCueSheet(const std::vector<Track>& tracks, uint32_t* leadOut);

    std::atomic<long> m_refs{1};
    CdDriveAccess m_access;
    bool m_installed = false;
    std::mutex m_lock; // the drive commands of the caller's thread and the worker's
    Media m_media;
    int32_t m_speed = 0;
    std::map<char, std::unique_ptr<DriveReservation>> m_reservations;

    std::atomic<int> m_status{kCdStatusFinished};
    std::atomic<int32_t> m_done{0}, m_total{0};
    std::atomic<bool> m_cancel{false};
    // The work under way.
    CdAddress m_drive;
    std::vector<Track> m_tracks;
    bool m_test = false;
    int32_t m_eraseMode = 0;
};
