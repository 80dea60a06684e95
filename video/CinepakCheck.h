// CinepakCheck: the structure of Cinepak frames (frame, strips, codebook and vector chunks)
// checked before the system's decoder sees them: it writes past its codebooks when a chunk
// says it holds more entries than a codebook has, and past the picture for strips outside it.
#pragma once
#include <cstddef>
#include <cstdint>

// True when the frame's sizes are consistent within its bytes and a width x height picture.
bool IsSoundCinepakFrame(const uint8_t* frame, size_t bytes, int width, int height);
