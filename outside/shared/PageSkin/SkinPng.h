// SkinPng: the decoder of the PNG files a skin is drawn from, without GDI+: under Wine every
// GDI+ decode looks its codec up in the registry (dozens of server round trips), which made the
// panes' first paint the slowest part of start-up.
//
//   SkinPngLayout layout;
//   if (!ReadSkinPng(bytes.data(), bytes.size(), &layout))
//       ...;   // not a plain 8-bit RGB/RGBA PNG, or damaged: leave the file to GDI+
//   ... rows of layout.width x 4 bytes ...
//   DecodeSkinPng(bytes.data(), bytes.size(), layout, rows, stride, &transparent);
//
// Only what skins are made of is taken: 8 bits per channel, RGB or RGBA, not interlaced, no
// chunk that changes colours (gamma, colour profile, transparent colour key). Anything else,
// and any damage (bad CRC or checksum, short data, a size beyond 65536 x 65536 or 2^24
// pixels), gives false and nothing else, so the caller's own decoder decides about it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Where a file's pixels are: its size and kind, and its pixel chunks as (offset, length).
struct SkinPngLayout {
    int width = 0;
    int height = 0;
    bool alpha = false; // RGBA, else RGB
    std::vector<std::pair<size_t, size_t>> pixelChunks;
};

// Checks the file's chunks (signature, CRCs, order) and reads its layout; false for a file this
// decoder leaves to others.
bool ReadSkinPng(const uint8_t* data, size_t size, SkinPngLayout* layout);

// Decodes the file ReadSkinPng read into rows of width x 4 bytes, `stride` bytes apart (top row
// first), in the order blue, green, red, alpha (GDI+'s 32bppARGB, not premultiplied; RGB files
// get alpha 255). *transparent tells whether some alpha is below 255. False when the pixel data
// is damaged; the rows may then hold anything.
bool DecodeSkinPng(const uint8_t* data, size_t size, const SkinPngLayout& layout, uint8_t* bgra, ptrdiff_t stride,
                   bool* transparent);

// The zlib stream inflated into exactly `expected` bytes at out; false when the stream is
// damaged, holds a preset dictionary, or inflates to any other length.
bool InflateZlib(const uint8_t* data, size_t size, uint8_t* out, size_t expected);
