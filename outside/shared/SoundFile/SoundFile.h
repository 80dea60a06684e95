// A WAV or AIFF file as the file module and the file divider see it: its stored format,
// where its sound lies, its marks, loop and information entries, and the chunks it keeps for
// the write-back. Readers check every size against the chunk that holds it and throw
// CKvSSException with the system's code; nothing is taken from a file that fails.
#pragma once
#include <windows.h>
#include <mmreg.h>
#include <mmsystem.h>

#include "FioRecords.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// File types of the module (FileInfoRecord::fileType).
constexpr LONG kTypeFlat = 0;
constexpr LONG kTypeChunked = 1;
constexpr LONG kTypeAiff = 2;
constexpr LONG kTypeWav = 3;
constexpr LONG kTypeAvi = 5;
constexpr LONG kTypeMpeg = 10;
constexpr LONG kTypeMultichannel = 20;

// Result codes of the module.
constexpr HRESULT kErrInvalidFormat = static_cast<HRESULT>(0x83E800DE); // "Invalid file format."
constexpr HRESULT kErrDamagedRiff = static_cast<HRESULT>(0x83EA0011);   // a chunk cut short or lying
constexpr HRESULT kErrNotSupported = static_cast<HRESULT>(0x83E804B4);  // channels, bits or coding
constexpr HRESULT kErrSizeLimit = static_cast<HRESULT>(0x83EA006F);     // past the format's 4 GB
constexpr HRESULT kErrNoDecoder = static_cast<HRESULT>(0x83EA000D);     // no system decoder
constexpr HRESULT kErrCannotOpen = static_cast<HRESULT>(0x83EA0002);    // "The specified file cannot be opened."
constexpr HRESULT kErrStreamShort = static_cast<HRESULT>(0x83EA0070);   // the sound ends before its stated length
constexpr HRESULT kErrCancelled = static_cast<HRESULT>(0x83E80005);
constexpr HRESULT kErrNotFound = static_cast<HRESULT>(0x83E800C9);

constexpr WORD kMaxChannels = 6;

// How samples lie in the file.
enum class Coding { PcmLE, PcmBE, FloatLE, FloatBE };

struct StoredFormat {
    Coding coding = Coding::PcmLE;
    WORD channels = 0;
    DWORD rate = 0;
    WORD containerBits = 0; // bits of one stored sample
    WORD validBits = 0;     // significant bits (20 in a 24-bit container)
    bool signed8 = false;   // 8-bit samples are signed (AIFF)
    bool extensible = false;
    DWORD channelMask = 0;
    WORD BlockAlign() const { return static_cast<WORD>(containerBits / 8 * channels); }
    // Bits of the engine's format for this sound: 8, 16, 20, 24 or 32.
    WORD EngineBits() const { return validBits == 20 ? 20 : containerBits; }
};

struct SoundMark {
    uint32_t id = 0;
    int64_t start = 0;
    int64_t length = 0; // 0 for a cue point
    std::string name;
};

// A chunk of another program, written back only into a file of the type it came from.
struct KeptChunk {
    uint32_t id;
    std::vector<uint8_t> body;
    LONG from; // kTypeWav or kTypeAiff
};

struct SoundFile {
    LONG type = kTypeWav;
    StoredFormat format;
    uint64_t dataOffset = 0; // of the first frame
    uint64_t frames = 0;
    uint64_t missingFrames = 0; // frames the sound chunk states beyond the end of the file
    std::vector<SoundMark> marks;
    bool hasLoopBlock = false;
    FioLoopBlock loop{};
    std::vector<FioInfoEntry> info; // LIST INFO items and DISP text
    std::vector<KeptChunk> kept;    // written back as they were
};

constexpr uint32_t FourCC(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

// What the readers parse: a size and exact reads at offsets (a short read throws
// kErrDamagedRiff). A file on disk (InFile) or bytes in memory.
class ByteSource {
public:
    virtual uint64_t Size() const = 0;
    virtual void ReadAt(uint64_t offset, void* buffer, size_t bytes) const = 0;
    // Reads up to bytes from offset (fewer at the end); returns the count.
    virtual size_t ReadSome(uint64_t offset, void* buffer, size_t bytes) const
    {
        if (offset >= Size())
            return 0;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(bytes, Size() - offset));
        ReadAt(offset, buffer, count);
        return count;
    }

protected:
    ~ByteSource() = default;
};

// A read-only file with 64-bit positions; failures throw.
class InFile : public ByteSource {
public:
    explicit InFile(const char* path);
    ~InFile();
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;
    uint64_t Size() const override { return m_size; }
    void ReadAt(uint64_t offset, void* buffer, size_t bytes) const override;
    size_t ReadSome(uint64_t offset, void* buffer, size_t bytes) const override;
    HANDLE Handle() const { return m_file; }

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    uint64_t m_size = 0;
};

// Detection from the first bytes: a module type, or -1 when none; fewer than 9 bytes give -1.
LONG DetectType(const uint8_t* head, size_t bytes, const char* path);

// A "fmt " body (PCM, float or extensible of either) as a stored format; throws what ReadWav would.
void ReadWaveFormat(const std::vector<uint8_t>& fmt, StoredFormat* format);
// A sound chunk that states more than the file holds gives the whole frames there are and
// their shortfall in missingFrames (what a crash or a full disk leaves); a header or format
// chunk cut short is refused.
void ReadWav(const ByteSource& file, SoundFile* sound);
void ReadAiff(const ByteSource& file, SoundFile* sound);

// Writers: the header before the sound and the trailer after it, for frames frames of the
// format. The sound's byte count must fit the format (kErrSizeLimit before anything is made).
// Kept chunks go only into the type they came from, and none whose id the writer writes.
struct WriteLayout {
    std::vector<uint8_t> head;
    std::vector<uint8_t> tail;
};
WriteLayout LayoutWav(const SoundFile& sound);
WriteLayout LayoutAiff(const SoundFile& sound);

// The stored format the engine's bits and a record ask for in a file type.
StoredFormat FormatForWrite(LONG type, WORD channels, DWORD rate, WORD bits, WORD formatTag, DWORD channelMask,
                            bool extensible);

// Text helpers shared by the readers and the record.
std::string FormatDescription(const StoredFormat& f);
