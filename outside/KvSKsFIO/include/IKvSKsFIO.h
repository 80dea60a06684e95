// The file module's object, created once at start-up from "KvSKsFIO.dll" and held by the
// application. Slots are fixed (0 to 2 are IUnknown); results are negative on failure.
//
// Blocks the module hands out (file names, markers, loop record, format and type tables) lie
// in global memory that the caller frees with GlobalUnlockFree. Names come two per track file
// (data file, peak file). A loop block is fifteen 32-bit words: word 7 the loop flag, words 11
// and 12 the loop's start and end. Marker records are the 284-byte label records.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "ComObject.h"
#include "FileInfoRecord.h"
#include "FioRecords.h"
#include "TaggedInterface.h"

#include <cstdint>

inline const CLSID CLSID_KvSKsFIO = {0x869e241d, 0xd356, 0x4953, {0xb7, 0x70, 0x06, 0xb2, 0x89, 0x03, 0x3b, 0xc9}};

// Results of the module's own.
constexpr HRESULT kFioCancelled = static_cast<HRESULT>(0x83E80005);
constexpr HRESULT kFioFileNotFound = static_cast<HRESULT>(0x83E800C9);

// Each name of a file-name block takes this many bytes (zero-terminated).
constexpr size_t kFioNameLength = 260;

// One entry of the save-format and file-type lists.
struct FileFormatEntry {
    DWORD reserved;
    LONG type; // 0 flat, 1 chunked, 20 multichannel project; others sound files
    char description[384];
    char extensions[32]; // without "*.", separated by ";"
};
static_assert(sizeof(FileFormatEntry) == 424, "a format entry is 424 bytes");

KV_DECLARE_IID(IKvSKsFIO, 0x97A851FA, 0x696E, 0x4286, 0xAB, 0x33, 0xD9, 0x5B, 0x5E, 0xB7, 0xD0, 0x1B)
struct IKvSKsFIO : IUnknown {
    // 3: the result of the last conversion (7) or write (5), once it has finished.
    virtual HRESULT STDMETHODCALLTYPE GetCompletionResult() = 0;
    // 4: the attribute object whose information entries and kept chunks the next write
    // carries (null for none).
    virtual HRESULT STDMETHODCALLTYPE SetWriteAttributes(IUnknown* attributes) = 0;
    // 5: writes the engine given by 8 as a sound file of the record's type (3 WAV, 2 AIFF)
    // with the record's bits and format tag: owner window, path, video path (or null), the
    // record, the marker records (cue points and sections) and their count, the file's own
    // marker count and block (not written again), and the loop block. The file is written
    // to "NY*.tmp" beside the path and renamed over it only when whole; 0x83EA006F before
    // anything is written when the sound passes the format's 4 GB.
    virtual HRESULT STDMETHODCALLTYPE WriteSoundFile(HWND owner, const char* path, const char* videoPath,
                                                     FileInfoRecord* record, const void* markers, LONG markerCount,
                                                     LONG fileMarkerCount, const void* fileMarkers,
                                                     const void* loopBlock) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    // 7: converts a sound file into temporary track files (the engine's storage form and its
    // peak file, both under new temporary names): owner window, path, the record (filled),
    // out attribute object, out block of file names (kFioNameLength bytes each, data file then
    // peak file per track file), 0, out count of track files, out channels per track file,
    // out marker count (16 bits: the block holds at most 65535 records), out marker block, out
    // loop block, the split flag (one mono track file per channel) and the channel limit (2 or 6). Progress goes to the owner window as
    // message 0x40A; kFioCancelled when it was cancelled, and then no file is left.
    virtual HRESULT STDMETHODCALLTYPE ConvertToTrackFiles(HWND owner, const char* path, FileInfoRecord* record,
                                                          IUnknown** attributes, char** names, LONG reserved,
                                                          LONG* value1, LONG* value2, WORD* markerCount, void** markers,
                                                          void** loopBlock, LONG split, LONG channelLimit) = 0;
    // 8: the engine track set the next write reads.
    virtual HRESULT STDMETHODCALLTYPE SetTrackSet(IUnknown* trackSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
    // 10: the channel limit of the next write (2 or 6 for a mixdown of that many channels at
    // most, 0 for the tracks' own channels in track order) and the record's value at offset 48.
    virtual HRESULT STDMETHODCALLTYPE SetWriteChannels(LONG channelLimit, LONG value) = 0;
    // 11: the video file the next write carries along (null or "" for none).
    virtual HRESULT STDMETHODCALLTYPE SetVideoPath(const char* path) = 0;
    // 12, 13: preview playback of a file; events are posted to the window as message 0x536.
    virtual HRESULT STDMETHODCALLTYPE StopPreview() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlayPreview(HWND notify, const char* path) = 0;
    // 14: fills the record for a file: owner window or null, path or null, file type or -1 to
    // detect it, mode; kFioFileNotFound when the file is missing.
    virtual HRESULT STDMETHODCALLTYPE QueryFileInfo(HWND owner, const char* path, LONG type, LONG mode,
                                                    FileInfoRecord* record) = 0;
    // 15: the formats a document can be saved in (multichannel flag), count and table out.
    virtual HRESULT STDMETHODCALLTYPE GetSaveFormats(LONG multichannel, LONG* count, FileFormatEntry** formats) = 0;
    // 16: the file types the open dialog offers (import flag 1 for an import).
    virtual HRESULT STDMETHODCALLTYPE GetFileTypes(LONG* count, FileFormatEntry** types, LONG import) = 0;
    // 17: the next preview event: 0 with one, 1 when none is left; code 1 = playback complete.
    virtual HRESULT STDMETHODCALLTYPE GetNextEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
    // 24: the markers and loop of a sound file: path, the record, out marker count and block
    // (label records), and the file's own marker count (16 bits: its block holds at most 65535
    // records), marker block and loop block.
    virtual HRESULT STDMETHODCALLTYPE ReadFileMarkers(const char* path, FileInfoRecord* record, LONG* markerCount,
                                                      void** markers, WORD* fileMarkerCount, void** fileMarkers,
                                                      void** loopBlock) = 0;
    // 25: the attribute object of a sound file (see IKvSFileAttributes); a null path gives an
    // empty one.
    virtual HRESULT STDMETHODCALLTYPE GetFileAttributes(const char* path, FileInfoRecord* record,
                                                        IUnknown** attributes) = 0;
    // 26: the document's path, told before anything is written.
    virtual HRESULT STDMETHODCALLTYPE SetDocumentPath(const char* path) = 0;
};

// The attribute object of a sound file: its information entries (LIST INFO and DISP) and
// the chunks the module keeps and writes back. Slot 7 gives an independent copy.
KV_DECLARE_IID(IKvSFileAttributes, 0x5B0C2E41, 0x8D7A, 0x4F19, 0x9C, 0x3E, 0x61, 0x2A, 0xD4, 0x7B, 0x80, 0x15)
struct IKvSFileAttributes : IUnknown {
    // 3: a copy of the information entries: count and a block of FioInfoEntry in global
    // memory (the caller frees it with GlobalUnlockFree; null when the count is 0).
    virtual HRESULT STDMETHODCALLTYPE GetInfoEntries(WORD* count, void** block) = 0;
    // 4: replaces the information entries (at most kFioMaxInfoEntries; empty texts dropped).
    virtual HRESULT STDMETHODCALLTYPE SetInfoEntries(WORD count, const void* block) = 0;
    // 5: S_OK when the other object holds the same entries, chunks and value, else S_FALSE.
    virtual HRESULT STDMETHODCALLTYPE IsEqual(IUnknown* other) = 0;
    // 6: the object's tagged interfaces ("KSATTR  ": IKsAttributeValues).
    virtual HRESULT STDMETHODCALLTYPE QueryTag(InterfaceTag tag, void** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IUnknown** copy) = 0; // 7
};

// The attribute object asked by its tag "KSATTR  ": slot 6 with 3 gives its first value
// (1: the sound is written as the file held it).
constexpr InterfaceTag kTagFileAttributes = MakeTag("KSATTR  ");
struct IKsAttributeValues : ITaggedObject {
    virtual LONG STDMETHODCALLTYPE GetValue(LONG which) = 0; // 6
    virtual HRESULT STDMETHODCALLTYPE SetValue(LONG which, LONG value) = 0;
};
constexpr LONG kAttributeFirstValue = 3;
