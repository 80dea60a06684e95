// Float samples made finite where they enter or leave the module: NaN becomes 0 and an
// infinity full scale of its sign, as the sample converters of the program do.
#pragma once
#include <cstddef>
#include <cstdint>

// count 32-bit IEEE floats in place, big-endian when bigEndian is set.
void MakeFinite(uint8_t* samples, size_t count, bool bigEndian);
