// InterfaceTag: an 8-character name stored as a 64-bit value, naming tagged interfaces and
// chunk ids. Its little-endian bytes are its characters in order (low 32 bits = the first
// four characters); shorter texts are padded with blanks. Free of Win32.
#pragma once
#include <cstdint>

using InterfaceTag = uint64_t;

// The tag of up to eight characters, blank-padded ("KSCM" -> "KSCM    ").
constexpr InterfaceTag MakeTag(const char* text)
{
    InterfaceTag tag = 0;
    bool ended = false;
    for (int i = 0; i < 8; ++i) {
        if (!ended && text[i] == '\0')
            ended = true;
        unsigned char c = ended ? ' ' : static_cast<unsigned char>(text[i]);
        tag |= static_cast<InterfaceTag>(c) << (8 * i);
    }
    return tag;
}

// The tag of two four-character words, as chunk ids are named ("KSCM" + "KCMD").
constexpr InterfaceTag MakeTag(uint32_t low, uint32_t high)
{
    return static_cast<InterfaceTag>(low) | (static_cast<InterfaceTag>(high) << 32);
}
constexpr uint32_t TagLow(InterfaceTag tag)
{
    return static_cast<uint32_t>(tag);
}
constexpr uint32_t TagHigh(InterfaceTag tag)
{
    return static_cast<uint32_t>(tag >> 32);
}
