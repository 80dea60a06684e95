// ScsiDevice: one CD drive that KgPTP.dll offers to its callers, answering multimedia (MMC)
// command blocks. A real drive passes them on; a disc image answers them itself.
#pragma once
#include <cstdint>
#include <cstring>

namespace cdimage {

struct ScsiRequest {
    const uint8_t* cdb = nullptr;
    uint8_t cdbLength = 0;
    uint8_t* data = nullptr; // the caller's buffer for data in or out
    uint32_t dataLength = 0;
    bool in = false;  // the device fills data
    bool out = false; // the device reads data
};

constexpr uint8_t kScsiGood = 0x00;
constexpr uint8_t kScsiCheckCondition = 0x02;
constexpr size_t kSenseBytes = 18;

// Fixed-format sense data of a failed command.
struct Sense {
    uint8_t key = 0, asc = 0, ascq = 0;
    void Write(uint8_t* out) const
    {
        std::memset(out, 0, kSenseBytes);
        out[0] = 0x70;
        out[2] = key;
        out[7] = 10;
        out[12] = asc;
        out[13] = ascq;
    }
};

class ScsiDevice {
public:
    virtual ~ScsiDevice() = default;
    // The drive letter, 'A' to 'Z'.
    virtual char Letter() const = 0;
    // GOOD, or CHECK CONDITION with the sense data written to sense (18 bytes).
    virtual uint8_t Execute(const ScsiRequest& request, uint8_t* sense) = 0;
};

inline uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
inline uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline void PutBe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline void PutBe16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

} // namespace cdimage
