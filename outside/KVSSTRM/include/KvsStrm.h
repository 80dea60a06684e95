// KVSSTRM.dll: the stream library. Audio file readers and writers are components registered
// under 8-character tags; a component answers further tagged interfaces, among them
// "KSDEFPRM", its named default parameters. The program starts the library with a key
// object on its registry section and a start record, and ends it at exit.
//
// Exports by ordinal:
//   20 StrmOpenKey(path, out key)      21 StrmInitialize(module, key, 0, 0, start record)
//   22 StrmUninitialize()              23 StrmGetRegistry() -> registry of components
#pragma once
#include <windows.h>

#include "TaggedInterface.h"

#include <cstdint>

constexpr WORD kStrmOrdOpenKey = 20;
constexpr WORD kStrmOrdInitialize = 21;
constexpr WORD kStrmOrdUninitialize = 22;
constexpr WORD kStrmOrdGetRegistry = 23;

constexpr InterfaceTag kTagAiffReader = MakeTag("KSAIFR  ");
constexpr InterfaceTag kTagAiffWriter = MakeTag("KSAIFW  ");
constexpr InterfaceTag kTagDefaultParams = MakeTag("KSDEFPRM");
constexpr InterfaceTag kTagWavReader = MakeTag("KSWAVR  ");
constexpr InterfaceTag kTagWavWriter = MakeTag("KSWAVW  ");
constexpr InterfaceTag kTagConverter = MakeTag("KSMANG  ");
constexpr InterfaceTag kTagAttributes = MakeTag("KSATTR  ");
constexpr InterfaceTag kTagAnyReader = MakeTag("        "); // the first reader that opens the file

// The start record (788 bytes, zero-filled before use).
#pragma pack(push, 1)
struct StreamLibraryStartInfo {
    uint32_t size; // 788
    uint32_t value400;
    uint32_t value300;
    char product[256];
    uint32_t versionTimes100;
    uint32_t valueF0;
    char product2[256];
    char versionText[256];
};
#pragma pack(pop)
static_assert(sizeof(StreamLibraryStartInfo) == 788, "the start record is 788 bytes");

// The library's settings key (a registry section below the program's).
struct IStrmKey : ITaggedObject {
    // The section's path.
    virtual HRESULT STDMETHODCALLTYPE GetPath(char* buffer, DWORD capacity) = 0;
    // The text of the section's default value, written when flags is 1 or none is stored.
    virtual HRESULT STDMETHODCALLTYPE SetDefaultText(const char* text, DWORD flags) = 0;
    // Writes what was set.
    virtual HRESULT STDMETHODCALLTYPE Flush() = 0;
    // A named text value (created empty when the text is empty and none is stored).
    virtual HRESULT STDMETHODCALLTYPE SetText(const char* name, const char* text) = 0;
    // A named text value; the default when it is missing.
    virtual HRESULT STDMETHODCALLTYPE GetText(const char* name, const char* defaultText, char* buffer,
                                              DWORD capacity) = 0;
};

// Named parameters of a component, changed as a whole between Begin and End.
constexpr DWORD kStrmParamBinary = 3;
struct IStrmDefaultParams : ITaggedObject {
    // The stored value of a name (bytes in: capacity, out: size).
    virtual HRESULT STDMETHODCALLTYPE GetValue(const char* name, DWORD* type, void* value, DWORD* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetValue(const char* name, DWORD type, const void* value, DWORD bytes) = 0;
    // The number of stored names.
    virtual HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginChange() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndChange() = 0;
};

// Creates the component of a tag; the caller asks it for the interface it needs.
using StrmCreateFn = HRESULT(WINAPI*)(DWORD tagLow, DWORD tagHigh, ITaggedObject** component);

struct StrmRegistration {
    DWORD tagLow;
    DWORD tagHigh;
    StrmCreateFn create;
    const char* description;
};

struct IStrmRegistry : ITaggedObject {
    // The entry of a tag, or null.
    virtual const StrmRegistration* STDMETHODCALLTYPE Find(DWORD tagLow, DWORD tagHigh) = 0;
    // The entry at an index, or null past the last.
    virtual const StrmRegistration* STDMETHODCALLTYPE At(DWORD index) = 0;
};

// A reader or writer of one sound file.
struct StrmFormat {
    uint32_t rate;
    uint16_t channels;
    uint16_t bits;      // container bits: 8, 16, 24 or 32
    uint16_t validBits; // significant bits
    uint16_t isFloat;   // 32-bit float samples
};

struct IStrmComponent : ITaggedObject {
    // Opens the file (readers: for reading; writers: created with the format given).
    virtual HRESULT STDMETHODCALLTYPE Open(const char* path, const StrmFormat* format) = 0;
    // The format (readers: as stored).
    virtual HRESULT STDMETHODCALLTYPE GetFormat(StrmFormat* format) = 0;
    // The number of frames (readers).
    virtual HRESULT STDMETHODCALLTYPE GetLength(uint64_t* frames) = 0;
    // Interleaved little-endian frames in the program's channel order; frames in: wanted,
    // out: done (readers), or written (writers).
    virtual HRESULT STDMETHODCALLTYPE Read(void* buffer, uint32_t* frames) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(const void* buffer, uint32_t frames) = 0;
    // Ends a written file (sizes in its header) and closes.
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

// The converter ("KSMANG  "): one file read by a reader component, converted to the output
// format of its attributes ("KSATTR  ", by default the source's), and written by a writer
// component, on a thread of its own. Its reports reach the registered window as the
// registered message with wParam one of the codes below, or a failure (negative).
constexpr WPARAM kStrmConvertStarted = 0x03EA00C9;
constexpr WPARAM kStrmConvertProgress = 0x03EA00CA;
constexpr WPARAM kStrmConvertFinished = 0x03EA00CB;

struct IStrmConverter : ITaggedObject {
    // The reader's tag (kTagAnyReader: any), the source, the writer's tag and the target.
    virtual HRESULT STDMETHODCALLTYPE Open(DWORD inLow, DWORD inHigh, const char* source, DWORD outLow,
                                           DWORD outHigh, const char* target) = 0;
    // Opens the source; its length is known afterwards.
    virtual HRESULT STDMETHODCALLTYPE Prepare() = 0;
    // The window and message of the reports; a null window ends them.
    virtual HRESULT STDMETHODCALLTYPE SetNotify(HWND window, UINT message) = 0;
    virtual HRESULT STDMETHODCALLTYPE Start() = 0;
    // Stops the thread and deletes an unfinished target.
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    // The source's length and the part converted, in milliseconds.
    virtual HRESULT STDMETHODCALLTYPE GetLength(uint64_t* milliseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(uint64_t* milliseconds) = 0;
};

struct IStrmAttributes : ITaggedObject {
    // Rate, channels (1 or 2) and integer bits (8, 16, 24, 32) of the output.
    virtual HRESULT STDMETHODCALLTYPE SetOutputFormat(const StrmFormat* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOutputFormat(StrmFormat* format) = 0;
};

using StrmOpenKeyFn = HRESULT(WINAPI*)(const char* path, IStrmKey** key);
using StrmInitializeFn = HRESULT(WINAPI*)(HINSTANCE module, IStrmKey* key, DWORD, DWORD,
                                          const StreamLibraryStartInfo* start);
using StrmUninitializeFn = HRESULT(WINAPI*)();
using StrmGetRegistryFn = IStrmRegistry*(WINAPI*)();
