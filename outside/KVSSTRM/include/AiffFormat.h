// The AIFF and AIFF-C file format: its header parsed into a description (format, where the
// sound lies, markers, sustain loop, texts, other chunks kept for the write-back) and laid
// out again around the sound. The stream library's AIFF components and the file module both
// read and write AIFF through this code. Failures throw CKvSSException with these codes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr HRESULT kAiffErrInvalidFormat = static_cast<HRESULT>(0x83E800DE); // not an AIFF file
constexpr HRESULT kAiffErrDamaged = static_cast<HRESULT>(0x83EA0011);       // a chunk cut short or lying
constexpr HRESULT kAiffErrNotSupported = static_cast<HRESULT>(0x83E804B4);  // channels, bits or coding
constexpr HRESULT kAiffErrSizeLimit = static_cast<HRESULT>(0x83EA006F);     // past the format's 4 GB
constexpr uint16_t kAiffMaxChannels = 6;

enum class AiffCoding { PcmBE, PcmLE, FloatBE };

struct AiffFormat {
    AiffCoding coding = AiffCoding::PcmBE;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t containerBits = 0; // 8, 16, 24 or 32
    uint16_t validBits = 0;     // 20 in a 24-bit container, else the container's
    uint16_t BlockAlign() const { return static_cast<uint16_t>(containerBits / 8 * channels); }
};

struct AiffMarker {
    uint32_t id = 0;
    uint32_t position = 0;
    std::string name;
};

// A text chunk with the id of its RIFF INFO counterpart ("NAME" is "INAM").
struct AiffText {
    uint32_t riffId = 0;
    std::string text;
};

struct AiffChunk {
    uint32_t id;
    std::vector<uint8_t> body;
};

struct AiffDescription {
    AiffFormat format;
    uint64_t dataOffset = 0; // of the first frame
    uint64_t frames = 0;
    std::vector<AiffMarker> markers; // loop markers not among them
    bool hasLoop = false;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    std::vector<AiffText> texts;
    std::vector<AiffChunk> kept; // unknown chunks, written back as they were
};

// What the parser reads from: the file's size and exact reads (a short read throws).
class AiffSource {
public:
    virtual uint64_t Size() const = 0;
    virtual void ReadAt(uint64_t offset, void* buffer, size_t bytes) const = 0;

protected:
    ~AiffSource() = default;
};

void ParseAiff(const AiffSource& file, AiffDescription* description);

struct AiffLayout {
    std::vector<uint8_t> head; // before the sound
    std::vector<uint8_t> tail; // after it
};
// The header for description.frames frames of the format (written as plain AIFF).
AiffLayout LayoutAiff(const AiffDescription& description);
