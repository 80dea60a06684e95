// CChannelSplitter: brings one engine track's samples or peaks out into temporary files,
// either one file per channel or one file with every channel interleaved, for the project
// writers to copy from.
//
//   CChannelSplitter split;
//   HRESULT hr = split.SplitWithProgress(reader, bits, rate, channels, length);
//   ... open GetChannelFileName(c) for reading and copy it ...
//   split.CloseChannelFiles(); split.DeleteChannelFiles();
//
// Sample streams are the engine's data items (IMtItem::Read in bytes), which deliver the
// storage layout: 8 bits unsigned bytes, 16 bits signed words, 20, 24 and 32 bits 32-bit
// floats. Peak streams are the engine's peak readers (8-byte items, channels interleaved).
// At most six channels.
#pragma once
#include <windows.h>

struct IMtItem;
struct IMtPeakReader;

// A temporary file of one channel (or of all, interleaved) and its work buffer.
struct ChannelFileRecord {
    char fileName[MAX_PATH]; // "" while unused
    HANDLE file;             // open for writing, or null
    BYTE* buffer;            // locked global memory, or null
    DWORD pending;           // bytes waiting in buffer
};

class CChannelSplitter {
public:
    static constexpr int kMaxChannels = 6;

    CChannelSplitter();
    // Closes every open file of both sets; deletes none.
    virtual ~CChannelSplitter();
    CChannelSplitter(const CChannelSplitter&) = delete;
    CChannelSplitter& operator=(const CChannelSplitter&) = delete;

    // One new temporary file per channel (1..6), open for writing: 1, or 0 with the system's
    // error set when a file cannot be made (files made before stay named).
    int CreateChannelFiles(WORD channels);
    const char* GetChannelFileName(WORD channel) const;
    void CloseChannelFiles();
    // Deletes every named file of the sample set and forgets the names.
    void DeleteChannelFiles();
    int CreatePeakFiles(WORD channels);
    const char* GetPeakFileName(WORD channel) const;
    void ClosePeakFiles();
    void DeletePeakFiles();

    // One file per channel of samples, one second per read, with progress. Returns the last
    // read's result; a failure (file, read, write, cancel 0x83E80005) leaves no file of the set.
    HRESULT SplitWithProgress(IMtItem* stream, WORD bits, DWORD rate, WORD channels, LONGLONG length);
    // One file of interleaved samples; 20- and 24-bit storage is written as integers in 3-byte
    // containers, every other depth as the stream gives it. Returns and fails as above.
    HRESULT CopyInterleavedWithProgress(IMtItem* stream, WORD storedBits, DWORD rate, WORD channels, LONGLONG length);
    // One peak file per channel / one interleaved peak file, no progress. Failures are thrown
    // as CKvSSException and leave the peak files for the caller to delete.
    void SplitBlocks(IMtPeakReader* stream, WORD channels);
    void CopyBlocks(IMtPeakReader* stream, WORD channels);

    // Bytes per sample the engine's reader delivers for a document depth (1, 2 or 4).
    static UINT StorageBytes(WORD bits);
    // Progress of done out of length on 0..range, in floating point: 0 while the length is
    // unknown (0), never above range.
    static UINT ProgressPosition(LONGLONG done, LONGLONG length, UINT range);

private:
    static int CreateFiles(ChannelFileRecord* set, WORD channels);
    static void CloseFiles(ChannelFileRecord* set);
    static void DeleteFiles(ChannelFileRecord* set);
    static void FreeBuffers(ChannelFileRecord* set);
    static void WriteAll(HANDLE file, const void* data, DWORD bytes);

    ChannelFileRecord m_samples[kMaxChannels];
    ChannelFileRecord m_peaks[kMaxChannels];
};
