// The CD writer module KvSCDBrn.dll as the program binds it. The module's only export,
// InitializeModule(binding, module handle), hands the binding its table of kCdWriterTableSize
// entries through the binding's SetFunctionTable; entry 2 creates a writer object, entry 3 is
// called once before the module is freed.
//
// A writer object is a table of operations in the fixed order of ICdWriter below (the program
// calls them by slot: Release at 0, GetVersionText at kCdWriterVersionSlot). It lists the
// drives that write CD-R or CD-RW media, writes audio discs at once from 44.1 kHz 16-bit stereo
// WAV files with their pre-gaps on a thread of its own, erases rewritable media, and reserves a
// drive for one holder, whose program name other callers can read.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kCdWriterTableSize = 29;
constexpr int kCdWriterCreateEntry = 2;
constexpr int kCdWriterUninitializeEntry = 3;
constexpr int kCdWriterVersionSlot = 21;

// Results of the writer's operations.
constexpr HRESULT kCdWriterFailed = HRESULT(0x83F20001);      // the drive refused a command
constexpr HRESULT kCdWriterNoDevice = HRESULT(0x83F20002);    // no such drive
constexpr HRESULT kCdWriterBadTrack = HRESULT(0x83F20003);    // a track file is missing or not CD audio
constexpr HRESULT kCdWriterBusy = HRESULT(0x83F20004);        // a write or an erase is under way
constexpr HRESULT kCdWriterNotErasable = HRESULT(0x83F20005); // the medium cannot be erased
constexpr HRESULT kCdWriterTooLong = HRESULT(0x83F20006);     // the tracks do not fit the medium
constexpr HRESULT kCdWriterNotReady = HRESULT(0x83F2000D);    // the drive is becoming ready
constexpr HRESULT kCdWriterNoMedium = HRESULT(0x83F2000E);
constexpr HRESULT kCdWriterNotInstalled = HRESULT(0x83F20012); // no drive access module

// GetStatus answers.
constexpr int kCdStatusFinished = 0;
constexpr int kCdStatusRunning = 10;
constexpr int kCdStatusEraseStopped = 24;
constexpr int kCdStatusFailed = 1;

// Device record of GetDevices (80 bytes each, in one GlobalAlloc block the caller frees).
constexpr uint32_t kCdCapWritesCdR = 2;
constexpr uint32_t kCdCapWritesCdRw = 4;
#pragma pack(push, 1)
struct CdWriterDeviceRecord {
    char drive[4];      // "X:" and a terminator
    char name[64];      // vendor and product
    uint32_t capabilities;
    int32_t id;         // passed to every operation
    uint32_t reserved;  // the drive's host adapter and target
};
#pragma pack(pop)
static_assert(sizeof(CdWriterDeviceRecord) == 80, "device record");

// One track to write: a WAV file of CD format and its pre-gap in CD frames (1/75 s).
struct CdWriteTrack {
    char path[MAX_PATH];
    int32_t preGapFrames;
};
struct CdWriteTrackList {
    int32_t count;
    const CdWriteTrack* tracks;
};

// Speed lists of GetSpeeds: 192 values, lists each ended by kCdSpeedListEnd: read speeds,
// CD-R write speeds, CD-RW write speeds (in "x", 1x = 176.4 kB/s).
constexpr uint32_t kCdSpeedListEnd = 0xFFFFFFFF;
constexpr int kCdSpeedBufferValues = 192;

// Media type words of QueryMedia.
constexpr int kCdMediaCdRom = 513, kCdMediaCdR = 514, kCdMediaCdRw = 515;
constexpr int kCdMediaBlank = 0xB1; // status of a blank medium

struct ICdWriter {
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    // kCdStatus*: of the write or erase under way or last run; done and total in sectors.
    virtual int STDMETHODCALLTYPE GetStatus(int32_t* done, int32_t* total) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDevices(int32_t* count, HGLOBAL* block) = 0;
    // Starts a disc-at-once write. test: a test write (the medium stays blank); real: the
    // medium is written. Exactly one of the two.
    virtual HRESULT STDMETHODCALLTYPE Write(int32_t device, int32_t, int32_t, int32_t, const CdWriteTrackList* tracks,
                                            int32_t, BOOL test, BOOL underrunProtection, BOOL real) = 0;
    virtual void STDMETHODCALLTYPE Cancel() = 0;
    // Write speed in x, 0 the fastest.
    virtual void STDMETHODCALLTYPE SetSpeed(int32_t speed) = 0;
    // What ExamineMedium found last.
    virtual HRESULT STDMETHODCALLTYPE QueryMedia(int32_t* type, int32_t* status, int32_t* freeBlocks,
                                                 int32_t* tracks, int32_t* sessions, int32_t* erasable,
                                                 int32_t* capacity) = 0;
    // Reads the medium of a drive (type word and status out); kCdWriterNoMedium without one.
    virtual HRESULT STDMETHODCALLTYPE ExamineMedium(int32_t device, int32_t* type, int32_t* status) = 0;
    // Fills the first buffer's lists; the second (DVD speeds) gets empty lists.
    virtual HRESULT STDMETHODCALLTYPE GetSpeeds(int32_t device, uint32_t* speeds, uint32_t* dvdSpeeds,
                                                int32_t* writeModes) = 0;
    // 1 quick, 2 complete; runs on the writer's thread.
    virtual HRESULT STDMETHODCALLTYPE Erase(int32_t device, int32_t mode) = 0;
    virtual int32_t STDMETHODCALLTYPE GetCdRwEraseSpeed(int32_t device) = 0;
    virtual int32_t STDMETHODCALLTYPE GetDvdEraseSpeed(int32_t device) = 0;
    // TRUE when the drive is now held by this writer (or released).
    virtual BOOL STDMETHODCALLTYPE Reserve(int32_t device, BOOL reserve) = 0;
    // The program holding the drive (256 bytes), empty when none.
    virtual void STDMETHODCALLTYPE GetDeviceUser(int32_t device, char* name) = 0;
    virtual const char* STDMETHODCALLTYPE GetErrorText(HRESULT code) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused20() = 0;
    // The engine's version (at most size - 1 characters); kCdWriterNotInstalled without one.
    virtual HRESULT STDMETHODCALLTYPE GetVersionText(char* text, int32_t size) = 0;
};

// The binding's side of InitializeModule.
class CCdWriterModuleBase {
public:
    virtual ~CCdWriterModuleBase() = default;
    virtual HRESULT SetFunctionTable(int32_t ignored, void* const* table) = 0;
};

using CdWriterInitializeFn = HRESULT(__stdcall*)(CCdWriterModuleBase* binding, HMODULE module);
using CdWriterCreateFn = HRESULT(__stdcall*)(ICdWriter** writer);
using CdWriterUninitializeFn = void(__stdcall*)();
