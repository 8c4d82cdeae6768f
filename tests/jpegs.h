// libjpeg's own decoding of a JPEG stream, and packfiles that read from
// memory.
#pragma once

#include <allegro.h>

#include <cstdint>
#include <string>
#include <vector>

// RGB or grey samples row after row, at scale 1/denom, with or without the
// fast options (integer transform, plain upsampling).
struct Decoded {
  int w, h, comps;
  std::vector<uint8_t> px;
};
Decoded decode_jpeg(const std::string& bytes, bool grey, int denom, bool fast);

// A packfile reading `bytes` (which must outlive it).
PACKFILE* memory_packfile(const std::string& bytes);
