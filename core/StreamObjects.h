// Stream objects: FileStream (a 64-bit Win32 file), PeakBuilder (turns interleaved PCM into
// a peak file) and PeakFile (a temporary audio data file that feeds a PeakBuilder with
// everything written to it), created by class id through CreateStreamObject. Each class id
// is also the id of the class's one interface.
//
// Peak file layout: no header; one record per block of frames, holding for each channel in
// order its minimum then its maximum as signed 32-bit little-endian words (-32768..32767
// for 16-bit and float input, -128..127 for 8-bit input).
//
// FileStream::Read, Write and Seek, PeakBuilder::Write/Flush and PeakFile::Create/Write
// report failures by throwing CKvSSException (the system error as 0x80070000 | error);
// callers run them inside an operation that catches at its edge.
#pragma once
#include "InterfaceId.h"
#include "WaveFormat.h"

#include <cstdint>

KV_DECLARE_IID(IFileStream, 0xAE51A9C9, 0x6331, 0x4A66, 0xBC, 0x99, 0x7E, 0xBE, 0x2F, 0xCC, 0x92, 0x15)
KV_DECLARE_IID(IPeakBuilder, 0x327453CA, 0x1450, 0x4FF1, 0x8E, 0xBA, 0x2B, 0xC2, 0x3F, 0x4F, 0x5E, 0x13)
KV_DECLARE_IID(IPeakFile, 0x1B5912D5, 0x3A69, 0x410B, 0xA4, 0xEA, 0xFD, 0xE0, 0xAD, 0xF2, 0xF5, 0x22)

// Open mode of a FileStream: the access in bits 0-3, and two sharing bits.
constexpr DWORD kStreamRead = 1;      // existing file, read
constexpr DWORD kStreamReadWrite = 2; // existing file, read and write
constexpr DWORD kStreamCreate = 3;    // file created anew (an existing one emptied)
constexpr DWORD kStreamAccessMask = 0xF;
constexpr DWORD kStreamDenyRead = 0x10;  // no other opener may read
constexpr DWORD kStreamDenyWrite = 0x20; // no other opener may write

struct IFileStream : IUnknown {
    // Opens the file name with the mode's access and sharing; size from the file, position 0.
    // Throws E_INVALIDARG for another access; a stream still open is closed first.
    virtual HRESULT STDMETHODCALLTYPE Open(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    // The file's current size; E_PENDING when not open.
    virtual HRESULT STDMETHODCALLTYPE GetSize(uint64_t* size) = 0;
    // Copies at most capacity characters (the end mark only when it fits) and returns the
    // count copied; with no buffer returns the name's length.
    virtual DWORD STDMETHODCALLTYPE GetFileName(char* buffer, DWORD capacity) = 0;
    // Null sets an empty name; returns the new length.
    virtual DWORD STDMETHODCALLTYPE SetFileName(const char* name) = 0;
    // 1 when open or when the file can be opened for reading.
    virtual BOOL STDMETHODCALLTYPE Exists() = 0;
    virtual BOOL STDMETHODCALLTYPE IsOpen() = 0;
    virtual BOOL STDMETHODCALLTYPE IsWritable() = 0;
    // At the system file position; the count done is stored when done is given. S_OK.
    virtual HRESULT STDMETHODCALLTYPE Read(void* buffer, DWORD bytes, DWORD* done) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(const void* buffer, DWORD bytes, DWORD* done) = 0;
    // Ends the file at the system file position; 0 when not writable.
    virtual BOOL STDMETHODCALLTYPE SetEndOfFile() = 0;
    // origin: FILE_BEGIN, FILE_CURRENT or FILE_END. Stores the new position in position
    // when given. S_OK.
    virtual HRESULT STDMETHODCALLTYPE Seek(int64_t offset, DWORD origin, uint64_t* position) = 0;
};

struct IPeakBuilder : IUnknown {
    // Writes waiting peak words to the peak file; returns the peak bytes still waiting.
    virtual DWORD STDMETHODCALLTYPE Flush() = 0;
    // Analyses the audio bytes; returns the peak bytes still waiting.
    virtual DWORD STDMETHODCALLTYPE Write(const void* data, DWORD bytes) = 0;
    // Ends any earlier run and starts a new peak file under a new temporary name.
    // E_INVALIDARG for a format with no channels or samples narrower than 8 bits, or no frames
    // (checked first: the running file is left as it is). A failed Begin leaves no new file.
    virtual HRESULT STDMETHODCALLTYPE Begin(const WaveFormat* format, DWORD framesPerBlock) = 0;
    // E_POINTER with no peak file, E_FAIL for an empty name, else S_OK with the name copied
    // as by IFileStream::GetFileName.
    virtual HRESULT STDMETHODCALLTYPE GetFileName(char* buffer, DWORD capacity) = 0;
    // Analyses the partial last block, writes every waiting word and closes the peak file;
    // E_FAIL when the file takes no more words.
    virtual HRESULT STDMETHODCALLTYPE End() = 0;
};

struct IPeakFile : IUnknown {
    // Refuses more than two channels (throws 0x83E804B4); creates the data file under a new
    // temporary name and a peak builder (failures thrown; a failed Create keeps neither the
    // earlier parts nor a data file).
    virtual HRESULT STDMETHODCALLTYPE Create(const WaveFormat* format, DWORD framesPerBlock) = 0;
    // Feeds the bytes to the peak builder and the data file; done = bytes the data file took.
    virtual HRESULT STDMETHODCALLTYPE Write(const void* data, DWORD bytes, DWORD* done) = 0;
    // Ends the peaks and closes the data file. S_OK.
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    // E_FAIL with no data file; else as IFileStream::GetFileName, S_OK.
    virtual HRESULT STDMETHODCALLTYPE GetDataFileName(char* buffer, DWORD capacity) = 0;
    // E_FAIL with no builder; else as IPeakBuilder::GetFileName.
    virtual HRESULT STDMETHODCALLTYPE GetPeakFileName(char* buffer, DWORD capacity) = 0;
    // E_FAIL with no data file; else as IFileStream::GetSize.
    virtual HRESULT STDMETHODCALLTYPE GetDataSize(uint64_t* size) = 0;
};

// Creates the class of clsid (__uuidof(IFileStream), __uuidof(IPeakBuilder) or
// __uuidof(IPeakFile)) and asks it for the interface of the same id. E_OUTOFMEMORY for any
// other id or a failed allocation.
HRESULT CreateStreamObject(REFCLSID clsid, void** object);

// Plain 64-bit wrappers; kInvalidFileSize64 on failure (the system error is kept).
constexpr uint64_t kInvalidFileSize64 = ~0ULL;
uint64_t GetFileSize64(HANDLE file);
uint64_t SeekFile64(HANDLE file, int64_t distance, DWORD origin);
