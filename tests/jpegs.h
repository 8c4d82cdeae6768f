// JPEG streams made with libjpeg, libjpeg's own decoding of them, and
// packfiles that read from memory.
#pragma once

#include <allegro.h>

#include <cstdint>
#include <string>
#include <vector>

// Encodes w x h pixels given as 0xRRGGBB (or grey levels 0..255 when
// `grey`), at the given quality, as a baseline or progressive stream.
std::string encode_jpeg(int w, int h, const std::vector<uint32_t>& px, bool grey, int quality = 95,
                        bool progressive = false);

// RGB or grey samples row after row, at scale 1/denom, with or without the
// fast options (integer transform, plain upsampling).
struct Decoded {
  int w, h, comps;
  std::vector<uint8_t> px;
};
Decoded decode_jpeg(const std::string& bytes, bool grey, int denom, bool fast);

// A packfile reading `bytes` (which must outlive it).
PACKFILE* memory_packfile(const std::string& bytes);
